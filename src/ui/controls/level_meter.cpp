#include "ui/controls/level_meter.h"

#include "ui/controls/meter_clock.h"
#include "ui/skin/skin.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace varento {

namespace {

constexpr int kBoxTop = LevelMeterModel::kBarRows - 1;
const QRect kBox(0, kBoxTop, LevelMeter::kWidth, LevelMeter::kHeight - kBoxTop);

QColor textColour(ReadoutColour colour) {
    switch (colour) {
    case ReadoutColour::Red:
        return {255, 0, 0};
    case ReadoutColour::Orange:
        return {255, 192, 0};
    case ReadoutColour::White:
        break;
    }
    return Qt::white;
}

// Rows [first, first + count) of a bar bitmap, clipped to the bar and to the
// rows being repainted: most repaints are a fall step of two or four rows.
void drawRows(QPainter& p, const QPixmap& bar, const QRect& area, int first, int count) {
    const int end = std::min({first + count, LevelMeterModel::kBarRows, area.bottom() + 1});
    first = std::max({first, 0, area.top()});
    count = end - first;
    if (count <= 0) {
        return;
    }
    const qreal r = bar.devicePixelRatio();
    p.drawPixmap(QRectF(0, first, LevelMeter::kWidth, count), bar,
                 QRectF(0, first * r, LevelMeter::kWidth * r, count * r));
}

// Bar rows between two row numbers, clipped to the bar.
QRect rowSpan(int from, int to) {
    const int top = std::clamp(std::min(from, to), 0, LevelMeterModel::kBarRows);
    const int bottom = std::clamp(std::max(from, to), 0, LevelMeterModel::kBarRows);
    return QRect(0, top, LevelMeter::kWidth, bottom - top);
}

} // namespace

LevelMeter::LevelMeter(MeterClock& clock, QWidget* parent)
    : QWidget(parent), clock_(clock), model_(clock.now()) {
    setObjectName(QStringLiteral("Levelmeter"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::TabFocus);
    // Every pixel is painted, so Qt need not clear behind the meter.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    // Weight 100 asks for a thin cut that Tahoma does not have; it draws regular.
    font.setWeight(QFont::Normal);
    setFont(font);
    drawn_ = model_.look();
    text_.setText(QString::fromStdString(drawn_.text));
    text_.setTextFormat(Qt::PlainText);
    text_.prepare(QTransform(), font);
    clock_.attach(this);
}

LevelMeter::~LevelMeter() {
    clock_.detach(this);
}

void LevelMeter::feed(float db) {
    model_.feed(db, clock_.now());
    repaintChanged(drawn_);
    if (model_.falling() && isVisible()) {
        clock_.wake();
    }
}

void LevelMeter::resetPeak() {
    model_.resetPeak();
    repaintChanged(drawn_);
}

void LevelMeter::setShowPeak(bool on) {
    model_.setShowPeak(on);
    repaintChanged(drawn_);
}

bool LevelMeter::advanceTo(qint64 now) {
    if (model_.advance(now)) {
        repaintChanged(drawn_);
    }
    return model_.falling();
}

void LevelMeter::repaintChanged(const MeterLook& before) {
    const MeterLook now = model_.look();
    if (now == before) {
        return;
    }
    // Bar changes are neighbouring rows, so one rectangle; the box apart from them.
    QRect dirty;
    if (now.darkRows != before.darkRows) {
        dirty |= rowSpan(before.darkRows, now.darkRows);
    }
    if (now.overLit != before.overLit) {
        dirty |= rowSpan(0, LevelMeterModel::kOverRows);
    }
    // The peak line is drawn over the bar, so a bar change under it redraws it too.
    if (now.peakRow != before.peakRow ||
        dirty.intersects(rowSpan(now.peakRow, now.peakRow + LevelMeterModel::kPeakRows))) {
        dirty |= rowSpan(before.peakRow, before.peakRow + LevelMeterModel::kPeakRows);
        dirty |= rowSpan(now.peakRow, now.peakRow + LevelMeterModel::kPeakRows);
    }
    const bool boxChanged = now.text != before.text || now.colour != before.colour;
    if (now.text != before.text) {
        text_.setText(QString::fromStdString(now.text));
    }
    drawn_ = now;
    if (!dirty.isEmpty()) {
        update(dirty);
    }
    if (boxChanged) {
        update(kBox);
    }
}

void LevelMeter::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    if (ratio != bars_.ratio) {
        bars_ = {ratio, skin::bitmap(kLitBitmap, ratio), skin::bitmap(kUnlitBitmap, ratio)};
    }
    const QPixmap& lit = bars_.lit;
    const QPixmap& unlit = bars_.unlit;
    const MeterLook& look = drawn_;
    const QRect area = event->rect();
    if (area.top() < kBoxTop) {
        drawRows(p, unlit, area, 0, look.darkRows);
        drawRows(p, lit, area, look.darkRows, LevelMeterModel::kBarRows - look.darkRows);
        if (look.overLit) {
            drawRows(p, lit, area, 0, LevelMeterModel::kOverRows);
        }
        drawRows(p, lit, area, look.peakRow, LevelMeterModel::kPeakRows);
    }
    if (area.bottom() >= kBoxTop) {
        p.setPen(QPen(QColor(199, 199, 199), 1.0));
        p.setBrush(QColor(50, 50, 50));
        p.drawRect(QRectF(kBox).adjusted(0.5, 0.5, -0.5, -0.5));
        p.setPen(textColour(look.colour));
        // Fonts wider than the one the box was made for are squeezed to fit it.
        const qreal width = text_.size().width();
        const qreal room = kWidth - 2.0;
        p.translate(kWidth / 2.0, 204);
        if (width > room) {
            p.scale(room / width, 1.0);
        }
        p.drawStaticText(QPointF(-width / 2, 0), text_);
    }
}

void LevelMeter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        resetPeak();
    }
}

void LevelMeter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        update();
    }
}

void LevelMeter::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
}

void LevelMeter::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void LevelMeter::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void LevelMeter::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A hidden meter is not ticked; its fall is computed from time, so it catches up.
    advanceTo(clock_.now());
    if (model_.falling()) {
        clock_.wake();
    }
}

} // namespace varento
