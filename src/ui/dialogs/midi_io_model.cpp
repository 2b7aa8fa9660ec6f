#include "ui/dialogs/midi_io_model.h"

#include "app/interaction.h"

namespace varento {

MidiIoModel::MidiIoModel(QStringList inputs, QStringList outputs, int currentInput,
                         int currentOutput)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs)), currentInput_(currentInput),
      currentOutput_(currentOutput) {}

void MidiIoModel::open(Interaction& interaction) {
    inputItems_.clear();
    outputItems_.clear();
    if (inputs_.isEmpty()) {
        interaction.inform(QStringLiteral("Error"), QStringLiteral("No MIDI Input found!"),
                           MessageIcon::Error);
        return;
    }
    inputItems_ = inputs_;
    if (outputs_.isEmpty()) {
        interaction.inform(QStringLiteral("Error"), QStringLiteral("No MIDI Output found!"),
                           MessageIcon::Error);
        return;
    }
    outputItems_ = outputs_;
}

int MidiIoModel::initialInput() const {
    return currentInput_ >= 0 && currentInput_ < inputItems_.size() ? currentInput_ : -1;
}

int MidiIoModel::initialOutput() const {
    return currentOutput_ >= 0 && currentOutput_ < outputItems_.size() ? currentOutput_ : -1;
}

std::optional<std::pair<int, int>> MidiIoModel::choose(int input, int output) const {
    if (input < 0 || input >= inputItems_.size() || output < 0 || output >= outputItems_.size()) {
        return std::nullopt;
    }
    return std::pair{input, output};
}

} // namespace varento
