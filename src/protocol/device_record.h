#pragma once

#include "protocol/device_uid.h"

#include <array>
#include <cstdint>

namespace varento {

// Parameter numbers as used on the wire; they also index DeviceRecord::params.
namespace param {
inline constexpr int clockRate = 0;
inline constexpr int ioOptions = 1;
inline constexpr int madiFormat = 2;
inline constexpr int routingA = 3;
inline constexpr int routingB = 4;
inline constexpr int srcEnable = 5;
inline constexpr int fanSlowTemp = 6;
inline constexpr int fanFastTemp = 7;
inline constexpr int remoteOptions = 8;
inline constexpr int calibration1High = 9;
inline constexpr int calibration1Low = 10;
inline constexpr int calibration2High = 11;
inline constexpr int calibration2Low = 12;
inline constexpr int ledDim1 = 13;
inline constexpr int ledDim2 = 14;
inline constexpr int aesOptions = 15;
inline constexpr int syncStatus = 16;
inline constexpr int param17 = 17;
inline constexpr int calibrationOptions = 18;
inline constexpr int param19 = 19;
inline constexpr int gainOptions = 20;
inline constexpr int delayOptions = 21;
inline constexpr int syncStatus2 = 22;
inline constexpr int temperature = 23;
inline constexpr int statusLeds = 24;
inline constexpr int model = 25; // kept in DeviceRecord::model, not in params
inline constexpr int firmwareMajor = 27;
inline constexpr int firmwareMinor = 28;
inline constexpr int last = 28;
// Local bytes with no parameter number; never received, used by the settings dialogs.
inline constexpr int madi96kChoice = 29;
inline constexpr int wckTermChoice = 30;
} // namespace param

inline constexpr int kLabelCount = 388;
inline constexpr int kLabelSize = 17; // 16 characters and a NUL
inline constexpr int kLevelCount = 128;
inline constexpr int kRouteSlots = 256;
inline constexpr int kWireRouteSlots = 192; // only slots 0..191 travel on the wire
inline constexpr int kInputCount = 32;
inline constexpr int kChannelGainCount = 64;
inline constexpr std::uint8_t kNoSource = 255;

using Label = std::array<char, kLabelSize>;

// The one-bit switches that the windows edit, each a bit of a numbered parameter.
enum class UnitFlag {
    MatrixMode,             // routingB bit 6
    ExtendedRouting,        // remoteOptions bit 2: banks MADI2 in the matrix
    UpperBank,              // routingA bit 6: channels 33..64
    RemoteOverMadiDisabled, // param19 bit 6
    GainsEnabled,           // param17 bit 6, the meterbridge's "Enable Gains"
    OutputsMuted,           // gainOptions bit 6, the meterbridge's "Mute All Ouputs"
};

struct FlagBit {
    int parameter;
    std::uint8_t mask;
};

FlagBit flagBit(UnitFlag flag);

// The complete state of one unit. Value-initialising gives the all-zero record.
struct DeviceRecord {
    std::int32_t awaitingData = 0;
    std::array<std::uint8_t, 32> params{};
    std::array<std::uint8_t, kLevelCount> levelCodes{};
    std::int32_t calibration1 = 0;
    std::int32_t calibration2 = 0;
    std::uint8_t model = 0;
    DeviceUid uid{};
    std::array<std::uint8_t, kRouteSlots> routeSource{};
    std::array<std::uint8_t, kRouteSlots> routeFlags{};
    std::uint8_t ledDimEdit1 = 0;
    std::uint8_t ledDimEdit2 = 0;
    std::array<std::uint8_t, kInputCount> inputGain{};         // group A, kept in 8..63
    std::array<std::uint8_t, kChannelGainCount> channelGain{}; // group C, signed dB
    std::array<std::uint8_t, kInputCount> inputSwitch{};       // group B: bit 1 P48, bit 0 PAD
    std::array<float, kLevelCount> levelDb{};
    std::int32_t daemonIndex = 0;
    std::array<Label, kLabelCount> labels{};
    std::int32_t searchDaemonIndex = 0;

    std::uint8_t& at(int parameter) { return params[static_cast<std::size_t>(parameter)]; }
    std::uint8_t at(int parameter) const { return params[static_cast<std::size_t>(parameter)]; }

    // LED dim level 0..3; the AES models keep it in the status LED byte.
    int ledDimLevel() const;

    bool flag(UnitFlag f) const {
        const FlagBit bit = flagBit(f);
        return (at(bit.parameter) & bit.mask) != 0;
    }
    void setFlag(UnitFlag f, bool on) {
        const FlagBit bit = flagBit(f);
        at(bit.parameter) = static_cast<std::uint8_t>(on ? at(bit.parameter) | bit.mask
                                                         : at(bit.parameter) & ~bit.mask);
    }
};

// Power-on state used at start-up.
void resetToPowerOnDefaults(DeviceRecord& record);
// The factory-defaults command; identity, labels and firmware stay.
void resetToFactoryDefaults(DeviceRecord& record);
// Every byte zero, so the next replies report every value as changed.
void clearShadow(DeviceRecord& shadow);

// Copies a label text (truncated to 16 characters) into a label slot.
void setLabel(Label& label, const char* text);

} // namespace varento
