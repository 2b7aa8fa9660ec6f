#pragma once

#include "ui/dialogs/midi_io_model.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace varento {

// "MIDI I/O": one input and one output device; OK is offered once both are chosen.
class MidiIoDialog : public QDialog {
    Q_OBJECT
public:
    // The model has been opened (its messages shown) before the dialog is built.
    MidiIoDialog(MidiIoModel model, QWidget* parent = nullptr);

    // After OK: the chosen input and output device.
    std::optional<std::pair<int, int>> choice() const;

private:
    MidiIoModel model_;
    QComboBox* input_;
    QComboBox* output_;
    QPushButton* ok_;
};

} // namespace varento
