#include "ui/skin/skin.h"

#include <QHash>
#include <QPainter>

#include <utility>

namespace varento::skin {

namespace {

const Art* findArt(int number) {
    for (const auto table :
         {topBarArt(), panelArt(), matrixArt(), faderArt(), meterArt(), gainArt(), buttonArt()}) {
        for (const Art& art : table) {
            if (art.number == number) {
                return &art;
            }
        }
    }
    return nullptr;
}

// Device pixel ratios are stepped to 1/8 so fractional scales share cache entries.
int ratioKey(qreal devicePixelRatio) {
    return qMax(8, qRound(devicePixelRatio * 8.0));
}

} // namespace

QSize bitmapSize(int number) {
    const Art* art = findArt(number);
    return art ? art->size : QSize();
}

bool hasBitmap(int number) {
    return findArt(number) != nullptr;
}

QPixmap bitmap(int number, qreal devicePixelRatio) {
    static QHash<std::pair<int, int>, QPixmap> cache;
    const int key = ratioKey(devicePixelRatio);
    if (auto it = cache.constFind({number, key}); it != cache.constEnd()) {
        return *it;
    }
    const Art* art = findArt(number);
    if (!art) {
        return {};
    }
    const qreal ratio = key / 8.0;
    QPixmap pixmap(art->size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        art->draw(painter, art->size);
    }
    cache.insert({number, key}, pixmap);
    return pixmap;
}

void drawKeyCap(QPainter& p, QSize size, bool pressed, bool hover) {
    const QRectF outer(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    // A dark bezel around a slightly domed cap; pressed caps sit lower and darker.
    p.setPen(QPen(QColor(40, 44, 50), 1.0));
    QLinearGradient bezel(outer.topLeft(), outer.bottomLeft());
    bezel.setColorAt(0, QColor(90, 96, 104));
    bezel.setColorAt(1, QColor(30, 33, 38));
    p.setBrush(bezel);
    p.drawRoundedRect(outer, 4, 4);

    const QRectF cap = outer.adjusted(2.5, pressed ? 3.0 : 2.0, -2.5, pressed ? -1.5 : -3.0);
    QLinearGradient face(cap.topLeft(), cap.bottomLeft());
    const int lift = hover ? 18 : 0;
    if (pressed) {
        face.setColorAt(0, QColor(52 + lift, 57 + lift, 64 + lift));
        face.setColorAt(1, QColor(72 + lift, 78 + lift, 86 + lift));
    } else {
        face.setColorAt(0, QColor(104 + lift, 110 + lift, 118 + lift));
        face.setColorAt(0.5, QColor(78 + lift, 83 + lift, 90 + lift));
        face.setColorAt(1, QColor(62 + lift, 66 + lift, 72 + lift));
    }
    p.setPen(QPen(QColor(255, 255, 255, pressed ? 20 : 60), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(cap, 3, 3);
}

void drawLed(QPainter& p, QPointF centre, qreal radius, const QColor& colour, bool lit) {
    if (lit) {
        QRadialGradient glow(centre, radius * 2.6);
        QColor halo = colour;
        halo.setAlpha(110);
        glow.setColorAt(0, halo);
        glow.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre, radius * 2.6, radius * 2.6);
    }
    QRadialGradient body(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.4);
    if (lit) {
        body.setColorAt(0, QColor(255, 255, 255));
        body.setColorAt(0.35, colour.lighter(120));
        body.setColorAt(1, colour.darker(130));
    } else {
        body.setColorAt(0, colour.darker(300));
        body.setColorAt(1, colour.darker(600));
    }
    p.setPen(QPen(QColor(20, 20, 20), 0.8));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
}

} // namespace varento::skin
