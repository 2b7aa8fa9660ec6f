#pragma once

#include "devices/device_list.h"
#include "protocol/device_record.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace varento::cli {

// One unit as discovery found it, with what the device list knows about it.
struct FoundUnit {
    DeviceUid uid;
    std::uint8_t model = 0;
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;
    std::optional<KnownDevice> known;
};

// The whole state of one unit as gathered.
struct UnitState {
    DeviceRecord record;
    std::optional<KnownDevice> known;
    bool levelsRead = false; // levelCodes and levelDb came from the unit
};

QJsonObject foundUnitToJson(const FoundUnit& unit);
// An aligned table with a heading line.
QString foundUnitsToText(const std::vector<FoundUnit>& units);

QJsonObject unitStateToJson(const UnitState& unit);
QString unitStateToText(const UnitState& unit);

// The routing of one unit, one entry per output 0..191: its source (none for 255)
// and the buses 1..4 that the channel of the same number is summed onto, with the
// unit's labels. Sources 192..195 are the buses.
QJsonObject routingToJson(const DeviceRecord& record, const std::optional<KnownDevice>& known);
// An aligned table with a heading line: one row per output.
QString routingToText(const DeviceRecord& record);

} // namespace varento::cli
