#include "files/file_header.h"

#include <algorithm>
#include <string_view>

namespace varento {

namespace {
constexpr std::string_view kMagic = "KELTA";
}

std::array<std::uint8_t, kFileHeaderSize> FileHeader::encode() const {
    std::array<std::uint8_t, kFileHeaderSize> out{};
    std::copy(kMagic.begin(), kMagic.end(), out.begin());
    out[5] = fileType;
    out[6] = formatVersion;
    out[8] = programMajor;
    out[9] = programMinor;
    out[10] = programPatch;
    return out;
}

FileHeader FileHeader::decode(std::span<const std::uint8_t, kFileHeaderSize> bytes) {
    FileHeader h;
    h.fileType = bytes[5];
    h.formatVersion = bytes[6];
    h.programMajor = bytes[8];
    h.programMinor = bytes[9];
    h.programPatch = bytes[10];
    return h;
}

bool FileHeader::hasMagic(std::span<const std::uint8_t, kFileHeaderSize> bytes) {
    return std::equal(kMagic.begin(), kMagic.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

bool FileHeader::fromProgramWithoutUpperSwitches() const {
    if (programMajor != 1 || programMinor < 4 || programMinor > 6) {
        return false;
    }
    return !(programMinor == 4 && programPatch == 0);
}

} // namespace varento
