#pragma once

#include "links/frame_link.h"

#include <QByteArray>
#include <QList>

#include <functional>

namespace varento::testing {

// A link that records every frame sent and lets a test inject received frames,
// directly or as an automatic reply to each send.
class FakeLink : public FrameLink {
public:
    using FrameLink::FrameLink;

    int send(std::span<const std::uint8_t> frame) override {
        const QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                               static_cast<qsizetype>(frame.size()));
        sent.push_back(bytes);
        if (reply) {
            for (const QByteArray& r : reply(bytes)) {
                emit frameReceived(r);
            }
        }
        return result;
    }

    bool isOpen() const override { return open; }

    void inject(const QByteArray& frame) { emit frameReceived(frame); }

    QList<QByteArray> sent;
    int result = 0;
    bool open = true;
    // Frames to deliver in answer to a sent frame (delivered before send returns).
    std::function<QList<QByteArray>(const QByteArray&)> reply;
};

} // namespace varento::testing
