#include "files/preset_file.h"

#include "files/byte_io.h"
#include "files/file_io.h"
#include "files/preset_block.h"

#include <algorithm>
#include <string>

namespace varento {

namespace {
constexpr std::size_t kPrefixSize = kFileHeaderSize + 4;
constexpr const char* kSupportAddress = "support@varento-remote.com";
} // namespace

MessageText presetReadErrorMessage(PresetReadError error) {
    switch (error) {
    case PresetReadError::BadMagic:
        return {"File error", "This is not a valid VARENTO preset file!"};
    case PresetReadError::WrongType:
        return {"File type error", "Wrong file type. Opening file failed!"};
    case PresetReadError::WrongVersion:
        return {"File version error", "Wrong file format version."};
    case PresetReadError::SizeMismatch:
        return {"File size error", "Wrong data size information."};
    case PresetReadError::ShortRead:
        return {"File read error", "Error while reading file data."};
    case PresetReadError::CannotOpen:
    case PresetReadError::None:
        break;
    }
    return {"", ""};
}

std::string programVersionWarningText() {
    return std::string("This preset file has been created by a program version between 1.4.1 "
                       "and 1.6.x. Be aware that PAD and P48 settings of the upper 16 channels "
                       "are not available.\nPlease save the preset file again with this "
                       "program version.\n\nFor more information please contact ") +
           kSupportAddress + ".";
}

std::string presetFileProblem(const PresetFileContent& content, std::uint8_t fileType) {
    if (content.error == PresetReadError::CannotOpen) {
        return content.systemError.message();
    }
    if (content.error != PresetReadError::None) {
        return presetReadErrorMessage(content.error).text;
    }
    if (content.header.fileType != fileType) {
        return fileType == kPresetFileType ? "it is a project file, not a preset"
                                           : "it is a preset file, not a project";
    }
    if (fileType == kPresetFileType &&
        (content.data.size() < kMinPresetDataSize || content.data.size() > kMaxPresetDataSize)) {
        return "its data length " + std::to_string(content.data.size()) +
               " is outside 288..688, so a load would change nothing";
    }
    return {};
}

PresetFileContent decodePresetFile(std::span<const std::uint8_t> file) {
    PresetFileContent out;
    // A file shorter than the prefix reads as if padded with zeros.
    std::array<std::uint8_t, kPrefixSize> prefix{};
    std::copy_n(file.begin(), std::min(file.size(), kPrefixSize), prefix.begin());
    const std::span<const std::uint8_t, kFileHeaderSize> headerBytes(prefix.data(),
                                                                     kFileHeaderSize);
    if (!FileHeader::hasMagic(headerBytes)) {
        out.error = PresetReadError::BadMagic;
        return out;
    }
    out.header = FileHeader::decode(headerBytes);
    if (out.header.fileType != kPresetFileType && out.header.fileType != kProjectFileType) {
        out.error = PresetReadError::WrongType;
        return out;
    }
    if (out.header.formatVersion != kFileFormatVersion) {
        out.error = PresetReadError::WrongVersion;
        return out;
    }
    out.versionWarning = out.header.fromProgramWithoutUpperSwitches();
    const std::uint32_t n = bytes::getLe32(prefix.data() + kFileHeaderSize);
    if (file.size() < n) {
        out.error = PresetReadError::SizeMismatch;
        return out;
    }
    if (file.size() - std::min(file.size(), kPrefixSize) < n) {
        out.error = PresetReadError::ShortRead;
        return out;
    }
    out.data.assign(file.begin() + kPrefixSize, file.begin() + kPrefixSize + n);
    return out;
}

PresetFileContent readPresetFile(const std::filesystem::path& path) {
    FileRead read = readWholeFile(path);
    if (read.status != ReadStatus::Ok) {
        PresetFileContent out;
        out.error = read.status == ReadStatus::CannotOpen ? PresetReadError::CannotOpen
                                                          : PresetReadError::ShortRead;
        out.systemError = read.error;
        return out;
    }
    return decodePresetFile(read.bytes);
}

std::vector<std::uint8_t> encodePresetFile(std::uint8_t fileType,
                                           std::span<const std::uint8_t> data) {
    FileHeader header;
    header.fileType = fileType;
    std::vector<std::uint8_t> out;
    out.reserve(kPrefixSize + data.size());
    const auto h = header.encode();
    out.insert(out.end(), h.begin(), h.end());
    bytes::appendLe32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

} // namespace varento
