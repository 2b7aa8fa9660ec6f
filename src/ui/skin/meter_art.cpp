// The level meter's two bars: every LED segment lit, and the same segments dark.
// The meter shows the lit bar below the level and the dark one above it, so the
// two must line up row for row.
#include "ui/skin/skin.h"

#include <QPainter>

#include <array>

namespace varento::skin {

namespace {

constexpr QSize kBarSize{25, 200};
// The segment column, leaving a scale strip on the right.
constexpr qreal kColumnLeft = 3.0;
constexpr qreal kColumnRight = 19.0;
// Segments two rows tall on a three-row pitch, from the top of the bar.
constexpr int kPitch = 3;
// The over block: rows 0-9, lit only above 0 dB or by a held over.
constexpr int kOverRows = 10;

const QColor kBezel{22, 23, 25};
const QColor kScale{120, 124, 130};

// Zone boundaries in rows (from the bar's mapping): -3 dB at row 23, -12 dB at row 59.
constexpr int kRedEnd = 23;
constexpr int kAmberEnd = 59;

QColor zoneColour(int row) {
    if (row < kRedEnd) {
        return {255, 46, 38};
    }
    if (row < kAmberEnd) {
        return {255, 184, 28};
    }
    return {60, 226, 92};
}

// A lit segment glows in the middle and darkens toward its edges, like a lens
// over an LED; a dark one keeps a faint tint of its zone so the scale reads.
void drawSegment(QPainter& p, const QRectF& r, const QColor& colour, bool lit) {
    QLinearGradient lens(r.topLeft(), r.topRight());
    if (lit) {
        lens.setColorAt(0.0, colour.darker(135));
        lens.setColorAt(0.45, colour.lighter(125));
        lens.setColorAt(1.0, colour.darker(150));
    } else {
        const QColor dim =
            QColor::fromRgbF(colour.redF() * 0.16f + 0.05f, colour.greenF() * 0.16f + 0.05f,
                             colour.blueF() * 0.16f + 0.05f);
        lens.setColorAt(0.0, dim.darker(120));
        lens.setColorAt(0.45, dim.lighter(115));
        lens.setColorAt(1.0, dim.darker(130));
    }
    p.fillRect(r, lens);
}

// Ticks on the right at the levels an engineer reads most (rows of the bar's mapping).
constexpr std::array<ScaleFigure, 5> kScaleRows{
    {{0, 10.5}, {-6, 35.5}, {-12, 59.5}, {-24, 82.5}, {-48, 130.5}}};

void drawScale(QPainter& p) {
    p.setPen(QPen(kScale, 1.0));
    for (const ScaleFigure& tick : kScaleRows) {
        p.drawLine(QPointF(20.5, tick.y), QPointF(23.5, tick.y));
    }
}

void drawBar(QPainter& p, QSize size, bool lit) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), kBezel);
    // The over block: one tall lamp with a gap below it.
    drawSegment(p, QRectF(kColumnLeft, 1, kColumnRight - kColumnLeft, kOverRows - 2),
                QColor(255, 30, 30), lit);
    for (int row = kOverRows + 1; row + 2 <= size.height(); row += kPitch) {
        drawSegment(p, QRectF(kColumnLeft, row, kColumnRight - kColumnLeft, 2), zoneColour(row),
                    lit);
    }
    drawScale(p);
}

const std::array kMeterArt{
    Art{193, kBarSize, [](QPainter& p, QSize s) { drawBar(p, s, true); }},
    Art{192, kBarSize, [](QPainter& p, QSize s) { drawBar(p, s, false); }},
};

} // namespace

std::span<const Art> meterArt() {
    return kMeterArt;
}

std::span<const ScaleFigure> meterScaleFigures() {
    return kScaleRows;
}

} // namespace varento::skin
