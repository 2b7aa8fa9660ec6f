// "devices": the device list as the device manager edits it, written to devlist.mv
// when the program ends, as the application does.
#include "device_commands.h"
#include "runner.h"
#include "text_format.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "devices/device_manager.h"

#include <QJsonDocument>

namespace varento::cli {

int Runner::devices() {
    // Online means found now: the units are searched for first. Without an answer
    // every unit is offline, and the list can still be edited.
    if (!connectAndDiscover(false) && interrupted_) {
        return exit_status::interrupted;
    }
    DeviceList& list = session_.deviceList();
    if (line_.command != Command::DevicesList) {
        DeviceManager manager(list);
        const int row = line_.uid ? manager.rowOf(*line_.uid) : -1;
        if (row < 0) {
            return fail(exit_status::noAnswer, QString("No unit with the id %1 is in the device "
                                                       "list.")
                                                   .arg(uidHex(line_.uid.value_or(DeviceUid{}))));
        }
        switch (line_.command) {
        case Command::DevicesRename:
            if (const auto unkept = firstUnkeptCharacter(line_.name)) {
                return fail(exit_status::usage, unkeptCharacterText(*unkept));
            }
            manager.rename(row,
                           toWindows1252(composed(line_.name).left(DeviceManager::kNameLimit - 1)));
            break;
        case Command::DevicesMove:
            if (line_.index > manager.rowCount()) {
                return fail(exit_status::usage, QString("The position must be 1..%1, not %2.")
                                                    .arg(manager.rowCount())
                                                    .arg(line_.index));
            }
            manager.moveTo(row, line_.index - 1);
            break;
        default:
            if (manager.checkDelete(row) == DeviceManager::DeleteCheck::Online) {
                return fail(exit_status::noAnswer, device_manager_text::onlineText);
            }
            manager.deleteRow(row);
            break;
        }
        if (const std::error_code error = session_.deviceManagerAccepted()) {
            return fail(exit_status::file, QString("The device list could not be written: %1.")
                                               .arg(QString::fromStdString(error.message())));
        }
    }
    endProgress();
    console_.out(line_.json ? QString::fromUtf8(QJsonDocument(deviceListToJson(list)).toJson())
                            : deviceListToText(list));
    return exit_status::ok;
}

} // namespace varento::cli
