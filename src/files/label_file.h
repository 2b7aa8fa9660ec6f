#pragma once

#include "protocol/device_record.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace varento {

// Label files, the per-unit store and exported ones alike: plain Windows-1252 text,
// one label per line, CR LF line ends, entry 0 first.
using LabelTable = std::array<Label, kLabelCount>;

inline constexpr int kImportLabelLimit = 384; // an import leaves the bus labels alone
inline constexpr int kFirstBusLabel = 384;
inline constexpr int kLabelChars = kLabelSize - 1;

// Printable in the "de-DE" locale of the earlier Windows program: the Windows-1252
// graphic characters and spaces, umlauts included; control characters (tab, CR,
// LF, DEL, NUL) and the five bytes 1252 leaves undefined are not.
bool isLabelPrintable(std::uint8_t c);

enum class LabelParse { Ok, NonPrintable };

// Reads at most `limit` lines into the first entries of `labels`. Each line gives
// its first 16 characters (the rest is skipped unread); an empty line an empty
// label; a CR without LF ends the line without moving on, so every later label
// reads empty. Entries past the last line keep their text. On a non-printable
// character nothing of `labels` changes.
LabelParse parseLabels(std::span<const std::uint8_t> data, LabelTable& labels,
                       int limit = kLabelCount);
// All 388 labels, each followed by CR LF.
std::vector<std::uint8_t> encodeLabels(const LabelTable& labels);

// The default text of an entry, "AES 1 IN" ... "BUS 4".
std::string defaultLabelText(int entry);
void fillDefaultLabels(LabelTable& labels);
// Stores from before the bus labels existed have 384 lines: entry 384 empty gets
// "BUS 1" .. "BUS 4" into entries 384..387.
void fillMissingBusLabels(LabelTable& labels);
// The "I/O Type" column of the labels list, "AES IN 1" ... "SUM Bus 4".
std::string labelIoTypeText(int entry);

enum class LabelFileStatus { Ok, CannotOpen, OutOfMemory, NonPrintable };

struct LabelFileResult {
    LabelFileStatus status = LabelFileStatus::Ok;
    std::error_code error; // why the file could not be opened or read
};

// How the file's text is taken: the stores are written here in Windows-1252; a
// file to import may come from an editor that saved UTF-8.
enum class LabelEncoding { Windows1252, Utf8IfLikely };

LabelFileResult readLabelFile(const std::filesystem::path& path, LabelTable& labels,
                              int limit = kLabelCount,
                              LabelEncoding encoding = LabelEncoding::Windows1252);
// Replaces the file atomically; the folder must exist.
std::error_code writeLabelFile(const std::filesystem::path& path, const LabelTable& labels);

} // namespace varento
