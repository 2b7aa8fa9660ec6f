#include "ui/dialogs/edit_label_dialog.h"

#include "app/cp1252.h"
#include "ui/dialogs/guarded_modal.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

EditLabelDialog::EditLabelDialog(const QString& text, int limit, QWidget* parent)
    : QDialog(parent), original_(text), limit_(limit), field_(new QLineEdit(this)),
      refusal_(new QLabel(this)) {
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Edit Label"));
    field_->setObjectName(QStringLiteral("1041"));
    field_->setMaxLength(limit - 1);
    field_->setText(text);
    field_->selectAll();
    field_->setMinimumWidth(220);
    refusal_->setObjectName(QStringLiteral("refusal"));
    refusal_->setWordWrap(true);
    refusal_->hide();
    connect(field_, &QLineEdit::textEdited, refusal_, &QLabel::hide);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("1"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(refusal_);
    layout->addWidget(buttons);
}

QString EditLabelDialog::taken(const QString& typed, int limit) {
    return composed(typed).left(limit - 1);
}

void EditLabelDialog::accept() {
    // Said in the dialog itself: a message box would be another nested loop.
    if (const auto unkept = firstUnkeptCharacter(field_->text())) {
        refusal_->setText(unkeptCharacterText(*unkept));
        refusal_->show();
        return;
    }
    QDialog::accept();
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
