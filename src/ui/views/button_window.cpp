#include "ui/views/button_window.h"

#include "ui/controls/my_button.h"
#include "ui/controls/scroller.h"
#include "ui/views/button_panel.h"

#include <QPainter>
#include <QWheelEvent>

namespace varento {

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
    scroller_ = new Scroller(Qt::Horizontal, ButtonWindowModel::kScrollStep, this);
    scroller_->setContentLength(ButtonWindowModel::kScrollRange + 1);
    connect(scroller_, &Scroller::scrolled, this, &ButtonWindow::placeButtons);
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
    button_panel::paint(painter, rect(), ButtonWindowModel::captions(), scrollOffset());
}

int ButtonWindow::scrollOffset() const {
    return scroller_->offset();
}

// The panel is 710 pixels wide; a narrower window scrolls it.
void ButtonWindow::resizeEvent(QResizeEvent*) {
    scroller_->fit();
}

void ButtonWindow::placeButtons(int offset) {
    for (const PanelButton& b : ButtonWindowModel::buttons()) {
        buttons_[b.id]->move(b.position - QPoint(offset, 0));
    }
    update();
}

void ButtonWindow::wheelEvent(QWheelEvent* event) {
    scroller_->wheel(event);
}

} // namespace varento
