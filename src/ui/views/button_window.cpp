#include "ui/views/button_window.h"

#include "ui/controls/my_button.h"
#include "ui/views/button_panel.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace varento {

namespace {

constexpr int kScrollBarHeight = 16;

} // namespace

ButtonWindow::ButtonWindow(Session& session, std::function<void(int id)> mainWindow,
                           QWidget* parent)
    : QWidget(parent), model_(session, std::move(mainWindow)) {
    setObjectName(QStringLiteral("Button Window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(726, 540);
    for (const PanelButton& b : ButtonWindowModel::buttons()) {
        MyButton* button = button_panel::createButton(this, b);
        connect(button, &MyButton::clicked, &model_, &ButtonWindowModel::click);
        buttons_[b.id] = button;
    }
    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    scrollBar_->setSingleStep(ButtonWindowModel::kScrollStep);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &ButtonWindow::setScroll);
    connect(&model_, &ButtonWindowModel::looksChanged, this, &ButtonWindow::syncLooks);
}

MyButton* ButtonWindow::button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void ButtonWindow::syncLooks() {
    for (const auto& [id, button] : buttons_) {
        button_panel::showLook(button, model_.look(id));
    }
}

void ButtonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    button_panel::paint(painter, rect(), ButtonWindowModel::captions(), scroll_);
}

// The panel is 710 pixels wide; a narrower window scrolls it, a page at a time
// being the window's width.
void ButtonWindow::resizeEvent(QResizeEvent*) {
    scrollBar_->setGeometry(0, height() - kScrollBarHeight, width(), kScrollBarHeight);
    scrollBar_->setPageStep(width());
    scrollBar_->setRange(0, std::max(0, ButtonWindowModel::kScrollRange - width() + 1));
    setScroll(scrollBar_->value());
}

void ButtonWindow::setScroll(int offset) {
    if (offset == scroll_) {
        return;
    }
    for (const PanelButton& b : ButtonWindowModel::buttons()) {
        buttons_[b.id]->move(b.position - QPoint(offset, 0));
    }
    scroll_ = offset;
    update();
}

// Away from the user scrolls left, toward the user right.
void ButtonWindow::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        scrollBar_->setValue(scrollBar_->value() +
                             (delta > 0 ? -1 : 1) * ButtonWindowModel::kScrollStep);
    }
    event->accept();
}

} // namespace varento
