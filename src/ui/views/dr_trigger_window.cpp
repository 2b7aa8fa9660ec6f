#include "ui/views/dr_trigger_window.h"

#include "ui/controls/my_button.h"
#include "ui/views/button_panel.h"

#include <QComboBox>
#include <QPainter>

namespace varento {

namespace {

constexpr int kListHeight = 300;
// Below the four rows of keys.
constexpr QPoint kStatusAt{10, 470};
const QColor kPendingMark{255, 190, 40};
const QColor kFailedMark{230, 60, 50};

} // namespace

DrTriggerWindow::DrTriggerWindow(Session& session,
                                 std::function<void(int id, int param)> mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(session, std::move(mainWindow)) {
    setObjectName(QStringLiteral("DR Trigger Button Window"));
    setWindowTitle(QStringLiteral("DR Spare mic switch"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_DeleteOnClose);
    move(0, 50);
    // Minimum, maximum and maximised size alike.
    setFixedSize(kSize);
    for (const PanelButton& b : DrTriggerModel::buttons()) {
        MyButton* button = button_panel::createButton(this, b);
        connect(button, &MyButton::clicked, this, [this](int id, int) { model_.press(id); });
        buttons_[static_cast<std::size_t>(b.id)] = button;
    }
    spareList_ = new QComboBox(this);
    spareList_->setObjectName(QString::number(DrTriggerModel::kSpareListId));
    spareList_->addItems(DrTriggerModel::spareItems());
    spareList_->setGeometry(500, 3, 50, spareList_->sizeHint().height());
    spareList_->setMaxVisibleItems(kListHeight / spareList_->sizeHint().height());
    connect(spareList_, &QComboBox::activated, &model_, &DrTriggerModel::selectSpare);
    connect(&model_, &DrTriggerModel::looksChanged, this, &DrTriggerWindow::syncLooks);
    connect(&model_, &DrTriggerModel::labelsChanged, this, &DrTriggerWindow::drTriggerApplyLabels);
    connect(&model_, &DrTriggerModel::statusChanged, this, qOverload<>(&QWidget::update));
    drTriggerApplyLabels();
    syncLooks();
}

MyButton* DrTriggerWindow::button(int channel) const {
    return isSpareChannel(channel) ? buttons_[static_cast<std::size_t>(channel)] : nullptr;
}

void DrTriggerWindow::drTriggerApplyLabels() {
    const QStringList texts = model_.drTriggerLabels();
    for (int i = 0; i < kSpareChannels; ++i) {
        buttons_[static_cast<std::size_t>(i)]->setText(texts.value(i));
    }
}

void DrTriggerWindow::syncLooks() {
    for (int i = 0; i < kSpareChannels; ++i) {
        MyButton* button = buttons_[static_cast<std::size_t>(i)];
        button_panel::showLook(button, model_.look(i));
        const DrTriggerModel::Mark mark = model_.mark(i);
        button->setMark(mark == DrTriggerModel::Mark::Pending  ? kPendingMark
                        : mark == DrTriggerModel::Mark::Failed ? kFailedMark
                                                               : QColor());
    }
    spareList_->setCurrentIndex(model_.spareChannel());
    spareList_->setEnabled(model_.spareSelectable());
}

void DrTriggerWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    button_panel::paint(painter, rect(), DrTriggerModel::captions());
    button_panel::paintStatus(painter, kStatusAt, width() - 2 * kStatusAt.x(), model_.statusText());
}

} // namespace varento
