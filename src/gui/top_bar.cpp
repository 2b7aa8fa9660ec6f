#include "gui/top_bar.h"

#include "ui/skin/skin.h"

#include <QPainter>

namespace varento {

TopBar::TopBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("topBar"));
    setFixedHeight(kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont TopBar::textFont() {
    // Tahoma 14 px; the face has no thin cut, so its weight 100 renders as regular.
    // The fallback is condensed to keep Tahoma's width in front of the selector.
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(12); // a 14-pixel character cell
    return font;
}

void TopBar::setGathering(bool gathering, int devicesFound) {
    const QString text =
        gathering ? QStringLiteral("%1 Devices found: Gathering Device Data...").arg(devicesFound)
                  : QString();
    if (text != gatheringText_) {
        gatheringText_ = text;
        update();
    }
}

void TopBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap tile = skin::bitmap(153, devicePixelRatioF());
    painter.drawTiledPixmap(rect(), tile);
    painter.setFont(textFont());
    painter.setPen(skin::kTopBarText);
    const auto textAt = [&](int x, const QString& text) {
        painter.drawText(QRect(x, 15, width() - x, kHeight - 15), Qt::AlignLeft | Qt::AlignTop,
                         text);
    };
    if (!gatheringText_.isEmpty()) {
        textAt(60, gatheringText_);
    }
    textAt(300, QStringLiteral("Device: "));
}

} // namespace varento
