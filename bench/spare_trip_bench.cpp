// How long the spare-microphone switch-over takes on the network link, from the
// press to the unit's routing read back proving it: varento-emu with one LC unit,
// 100 switch-overs, each followed by its way back. Prints the median and the worst.
//
// Run it inside a private network namespace:
//   unshare -n sh -c 'ip link set lo up; ip link set lo multicast on;
//     ip route add 224.0.0.0/4 dev lo; VARENTO_NETNS=1 build/plain/bench/bench_spare_trip'
#include "app/link_set.h"
#include "app/session.h"
#include "links/network_link.h"
#include "support/emulator_process.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace varento;

namespace {

constexpr int kRuns = 100;
constexpr int kChannel = 3; // analog input 4
constexpr int kSpare = 5;   // spare input 6

// One step from its start to the unit's answer; -1 when it was not confirmed.
double timedStep(Session& session, const DeviceUid& unit, bool back) {
    SpareSwitcher& switcher = session.spareSwitcher();
    QElapsedTimer clock;
    clock.start();
    const bool started = back ? switcher.untrip(unit, kChannel)
                              : switcher.trip(unit, kChannel, kSpare);
    if (!started || !QTest::qWaitFor([&] { return !switcher.busy(unit); }, 5000)) {
        return -1;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const SwitchPhase wanted = back ? SwitchPhase::None : SwitchPhase::Switched;
    return switcher.phase(unit) == wanted ? ms : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("VARENTO_NETNS") == nullptr) {
        std::fputs("bench_spare_trip: run it inside a private network namespace (see the "
                   "comment at the top of bench/spare_trip_bench.cpp)\n",
                   stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    testing::EmulatorProcess emulator;
    if (!emulator.start({"network", "--unit", "11:0B0201000A050F030B0804060E0D0703:4.6"})) {
        std::fprintf(stderr, "bench_spare_trip: %s\n", emulator.problem().c_str());
        return 1;
    }
    testing::ScriptedInteraction ui;
    Session session(ui, SessionPaths{folder.path().toStdString(), folder.path().toStdString()});
    session.links().network().setQueryBurst(10, 20);
    session.command(command_id::enableNetwork);
    session.connectOrDisconnect();
    if (!QTest::qWaitFor([&] { return session.unitsGathered(); }, 20000)) {
        std::fputs("bench_spare_trip: the unit was not found\n", stderr);
        return 1;
    }
    const DeviceUid unit = session.currentUnit();
    std::vector<double> trips;
    int failed = 0;
    for (int i = 0; i < kRuns; ++i) {
        const double trip = timedStep(session, unit, false);
        if (trip < 0 || timedStep(session, unit, true) < 0) {
            ++failed;
            continue;
        }
        trips.push_back(trip);
    }
    std::sort(trips.begin(), trips.end());
    const double median = trips.empty() ? 0 : trips[trips.size() / 2];
    const double worst = trips.empty() ? 0 : trips.back();
    std::printf("spare-trip: runs=%d confirmed=%zu failed=%d median=%.1f ms worst=%.1f ms\n",
                kRuns, trips.size(), failed, median, worst);
    return failed == 0 ? 0 : 1;
}
