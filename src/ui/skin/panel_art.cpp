// The front panels of the remote windows, drawn from the same layout table the
// indicator logic reads, so every LED and legend sits where the logic copies it.
// Each model has an unlit panel; the lit and disabled panels hold the other looks
// of the same indicators.
#include "ui/models/panel_layout.h"
#include "ui/skin/skin.h"

#include <QPainter>
#include <QPainterPath>

namespace varento::skin {

namespace {

using panel::Lamp;
using panel::LegendSide;
using panel::PanelKind;
using panel::PanelLayout;
using panel::Spot;

enum class Look { Unlit, Lit, Disabled };

constexpr int kTallestPanel = 500; // model 19

const QColor kInk{2, 55, 112};         // legends, as the texts drawn over the panel
const QColor kInkFaint{150, 158, 168}; // legends of a disabled indicator
const QColor kGreen{60, 215, 90};
const QColor kBlue{60, 160, 255};
const QColor kAmber{255, 168, 36};

QFont panelFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma"), QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    return font;
}

// Lock and input LEDs are green, modes amber, every choice of a setting blue.
QColor lampColour(Lamp lamp) {
    switch (lamp) {
    case Lamp::SyncAes:
    case Lamp::SyncWck:
    case Lamp::SyncMadi:
    case Lamp::SyncMadi1:
    case Lamp::SyncMadi2:
    case Lamp::PortMadi1:
    case Lamp::PortMadi2:
    case Lamp::Input:
        return kGreen;
    case Lamp::Status0:
    case Lamp::Status1:
    case Lamp::Status2:
    case Lamp::MatrixMode:
        return kAmber;
    default:
        return kBlue;
    }
}

// Brushed aluminium like the top bar. The shade runs over the tallest panel
// whatever this image's height, so pieces copied from a taller lit image match.
void drawPlate(QPainter& p, QSize size) {
    QLinearGradient shade(0, 0, 0, kTallestPanel);
    shade.setColorAt(0, QColor(233, 235, 238));
    shade.setColorAt(1, QColor(204, 208, 213));
    p.fillRect(QRect(QPoint(0, 0), size), shade);
    quint32 seed = 0x9E3779B9u;
    for (qreal y = 0.5; y < size.height(); y += 0.5) {
        seed = seed * 1664525u + 1013904223u;
        const int alpha = static_cast<int>((seed >> 24) % 18);
        const bool light = ((seed >> 8) & 1u) != 0;
        p.setPen(QPen(light ? QColor(255, 255, 255, alpha) : QColor(90, 96, 104, alpha / 2), 0.5));
        p.drawLine(QPointF(0, y), QPointF(size.width(), y));
    }
    // Edges and the four rack screws.
    p.setPen(QPen(QColor(255, 255, 255, 210), 1.0));
    p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));
    p.setPen(QPen(QColor(118, 124, 132), 1.0));
    p.drawLine(QPointF(0, size.height() - 0.5), QPointF(size.width(), size.height() - 0.5));
    p.drawLine(QPointF(14, 50.5), QPointF(size.width() - 14, 50.5));
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0));
    p.drawLine(QPointF(14, 51.5), QPointF(size.width() - 14, 51.5));
    for (const QPointF c :
         {QPointF(9, 9), QPointF(size.width() - 9, 9), QPointF(9, size.height() - 9),
          QPointF(size.width() - 9, size.height() - 9)}) {
        QRadialGradient head(c - QPointF(1.2, 1.2), 5);
        head.setColorAt(0, QColor(245, 246, 248));
        head.setColorAt(1, QColor(140, 146, 154));
        p.setPen(QPen(QColor(100, 106, 114), 0.8));
        p.setBrush(head);
        p.drawEllipse(c, 4, 4);
        p.setPen(QPen(QColor(90, 96, 104), 1.0));
        p.drawLine(c + QPointF(-2.5, 0), c + QPointF(2.5, 0));
    }
}

void drawTopStrip(QPainter& p, const PanelLayout& l) {
    p.setPen(kInk);
    p.setFont(panelFont(17, true));
    p.drawText(QPointF(22, 31), QStringLiteral("VARENTO"));
    if (l.kind == PanelKind::Extended && l.brand != QStringLiteral("VARENTO")) {
        p.setFont(panelFont(9, true));
        p.drawText(QPointF(24, 44), l.brand);
    } else {
        p.setFont(panelFont(8, false));
        p.drawText(QPointF(24, 44), QStringLiteral("MADI CONVERTER"));
    }
    // Recessed windows behind the firmware and temperature texts and the gauge.
    p.setPen(QPen(QColor(150, 156, 164), 1.0));
    p.setBrush(QColor(244, 246, 248));
    p.drawRoundedRect(QRectF(panel::kFirmwareAt.x() - 5.5, 19.5, 56, 21), 3, 3);
    p.drawRoundedRect(QRectF(panel::kTemperatureAt.x() - 5.5, 19.5, 56, 21), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(panel::kGauge.adjusted(-3, -3, 3, 3)).adjusted(0.5, 0.5, -0.5, -0.5),
                      3, 3);
}

void drawCaptions(QPainter& p, const PanelLayout& l) {
    p.setFont(panelFont(9, true));
    const QFontMetrics metrics(p.font());
    for (const panel::Caption& c : l.captions) {
        p.setPen(kInk);
        p.drawText(QPointF(c.at.x(), c.at.y() + metrics.ascent()), c.text);
    }
}

// An LED in its bezel, centred in a 22 x 22 cell; the glow stays inside the cell
// so a copied rectangle has no edge.
void drawLamp(QPainter& p, QPointF centre, const QColor& colour, Look look) {
    QRadialGradient bezel(centre - QPointF(2, 2), 10);
    bezel.setColorAt(0, QColor(120, 126, 134));
    bezel.setColorAt(1, QColor(58, 62, 68));
    p.setPen(QPen(QColor(255, 255, 255, 160), 0.8));
    p.setBrush(bezel);
    p.drawEllipse(centre, 8.2, 8.2);
    if (look == Look::Lit) {
        QRadialGradient glow(centre, 11);
        QColor halo = colour;
        halo.setAlpha(140);
        glow.setColorAt(0.45, halo);
        glow.setColorAt(1, QColor(halo.red(), halo.green(), halo.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre, 11, 11);
    }
    QRadialGradient body(centre - QPointF(2, 2), 8);
    if (look == Look::Lit) {
        body.setColorAt(0, QColor(255, 255, 255));
        body.setColorAt(0.4, colour.lighter(115));
        body.setColorAt(1, colour.darker(125));
    } else if (look == Look::Unlit) {
        body.setColorAt(0, colour.darker(240));
        body.setColorAt(1, colour.darker(520));
    } else {
        body.setColorAt(0, QColor(150, 154, 160));
        body.setColorAt(1, QColor(104, 108, 114));
    }
    p.setPen(QPen(QColor(20, 22, 26), 0.8));
    p.setBrush(body);
    p.drawEllipse(centre, 5.8, 5.8);
}

// A wide lamp with its legend on the glass (mode and converter indicators).
void drawBar(QPainter& p, const Spot& s, const QColor& colour, Look look) {
    const QRectF r = QRectF(s.rect).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
    p.setBrush(QColor(70, 75, 82));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), 4, 4);
    QLinearGradient glass(r.topLeft(), r.bottomLeft());
    QColor text;
    if (look == Look::Lit) {
        glass.setColorAt(0, colour.lighter(140));
        glass.setColorAt(0.5, colour);
        glass.setColorAt(1, colour.darker(120));
        text = QColor(30, 24, 10);
    } else if (look == Look::Unlit) {
        glass.setColorAt(0, colour.darker(330));
        glass.setColorAt(1, colour.darker(480));
        text = colour.darker(140);
    } else {
        glass.setColorAt(0, QColor(150, 154, 160));
        glass.setColorAt(1, QColor(118, 122, 128));
        text = QColor(196, 200, 205);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(r, 3, 3);
    p.setPen(text);
    p.setFont(panelFont(9, true));
    p.drawText(r, Qt::AlignCenter, s.legend);
}

void drawSpot(QPainter& p, const Spot& s, Look look) {
    const QColor colour = lampColour(s.lamp);
    if (s.side == LegendSide::Inside && s.lamp != Lamp::Term) {
        drawBar(p, s, colour, look);
        return;
    }
    const QPointF centre(s.rect.x() + 11.0, s.rect.y() + 11.0);
    drawLamp(p, centre, colour, look);
    p.setPen(look == Look::Disabled ? kInkFaint : kInk);
    if (s.side == LegendSide::Above) {
        p.setFont(panelFont(8, true));
        p.drawText(QRectF(s.rect.x() - 6, s.rect.y() - 14, 34, 12), Qt::AlignCenter, s.legend);
        return;
    }
    p.setFont(panelFont(9, true));
    // The termination legend lies inside its indicator, so it greys out with it.
    const qreal right = s.lamp == Lamp::Term ? s.rect.right() + 1.0 : s.rect.right() + 80.0;
    p.drawText(QRectF(s.rect.x() + 26.0, s.rect.y(), right - s.rect.x() - 26.0, 22.0),
               Qt::AlignLeft | Qt::AlignVCenter, s.legend);
}

void drawPanel(QPainter& p, QSize size, PanelKind kind, int model, Look look) {
    const PanelLayout l = panel::layoutFor(kind, model);
    drawPlate(p, size);
    drawTopStrip(p, l);
    drawCaptions(p, l);
    for (const Spot& s : l.spots) {
        drawSpot(p, s, look);
    }
}

template <PanelKind kind, int model, Look look> void panelImage(QPainter& p, QSize size) {
    drawPanel(p, size, kind, model, look);
}

// The gauge: seven segments, dark in the background image, lit in the fill.
void drawGauge(QPainter& p, QSize size, bool fill) {
    p.fillRect(QRect(QPoint(0, 0), size), QColor(34, 37, 42));
    for (int i = 0; i < 7; ++i) {
        const QRectF seg(i * 7 + 1.0, 3.0, 5.0, size.height() - 6.0);
        QColor c = i < 4 ? kGreen : i < 6 ? kAmber : QColor(240, 70, 50);
        if (!fill) {
            c = c.darker(420);
        }
        p.fillRect(seg, c);
    }
}

void drawPanelKey(QPainter& p, QSize size, bool pressed, bool hover, const QString& legend) {
    drawKeyCap(p, size, pressed, hover);
    if (!legend.isEmpty()) {
        p.setFont(panelFont(10, true));
        p.setPen(QColor(225, 230, 236));
        p.drawText(QRectF(0, pressed ? 1 : 0, size.width(), size.height() - 2), Qt::AlignCenter,
                   legend);
    }
}

constexpr QSize kBasePanel{panel::kPanelWidth, 280};
constexpr QSize kExtendedPanel{panel::kPanelWidth, 370};
constexpr QSize kTallPanel{panel::kPanelWidth, kTallestPanel};
constexpr QSize kGaugeSize{48, 22};
constexpr QSize kKeySize{112, 34};

constexpr PanelKind B = PanelKind::Base;
constexpr PanelKind X = PanelKind::Extended;

const Art kPanelArt[] = {
    // Base panel: set A (model 8) and set B (the models with two MADI ports).
    Art{100, kBasePanel, panelImage<B, 8, Look::Unlit>},
    Art{120, kBasePanel, panelImage<B, 8, Look::Lit>},
    Art{123, kBasePanel, panelImage<B, 8, Look::Disabled>},
    Art{159, kBasePanel, panelImage<B, 12, Look::Unlit>},
    Art{160, kBasePanel, panelImage<B, 12, Look::Lit>},
    Art{158, kBasePanel, panelImage<B, 12, Look::Disabled>},
    // Extended panel: one unlit image per model; 164 doubles as the disabled look.
    Art{164, kExtendedPanel, panelImage<X, 9, Look::Unlit>},
    Art{168, kExtendedPanel, panelImage<X, 10, Look::Unlit>},
    Art{166, kExtendedPanel, panelImage<X, 13, Look::Unlit>},
    Art{171, kExtendedPanel, panelImage<X, 14, Look::Unlit>},
    Art{170, kExtendedPanel, panelImage<X, 14, Look::Lit>},
    Art{194, kExtendedPanel, panelImage<X, 18, Look::Unlit>},
    Art{196, kTallPanel, panelImage<X, 19, Look::Unlit>},
    Art{197, kTallPanel, panelImage<X, 19, Look::Lit>},
    Art{162, kGaugeSize, [](QPainter& p, QSize s) { drawGauge(p, s, true); }},
    Art{163, kGaugeSize, [](QPainter& p, QSize s) { drawGauge(p, s, false); }},
    // The settings key and the two-state keys of the base window.
    Art{110, kKeySize,
        [](QPainter& p, QSize s) { drawPanelKey(p, s, false, false, QStringLiteral("SETTINGS")); }},
    Art{111, kKeySize,
        [](QPainter& p, QSize s) { drawPanelKey(p, s, true, false, QStringLiteral("SETTINGS")); }},
    Art{124, kKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, false, false, {}); }},
    Art{126, kKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, false, true, {}); }},
    Art{125, kKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, true, false, {}); }},
    Art{127, kKeySize, [](QPainter& p, QSize s) { drawPanelKey(p, s, true, true, {}); }},
    Art{129, kKeySize,
        [](QPainter& p, QSize s) {
            drawPanelKey(p, s, false, false, {});
            p.fillRect(QRect(QPoint(0, 0), s), QColor(200, 204, 210, 140));
        }},
};

} // namespace

std::span<const Art> panelArt() {
    return kPanelArt;
}

} // namespace varento::skin
