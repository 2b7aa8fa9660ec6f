// The gain view's heaviest edit, offscreen at scale 1, on a demo VARENTO.LC: all
// 32 faders selected and dragged by 60 pixels in 20 steps. Each step is the mouse
// event and the repaint of the whole window it causes; the drag must leave the
// unit exactly one all-gains frame, 150 ms after the last step.
// Usage: bench_gain_group_move        (exits 1 when a goal is missed)
#include "app/session.h"
#include "links/demo_link.h"
#include "protocol/frame_builders.h"
#include "support/recording_link.h"
#include "support/scripted_interaction.h"
#include "ui/controls/fader.h"
#include "ui/views/gain_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace varento;

namespace {

constexpr int kSteps = 20;
constexpr int kPixels = 60;
constexpr double kGoalMs = 16.0;

// Runs the event loop until `done` or `ms` have passed.
template <typename Done> bool runUntil(Done done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

void mouse(QWidget* target, QEvent::Type type, int y, Qt::MouseButtons held) {
    const QPointF at(12, y);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    testing::ScriptedInteraction ui;
    Session session(ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
    session.useDemoUnits({11});
    testing::RecordingLink recorder(*session.demoLink());
    session.useLinkOverride(&recorder);
    session.connectOrDisconnect();
    if (!runUntil([&] { return session.unitsGathered(); }, 10000)) {
        std::fprintf(stderr, "the demo unit was not gathered\n");
        return 1;
    }

    GainWindow window(session);
    window.resize(gain_layout::kWidth, 630);
    window.show();
    QPixmap target(window.size());
    window.render(&target); // warm the artwork cache
    GainModel& model = window.model();
    model.group().selectAll();

    // Start in the middle of the travel so the whole drag moves every fader.
    Fader* lead = window.fader(0);
    const int grabY = lead->model().position() + 10;
    const std::size_t before = recorder.sent.size();
    mouse(lead, QEvent::MouseButtonPress, grabY, Qt::LeftButton);
    const int start = lead->model().position();
    double slowest = 0;
    double total = 0;
    QElapsedTimer clock;
    for (int step = 1; step <= kSteps; ++step) {
        clock.start();
        mouse(lead, QEvent::MouseMove, grabY - step * kPixels / kSteps, Qt::LeftButton);
        window.render(&target); // the window with every child, as the screen gets it
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        slowest = std::max(slowest, ms);
        total += ms;
    }
    mouse(lead, QEvent::MouseButtonRelease, grabY - kPixels, Qt::NoButton);
    const int travelled = start - lead->model().position();
    int followersBehind = 0;
    for (int c = 1; c < gain_layout::kChannels; ++c) {
        followersBehind += window.fader(c)->model().position() != lead->model().position();
    }

    runUntil([&] { return !model.group().groupMovePending(); }, 2000);
    runUntil([] { return false; }, 300); // anything sent late shows too
    FrameBuffer buffer{};
    const int allLength = buildSetInputGains(buffer, session.current());
    int allGains = 0;
    int singleGains = 0;
    for (std::size_t i = before; i < recorder.sent.size(); ++i) {
        const auto& f = recorder.sent[i].frame;
        if (f.size() > 17 && f[17] == buffer[17]) {
            ++(static_cast<int>(f.size()) == allLength ? allGains : singleGains);
        }
    }

    std::printf("gain view group move, offscreen, scale 1: 32 faders, %d px in %d steps\n", kPixels,
                kSteps);
    std::printf("  travelled:                 %d px, followers off the lead: %d\n", travelled,
                followersBehind);
    std::printf("  step with its repaint:     slowest %.2f ms, mean %.2f ms (goal < %.0f ms)\n",
                slowest, total / kSteps, kGoalMs);
    std::printf("  gain frames sent:          %d all-gains, %d other (goal 1, 0)\n", allGains,
                singleGains);
    // The knob snaps to whole dB (3 pixels), so the drag may end a pixel short.
    const bool met = slowest < kGoalMs && allGains == 1 && singleGains == 0 &&
                     std::abs(travelled - kPixels) < 3 && followersBehind == 0;
    session.disconnect();
    return met ? 0 : 1;
}
