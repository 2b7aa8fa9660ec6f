// CPU time per second of wall time for a wall of animated level meters, offscreen:
//   - every meter on the one shared 20 ms clock;
//   - the same meters with a timer pair each (a 20 ms step timer and a 150 ms hold
//     timer per meter), for comparison.
// Every meter gets a new value every 100 ms: a rise every half second and lower
// values in between, so the bars keep falling.
// Usage: bench_level_meter [METERS] [SECONDS] [shared|pairs]   (defaults 160, 5, both)
#include "ui/controls/level_meter.h"
#include "ui/controls/meter_clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace varento;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figures {
    double cpuPercent;
    double paintsPerSecond;
};

// Counts the paint events of all meters.
struct PaintCounter : QObject {
    long paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

Figures run(int count, int seconds, bool shared) {
    QWidget window;
    window.resize(5 + count / 2 * LevelMeter::kWidth, 2 * LevelMeter::kHeight);
    MeterClock sharedClock;
    std::vector<std::unique_ptr<MeterClock>> ownClocks;
    std::vector<std::unique_ptr<QTimer>> holdTimers;
    std::vector<LevelMeter*> meters;
    PaintCounter counter;
    for (int i = 0; i < count; ++i) {
        MeterClock* clock = &sharedClock;
        if (!shared) {
            ownClocks.push_back(std::make_unique<MeterClock>());
            clock = ownClocks.back().get();
            // The hold timer of each meter; its work is a restart of the step timer.
            auto hold = std::make_unique<QTimer>();
            hold->setInterval(150);
            QObject::connect(hold.get(), &QTimer::timeout, clock, &MeterClock::tick);
            hold->start();
            holdTimers.push_back(std::move(hold));
        }
        auto* meter = new LevelMeter(*clock, &window);
        meter->move(i % (count / 2) * LevelMeter::kWidth, i / (count / 2) * LevelMeter::kHeight);
        meter->installEventFilter(&counter);
        meters.push_back(meter);
    }
    window.show();

    std::mt19937 random(15);
    std::uniform_real_distribution<float> loud(-40.0f, 0.0f);
    int feeds = 0;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const bool rise = feeds++ % 5 == 0;
        for (LevelMeter* meter : meters) {
            const float base = loud(random);
            meter->feed(rise ? base : base - 50.0f);
        }
    });
    // Settle the window and the artwork first.
    QElapsedTimer wall;
    wall.start();
    // A local loop: the application's quit() would close the window.
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    poll.start();
    counter.paints = 0;
    const double cpuStart = cpuSeconds();
    wall.restart();
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    return {100.0 * cpu / wallSeconds, static_cast<double>(counter.paints) / wallSeconds};
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 160;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    const std::string only = argc > 3 ? argv[3] : "";
    std::printf("level meters, offscreen, %d meters fed every 100 ms, %d s each\n", count, seconds);
    if (only != "pairs") {
        const Figures shared = run(count, seconds, true);
        std::printf("  one shared 20 ms clock:   %5.1f %% of one core, %6.0f meter paints/s "
                    "(goal < 5 %%)\n",
                    shared.cpuPercent, shared.paintsPerSecond);
    }
    if (only != "shared") {
        const Figures pairs = run(count, seconds, false);
        std::printf("  a timer pair per meter:   %5.1f %% of one core, %6.0f meter paints/s\n",
                    pairs.cpuPercent, pairs.paintsPerSecond);
    }
    return 0;
}
