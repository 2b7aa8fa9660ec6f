// The program's icon, drawn by the skin for the window and for the installed icon
// theme: a plate on a clear background at every size, no glow past its corners.
#include "ui/skin/skin.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace varento;

namespace {

QImage iconAt(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    skin::drawAppIcon(painter, size);
    return image;
}

TEST(AppIcon, APlateOnAClearSquareAtEveryThemeSize) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QImage image = iconAt(size);
        const int last = size - 1;
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
            EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << size << " px, corner " << corner.x();
        }
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size << " px";
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size * 3 / 4)), 255) << size << " px";
    }
}

TEST(AppIcon, TheWindowIconOffersSmallAndLargeSizes) {
    const QList<QSize> sizes = skin::appIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
}

} // namespace
