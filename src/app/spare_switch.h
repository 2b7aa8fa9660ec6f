#pragma once

#include "protocol/routing_table.h"

#include <cstdint>
#include <vector>

namespace varento {

// Spare-microphone switch-over: the outputs fed by a failed microphone input are
// given a spare analog input, and exactly those are given back. Analog input c
// (0..31) is source c + 32.
inline constexpr int kSpareChannels = 32;
inline constexpr int kAnalogSourceBase = 32;

constexpr std::uint8_t analogSource(int channel) {
    return static_cast<std::uint8_t>(kAnalogSourceBase + channel);
}

constexpr bool isSpareChannel(int channel) {
    return channel >= 0 && channel < kSpareChannels;
}

// The spare a remembered value stands for; -1 (none chosen) for anything out of
// range, so a first start or a hand-edited setting never routes a live input.
constexpr int spareChannelOf(int remembered) {
    return isSpareChannel(remembered) ? remembered : -1;
}

// One unit's switch-over: which outputs it moved from the failed input to the
// spare. Outputs the spare fed before are not among them and stay where they are.
struct SwitchOver {
    int channel = -1; // the failed microphone input, 0..31
    int spare = -1;   // the spare input, 0..31
    std::vector<int> outputs;
    friend bool operator==(const SwitchOver&, const SwitchOver&) = default;
};

// The outputs on the wire (0..191, ascending) that take `source`.
std::vector<int> outputsFedBy(const RoutingTable& table, std::uint8_t source);

// Of `outputs`, those that take `source` in `table`.
std::vector<int> outputsOn(const RoutingTable& table, const std::vector<int>& outputs,
                           std::uint8_t source);

// `outputs` take `source`.
void routeOutputs(RoutingTable& table, const std::vector<int>& outputs, std::uint8_t source);

// A table about to replace the unit's routing (a load) is switched over again:
// the outputs it feeds from the failed input take the spare, and they become the
// switch-over's outputs. Returns false when the table feeds nothing from it.
bool reapplySwitchOver(RoutingTable& table, SwitchOver& switchOver);

} // namespace varento
