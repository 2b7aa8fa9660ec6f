// The commands of the command table that change units or state without drawing.
#include "app/label_flows.h"
#include "app/link_set.h"
#include "app/session.h"
#include "links/serial_link.h"
#include "protocol/frame.h"
#include "protocol/handle_frame.h"
#include "protocol/level_conversion.h"

#include <algorithm>

namespace varento {

namespace {

struct OfflineUnit {
    OfflineModel model;
    int command;
    std::uint8_t code;
    std::uint8_t fwMajor;
    std::uint8_t fwMinor;
};

constexpr OfflineUnit kOfflineUnits[] = {
    {OfflineModel::Base, command_id::offlineBase, 12, 4, 1},
    {OfflineModel::Px, command_id::offlinePx, 14, 4, 1},
    {OfflineModel::Lc, command_id::offlineLc, 11, 3, 1},
    {OfflineModel::Aes, command_id::offlineAes, 19, 2, 1},
};

const OfflineUnit* offlineUnit(OfflineModel model) {
    for (const OfflineUnit& unit : kOfflineUnits) {
        if (unit.model == model) {
            return &unit;
        }
    }
    return nullptr;
}

} // namespace

int offlineModeCommand(int modelCode) {
    for (const OfflineUnit& unit : kOfflineUnits) {
        if (unit.code == modelCode) {
            return unit.command;
        }
    }
    return 0;
}

bool Session::command(int id, int param) {
    namespace cid = command_id;
    switch (id) {
    case cid::connect:
    case cid::connectKey:
        connectOrDisconnect();
        return true;
    case cid::deviceCombo:
        selectUnit(param);
        return true;
    case cid::selectUnitByIndex:
        if (param < discovered_.count()) {
            selectUnit(param);
        }
        return true;
    case cid::stopTimers:
        stopTimers();
        return true;
    case cid::restartTimers:
        if (!state_.offline()) {
            restartTimers();
        }
        return true;
    case cid::setEmergencyChannel:
        state_.lastEmergencyChannel = param;
        return true;
    case cid::exportLabels:
        storeCustomLabels(current(), interaction_);
        return true;
    case cid::importLabels:
        importLabels(currentUid_);
        return true;
    case cid::disableRemoteOverMadi:
        editor().toggleFlag(UnitFlag::RemoteOverMadiDisabled);
        return true;
    case cid::enableMidi:
        selectLink(!state_.midiMode, false);
        return true;
    case cid::enableNetwork:
        selectLink(false, !state_.networkMode);
        return true;
    case cid::enableSerial:
        selectLink(false, false);
        return true;
    case cid::savePreset:
        savePreset();
        return true;
    case cid::loadSettings:
        loadSettings();
        return true;
    case cid::loadMatrix:
        loadMatrix();
        return true;
    case cid::loadGains:
        loadGainSettings();
        return true;
    case cid::loadAll:
        loadAll();
        return true;
    case cid::loadRoutingPreset:
        loadRoutingPreset();
        return true;
    case cid::storeRoutingPreset:
        storeRoutingPreset();
        return true;
    case cid::saveProject:
    case cid::saveProjectAs:
        if (state_.isConnected) {
            saveProject(id == cid::saveProjectAs);
        }
        return true;
    case cid::loadProject:
    case cid::loadProjectGains:
        if (state_.isConnected) {
            stopTimers();
            loadProject(id == cid::loadProjectGains);
            if (state_.isConnected) {
                restartTimers();
            }
        }
        return true;
    case cid::factoryDefaults:
        editor().resetToFactoryDefaults();
        return true;
    case cid::offlineBase:
    case cid::offlinePx:
    case cid::offlineLc:
    case cid::offlineAes:
        for (const OfflineUnit& unit : kOfflineUnits) {
            if (unit.command == id) {
                setOfflineModel(state_.offlineModel == unit.model ? OfflineModel::None
                                                                  : unit.model);
            }
        }
        return true;
    default:
        return false;
    }
    return true;
}

// ---- link selection ----------------------------------------------------------------------------

void Session::selectLink(bool midi, bool network) {
    state_.midiMode = midi;
    state_.networkMode = network && !midi;
    emit linkModeChanged();
    emit statusTextChanged(0, links_->endpointText(state_.midiMode, state_.networkMode));
    if (!state_.midiMode && !state_.networkMode && links_->serial().selectedPortName().isEmpty()) {
        emit frontEndCommand(command_id::selectSerialPort, 0);
    }
    emit statusTextChanged(1, links_->linkText(state_.midiMode, state_.networkMode));
}

// ---- single edits ---------------------------------------------------------------------------

void Session::sendOne(int length) {
    std::vector<SequenceStep> step(1);
    step[0].frame.assign(sendBuffer_.begin(), sendBuffer_.begin() + length);
    sendSequence(std::move(step));
}

void Session::routingEdit(DeviceRecord& unit, int packedRange) {
    state_.bulkTransfer = true;
    matrixEdit_ = true;
    state_.matrixSaved = false;
    if (!state_.offline()) {
        startResumeTimer(kResumeMs);
        stopTimers();
    } else {
        matrixEdit_ = false;
    }
    if ((packedRange & 0xFF00) >= 0xC000) {
        sendRoutingAll(unit);
    } else {
        sendOne(buildSetRoutingRange(sendBuffer_, unit, packedRange));
    }
    state_.bulkTransfer = false;
    if (unit.uid == currentUid_) {
        poll_.askRoutingNext();
    }
}

void Session::gainEdit(int length) {
    pausePolling();
    sendOne(length);
    state_.bulkTransfer = false;
    state_.gainsSaved = false;
}

// ---- sequences -------------------------------------------------------------------------------

// A frame addressed to a unit goes out through the daemon that unit was found
// behind; one for a unit no longer found goes nowhere (kUnitGone).
int Session::sendNow(std::span<const std::uint8_t> frame) {
    if (!state_.isConnected) {
        return 0;
    }
    const DeviceUid to = frameUnit(frame);
    if (to == DeviceUid::broadcast()) {
        return links_->send(frame);
    }
    const DeviceRecord* unit = discovered_.find(to);
    if (unit == nullptr) {
        return kUnitGone;
    }
    return links_->sendThrough(state_.networkMode ? unit->daemonIndex : -1, frame);
}

void Session::sendSequence(std::vector<SequenceStep> steps, SendQueue::Done done) {
    sendQueue_.enqueue(std::move(steps), std::move(done));
}

void Session::reportSendFailure(int result) {
    if (result != kUnitGone) {
        links_->reportError(result);
    }
}

void Session::sendAllSettings(DeviceRecord& unit) {
    state_.settingsSaved = false;
    sendSequence(sendAllSettingsSequence(unit), [this, uid = unit.uid](int result) {
        if (result == 0 && discovered_.find(uid) != nullptr) {
            clearShadow(shadowOf(uid));
        }
    });
}

void Session::sendCalibration(const DeviceRecord& unit) {
    if (!state_.isConnected) {
        return;
    }
    state_.settingsSaved = false;
    sendSequence(calibrationSequence(unit));
}

void Session::sendRoutingAll(const DeviceRecord& unit) {
    const int length = buildSetRoutingAll(sendBuffer_, unit);
    sendOne(length);
}

bool Session::requestRouting(const DeviceUid& uid, SendQueue::Done done) {
    return requestFromUnit(uid, cmd::requestRouting, std::move(done));
}

bool Session::requestFromUnit(const DeviceUid& uid, std::uint8_t request, SendQueue::Done done) {
    const DeviceRecord* unit = discovered_.find(uid);
    if (unit == nullptr || !state_.isConnected) {
        return false;
    }
    const int length = request == cmd::requestParams    ? buildRequestParams(sendBuffer_, *unit)
                       : request == cmd::requestRouting ? buildRequestRouting(sendBuffer_, *unit)
                                                        : buildRequestGains(sendBuffer_, *unit);
    std::vector<SequenceStep> step(1);
    step[0].frame.assign(sendBuffer_.begin(), sendBuffer_.begin() + length);
    sendSequence(std::move(step), std::move(done));
    return true;
}

void Session::sendLoadedRouting(DeviceRecord& unit, bool kept) {
    sendRoutingAll(unit);
    if (kept) {
        spares_->confirmLoaded(unit.uid);
    }
}

void Session::sendAllGains(const DeviceRecord& unit, int pauseMs) {
    std::vector<SequenceStep> steps;
    auto add = [&](int length) {
        steps.push_back({{sendBuffer_.begin(), sendBuffer_.begin() + length}, pauseMs});
    };
    add(buildSetInputGains(sendBuffer_, unit));
    add(buildSetInputSwitches(sendBuffer_, unit));
    add(buildSetChannelGains(sendBuffer_, unit));
    sendSequence(std::move(steps));
}

// ---- offline mode ------------------------------------------------------------------------------

void Session::setOfflineModel(OfflineModel model) {
    const OfflineModel previous = state_.offlineModel;
    const OfflineUnit* unit = offlineUnit(model != OfflineModel::None ? model : previous);
    if (unit == nullptr) {
        return;
    }
    // Offline work happens on the stand-in; it is shown while no link is open.
    DeviceRecord& r = currentRecord();
    r.model = unit->code;
    r.at(param::firmwareMajor) = unit->fwMajor;
    r.at(param::firmwareMinor) = unit->fwMinor;
    state_.offlineModel = model;
    if (model == OfflineModel::None) {
        r.awaitingData = 1;
        emit offlineModelChanged(model);
        return;
    }
    r.awaitingData = 0;
    if (model == OfflineModel::Lc) {
        r.levelCodes.fill(0);
        std::transform(r.levelCodes.begin(), r.levelCodes.end(), r.levelDb.begin(),
                       levelDbFromCode);
        emit levelsChanged();
    }
    state_.viewMode = ViewMode::Device;
    emit offlineModelChanged(model);
    emit unitIdentified(r.model);
    emit viewModeChanged(state_.viewMode);
    emit parametersChanged();
    emit routingChanged();
    emit gainsChanged();
}

} // namespace varento
