#pragma once

#include "signal_model.h"
#include "unit_config.h"

#include "protocol/device_record.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace varento::emu {

using Frame = std::vector<std::uint8_t>;

// One unit: its whole state, the replies it gives and the sets it applies.
// Time moves only through advance(), so a seed and a sequence of calls replay exactly.
class EmulatedUnit {
public:
    static constexpr std::chrono::milliseconds kIdentifyTime{5000};
    static constexpr std::chrono::milliseconds kBlinkHalfPeriod{250};

    EmulatedUnit(const UnitConfig& config, std::uint64_t seed);

    const UnitConfig& config() const { return config_; }
    const DeviceUid& uid() const { return config_.uid; }

    // Answers one frame already known to be for this unit: the reply to a request,
    // nothing for a set or for anything a unit does not act on.
    std::vector<Frame> receive(std::span<const std::uint8_t> frame);
    void advance(std::chrono::milliseconds elapsed);

    Frame parameterReply() const;
    Frame levelReply() const;
    Frame routingReply() const;
    Frame gainsReply() const;

    // The settable state as applied so far (routing, gains, parameter bytes).
    const DeviceRecord& state() const { return state_; }
    bool identifying() const { return identifyLeftMs_ > 0; }
    // The level that entry 0..127 of the next level reply shows, in dB.
    float meterDb(int entry) const;
    // What the unit sends as parameter `number` (0..28) right now.
    std::uint8_t parameterValue(int number) const;

private:
    void applyParameters(std::span<const std::uint8_t> f);
    void applyParameter(int number, std::uint8_t value);
    void applyRouting(std::span<const std::uint8_t> f);
    void applyGains(std::span<const std::uint8_t> f);
    void statusEvent();
    float sourceDb(int source) const;
    float busDb(int bus) const;
    bool extendedPanel() const;
    bool aesModel() const;

    UnitConfig config_;
    DeviceRecord state_;
    SignalModel signals_;
    Random random_;
    std::int64_t identifyLeftMs_ = 0;
    std::int64_t nextStatusEventMs_ = 0;
};

} // namespace varento::emu
