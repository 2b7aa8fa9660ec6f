// The small channel switches (P48, PAD, GPO) of the gain window and the
// meterbridge, and the project keys, each off, under the mouse and on.
#include "ui/skin/skin.h"

#include <QPainter>

#include <array>

namespace varento::skin {

namespace {

enum class Look { Off, Hover, On };

constexpr QSize kSwitchSize{25, 23};
constexpr QSize kProjectKeySize{100, 30};

const QColor kPhantomRed{255, 72, 56};
const QColor kPadAmber = kLedAmber;

// A lamp across the top of the cap, lit in the switch's colour when on: readable
// at a glance down a row of 32 strips.
void drawLampBar(QPainter& p, const QRectF& bar, const QColor& colour, bool lit) {
    QLinearGradient lens(bar.topLeft(), bar.bottomLeft());
    if (lit) {
        lens.setColorAt(0, colour.lighter(140));
        lens.setColorAt(1, colour.darker(115));
    } else {
        lens.setColorAt(0, QColor(46, 48, 52));
        lens.setColorAt(1, QColor(30, 32, 35));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lens);
    p.drawRoundedRect(bar, 1.2, 1.2);
}

void drawSwitch(QPainter& p, QSize size, Look look, const QColor& colour) {
    drawKeyCap(p, size, look == Look::On, look == Look::Hover);
    drawLampBar(p, QRectF(5, look == Look::On ? 4.5 : 3.5, size.width() - 10.0, 2.5), colour,
                look == Look::On);
}

// The project keys: plain caps; Save lit amber while the project has unsaved changes.
void drawProjectKey(QPainter& p, QSize size, Look look, bool saveLit) {
    drawKeyCap(p, size, look == Look::On, look == Look::Hover);
    if (saveLit) {
        drawLampBar(p, QRectF(8, 5, 4, size.height() - 11.0), kPadAmber, true);
    }
}

template <Look look> void phantomSwitch(QPainter& p, QSize s) {
    drawSwitch(p, s, look, kPhantomRed);
}

const std::array kGainArt{
    Art{174, kSwitchSize, phantomSwitch<Look::Off>},
    Art{175, kSwitchSize, phantomSwitch<Look::Hover>},
    Art{176, kSwitchSize, phantomSwitch<Look::On>},
    Art{186, kSwitchSize, [](QPainter& p, QSize s) { drawSwitch(p, s, Look::On, kPadAmber); }},
    Art{211, kProjectKeySize, [](QPainter& p, QSize s) { drawProjectKey(p, s, Look::Off, false); }},
    Art{213, kProjectKeySize,
        [](QPainter& p, QSize s) { drawProjectKey(p, s, Look::Hover, false); }},
    Art{212, kProjectKeySize, [](QPainter& p, QSize s) { drawProjectKey(p, s, Look::On, false); }},
    Art{214, kProjectKeySize, [](QPainter& p, QSize s) { drawProjectKey(p, s, Look::Off, true); }},
};

} // namespace

std::span<const Art> gainArt() {
    return kGainArt;
}

} // namespace varento::skin
