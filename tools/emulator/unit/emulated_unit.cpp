#include "emulated_unit.h"

#include "protocol/catalog.h"
#include "protocol/frame.h"
#include "protocol/frame_builders.h"

#include <algorithm>
#include <cmath>

namespace varento::emu {

namespace {

constexpr std::uint8_t kIdentifyBit = 0x08;
constexpr std::uint8_t kStatusLedBits = 0x07;
constexpr std::uint8_t kAesDimBits = 0x30;
constexpr std::uint8_t kSwitchBit = 0x40; // the app-owned bit of the status-sharing bytes
constexpr std::uint8_t kMadi2Shift = 2;

Frame header(const DeviceUid& uid, std::uint8_t command) {
    Frame f;
    f.reserve(kMaxFrameLength);
    f.push_back(kFrameStart);
    for (std::uint8_t b : uid.bytes) {
        f.push_back(b);
    }
    f.push_back(command);
    return f;
}

// Sums powers, so two equal signals on a bus read 3 dB louder than one.
float powerSum(float a, float b) {
    if (a == kSilence) {
        return b;
    }
    if (b == kSilence) {
        return a;
    }
    return static_cast<float>(10.0 *
                              std::log10(std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0)));
}

} // namespace

EmulatedUnit::EmulatedUnit(const UnitConfig& config, std::uint64_t seed)
    : config_(config), signals_(seed ^ 0x5EED0001u), random_(seed) {
    for (std::uint8_t b : config.uid.bytes) {
        random_ = Random(random_.next() ^ b); // each unit of a rack moves differently
    }
    resetToPowerOnDefaults(state_);
    state_.uid = config.uid;
    state_.model = config.model;
    state_.at(param::firmwareMajor) = config.firmwareMajor;
    state_.at(param::firmwareMinor) = config.firmwareMinor;
    state_.at(param::ledDim1) = 0x08; // "Bright"
    state_.channelGain.fill(0);       // 0 dB on every output
    if (hasMicInputs(config.model)) {
        state_.inputGain.fill(30);
        state_.inputSwitch.fill(0); // PAD and P48 off
    }
    state_.at(param::syncStatus) = 0x0F;  // both MADI inputs locked
    state_.at(param::syncStatus2) = 0x33; // gauge 3, first extra input locked
    state_.at(param::temperature) = static_cast<std::uint8_t>(38 + random_.below(6));
    state_.at(param::statusLeds) = 0x01;
    if (extendedPanel()) {
        state_.at(param::param17) = 0x3F; // input status rows: the first inputs locked
        state_.at(param::calibrationOptions) = 0x0F;
    }
    if (aesModel()) {
        state_.at(param::calibration1Low) = 0x3F; // on these models, further input status
        state_.at(param::calibration2High) = 0x3F;
        state_.at(param::calibration2Low) = 0;
        state_.at(param::statusLeds) |= 0x20; // LED dim "Bright"
    }
    nextStatusEventMs_ = 3000 + random_.below(7000);
}

bool EmulatedUnit::extendedPanel() const {
    return frontPanel(config_.model) == FrontPanel::Extended;
}
bool EmulatedUnit::aesModel() const {
    return isAesModel(config_.model);
}

std::vector<Frame> EmulatedUnit::receive(std::span<const std::uint8_t> f) {
    if (f.size() <= kCommandOffset) {
        return {};
    }
    switch (f[kCommandOffset]) {
    case cmd::requestParams:
        return {parameterReply()};
    case cmd::requestLevels:
        return {levelReply()};
    case cmd::requestRouting:
        return {routingReply()};
    case cmd::requestGains:
        return {gainsReply()};
    case cmd::setParams:
        applyParameters(f);
        return {};
    case cmd::setRouting:
        applyRouting(f);
        return {};
    case cmd::setGains:
        applyGains(f);
        return {};
    default:
        return {}; // replies of other units on a shared line, unknown commands
    }
}

// Pairs until the end marker; the calibration messages end with 0x7F instead,
// which is no parameter number either.
void EmulatedUnit::applyParameters(std::span<const std::uint8_t> f) {
    for (std::size_t off = kPayloadOffset; off + 1 < f.size(); off += 2) {
        if (f[off] == kFrameEnd || f[off] == kCalibrationEnd) {
            break;
        }
        applyParameter(f[off], static_cast<std::uint8_t>(f[off + 1] & 0x7F));
    }
}

void EmulatedUnit::applyParameter(int number, std::uint8_t value) {
    const bool aes = aesModel();
    switch (number) {
    case param::calibration1High:
    case param::calibration1Low:
    case param::calibration2High:
    case param::calibration2Low:
        if (aes) {
            return; // status bytes on the AES models, which have nothing to calibrate
        }
        if (number == param::calibration1High) {
            state_.calibration1 = (value << 7) | (state_.calibration1 & 0x7F);
        } else if (number == param::calibration1Low) {
            state_.calibration1 = (state_.calibration1 & ~0x7F) | value;
        } else if (number == param::calibration2High) {
            state_.calibration2 = (value << 7) | (state_.calibration2 & 0x7F);
        } else {
            state_.calibration2 = (state_.calibration2 & ~0x7F) | value;
        }
        return;
    case param::ledDim1:
    case param::ledDim2:
        if (!aes) {
            state_.at(number) = value;
        }
        return;
    case param::aesOptions:
        // The AES models' LED dim setter; it lands in the status LED byte.
        if (aes) {
            auto& leds = state_.at(param::statusLeds);
            leds = static_cast<std::uint8_t>((leds & ~kAesDimBits) | (value & kAesDimBits));
        } else {
            state_.at(number) = value;
        }
        return;
    case param::statusLeds:
        if (aes) {
            applyParameter(param::aesOptions, value);
        }
        return;
    case param::param17:
    case param::calibrationOptions:
    case param::param19:
    case param::gainOptions:
    case param::delayOptions:
        if (extendedPanel()) { // bits 0-5 report input status; only bit 6 is a setting
            auto& byte = state_.at(number);
            byte = static_cast<std::uint8_t>((byte & ~kSwitchBit) | (value & kSwitchBit));
        } else {
            state_.at(number) = value;
        }
        return;
    case param::remoteOptions:
        state_.at(number) = value;
        if ((value & kIdentifyBit) != 0) {
            identifyLeftMs_ = kIdentifyTime.count();
        }
        return;
    case param::clockRate:
    case param::ioOptions:
    case param::madiFormat:
    case param::routingA:
    case param::routingB:
    case param::srcEnable:
    case param::fanSlowTemp:
    case param::fanFastTemp:
        state_.at(number) = value;
        return;
    default:
        return; // status, identity and unknown numbers are not the remote's to set
    }
}

void EmulatedUnit::applyRouting(std::span<const std::uint8_t> f) {
    for (std::size_t off = kPayloadOffset; off + 4 <= f.size() && f[off] != kFrameEnd; off += 4) {
        const std::size_t slot = (f[off] & 1u) * 128u + (f[off + 1] & 0x7Fu);
        if (slot >= static_cast<std::size_t>(kWireRouteSlots)) {
            continue;
        }
        state_.routeSource[slot] =
            static_cast<std::uint8_t>(((f[off + 2] & 1) << 7) | (f[off + 3] & 0x7F));
        // Bit 7 would break the frame on a byte stream, so a unit keeps flags 1..6.
        state_.routeFlags[slot] = static_cast<std::uint8_t>(f[off + 2] & 0x7E);
    }
}

void EmulatedUnit::applyGains(std::span<const std::uint8_t> f) {
    for (std::size_t off = kPayloadOffset; off + 4 <= f.size() && f[off] != kFrameEnd; off += 4) {
        const int index = ((f[off] & 0x7F) << 7) | (f[off + 1] & 0x7F);
        const auto value = static_cast<std::uint8_t>(((f[off + 2] & 1) << 7) | (f[off + 3] & 0x7F));
        if (index < kInputSwitchBase) {
            state_.inputGain[static_cast<std::size_t>(index)] = value;
        } else if (index < kChannelGainBase) {
            state_.inputSwitch[static_cast<std::size_t>(index - kInputSwitchBase)] = value;
        } else if (index < kGainEntryCount) {
            state_.channelGain[static_cast<std::size_t>(index - kChannelGainBase)] = value;
        }
    }
}

std::uint8_t EmulatedUnit::parameterValue(int number) const {
    const bool aes = aesModel();
    switch (number) {
    case param::calibration1High:
        return aes ? 0 : static_cast<std::uint8_t>((state_.calibration1 >> 7) & 0x7F);
    case param::calibration1Low:
        return aes ? state_.at(number) : static_cast<std::uint8_t>(state_.calibration1 & 0x7F);
    case param::calibration2High:
        return aes ? state_.at(number)
                   : static_cast<std::uint8_t>((state_.calibration2 >> 7) & 0x7F);
    case param::calibration2Low:
        return aes ? state_.at(number) : static_cast<std::uint8_t>(state_.calibration2 & 0x7F);
    case param::statusLeds: {
        std::uint8_t leds = state_.at(number);
        if (identifying()) {
            const std::int64_t elapsed = kIdentifyTime.count() - identifyLeftMs_;
            const bool lit = (elapsed / kBlinkHalfPeriod.count()) % 2 == 0;
            leds = static_cast<std::uint8_t>((leds & ~kStatusLedBits) | (lit ? kStatusLedBits : 0));
        }
        return leds;
    }
    case param::model:
        return config_.model;
    case 26:
        return 0;
    default:
        return number >= 0 && number <= param::last ? state_.at(number) : 0;
    }
}

Frame EmulatedUnit::parameterReply() const {
    Frame f = header(uid(), cmd::paramsReply);
    for (int number = 0; number <= param::last; ++number) {
        if (number != 26) { // the one number without a parameter
            f.push_back(static_cast<std::uint8_t>(number));
            f.push_back(parameterValue(number));
        }
    }
    f.push_back(kFrameEnd);
    return f;
}

Frame EmulatedUnit::levelReply() const {
    Frame f = header(uid(), cmd::levelsReply);
    for (int entry = 0; entry < kLevelCount; ++entry) {
        f.push_back(levelCodeFromDb(meterDb(entry)));
    }
    f.push_back(kFrameEnd);
    return f;
}

Frame EmulatedUnit::routingReply() const {
    // The reply carries the same entries as the message that sets the whole table.
    FrameBuffer buffer{};
    const auto length = static_cast<std::size_t>(buildSetRoutingAll(buffer, state_));
    Frame f(length);
    std::copy_n(buffer.begin(), length, f.begin());
    f.at(kCommandOffset) = cmd::routingReply;
    return f;
}

Frame EmulatedUnit::gainsReply() const {
    Frame f = header(uid(), cmd::gainsReply);
    auto put = [&f](std::uint8_t v) {
        f.push_back(static_cast<std::uint8_t>(v >> 7));
        f.push_back(static_cast<std::uint8_t>(v & 0x7F));
    };
    std::for_each(state_.inputGain.begin(), state_.inputGain.end(), put);
    std::for_each(state_.inputSwitch.begin(), state_.inputSwitch.end(), put);
    std::for_each(state_.channelGain.begin(), state_.channelGain.end(), put);
    f.push_back(kFrameEnd);
    return f;
}

float EmulatedUnit::sourceDb(int source) const {
    if (source >= 192 && source < 196) {
        return busDb(source - 192);
    }
    float db = signals_.sourceDb(source);
    if (db != kSilence && source >= 32 && source < 64 && hasMicInputs(config_.model)) {
        // A microphone delivers about -45 dBFS before the pre-amplifier.
        const std::size_t input = static_cast<std::size_t>(source - 32);
        const bool pad = (state_.inputSwitch[input] & 0x01) != 0;
        db =
            db - 25.0f - 30.0f + static_cast<float>(state_.inputGain[input]) - (pad ? 20.0f : 0.0f);
    }
    return db;
}

float EmulatedUnit::busDb(int bus) const {
    const std::uint8_t levels = state_.at(bus < 2 ? param::ledDim1 : param::ledDim2);
    const int index = (bus % 2 == 0 ? levels : levels >> 4) & 0x07;
    const auto flag = static_cast<std::uint8_t>(1u << (bus + 1));
    float sum = kSilence;
    for (int source = 0; source < kSourceCount; ++source) {
        if ((state_.routeFlags[static_cast<std::size_t>(source)] & flag) != 0) {
            sum = powerSum(sum, sourceDb(source));
        }
    }
    return sum == kSilence ? kSilence : sum - 6.0f * static_cast<float>(index);
}

float EmulatedUnit::meterDb(int entry) const {
    if (entry < 0 || entry >= kLevelCount) {
        return kSilence;
    }
    if (entry >= 64) {
        return sourceDb(entry - 64); // AES inputs, then analog inputs
    }
    const bool mutedAll = (state_.at(param::gainOptions) & kSwitchBit) != 0;
    const std::uint8_t source = state_.routeSource[static_cast<std::size_t>(entry)];
    if (mutedAll || source == kNoSource) {
        return kSilence;
    }
    float db = sourceDb(source);
    if (db != kSilence && (state_.at(param::param17) & kSwitchBit) != 0) {
        db += static_cast<float>(
            static_cast<std::int8_t>(state_.channelGain[static_cast<std::size_t>(entry)]));
    }
    return db == kSilence ? db : std::min(db, 17.0f);
}

void EmulatedUnit::statusEvent() {
    const int pick = random_.below(10);
    auto& temperature = state_.at(param::temperature);
    auto& sync = state_.at(param::syncStatus);
    auto& sync2 = state_.at(param::syncStatus2);
    if (pick < 5) {
        const int step = random_.below(2) == 0 ? -1 : 1;
        temperature = static_cast<std::uint8_t>(std::clamp(temperature + step, 34, 55));
    } else if (pick < 8) {
        const int gauge = std::clamp(((sync2 >> 4) & 0x07) + (random_.below(3) - 1), 1, 6);
        sync2 = static_cast<std::uint8_t>((sync2 & 0x0F) | (gauge << 4));
    } else {
        // MADI 2 loses lock (flashing) or finds it again (lit).
        const int state = (sync >> kMadi2Shift) & 0x03;
        const int next = state == 3 ? 1 : 3;
        sync = static_cast<std::uint8_t>((sync & ~(0x03 << kMadi2Shift)) | (next << kMadi2Shift));
        auto& leds = state_.at(param::statusLeds);
        leds = static_cast<std::uint8_t>(next == 3 ? leds & ~0x02 : leds | 0x02);
        if (extendedPanel()) {
            auto& inputs = state_.at(param::param17);
            inputs = static_cast<std::uint8_t>((inputs & ~0x30) | (next << 4));
        }
    }
}

void EmulatedUnit::advance(std::chrono::milliseconds elapsed) {
    const std::int64_t ms = std::max<std::int64_t>(elapsed.count(), 0);
    signals_.advance(std::chrono::milliseconds(ms));
    if (identifyLeftMs_ > 0) {
        identifyLeftMs_ -= ms;
        if (identifyLeftMs_ <= 0) {
            identifyLeftMs_ = 0;
            state_.at(param::remoteOptions) &= static_cast<std::uint8_t>(~kIdentifyBit);
        }
    }
    for (nextStatusEventMs_ -= ms; nextStatusEventMs_ <= 0;
         nextStatusEventMs_ += 5000 + random_.below(10000)) {
        statusEvent();
    }
}

} // namespace varento::emu
