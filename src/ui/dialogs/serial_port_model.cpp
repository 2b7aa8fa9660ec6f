#include "ui/dialogs/serial_port_model.h"

#include <utility>

namespace varento {

SerialPortModel::SerialPortModel(QList<Port> ports, QString rememberedPath)
    : ports_(std::move(ports)), remembered_(std::move(rememberedPath)) {}

QStringList SerialPortModel::items() const {
    QStringList names;
    for (const Port& port : ports_) {
        names << port.name;
    }
    return names;
}

int SerialPortModel::initialSelection() const {
    if (remembered_.isEmpty()) {
        return -1;
    }
    for (qsizetype i = 0; i < ports_.size(); ++i) {
        if (ports_[i].path == remembered_) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<SerialPortModel::Port> SerialPortModel::choose(int index) const {
    if (index < 0 || index >= ports_.size()) {
        return std::nullopt;
    }
    return ports_[index];
}

} // namespace varento
