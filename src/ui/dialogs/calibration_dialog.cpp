#include "ui/dialogs/calibration_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varento {

CalibrationDialog::CalibrationDialog(DeviceRecord& record, QWidget* parent)
    : QDialog(parent), model_(record) {
    setWindowTitle(QStringLiteral("AD/DA Calibration"));

    manual_ = new QCheckBox(QStringLiteral("Enable Manual AD/DA Calibration"), this);
    manual_->setObjectName(QStringLiteral("1070"));
    manual_->setChecked(model_.manual());
    connect(manual_, &QCheckBox::toggled, this, [this](bool on) { model_.setManual(on); });

    auto makeEdit = [this](const char* id) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(id));
        edit->setMaxLength(CalibrationModel::kMaxTextLength);
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(80);
        return edit;
    };
    ad_ = makeEdit("1073");
    da_ = makeEdit("1074");
    ad_->setEnabled(model_.adEditable());

    adFactor_ = new QLabel(this);
    adFactor_->setObjectName(QStringLiteral("1075"));
    adFactor_->hide();
    daFactor_ = new QLabel(this);
    daFactor_->setObjectName(QStringLiteral("1076"));
    daFactor_->hide();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("AD (dB):"), ad_);
    form->addRow(QStringLiteral("DA (dB):"), da_);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    auto* applyButton = buttons->addButton(QStringLiteral("&Apply"), QDialogButtonBox::ApplyRole);
    applyButton->setObjectName(QStringLiteral("1042"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &CalibrationDialog::apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(manual_);
    layout->addLayout(form);
    layout->addWidget(adFactor_);
    layout->addWidget(daFactor_);
    layout->addWidget(buttons);
    showValues();
}

void CalibrationDialog::showValues() {
    ad_->setText(model_.adText());
    da_->setText(model_.daText());
    adFactor_->setText(model_.adFactorText());
    daFactor_->setText(model_.daFactorText());
}

void CalibrationDialog::apply() {
    model_.store(ad_->text(), da_->text());
    emit applyRequested();
    showValues();
}

void CalibrationDialog::accept() {
    model_.store(ad_->text(), da_->text());
    QDialog::accept();
}

} // namespace varento
