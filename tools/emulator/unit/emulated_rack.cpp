#include "emulated_rack.h"

#include "protocol/frame.h"

#include <algorithm>

namespace varento::emu {

EmulatedRack::EmulatedRack(const std::vector<UnitConfig>& units, std::uint64_t seed) {
    units_.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        units_.emplace_back(units[i], seed + 7919 * i);
    }
}

EmulatedUnit* EmulatedRack::find(const DeviceUid& uid) {
    const auto it = std::find_if(units_.begin(), units_.end(),
                                 [&uid](const EmulatedUnit& u) { return u.uid() == uid; });
    return it == units_.end() ? nullptr : &*it;
}

std::vector<Frame> EmulatedRack::unitList(std::span<const EmulatedUnit* const> units) {
    std::vector<Frame> frames;
    for (std::size_t first = 0; first < units.size(); first += kUnitsPerListFrame) {
        Frame f{kFrameStart};
        const DeviceUid all = DeviceUid::broadcast();
        f.insert(f.end(), all.bytes.begin(), all.bytes.end());
        f.push_back(cmd::discover);
        const std::size_t last = std::min(units.size(), first + kUnitsPerListFrame);
        for (std::size_t i = first; i < last; ++i) {
            const UnitConfig& c = units[i]->config();
            f.insert(f.end(), c.uid.bytes.begin(), c.uid.bytes.end());
            f.insert(f.end(), {c.model, c.firmwareMajor, c.firmwareMinor});
        }
        f.push_back(kFrameEnd);
        frames.push_back(std::move(f));
    }
    return frames;
}

std::vector<Frame> EmulatedRack::receive(std::span<const std::uint8_t> frame) {
    if (frame.size() <= kCommandOffset || frame.size() > kMaxFrameLength ||
        frame[0] != kFrameStart) {
        return {};
    }
    DeviceUid addressed;
    std::copy_n(frame.begin() + 1, addressed.bytes.size(), addressed.bytes.begin());
    const bool toAll = addressed == DeviceUid::broadcast();
    auto isAddressed = [&](const EmulatedUnit& u) { return toAll || u.uid() == addressed; };

    if (frame[kCommandOffset] == cmd::discover) {
        std::vector<const EmulatedUnit*> listed;
        for (const auto& u : units_) {
            if (isAddressed(u)) {
                listed.push_back(&u);
            }
        }
        return unitList(listed);
    }
    std::vector<Frame> replies;
    for (auto& u : units_) {
        if (isAddressed(u)) {
            auto answer = u.receive(frame);
            std::move(answer.begin(), answer.end(), std::back_inserter(replies));
        }
    }
    return replies;
}

void EmulatedRack::advance(std::chrono::milliseconds elapsed) {
    for (auto& u : units_) {
        u.advance(elapsed);
    }
}

} // namespace varento::emu
