#include "ui/controls/scale_figures.h"

#include "ui/controls/strip_label.h"

#include <QPainter>

#include <cstdlib>

namespace varento {

namespace {

const QColor kFigure{176, 180, 186};
constexpr int kFigureHeight = 9;

} // namespace

void drawScaleFigures(QPainter& p, std::span<const skin::ScaleFigure> figures, int centreX, int top,
                      int room) {
    p.save();
    p.setFont(stripFont(QStringLiteral("Tahoma"), 8, QFont::Normal));
    const QFontMetricsF metrics(p.font());
    const bool bothWays = !figures.empty() && figures.front().db > 0 && figures.back().db < 0;
    for (const skin::ScaleFigure& figure : figures) {
        const QString text = QString::number(std::abs(figure.db));
        const qreal width = metrics.horizontalAdvance(text);
        p.save();
        p.translate(centreX, top + figure.y);
        if (width > room) {
            p.scale(room / width, 1.0);
        }
        p.setPen(bothWays && figure.db == 0 ? skin::kLedAmber : kFigure);
        p.drawText(QRectF(-width / 2, -kFigureHeight / 2.0, width, kFigureHeight),
                   Qt::AlignCenter | Qt::TextSingleLine, text);
        p.restore();
    }
    p.restore();
}

} // namespace varento
