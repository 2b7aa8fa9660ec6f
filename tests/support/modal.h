#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace varento::testing {

// Runs `act` on the next modal window once it is shown, so a test can answer a
// dialog that a synchronous call opens. The window must be seen on two polls in a
// row: some dialogs run events while they are being shown, before their own loop
// has started, and an answer given then would be lost. Gives up after `timeoutMs`.
inline void whenModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto remaining = std::make_shared<int>(timeoutMs / 10);
    auto seen = std::make_shared<QPointer<QWidget>>();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, act = std::move(act), remaining, seen] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal && modal->isVisible() && *seen == modal) {
                             timer->stop();
                             timer->deleteLater();
                             act(modal);
                             return;
                         }
                         *seen = modal && modal->isVisible() ? modal : nullptr;
                         if (--*remaining <= 0) {
                             timer->stop();
                             timer->deleteLater();
                         }
                     });
    timer->start(10);
}

} // namespace varento::testing
