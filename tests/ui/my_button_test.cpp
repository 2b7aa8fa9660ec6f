#include "ui/controls/my_button.h"
#include "ui/skin/skin.h"

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace varento;

namespace {

MyButton::Block block(bool toggle) {
    MyButton::Block b;
    b.bitmaps = {106, 107, 108, 109, 0};
    b.toggle = toggle;
    return b;
}

void hover(MyButton& button, bool enter) {
    if (enter) {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&button, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &event);
    }
}

struct ButtonTest : ::testing::Test {
    QWidget parent;
    MyButton* make(bool toggle) { return MyButton::create(&parent, 103, 10, 7, block(toggle)); }
};

} // namespace

TEST_F(ButtonTest, CreationNeedsAStateZeroBitmapAndTakesItsSize) {
    MyButton::Block empty;
    EXPECT_EQ(MyButton::create(&parent, 1, 0, 0, empty), nullptr);
    empty.bitmaps[0] = 99999;
    EXPECT_EQ(MyButton::create(&parent, 1, 0, 0, empty), nullptr);

    MyButton* button = make(true);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->size(), skin::bitmapSize(106));
    EXPECT_EQ(button->pos(), QPoint(10, 7));
    EXPECT_EQ(button->objectName(), "103");
    EXPECT_EQ(button->state(), MyButton::Off);
}

TEST_F(ButtonTest, PushButtonIsOnOnlyWhileHeld) {
    MyButton* button = make(false);
    QSignalSpy clicks(button, &MyButton::clicked);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::On);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::Off);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 103);
    EXPECT_EQ(clicks[0][1].toInt(), 2);
}

TEST_F(ButtonTest, ToggleButtonKeepsItsStateUntilClickedAgain) {
    MyButton* button = make(true);
    QSignalSpy clicks(button, &MyButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::On);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::Off);
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks[0][1].toInt(), 2);
    EXPECT_EQ(clicks[1][1].toInt(), 0);
    QTest::mouseClick(button, Qt::RightButton);
    EXPECT_EQ(clicks.size(), 2);
}

TEST_F(ButtonTest, InactiveAndHoveredOnStatesTurnOffWhenClicked) {
    MyButton* button = make(true);
    QSignalSpy clicks(button, &MyButton::clicked);
    button->setState(MyButton::Inactive);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::Off);
    button->setState(MyButton::OnHover);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::Off);
    button->setState(MyButton::OffHover);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->state(), MyButton::On);
    ASSERT_EQ(clicks.size(), 3);
    EXPECT_EQ(clicks[0][1].toInt(), 0);
    EXPECT_EQ(clicks[1][1].toInt(), 0);
    EXPECT_EQ(clicks[2][1].toInt(), 2);
}

TEST_F(ButtonTest, HoverLightsAndLeaveRestores) {
    MyButton* button = make(true);
    hover(*button, true);
    EXPECT_EQ(button->state(), MyButton::OffHover);
    hover(*button, false);
    EXPECT_EQ(button->state(), MyButton::Off);
    button->setState(MyButton::On);
    hover(*button, true);
    EXPECT_EQ(button->state(), MyButton::OnHover);
    hover(*button, false);
    EXPECT_EQ(button->state(), MyButton::On);
    button->setState(MyButton::Inactive);
    hover(*button, true);
    EXPECT_EQ(button->state(), MyButton::Inactive);
}

TEST_F(ButtonTest, EachStateShowsItsOwnBitmapAndTheTextIsDrawn) {
    MyButton* button = make(true);
    const QImage off = button->grab().toImage();
    button->setState(MyButton::On);
    const QImage on = button->grab().toImage();
    EXPECT_NE(off, on);
    // A state without its own bitmap falls back to the state-0 look.
    button->setState(MyButton::Inactive);
    EXPECT_EQ(button->grab().toImage(), off);

    MyButton::Block labelled = block(true);
    labelled.drawText = true;
    labelled.textColour = Qt::white;
    labelled.text = QStringLiteral("Go");
    MyButton* withText = MyButton::create(&parent, 5, 0, 0, labelled);
    EXPECT_NE(withText->grab().toImage(), off);
    withText->setText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(withText->text().size(), 255);
    withText->setBitmap(155);
    EXPECT_EQ(withText->block().bitmaps[0], 155);
}

TEST(Skin, TopBarBitmapsHaveTheirSizesAndScaleWithTheScreen) {
    const std::pair<int, QSize> sizes[] = {
        {153, {64, 50}}, {106, {44, 36}}, {107, {44, 36}}, {108, {44, 36}}, {109, {44, 36}},
        {155, {76, 36}}, {156, {76, 36}}, {173, {76, 36}}, {204, {76, 36}}, {205, {76, 36}},
        {206, {76, 36}}, {180, {76, 36}}, {181, {76, 36}}, {182, {76, 36}}};
    for (const auto& [number, size] : sizes) {
        EXPECT_EQ(skin::bitmapSize(number), size) << number;
        const QPixmap twice = skin::bitmap(number, 2.0);
        EXPECT_EQ(twice.size(), size * 2) << number;
        EXPECT_EQ(twice.deviceIndependentSize().toSize(), size) << number;
        EXPECT_EQ(skin::bitmap(number, 2.0).cacheKey(), twice.cacheKey()) << number;
    }
    EXPECT_FALSE(skin::hasBitmap(1));
    EXPECT_TRUE(skin::bitmap(1, 1.0).isNull());
    // Off, hover and on look different for every key.
    for (const auto& trio : {std::array{106, 107, 108}, std::array{155, 156, 173},
                             std::array{204, 206, 205}, std::array{180, 181, 182}}) {
        const QImage a = skin::bitmap(trio[0], 1.0).toImage();
        const QImage b = skin::bitmap(trio[1], 1.0).toImage();
        const QImage c = skin::bitmap(trio[2], 1.0).toImage();
        EXPECT_NE(a, b);
        EXPECT_NE(a, c);
        EXPECT_NE(b, c);
    }
}
