#pragma once

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <limits>
#include <span>

namespace varento {

// What the send path and the session need from any link: send one frame, tell
// whether it is open, and deliver every complete received frame on the main thread.
class FrameLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // 0 = sent; -1 = failed, already shown or nothing to show; other codes go to
    // the error reporter.
    virtual int send(std::span<const std::uint8_t> frame) = 0;
    virtual bool isOpen() const = 0;

    // Returned by post() for a frame that is still on its way.
    static constexpr int kSendPending = std::numeric_limits<int>::min();
    // send() without waiting for the frame to leave. A link that finishes later
    // returns kSendPending and emits sendFinished with send()'s result, on the main
    // thread and in the order of posting; close() ends that, for frames not yet
    // reported too. Links that cannot block simply send.
    virtual int post(std::span<const std::uint8_t> frame) { return send(frame); }

signals:
    void frameReceived(const QByteArray& frame);
    void sendFinished(int result);
};

} // namespace varento
