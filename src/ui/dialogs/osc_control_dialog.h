#pragma once

#include "osc/osc_settings.h"

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace varento {

namespace osc {
class Server;
}

// Settings > "OSC Control...": the OSC server on or off, its port, the address it
// listens on (this computer only, unless the user opens it to an interface), the
// clients let in and read only, with what it has handled and refused so far. OK
// opens the server as set and keeps the settings; a port that cannot be opened is
// said in the dialog, which stays open.
class OscControlDialog : public QDialog {
    Q_OBJECT

public:
    OscControlDialog(osc::Server& server, QWidget* parent = nullptr);

    osc::Settings chosen() const;
    void accept() override;

signals:
    void applied(const osc::Settings& settings);

private:
    void showCounters();

    osc::Server& server_;
    QCheckBox* enabled_;
    QSpinBox* port_;
    QComboBox* address_;
    QLineEdit* allowed_;
    QCheckBox* readOnly_;
    QLabel* counters_;
    QLabel* refusal_;
    QTimer refresh_;
};

} // namespace varento
