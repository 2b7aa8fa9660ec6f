#pragma once

#include "protocol/frame_builders.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace varento {

// Sends frames in order and keeps the pauses between them with a timer instead
// of sleeping, so the event loop runs on during a long sequence. A sequence that
// fails stops at once; what was queued after it is dropped.
// A send function may return FrameLink::kSendPending for a frame still on its
// way: the queue then waits for frameFinished() before the frame's pause.
class SendQueue : public QObject {
    Q_OBJECT

public:
    using SendFunction = std::function<int(std::span<const std::uint8_t>)>;
    using Done = std::function<void(int result)>;

    explicit SendQueue(SendFunction send, QObject* parent = nullptr);

    // Queues a sequence; with nothing queued its first frame leaves at once.
    // `done` runs after its last pause (0) or at its first failure (the result).
    void enqueue(std::vector<SequenceStep> steps, Done done = {});
    // Waits `ms` before whatever is queued next.
    void enqueuePause(int ms);
    // Drops everything queued; each dropped sequence's `done` learns kCutShort.
    void clear();
    static constexpr int kCutShort = -2;
    // Sequences that failed or were cut short so far: an owner that compares it
    // before and after knows whether all it queued left.
    int failureCount() const { return failures_; }
    bool busy() const { return !items_.empty() || timer_.isActive() || awaiting_; }
    // The pauses still ahead as planned, the running one counted whole: what a
    // sequence will take at the least, whatever the machine's load.
    int plannedMs() const;
    // The result of the pending frame.
    void frameFinished(int result);

signals:
    void busyChanged(bool busy);
    void sendFailed(int result);

private:
    struct Item {
        std::vector<std::uint8_t> frame; // empty for a pause or a sequence end
        int pauseAfterMs = 0;
        Done done;
        bool endsSequence = false;
    };

    void pump();
    void fail(int result);
    void setBusy(bool busy);

    SendFunction send_;
    std::deque<Item> items_;
    QTimer timer_;
    bool busy_ = false;
    bool pumping_ = false;
    bool awaiting_ = false;
    int pauseAfterAwaited_ = 0;
    int failures_ = 0;
};

} // namespace varento
