#include "device_commands.h"

#include "text_format.h"

#include "app/cp1252.h"

#include <QJsonArray>

namespace varento::cli {

namespace {

QString stateName(const KnownDevice& entry) {
    switch (entry.presence) {
    case presence::online:
        return "online";
    case presence::markedForRemoval:
        return "removed"; // marked in the dialog, freed by its next OK
    default:
        return "offline";
    }
}

} // namespace

QString deviceListToText(const DeviceList& list) {
    if (list.empty()) {
        return "The device list is empty.\n";
    }
    int typeWidth = 6;
    for (const KnownDevice& entry : list) {
        typeWidth = std::max(typeWidth, static_cast<int>(fromWindows1252(entry.typeName).size()));
    }
    QString text = QString("Pos  %1  %2  %3  Name\n")
                       .arg("UID", -32)
                       .arg("State", -7)
                       .arg("Device", -typeWidth);
    for (const KnownDevice& entry : list) {
        text += QString("%1  %2  %3  %4  %5\n")
                    .arg(entry.position, 3)
                    .arg(uidHex(entry.uid))
                    .arg(stateName(entry), -7)
                    .arg(fromWindows1252(entry.typeName), -typeWidth)
                    .arg(fromWindows1252(entry.userName));
    }
    return text;
}

QJsonObject deviceListToJson(const DeviceList& list) {
    QJsonArray devices;
    for (const KnownDevice& entry : list) {
        devices.append(QJsonObject{
            {"position", entry.position},
            {"uid", uidHex(entry.uid)},
            {"state", stateName(entry)},
            {"typeName", fromWindows1252(entry.typeName)},
            {"name", fromWindows1252(entry.userName)},
            {"firmware", QString("%1.%2").arg(entry.fwMajor).arg(entry.fwMinor)},
        });
    }
    return QJsonObject{{"devices", devices}};
}

} // namespace varento::cli
