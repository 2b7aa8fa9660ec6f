#include "links/midi_backend.h"

#include <RtMidi.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace varento {

namespace {

constexpr const char* kClientName = "VARENTO Remote";

// RtMidi reports through a callback instead of throwing once one is set; the
// last text is kept for the message box.
class ErrorText {
public:
    static void callback(RtMidiError::Type, const std::string& text, void* self) {
        auto* e = static_cast<ErrorText*>(self);
        const std::lock_guard lock(e->mutex_);
        e->text_ = text;
    }
    std::string take() {
        const std::lock_guard lock(mutex_);
        std::string t;
        t.swap(text_);
        return t;
    }

private:
    std::mutex mutex_;
    std::string text_;
};

template <typename Port> std::vector<std::string> namesOf(RtMidi::Api api) {
    std::vector<std::string> names;
    try {
        Port port(api, kClientName);
        ErrorText errors;
        port.setErrorCallback(&ErrorText::callback, &errors);
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            names.push_back(port.getPortName(i));
        }
    } catch (const RtMidiError&) {
        // No MIDI system: no devices.
    }
    return names;
}

MidiBackend::Result failure(std::string text, const char* fallback) {
    return {false, text.empty() ? std::string(fallback) : std::move(text)};
}

class RtMidiBackend final : public MidiBackend {
public:
    explicit RtMidiBackend(RtMidi::Api api) : api_(api) {}
    ~RtMidiBackend() override {
        closeInput();
        closeOutput();
    }

    std::vector<std::string> inputNames() override { return namesOf<RtMidiIn>(api_); }
    std::vector<std::string> outputNames() override { return namesOf<RtMidiOut>(api_); }

    Result openInput(int device, InputCallback onMessage) override {
        closeInput();
        // Set before the port's thread exists: RtMidi hands the callback to that
        // thread without a lock, so only its creation orders this write before
        // the thread's reads.
        onMessage_ = std::move(onMessage);
        try {
            auto in = std::make_unique<RtMidiIn>(api_, kClientName);
            in->setErrorCallback(&ErrorText::callback, &inErrors_);
            in->ignoreTypes(false, true, true); // SysEx in, timing and sensing out
            in->setCallback(&RtMidiBackend::inputCallback, this);
            if (device < 0) {
                return failure({}, "Invalid MIDI input device.");
            }
            inErrors_.take();
            in->openPort(static_cast<unsigned>(device), "in");
            // Some backends open their own port and then fail to connect it to the
            // device with only a warning: any report here is a failed open.
            if (std::string error = inErrors_.take(); !in->isPortOpen() || !error.empty()) {
                return failure(std::move(error), "The MIDI input could not be opened.");
            }
            in_ = std::move(in);
            return {};
        } catch (const RtMidiError& e) {
            return failure(e.getMessage(), "The MIDI input could not be opened.");
        }
    }

    Result closeInput() override {
        if (!in_) {
            return {};
        }
        // Destroying the port ends the backend's client, and with it every callback.
        in_->cancelCallback();
        in_->closePort();
        in_.reset();
        const std::string error = inErrors_.take();
        return error.empty() ? Result{} : Result{false, error};
    }

    Result openOutput(int device) override {
        closeOutput();
        try {
            auto out = std::make_unique<RtMidiOut>(api_, kClientName);
            out->setErrorCallback(&ErrorText::callback, &outErrors_);
            if (device < 0) {
                return failure({}, "Invalid MIDI output device.");
            }
            outErrors_.take();
            out->openPort(static_cast<unsigned>(device), "out");
            if (std::string error = outErrors_.take(); !out->isPortOpen() || !error.empty()) {
                return failure(std::move(error), "The MIDI output could not be opened.");
            }
            out_ = std::move(out);
            return {};
        } catch (const RtMidiError& e) {
            return failure(e.getMessage(), "The MIDI output could not be opened.");
        }
    }

    Result closeOutput() override {
        if (!out_) {
            return {};
        }
        out_->closePort();
        out_.reset();
        const std::string error = outErrors_.take();
        return error.empty() ? Result{} : Result{false, error};
    }

    Result send(std::span<const std::uint8_t> message) override {
        if (!out_) {
            return {false, "The MIDI output is not open."};
        }
        out_->sendMessage(message.data(), message.size());
        const std::string error = outErrors_.take();
        return error.empty() ? Result{} : Result{false, error};
    }

private:
    static void inputCallback(double, std::vector<unsigned char>* message, void* self) {
        auto* backend = static_cast<RtMidiBackend*>(self);
        if (message != nullptr && backend->onMessage_) {
            backend->onMessage_(std::vector<std::uint8_t>(message->begin(), message->end()));
        }
    }

    RtMidi::Api api_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    InputCallback onMessage_;
    ErrorText inErrors_;
    ErrorText outErrors_;
};

// A computer without a MIDI system: no devices, and opening says why. Asking the
// ALSA backend there only fills standard error with its complaints.
class NoMidiBackend final : public MidiBackend {
public:
    std::vector<std::string> inputNames() override { return {}; }
    std::vector<std::string> outputNames() override { return {}; }
    Result openInput(int, InputCallback) override { return unavailable(); }
    Result closeInput() override { return {}; }
    Result openOutput(int) override { return unavailable(); }
    Result closeOutput() override { return {}; }
    Result send(std::span<const std::uint8_t>) override { return unavailable(); }

private:
    static Result unavailable() {
        return {false, "No MIDI system was found on this computer (no ALSA sequencer). "
                       "Set VARENTO_MIDI_API=jack to use a JACK server."};
    }
};

} // namespace

std::unique_ptr<MidiBackend> makeRtMidiBackend(const std::string& api) {
    std::string name = api;
    if (name.empty()) {
        if (const char* env = std::getenv("VARENTO_MIDI_API")) {
            name = env;
        }
    }
#ifdef __linux__
    std::error_code error;
    if (name.empty() && !std::filesystem::exists("/dev/snd/seq", error)) {
        return std::make_unique<NoMidiBackend>();
    }
#endif
    const RtMidi::Api chosen =
        name.empty() ? RtMidi::UNSPECIFIED : RtMidi::getCompiledApiByName(name);
    return std::make_unique<RtMidiBackend>(chosen);
}

} // namespace varento
