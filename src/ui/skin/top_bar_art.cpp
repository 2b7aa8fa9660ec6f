// The main window's top bar: its background and the four buttons on it.
#include "ui/skin/skin.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace varento::skin {

namespace {

enum class Look { Off, Hover, On };

QFont legendFont() {
    QFont font;
    font.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma"), QStringLiteral("Arial")});
    font.setPixelSize(9);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    return font;
}

// Brushed aluminium: a soft vertical shade crossed by fine horizontal grain, so
// tiles meet without a seam.
void drawBackground(QPainter& p, QSize size) {
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, QColor(236, 238, 240));
    shade.setColorAt(0.55, QColor(214, 217, 221));
    shade.setColorAt(1, QColor(196, 200, 205));
    p.fillRect(QRect(QPoint(0, 0), size), shade);
    // Fixed pseudo-random grain: the same picture on every run and every ratio.
    quint32 seed = 0x2545F491u;
    for (qreal y = 0.5; y < size.height() - 2; y += 0.5) {
        seed = seed * 1664525u + 1013904223u;
        const int alpha = static_cast<int>((seed >> 24) % 22);
        const bool light = (seed >> 8) & 1u;
        p.setPen(QPen(light ? QColor(255, 255, 255, alpha) : QColor(90, 96, 104, alpha / 2), 0.5));
        p.drawLine(QPointF(0, y), QPointF(size.width(), y));
    }
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0));
    p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));
    p.setPen(QPen(QColor(120, 126, 134), 1.0));
    p.drawLine(QPointF(0, size.height() - 1.5), QPointF(size.width(), size.height() - 1.5));
    p.setPen(QPen(QColor(60, 64, 70), 1.0));
    p.drawLine(QPointF(0, size.height() - 0.5), QPointF(size.width(), size.height() - 0.5));
}

void drawLegend(QPainter& p, const QRectF& area, const QString& text, Look look) {
    p.setFont(legendFont());
    p.setPen(look == Look::On ? QColor(235, 242, 250) : QColor(200, 205, 212));
    p.drawText(area, Qt::AlignCenter, text);
}

// A key with a status LED on the left, an icon and a legend.
void drawViewKey(QPainter& p, QSize size, Look look, const QString& legend,
                 void (*icon)(QPainter&, const QRectF&, bool)) {
    const bool on = look == Look::On;
    drawKeyCap(p, size, on, look == Look::Hover);
    const qreal dy = on ? 0.5 : 0.0;
    drawLed(p, QPointF(8.5, size.height() / 2.0 - 0.5 + dy), 2.4, kLedBlue, on);
    icon(p, QRectF(14, 12 + dy, 11, size.height() - 25), on);
    drawLegend(p, QRectF(27, dy, size.width() - 30, size.height() - 2), legend, look);
}

QColor iconColour(bool on) {
    return on ? kLedBlue.lighter(115) : QColor(185, 190, 198);
}

void matrixIcon(QPainter& p, const QRectF& r, bool on) {
    p.setPen(QPen(iconColour(on), 1.0));
    p.setBrush(Qt::NoBrush);
    const qreal step = r.height() / 3.0;
    for (int i = 0; i <= 3; ++i) {
        p.drawLine(QPointF(r.left(), r.top() + i * step),
                   QPointF(r.left() + 3 * step, r.top() + i * step));
        p.drawLine(QPointF(r.left() + i * step, r.top()), QPointF(r.left() + i * step, r.bottom()));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(iconColour(on));
    p.drawRect(QRectF(r.left() + 1, r.top() + step + 1, step - 1.5, step - 1.5));
    p.drawRect(QRectF(r.left() + 2 * step + 1, r.top() + 1, step - 1.5, step - 1.5));
}

void meterIcon(QPainter& p, const QRectF& r, bool on) {
    p.setPen(Qt::NoPen);
    const std::array<qreal, 4> levels{0.55, 0.9, 0.7, 0.4};
    const qreal w = r.width() / 4.0 - 1.5;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const qreal x = r.left() + static_cast<qreal>(i) * (w + 1.5);
        p.setBrush(QColor(30, 33, 38));
        p.drawRect(QRectF(x, r.top(), w, r.height()));
        const qreal h = r.height() * levels[i];
        QLinearGradient bar(0, r.bottom(), 0, r.top());
        bar.setColorAt(0, on ? kLedGreen : QColor(110, 140, 115));
        bar.setColorAt(0.75, on ? QColor(230, 220, 60) : QColor(150, 148, 110));
        bar.setColorAt(1, on ? QColor(240, 70, 50) : QColor(150, 110, 105));
        p.setBrush(bar);
        p.drawRect(QRectF(x, r.bottom() - h, w, h));
    }
}

void gainIcon(QPainter& p, const QRectF& r, bool on) {
    const QPointF c = r.center();
    const qreal rad = qMin(r.width(), r.height()) / 2.0;
    QRadialGradient knob(c - QPointF(rad / 3, rad / 3), rad * 1.5);
    knob.setColorAt(0, QColor(150, 155, 162));
    knob.setColorAt(1, QColor(40, 43, 48));
    p.setPen(QPen(QColor(20, 22, 26), 0.8));
    p.setBrush(knob);
    p.drawEllipse(c, rad, rad);
    p.setPen(
        QPen(on ? kLedBlue.lighter(120) : QColor(220, 224, 230), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(rad * 0.55, -rad * 0.6));
}

void drawConnect(QPainter& p, QSize size, Look look) {
    const bool on = look == Look::On;
    drawKeyCap(p, size, on, look == Look::Hover);
    const qreal dy = on ? 0.5 : 0.0;
    drawLed(p, QPointF(size.width() / 2.0, 8.5 + dy), 2.6, kLedGreen, on);
    // A power symbol: an open ring with a bar through its gap.
    const QPointF c(size.width() / 2.0, size.height() / 2.0 + 4 + dy);
    const qreal r = 6.5;
    const QColor ink = on ? kLedGreen.lighter(110) : QColor(200, 205, 212);
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 125 * 16, 290 * 16);
    p.drawLine(c + QPointF(0, -r - 1.5), c + QPointF(0, -1.0));
}

constexpr QSize kConnectSize{44, 36};
constexpr QSize kViewKeySize{76, 36};

const std::array kTopBarArt{
    Art{153, {64, 50}, drawBackground},
    Art{106, kConnectSize, [](QPainter& p, QSize s) { drawConnect(p, s, Look::Off); }},
    Art{107, kConnectSize, [](QPainter& p, QSize s) { drawConnect(p, s, Look::Hover); }},
    Art{108, kConnectSize, [](QPainter& p, QSize s) { drawConnect(p, s, Look::On); }},
    Art{109, kConnectSize,
        [](QPainter& p, QSize s) {
            drawConnect(p, s, Look::On);
            p.fillRect(QRect(QPoint(2, 2), s - QSize(4, 4)), QColor(255, 255, 255, 18));
        }},
    Art{155, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Off, "MATRIX", matrixIcon); }},
    Art{156, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Hover, "MATRIX", matrixIcon); }},
    Art{173, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::On, "MATRIX", matrixIcon); }},
    Art{204, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Off, "METERS", meterIcon); }},
    Art{206, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Hover, "METERS", meterIcon); }},
    Art{205, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::On, "METERS", meterIcon); }},
    Art{180, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Off, "GAIN", gainIcon); }},
    Art{181, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::Hover, "GAIN", gainIcon); }},
    Art{182, kViewKeySize,
        [](QPainter& p, QSize s) { drawViewKey(p, s, Look::On, "GAIN", gainIcon); }},
};

} // namespace

std::span<const Art> topBarArt() {
    return kTopBarArt;
}

} // namespace varento::skin
