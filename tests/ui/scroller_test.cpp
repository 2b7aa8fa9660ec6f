#include "ui/controls/scroller.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

using namespace varento;

namespace {

// A 600-pixel window over 960 pixels of content, scrolled sideways in 25s.
struct View {
    QWidget window;
    Scroller* scroller;
    int scrolledTo = -1;

    View() {
        window.resize(600, 400);
        scroller = new Scroller(Qt::Horizontal, 25, &window);
        scroller->setContentLength(960);
        scroller->fit();
        QObject::connect(scroller, &Scroller::scrolled, [this](int at) { scrolledTo = at; });
    }

    void turn(int delta) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        scroller->wheel(&event);
    }
};

} // namespace

TEST(Scroller, StepsStopWhereTheLastPixelShowsAndAtZero) {
    View view;
    view.scroller->stepBy(1);
    EXPECT_EQ(view.scroller->offset(), 25);
    EXPECT_EQ(view.scrolledTo, 25);
    view.scroller->scrollTo(350);
    view.scroller->stepBy(1);
    EXPECT_EQ(view.scroller->offset(), 360); // 960 - 600, not 375
    view.scroller->stepBy(-20);
    EXPECT_EQ(view.scroller->offset(), 0);
}

TEST(Scroller, PageClicksAndWheelTurnsMoveOneStep) {
    View view;
    view.scroller->bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.scroller->offset(), 25);
    view.turn(-120); // towards the user: on
    EXPECT_EQ(view.scroller->offset(), 50);
    view.turn(120);
    view.scroller->bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(view.scroller->offset(), 0);
}

TEST(Scroller, AWiderWindowPullsTheOffsetBack) {
    View view;
    view.scroller->scrollTo(300);
    view.window.resize(800, 400);
    view.scroller->fit();
    EXPECT_EQ(view.scroller->offset(), 160);
    view.window.resize(1200, 400); // everything shows: nothing to scroll
    view.scroller->fit();
    EXPECT_EQ(view.scroller->offset(), 0);
}
