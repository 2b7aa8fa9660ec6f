// A window closed while one of its dialogs is open, as a lost link closes the
// views: the dialog goes with it, nothing is stored, and nothing is touched after.
#include "app/session.h"
#include "support/demo_session.h"
#include "support/modal.h"
#include "ui/controls/fader.h"
#include "ui/models/matrix_geometry.h"
#include "ui/views/gain_window.h"
#include "ui/views/matrix_window.h"
#include "ui/views/meterbridge_window.h"
#include "ui/views/remote_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

class DialogOwnerClosed : public DemoSessionTest {
protected:
    // `open` runs the dialog's own loop; inside it the owner is closed (`close`).
    void closeWhileOpen(QWidget* owner, const std::function<void()>& open,
                        const std::function<void(QWidget*)>& close) {
        owner->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(owner));
        const QPointer<QWidget> watched(owner);
        QPointer<QWidget> dialog;
        whenModal([&](QWidget* modal) {
            dialog = modal;
            close(watched.data());
        });
        open();
        EXPECT_TRUE(dialog.isNull() || !dialog->isVisible()) << "the dialog stayed open";
        ASSERT_EVENTUALLY(watched.isNull(), 2000);
        EXPECT_TRUE(dialog.isNull());
    }

    static void deleteLater(QWidget* w) { w->deleteLater(); }

    // A right press as the window system delivers it: unlike QTest's helpers,
    // nothing here touches the widget once the event has been handled.
    static void rightPress(QWidget* widget, QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }

    // A right click on a fader's label box opens its "Edit Label".
    static void editLabelOf(Fader* fader) { rightPress(fader, QPoint(10, 5)); }

    std::string labelsBefore() const {
        std::string all;
        for (const auto& label : session->current().labels) {
            all.append(label.begin(), label.end());
        }
        return all;
    }
};

} // namespace

TEST_F(DialogOwnerClosed, TheMeterbridgeClosedUnderAFadersLabel) {
    connectToDemo({14});
    session->editor().setFlag(UnitFlag::GainsEnabled, true); // the faders take input
    auto* bridge = new MeterbridgeWindow(*session, nullptr); // deletes itself on close
    ASSERT_EVENTUALLY(bridge->fader(40)->model().active(), 3000);
    const std::string labels = labelsBefore();
    closeWhileOpen(
        bridge, [&] { editLabelOf(bridge->fader(40)); }, [](QWidget* w) { w->close(); });
    EXPECT_EQ(labelsBefore(), labels);
}

TEST_F(DialogOwnerClosed, TheGainWindowClosedUnderAFadersLabel) {
    connectToDemo({11});
    auto* gain = new GainWindow(*session);
    closeWhileOpen(
        gain, [&] { editLabelOf(gain->fader(3)); }, deleteLater);
}

TEST_F(DialogOwnerClosed, TheMatrixClosedUnderAHeadersLabel) {
    connectToDemo({12});
    auto* matrix = new MatrixWindow(*session);
    matrix->resize(matrix_geometry::kContentWidth, 600);
    const std::string labels = labelsBefore();
    closeWhileOpen(
        matrix,
        [&] {
            const int y = matrix_geometry::cellRect({0, 5}, matrix->scrollOffset()).center().y();
            rightPress(matrix, QPoint(60, y));
        },
        deleteLater);
    EXPECT_EQ(labelsBefore(), labels);
}

TEST_F(DialogOwnerClosed, TheRemoteWindowClosedUnderItsSettings) {
    connectToDemo({12});
    auto* remote = new RemoteWindow(*session, nullptr);
    const std::size_t sent = recorder->sent.size();
    closeWhileOpen(
        remote, [&] { remote->model().command(remote_command::openSettings); }, deleteLater);
    // Nothing of the dropped dialog went to the unit, and polling runs again.
    EXPECT_TRUE(session->pollTimer().isActive());
    for (std::size_t i = sent; i < recorder->sent.size(); ++i) {
        EXPECT_NE(recorder->sent[i].frame[17], 0x20) << "a settings frame was sent";
    }
}
