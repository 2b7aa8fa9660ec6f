// CPU of the whole application (session, main window, views) polling one demo
// unit of model 14 whose levels move, offscreen: first with the meterbridge made
// and hidden, as at start-up, then with it shown. Also the slowest repaint of the
// meterbridge window (one update of the window: every dirty meter, fader and the
// background together) and the slowest paint of any one of its widgets.
// Usage: bench_meterbridge [SECONDS]   (default 30 per run)
#include "app/app_settings.h"
#include "app/session.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "support/scripted_interaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace varento;

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Times every event the meterbridge window and its widgets handle for drawing.
class TimingApp : public QApplication {
public:
    using QApplication::QApplication;

    QWidget* watched = nullptr;
    qint64 slowestUpdateNs = 0;
    qint64 slowestPaintNs = 0;
    long updates = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool update = type == QEvent::UpdateRequest && receiver == watched;
        const bool paint = type == QEvent::Paint && watched != nullptr &&
                           receiver->isWidgetType() &&
                           static_cast<QWidget*>(receiver)->window() == watched;
        if (!update && !paint) {
            return QApplication::notify(receiver, event);
        }
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        if (update) {
            ++updates;
            slowestUpdateNs = std::max(slowestUpdateNs, ns);
        } else {
            slowestPaintNs = std::max(slowestPaintNs, ns);
        }
        return result;
    }
};

double measure(int seconds) {
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    return 100.0 * (cpuSeconds() - cpuStart) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApp app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    QTemporaryDir dir;
    testing::ScriptedInteraction ui;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    Session session(ui, {dir.path().toStdString(), dir.path().toStdString()});
    session.useDemoUnits({14});
    MainWindow window(session, settings, ui);
    window.start(settings.load());
    window.setDemo(true);
    window.show();
    window.command(command_id::connect);
    QElapsedTimer wait;
    wait.start();
    while (!session.unitsGathered() && wait.elapsed() < 20000) {
        runFor(50);
    }
    if (!session.unitsGathered()) {
        std::fprintf(stderr, "bench_meterbridge: the demo unit was not gathered\n");
        return 1;
    }
    runFor(1000);

    std::printf("whole application, demo unit 14 polled (levels moving), offscreen, %d s each\n",
                seconds);
    const double hidden = measure(seconds);
    std::printf("  meterbridge hidden:  %5.1f %% of one core\n", hidden);

    window.command(command_id::meterbridgeButton);
    app.watched = window.view(ViewSlot::Meterbridge);
    if (app.watched == nullptr || !app.watched->isVisible()) {
        std::fprintf(stderr, "bench_meterbridge: the meterbridge did not open\n");
        return 1;
    }
    runFor(1000);
    app.slowestUpdateNs = 0;
    app.slowestPaintNs = 0;
    app.updates = 0;
    const double shown = measure(seconds);
    std::printf("  meterbridge shown:   %5.1f %% of one core\n", shown);
    std::printf("  the meterbridge adds %.1f %% of one core (goal < 5 %%)\n", shown - hidden);
    std::printf("  window updates: %.1f/s, slowest %.2f ms (goal < 16 ms); slowest single "
                "widget paint %.2f ms\n",
                static_cast<double>(app.updates) / seconds,
                static_cast<double>(app.slowestUpdateNs) / 1e6,
                static_cast<double>(app.slowestPaintNs) / 1e6);
    return 0;
}
