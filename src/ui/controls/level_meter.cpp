#include "ui/controls/level_meter.h"

#include "ui/controls/meter_clock.h"
#include "ui/skin/skin.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>

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
    clock_.attach(this);
}

LevelMeter::~LevelMeter() {
    clock_.detach(this);
}

void LevelMeter::feed(float db) {
    model_.feed(db, clock_.now());
    if (model_.falling() && isVisible()) {
        clock_.wake();
    }
    // While the clock runs, the next tick (at most 20 ms away) draws the new value
    // together with the fall, in one paint of the window instead of two.
    if (clock_.isRunning() && isVisible()) {
        stale_ = true;
    } else {
        repaintChanged();
    }
}

void LevelMeter::resetPeak() {
    model_.resetPeak();
    repaintChanged();
}

void LevelMeter::setShowPeak(bool on) {
    model_.setShowPeak(on);
    repaintChanged();
}

bool LevelMeter::advanceTo(qint64 now) {
    if (model_.advance(now) || stale_) {
        stale_ = false;
        repaintChanged();
    }
    return model_.falling();
}

void LevelMeter::repaintChanged() {
    MeterLook now = model_.look();
    if (now == drawn_) {
        return;
    }
    const MeterLook before = std::exchange(drawn_, std::move(now));
    const MeterLook& after = drawn_;
    // The rows that changed, widened to fixed bands: Qt unites the dirty areas of
    // all meters of a window, and pieces on a shared grid unite into a few bands
    // where rows at every height would make a region of hundreds of pieces.
    int top = kBoxTop;
    int bottom = 0;
    const auto mark = [&](int from, int to) {
        top = std::min(top, std::max(from, 0));
        bottom = std::max(bottom, std::min(to, kBoxTop));
    };
    if (after.darkRows != before.darkRows) {
        mark(std::min(after.darkRows, before.darkRows), std::max(after.darkRows, before.darkRows));
    }
    if (after.overLit != before.overLit) {
        mark(0, LevelMeterModel::kOverRows);
    }
    if (after.peakRow != before.peakRow) {
        mark(before.peakRow, before.peakRow + LevelMeterModel::kPeakRows);
        mark(after.peakRow, after.peakRow + LevelMeterModel::kPeakRows);
    }
    if (top < bottom) {
        constexpr int band = 40;
        top = top / band * band;
        bottom = std::min((bottom + band - 1) / band * band, kBoxTop);
        update(0, top, kWidth, bottom - top);
    }
    if (after.text != before.text || after.colour != before.colour) {
        box_ = QPixmap();
        update(kBox);
    }
}

QPixmap LevelMeter::boxPixmap(qreal ratio) const {
    // A hundred meters show the same few dozen read-outs; each is laid out once.
    static std::map<std::tuple<std::string, int, int>, QPixmap> cache;
    const std::tuple key{drawn_.text, static_cast<int>(drawn_.colour), qRound(ratio * 8.0)};
    if (auto it = cache.find(key); it != cache.end()) {
        return it->second;
    }
    if (cache.size() > 2000) {
        cache.clear();
    }
    return cache.emplace(key, renderBox(ratio)).first->second;
}

QPixmap LevelMeter::renderBox(qreal ratio) const {
    QPixmap box(kBox.size() * ratio);
    box.setDevicePixelRatio(ratio);
    QPainter p(&box);
    p.setPen(QPen(QColor(199, 199, 199), 1.0));
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(QRectF(0.5, 0.5, kBox.width() - 1.0, kBox.height() - 1.0));
    p.setFont(font());
    p.setPen(textColour(drawn_.colour));
    const QString text = QString::fromStdString(drawn_.text);
    // Fonts wider than the one the box was made for are squeezed to fit it.
    const qreal width = p.fontMetrics().horizontalAdvance(text);
    const qreal room = kWidth - 2.0;
    p.translate(kWidth / 2.0, 204 - kBoxTop);
    if (width > room) {
        p.scale(room / width, 1.0);
    }
    p.drawText(QRectF(-width / 2, 0, width, kHeight - 204), Qt::AlignLeft | Qt::AlignTop, text);
    return box;
}

void LevelMeter::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    if (ratio != bars_.ratio) {
        bars_ = {ratio, skin::bitmap(kLitBitmap, ratio), skin::bitmap(kUnlitBitmap, ratio)};
        box_ = QPixmap();
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
        // The read-out changes a few times a second at most; lay it out only then.
        if (box_.isNull()) {
            box_ = boxPixmap(ratio);
        }
        p.drawPixmap(kBox.topLeft(), box_);
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
