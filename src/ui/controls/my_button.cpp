#include "ui/controls/my_button.h"

#include "ui/skin/skin.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace varento {

namespace {

QFont buttonFont(int fontSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    // Character cells of 12, 16 and 24 pixels; the em is about 0.83 of the cell.
    font.setPixelSize(fontSize == 1 ? 13 : fontSize == 2 ? 20 : 10);
    // Weight 150 asked of Tahoma, which has no lighter cut than regular.
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

MyButton* MyButton::create(QWidget* parent, int id, int x, int y, const Block& block) {
    const QSize size = skin::bitmapSize(block.bitmaps[0]);
    if (!size.isValid()) {
        return nullptr;
    }
    auto* button = new MyButton(parent, id, block, size);
    button->move(x, y);
    button->show();
    return button;
}

MyButton::MyButton(QWidget* parent, int id, const Block& block, QSize size)
    : QWidget(parent), id_(id), block_(block), size_(size) {
    setObjectName(QString::number(id));
    setFixedSize(size);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void MyButton::setState(int state) {
    state_ = state;
    update();
}

void MyButton::setText(const QString& text) {
    block_.text = text.left(255);
    update();
}

void MyButton::setBitmap(int number) {
    block_.bitmaps[0] = number;
    update();
}

int MyButton::bitmapForState() const {
    if (state_ >= 0 && state_ < 5 && block_.bitmaps[static_cast<std::size_t>(state_)] != 0) {
        return block_.bitmaps[static_cast<std::size_t>(state_)];
    }
    return block_.bitmaps[0];
}

void MyButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, skin::bitmap(bitmapForState(), devicePixelRatioF()));
    if (block_.drawText) {
        painter.setFont(buttonFont(block_.fontSize));
        painter.setPen(block_.textColour);
        // Centred horizontally on width/2; the text's top sits 7 pixels above the middle.
        const int top = size_.height() / 2 - 7;
        painter.drawText(QRect(0, top, size_.width(), size_.height() - top),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, block_.text);
    }
    if (mark_.isValid()) {
        constexpr int kMarkWidth = 3;
        painter.setPen(QPen(mark_, kMarkWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
}

void MyButton::setMark(const QColor& colour) {
    if (mark_ != colour) {
        mark_ = colour;
        update();
    }
}

void MyButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    state_ = state_ == Off || state_ == OffHover ? On : Off;
    repaint();
    emit clicked(id_, state_);
}

void MyButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (!block_.toggle && (state_ == On || state_ == OnHover)) {
        state_ = Off;
    }
    repaint();
}

void MyButton::enterEvent(QEnterEvent*) {
    if (state_ == Off) {
        state_ = OffHover;
    } else if (state_ == On) {
        state_ = OnHover;
    }
    update();
}

void MyButton::leaveEvent(QEvent*) {
    if (state_ == OffHover) {
        state_ = Off;
    } else if (state_ == OnHover) {
        state_ = On;
    }
    update();
}

void MyButton::focusInEvent(QFocusEvent*) {
    update();
}

void MyButton::focusOutEvent(QFocusEvent*) {
    update();
}

} // namespace varento
