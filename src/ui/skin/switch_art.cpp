// The small channel switches (25 x 23): off, off under the mouse, and the two lit
// forms (P48 red, PAD / GPO / the meterbridge's switches blue).
#include "ui/skin/skin.h"

#include <QPainter>

#include <array>

namespace varento::skin {

namespace {

constexpr QSize kSwitchSize{25, 23};

void drawSwitch(QPainter& p, QSize size, bool hover, const QColor* lit) {
    drawKeyCap(p, size, lit != nullptr, hover);
    drawLed(p, QPointF(size.width() / 2.0, size.height() / 2.0 - 0.5), 3.0, lit ? *lit : kLedBlue,
            lit != nullptr);
}

const QColor kP48Red{255, 60, 50};

const std::array kSwitchArt{
    Art{174, kSwitchSize, [](QPainter& p, QSize s) { drawSwitch(p, s, false, nullptr); }},
    Art{175, kSwitchSize, [](QPainter& p, QSize s) { drawSwitch(p, s, true, nullptr); }},
    Art{176, kSwitchSize, [](QPainter& p, QSize s) { drawSwitch(p, s, false, &kP48Red); }},
    Art{186, kSwitchSize, [](QPainter& p, QSize s) { drawSwitch(p, s, false, &kLedBlue); }},
};

} // namespace

std::span<const Art> switchArt() {
    return kSwitchArt;
}

} // namespace varento::skin
