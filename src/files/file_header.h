#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace varento {

inline constexpr std::uint8_t kPresetFileType = 0x10;
inline constexpr std::uint8_t kProjectFileType = 0x16;
inline constexpr std::uint8_t kFileFormatVersion = 2;
inline constexpr std::size_t kFileHeaderSize = 12;

// The 12 bytes at the start of every preset and project file.
struct FileHeader {
    std::uint8_t fileType = kPresetFileType;
    std::uint8_t formatVersion = kFileFormatVersion;
    std::uint8_t programMajor = 3;
    std::uint8_t programMinor = 5;
    std::uint8_t programPatch = 0;

    std::array<std::uint8_t, kFileHeaderSize> encode() const;
    // Reads the fields; the magic is checked separately by hasMagic.
    static FileHeader decode(std::span<const std::uint8_t, kFileHeaderSize> bytes);
    static bool hasMagic(std::span<const std::uint8_t, kFileHeaderSize> bytes);

    // Files from programs 1.4.1 to 1.6.x lack the upper 16 channels' PAD and P48.
    bool fromProgramWithoutUpperSwitches() const;
};

} // namespace varento
