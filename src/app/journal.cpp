#include "app/journal.h"

#include "devices/device_list.h"

#include <QDebug>

namespace varento {

const char* journalKindWord(JournalKind kind) {
    switch (kind) {
    case JournalKind::LinkOpened:
        return "link-opened";
    case JournalKind::LinkFailed:
        return "link-failed";
    case JournalKind::LinkLost:
        return "link-lost";
    case JournalKind::LinkRegained:
        return "link-regained";
    case JournalKind::UnitFound:
        return "unit-found";
    case JournalKind::UnitGathered:
        return "unit-gathered";
    case JournalKind::NoResponse:
        return "no-response";
    case JournalKind::Answering:
        return "answering";
    case JournalKind::Edit:
        return "edit";
    case JournalKind::EditNotSent:
        return "edit-not-sent";
    case JournalKind::LoadCutShort:
        return "load-cut-short";
    case JournalKind::PresetLoaded:
        return "preset-loaded";
    case JournalKind::PresetSaved:
        return "preset-saved";
    case JournalKind::ProjectLoaded:
        return "project-loaded";
    case JournalKind::ProjectSaved:
        return "project-saved";
    case JournalKind::FirmwareWarning:
        return "firmware-warning";
    case JournalKind::SwitchOver:
        return "switch-over";
    case JournalKind::SwitchBack:
        return "switch-back";
    case JournalKind::SwitchConfirmed:
        return "switch-confirmed";
    case JournalKind::SwitchFailed:
        return "switch-failed";
    case JournalKind::SwitchCleared:
        return "switch-cleared";
    }
    return "event";
}

QString journalTime(const QDateTime& time) {
    // A local time prints without its offset; as an offset time it carries it.
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

Journal::Journal(std::filesystem::path folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

void Journal::record(JournalKind kind, std::optional<DeviceUid> unit, const QString& text) {
    JournalEntry entry;
    entry.time = journalTime(QDateTime::currentDateTime()).toStdString();
    entry.kind = journalKindWord(kind);
    if (unit && *unit != DeviceUid::broadcast()) {
        entry.unit = unitIdText(*unit);
    }
    entry.text = text.toStdString();
    if (const std::error_code error = appendJournalEntry(folder_, entry);
        error && !failureReported_) {
        // Once a run: a full disk must not flood the console line by line.
        failureReported_ = true;
        qWarning().noquote() << "journal.log:" << QString::fromStdString(error.message());
    }
    emit recorded(entry);
}

std::vector<JournalEntry> Journal::entries() const {
    return readJournal(folder_);
}

} // namespace varento
