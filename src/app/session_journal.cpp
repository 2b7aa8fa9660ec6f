// What the session writes into the event journal, and when.
#include "app/edit_description.h"
#include "app/link_set.h"
#include "app/session.h"
#include "links/error_reporter.h"
#include "links/midi_link.h"
#include "links/serial_link.h"
#include "protocol/catalog.h"

#include <algorithm>

namespace varento {

namespace {

QString linkName(LinkSet& links, const AppState& state) {
    if (links.overrideLink() != nullptr) {
        return "emulated units";
    }
    if (state.midiMode) {
        return "MIDI " + links.midi().endpointText().trimmed();
    }
    if (state.networkMode) {
        return "network";
    }
    return QString("serial port %1 at %2 baud")
        .arg(links.serial().selectedPortName())
        .arg(links.serial().baudRate());
}

QString modelName(const DeviceRecord& unit) {
    return QString::fromLatin1(typeName(unit.model));
}

} // namespace

void Session::journalLinkOpened(int result) {
    const QString link = linkName(*links_, state_);
    if (result != 0) {
        if (reconnecting_) {
            return; // every retry of a lost link would say the same
        }
        const auto reason = errorReporterText(result);
        journal_.record(JournalKind::LinkFailed, reason ? link + ": " + reason->trimmed() : link);
        return;
    }
    journaledUnits_.clear();
    noResponseShown_ = false;
    if (!reconnecting_) {
        journal_.record(JournalKind::LinkOpened, link);
    } // a regained link is recorded when a unit answers through it
}

void Session::journalLinkRegained() {
    journal_.record(JournalKind::LinkRegained, linkName(*links_, state_));
}

void Session::journalLinkLost() {
    journal_.record(JournalKind::LinkLost, linkName(*links_, state_));
}

void Session::journalUnitsFound() {
    for (const DeviceRecord& node : discovered_) {
        if (std::find(journaledUnits_.begin(), journaledUnits_.end(), node.uid) !=
            journaledUnits_.end()) {
            continue;
        }
        journaledUnits_.push_back(node.uid);
        journal_.record(JournalKind::UnitFound, node.uid,
                        QString("%1, firmware %2.%3")
                            .arg(modelName(node))
                            .arg(node.at(param::firmwareMajor))
                            .arg(node.at(param::firmwareMinor)));
    }
}

void Session::journalGathered() {
    if (const DeviceRecord* unit = gatherUid_ ? discovered_.find(*gatherUid_) : nullptr) {
        journal_.record(JournalKind::UnitGathered, unit->uid, modelName(*unit));
    }
}

// Only the changes: supervision repeats its verdict every three seconds.
void Session::journalResponse(bool answering) {
    if (answering == !noResponseShown_) {
        return;
    }
    noResponseShown_ = !answering;
    journal_.record(answering ? JournalKind::Answering : JournalKind::NoResponse, currentUid_,
                    answering ? "answering again" : "No Response!");
}

// Edits made offline or to labels stay in this program; only what goes to a unit
// is an event of the show.
// Recorded once its frames have left: an edit dropped by a failed send or a lost
// link reads as not sent.
void Session::journalEdit(const DeviceUid& unit, const QString& what, bool sent) {
    journal_.record(sent ? JournalKind::Edit : JournalKind::EditNotSent, unit, what);
}

void Session::journalFile(JournalKind kind, const QString& path, const QString& what,
                          std::optional<DeviceUid> unit) {
    const bool project = kind == JournalKind::ProjectLoaded || kind == JournalKind::ProjectSaved;
    if (project) {
        unit.reset();
    } else if (!unit) {
        unit = currentUid_;
    }
    journal_.record(kind, unit, what.isEmpty() ? path : what + ": " + path);
}

} // namespace varento
