#pragma once

#include <QByteArray>
#include <QObject>

#include <cstdint>
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

signals:
    void frameReceived(const QByteArray& frame);
};

} // namespace varento
