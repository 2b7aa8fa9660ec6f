#include "ui/controls/strip_label.h"

#include <QPainter>

namespace varento {

QFont captionFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(13);
    // Weight 2000 asks for more than there is: Tahoma's heaviest cut is bold.
    font.setWeight(QFont::Bold);
    return font;
}

QFont stripFont(const QString& family, int pixelSize, QFont::Weight weight) {
    QFont f;
    f.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

QFont stripLabelFont(bool shortLabel) {
    if (shortLabel) {
        return stripFont(QStringLiteral("Arial"), 11, QFont::Black);
    }
    QFont f = stripFont(QStringLiteral("Arial"), 10, QFont::Normal);
    // Five characters have to fit 25 pixels whichever sans serif stands in.
    f.setStretch(QFont::Condensed);
    f.setLetterSpacing(QFont::AbsoluteSpacing, -0.4);
    return f;
}

void drawStripLabel(QPainter& p, const QRect& box, const QColor& fill, const QColor& line,
                    const QString& label) {
    p.setPen(line);
    p.setBrush(fill);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setFont(stripLabelFont(label.size() <= 4));
    p.setPen(kStripLabelText);
    const int centre = box.left() + 13;
    p.drawText(QRect(centre - 40, box.top() + 3, 80, 16),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, label.left(5));
}

} // namespace varento
