#pragma once

#include "command_line.h"
#include "console.h"

#include "files/journal_file.h"

#include <filesystem>
#include <vector>

namespace varento::cli {

// The entries from `since` on (all without it). An entry whose time cannot be read
// is kept: a filter must not hide what it cannot judge.
std::vector<JournalEntry> journalSince(const std::vector<JournalEntry>& entries,
                                       const std::optional<QDateTime>& since);

// `journal`: the data folder's journal, as its own lines or one JSON object a line.
int runJournal(const CommandLine& line, Console& console, const std::filesystem::path& folder);

} // namespace varento::cli
