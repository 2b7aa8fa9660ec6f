#include "ui/controls/scroller.h"

#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace varento {

Scroller::Scroller(Qt::Orientation orientation, int step, QWidget* view)
    : QObject(view), view_(view), bar_(new QScrollBar(orientation, view)), step_(step) {
    bar_->setSingleStep(step_);
    connect(bar_, &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Page clicks move a step, as lines do; the bar would move a whole page.
        if (action == QAbstractSlider::SliderPageStepAdd) {
            bar_->setSliderPosition(std::min(offset_ + step_, bar_->maximum()));
        } else if (action == QAbstractSlider::SliderPageStepSub) {
            bar_->setSliderPosition(std::max(offset_ - step_, 0));
        }
    });
    connect(bar_, &QScrollBar::valueChanged, this, &Scroller::scrollTo);
}

void Scroller::setContentLength(int length) {
    contentLength_ = length;
    syncRange();
}

void Scroller::fit() {
    if (bar_->orientation() == Qt::Horizontal) {
        bar_->setGeometry(0, view_->height() - kThickness, view_->width(), kThickness);
    } else {
        bar_->setGeometry(view_->width() - kThickness, 0, kThickness, view_->height());
    }
    syncRange();
}

void Scroller::scrollTo(int offset) {
    const int clamped = std::clamp(offset, 0, bar_->maximum());
    if (bar_->value() != clamped) {
        bar_->setValue(clamped); // comes back here
        return;
    }
    if (clamped == offset_) {
        return;
    }
    offset_ = clamped;
    emit scrolled(offset_);
}

void Scroller::stepBy(int steps) {
    scrollTo(offset_ + steps * step_);
}

void Scroller::wheel(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int turn = delta.y() != 0 ? delta.y() : delta.x();
    if (turn != 0) {
        stepBy(turn > 0 ? -1 : 1);
    }
    event->accept();
}

int Scroller::pageLength() const {
    return bar_->orientation() == Qt::Horizontal ? view_->width() : view_->height();
}

void Scroller::syncRange() {
    bar_->setPageStep(std::max(1, pageLength())); // the thumb's size
    bar_->setRange(0, std::max(0, contentLength_ - pageLength()));
    scrollTo(offset_);
}

} // namespace varento
