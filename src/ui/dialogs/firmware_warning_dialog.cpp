#include "ui/dialogs/firmware_warning_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

FirmwareWarningDialog::FirmwareWarningDialog(const QString& text, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Firmware Warning"));
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);

    auto* message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("1063"));
    message->setWordWrap(true);
    message->setMinimumWidth(360);
    dontShow_ = new QCheckBox(QStringLiteral("Don't show this message again."), this);
    dontShow_->setObjectName(QStringLiteral("1021"));

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(dontShow_);
    layout->addWidget(buttons);
}

bool FirmwareWarningDialog::showAgain() const {
    return !dontShow_->isChecked();
}

void FirmwareWarningDialog::reject() {
    // Escape and the close box do nothing: the user answers with OK.
}

} // namespace varento
