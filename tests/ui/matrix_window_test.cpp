// The matrix window through synthetic mouse and wheel events on an offscreen
// widget, over an offline unit.
#include "app/cp1252.h"
#include "app/session.h"
#include "support/modal.h"
#include "support/scripted_interaction.h"
#include "support/wheel.h"
#include "ui/controls/my_button.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/models/matrix_geometry.h"
#include "ui/views/matrix_window.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace geo = varento::matrix_geometry;

namespace {

class MatrixWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const std::string path = dir.path().toStdString();
        session = std::make_unique<Session>(ui, SessionPaths{path, path});
        session->command(command_id::offlineBase); // model 12, firmware 4.1
        window = std::make_unique<MatrixWindow>(*session);
        window->resize(geo::kContentWidth, 600);
        window->setHintSink([this](const QString& text) { hints << text; });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The centre of a cell of the shown banks, in window coordinates.
    QPoint centre(GridCell cell) const {
        return geo::cellRect(cell, window->scrollOffset()).center();
    }

    // Positive steps scroll down (the wheel turned towards the user).
    void wheel(int steps) { turnWheel(window.get(), -steps, QPoint(400, 300)); }

    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<MatrixWindow> window;
    QStringList hints;
};

} // namespace

TEST_F(MatrixWindowTest, ScrollingStopsAtBothEnds) {
    wheel(3);
    EXPECT_EQ(window->scrollOffset(), 60);
    wheel(100); // the range end minus the page plus one
    EXPECT_EQ(window->scrollOffset(), geo::kScrollRange - window->height() + 1);
    wheel(-100);
    EXPECT_EQ(window->scrollOffset(), 0);
}

TEST_F(MatrixWindowTest, AClickRoutesTheCellUnderTheMouseAlsoWhenScrolled) {
    // Output bank ANALOG (outputs 32..63) against source bank MADI 1..32 (64..95).
    wheel(2);
    const GridCell cell{3, 4};
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, centre(cell));
    EXPECT_EQ(session->current().routeSource[32 + 3], 64 + 4);
    // Clicking the routed cell again unroutes the output.
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, centre(cell));
    EXPECT_EQ(session->current().routeSource[32 + 3], kNoSource);
    // Outside the grid nothing happens.
    const auto before = session->current().routeSource;
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 300));
    EXPECT_EQ(session->current().routeSource, before);
}

TEST_F(MatrixWindowTest, ADiagonalDragRoutesTheLine) {
    QTest::mousePress(window.get(), Qt::LeftButton, Qt::NoModifier, centre({0, 0}));
    for (int k = 1; k <= 7; ++k) {
        QTest::mouseMove(window.get(), centre({k, k}));
    }
    QTest::mouseRelease(window.get(), Qt::LeftButton, Qt::NoModifier, centre({7, 7}));
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(session->current().routeSource[static_cast<std::size_t>(32 + k)], 64 + k) << k;
    }
}

TEST_F(MatrixWindowTest, HoverReadsOutTheCellAndGivesTheFieldBack) {
    QTest::mouseMove(window.get(), centre({1, 2}));
    ASSERT_FALSE(hints.isEmpty());
    EXPECT_TRUE(hints.last().contains("(source 66)")) << hints.last().toStdString();
    EXPECT_TRUE(hints.last().contains("(output 33)")) << hints.last().toStdString();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window.get(), &leave);
    EXPECT_TRUE(hints.last().isEmpty());
}

// The read-out follows the grid: after a click on the hovered cell it names the
// new source, after undo the old one again.
TEST_F(MatrixWindowTest, TheHoverReadOutFollowsClicksAndUndo) {
    QTest::mouseMove(window.get(), centre({5, 5})); // the pointer may rest on the cell already
    QTest::mouseMove(window.get(), centre({1, 2}));
    ASSERT_FALSE(hints.isEmpty());
    const QString before = hints.last();
    ASSERT_FALSE(
        before.contains("takes " + labelText(session->current().labels[66]) + " (source 66)"))
        << before.toStdString();
    // Past the double-click time of an earlier test's click.
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, centre({1, 2}),
                      QApplication::doubleClickInterval() + 50);
    EXPECT_TRUE(hints.last().endsWith("(source 66) now")) << hints.last().toStdString();
    window->model().undo();
    EXPECT_EQ(hints.last(), before);
}

TEST_F(MatrixWindowTest, ARightClickOnAHeaderRenamesTheChannel) {
    whenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("1041"))->setText("Kick In 12345678");
        static_cast<QDialog*>(dialog)->accept();
    });
    // Row 5 of source bank 2: source label 69.
    QTest::mouseClick(window.get(), Qt::RightButton, Qt::NoModifier,
                      QPoint(60, centre({0, 5}).y()));
    EXPECT_EQ(labelText(session->current().labels[69]), "Kick In 12345678");
    // A header beside the grid rows does nothing.
    QTest::mouseClick(window.get(), Qt::RightButton, Qt::NoModifier, QPoint(60, 150));
    EXPECT_EQ(EditLabelDialog::taken("12345678901234567", 17), "1234567890123456");
}

// A bank key is a push button in the artwork but shows the bank chosen: lit after
// its own click's release, and after a second click on it.
TEST_F(MatrixWindowTest, AClickedBankKeyStaysLit) {
    const auto key = [this](int command) -> MyButton* {
        for (MyButton* b : window->findChildren<MyButton*>()) {
            if (b->id() == command && b->isVisible()) {
                return b;
            }
        }
        return nullptr;
    };
    MyButton* analog = key(matrix_command::outputAnalog);
    MyButton* madi = key(matrix_command::outputMadi1);
    ASSERT_NE(analog, nullptr);
    ASSERT_NE(madi, nullptr);
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(madi, Qt::LeftButton);
        EXPECT_EQ(madi->state() & ~1, MyButton::On) << click;
        EXPECT_EQ(analog->state() & ~1, MyButton::Off) << click;
    }
}

// With the buses as the source bank only their four rows carry marks: a route
// from row 7 of another bank shows no ring there.
TEST_F(MatrixWindowTest, TheSumSourceBankDrawsOnlyItsFourRows) {
    window->model().command(matrix_command::sourceSum);
    const QRect rows(geo::cellRect({0, 4}, 0).topLeft(), geo::cellRect({31, 31}, 0).bottomRight());
    const QImage empty = window->grab(rows).toImage();
    session->editor().setRoute(kBankSize * window->model().outputBank() + 2, 6);
    window->repaint();
    EXPECT_EQ(window->grab(rows).toImage(), empty);
}
