#include "ui/dialogs/exchange_device_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

ExchangeDeviceDialog::ExchangeDeviceDialog(const QString& missingUnitText,
                                           const QStringList& onlineUnits, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Exchange Device"));

    auto* missing = new QLabel(QStringLiteral("N/A"), this);
    missing->setObjectName(QStringLiteral("1081"));
    if (!missingUnitText.isEmpty()) {
        missing->setText(missingUnitText);
    }
    missing->setTextInteractionFlags(Qt::TextSelectableByMouse);

    units_ = new QComboBox(this);
    units_->setObjectName(QStringLiteral("1043"));
    units_->addItems(onlineUnits);
    units_->setCurrentIndex(onlineUnits.isEmpty() ? -1 : 0);
    units_->setMinimumWidth(320);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    ok_->setEnabled(!onlineUnits.isEmpty());
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Missing Unit:"), this));
    layout->addWidget(missing);
    layout->addWidget(new QLabel(QStringLiteral("Select device to use instead:"), this));
    layout->addWidget(units_);
    layout->addWidget(buttons);
}

std::optional<int> ExchangeDeviceDialog::choice() const {
    const int index = units_->currentIndex();
    return index >= 0 ? std::optional<int>(index) : std::nullopt;
}

} // namespace varento
