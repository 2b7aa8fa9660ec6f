#pragma once

#include "links/midi_backend.h"
#include "support/frames.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace varento::testing {

// A MIDI system played by the test. Like the real one it lets a port go on close
// even when closing reports an error, and opening an output replaces the open
// one; a send works on the port object, so a port destroyed under a send is a
// use after free (caught by the sanitizer build) and is counted besides.
class ScriptedBackend : public MidiBackend {
public:
    std::vector<std::string> inputNames() override { return ins; }
    std::vector<std::string> outputNames() override { return outs; }

    Result openInput(int device, InputCallback onMessage) override {
        if (!inputOpenError.empty()) {
            return {false, inputOpenError};
        }
        ++inputOpens;
        openInputDevice = device;
        const std::lock_guard lock(mutex);
        callback = std::move(onMessage);
        return {};
    }
    Result closeInput() override {
        ++inputCloses;
        {
            const std::lock_guard lock(mutex);
            callback = nullptr;
        }
        return inputCloseError.empty() ? Result{} : Result{false, inputCloseError};
    }
    Result openOutput(int device) override {
        releaseOutput();
        if (!outputOpenError.empty()) {
            return {false, outputOpenError};
        }
        ++outputOpens;
        openOutputDevice = device;
        const std::lock_guard lock(mutex);
        output = std::make_unique<Port>();
        return {};
    }
    Result closeOutput() override {
        ++outputCloses;
        releaseOutput();
        return outputCloseError.empty() ? Result{} : Result{false, outputCloseError};
    }
    Result send(std::span<const std::uint8_t> message) override {
        std::unique_lock lock(mutex);
        Port* port = output.get();
        if (port == nullptr) {
            return {false, "no output"};
        }
        inSend = true;
        started.notify_all();
        released.wait(lock, [this] { return !hold; });
        if (perByte.count() > 0) {
            // The wire time of the frame, as an interface at MIDI speed takes it.
            lock.unlock();
            std::this_thread::sleep_for(perByte * message.size());
            lock.lock();
        }
        port->bytes += message.size(); // the port must still exist here
        inSend = false;
        sent.emplace_back(message.begin(), message.end());
        return sendError.empty() ? Result{} : Result{false, sendError};
    }

    // Plays the backend's input thread.
    void receive(const Bytes& message) {
        std::thread([this, message] {
            const std::lock_guard lock(mutex);
            if (callback) {
                callback(message);
            }
        }).join();
    }
    void holdSends(bool on) {
        {
            const std::lock_guard lock(mutex);
            hold = on;
        }
        released.notify_all();
    }
    // Blocks until a send is inside the backend.
    void waitForSendInside() {
        std::unique_lock lock(mutex);
        started.wait(lock, [this] { return inSend; });
    }
    std::size_t sentCount() {
        const std::lock_guard lock(mutex);
        return sent.size();
    }
    int outputOpensNow() {
        const std::lock_guard lock(mutex);
        return outputOpens;
    }

    std::vector<std::string> ins{"Unit In A", "Unit In B"};
    std::vector<std::string> outs{"Unit Out A", "Unit Out B"};
    std::string inputOpenError, outputOpenError, inputCloseError, outputCloseError, sendError;
    int inputOpens = 0, inputCloses = 0, outputOpens = 0, outputCloses = 0;
    int openInputDevice = -1, openOutputDevice = -1;
    // 320 µs is one byte at 31.25 kbaud with start and stop bits.
    std::chrono::microseconds perByte{0};
    std::atomic<int> portsDestroyedDuringSend = 0;

private:
    struct Port {
        std::size_t bytes = 0;
    };

    void releaseOutput() {
        const std::lock_guard lock(mutex);
        if (output && inSend) {
            ++portsDestroyedDuringSend;
        }
        output.reset();
    }

    std::mutex mutex;
    std::condition_variable released;
    std::condition_variable started;
    bool hold = false;
    bool inSend = false;
    InputCallback callback;
    std::unique_ptr<Port> output;
    std::vector<Bytes> sent;
};

} // namespace varento::testing
