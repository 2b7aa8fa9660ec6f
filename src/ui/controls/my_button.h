#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

namespace varento {

// The bitmap button of every window: five looks by state, an optional centred
// text, and a notification with its id and new state on every click.
class MyButton : public QWidget {
    Q_OBJECT
public:
    enum State { Off = 0, OffHover = 1, On = 2, OnHover = 3, Inactive = 4 };

    // What the owner hands over at creation. Bitmaps are skin numbers, 0 for a
    // state the button never takes; state 0 is required.
    struct Block {
        std::array<int, 5> bitmaps{};
        bool toggle = false; // keeps its state after the click; else back to off on release
        QColor textColour = Qt::black;
        bool drawText = false;
        QString text;
        int fontSize = 0; // 1 medium, 2 large, else small
    };

    // Nothing when the block has no state-0 bitmap the skin knows.
    static MyButton* create(QWidget* parent, int id, int x, int y, const Block& block);

    int id() const { return id_; }
    int state() const { return state_; }
    void setState(int state);
    QString text() const { return block_.text; }
    void setText(const QString& text);
    // Replaces the state-0 bitmap.
    void setBitmap(int number);
    // A frame in `colour` around whatever state shows; an invalid colour removes it.
    void setMark(const QColor& colour);
    QColor mark() const { return mark_; }
    const Block& block() const { return block_; }

    QSize sizeHint() const override { return size_; }

signals:
    // Every left click: the button's id and its new state (2 turned on, 0 turned off).
    void clicked(int id, int state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    MyButton(QWidget* parent, int id, const Block& block, QSize size);
    int bitmapForState() const;

    int id_;
    Block block_;
    QSize size_;
    int state_ = Off;
    QColor mark_;
};

} // namespace varento
