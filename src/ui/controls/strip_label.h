#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace varento {

// The label box over a channel strip, as the faders and the meterbridge draw it:
// the label's first five characters, bold when it has at most four, narrow otherwise.
inline const QColor kStripLabelText{240, 240, 240};

// "Arial" 11 bold (1 to 4 characters) or 10 regular, squeezed so five fit 25 pixels.
QFont stripLabelFont(bool shortLabel);
QFont stripFont(const QString& family, int pixelSize, QFont::Weight weight);

// "Tahoma" 13 bold: the captions of the switch panels and the commissioning panel.
// Where Tahoma is missing a condensed face keeps its width between fixed captions.
QFont captionFont();

// Fills `box` with `fill` outlined in `line` and writes the label centred at the top.
void drawStripLabel(QPainter& painter, const QRect& box, const QColor& fill, const QColor& line,
                    const QString& label);

} // namespace varento
