#pragma once

#include <QStringList>

#include <optional>
#include <utility>

namespace varento {

class Interaction;

// The "MIDI I/O" lists. The dialog changes nothing until OK, so Cancel leaves
// the devices, names and flags as they were.
class MidiIoModel {
public:
    MidiIoModel(QStringList inputs, QStringList outputs, int currentInput, int currentOutput);

    // Opening: says when there is no input or no output device. No input device
    // leaves both lists empty.
    void open(Interaction& interaction);

    const QStringList& inputItems() const { return inputItems_; }
    const QStringList& outputItems() const { return outputItems_; }
    int initialInput() const;
    int initialOutput() const;

    // OK: the chosen input and output device, nothing unless both are chosen.
    std::optional<std::pair<int, int>> choose(int input, int output) const;

private:
    QStringList inputs_;
    QStringList outputs_;
    QStringList inputItems_;
    QStringList outputItems_;
    int currentInput_;
    int currentOutput_;
};

} // namespace varento
