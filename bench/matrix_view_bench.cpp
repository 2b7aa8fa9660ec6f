// Figures for the matrix view, offscreen at scale 1:
//   - one full repaint of the window (a grid with every output routed);
//   - one hover move with a drag preview (the event and the repaint it causes).
// Usage: bench_matrix_view [REPEATS]   (default 1000)
#include "app/session.h"
#include "support/scripted_interaction.h"
#include "ui/models/matrix_geometry.h"
#include "ui/views/matrix_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace varento;
namespace geo = varento::matrix_geometry;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    testing::ScriptedInteraction ui;
    Session session(ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
    session.command(command_id::offlineBase);
    MatrixWindow window(session);
    window.resize(geo::kContentWidth, 900);
    window.show();
    QPixmap target(window.size());

    // Warm the artwork cache, then time whole repaints.
    window.render(&target);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < repeats; ++i) {
        window.render(&target);
    }
    const double repaintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 / repeats;

    // A drag from the top-left cell, the mouse moving along the diagonal and back.
    const auto at = [&](int k) { return geo::cellRect({k, k}, 0).center(); };
    QMouseEvent press(QEvent::MouseButtonPress, at(0), window.mapToGlobal(at(0)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    const auto moveTo = [&](int i) {
        const QPoint p = at(i % 64 < 32 ? i % 32 : 31 - i % 32);
        QMouseEvent move(QEvent::MouseMove, p, window.mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    };
    clock.restart();
    for (int i = 0; i < repeats; ++i) {
        moveTo(i);
    }
    const double moveMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 / repeats;
    clock.restart();
    for (int i = 0; i < repeats; ++i) {
        moveTo(i);
        window.render(&target);
    }
    const double moveAndPaintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 / repeats;

    std::printf("matrix view, offscreen, scale 1, %d repeats\n", repeats);
    std::printf("  full repaint:                    %.3f ms (goal < 4 ms)\n", repaintMs);
    std::printf("  hover move with drag preview:    %.3f ms (goal < 0.5 ms)\n", moveMs);
    std::printf("  the same with its repaint:       %.3f ms\n", moveAndPaintMs);
    return 0;
}
