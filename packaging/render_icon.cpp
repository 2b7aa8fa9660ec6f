// Writes the program's icon as the PNG files of the hicolor icon theme, drawn by
// the skin at each size rather than scaled from one picture.
//   varento-render-icon DIR NAME SIZE...   ->  DIR/SIZExSIZE/apps/NAME.png
#include "ui/skin/skin.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("Usage: varento-render-icon DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        varento::skin::drawAppIcon(painter, size);
        painter.end();
        if (size <= 0 || !QDir().mkpath(folder) || !image.save(folder + "/" + name + ".png")) {
            std::fprintf(stderr, "varento-render-icon: cannot write the %s icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
