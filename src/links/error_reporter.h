#pragma once

#include "app/interaction.h"

#include <QString>

#include <optional>

namespace varento {

// Result codes the links and the send path hand to the error reporter.
namespace link_error {
inline constexpr int shown = -1; // failure already reported where it happened
inline constexpr int midiSendFailed = 1;
inline constexpr int threadNotStarted = 20;
inline constexpr int serialWriteSetup = 104;
} // namespace link_error

// The reporter's text for a result code; nothing for -1.
std::optional<QString> errorReporterText(int code);

// Shows the text for `code` under "Error"; -1 shows nothing.
void reportError(Interaction& ui, int code);

// The operating system's text for a failed call, under "Error!". The variant of
// connect and of the receive side also writes "ERROR: <text>" to standard error.
enum class AlsoToStderr { No, Yes };
void showSystemError(Interaction& ui, const QString& systemText, AlsoToStderr toStderr);

} // namespace varento
