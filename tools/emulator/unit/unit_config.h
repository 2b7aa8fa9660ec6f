#pragma once

#include "protocol/device_uid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varento::emu {

// Who a unit is: what it reports in the unit list and in parameters 25, 27, 28.
struct UnitConfig {
    std::uint8_t model = 0;
    DeviceUid uid;
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;
    // Network only: the daemon that serves the unit; none spreads the units evenly.
    std::optional<int> daemon;

    friend bool operator==(const UnitConfig&, const UnitConfig&) = default;
};

// "MODEL:UID:MAJOR.MINOR" with an optional "@DAEMON"; MODEL, MAJOR and MINOR are
// decimal 0..127, UID is 32 hexadecimal digits, two per byte, each byte 00..7F.
// On failure returns nothing and says why in `error`.
std::optional<UnitConfig> parseUnitConfig(std::string_view text, std::string& error);

// 32 upper-case hexadecimal digits, the form parseUnitConfig reads.
std::string uidText(const DeviceUid& uid);
std::optional<DeviceUid> parseUid(std::string_view text);

// What a unit is written as on the command line.
std::string unitConfigText(const UnitConfig& unit);

// A VARENTO 2, a VARENTO 2.PX SRC and a VARENTO.LC, all on current firmware.
std::vector<UnitConfig> defaultUnits();

// Empty when every uid is distinct; otherwise names the first uid given twice.
std::string duplicateUidError(const std::vector<UnitConfig>& units);

} // namespace varento::emu
