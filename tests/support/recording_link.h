#pragma once

#include "links/frame_link.h"

#include <QElapsedTimer>

#include <functional>

#include <vector>

namespace varento::testing {

// Passes frames on to another link and keeps every one sent, with the time it left.
class RecordingLink : public FrameLink {
public:
    struct Sent {
        std::vector<std::uint8_t> frame;
        qint64 atMs;
    };

    explicit RecordingLink(FrameLink& inner) : inner_(inner) {
        clock_.start();
        connect(&inner_, &FrameLink::frameReceived, this, &FrameLink::frameReceived);
    }

    int send(std::span<const std::uint8_t> frame) override {
        sent.push_back({{frame.begin(), frame.end()}, clock_.elapsed()});
        if (failWith != 0 && (!failOnly || failOnly(frame))) {
            return failWith;
        }
        if (lose && lose(frame)) {
            return 0; // sent, but lost on the way
        }
        return inner_.send(frame);
    }
    bool isOpen() const override { return inner_.isOpen(); }

    std::vector<std::uint8_t> commands() const {
        std::vector<std::uint8_t> out;
        for (const Sent& s : sent) {
            out.push_back(s.frame.size() > 17 ? s.frame[17] : 0);
        }
        return out;
    }

    std::vector<Sent> sent;
    int failWith = 0;
    // With it set, only the frames it picks fail with failWith.
    std::function<bool(std::span<const std::uint8_t>)> failOnly;
    // Frames for which this returns true never reach the units.
    std::function<bool(std::span<const std::uint8_t>)> lose;

private:
    FrameLink& inner_;
    QElapsedTimer clock_;
};

} // namespace varento::testing
