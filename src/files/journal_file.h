#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace varento {

// One line of the event journal: four tab-separated fields, the text escaped so
// that a line never holds a tab or a line break of its own.
//   2026-12-08T14:03:12.345+01:00<TAB>link-opened<TAB><unit id or empty><TAB>text
struct JournalEntry {
    std::string time; // ISO 8601 local time with milliseconds and UTC offset
    std::string kind; // one word
    std::string unit; // the unit's id text, empty for none
    std::string text;

    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

inline constexpr std::uintmax_t kJournalLimit = 1024 * 1024;
inline constexpr int kJournalFiles = 3; // journal.log, .1 and .2

// <folder>/journal.log, and its older generations <folder>/journal.log.N (1, 2).
std::filesystem::path journalPath(const std::filesystem::path& folder, int generation = 0);

// "YYYY-MM-DDTHH:MM:SS.mmm" followed by "Z" or "+HH:MM" / "-HH:MM".
bool isJournalTime(std::string_view text);

// The line with its line break.
std::string formatJournalLine(const JournalEntry& entry);
// A line without its line break; nothing for a line that is not a journal line.
std::optional<JournalEntry> parseJournalLine(std::string_view line);

// Appends one entry to <folder>/journal.log (the folder is made when missing), as
// one write, so that a crash loses at most that line. A file the line would take
// past `limit` moves to journal.log.1 first (and that one to .2, the oldest going).
// An unterminated line left by a crash is closed first, so it never swallows the
// new one.
std::error_code appendJournalEntry(const std::filesystem::path& folder, const JournalEntry& entry,
                                   std::uintmax_t limit = kJournalLimit);

// Every entry of the three files, oldest first. Lines that cannot be read (torn by a
// crash, or not journal lines at all) are left out; missing files are empty.
std::vector<JournalEntry> readJournal(const std::filesystem::path& folder);

} // namespace varento
