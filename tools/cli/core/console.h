#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace varento::cli {

// Where the program writes and how it asks: the real streams in main, captured
// text in tests.
struct Console {
    std::function<void(const QString&)> out; // standard output
    std::function<void(const QString&)> err; // standard error
    // One line typed by the user, or nothing at the end of input.
    std::function<std::optional<QString>()> readLine;
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false;
};

} // namespace varento::cli
