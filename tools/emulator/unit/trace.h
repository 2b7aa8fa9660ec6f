#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varento::emu {

// One line that says what a frame is, e.g.
// "set parameters 0C0201000A050F030B0804060E0D0701: 8=0x08 (21 bytes)".
std::string describeFrame(std::span<const std::uint8_t> frame);

// "<time> <arrow> <where> <description>[ note]": the --trace output.
std::string traceLine(std::string_view time, bool received, std::string_view where,
                      std::span<const std::uint8_t> frame, std::string_view note = {});

} // namespace varento::emu
