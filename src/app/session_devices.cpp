// The device manager's OK and the labels dialog's close: what the session does
// with the lists and labels the dialogs have edited.
#include "app/cp1252.h"
#include "app/label_flows.h"
#include "app/session.h"
#include "devices/device_manager.h"

namespace varento {

void Session::deviceManagerAccepted() {
    DeviceManager::accept(deviceList_);
    // The unit that was current stays selected, wherever it moved and whatever it
    // is called now; by item text a renamed or moved unit would lose its place.
    const std::optional<DeviceUid> shown =
        selectorItems_.isEmpty() ? std::nullopt : std::optional(current_.uid);
    selectorItems_.clear();
    int index = 0;
    int selected = std::min(selectedUnitIndex_, std::max(0, deviceList_.onlineCount() - 1));
    for (const KnownDevice& entry : deviceList_) {
        if (entry.presence != presence::online) {
            continue;
        }
        if (shown && entry.uid == *shown) {
            selected = index;
        }
        selectorItems_ << fromWindows1252(entry.typeName) + " - " + fromWindows1252(entry.userName);
        ++index;
    }
    selectedUnitIndex_ = selected;
    emit unitListChanged(selectorItems_, selectedUnitIndex_);
    // Command 401: the selected unit becomes current. Without units online there is
    // nothing to select, and selecting nothing would start a new search; while units
    // are still being read, gathering owns the current unit.
    if (state_.isConnected && !gathering() && !selectorItems_.isEmpty()) {
        command(command_id::deviceCombo, selectedUnitIndex_);
    }
}

void Session::storeAndApplyLabels() {
    storeLabels(current_, paths_.dataFolder);
    emit labelsChanged();
}

} // namespace varento
