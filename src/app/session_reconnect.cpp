// Riding through a lost link: the same link is opened again every two seconds,
// quietly, until it opens or the user connects or disconnects.
#include "app/link_set.h"
#include "app/session.h"

#include <utility>

namespace varento {

namespace {

const char* const kReconnecting = "\tReconnecting...";

} // namespace

void Session::setReconnectAutomatically(bool on) {
    state_.reconnectAutomatically = on;
    if (!on && reconnecting_) {
        disconnect();
    }
}

// A failure of the link itself (not the user's Disconnect): the link's message has
// been shown; the connection ends as it always did, then the retries begin.
void Session::linkFailed() {
    // A link reopened that failed again before any unit answered was one more
    // failed try, not a second loss.
    if (!regainUnconfirmed_) {
        journalLinkLost();
    }
    regainUnconfirmed_ = false;
    // The unit to come back to; a loss during a reconnect's gathering keeps the
    // one from before.
    std::optional<DeviceUid> unit = unitBeforeLoss_;
    if (unitsGathered_ && currentUid_ != DeviceUid::broadcast()) {
        unit = currentUid_;
    }
    if (!state_.reconnectAutomatically) {
        disconnect();
        return;
    }
    // Retrying from the first moment: whoever watches the connection end sees it.
    unitBeforeLoss_ = unit;
    reconnecting_ = true;
    links_->setQuiet(true);
    closeConnection();
    reconnectTimer_.start();
    showReconnecting();
    emit reconnectingChanged(true);
}

void Session::showReconnecting() {
    emit statusTextChanged(2, kReconnecting);
}

void Session::reconnectTick() {
    if (!reconnecting_ || state_.isConnected || interaction_.open()) {
        return; // a try is still under way, or a question waits for the user
    }
    if (!links_->findDevicesAgain(state_.midiMode)) {
        showReconnecting(); // the MIDI devices are not back yet
        return;
    }
    openLinkAndBeginDiscovery();
}

void Session::endReconnecting() {
    regainUnconfirmed_ = false;
    if (!reconnecting_) {
        return;
    }
    reconnecting_ = false;
    reconnectTimer_.stop();
    links_->setQuiet(false);
    emit reconnectingChanged(false);
}

// The link opened again: the retries end, but the links stay quiet (and the
// link counts as regained) only once a unit answers through it.
void Session::retriesSucceeded() {
    if (!reconnecting_) {
        return;
    }
    reconnecting_ = false;
    reconnectTimer_.stop();
    regainUnconfirmed_ = true;
    emit reconnectingChanged(false);
}

void Session::unitAnswersAgain() {
    regainUnconfirmed_ = false;
    links_->setQuiet(false);
    journalLinkRegained();
}

// Gathering after a reconnect ends on the first unit; the one that was current
// before the loss takes its place again if it answered.
void Session::returnToUnitBeforeLoss() {
    const std::optional<DeviceUid> unit = std::exchange(unitBeforeLoss_, std::nullopt);
    if (!unit) {
        return;
    }
    DeviceUid uid;
    for (int index = 0; deviceList_.onlineId(index + 1, uid) == 0; ++index) {
        if (uid == *unit) {
            if (uid != currentUid_ || index != selectedUnitIndex_) {
                selectUnit(index);
            }
            return;
        }
    }
}

} // namespace varento
