#pragma once

#include <QDialog>

class QCheckBox;

namespace varento {

// "Firmware Warning": the update text and "Don't show this message again.";
// only OK closes it.
class FirmwareWarningDialog : public QDialog {
    Q_OBJECT
public:
    FirmwareWarningDialog(const QString& text, QWidget* parent = nullptr);

    // Whether warnings are to be shown again: false when the box is ticked.
    bool showAgain() const;

    void reject() override;

private:
    QCheckBox* dontShow_;
};

} // namespace varento
