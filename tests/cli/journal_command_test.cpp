// varento-cli journal: what --since accepts and which entries it keeps.
#include "core/command_line.h"
#include "core/journal_command.h"
#include "support/temp_dir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::cli;
using namespace varento::testing;

namespace {

JournalEntry at(const char* time, const char* text) {
    return {time, "edit", "", text};
}

std::vector<std::string> textsOf(const std::vector<JournalEntry>& entries) {
    std::vector<std::string> out;
    for (const JournalEntry& e : entries) {
        out.push_back(e.text);
    }
    return out;
}

} // namespace

TEST(JournalSince, AcceptsIsoDateTimesAndTimesAgo) {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime local(QDate(2026, 12, 8), QTime(14, 0));
    EXPECT_EQ(parseSince("2026-12-08T14:00", now), local);
    EXPECT_EQ(parseSince("2026-12-08 14:00:00", now), local);
    EXPECT_EQ(parseSince("2026-12-08T14:00:00.250", now), local.addMSecs(250));
    EXPECT_EQ(parseSince("2026-12-08", now), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(parseSince("2026-12-08T14:00+02:00", now),
              QDateTime(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc()));
    EXPECT_EQ(parseSince("2026-12-08T14:00Z", now),
              QDateTime(QDate(2026, 12, 8), QTime(14, 0), QTimeZone::utc()));
    EXPECT_EQ(parseSince("90s", now), now.addSecs(-90));
    EXPECT_EQ(parseSince("30m", now), now.addSecs(-30 * 60));
    EXPECT_EQ(parseSince("2h", now), now.addSecs(-2 * 3600));
    EXPECT_EQ(parseSince("1d", now), now.addDays(-1));
    for (const char* bad :
         {"", "yesterday", "14:00", "2026-13-01", "2026-12-08T25:00", "2026-12-08T14",
          "2026-12-08 14:00 extra", "-2h", "2 h", "2w", "2026/12/08 14:00", "1234567h"}) {
        EXPECT_FALSE(parseSince(bad, now)) << bad;
    }
}

TEST(JournalSince, BadTimesAreUsageErrorsAndOnlyJournalTakesThem) {
    const auto ok = parseCommandLine({"journal", "--since", "2026-12-08 14:00:00", "--json"});
    ASSERT_TRUE(ok.line) << ok.error.toStdString();
    EXPECT_EQ(ok.line->command, Command::Journal);
    EXPECT_TRUE(ok.line->since);
    EXPECT_TRUE(ok.line->json);
    EXPECT_FALSE(parseCommandLine({"journal"}).line->since);
    for (const QStringList& bad :
         {QStringList{"journal", "--since", "soon"}, QStringList{"journal", "--since"},
          QStringList{"journal", "extra"}, QStringList{"discover", "--since", "2h"}}) {
        const auto parsed = parseCommandLine(bad);
        EXPECT_FALSE(parsed.line) << bad.join(' ').toStdString();
        EXPECT_FALSE(parsed.error.isEmpty());
    }
}

TEST(JournalSince, KeepsEntriesFromTheMomentOnWhateverTheirOffset) {
    const std::vector<JournalEntry> entries = {
        at("2026-12-08T13:59:59.999+00:00", "before"),
        at("2026-12-08T15:00:00.000+01:00", "same moment, other offset"),
        at("2026-12-08T14:00:00.001Z", "after"),
        at("2026-12-08T14:30:00.000+02:00", "earlier in UTC"),
    };
    const QDateTime since(QDate(2026, 12, 8), QTime(14, 0), QTimeZone::utc());
    EXPECT_EQ(textsOf(journalSince(entries, since)),
              (std::vector<std::string>{"same moment, other offset", "after"}));
    EXPECT_EQ(journalSince(entries, std::nullopt).size(), entries.size());
}

TEST(JournalCommand, PrintsTheFilesLinesOrOneJsonObjectEach) {
    TempDir dir;
    const std::vector<JournalEntry> entries = {
        {"2026-12-08T14:00:00.000Z", "link-opened", "", "network"},
        {"2026-12-08T14:00:01.000Z", "edit", "0102030405060708090A0B0C0D0E0F00", "a\ttab"},
    };
    for (const JournalEntry& e : entries) {
        ASSERT_FALSE(appendJournalEntry(dir.path(), e));
    }
    QString out;
    Console console;
    console.out = [&](const QString& text) { out += text; };
    CommandLine line;
    line.command = Command::Journal;
    EXPECT_EQ(runJournal(line, console, dir.path()), exit_status::ok);
    const auto file = readBytes(journalPath(dir.path()));
    EXPECT_EQ(out.toStdString(), std::string(file.begin(), file.end()));

    out.clear();
    line.json = true;
    EXPECT_EQ(runJournal(line, console, dir.path()), exit_status::ok);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        const JournalEntry& e = entries[static_cast<std::size_t>(i)];
        EXPECT_EQ(o["time"].toString().toStdString(), e.time);
        EXPECT_EQ(o["kind"].toString().toStdString(), e.kind);
        EXPECT_EQ(o["text"].toString().toStdString(), e.text);
        EXPECT_EQ(o["unit"].isNull(), e.unit.empty());
    }

    out.clear();
    EXPECT_EQ(runJournal(line, console, dir / "nothing here"), exit_status::ok);
    EXPECT_TRUE(out.isEmpty());
}
