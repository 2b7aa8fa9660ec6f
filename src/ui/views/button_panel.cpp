#include "ui/views/button_panel.h"

#include "ui/controls/my_button.h"
#include "ui/controls/strip_label.h"
#include "ui/skin/skin.h"

#include <QPainter>

namespace varento::button_panel {

namespace {

const QColor kKeyText{247, 247, 247};

} // namespace

MyButton* createButton(QWidget* parent, const PanelButton& button) {
    MyButton::Block block;
    block.bitmaps = {183, 184, 185, 185, 0};
    block.toggle = button.toggle;
    block.textColour = kKeyText;
    block.drawText = true;
    block.text = button.text;
    return MyButton::create(parent, button.id, button.position.x(), button.position.y(), block);
}

void paint(QPainter& p, const QRect& area, const std::vector<PanelCaption>& captions, int scroll) {
    p.fillRect(area, skin::kPanel);
    p.setFont(captionFont());
    p.setPen(skin::kPanelText);
    for (const PanelCaption& caption : captions) {
        // Placed by the top-left corner of the text, as the panel was laid out; a
        // wider fallback face is squeezed where a control follows.
        const int width = p.fontMetrics().horizontalAdvance(caption.text);
        p.save();
        p.translate(caption.position - QPoint(scroll, 0));
        if (caption.width > 0 && width > caption.width) {
            p.scale(static_cast<qreal>(caption.width) / width, 1.0);
        }
        p.drawText(QRect(0, 0, width + 1, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   caption.text);
        p.restore();
    }
}

void paintStatus(QPainter& p, const QPoint& at, int width, const QString& text) {
    p.setFont(captionFont());
    p.setPen(skin::kPanelText);
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, width);
    p.drawText(QRect(at, QSize(width, 24)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               shown);
}

void showLook(MyButton* button, int look) {
    const bool on = button->state() == MyButton::On || button->state() == MyButton::OnHover;
    if (look == MyButton::Inactive) {
        button->setState(MyButton::Inactive);
    } else if (button->state() == MyButton::Inactive || on != (look == MyButton::On)) {
        button->setState(look);
    }
    button->setEnabled(look != MyButton::Inactive);
}

} // namespace varento::button_panel
