#include "journal_command.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace varento::cli {

namespace {

QString toText(const std::string& text) {
    return QString::fromStdString(text);
}

QString jsonLine(const JournalEntry& entry) {
    QJsonObject object;
    object["time"] = toText(entry.time);
    object["kind"] = toText(entry.kind);
    object["unit"] = entry.unit.empty() ? QJsonValue() : QJsonValue(toText(entry.unit));
    object["text"] = toText(entry.text);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + "\n";
}

} // namespace

std::vector<JournalEntry> journalSince(const std::vector<JournalEntry>& entries,
                                       const std::optional<QDateTime>& since) {
    std::vector<JournalEntry> out;
    for (const JournalEntry& entry : entries) {
        const QDateTime time = QDateTime::fromString(toText(entry.time), Qt::ISODateWithMs);
        if (!since || !time.isValid() || time >= *since) {
            out.push_back(entry);
        }
    }
    return out;
}

int runJournal(const CommandLine& line, Console& console, const std::filesystem::path& folder) {
    for (const JournalEntry& entry : journalSince(readJournal(folder), line.since)) {
        console.out(line.json ? jsonLine(entry) : QString::fromStdString(formatJournalLine(entry)));
    }
    return exit_status::ok;
}

} // namespace varento::cli
