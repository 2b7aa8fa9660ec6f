#pragma once

#include "ui/models/button_window_model.h"

#include <vector>

class QPainter;
class QPoint;
class QString;
class QRect;
class QWidget;

namespace varento {

class MyButton;

// What the commissioning panel and the trigger window share: the anthracite
// panel with its captions and the 100 x 67 keys.
namespace button_panel {

// A key with bitmaps 183 / 184 / 185 / 185 and its caption in RGB(247,247,247).
MyButton* createButton(QWidget* parent, const PanelButton& button);
// The background of `area` and the captions, moved left by `scroll`.
void paint(QPainter& painter, const QRect& area, const std::vector<PanelCaption>& captions,
           int scroll = 0);
// One line of text at `at` in the caption font, cut to `width`.
void paintStatus(QPainter& painter, const QPoint& at, int width, const QString& text);
// The button on (2) or off (0) as its owner decided, keeping the hover look; 4
// draws it unusable.
void showLook(MyButton* button, int look);

} // namespace button_panel
} // namespace varento
