#include "app/spare_switch.h"

#include <algorithm>

namespace varento {

std::vector<int> outputsFedBy(const RoutingTable& table, std::uint8_t source) {
    std::vector<int> outputs;
    for (int slot = 0; slot < kWireRouteSlots; ++slot) {
        if (table.sources[static_cast<std::size_t>(slot)] == source) {
            outputs.push_back(slot);
        }
    }
    return outputs;
}

std::vector<int> outputsOn(const RoutingTable& table, const std::vector<int>& outputs,
                           std::uint8_t source) {
    std::vector<int> on;
    std::copy_if(outputs.begin(), outputs.end(), std::back_inserter(on), [&](int output) {
        return output >= 0 && output < kRouteSlots &&
               table.sources[static_cast<std::size_t>(output)] == source;
    });
    return on;
}

void routeOutputs(RoutingTable& table, const std::vector<int>& outputs, std::uint8_t source) {
    for (const int output : outputs) {
        if (output >= 0 && output < kRouteSlots) {
            table.sources[static_cast<std::size_t>(output)] = source;
        }
    }
}

bool reapplySwitchOver(RoutingTable& table, SwitchOver& switchOver) {
    switchOver.outputs = outputsFedBy(table, analogSource(switchOver.channel));
    routeOutputs(table, switchOver.outputs, analogSource(switchOver.spare));
    return !switchOver.outputs.empty();
}

} // namespace varento
