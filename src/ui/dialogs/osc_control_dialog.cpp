#include "ui/dialogs/osc_control_dialog.h"

#include "osc/osc_server.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QSpinBox>
#include <QVBoxLayout>

namespace varento {

OscControlDialog::OscControlDialog(osc::Server& server, QWidget* parent)
    : QDialog(parent), server_(server),
      enabled_(new QCheckBox(QStringLiteral("&Enable OSC control"), this)),
      port_(new QSpinBox(this)), address_(new QComboBox(this)), allowed_(new QLineEdit(this)),
      readOnly_(new QCheckBox(QStringLiteral("&Read only (feedback, no edits)"), this)),
      counters_(new QLabel(this)), refusal_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("OSC Control"));
    const osc::Settings& s = server.settings();
    enabled_->setChecked(s.enabled);
    port_->setRange(1, 65535);
    port_->setValue(s.port);
    address_->addItem(QStringLiteral("127.0.0.1 (this computer only)"),
                      QStringLiteral("127.0.0.1"));
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
            address_->addItem(a.toString(), a.toString());
        }
    }
    address_->addItem(QStringLiteral("0.0.0.0 (every network interface)"),
                      QStringLiteral("0.0.0.0"));
    const int at = address_->findData(s.address);
    if (at < 0) {
        address_->addItem(s.address, s.address);
    }
    address_->setCurrentIndex(at < 0 ? address_->count() - 1 : at);
    allowed_->setText(s.allowed.join(QStringLiteral(", ")));
    allowed_->setPlaceholderText(QStringLiteral("every client that reaches the address"));
    readOnly_->setChecked(s.readOnly);
    refusal_->setWordWrap(true);
    refusal_->hide();

    auto* form = new QFormLayout;
    form->addRow(enabled_);
    form->addRow(QStringLiteral("UDP &port:"), port_);
    form->addRow(QStringLiteral("&Listen on:"), address_);
    form->addRow(QStringLiteral("&Allowed clients:"), allowed_);
    form->addRow(readOnly_);
    auto* folder = new QLabel(server.fileFolder(), this);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setWordWrap(true);
    form->addRow(QStringLiteral("Presets and projects from:"), folder);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(counters_);
    layout->addWidget(refusal_);
    layout->addWidget(buttons);
    // A flood changes the counters thousands of times a second; the line follows
    // at most five times a second.
    refresh_.setSingleShot(true);
    refresh_.setInterval(200);
    connect(&refresh_, &QTimer::timeout, this, &OscControlDialog::showCounters);
    connect(&server_, &osc::Server::countersChanged, this, [this] {
        if (!refresh_.isActive()) {
            refresh_.start();
        }
    });
    showCounters();
}

osc::Settings OscControlDialog::chosen() const {
    osc::Settings s;
    s.enabled = enabled_->isChecked();
    s.port = port_->value();
    s.address = address_->currentData().toString();
    for (const QString& a : allowed_->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        s.allowed << a.trimmed();
    }
    s.readOnly = readOnly_->isChecked();
    return s;
}

void OscControlDialog::accept() {
    const osc::Settings s = chosen();
    for (const QString& a : s.allowed) {
        if (QHostAddress(a).isNull()) {
            refusal_->setText(QStringLiteral("\"%1\" is not an IP address.").arg(a));
            refusal_->show();
            return;
        }
    }
    if (const auto error = server_.apply(s)) {
        refusal_->setText(*error);
        refusal_->show();
        return;
    }
    emit applied(s);
    QDialog::accept();
}

void OscControlDialog::showCounters() {
    counters_->setText(QStringLiteral("%1: %2 message(s) handled, %3 packet(s) refused, %4 "
                                      "subscriber(s).")
                           .arg(server_.listening()
                                    ? QStringLiteral("Listening on port %1").arg(server_.port())
                                    : QStringLiteral("Not listening"))
                           .arg(server_.handledMessages())
                           .arg(server_.refusedPackets())
                           .arg(server_.subscriberCount()));
}

} // namespace varento
