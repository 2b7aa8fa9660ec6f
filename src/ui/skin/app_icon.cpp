// The program's icon: an anthracite front plate under a strip of brushed
// aluminium, with the routing matrix's lit crossings. Simpler below 32 pixels,
// where grid lines would only blur.
#include "ui/skin/skin.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace varento::skin {

namespace {

// The crossings lit on the icon's 4 x 4 matrix: row, column.
constexpr std::array<std::array<int, 2>, 4> kRoutes{{{0, 1}, {1, 0}, {2, 3}, {3, 2}}};

} // namespace

void drawAppIcon(QPainter& p, int size) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const bool small = size < 32;

    QPainterPath plate;
    plate.addRoundedRect(QRectF(3, 3, 58, 58), 9, 9);
    QLinearGradient body(0, 3, 0, 61);
    body.setColorAt(0, kPanelRaised);
    body.setColorAt(1, kPanel.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(plate);

    // Inside the plate: no glow spills past its corners.
    p.setClipPath(plate);
    // The aluminium strip with the unit's status LED.
    QLinearGradient metal(0, 3, 0, 19);
    metal.setColorAt(0, QColor(236, 238, 240));
    metal.setColorAt(1, QColor(190, 195, 201));
    p.fillRect(QRectF(3, 3, 58, 16), metal);
    p.setPen(QPen(QColor(60, 64, 70), 1.0));
    p.drawLine(QPointF(3, 19.5), QPointF(61, 19.5));
    drawLed(p, QPointF(50, 11), small ? 5.0 : 3.6, kLedBlue, true);
    if (!small) {
        p.setPen(Qt::NoPen);
        p.setBrush(kTopBarText);
        p.drawRoundedRect(QRectF(11, 9, 26, 4), 2, 2);
    }

    // The matrix: four sources against four outputs.
    const QRectF grid(12, 26, 40, 28);
    const qreal dx = grid.width() / 4.0;
    const qreal dy = grid.height() / 4.0;
    if (!small) {
        p.setPen(QPen(kPanelLine, 1.0));
        for (int i = 0; i <= 4; ++i) {
            p.drawLine(QPointF(grid.left(), grid.top() + i * dy),
                       QPointF(grid.right(), grid.top() + i * dy));
            p.drawLine(QPointF(grid.left() + i * dx, grid.top()),
                       QPointF(grid.left() + i * dx, grid.bottom()));
        }
    }
    for (const auto& [row, column] : kRoutes) {
        const QPointF centre(grid.left() + (column + 0.5) * dx, grid.top() + (row + 0.5) * dy);
        drawLed(p, centre, small ? 4.5 : 3.0, kLedGreen, true);
    }
    // The rim last, over the glows' edges.
    p.setClipping(false);
    p.setPen(QPen(QColor(28, 30, 34), small ? 2.5 : 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(plate);
    p.restore();
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawAppIcon(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace varento::skin
