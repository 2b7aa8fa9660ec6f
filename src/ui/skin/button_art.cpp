// The 100 x 67 keys of the commissioning panel, the trigger window and the gain
// window's Switch Device column: off, under the mouse and on. The caption is the
// button's own text; the top carries the key's lamp.
#include "ui/skin/skin.h"

#include <QPainter>

#include <array>

namespace varento::skin {

namespace {

enum class Look { Off, Hover, On };

constexpr QSize kPanelKeySize{100, 67};

void drawPanelKey(QPainter& p, QSize size, Look look) {
    const bool on = look == Look::On;
    drawKeyCap(p, size, on, look == Look::Hover);
    const qreal dy = on ? 1.0 : 0.0;
    drawLed(p, QPointF(size.width() / 2.0, 15.5 + dy), 4.0, kLedAmber, on);
    // A groove under the caption, lit with the lamp.
    const QRectF strip(14, size.height() - 10.5 + dy, size.width() - 28.0, 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? kLedAmber.darker(115) : QColor(34, 37, 42));
    p.drawRoundedRect(strip, 1, 1);
}

const std::array kButtonArt{
    Art{183, kPanelKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, Look::Off); }},
    Art{184, kPanelKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, Look::Hover); }},
    Art{185, kPanelKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, Look::On); }},
};

} // namespace

std::span<const Art> buttonArt() {
    return kButtonArt;
}

} // namespace varento::skin
