#pragma once

#include "ui/dialogs/serial_port_model.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace varento {

// "Select Serial Port": OK is offered once a port is selected.
class SerialPortDialog : public QDialog {
    Q_OBJECT
public:
    SerialPortDialog(SerialPortModel model, QWidget* parent = nullptr);

    // After OK: the chosen port.
    std::optional<SerialPortModel::Port> selectedPort() const;

private:
    SerialPortModel model_;
    QListWidget* list_;
    QPushButton* ok_;
};

} // namespace varento
