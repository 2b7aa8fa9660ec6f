#include "app/send_queue.h"

#include "links/frame_link.h"

namespace varento {

SendQueue::SendQueue(SendFunction send, QObject* parent) : QObject(parent), send_(std::move(send)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SendQueue::pump);
}

void SendQueue::enqueue(std::vector<SequenceStep> steps, Done done) {
    for (SequenceStep& step : steps) {
        items_.push_back({std::move(step.frame), step.pauseAfterMs, {}, false});
    }
    items_.push_back({{}, 0, std::move(done), true});
    setBusy(true);
    pump();
}

void SendQueue::enqueuePause(int ms) {
    items_.push_back({{}, ms, {}, false});
    setBusy(true);
    pump();
}

int SendQueue::plannedMs() const {
    int ms = timer_.isActive() ? timer_.interval() : 0;
    if (awaiting_) {
        ms += pauseAfterAwaited_;
    }
    for (const Item& item : items_) {
        ms += item.pauseAfterMs;
    }
    return ms;
}

void SendQueue::clear() {
    std::deque<Item> dropped;
    dropped.swap(items_);
    // A sequence is cut short when one of its frames had not left (the one on its
    // way counts); one that only had its pause left is done.
    bool frameDropped = awaiting_;
    timer_.stop();
    awaiting_ = false;
    setBusy(false);
    for (Item& item : dropped) {
        frameDropped = frameDropped || !item.frame.empty();
        if (!item.endsSequence) {
            continue;
        }
        if (frameDropped) {
            ++failures_;
        }
        if (item.done) {
            item.done(frameDropped ? kCutShort : 0);
        }
        frameDropped = false;
    }
}

void SendQueue::frameFinished(int result) {
    if (!awaiting_) {
        return;
    }
    awaiting_ = false;
    if (result != 0) {
        fail(result);
    } else if (pauseAfterAwaited_ > 0) {
        timer_.start(pauseAfterAwaited_);
    }
    pump();
}

void SendQueue::fail(int result) {
    ++failures_;
    // Drop the rest of this sequence and report the failure to its owner.
    while (!items_.empty() && !items_.front().endsSequence) {
        items_.pop_front();
    }
    Done done;
    if (!items_.empty()) {
        done = std::move(items_.front().done);
        items_.pop_front();
    }
    emit sendFailed(result);
    if (done) {
        done(result);
    }
}

void SendQueue::pump() {
    if (pumping_) {
        return; // a done callback queued more; the running loop takes it
    }
    pumping_ = true;
    while (!items_.empty() && !timer_.isActive() && !awaiting_) {
        Item item = std::move(items_.front());
        items_.pop_front();
        if (item.endsSequence) {
            if (item.done) {
                item.done(0);
            }
            continue;
        }
        if (!item.frame.empty()) {
            const int result = send_(item.frame);
            if (result == FrameLink::kSendPending) {
                // The next frame leaves once this one has, after its pause.
                awaiting_ = true;
                pauseAfterAwaited_ = item.pauseAfterMs;
                break;
            }
            if (result != 0) {
                fail(result);
                continue;
            }
        }
        if (item.pauseAfterMs > 0) {
            timer_.start(item.pauseAfterMs);
        }
    }
    pumping_ = false;
    if (items_.empty() && !timer_.isActive() && !awaiting_) {
        setBusy(false);
    }
}

void SendQueue::setBusy(bool busy) {
    if (busy_ != busy) {
        busy_ = busy;
        emit busyChanged(busy);
    }
}

} // namespace varento
