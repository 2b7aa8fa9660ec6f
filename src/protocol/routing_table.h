#pragma once

#include "protocol/device_record.h"

#include <array>
#include <cstdint>

namespace varento {

// The routing of a unit as the matrix edits it: a source per output slot and the
// bus bits per channel.
struct RoutingTable {
    std::array<std::uint8_t, kRouteSlots> sources{};
    std::array<std::uint8_t, kRouteSlots> flags{};

    static RoutingTable of(const DeviceRecord& record) {
        return {record.routeSource, record.routeFlags};
    }
    friend bool operator==(const RoutingTable&, const RoutingTable&) = default;
};

} // namespace varento
