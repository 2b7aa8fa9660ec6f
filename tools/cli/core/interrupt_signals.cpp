#include "interrupt_signals.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace varento::cli {

namespace {

int pipeFds[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const auto written = ::write(pipeFds[0], &byte, 1);
}

} // namespace

InterruptSignals::InterruptSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeFds) != 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipeFds[1], &byte, 1) == 1) {
            emit interrupted();
        }
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

InterruptSignals::~InterruptSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    notifier_.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

} // namespace varento::cli
