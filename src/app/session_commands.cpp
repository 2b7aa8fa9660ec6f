// The commands of the command table that change units or state without drawing.
#include "app/link_set.h"
#include "app/session.h"
#include "app/label_flows.h"
#include "links/serial_link.h"
#include "protocol/handle_frame.h"
#include "protocol/level_conversion.h"

#include <algorithm>

namespace varento {

namespace {

constexpr std::uint8_t kBit6 = 0x40;
constexpr int kSequencePauseMs = 20;
constexpr int kFactoryResetLeadMs = 10;

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
    case cid::matrixMode:
    case cid::matrixModeAndRemote:
        emit matrixModeChanged((current_.at(param::routingB) & kBit6) != 0);
        sendOne(buildSetParam(sendBuffer_, current_, param::routingB));
        if (id == cid::matrixModeAndRemote) {
            sendOne(buildSetParam(sendBuffer_, current_, param::remoteOptions));
        }
        state_.settingsSaved = false;
        break;
    case cid::sendRoutingAll:
        sendRoutingAll();
        state_.matrixSaved = false;
        break;
    case cid::sendRoutingA:
        sendOne(buildSetParam(sendBuffer_, current_, param::routingA));
        state_.matrixSaved = false;
        break;
    case cid::stopTimers:
        stopTimers();
        return true;
    case cid::restartTimers:
        if (!state_.offline()) {
            restartTimers();
        }
        return true;
    case cid::routingEdit:
        routingEdit(param);
        break;
    case cid::inputGain:
    case cid::inputSwitch:
    case cid::gpoBits:
    case cid::allInputGains:
    case cid::channelGain:
    case cid::allChannelGains:
        gainEdit(id, param);
        break;
    case cid::sendLedDim:
        pausePolling();
        sendOne(buildSetLedDimEdit(sendBuffer_, current_));
        state_.bulkTransfer = false;
        return true;
    case cid::enableGains:
    case cid::muteAllOutputs:
        sendOne(buildSetParam(sendBuffer_, current_,
                              id == cid::enableGains ? param::param17 : param::gainOptions));
        state_.gainsSaved = false;
        break;
    case cid::setEmergencyChannel:
        state_.lastEmergencyChannel = param;
        return true;
    case cid::storeLabels:
        storeCurrentLabels();
        return true;
    case cid::exportLabels:
        storeCustomLabels(current_, interaction_);
        return true;
    case cid::importLabels:
        if (readCustomLabels(current_, paths_.dataFolder, interaction_) == LabelFlow::Done) {
            emit labelsChanged();
        }
        return true;
    case cid::sendCalibration:
        sendCalibration();
        return true;
    case cid::disableRemoteOverMadi:
        current_.at(param::param19) ^= kBit6;
        sendOne(buildSetParam(sendBuffer_, current_, param::param19));
        emit remoteOverMadiChanged(remoteOverMadiDisabled());
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
        resetToFactoryDefaults();
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
    updateTitleMarker();
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

void Session::routingEdit(int packedRange) {
    state_.bulkTransfer = true;
    matrixEdit_ = true;
    state_.matrixSaved = false;
    if (!state_.offline()) {
        resumeTimer_.start();
        stopTimers();
    } else {
        matrixEdit_ = false;
    }
    if ((packedRange & 0xFF00) >= 0xC000) {
        sendRoutingAll();
    } else {
        sendOne(buildSetRoutingRange(sendBuffer_, current_, packedRange));
    }
    state_.bulkTransfer = false;
    poll_.pollPhase = 2;
}

void Session::gainEdit(int id, int param) {
    pausePolling();
    switch (id) {
    case command_id::inputGain:
        sendOne(buildSetInputGain(sendBuffer_, current_, param));
        break;
    case command_id::inputSwitch:
        sendOne(buildSetInputSwitch(sendBuffer_, current_, param));
        break;
    case command_id::gpoBits:
        sendOne(buildSetParam(sendBuffer_, current_, param::srcEnable));
        break;
    case command_id::allInputGains:
        sendOne(buildSetInputGains(sendBuffer_, current_));
        break;
    case command_id::channelGain:
        sendOne(buildSetChannelGain(sendBuffer_, current_, param));
        break;
    default:
        sendOne(buildSetChannelGains(sendBuffer_, current_));
        break;
    }
    state_.bulkTransfer = false;
    state_.gainsSaved = false;
    if (id == command_id::inputSwitch) {
        emit gainsChanged();
    }
}

// ---- sequences -------------------------------------------------------------------------------

int Session::sendNow(std::span<const std::uint8_t> frame) {
    if (!state_.isConnected) {
        return 0;
    }
    return links_->send(frame);
}

void Session::sendSequence(std::vector<SequenceStep> steps, SendQueue::Done done) {
    sendQueue_.enqueue(std::move(steps), std::move(done));
}

void Session::reportSendFailure(int result) { links_->reportError(result); }

void Session::sendAllSettings() {
    state_.settingsSaved = false;
    sendSequence(sendAllSettingsSequence(current_), [this](int result) {
        if (result == 0) {
            clearShadow(shadow_);
        }
    });
}

void Session::sendIdentify() { sendSequence(identifySequence(current_)); }

void Session::sendCalibration() {
    if (!state_.isConnected) {
        return;
    }
    state_.settingsSaved = false;
    sendSequence(calibrationSequence(current_));
}

void Session::sendRoutingAll() {
    const int length = buildSetRoutingAll(sendBuffer_, current_);
    sendOne(length);
}

void Session::sendAllGains(int pauseMs) {
    std::vector<SequenceStep> steps;
    auto add = [&](int length) {
        steps.push_back({{sendBuffer_.begin(), sendBuffer_.begin() + length}, pauseMs});
    };
    add(buildSetInputGains(sendBuffer_, current_));
    add(buildSetInputSwitches(sendBuffer_, current_));
    add(buildSetChannelGains(sendBuffer_, current_));
    sendSequence(std::move(steps));
}

void Session::sendParameter(int number) {
    pausePolling();
    sendOne(buildSetParam(sendBuffer_, current_, number));
    state_.bulkTransfer = false;
    state_.settingsSaved = false;
    updateTitleMarker();
}

void Session::resetToFactoryDefaults() {
    if (!state_.isConnected) {
        return;
    }
    stopTimers();
    sendQueue_.enqueuePause(kFactoryResetLeadMs);
    varento::resetToFactoryDefaults(current_);
    sendAllSettings();
    sendRoutingAll();
    state_.matrixSaved = false;
    std::vector<SequenceStep> steps;
    for (int input = 0; input < kInputCount; ++input) {
        int length = buildSetInputGain(sendBuffer_, current_, input);
        steps.push_back({{sendBuffer_.begin(), sendBuffer_.begin() + length}, kSequencePauseMs});
        length = buildSetInputSwitch(sendBuffer_, current_, input);
        steps.push_back({{sendBuffer_.begin(), sendBuffer_.begin() + length}, kSequencePauseMs});
    }
    // Polling comes back 250 ms after the last gain frame, as after any gain edit.
    sendSequence(std::move(steps), [this](int) { gainEdit(command_id::gpoBits, 0); });
    emit parametersChanged();
    emit routingChanged();
    emit gainsChanged();
}

// ---- offline mode ------------------------------------------------------------------------------

void Session::setOfflineModel(OfflineModel model) {
    const OfflineModel previous = state_.offlineModel;
    const OfflineUnit* unit = offlineUnit(model != OfflineModel::None ? model : previous);
    if (unit == nullptr) {
        return;
    }
    current_.model = unit->code;
    current_.at(param::firmwareMajor) = unit->fwMajor;
    current_.at(param::firmwareMinor) = unit->fwMinor;
    state_.offlineModel = model;
    if (model == OfflineModel::None) {
        current_.awaitingData = 1;
        emit offlineModelChanged(model);
        return;
    }
    current_.awaitingData = 0;
    if (model == OfflineModel::Lc) {
        current_.levelCodes.fill(0);
        std::transform(current_.levelCodes.begin(), current_.levelCodes.end(),
                       current_.levelDb.begin(), levelDbFromCode);
        emit levelsChanged();
    }
    state_.viewMode = ViewMode::Device;
    emit offlineModelChanged(model);
    emit unitIdentified(current_.model);
    emit viewModeChanged(state_.viewMode);
    emit parametersChanged();
    emit routingChanged();
    emit gainsChanged();
}

} // namespace varento
