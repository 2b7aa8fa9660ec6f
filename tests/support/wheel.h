#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>

namespace varento::testing {

// Sends `notches` wheel notches to `target` at `at`: positive turns away from the
// user, negative towards.
inline void turnWheel(QWidget* target, int notches, QPoint at = QPoint(10, 10)) {
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(),
                          QPoint(0, notches > 0 ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace varento::testing
