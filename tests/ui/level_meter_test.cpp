#include "ui/controls/level_meter.h"
#include "ui/controls/meter_clock.h"
#include "ui/controls/scale_figures.h"
#include "ui/skin/skin.h"

#include "support/wait.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace varento;

namespace {

// Records the rectangles a widget is asked to repaint.
struct PaintLog : QObject {
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        }
        return false;
    }
};

// A window of meters on a clock whose time the test sets.
struct MeterTest : ::testing::Test {
    qint64 time = 0;
    MeterClock clock;
    QWidget window;
    std::vector<LevelMeter*> meters;

    MeterTest() {
        clock.setTimeSource([this] { return time; });
        for (int i = 0; i < 4; ++i) {
            meters.push_back(new LevelMeter(clock, &window));
            meters.back()->move(i * LevelMeter::kWidth, 0);
        }
        window.resize(4 * LevelMeter::kWidth, LevelMeter::kHeight);
    }
    // Lets the clock work the way its timer would, 20 ms at a time.
    void runUntil(qint64 end) {
        while (time < end && clock.isRunning()) {
            time += MeterClock::kTickMs;
            clock.tick();
        }
    }
};

} // namespace

TEST_F(MeterTest, IsTheLevelmeterControlOfTheStatedSizeWithBothBars) {
    LevelMeter* meter = meters[0];
    EXPECT_EQ(meter->objectName(), "Levelmeter");
    EXPECT_EQ(meter->size(), QSize(25, 220));
    EXPECT_EQ(skin::bitmapSize(LevelMeter::kLitBitmap), QSize(25, 200));
    EXPECT_EQ(skin::bitmapSize(LevelMeter::kUnlitBitmap), QSize(25, 200));
    EXPECT_EQ(clock.meterCount(), 4);
    delete meter;
    EXPECT_EQ(clock.meterCount(), 3);
}

TEST_F(MeterTest, TheClockRunsOnlyWhileAVisibleMeterIsFalling) {
    QSignalSpy running(&clock, &MeterClock::runningChanged);
    window.show();
    EXPECT_FALSE(clock.isRunning());

    meters[1]->feed(-12.0f);
    EXPECT_TRUE(clock.isRunning());
    // Hidden meters are not stepped: the tick stops and the fall waits.
    window.hide();
    time = 400;
    clock.tick();
    EXPECT_FALSE(clock.isRunning());
    EXPECT_EQ(meters[1]->model().level(), 0.0f);

    // Shown again, the meter catches up with the time passed and the tick resumes.
    window.show();
    EXPECT_TRUE(clock.isRunning());
    EXPECT_LT(meters[1]->model().level(), 0.0f);
    runUntil(10000);
    EXPECT_FALSE(clock.isRunning());
    EXPECT_EQ(meters[1]->model().level(), -12.0f);
    EXPECT_LT(time, 1000);
    EXPECT_EQ(running.count(), 4);
}

TEST_F(MeterTest, MetersOnOneClockFallTogetherFromItsTicks) {
    window.show();
    for (LevelMeter* meter : meters) {
        meter->feed(-40.0f);
    }
    meters[3]->feed(-80.0f);
    runUntil(10000);
    EXPECT_EQ(meters[0]->model().level(), -40.0f);
    EXPECT_EQ(meters[2]->model().level(), -40.0f);
    EXPECT_EQ(meters[3]->model().level(), -80.0f);
}

TEST_F(MeterTest, RepaintsOnlyWhatChanged) {
    window.show();
    LevelMeter* meter = meters[0];
    PaintLog log;
    meter->installEventFilter(&log);
    meter->feed(-30.0f);
    QCoreApplication::processEvents();
    log.rects.clear();

    // A lower value only moves the target: nothing drawn differs yet.
    meter->feed(-35.0f);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.rects.empty());

    // A fall step redraws the bar and leaves the read-out alone (the first step
    // also takes the red from the read-out, as the level leaves 0 dB).
    time = 250 + 20;
    clock.tick();
    QCoreApplication::processEvents();
    ASSERT_FALSE(log.rects.empty());
    log.rects.clear();
    time += 20;
    clock.tick();
    QCoreApplication::processEvents();
    ASSERT_EQ(log.rects.size(), 1u);
    EXPECT_LT(log.rects[0].bottom(), 199);

    // Once the bar has reached the target, ticks change nothing and paint nothing.
    runUntil(5000);
    meter->feed(-35.0f);
    QCoreApplication::processEvents();
    log.rects.clear();
    time += 1000;
    clock.tick();
    meter->feed(-35.0f);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.rects.empty());
}

TEST_F(MeterTest, AValueFedWhileTheClockRunsIsDrawnByTheNextTick) {
    window.show();
    LevelMeter* meter = meters[1];
    meters[0]->feed(-60.0f); // keeps the clock running
    time = 300;
    clock.tick();
    PaintLog log;
    meter->installEventFilter(&log);
    QCoreApplication::processEvents();
    log.rects.clear();

    // The new peak line waits for the tick, so it is drawn with that tick's fall.
    meter->feed(-12.0f);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.rects.empty());
    time += MeterClock::kTickMs;
    clock.tick();
    QCoreApplication::processEvents();
    ASSERT_EQ(log.rects.size(), 1u);
    EXPECT_TRUE(log.rects[0].contains(QPoint(12, meterRows(-12.0f))));
}

TEST_F(MeterTest, ClickResetsThePeakAndDoubleClickGoesToTheOwner) {
    window.show();
    LevelMeter* meter = meters[2];
    meter->feed(-6.0f);
    meter->feed(-30.0f);
    runUntil(2000);
    EXPECT_EQ(meter->model().peak(), -6.0f);
    QTest::mouseClick(meter, Qt::LeftButton, {}, QPoint(12, 100));
    EXPECT_EQ(meter->model().peak(), -30.0f);

    QSignalSpy doubled(meter, &LevelMeter::doubleClicked);
    QTest::mouseDClick(meter, Qt::LeftButton, {}, QPoint(12, 100));
    EXPECT_EQ(doubled.count(), 1);
}

TEST(MeterClock, ItsOwnTimerDrivesTheFallAndThenStops) {
    MeterClock clock;
    QWidget window;
    LevelMeter meter(clock, &window);
    window.show();
    meter.feed(-5.0f);
    EXPECT_TRUE(clock.isRunning());
    ASSERT_EVENTUALLY(!clock.isRunning(), 5000);
    EXPECT_EQ(meter.model().level(), -5.0f);
    // The 250 ms hold and five steps cannot be over sooner.
    EXPECT_GE(clock.now(), 250 + 5 * 20);
}

// The scale figures sit in the narrow gap between strips: however wide the font,
// nothing is painted over the strips beside it, at scale 1 and 2, and every figure
// stands at its mark.
TEST(ScaleFigures, StayInTheirGapAndStandAtTheirMarks) {
    const std::span<const skin::ScaleFigure> scales[] = {
        skin::meterScaleFigures(), skin::gainTrackFigures(), skin::levelTrackFigures()};
    for (const auto& figures : scales) {
        for (const qreal ratio : {1.0, 2.0}) {
            for (const int room : {10, 5}) {
                QImage image(QSize(40, 260) * ratio, QImage::Format_RGB32);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::black);
                {
                    QPainter p(&image);
                    drawScaleFigures(p, figures, 20, 10, room);
                }
                const auto inked = [&](int x, int y) { return qGray(image.pixel(x, y)) > 40; };
                const int left = static_cast<int>((20 - room / 2.0 - 1) * ratio);
                const int right = static_cast<int>((20 + room / 2.0 + 1) * ratio);
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        if (x < left || x >= right) {
                            ASSERT_FALSE(inked(x, y)) << x << "," << y << " room " << room;
                        }
                    }
                }
                for (const skin::ScaleFigure& figure : figures) {
                    bool found = false;
                    const int mark = static_cast<int>((10 + figure.y) * ratio);
                    for (int y = mark - 3 * static_cast<int>(ratio); y <= mark + 3 * ratio; ++y) {
                        for (int x = left; x < right; ++x) {
                            found = found || inked(x, y);
                        }
                    }
                    EXPECT_TRUE(found) << figure.db << " dB at scale " << ratio;
                }
            }
        }
    }
}
