#include "ui/dialogs/device_manager_dialog.h"

#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/report_list.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

DeviceManagerDialog::DeviceManagerDialog(DeviceList& list, Interaction& interaction,
                                         QWidget* parent)
    : QDialog(parent), model_(list, interaction), list_(new ReportList(this)) {
    setWindowTitle(QStringLiteral("Device Manager"));
    list_->setObjectName(QStringLiteral("1054"));
    list_->setModel(&model_);
    list_->setColumnWidths(DeviceManagerModel::kColumnWidths);
    list_->setRowDragging(true);
    list_->setMinimumHeight(240);
    connect(list_, &ReportList::deleteRequested, &model_, &DeviceManagerModel::requestDelete);
    connect(list_, &ReportList::editRequested, this, &DeviceManagerDialog::rename);
    connect(list_, &ReportList::rowDropped, this, &DeviceManagerDialog::moveRow);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void DeviceManagerDialog::done(int result) {
    if (result != QDialog::Accepted) {
        model_.putBack();
    }
    QDialog::done(result);
}

void DeviceManagerDialog::rename(int row) {
    if (const auto name =
            EditLabelDialog::edit(model_.name(row), DeviceManager::kNameLimit, this)) {
        model_.rename(row, *name);
    }
}

void DeviceManagerDialog::moveRow(int from, int gap) {
    if (model_.drop(from, gap)) {
        list_->selectRow(gap > from ? gap - 1 : gap);
    }
}

} // namespace varento
