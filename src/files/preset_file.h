#pragma once

#include "files/file_header.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace varento {

// Why a preset or project file was not read, in the order the checks run.
enum class PresetReadError {
    None,
    CannotOpen,
    BadMagic,
    WrongType,
    WrongVersion,
    SizeMismatch, // the declared data length is larger than the file
    ShortRead,    // the file ends inside the declared data
};

struct PresetFileContent {
    PresetReadError error = PresetReadError::None;
    FileHeader header;
    // Written by a program between 1.4.1 and 1.6.x; reported even when a later check fails.
    bool versionWarning = false;
    std::vector<std::uint8_t> data; // N bytes after the header
    std::error_code systemError;    // why the file could not be opened
};

struct MessageText {
    const char* title;
    const char* text;
};

// The message box for a rejected file; CannotOpen has none of its own (the
// system's error text is shown instead).
MessageText presetReadErrorMessage(PresetReadError error);
// The program-version warning, with the support address appended.
std::string programVersionWarningText();
inline constexpr const char* kProgramVersionWarningTitle = "Program version warning";

// Why the content cannot be loaded as a file of `fileType` (a preset or a project),
// empty when it can. A preset must hold a block a load takes (288..688 bytes).
std::string presetFileProblem(const PresetFileContent& content, std::uint8_t fileType);

PresetFileContent decodePresetFile(std::span<const std::uint8_t> file);
PresetFileContent readPresetFile(const std::filesystem::path& path);

// Header of the given type, N little-endian, then the data.
std::vector<std::uint8_t> encodePresetFile(std::uint8_t fileType,
                                           std::span<const std::uint8_t> data);

} // namespace varento
