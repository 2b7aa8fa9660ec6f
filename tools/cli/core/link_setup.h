#pragma once

#include "command_line.h"

#include <QString>

#include <memory>

namespace varento {
class FrameLink;
class Session;
} // namespace varento

namespace varento::cli {

// Points the session at the link the command line chose. Returns an error sentence
// when it cannot (a MIDI device that does not exist). A demo without units needs a
// link of its own, kept in `owned`.
QString prepareLink(Session& session, const LinkChoice& link, std::unique_ptr<FrameLink>& owned);

// The models of demo:N: the emulator's own three for N = 3 (empty), otherwise a
// VARENTO 2, a VARENTO 2.PX SRC and a VARENTO.LC in turn.
std::vector<int> demoModels(int units);

} // namespace varento::cli
