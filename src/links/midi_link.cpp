#include "links/midi_link.h"

#include <QMetaObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace varento {

// Runs backend sends one at a time, in order, on its own thread, so that a device
// that never finishes cannot hold the main thread beyond the bound.
class MidiSender {
public:
    // Runs on the sender thread after every send, never after abandon().
    using Finished = std::function<void(std::uint64_t ticket, MidiBackend::Result result)>;

    MidiSender(MidiBackend& backend, Finished finished)
        : backend_(backend), finished_(std::move(finished)), thread_([this] { run(); }) {}

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

    std::uint64_t enqueue(std::span<const std::uint8_t> message) {
        std::uint64_t ticket = 0;
        {
            const std::lock_guard lock(mutex_);
            ticket = ++lastTicket_;
            jobs_.push_back({ticket, {message.begin(), message.end()}});
        }
        wake_.notify_all();
        return ticket;
    }

    // False when `ticket` has not come back within `timeout`.
    bool waitFor(std::uint64_t ticket, std::chrono::milliseconds timeout,
                 MidiBackend::Result& result) {
        std::unique_lock lock(mutex_);
        if (!done_.wait_for(lock, timeout, [&] { return lastDone_ >= ticket; })) {
            return false;
        }
        result = lastResult_;
        return true;
    }

    // Waits for what is inside the backend now; queued sends are dropped first.
    bool drain(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        jobs_.clear();
        return done_.wait_for(lock, timeout, [&] { return !running_; });
    }

    // A send is inside the backend or waiting for its turn.
    bool busy() {
        const std::lock_guard lock(mutex_);
        return running_ || !jobs_.empty();
    }

    void dropQueued() {
        const std::lock_guard lock(mutex_);
        jobs_.clear();
    }

    // Leaves a thread that never came back to itself: it no longer reports and
    // ends when the backend lets it go.
    void abandon() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.detach();
    }

private:
    struct Job {
        std::uint64_t ticket;
        std::vector<std::uint8_t> message;
    };

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
            if (stop_) {
                return;
            }
            Job job = std::move(jobs_.front());
            jobs_.pop_front();
            running_ = true;
            lock.unlock();
            MidiBackend::Result r = backend_.send(job.message);
            lock.lock();
            running_ = false;
            lastDone_ = job.ticket;
            lastResult_ = r;
            done_.notify_all();
            if (!stop_) {
                finished_(job.ticket, std::move(r));
            }
        }
    }

    MidiBackend& backend_;
    Finished finished_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    MidiBackend::Result lastResult_;
    std::uint64_t lastTicket_ = 0;
    std::uint64_t lastDone_ = 0;
    bool running_ = false;
    bool stop_ = false;
    std::thread thread_;
};

namespace {
const QString kErrorTitle = QStringLiteral("Error!");
const char* const kNotOpen = "The MIDI output is not open.";
const char* const kStillBusy = "The MIDI output has not finished the previous message.";
const char* const kOverrun = "The MIDI output did not finish the message within one second.";
} // namespace

MidiLink::MidiLink(Interaction& ui, std::unique_ptr<MidiBackend> backend, QObject* parent)
    : FrameLink(parent), ui_(ui), backend_(std::move(backend)) {
    // The sender's report is queued to us; it dies with us if still queued.
    sender_ = std::make_unique<MidiSender>(
        *backend_, [this](std::uint64_t ticket, MidiBackend::Result r) {
            QMetaObject::invokeMethod(
                this, [this, ticket, r] { sendDone(ticket, r.ok, r.error); }, Qt::QueuedConnection);
        });
    overrunTimer_.setSingleShot(true);
    overrunTimer_.setTimerType(Qt::PreciseTimer);
    overrunTimer_.setInterval(kSendTimeout);
    connect(&overrunTimer_, &QTimer::timeout, this, &MidiLink::overrun);
    refreshDevices();
}

MidiLink::~MidiLink() {
    receiving_ = false;
    backend_->closeInput();
    // A frame on its way is let out; one that overran the bound is left behind.
    if (overran_ != 0 || !sender_->drain(kSendTimeout)) {
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

bool MidiLink::findChosenDevices() {
    refreshDevices();
    const auto input = inputDevices_.indexOf(state_.inputName);
    const auto output = outputDevices_.indexOf(state_.outputName);
    if (state_.inputName.isEmpty() || state_.outputName.isEmpty() || input < 0 || output < 0) {
        return false;
    }
    state_.inputDevice = static_cast<int>(input);
    state_.outputDevice = static_cast<int>(output);
    return true;
}

void MidiLink::applyDeviceChoice(int inputDevice, int outputDevice) {
    if (state_.inputOpen) {
        backend_->closeInput();
        state_.inputOpen = false;
    }
    const bool outputBusy = state_.outputOpen && sender_->busy();
    if (state_.outputOpen && !outputBusy) {
        backend_->closeOutput();
        state_.outputOpen = false;
    }
    state_.inputDevice = inputDevice;
    state_.outputDevice = outputDevice;
    if (openInput() == 0) {
        state_.inputOpen = true;
        selectDevices(inputDevice, outputDevice);
    }
    if (outputBusy) {
        // Opening would destroy the port the sender is inside: the chosen output
        // opens when it comes back.
        changeOutputWhenIdle(OutputChange::Reopen);
    } else if (openOutput() == 0) {
        state_.outputOpen = true;
        selectDevices(inputDevice, outputDevice);
    }
}

void MidiLink::changeOutputWhenIdle(OutputChange change) {
    outputChange_ = change;
    if (!sender_->busy()) {
        applyOutputChange();
    }
}

void MidiLink::applyOutputChange() {
    const OutputChange change = std::exchange(outputChange_, OutputChange::None);
    if (change == OutputChange::None) {
        return;
    }
    // The port is gone whatever the close reports.
    backend_->closeOutput();
    state_.outputOpen = false;
    if (change == OutputChange::Reopen && openOutput() == 0) {
        state_.outputOpen = true;
        selectDevices(state_.inputDevice, state_.outputDevice);
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
    if (sender_->busy()) {
        // A send that has not come back holds the output: an open link would
        // refuse every frame, so it does not open until the output is free.
        showError(QStringLiteral("MIDI-Output Error"), kStillBusy);
        return -1;
    }
    if (!state_.inputOpen) {
        if (openInput() != 0) {
            return -1;
        }
        state_.inputOpen = true;
    }
    if (outputChange_ == OutputChange::Close) {
        // Still held by a send that has not come back; it is opened afresh then.
        outputChange_ = OutputChange::Reopen;
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

void MidiLink::close() {
    inFlight_.clear();
    overrunTimer_.stop();
    sender_->dropQueued();
    if (!state_.linkOpen) {
        return;
    }
    state_.linkOpen = false;
    receiving_ = false;
    if (state_.inputOpen) {
        // The backend has let the port go even when closing reports an error.
        const bool closed = backend_->closeInput().ok;
        state_.inputOpen = false;
        if (!closed) {
            return;
        }
    }
    if (state_.outputOpen) {
        changeOutputWhenIdle(OutputChange::Close);
    }
}

int MidiLink::refuse(std::span<const std::uint8_t> frame) {
    if (!state_.outputOpen || outputChange_ != OutputChange::None) {
        showError(kErrorTitle, kNotOpen);
        return 1;
    }
    if (frame.size() > static_cast<std::size_t>(kMaxMessageSize)) {
        showError(kErrorTitle, "The message is longer than the MIDI output buffer.");
        return 1;
    }
    if (overran_ != 0) {
        showError(kErrorTitle, kStillBusy);
        return 1;
    }
    return 0;
}

int MidiLink::send(std::span<const std::uint8_t> frame) {
    if (const int r = refuse(frame); r != 0) {
        return r;
    }
    if (sender_->busy()) {
        showError(kErrorTitle, kStillBusy);
        return 1;
    }
    const std::uint64_t ticket = sender_->enqueue(frame);
    MidiBackend::Result result;
    if (!sender_->waitFor(ticket, kSendTimeout, result)) {
        overran_ = ticket;
        showError(kErrorTitle, kOverrun);
        return 1;
    }
    if (!result.ok) {
        showError(kErrorTitle, result.error);
        return 1;
    }
    return 0;
}

int MidiLink::post(std::span<const std::uint8_t> frame) {
    if (const int r = refuse(frame); r != 0) {
        return r;
    }
    inFlight_.push_back(sender_->enqueue(frame));
    if (inFlight_.size() == 1) {
        overrunTimer_.start();
    }
    return kSendPending;
}

void MidiLink::sendDone(std::uint64_t ticket, bool ok, const std::string& error) {
    if (ticket == overran_) {
        overran_ = 0; // back at last; its failure was reported at the bound
    }
    const bool reported = !inFlight_.empty() && inFlight_.front() == ticket;
    if (reported) {
        inFlight_.pop_front();
        // The next frame starts now: the bound is its own.
        if (inFlight_.empty()) {
            overrunTimer_.stop();
        } else {
            overrunTimer_.start();
        }
    }
    if (!sender_->busy()) {
        applyOutputChange();
    }
    if (!reported) {
        return;
    }
    if (!ok) {
        showError(kErrorTitle, error);
    }
    emit sendFinished(ok ? 0 : 1);
}

void MidiLink::overrun() {
    if (inFlight_.empty()) {
        return;
    }
    overran_ = inFlight_.front();
    inFlight_.pop_front();
    // Frames behind the stuck one would only start when it comes back: they fail
    // now, as a send made while the output is busy does.
    sender_->dropQueued();
    showError(kErrorTitle, kOverrun);
    emit sendFinished(1);
    // A handler may have closed the link, which ends these reports.
    while (!inFlight_.empty()) {
        inFlight_.pop_front();
        showError(kErrorTitle, kStillBusy);
        emit sendFinished(1);
    }
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
