// Figures for a headless session on emulated units in-process:
//   - wall time from Connect to the end of gathering for 1, 4 and 16 units;
//   - CPU time (percent of one core) while polling one unit.
// Usage: bench_session [POLL_SECONDS]   (default 60)
#include "app/session.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

using namespace varento;

namespace {

bool gathered(const Session& s, int units) {
    return s.discovered().count() == units && s.unitsGathered();
}

// Runs the event loop until `done` holds (checked every 10 ms) or the time is up.
void runUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int pollSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    QTemporaryDir dir;
    testing::ScriptedInteraction ui;

    for (int units : {1, 4, 16}) {
        Session session(ui, {dir.path().toStdString(), dir.path().toStdString()});
        session.useDemoUnits(std::vector<int>(static_cast<std::size_t>(units), 12));
        QElapsedTimer clock;
        clock.start();
        session.connectOrDisconnect();
        runUntil([&] { return gathered(session, units); }, 60000);
        std::printf("connect to end of gathering, %2d units: %6lld ms%s\n", units,
                    static_cast<long long>(clock.elapsed()),
                    gathered(session, units) ? "" : " (not finished)");
        session.disconnect();
    }

    Session session(ui, {dir.path().toStdString(), dir.path().toStdString()});
    session.useDemoUnits({12});
    session.connectOrDisconnect();
    runUntil([&] { return gathered(session, 1); }, 10000);
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(pollSeconds * 1000);
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("polling one unit for %d s: CPU %.2f s = %.2f %% of one core\n", pollSeconds, cpu,
                100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    session.disconnect();
    return 0;
}
