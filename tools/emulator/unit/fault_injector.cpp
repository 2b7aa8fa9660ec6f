#include "fault_injector.h"

namespace varento::emu {

bool FaultPlan::any() const {
    return dropEvery > 0 || delay.count() > 0 || muteAfter || corruptEvery > 0 ||
           byteGap.count() > 0 || !withdrawals.empty();
}

FaultInjector::FaultInjector(FaultPlan plan, std::uint64_t seed)
    : plan_(std::move(plan)), random_(seed ^ 0xFA017u) {}

bool FaultInjector::silent() const {
    if (!plan_.muteAfter || now_ < *plan_.muteAfter) {
        return false;
    }
    return !plan_.muteFor || now_ < *plan_.muteAfter + *plan_.muteFor;
}

Delivery FaultInjector::pass(std::vector<Frame> replies) {
    Delivery d;
    if (silent()) {
        d.silent = true;
        return d;
    }
    for (Frame& f : replies) {
        ++replies_;
        if (plan_.dropEvery > 0 && replies_ % static_cast<std::uint64_t>(plan_.dropEvery) == 0) {
            ++d.dropped;
            continue;
        }
        Outgoing out{std::move(f), plan_.delay, false};
        if (plan_.corruptEvery > 0 && !out.frame.empty() &&
            replies_ % static_cast<std::uint64_t>(plan_.corruptEvery) == 0) {
            std::size_t at = 0;
            if (plan_.corruptOffset) {
                at = std::min(*plan_.corruptOffset, out.frame.size() - 1);
            } else if (out.frame.size() > 2) { // a byte between the two markers
                at = 1 + static_cast<std::size_t>(
                             random_.below(static_cast<int>(out.frame.size() - 2)));
            }
            out.frame[at] ^= 0x01; // a 7-bit byte stays 7-bit, so no marker appears
            out.corrupted = true;
        }
        d.frames.push_back(std::move(out));
    }
    return d;
}

EmulatedWire::EmulatedWire(const std::vector<UnitConfig>& units, FaultPlan plan, std::uint64_t seed)
    : rack_(units, seed), faults_(std::move(plan), seed) {}

Delivery EmulatedWire::receive(std::span<const std::uint8_t> frame) {
    if (faults_.silent()) {
        return {{}, 0, true}; // a dead line: the units never see the frame
    }
    return faults_.pass(rack_.receive(frame));
}

void EmulatedWire::advance(std::chrono::milliseconds elapsed) {
    rack_.advance(elapsed);
    faults_.advance(elapsed);
}

} // namespace varento::emu
