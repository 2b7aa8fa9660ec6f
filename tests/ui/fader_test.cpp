#include "ui/controls/fader.h"
#include "ui/skin/skin.h"

#include "support/modal.h"
#include "support/wait.h"

#include <QDialog>
#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace varento;
using varento::testing::whenModal;

namespace {

using Kind = FaderModel::Kind;

void mouse(QWidget* w, QEvent::Type type, int y, Qt::MouseButton button,
           Qt::KeyboardModifiers modifiers = {}) {
    const QPointF pos(12, y);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons{} : Qt::MouseButtons{button};
    QMouseEvent event(type, pos, w->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QCoreApplication::sendEvent(w, &event);
}

void wheel(QWidget* w, int delta) {
    const QPointF pos(12, 100);
    QWheelEvent event(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &event);
}

QImage grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct FaderTest : ::testing::Test {
    QWidget parent;
    FaderTest() { parent.resize(200, 600); }
};

} // namespace

TEST_F(FaderTest, TheTwoKindsTakeTheirNamesAndTheirTracksSizes) {
    Fader* gain = Fader::create(&parent, Kind::Gain, 2, 40, QStringLiteral("Vox"));
    Fader* level = Fader::create(&parent, Kind::Level, 5002, 80, QStringLiteral("Main L"));
    EXPECT_EQ(gain->objectName(), "Fader");
    EXPECT_EQ(level->objectName(), "Fader Long");
    EXPECT_EQ(gain->size(), skin::bitmapSize(178) + QSize(0, 40));
    EXPECT_EQ(level->size(), skin::bitmapSize(202) + QSize(0, 40));
    EXPECT_EQ(skin::bitmapSize(179), skin::bitmapSize(178));
    EXPECT_EQ(skin::bitmapSize(208), skin::bitmapSize(202));
    EXPECT_EQ(gain->model().label(), "Vox");
    EXPECT_EQ(level->model().position(), 23);
}

TEST_F(FaderTest, DraggingTheKnobMovesItWithTheGrabOffsetAndCommitsEachMoveOnce) {
    Fader* fader = Fader::create(&parent, Kind::Gain, 0, 0, QString());
    FaderModel& model = fader->model();
    model.setPosition(FaderModel::gainPosition(30)); // 119
    QStringList seen;
    QObject::connect(&model, &FaderModel::moved,
                     [&](int delta) { seen << QStringLiteral("moved %1").arg(delta); });
    QObject::connect(&model, &FaderModel::commit, [&] { seen << "commit"; });
    QSignalSpy commits(&model, &FaderModel::commit);

    mouse(fader, QEvent::MouseButtonPress, 119 + 20, Qt::LeftButton);
    EXPECT_TRUE(fader->hasFocus() || !fader->isActiveWindow());
    mouse(fader, QEvent::MouseMove, 119 + 20 - 30, Qt::LeftButton);
    // 89 snaps to the gain scale's thirds.
    EXPECT_EQ(model.position(), 90);
    EXPECT_EQ(model.gainValue(), 40);
    ASSERT_TRUE(commits.wait(1000));
    EXPECT_FALSE(commits.wait(300)); // held still: nothing more to send
    mouse(fader, QEvent::MouseMove, 90 + 20 + 9, Qt::LeftButton);
    ASSERT_TRUE(commits.wait(1000)); // again once it moved, the button still down
    mouse(fader, QEvent::MouseButtonRelease, 99 + 20, Qt::LeftButton);
    EXPECT_EQ(seen, QStringList({"moved -29", "commit", "moved 9", "commit"}));

    // Nothing more once the button is up.
    const qsizetype after = commits.size();
    EXPECT_FALSE(commits.wait(300));
    EXPECT_EQ(commits.size(), after);
}

TEST_F(FaderTest, DoubleClickingTheKnobTogglesUnityAndBack) {
    Fader* fader = Fader::create(&parent, Kind::Level, 5000, 0, QString());
    FaderModel& model = fader->model();
    model.setPosition(150);
    QSignalSpy moved(&model, &FaderModel::moved);
    mouse(fader, QEvent::MouseButtonPress, 160, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonRelease, 160, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonDblClick, 160, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonRelease, 160, Qt::LeftButton);
    EXPECT_EQ(model.position(), 57);
    mouse(fader, QEvent::MouseButtonPress, 60, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonRelease, 60, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonDblClick, 60, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonRelease, 60, Qt::LeftButton);
    EXPECT_EQ(model.position(), 150);
    ASSERT_EQ(moved.size(), 2);
    EXPECT_EQ(moved[0][0].toInt(), -93);
    EXPECT_EQ(moved[1][0].toInt(), 93);
}

TEST_F(FaderTest, KeysAndWheelReachTheModel) {
    Fader* fader = Fader::create(&parent, Kind::Gain, 5, 0, QString());
    FaderModel& model = fader->model();
    model.setPosition(95);
    QSignalSpy moved(&model, &FaderModel::moved);
    QSignalSpy neighbour(&model, &FaderModel::neighbourRequested);
    QTest::keyClick(fader, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(model.position(), 185);
    wheel(fader, 120);
    EXPECT_EQ(model.position(), 183); // 182 snaps up
    QTest::keyClick(fader, Qt::Key_Up);
    EXPECT_EQ(model.position(), 180);
    QTest::keyClick(fader, Qt::Key_Right);
    ASSERT_EQ(moved.size(), 3);
    EXPECT_EQ(moved[0][0].toInt(), 165);
    ASSERT_EQ(neighbour.size(), 1);
    EXPECT_EQ(neighbour[0][0].toInt(), 6);
    EXPECT_TRUE(model.popupVisible());
    // The pop-up goes away by itself after the last key.
    EXPECT_EVENTUALLY(!model.popupVisible(), 4000);
}

TEST_F(FaderTest, RestingThePointerOnTheKnobShowsThePopup) {
    Fader* fader = Fader::create(&parent, Kind::Level, 5000, 0, QString());
    FaderModel& model = fader->model();
    model.setPosition(57);
    const QPointF pos(12, 70);
    QEnterEvent enter(pos, pos, fader->mapToGlobal(pos));
    QCoreApplication::sendEvent(fader, &enter);
    EXPECT_FALSE(model.popupVisible());
    EXPECT_EVENTUALLY(model.popupVisible(), 2000);
}

TEST_F(FaderTest, InactiveFaderDrawsNoKnobAndIgnoresInput) {
    Fader* fader = Fader::create(&parent, Kind::Gain, 0, 0, QString());
    FaderModel& model = fader->model();
    model.setPosition(95);
    const QImage active = grab(fader);
    model.setActive(false);
    const QImage inactive = grab(fader);
    // The white line across the knob's middle is gone.
    const QPoint line(12, 95 + FaderModel::kKnobHeight / 2);
    EXPECT_GT(qGray(active.pixel(line)), 170);
    EXPECT_LT(qGray(inactive.pixel(line)), 120);

    QSignalSpy moved(&model, &FaderModel::moved);
    QSignalSpy commits(&model, &FaderModel::commit);
    mouse(fader, QEvent::MouseButtonPress, 105, Qt::LeftButton);
    mouse(fader, QEvent::MouseMove, 150, Qt::LeftButton);
    mouse(fader, QEvent::MouseButtonRelease, 150, Qt::LeftButton);
    wheel(fader, -120);
    QTest::keyClick(fader, Qt::Key_Down);
    QTest::keyClick(fader, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(model.position(), 95);
    EXPECT_EQ(moved.size(), 0);
    EXPECT_EQ(commits.size(), 0);
}

TEST_F(FaderTest, RightClickOnTheLabelEditsItAndCancelStoresNothing) {
    Fader* fader = Fader::create(&parent, Kind::Gain, 0, 0, QStringLiteral("Overhead"));
    FaderModel& model = fader->model();
    QSignalSpy changed(&model, &FaderModel::labelChanged);

    whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    mouse(fader, QEvent::MouseButtonPress, 10, Qt::RightButton);
    EXPECT_EQ(model.label(), "Overhead");
    // Nothing is stored: the unit shown may not be the one it was opened for.
    EXPECT_EQ(changed.size(), 0);

    whenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("Snare Top Mic 12345"));
        static_cast<QDialog*>(dialog)->accept();
    });
    mouse(fader, QEvent::MouseButtonPress, 20, Qt::RightButton);
    EXPECT_EQ(model.label(), "Snare Top Mic 12");
    EXPECT_EQ(changed.size(), 1);

    // Below the label box a right click opens nothing.
    mouse(fader, QEvent::MouseButtonPress, 60, Qt::RightButton);
    EXPECT_EQ(changed.size(), 1);
}

TEST(FaderArt, KnobAndTracksAreDrawnForEveryRatio) {
    for (const int number : {177, 178, 179, 202, 208}) {
        const QPixmap pixmap = skin::bitmap(number, 2.0);
        ASSERT_FALSE(pixmap.isNull()) << number;
        EXPECT_EQ(pixmap.size(), skin::bitmapSize(number) * 2) << number;
    }
    // An inactive track is darker and flatter than the lit one.
    const QImage lit = skin::bitmap(178, 1.0).toImage();
    const QImage off = skin::bitmap(179, 1.0).toImage();
    EXPECT_NE(lit, off);
}
