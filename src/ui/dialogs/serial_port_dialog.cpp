#include "ui/dialogs/serial_port_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace varento {

SerialPortDialog::SerialPortDialog(SerialPortModel model, QWidget* parent)
    : QDialog(parent), model_(std::move(model)) {
    setWindowTitle(QStringLiteral("Select Serial Port"));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("1053"));
    list_->addItems(model_.items());
    list_->setCurrentRow(model_.initialSelection());
    if (model_.initialSelection() < 0) {
        list_->clearSelection();
    }

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto updateOk = [this] { ok_->setEnabled(!list_->selectedItems().isEmpty()); };
    connect(list_, &QListWidget::itemSelectionChanged, this, updateOk);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    updateOk();

    auto* layout = new QVBoxLayout(this);
    if (list_->count() == 0) {
        layout->addWidget(new QLabel(QStringLiteral("No serial port can be opened."), this));
    }
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(260, 240);
}

std::optional<SerialPortModel::Port> SerialPortDialog::selectedPort() const {
    if (list_->selectedItems().isEmpty()) {
        return std::nullopt;
    }
    return model_.choose(list_->currentRow());
}

} // namespace varento
