#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varento {

// The "Select Serial Port" list: the ports that can be opened now, with the
// remembered one selected.
class SerialPortModel {
public:
    struct Port {
        QString name; // "COM3", "ttyUSB0"
        QString path; // "\\.\COM3", "/dev/ttyUSB0"
    };

    SerialPortModel(QList<Port> ports, QString rememberedPath);

    QStringList items() const;
    // -1 when the remembered port is not among them.
    int initialSelection() const;
    // OK: the chosen port, nothing for no selection.
    std::optional<Port> choose(int index) const;

private:
    QList<Port> ports_;
    QString remembered_;
};

} // namespace varento
