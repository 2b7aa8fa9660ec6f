#pragma once

#include "protocol/routing_table.h"

#include <cstdint>

namespace varento {

// Spare-microphone switch-over: every output fed by a failed microphone input is
// given a spare analog input, and back. Analog input c (0..31) is source c + 32.
inline constexpr int kSpareChannels = 32;
inline constexpr int kAnalogSourceBase = 32;

enum class SpareStep {
    Trip,   // the channel's routes go to the spare input
    Untrip, // every route of the spare input goes to the channel
};

constexpr std::uint8_t analogSource(int channel) {
    return static_cast<std::uint8_t>(kAnalogSourceBase + channel);
}

constexpr bool isSpareChannel(int channel) {
    return channel >= 0 && channel < kSpareChannels;
}

// The spare channel a remembered value stands for: out of range (a hand-edited
// setting) it is the last input, as on a first start.
constexpr int spareChannelOf(int remembered) {
    return isSpareChannel(remembered) ? remembered : kSpareChannels - 1;
}

// Every routing entry fed by `from` takes `to`. Returns the highest entry that
// changed, -1 when none did.
int moveRoutes(RoutingTable& table, std::uint8_t from, std::uint8_t to);

} // namespace varento
