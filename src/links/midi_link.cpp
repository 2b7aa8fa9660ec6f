#include "links/midi_link.h"

#include <QMetaObject>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace varento {

// Runs backend sends one at a time on its own thread, so that a device that never
// finishes cannot hold the main thread beyond the bound.
class MidiSender {
public:
    explicit MidiSender(MidiBackend& backend) : backend_(backend), thread_([this] { run(); }) {}

    ~MidiSender() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    MidiSender(const MidiSender&) = delete;
    MidiSender& operator=(const MidiSender&) = delete;

    // True while a send that timed out is still inside the backend.
    bool busy() {
        const std::lock_guard lock(mutex_);
        return pending_ || running_;
    }

    enum class Outcome { Sent, Failed, TimedOut };

    Outcome send(std::span<const std::uint8_t> message, std::chrono::milliseconds timeout,
                 std::string& error) {
        std::unique_lock lock(mutex_);
        job_.assign(message.begin(), message.end());
        pending_ = true;
        ++ticket_;
        const std::uint64_t mine = ticket_;
        wake_.notify_all();
        if (!done_.wait_for(lock, timeout, [&] { return finished_ == mine; })) {
            return Outcome::TimedOut;
        }
        error = result_.error;
        return result_.ok ? Outcome::Sent : Outcome::Failed;
    }

    // A send that never returns leaves the thread inside the backend; then the
    // backend must not be destroyed under it, and the thread cannot be joined.
    bool stuck() {
        const std::lock_guard lock(mutex_);
        return running_;
    }

    void abandon() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.detach();
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || pending_; });
            if (stop_) {
                return;
            }
            std::vector<std::uint8_t> job;
            job.swap(job_);
            const std::uint64_t ticket = ticket_;
            pending_ = false;
            running_ = true;
            lock.unlock();
            MidiBackend::Result r = backend_.send(job);
            lock.lock();
            running_ = false;
            result_ = std::move(r);
            finished_ = ticket;
            done_.notify_all();
        }
    }

    MidiBackend& backend_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::uint8_t> job_;
    MidiBackend::Result result_;
    std::uint64_t ticket_ = 0;
    std::uint64_t finished_ = 0;
    bool pending_ = false;
    bool running_ = false;
    bool stop_ = false;
    std::thread thread_;
};

namespace {
const QString kErrorTitle = QStringLiteral("Error!");
}

MidiLink::MidiLink(Interaction& ui, std::unique_ptr<MidiBackend> backend, QObject* parent)
    : FrameLink(parent), ui_(ui), backend_(std::move(backend)),
      sender_(std::make_unique<MidiSender>(*backend_)) {
    refreshDevices();
}

MidiLink::~MidiLink() {
    receiving_ = false;
    backend_->closeInput();
    if (sender_->stuck()) {
        // The device never finished; leave the backend to the stuck thread
        // rather than destroy it under that thread.
        sender_->abandon();
        (void)sender_.release();
        (void)backend_.release();
        return;
    }
    sender_.reset();
    backend_->closeOutput();
}

void MidiLink::refreshDevices() {
    inputDevices_.clear();
    outputDevices_.clear();
    for (const auto& name : backend_->inputNames()) {
        inputDevices_.push_back(QString::fromStdString(name));
    }
    for (const auto& name : backend_->outputNames()) {
        outputDevices_.push_back(QString::fromStdString(name));
    }
}

void MidiLink::selectDevices(int inputDevice, int outputDevice) {
    state_.inputDevice = inputDevice;
    state_.outputDevice = outputDevice;
    state_.inputName = inputDevices_.value(inputDevice);
    state_.outputName = outputDevices_.value(outputDevice);
}

void MidiLink::applyDeviceChoice(int inputDevice, int outputDevice) {
    if (state_.inputOpen) {
        closeInputDevice();
        state_.inputOpen = false;
    }
    if (state_.outputOpen) {
        closeOutputDevice();
        state_.outputOpen = false;
    }
    state_.inputDevice = inputDevice;
    state_.outputDevice = outputDevice;
    if (openInput() == 0) {
        state_.inputOpen = true;
        selectDevices(inputDevice, outputDevice);
    }
    if (openOutput() == 0) {
        state_.outputOpen = true;
        selectDevices(inputDevice, outputDevice);
    }
}

QString MidiLink::endpointText() const {
    return QStringLiteral("MIDI In: ") + state_.inputName + QStringLiteral(" | MIDI Out: ") +
           state_.outputName;
}

void MidiLink::showError(const QString& title, const std::string& text) {
    ui_.inform(title, QString::fromStdString(text), MessageIcon::Error);
}

int MidiLink::openInput() {
    // The backend's thread only copies the bytes and queues them to us; the input is
    // closed before we are destroyed, and a queued call dies with its receiver.
    const auto r = backend_->openInput(state_.inputDevice, [this](std::vector<std::uint8_t> m) {
        if (!receiving_) {
            return; // reception has not started, or has ended
        }
        QByteArray bytes(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size()));
        QMetaObject::invokeMethod(
            this, [this, bytes] { deliver(bytes); }, Qt::QueuedConnection);
    });
    if (!r.ok) {
        showError(QStringLiteral("MIDI-Input Error"), r.error);
        return 1;
    }
    return 0;
}

int MidiLink::openOutput() {
    const auto r = backend_->openOutput(state_.outputDevice);
    if (!r.ok) {
        showError(QStringLiteral("MIDI-Output Error"), r.error);
        return 1;
    }
    return 0;
}

int MidiLink::open() {
    if (state_.linkOpen) {
        return 0;
    }
    if (!state_.inputOpen) {
        if (openInput() != 0) {
            return -1;
        }
        state_.inputOpen = true;
    }
    if (!state_.outputOpen) {
        if (openOutput() != 0) {
            return -1;
        }
        state_.outputOpen = true;
    }
    state_.linkOpen = true;
    return 0;
}

void MidiLink::startInput() {
    receiving_ = state_.inputOpen;
}

bool MidiLink::closeInputDevice() {
    return backend_->closeInput().ok;
}

bool MidiLink::closeOutputDevice() {
    if (sender_->busy()) {
        return false; // a send is still inside the device
    }
    return backend_->closeOutput().ok;
}

void MidiLink::close() {
    if (!state_.linkOpen) {
        return;
    }
    state_.linkOpen = false;
    receiving_ = false;
    if (state_.inputOpen) {
        if (!closeInputDevice()) {
            return;
        }
        state_.inputOpen = false;
    }
    if (state_.outputOpen) {
        if (!closeOutputDevice()) {
            return;
        }
        state_.outputOpen = false;
    }
}

int MidiLink::send(std::span<const std::uint8_t> frame) {
    if (!state_.outputOpen) {
        showError(kErrorTitle, "The MIDI output is not open.");
        return 1;
    }
    if (frame.size() > static_cast<std::size_t>(kMaxMessageSize)) {
        showError(kErrorTitle, "The message is longer than the MIDI output buffer.");
        return 1;
    }
    if (sender_->busy()) {
        showError(kErrorTitle, "The MIDI output has not finished the previous message.");
        return 1;
    }
    std::string error;
    switch (sender_->send(frame, kSendTimeout, error)) {
    case MidiSender::Outcome::Sent:
        return 0;
    case MidiSender::Outcome::Failed:
        showError(kErrorTitle, error);
        return 1;
    case MidiSender::Outcome::TimedOut:
        break;
    }
    showError(kErrorTitle, "The MIDI output did not finish the message within one second.");
    return 1;
}

void MidiLink::deliver(const QByteArray& message) {
    // Only whole SysEx messages are frames; short messages and messages too long
    // for any frame buffer are dropped.
    if (!receiving_ || message.isEmpty() || static_cast<std::uint8_t>(message[0]) != 0xF0 ||
        message.size() > kMaxMessageSize) {
        return;
    }
    emit frameReceived(message);
}

} // namespace varento
