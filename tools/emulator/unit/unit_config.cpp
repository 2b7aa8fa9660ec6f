#include "unit_config.h"

#include <charconv>

namespace varento::emu {

namespace {

std::optional<int> parseDecimal(std::string_view text, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < 0 || value > max) {
        return std::nullopt;
    }
    return value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<DeviceUid> parseUid(std::string_view text) {
    DeviceUid uid;
    if (text.size() != 2 * uid.bytes.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < uid.bytes.size(); ++i) {
        const int hi = hexDigit(text[2 * i]);
        const int lo = hexDigit(text[2 * i + 1]);
        // Every frame byte but the markers has bit 7 clear, so must the uid.
        if (hi < 0 || lo < 0 || hi > 7) {
            return std::nullopt;
        }
        uid.bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return uid;
}

std::string uidText(const DeviceUid& uid) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : uid.bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::optional<UnitConfig> parseUnitConfig(std::string_view text, std::string& error) {
    const std::string quoted = "unit \"" + std::string(text) + "\": ";
    UnitConfig unit;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        const auto daemon = parseDecimal(text.substr(at + 1), 31);
        if (!daemon) {
            error = quoted + "the daemon after '@' must be a number 0..31";
            return std::nullopt;
        }
        unit.daemon = *daemon;
        text = text.substr(0, at);
    }
    const auto first = text.find(':');
    const auto second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
        error = quoted + "expected MODEL:UID:MAJOR.MINOR";
        return std::nullopt;
    }
    const auto model = parseDecimal(text.substr(0, first), 127);
    if (!model) {
        error = quoted + "the model code must be a number 0..127";
        return std::nullopt;
    }
    const auto uid = parseUid(text.substr(first + 1, second - first - 1));
    if (!uid) {
        error = quoted + "the uid must be 32 hexadecimal digits, each byte 00..7F";
        return std::nullopt;
    }
    if (*uid == DeviceUid::broadcast()) {
        error = quoted + "the uid of sixteen 0F bytes addresses every unit and cannot be a unit's";
        return std::nullopt;
    }
    const std::string_view version = text.substr(second + 1);
    const auto dot = version.find('.');
    const auto major =
        dot == std::string_view::npos ? std::nullopt : parseDecimal(version.substr(0, dot), 127);
    const auto minor =
        dot == std::string_view::npos ? std::nullopt : parseDecimal(version.substr(dot + 1), 127);
    if (!major || !minor) {
        error = quoted + "the firmware version must be MAJOR.MINOR, each 0..127";
        return std::nullopt;
    }
    unit.model = static_cast<std::uint8_t>(*model);
    unit.uid = *uid;
    unit.firmwareMajor = static_cast<std::uint8_t>(*major);
    unit.firmwareMinor = static_cast<std::uint8_t>(*minor);
    return unit;
}

std::string unitConfigText(const UnitConfig& unit) {
    std::string text = std::to_string(unit.model) + ":" + uidText(unit.uid) + ":" +
                       std::to_string(unit.firmwareMajor) + "." +
                       std::to_string(unit.firmwareMinor);
    if (unit.daemon) {
        text += "@" + std::to_string(*unit.daemon);
    }
    return text;
}

std::vector<UnitConfig> defaultUnits() {
    auto unit = [](std::uint8_t model, std::string_view uid, std::uint8_t major,
                   std::uint8_t minor) {
        return UnitConfig{model, *parseUid(uid), major, minor, std::nullopt};
    };
    return {
        unit(12, "0C0201000A050F030B0804060E0D0701", 6, 6),
        unit(14, "0E0201000A050F030B0804060E0D0702", 6, 6),
        unit(11, "0B0201000A050F030B0804060E0D0703", 4, 6),
    };
}

std::string duplicateUidError(const std::vector<UnitConfig>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        for (std::size_t j = i + 1; j < units.size(); ++j) {
            if (units[i].uid == units[j].uid) {
                return "two units have the uid " + uidText(units[i].uid) +
                       "; every unit needs its own";
            }
        }
    }
    return {};
}

} // namespace varento::emu
