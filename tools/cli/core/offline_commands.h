#pragma once

#include "command_line.h"
#include "console.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace varento::cli {

// The commands that need no link: each returns the exit status.
int runShow(const CommandLine& line, Console& console);
int runDecode(const CommandLine& line, Console& console);

// Hexadecimal text to frames: a new frame begins at every F0, so frames captured
// back to back may be given as one string.
std::optional<std::vector<std::vector<std::uint8_t>>> framesFromHex(const QString& text,
                                                                    QString& error);

} // namespace varento::cli
