#include "app/session.h"

#include "app/app_lifecycle.h"
#include "app/edit_description.h"
#include "app/link_set.h"
#include "links/demo_link.h"
#include "links/midi_link.h"
#include "links/serial_link.h"
#include "protocol/catalog.h"
#include "protocol/frame.h"
#include "protocol/handle_frame.h"
#include "varento_version.h"

namespace varento {

namespace {

const char* const kNotConnected = "\tNot Connected";
const char* const kConnecting = "\tConnecting...";
const char* const kConnected = "\tConnected";
const char* const kNoResponse = "\tNo Response!";

} // namespace

Session::Session(Interaction& interaction, SessionPaths paths, QObject* parent)
    : QObject(parent), interaction_(interaction,
                                    [this] {
                                        QMetaObject::invokeMethod(this, &Session::releaseHeldFrames,
                                                                  Qt::QueuedConnection);
                                    }),
      paths_(std::move(paths)), links_(std::make_unique<LinkSet>(interaction_)),
      sendQueue_([this](std::span<const std::uint8_t> f) {
          const int result = sendNow(f);
          if (result == FrameLink::kSendPending) {
              pendingSends_.push_back(PendingSend::Queued);
          }
          return result;
      }) {
    resetToPowerOnDefaults(standIn_);
    pollTimer_.setInterval(kPollMs);
    supervisionTimer_.setInterval(kSupervisionMs);
    resumeTimer_.setSingleShot(true);
    resumeTimer_.setInterval(kResumeMs);
    reconnectTimer_.setInterval(kReconnectMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, &Session::reconnectTick);
    connect(&pollTimer_, &QTimer::timeout, this, &Session::pollTick);
    connect(&supervisionTimer_, &QTimer::timeout, this, &Session::supervisionTick);
    connect(&resumeTimer_, &QTimer::timeout, this, &Session::resumeTick);
    connect(&sendQueue_, &SendQueue::sendFailed, this, &Session::reportSendFailure);
    // The unit cannot answer polls during a queued transfer: supervision counts
    // from its end.
    connect(&sendQueue_, &SendQueue::busyChanged, this, [this](bool busy) {
        if (!busy && supervisionTimer_.isActive()) {
            supervisionTimer_.start();
        }
    });
    spares_ = std::make_unique<SpareSwitcher>(*this);
    connect(spares_.get(), &SpareSwitcher::said, this,
            [this](const DeviceUid&, const QString& text) { emit statusTextChanged(0, text); });
    connect(links_.get(), &LinkSet::sendFinished, this, &Session::linkSendFinished);
    connect(links_.get(), &LinkSet::frameReceived, this, [this](const QByteArray& frame) {
        frameReceived({reinterpret_cast<const std::uint8_t*>(frame.constData()),
                       static_cast<std::size_t>(frame.size())});
    });
    connect(links_.get(), &LinkSet::otherDaemonFrame, this,
            [this](int daemon, const QByteArray& frame) {
                otherDaemonFrame(daemon, {reinterpret_cast<const std::uint8_t*>(frame.constData()),
                                          static_cast<std::size_t>(frame.size())});
            });
    connect(links_.get(), &LinkSet::opened, this, &Session::linkOpened);
    connect(links_.get(), &LinkSet::statusTextChanged, this, &Session::statusTextChanged);
    connect(links_.get(), &LinkSet::daemonAnnounced, this, &Session::daemonAnnounced);
    connect(links_.get(), &LinkSet::daemonWithdrawn, this, [this](int index) {
        const DeviceRecord* shown = discovered_.find(currentUid_);
        if (shown != nullptr && shown->daemonIndex == index) {
            standIn_ = *shown; // the views keep showing it once the link has closed
        }
        if (index >= 0) {
            discovered_.removeByDaemon(index);
        }
        if (state_.isConnected) {
            linkFailed();
        }
    });
}

Session::~Session() = default;

// ---- connect and disconnect ------------------------------------------------------------

void Session::connectOrDisconnect() {
    if (reconnecting_) {
        // Trying again looks like connecting: the press ends it.
        disconnect();
        return;
    }
    if (state_.isConnected) {
        disconnect();
    } else {
        openLinkAndBeginDiscovery();
    }
}

void Session::openLinkAndBeginDiscovery() {
    state_.isConnected = true;
    discovered_.clear();
    const int result = links_->open(state_.midiMode, state_.networkMode);
    if (result == LinkSet::kOpenPending) {
        // The network link asks for daemons for a second; the loop runs meanwhile.
        if (reconnecting_) {
            return;
        }
        emit connectedChanged(true);
        emit statusTextChanged(2, kConnecting);
        return;
    }
    linkOpened(result);
}

void Session::linkOpened(int result) {
    if (!state_.isConnected) {
        return; // disconnected while the link was still opening
    }
    if (reconnecting_ && result == 0 && !links_->reachesUnits()) {
        result = -1; // no daemon answered this try: the next one follows
    }
    journalLinkOpened(result);
    if (result != 0) {
        // The flag goes back down at once, so the next Connect connects.
        state_.isConnected = false;
        links_->close();
        if (reconnecting_) {
            showReconnecting(); // the next try follows
            return;
        }
        if (result != -1) {
            links_->reportError(result);
        }
        // Only the Connect button and the link's dialog: the views, offline mode
        // and the unit list stay as they were.
        emit statusTextChanged(2, kNotConnected);
        if (state_.midiMode) {
            emit connectFailed(command_id::selectMidi);
        } else if (!state_.networkMode) {
            emit connectFailed(command_id::selectSerialPort);
        } else {
            emit connectFailed(0);
        }
        return;
    }
    retriesSucceeded();
    emit connectedChanged(true);
    emit statusTextChanged(2, kConnecting);
    shadows_.clear();
    clearShadow(standInShadow_);
    readUnits_.clear();
    notFoundAgain_.clear();
    gatherUid_.reset();
    standIn_.model = 0xFF;
    standIn_.uid = DeviceUid::broadcast();
    standIn_.awaitingData = 1;
    setCurrentUnit(DeviceUid::broadcast());
    poll_.beginDiscovery(state_.networkMode && links_->daemonCount() > 1);
    unitsDiscovered_ = false;
    unitsGathered_ = false;
    replySeen_ = false;
    if (state_.offline()) {
        const Answer save = interaction_.message(
            "Connecting...",
            "Changes made in offline mode will be overwritten by data gathered from the device. "
            "Do you want to save the current settings into a preset file so you can load it "
            "into the device later on?\n\n Click 'No' to discard changes and read data from "
            "device into software.",
            MessageIcon::Question, MessageButtons::YesNo);
        if (save == Answer::Yes) {
            savePreset();
        }
        state_.offlineModel = OfflineModel::None;
        emit offlineModelChanged(OfflineModel::None);
    }
    restartTimers();
    emit gatheringChanged();
}

void Session::disconnect() {
    endReconnecting();
    unitBeforeLoss_.reset();
    closeConnection();
}

void Session::closeConnection() {
    state_.isConnected = false;
    unitsDiscovered_ = false;
    unitsGathered_ = false;
    stopTimers();
    resumeTimer_.stop();
    sendQueue_.clear();
    pendingSends_.clear();
    state_.bulkTransfer = false;
    links_->close();
    emit statusTextChanged(2, kNotConnected);
    emit statusAlarmChanged(false);
    state_.viewMode = ViewMode::Device;
    emit viewModeChanged(state_.viewMode);
    emit connectedChanged(false);
    deviceList_.markAllOffline();
    // The views keep what they showed; it is no unit's record any more.
    standIn_ = currentRecord();
    discovered_.clear();
    shadows_.clear();
    readUnits_.clear();
    notFoundAgain_.clear();
    gatherUid_.reset();
    fillUnitSelector();
    emit gatheringChanged();
}

// ---- timers -------------------------------------------------------------------------------

void Session::stopTimers() {
    pollTimer_.stop();
    supervisionTimer_.stop();
}

void Session::restartTimers() {
    supervisionTimer_.start();
    pollTimer_.start();
}

void Session::pausePolling() {
    state_.bulkTransfer = true;
    if (!state_.offline()) {
        startResumeTimer(kResumeMs);
        stopTimers();
    }
}

// The interval is stated at every start: a firmware warning's short resume must
// not stay behind for the next edit.
void Session::startResumeTimer(int ms) {
    resumeTimer_.start(ms);
}

void Session::resumeTick() {
    matrixEdit_ = false;
    resumeTimer_.stop();
    // A pause that outlived the connection (a lost link during a question) must
    // not start polling a closed link.
    if (state_.isConnected) {
        restartTimers();
    }
}

void Session::pollTick() {
    if (!state_.isConnected || interaction_.open()) {
        return;
    }
    PollContext context;
    context.bulkTransfer = bulkTransfer();
    context.discoveredCount = discovered_.count();
    context.daemonCount = links_->daemonCount();
    context.selectedDaemon = links_->sweepPosition();
    const bool wasGathering = gathering();
    runPollStep(poll_.tick(context));
    if (wasGathering != gathering()) {
        emit gatheringChanged();
    }
}

void Session::runPollStep(const PollStep& step) {
    if (step.endGathering) {
        finishGathering();
    }
    if (step.searchDaemon) {
        standIn_.searchDaemonIndex = links_->daemonAtPosition(*step.searchDaemon);
    }
    if (step.selectDaemon) {
        links_->selectDaemon(links_->daemonAtPosition(*step.selectDaemon));
    }
    if (step.resetSelectedDaemon) {
        links_->selectDaemon(links_->daemonAtPosition(0));
    }
    if (step.sweepFoundUnits) {
        sweepFinished(); // gathering follows
    }
    if (step.gatherUnit) {
        if (*step.gatherUnit > 1) {
            journalGathered(); // the unit before it has been read
        }
        // Gathering reads each unit into its own record; the one shown stays.
        if (gatherUid_) {
            readUnits_.insert(*gatherUid_); // its three requests were answered or timed out
        }
        gatherUid_ = onlineUnit(*step.gatherUnit);
        if (gatherUid_ && discovered_.find(*gatherUid_) != nullptr) {
            clearShadow(shadowOf(*gatherUid_));
            followUnitsDaemon(*discovered_.find(*gatherUid_));
        } else {
            gatherUid_.reset();
        }
        if (*step.gatherUnit == 1 && !unitsDiscovered_) {
            unitsDiscovered_ = true;
            emit discoveryFinished();
        }
        emit gatheringChanged();
    }
    const DeviceRecord& target = step.request == PollRequest::Discover ? standIn_ : pollTarget();
    int length = 0;
    switch (step.request) {
    case PollRequest::None:
        break;
    case PollRequest::Discover:
        length = buildDiscover(sendBuffer_);
        break;
    case PollRequest::Parameters:
        length = buildRequestParams(sendBuffer_, target);
        break;
    case PollRequest::Levels:
        length = buildRequestLevels(sendBuffer_, target);
        break;
    case PollRequest::Routing:
        length = buildRequestRouting(sendBuffer_, target);
        break;
    case PollRequest::Gains:
        length = buildRequestGains(sendBuffer_, target);
        break;
    }
    if (length <= 0) {
        return;
    }
    // A request counts as sent once the link has it; a later failure disconnects.
    const int result = sendNow({sendBuffer_.data(), static_cast<std::size_t>(length)});
    if (result == FrameLink::kSendPending) {
        pendingSends_.push_back(PendingSend::Poll);
    } else if (result != 0 && result != kUnitGone) {
        linkFailed();
    }
}

void Session::linkSendFinished(int result) {
    if (pendingSends_.empty()) {
        return;
    }
    const PendingSend sent = pendingSends_.front();
    pendingSends_.pop_front();
    if (sent == PendingSend::Queued) {
        sendQueue_.frameFinished(result);
    } else if (result != 0 && state_.isConnected) {
        linkFailed();
    }
}

void Session::supervisionTick() {
    if (interaction_.open() || sendQueue_.busy()) {
        return; // no poll could be answered meanwhile
    }
    const bool answeringAgain = replySeen_ && noResponseShown_;
    journalResponse(replySeen_);
    if (answeringAgain && unitsGathered_) {
        // Units silent for a while may have been restarted or changed by another
        // hand, and polling does not read routing and gains by itself: every unit
        // is found and read again, and the one shown is shown again.
        unitBeforeLoss_ = currentUid_;
        restartDiscovery();
    }
    if (!replySeen_) {
        // A MIDI device that went away takes no error with it: sends still succeed.
        if (state_.reconnectAutomatically && !links_->findDevicesAgain(state_.midiMode)) {
            linkFailed();
            return;
        }
        emit statusAlarmChanged(true);
        emit statusTextChanged(2, kNoResponse);
        return;
    }
    emit statusAlarmChanged(false);
    emit statusTextChanged(2, kConnected);
    if (!firmwareChecked_ && state_.displayFwWarning) {
        const DeviceRecord& unit = current();
        const auto warning =
            firmwareWarning(unit.model, static_cast<std::int8_t>(unit.at(param::firmwareMajor)),
                            static_cast<std::int8_t>(unit.at(param::firmwareMinor)));
        if (warning) {
            journal_.record(JournalKind::FirmwareWarning, unit.uid,
                            QString::fromStdString(*warning));
            stopTimers();
            state_.displayFwWarning =
                interaction_.firmwareWarning(QString::fromStdString(*warning));
            startResumeTimer(kResumeAfterWarningMs);
        }
        firmwareChecked_ = true;
    }
    replySeen_ = false;
}

bool Session::gathering() const {
    return state_.isConnected && poll_.gathering(discovered_.count());
}

// ---- replies ------------------------------------------------------------------------------

void Session::frameReceived(std::span<const std::uint8_t> frame) {
    if (interaction_.open()) {
        // Nothing changes the unit under an open question; the frame is handled
        // once it has been answered.
        heldFrames_.push_back({-1, {frame.begin(), frame.end()}});
        return;
    }
    if (frame.size() > kCommandOffset && frame[kCommandOffset] == cmd::discover) {
        // Only an answer to our own discovery, through the daemon it came from:
        // another program's discovery (or the same answer twice) neither moves a
        // unit to another daemon nor takes the user's unit away.
        if (!poll_.discovering()) {
            return;
        }
        if (state_.networkMode && links_->overrideLink() == nullptr) {
            standIn_.searchDaemonIndex = links_->selectedDaemon();
        }
        for (const DeviceUid& uid : unitListIds(frame)) {
            notFoundAgain_.erase(uid);
        }
        if (handleFrame(frame, standIn_, standInShadow_, discovered_).notify) {
            dataArrived(change::unitList, DeviceUid::broadcast(), true);
        }
        return;
    }
    const bool daemons = state_.networkMode && links_->overrideLink() == nullptr;
    takeReply(frame, daemons ? links_->selectedDaemon() : -1, true);
}

void Session::otherDaemonFrame(int daemon, std::span<const std::uint8_t> frame) {
    if (frame.size() <= kCommandOffset || frame[kCommandOffset] == cmd::discover) {
        return;
    }
    const DeviceRecord* unit = discovered_.find(frameUnit(frame));
    if (unit == nullptr || unit->daemonIndex != daemon) {
        return;
    }
    if (interaction_.open()) {
        heldFrames_.push_back({daemon, {frame.begin(), frame.end()}});
        return;
    }
    takeReply(frame, daemon, false);
}

// A reply goes into the record of the unit that sent it, whoever is shown: only
// through the daemon it was found behind (`daemon` -1 where there are none), as
// a second daemon that bridges the same units delivers copies.
void Session::takeReply(std::span<const std::uint8_t> frame, int daemon, bool polled) {
    const DeviceUid from = frameUnit(frame);
    DeviceRecord* unit = discovered_.find(from);
    if (unit == nullptr || (daemon >= 0 && unit->daemonIndex != daemon)) {
        return; // a unit we have not found (or no longer know), or a copy
    }
    const FrameOutcome outcome = handleFrame(frame, *unit, shadowOf(from), discovered_);
    if (outcome.notify) {
        dataArrived(outcome.changeCode, from, polled);
    }
    if (outcome.modelChanged) {
        modelChanged(from);
    }
    if (outcome.result == frame_result::accepted && frame[kCommandOffset] == cmd::routingReply) {
        spares_->routingRead(from);
    }
    if (outcome.result == frame_result::accepted) {
        emit replyTaken(from, frame[kCommandOffset]);
    }
}

void Session::dataArrived(int changeCode, const DeviceUid& from, bool polled) {
    bool endOfGathering = false;
    if (polled) {
        replySeen_ = true;
        if (regainUnconfirmed_) {
            unitAnswersAgain();
        }
        endOfGathering = poll_.dataArrived(changeCode, discovered_.count());
    }
    // Only the unit shown moves the views; the others fill their own records.
    const bool shown = from == currentUid_;
    switch (changeCode) {
    case change::parameters:
        if (DeviceRecord* unit = discovered_.find(from)) {
            unit->awaitingData = 0;
        }
        if (shown) {
            emit parametersChanged();
            emit matrixModeChanged(current().flag(UnitFlag::MatrixMode));
            emit remoteOverMadiChanged(remoteOverMadiDisabled());
        }
        break;
    case change::routing:
        if (shown && !matrixEdit_) {
            emit routingChanged();
        }
        break;
    case change::gains:
        if (endOfGathering) {
            finishGathering();
        }
        if (shown) {
            emit gainsChanged();
        }
        break;
    case change::levels:
        if (shown) {
            emit levelsChanged();
        }
        break;
    case change::unitList:
        discoveryAnswered();
        break;
    default:
        break;
    }
    updateTitleMarker();
}

// The first unit becomes current again once every discovered unit was read.
void Session::finishGathering() {
    journalGathered();
    if (gatherUid_) {
        readUnits_.insert(*gatherUid_);
    }
    gatherUid_.reset();
    followUnitsDaemon(current());
    if (discovered_.find(currentUid_) != nullptr) {
        clearShadow(shadowOf(currentUid_)); // its windows appear with the next reply
    }
    unitsGathered_ = true;
    returnToUnitBeforeLoss();
    emit gatheringChanged();
    emit gatheringFinished();
}

void Session::releaseHeldFrames() {
    if (interaction_.open()) {
        return; // another question opened meanwhile; its answer releases them
    }
    auto frames = std::move(heldFrames_);
    heldFrames_.clear();
    for (const HeldFrame& frame : frames) {
        if (frame.otherDaemon < 0) {
            frameReceived(frame.bytes);
        } else {
            otherDaemonFrame(frame.otherDaemon, frame.bytes);
        }
    }
}

void Session::modelChanged(const DeviceUid& from) {
    // The windows of a unit appear once every discovered unit has been read.
    if (from != currentUid_ ||
        (state_.isConnected && poll_.gatheringIndex() <= discovered_.count())) {
        return;
    }
    state_.bulkTransfer = true;
    emit unitIdentified(current().model);
    poll_.askRoutingNext();
    state_.bulkTransfer = false;
}

void Session::discoveryAnswered() {
    const bool sweeping = state_.networkMode && poll_.sweeping();
    if (!sweeping) {
        dropUnitsNotFound();
    }
    fillUnitSelector();
    journalUnitsFound();
    loadLabelsOfFoundUnits();
    if (!onlineUnit(1)) {
        stopTimers();
        interaction_.inform("Error", "Unable to retrieve device index", MessageIcon::Error);
        disconnect();
        return;
    }
    poll_.discoveryAnswered(state_.networkMode);
    emit gatheringChanged();
}

// ---- demo units --------------------------------------------------------------------------------

void Session::useDemoUnits(const std::vector<int>& models) {
    auto link = std::make_unique<DemoLink>(demoUnits(models));
    useLinkOverride(link.get());
    demoLink_ = std::move(link);
}

void Session::useLinkOverride(FrameLink* link) {
    links_->setOverride(link);
}

// ---- start-up and shut-down ------------------------------------------------------------------

void Session::start(const PersistedSettings& s) {
    const DeviceListStore::Loaded devices =
        initialiseApplication(standIn_, deviceList_, deviceStore_);
    if (const QString kept = DeviceListStore::keptAsideText(devices); !kept.isEmpty()) {
        interaction_.inform(QStringLiteral("Device List"), kept, MessageIcon::Warning);
    }
    state_.lastSnapshotFileName = s.lastSnapshotFileName;
    state_.lastSnapshotFileDirectory = s.lastSnapshotFileDirectory;
    state_.displayFwWarning = s.DisplayFwWarning != 0;
    state_.lastEmergencyChannel = s.lastEmergencyChannel;
    state_.gainDisplayOptions = s.GainDisplayOptions;
    state_.gainReferenceLevel = s.GainReferenceLevel;
    state_.matrixDraggingMode = s.MatrixDraggingMode != 0;
    state_.reconnectAutomatically = s.ReconnectAutomatically != 0;
    standIn_.at(param::wckTermChoice) = s.Term;
    SerialLink& serial = links_->serial();
    serial.setBaudRate(s.lastRate);
    serial.setRememberedPortPath(s.lastPort);
    MidiLink& midi = links_->midi();
    if (s.lastMidiIn >= 0 && s.lastMidiIn < midi.inputDeviceCount()) {
        midi.selectDevices(s.lastMidiIn, s.lastMidiOut);
    }
    serial.probeRememberedPort();
    // The link used last; MIDI wins when both flags were stored.
    selectLink(s.MidiMode == 1, s.MidiMode != 1 && s.NetworkMode == 1);
}

PersistedSettings Session::persistedSettings() const {
    PersistedSettings s;
    s.lastSnapshotFileName = state_.lastSnapshotFileName;
    s.lastSnapshotFileDirectory = state_.lastSnapshotFileDirectory;
    const SerialLink& serial = links_->serial();
    s.lastPort = serial.selectedPortPath().isEmpty() ? serial.rememberedPortPath()
                                                     : serial.selectedPortPath();
    s.lastRate = serial.baudRate();
    s.lastMidiIn = links_->midi().state().inputDevice;
    s.lastMidiOut = links_->midi().state().outputDevice;
    s.MidiMode = state_.midiMode ? 1 : 0;
    s.NetworkMode = state_.networkMode ? 1 : 0;
    s.Term = current().at(param::wckTermChoice);
    s.DisplayFwWarning = state_.displayFwWarning ? 1 : 0;
    s.lastEmergencyChannel = state_.lastEmergencyChannel;
    s.GainDisplayOptions = state_.gainDisplayOptions;
    s.GainReferenceLevel = state_.gainReferenceLevel;
    s.MatrixDraggingMode = state_.matrixDraggingMode ? 1 : 0;
    s.ReconnectAutomatically = state_.reconnectAutomatically ? 1 : 0;
    return s;
}

void Session::shutDown() {
    // Nothing may reach a unit once the front end is gone, retries included.
    if (state_.isConnected || reconnecting_) {
        disconnect();
    }
    links_->close();
    cleanUpApplication(deviceList_, deviceStore_);
}

// ---- the unsaved-changes marker ------------------------------------------------------------

QString Session::windowTitle() const {
    QString title = "VARENTO Remote " VARENTO_TITLE_VERSION;
    if (!state_.lastSnapshotFileName.isEmpty()) {
        title += " - " + state_.lastSnapshotFileName;
        if (!state_.allSaved()) {
            title += "*";
        }
    }
    return title;
}

void Session::updateTitleMarker() {
    if (!state_.allSaved() && !state_.lastSnapshotFileName.isEmpty()) {
        emit titleChanged(windowTitle());
        emit projectChanged(state_.lastSnapshotFileName + "*", state_.lastSnapshotFileDirectory,
                            true);
    }
}

bool Session::remoteOverMadiDisabled() const {
    return current().flag(UnitFlag::RemoteOverMadiDisabled);
}

// A typed edit changed a unit: its frames are queued; the journal says whether
// they left once they have, and the views refresh when the unit is the one shown.
void Session::unitEdited(const DeviceUid& unit, const UnitEdit& edit, int failuresBefore) {
    if (state_.isConnected && !state_.offline() && edit.part() != UnitPart::Labels) {
        QString what = describeEdit(edit, *discovered_.find(unit));
        if (!editOrigin_.isEmpty()) {
            what += " (from " + editOrigin_ + ")";
        }
        sendSequence({}, [this, unit, what, failuresBefore](int result) {
            journalEdit(unit, what, result == 0 && sendQueue_.failureCount() == failuresBefore);
        });
    }
    if (unit != currentUid_) {
        return;
    }
    emit edited(edit);
    const DeviceRecord& shown = current();
    const bool everything = edit.kind == UnitEdit::Kind::FactoryDefaults;
    if (everything || edit.part() == UnitPart::Parameters) {
        emit parametersChanged();
        emit matrixModeChanged(shown.flag(UnitFlag::MatrixMode));
        emit remoteOverMadiChanged(remoteOverMadiDisabled());
    }
    if (everything || edit.part() == UnitPart::Routing) {
        emit routingChanged();
    }
    if (everything || edit.part() == UnitPart::Gains) {
        emit gainsChanged();
    }
    if (edit.part() == UnitPart::Labels) {
        emit labelsChanged();
    }
}

} // namespace varento
