#pragma once

#include "emulated_rack.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varento::emu {

// Faults a test bench or an operator can provoke. Time is the wire's own clock,
// moved by advance(), so every fault replays exactly.
struct FaultPlan {
    int dropEvery = 0;                                  // drop every n-th reply (0: never)
    std::chrono::milliseconds delay{0};                 // each reply leaves this much later
    std::optional<std::chrono::milliseconds> muteAfter; // stop answering from then on
    std::optional<std::chrono::milliseconds> muteFor;   // ... for this long (none: for good)
    int corruptEvery = 0;                     // flip bit 0 of one byte of every n-th reply
    std::optional<std::size_t> corruptOffset; // that byte; none picks a payload byte
    std::chrono::milliseconds byteGap{0};     // serial: one byte at a time, this far apart
    struct Withdrawal {
        std::chrono::milliseconds after;
        int daemon = 0;
        friend bool operator==(const Withdrawal&, const Withdrawal&) = default;
    };
    std::vector<Withdrawal> withdrawals; // network: daemons that end early (the daemons' own)

    bool any() const;
    friend bool operator==(const FaultPlan&, const FaultPlan&) = default;
};

// A reply on its way out: send `frame` once `delay` has passed.
struct Outgoing {
    Frame frame;
    std::chrono::milliseconds delay{0};
    bool corrupted = false;
};

// What became of the replies to one frame.
struct Delivery {
    std::vector<Outgoing> frames;
    std::size_t dropped = 0;
    bool silent = false; // the line was dead: nothing was received or sent
};

class FaultInjector {
public:
    explicit FaultInjector(FaultPlan plan = {}, std::uint64_t seed = 1);

    void advance(std::chrono::milliseconds elapsed) { now_ += elapsed; }
    std::chrono::milliseconds now() const { return now_; }
    bool silent() const;
    // Decides the fate of each reply, in order.
    Delivery pass(std::vector<Frame> replies);
    const FaultPlan& plan() const { return plan_; }

private:
    FaultPlan plan_;
    Random random_;
    std::chrono::milliseconds now_{0};
    std::uint64_t replies_ = 0;
};

// The in-process end of a line: units plus faults, no sockets. A link that wants
// the replies asynchronously schedules each Outgoing after its delay.
class EmulatedWire {
public:
    explicit EmulatedWire(const std::vector<UnitConfig>& units, FaultPlan plan = {},
                          std::uint64_t seed = 1);

    Delivery receive(std::span<const std::uint8_t> frame);
    void advance(std::chrono::milliseconds elapsed);

    EmulatedRack& rack() { return rack_; }
    FaultInjector& faults() { return faults_; }

private:
    EmulatedRack rack_;
    FaultInjector faults_;
};

} // namespace varento::emu
