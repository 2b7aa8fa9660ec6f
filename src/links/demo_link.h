#pragma once

#include "links/frame_link.h"
#include "unit/unit_config.h"

#include <QElapsedTimer>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

namespace varento {

namespace emu {
class EmulatedRack;
} // namespace emu

// Emulated units in the same process, without any socket: a frame sent reaches
// the rack at once and its replies come back a moment later from the event loop,
// as they would from a real link. Meters move with the wall clock.
class DemoLink : public FrameLink {
    Q_OBJECT

public:
    static constexpr int kReplyDelayMs = 2;
    static constexpr int kAdvanceMs = 50;

    explicit DemoLink(const std::vector<emu::UnitConfig>& units, QObject* parent = nullptr);
    ~DemoLink() override;

    int send(std::span<const std::uint8_t> frame) override;
    bool isOpen() const override { return true; }

    emu::EmulatedRack& rack() { return *rack_; }
    // Replies stop (a unit taken off the line) and come back.
    void setAnswering(bool answering) { answering_ = answering; }

private:
    void deliverNext();
    void advance();

    std::unique_ptr<emu::EmulatedRack> rack_;
    std::deque<QByteArray> pending_;
    QTimer replyTimer_;
    QTimer advanceTimer_;
    QElapsedTimer clock_;
    bool answering_ = true;
};

// Units for the demo: the emulator's default three, or one unit of each model
// code given, on firmware that needs no update.
std::vector<emu::UnitConfig> demoUnits(const std::vector<int>& models = {});

} // namespace varento
