#pragma once

#include <QProcess>

#include <csignal>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace varento::testing {

// A child of a test dies with it, even when the test crashes (where the system
// offers that).
inline void dieWithParent([[maybe_unused]] QProcess& process,
                          [[maybe_unused]] int signal = SIGKILL) {
#ifdef __linux__
    process.setChildProcessModifier([signal] { ::prctl(PR_SET_PDEATHSIG, signal); });
#endif
}

} // namespace varento::testing
