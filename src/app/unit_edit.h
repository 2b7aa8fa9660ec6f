#pragma once

#include "protocol/device_record.h"
#include "protocol/routing_table.h"

namespace varento {

// What one typed edit of the current unit changed, so each view refreshes only
// when its own data moved.
enum class UnitPart { Parameters, Routing, Gains, Labels };

struct UnitEdit {
    enum class Kind {
        Parameter,    // `index`: the parameter number
        Flag,         // `index`: the UnitFlag
        RoutingRange, // outputs `index`..`last`
        RoutingTable, // every slot, sources and flags
        InputGain,    // `index`: the input
        InputSwitch,  // `index`: the input
        // Inputs `index`..`last`, sent one by one.
        InputGainGroup,
        InputSwitchGroup,
        GpoBits,
        InputGains,
        ChannelGain, // `index`: the channel
        ChannelGains,
        BusLevels,
        ChannelLabel,  // `index`: the label slot
        ChannelLabels, // slots `index`..`last`
        Settings,      // a settings dialog's parameter block
        Calibration,
        FactoryDefaults, // everything but identity and labels
    };
    Kind kind;
    int index = 0;
    int last = 0;

    UnitPart part() const;
    friend bool operator==(const UnitEdit&, const UnitEdit&) = default;
};

} // namespace varento
