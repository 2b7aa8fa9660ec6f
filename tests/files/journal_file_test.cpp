// The event journal: one line an event, readable after a crash at any moment, and
// never more than three files of about 1 MB.
#include "files/journal_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

namespace fs = std::filesystem;

JournalEntry entry(int n, std::string text = "text") {
    char time[64];
    std::snprintf(time, sizeof time, "2026-12-08T14:%02d:%02d.%03d+01:00", (n / 60) % 60, n % 60,
                  n % 1000);
    const std::string unit = n % 2 == 0 ? "0102030405060708090A0B0C0D0E0F00" : "";
    return {time, "edit", unit, std::move(text) + std::to_string(n)};
}

std::string textOf(const fs::path& path) {
    const auto bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

TEST(JournalFile, EntriesComeBackAsWrittenWhateverTheirTextHolds) {
    TempDir dir;
    const fs::path folder = dir / "not yet made";
    const std::vector<JournalEntry> written = {
        entry(1),
        entry(2, "tab\there, line\nbreak, return\r, backslash \\t not a tab"),
        {"2026-12-08T14:00:00.000Z", "link-opened", "", ""},
        entry(4, "Bühne \"quoted\"")};
    for (const JournalEntry& e : written) {
        ASSERT_FALSE(appendJournalEntry(folder, e));
    }
    EXPECT_EQ(readJournal(folder), written);
    // One line an entry, each with four fields.
    const std::string text = textOf(journalPath(folder));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 12);
    EXPECT_TRUE(readJournal(dir / "missing").empty());
}

TEST(JournalFile, OnlyWellFormedLinesAreRead) {
    for (const char* bad : {
             "",
             "no tabs at all",
             "2026-12-08T14:00:00.000+01:00\tedit\tunit",          // three fields
             "2026-12-08T14:00:00.000+01:00\tedit\t\ttext\textra", // five
             "2026-12-08T14:00:00+01:00\tedit\t\ttext",            // no ms
             "2026-12-08 14:00:00.000+01:00\tedit\t\ttext",        // no T
             "2026-12-08T14:00:00.000+0100\tedit\t\ttext",         // offset form
             "xx2026-12-08T14:00:00.000Z\tedit\t\ttext",           // glued
             "2026-12-08T14:00:00.000Z\t\t\ttext",                 // no kind
             "2026-12-08T14:00:00.000Z\tedit\t\tends in \\",       // bad escape
             "2026-12-08T14:00:00.000Z\tedit\t\t\\x",
         }) {
        EXPECT_FALSE(parseJournalLine(bad)) << bad;
    }
    EXPECT_TRUE(parseJournalLine("2026-12-08T14:00:00.000-05:30\tedit\t\t"));
}

TEST(JournalFile, TornOrForeignLinesAreSkippedAndTheNextEntryStandsAlone) {
    TempDir dir;
    ASSERT_FALSE(appendJournalEntry(dir.path(), entry(1)));
    const std::string full = formatJournalLine(entry(2));
    {
        // A crash in the middle of the second line; a stray line edited in by hand.
        std::string text = textOf(journalPath(dir.path()));
        text += "not a journal line\r\n";
        text += full.substr(0, full.size() / 2);
        writeText(journalPath(dir.path()), text);
    }
    EXPECT_EQ(readJournal(dir.path()), std::vector<JournalEntry>{entry(1)});

    // Writing on after the crash: the torn piece stays a line of its own.
    ASSERT_FALSE(appendJournalEntry(dir.path(), entry(3)));
    EXPECT_EQ(readJournal(dir.path()), (std::vector<JournalEntry>{entry(1), entry(3)}));

    // A torn line at the end of an older generation does not hide the newer files.
    writeText(journalPath(dir.path(), 1), formatJournalLine(entry(0)) + full.substr(0, 10));
    EXPECT_EQ(readJournal(dir.path()), (std::vector<JournalEntry>{entry(0), entry(1), entry(3)}));
}

TEST(JournalFile, RotationKeepsThreeFilesBelowTheLimitInOrder) {
    TempDir dir;
    const std::uintmax_t limit = 1000;
    const std::size_t lineSize = formatJournalLine(entry(100)).size();
    const int count = 400; // many times what three files hold
    for (int n = 100; n < 100 + count; ++n) {
        ASSERT_FALSE(appendJournalEntry(dir.path(), entry(n), limit));
        for (int generation = 0; generation < kJournalFiles; ++generation) {
            std::error_code missing;
            const auto size = fs::file_size(journalPath(dir.path(), generation), missing);
            ASSERT_TRUE(missing || size <= limit) << generation;
        }
    }
    EXPECT_FALSE(fs::exists(journalPath(dir.path(), kJournalFiles)));
    // Each older file was full when it was turned.
    for (int generation = 1; generation < kJournalFiles; ++generation) {
        EXPECT_GT(fs::file_size(journalPath(dir.path(), generation)) + lineSize, limit);
    }
    // What is kept is the newest entries, oldest first and without a gap.
    const auto kept = readJournal(dir.path());
    ASSERT_GE(kept.size(), 2 * limit / lineSize);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i], entry(100 + count - static_cast<int>(kept.size() - i))) << i;
    }
}

TEST(JournalFile, TheDefaultLimitIsOneMegabyte) {
    TempDir dir;
    const std::string text(1000, 'x');
    const std::size_t lineSize = formatJournalLine(entry(10, text)).size();
    const auto perFile = static_cast<int>(kJournalLimit / lineSize);
    for (int n = 0; n < perFile; ++n) {
        ASSERT_FALSE(appendJournalEntry(dir.path(), entry(10, text)));
    }
    EXPECT_FALSE(fs::exists(journalPath(dir.path(), 1)));
    ASSERT_FALSE(appendJournalEntry(dir.path(), entry(11, text)));
    EXPECT_EQ(fs::file_size(journalPath(dir.path(), 1)),
              static_cast<std::size_t>(perFile) * lineSize);
    EXPECT_EQ(readJournal(dir.path()).back(), entry(11, text));
}
