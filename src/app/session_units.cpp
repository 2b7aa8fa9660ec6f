// Which unit is which: each unit's own record, the unit shown (by id), the
// selector, the unit a poll or an edit is for, and finding the units again
// without ever putting one unit's data under another's.
#include "app/cp1252.h"
#include "app/label_flows.h"
#include "app/link_set.h"
#include "app/session.h"
#include "files/label_store.h"
#include "protocol/catalog.h"

#include <algorithm>

namespace varento {

namespace {

const char* const kSearchingAgain =
    "The unit chosen is no longer found: searching for the units again...";

} // namespace

// A sweep over several daemons has asked every one: units that did not answer
// it are gone, and the unit shown is shown again (or the first one).
void Session::sweepFinished() {
    dropUnitsNotFound();
    fillUnitSelector();
}

// Units known before a restarted discovery that did not answer it are gone.
void Session::dropUnitsNotFound() {
    for (const DeviceUid& uid : notFoundAgain_) {
        discovered_.remove(uid);
        shadows_.erase(uid);
        readUnits_.erase(uid);
        if (KnownDevice* entry = deviceList_.find(uid)) {
            entry->presence = presence::offline;
        }
    }
    notFoundAgain_.clear();
}

// The selector lists the online units; the unit shown stays shown when it is
// among them, otherwise the first one becomes current.
void Session::fillUnitSelector() {
    selectorItems_.clear();
    int position = 0;
    for (const DeviceRecord& node : discovered_) {
        std::string name;
        typeNameAt(discovered_, position++, name);
        if (KnownDevice* entry = deviceList_.addOrRefresh(
                node.uid, name, node.at(param::firmwareMajor), node.at(param::firmwareMinor))) {
            entry->presence = presence::online;
        }
    }
    int selected = 0;
    for (const KnownDevice& entry : deviceList_) {
        if (entry.presence == presence::online) {
            if (entry.uid == currentUid_) {
                selected = static_cast<int>(selectorItems_.size());
            }
            selectorItems_ << fromWindows1252(entry.typeName) + " - " +
                                  fromWindows1252(entry.userName);
        }
    }
    selectedUnitIndex_ = selected;
    if (const auto unit = onlineUnit(selected + 1)) {
        setCurrentUnit(*unit);
    }
    emit unitListChanged(selectorItems_, selected);
}

std::optional<DeviceUid> Session::onlineUnit(int n) const {
    DeviceUid uid;
    if (deviceList_.onlineId(n, uid) != 0 || discovered_.find(uid) == nullptr) {
        return std::nullopt;
    }
    return uid;
}

// The one step that changes the unit shown. The views follow the signal and the
// data signals after it; a dialog bound to the unit left closes.
bool Session::setCurrentUnit(const DeviceUid& uid) {
    if (uid == currentUid_) {
        return false;
    }
    currentUid_ = uid;
    if (discovered_.find(uid) != nullptr) {
        loadCurrentLabels();
    }
    replySeen_ = false;
    emit currentUnitChanged(uid);
    emit parametersChanged();
    emit routingChanged();
    emit gainsChanged();
    emit levelsChanged();
    return true;
}

const DeviceRecord& Session::current() const {
    const DeviceRecord* unit = discovered_.find(currentUid_);
    return unit != nullptr ? *unit : standIn_;
}

DeviceRecord& Session::currentRecord() {
    DeviceRecord* unit = discovered_.find(currentUid_);
    return unit != nullptr ? *unit : standIn_;
}

// The unit the poll timer asks: the one being gathered, else the one shown.
DeviceRecord& Session::pollTarget() {
    const int mark = poll_.pendingMark();
    if (gatherUid_ && mark >= 8 && mark <= 10) {
        if (DeviceRecord* unit = discovered_.find(*gatherUid_)) {
            return *unit;
        }
    }
    return currentRecord();
}

// Offline (and while no link is open) the stand-in is what the windows edit;
// while connected only a discovered unit is, so nothing is ever broadcast.
DeviceRecord* Session::editableUnit(const DeviceUid& uid) {
    if (DeviceRecord* unit = discovered_.find(uid)) {
        return unit;
    }
    return !state_.isConnected && uid == standIn_.uid ? &standIn_ : nullptr;
}

bool Session::unitReady(const DeviceUid& uid) const {
    if (!state_.isConnected) {
        return uid == standIn_.uid;
    }
    return readUnits_.count(uid) != 0;
}

QString Session::unitName(const DeviceUid& uid) const {
    const KnownDevice* entry = deviceList_.find(uid);
    return entry != nullptr && !entry->userName.empty() ? fromWindows1252(entry->userName)
                                                        : QString::fromStdString(unitIdText(uid));
}

void Session::refuseEdit(const DeviceUid& uid) {
    emit statusTextChanged(0, QStringLiteral("The unit %1 is no longer found: the change was "
                                             "not sent.")
                                  .arg(QString::fromStdString(unitIdText(uid))));
}

void Session::followUnitsDaemon(const DeviceRecord& unit) {
    // Units found through different daemons are reached only through their own.
    if (state_.networkMode && discovered_.find(unit.uid) != nullptr &&
        links_->selectedDaemon() != unit.daemonIndex) {
        links_->selectDaemon(unit.daemonIndex);
    }
}

void Session::selectUnit(int selectorIndex) {
    showUnit(selectorIndex);
    if (capabilities(current().model).micInputs) {
        poll_.askGainsNext();
    } else {
        poll_.askParametersNext();
    }
}

void Session::showUnit(int selectorIndex) {
    const auto uid = onlineUnit(selectorIndex + 1);
    if (!uid) {
        // The selector must never name another unit than the one edited: the
        // units are searched for again and the selector refilled.
        restartDiscovery();
        emit statusTextChanged(0, kSearchingAgain);
        return;
    }
    selectedUnitIndex_ = selectorIndex;
    if (!setCurrentUnit(*uid)) {
        loadCurrentLabels();
    }
    // While gathering, the poll timer picks the daemon of the unit it reads.
    if (!gatherUid_) {
        followUnitsDaemon(current());
    }
    if (state_.viewMode == ViewMode::Gain && !capabilities(current().model).micInputs) {
        state_.viewMode = ViewMode::Device;
        emit viewModeChanged(state_.viewMode);
    }
    replySeen_ = false;
    emit unitListChanged(selectorItems_, selectedUnitIndex_);
}

// The units are found and read again while the one shown stays shown: records
// of units that answer are kept and read again, those that do not are dropped.
void Session::restartDiscovery() {
    unitsDiscovered_ = false;
    unitsGathered_ = false;
    gatherUid_.reset();
    readUnits_.clear();
    notFoundAgain_.clear();
    for (const DeviceRecord& node : discovered_) {
        notFoundAgain_.insert(node.uid);
    }
    poll_.beginDiscovery(state_.networkMode && links_->daemonCount() > 1);
    emit gatheringChanged();
}

// A daemon that appears while connected (another computer's, or one that came
// back) has its units found; the unit shown stays. One that answers only while
// the first discovery runs (after the query burst) is swept with the others.
void Session::daemonAnnounced() {
    if (!state_.isConnected) {
        discovered_.clear();
        return;
    }
    if (unitsDiscovered_) {
        unitBeforeLoss_ = currentUid_;
    }
    restartDiscovery();
}

// ---- labels --------------------------------------------------------------------------------

// Each unit found carries its own labels from the start: a comparison, a project
// save or a label edit made while another unit is shown must not see, or store, an
// empty table. The unit shown has its labels (and their messages) as before.
void Session::loadLabelsOfFoundUnits() {
    for (DeviceRecord& unit : discovered_) {
        const bool none = std::all_of(unit.labels.begin(), unit.labels.end(),
                                      [](const Label& label) { return label[0] == '\0'; });
        if (!none || unit.uid == currentUid_) {
            continue;
        }
        // A new unit gets its defaults; a store that cannot be read is left for the
        // unit's turn to be shown, which says so and keeps the store aside.
        const std::filesystem::path store = labelStorePath(paths_.dataFolder, unit.uid);
        std::error_code ignored;
        if (!std::filesystem::exists(store, ignored)) {
            loadUnitLabels(paths_.dataFolder, unit.uid, unit.labels);
        } else if (LabelTable read{}; readLabelFile(store, read).status == LabelFileStatus::Ok) {
            fillMissingBusLabels(read);
            unit.labels = read;
        }
    }
}

void Session::loadCurrentLabels() {
    applyLabels(currentRecord(), paths_.dataFolder, interaction_);
    emit labelsChanged();
}

} // namespace varento
