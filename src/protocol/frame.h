#pragma once

#include <array>
#include <cstdint>

namespace varento {

inline constexpr std::uint8_t kFrameStart = 0xF0;
inline constexpr std::uint8_t kFrameEnd = 0xF7;
inline constexpr std::uint8_t kCalibrationEnd = 0x7F; // the two calibration messages end so
inline constexpr int kCommandOffset = 17;
inline constexpr int kPayloadOffset = 18;
inline constexpr int kEmptyFrameLength = 19;
inline constexpr int kMaxFrameLength = 787; // the full routing frame
inline constexpr int kSendBufferSize = 1024;

namespace cmd {
inline constexpr std::uint8_t discover = 0x0E;
inline constexpr std::uint8_t requestParams = 0x10;
inline constexpr std::uint8_t requestLevels = 0x11;
inline constexpr std::uint8_t requestRouting = 0x12;
inline constexpr std::uint8_t requestGains = 0x13;
inline constexpr std::uint8_t setParams = 0x20;
inline constexpr std::uint8_t setRouting = 0x22;
inline constexpr std::uint8_t setGains = 0x23;
inline constexpr std::uint8_t paramsReply = 0x30;
inline constexpr std::uint8_t levelsReply = 0x31;
inline constexpr std::uint8_t routingReply = 0x32;
inline constexpr std::uint8_t gainsReply = 0x33;
} // namespace cmd

inline constexpr int kLevelsReplyLength = 147;
inline constexpr int kRoutingReplyLength = 787;
inline constexpr int kGainsReplyLength = 275;
inline constexpr int kUnitListEntrySize = 19; // uid, model, firmware major, minor

// Gain indices on the wire run A, B, C.
inline constexpr int kInputGainBase = 0;
inline constexpr int kInputSwitchBase = 32;
inline constexpr int kChannelGainBase = 64;
inline constexpr int kGainEntryCount = 128;

// The shared send buffer every request is built into.
using FrameBuffer = std::array<std::uint8_t, kSendBufferSize>;

} // namespace varento
