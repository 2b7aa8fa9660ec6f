#include "ui/dialogs/edit_label_dialog.h"

#include "ui/dialogs/guarded_modal.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

EditLabelDialog::EditLabelDialog(const QString& text, int limit, QWidget* parent)
    : QDialog(parent), original_(text), limit_(limit), field_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Edit Label"));
    field_->setObjectName(QStringLiteral("1041"));
    field_->setMaxLength(limit);
    field_->setText(text);
    field_->selectAll();
    field_->setMinimumWidth(220);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(buttons);
}

QString EditLabelDialog::label() const {
    return QDialog::result() == QDialog::Accepted ? taken(field_->text(), limit_) : original_;
}

std::optional<QString> EditLabelDialog::edit(const QString& text, int limit, QWidget* parent) {
    auto* dialog = new EditLabelDialog(text, limit, parent);
    const auto result = execGuarded(dialog);
    if (!result) {
        return std::nullopt; // gone with the window it was opened over
    }
    std::optional<QString> label;
    if (*result == QDialog::Accepted) {
        label = dialog->label();
    }
    delete dialog;
    return label;
}

void EditLabelDialog::closeAll() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<EditLabelDialog*>(window)) {
            dialog->reject();
        }
    }
}

} // namespace varento
