// Spare-microphone switch-over: the one operation behind the trigger window, its
// menu item and the command line.
#include "app/session.h"
#include "protocol/catalog.h"

#include <algorithm>

namespace varento {

bool Session::spareSwitch(SpareStep step, int channel, int spare) {
    const DeviceRecord& unit = current();
    if (!isSpareChannel(channel) || !isSpareChannel(spare) || !hasMicInputs(unit.model)) {
        return false;
    }
    RoutingTable table = RoutingTable::of(unit);
    int highest = -1;
    if (step == SpareStep::Trip) {
        trippedChannel_ = channel;
        highest = moveRoutes(table, analogSource(channel), analogSource(spare));
    } else {
        trippedChannel_ = -1;
        highest = moveRoutes(table, analogSource(spare), analogSource(channel));
    }
    // Always one frame from output 0, also when nothing was fed by the channel.
    editor().setRoutingRange(0, std::max(highest, 0), table);
    emit trippedChannelChanged(trippedChannel_);
    return true;
}

void Session::drTriggerReapply() {
    const DeviceRecord& unit = current();
    if (trippedChannel_ < 0 || !hasMicInputs(unit.model)) {
        return;
    }
    RoutingTable table = RoutingTable::of(unit);
    const int spare = spareChannelOf(state_.lastEmergencyChannel);
    const int highest = moveRoutes(table, analogSource(trippedChannel_), analogSource(spare));
    if (highest >= 0) {
        editor().setRoutingRange(0, highest, table);
    }
}

} // namespace varento
