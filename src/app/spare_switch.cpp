#include "app/spare_switch.h"

namespace varento {

int moveRoutes(RoutingTable& table, std::uint8_t from, std::uint8_t to) {
    int highest = -1;
    for (int slot = 0; slot < kRouteSlots; ++slot) {
        auto& source = table.sources[static_cast<std::size_t>(slot)];
        if (source == from && from != to) {
            source = to;
            highest = slot;
        }
    }
    return highest;
}

} // namespace varento
