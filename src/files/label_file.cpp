#include "files/label_file.h"

#include "files/file_io.h"
#include "files/windows1252.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace varento {

namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

struct LabelGroup {
    int first;
    int count;
    const char* defaultFormat;
    const char* ioTypeFormat;
};

constexpr LabelGroup kGroups[] = {
    {0, 32, "AES %d IN", "AES IN %d"},       {32, 32, "AN %d IN", "Analog IN %d"},
    {64, 64, "M1 %d IN", "MADI 1 IN %d"},    {128, 64, "M2 %d IN", "MADI 2 IN %d"},
    {192, 32, "AES %d OUT", "AES OUT %d"},   {224, 32, "AN %d OUT", "Analog OUT %d"},
    {256, 64, "M1 %d OUT", "MADI 1 OUT %d"}, {320, 64, "M2 %d OUT", "MADI 2 OUT %d"},
    {384, 4, "BUS %d", "SUM Bus %d"},
};

std::string groupText(int entry, bool ioType) {
    for (const LabelGroup& g : kGroups) {
        if (entry >= g.first && entry < g.first + g.count) {
            char text[32];
            std::snprintf(text, sizeof text, ioType ? g.ioTypeFormat : g.defaultFormat,
                          entry - g.first + 1);
            return text;
        }
    }
    return {};
}

} // namespace

bool isLabelPrintable(std::uint8_t c) {
    if (c < 0x20 || c == 0x7F) {
        return false;
    }
    // Unassigned in Windows-1252; the system maps them to C1 control characters.
    return c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
}

LabelParse parseLabels(std::span<const std::uint8_t> data, LabelTable& labels, int limit) {
    // Parsed into a copy so that a rejected file leaves every label as it was.
    LabelTable parsed = labels;
    limit = std::clamp(limit, 0, kLabelCount);
    std::size_t pos = 0;
    const std::size_t size = data.size();
    for (int entry = 0; entry < limit && pos < size; ++entry) {
        Label& label = parsed[static_cast<std::size_t>(entry)];
        label.fill('\0');
        int copied = 0;
        while (copied < kLabelChars && pos < size && data[pos] != kCr) {
            if (!isLabelPrintable(data[pos])) {
                return LabelParse::NonPrintable;
            }
            label[static_cast<std::size_t>(copied++)] = static_cast<char>(data[pos++]);
        }
        while (pos < size && data[pos] != kCr) {
            ++pos; // the rest of a long line
        }
        if (pos + 1 < size && data[pos] == kCr && data[pos + 1] == kLf) {
            pos += 2;
        }
    }
    labels = parsed;
    return LabelParse::Ok;
}

std::vector<std::uint8_t> encodeLabels(const LabelTable& labels) {
    std::vector<std::uint8_t> out;
    out.reserve(labels.size() * (kLabelChars + 2));
    for (const Label& label : labels) {
        const auto end = std::find(label.begin(), label.begin() + kLabelChars, '\0');
        out.insert(out.end(), label.begin(), end);
        out.push_back(kCr);
        out.push_back(kLf);
    }
    return out;
}

std::string defaultLabelText(int entry) {
    return groupText(entry, false);
}

std::string labelIoTypeText(int entry) {
    return groupText(entry, true);
}

void fillDefaultLabels(LabelTable& labels) {
    for (int i = 0; i < kLabelCount; ++i) {
        setLabel(labels[static_cast<std::size_t>(i)], defaultLabelText(i).c_str());
    }
}

void fillMissingBusLabels(LabelTable& labels) {
    if (labels[kFirstBusLabel][0] != '\0') {
        return;
    }
    for (int i = kFirstBusLabel; i < kLabelCount; ++i) {
        setLabel(labels[static_cast<std::size_t>(i)], defaultLabelText(i).c_str());
    }
}

LabelFileResult readLabelFile(const std::filesystem::path& path, LabelTable& labels, int limit,
                              LabelEncoding encoding) {
    const FileRead read = readWholeFile(path);
    switch (read.status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::OutOfMemory:
        return {LabelFileStatus::OutOfMemory, {}};
    case ReadStatus::CannotOpen:
    case ReadStatus::ReadFailed:
        return {LabelFileStatus::CannotOpen, read.error};
    }
    const std::vector<std::uint8_t> text = encoding == LabelEncoding::Utf8IfLikely
                                               ? windows1252FromLikelyUtf8(read.bytes)
                                               : read.bytes;
    if (parseLabels(text, labels, limit) != LabelParse::Ok) {
        return {LabelFileStatus::NonPrintable, {}};
    }
    return {};
}

std::error_code writeLabelFile(const std::filesystem::path& path, const LabelTable& labels) {
    return writeFileAtomically(path, encodeLabels(labels));
}

} // namespace varento
