#pragma once

#include "devices/device_list.h"

#include <QJsonObject>
#include <QString>

namespace varento::cli {

// "devices": the device list in list order with positions, online state, type
// and user names.
QString deviceListToText(const DeviceList& list);
QJsonObject deviceListToJson(const DeviceList& list);

} // namespace varento::cli
