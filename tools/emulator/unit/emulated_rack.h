#pragma once

#include "emulated_unit.h"

#include <chrono>
#include <span>
#include <vector>

namespace varento::emu {

// Several units on one wire: every frame reaches all of them, and each acts on
// what is addressed to it or to all units.
class EmulatedRack {
public:
    // More units than one unit-list frame holds are listed in several frames.
    static constexpr std::size_t kUnitsPerListFrame = 40;

    explicit EmulatedRack(const std::vector<UnitConfig>& units, std::uint64_t seed = 1);

    // The reply frames to one received frame, in the order the units send them.
    // A frame that is malformed or for nobody here gets none.
    std::vector<Frame> receive(std::span<const std::uint8_t> frame);
    void advance(std::chrono::milliseconds elapsed);

    // The unit-list frames that answer a discovery of `units`.
    static std::vector<Frame> unitList(std::span<const EmulatedUnit* const> units);

    std::vector<EmulatedUnit>& units() { return units_; }
    const std::vector<EmulatedUnit>& units() const { return units_; }
    EmulatedUnit* find(const DeviceUid& uid);

private:
    std::vector<EmulatedUnit> units_;
};

} // namespace varento::emu
