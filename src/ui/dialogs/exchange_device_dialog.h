#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QComboBox;
class QPushButton;

namespace varento {

// "Exchange Device": a project dataset whose unit is missing goes to another
// online unit. The texts ("user name - unit id") come from the caller.
class ExchangeDeviceDialog : public QDialog {
    Q_OBJECT
public:
    ExchangeDeviceDialog(const QString& missingUnitText, const QStringList& onlineUnits,
                         QWidget* parent = nullptr);

    // After OK: the index into the online units; OK is not offered without one.
    std::optional<int> choice() const;

private:
    QComboBox* units_;
    QPushButton* ok_;
};

} // namespace varento
