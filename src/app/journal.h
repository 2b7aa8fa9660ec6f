#pragma once

#include "files/journal_file.h"
#include "protocol/device_uid.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace varento {

// What the journal keeps: the moments an engineer asks about after a show.
enum class JournalKind {
    LinkOpened,
    LinkFailed,
    LinkLost,
    LinkRegained,
    UnitFound,
    UnitGathered,
    NoResponse,  // "\tNo Response!" shown
    Answering,   // the unit answers again
    Edit,        // one edit sent to a unit
    EditNotSent, // an edit whose frames did not all leave (the link failed)
    PresetLoaded,
    PresetSaved,
    ProjectLoaded,
    ProjectSaved,
    LoadCutShort, // a preset or project load whose frames did not all leave
    FirmwareWarning,
    SwitchOver,      // a spare-microphone switch-over sent (or kept by a load)
    SwitchBack,      // its way back sent
    SwitchConfirmed, // the unit's routing read back proves the step
    SwitchFailed,    // the unit did not confirm it
    SwitchCleared,   // a switch-over the unit's routing no longer holds
};

// The word that stands for the kind in journal.log ("link-opened", ...).
const char* journalKindWord(JournalKind kind);

// ISO 8601 local wall-clock time with milliseconds and the UTC offset in force.
QString journalTime(const QDateTime& time);

// Records the session's events in journal.log of the data folder, one line each,
// written at once. A journal that cannot be written never stops the session.
class Journal : public QObject {
    Q_OBJECT

public:
    explicit Journal(std::filesystem::path folder, QObject* parent = nullptr);

    // `unit` none (or the broadcast id, which is no unit) for events of the link.
    void record(JournalKind kind, std::optional<DeviceUid> unit, const QString& text);
    void record(JournalKind kind, const QString& text) { record(kind, std::nullopt, text); }

    // Everything kept on disk, oldest first.
    std::vector<JournalEntry> entries() const;
    const std::filesystem::path& folder() const { return folder_; }

signals:
    void recorded(const JournalEntry& entry);

private:
    std::filesystem::path folder_;
    bool failureReported_ = false;
};

} // namespace varento

Q_DECLARE_METATYPE(varento::JournalEntry)
