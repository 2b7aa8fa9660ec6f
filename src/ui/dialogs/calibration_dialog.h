#pragma once

#include "ui/dialogs/calibration_model.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace varento {

// "AD/DA Calibration": the unit's AD and DA calibration in dB and the manual
// calibration switch. Edits the record directly; Apply asks the owner to send.
class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationDialog(DeviceRecord& record, QWidget* parent = nullptr);

    void accept() override;

signals:
    // "&Apply": the factors are stored; the owner sends them to the unit.
    void applyRequested();

private:
    void apply();
    void showValues();

    CalibrationModel model_;
    QCheckBox* manual_;
    QLineEdit* ad_;
    QLineEdit* da_;
    QLabel* adFactor_;
    QLabel* daFactor_;
};

} // namespace varento
