// The device manager's OK and the labels dialog's close: what the session does
// with the lists and labels the dialogs have edited.
#include "app/cp1252.h"
#include "app/label_flows.h"
#include "app/session.h"
#include "devices/device_manager.h"

namespace varento {

std::error_code Session::saveDeviceList() {
    return deviceStore_.save(deviceList_);
}

std::error_code Session::deviceManagerAccepted() {
    DeviceManager::accept(deviceList_);
    // Saved at once: a crash must not cost the renames, and another program's
    // changes since are merged in, so the selector below shows them too.
    const std::error_code saved = saveDeviceList();
    // The unit that was current stays selected, wherever it moved and whatever it
    // is called now; by item text a renamed or moved unit would lose its place.
    // Gathering reads units into their own records, so this holds while units
    // are still being read too.
    const bool shown = !selectorItems_.isEmpty();
    selectorItems_.clear();
    int index = 0;
    int selected = std::min(selectedUnitIndex_, std::max(0, deviceList_.onlineCount() - 1));
    for (const KnownDevice& entry : deviceList_) {
        if (entry.presence != presence::online) {
            continue;
        }
        if (shown && entry.uid == currentUid_) {
            selected = index;
        }
        selectorItems_ << fromWindows1252(entry.typeName) + " - " + fromWindows1252(entry.userName);
        ++index;
    }
    selectedUnitIndex_ = selected;
    emit unitListChanged(selectorItems_, selectedUnitIndex_);
    // Command 401: the selected unit becomes current. Without units online there is
    // nothing to select, and selecting nothing would start a new search.
    if (!state_.isConnected || selectorItems_.isEmpty()) {
        return saved;
    }
    if (gathering()) {
        showUnit(selectedUnitIndex_); // gathering goes on with its own requests
    } else {
        command(command_id::deviceCombo, selectedUnitIndex_);
    }
    return saved;
}

void Session::storeAndApplyLabels() {
    storeAndApplyLabels(currentUid_);
}

void Session::storeAndApplyLabels(const DeviceUid& uid) {
    const DeviceRecord* unit = editableUnit(uid);
    if (unit == nullptr) {
        return; // gone: its store keeps what was stored with each edit
    }
    storeLabels(*unit, paths_.dataFolder);
    if (uid == currentUid_) {
        emit labelsChanged();
    }
}

void Session::importLabels(const DeviceUid& uid) {
    DeviceRecord* unit = editableUnit(uid);
    if (unit == nullptr) {
        refuseEdit(uid);
        return;
    }
    if (readCustomLabels(*unit, paths_.dataFolder, interaction_) == LabelFlow::Done &&
        uid == currentUid_) {
        emit labelsChanged();
    }
}

} // namespace varento
