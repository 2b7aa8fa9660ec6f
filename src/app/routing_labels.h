#pragma once

#include "protocol/device_record.h"
#include "protocol/routing_grid.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace varento {

// The routing in the words of its labels: outputs 0..191 are the wire's slots,
// sources 0..191 the input channels and kFirstBus.. the four summing buses.

// The output banks as a sheet or a comparison groups them.
struct OutputBank {
    const char* name; // "AES OUT"
    int first;        // first output slot
    int count;
};
inline constexpr std::array<OutputBank, 4> kOutputBanks = {{
    {"AES OUT", 0, 32},
    {"Analog OUT", 32, 32},
    {"MADI 1 OUT", 64, 64},
    {"MADI 2 OUT", 128, 64},
}};
const OutputBank& outputBankOf(int output);

// The channel's own name, whatever its label: "AES OUT 5", "Analog IN 3",
// "SUM Bus 1"; a source number that names no channel has none.
QString outputChannelName(int output);
QString sourceChannelName(int source);

QString outputLabel(const DeviceRecord& record, int output);
// A unit may report a source number that names no channel; it has no label.
std::optional<QString> sourceLabel(const DeviceRecord& record, int source);
// The channels summed onto bus 0..3: bit bus+1 of a channel's flags.
std::vector<int> sourcesOnBus(const DeviceRecord& record, int bus);

} // namespace varento
