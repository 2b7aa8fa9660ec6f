#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace varento {

// Whether `set` may send a parameter on its own.
enum class Settable {
    Yes,
    ReadOnly,    // reported by the unit
    Calibration, // travels only as the calibration sequence
    Unused,      // 26: no parameter
};

struct ParameterInfo {
    int number;
    const char* name; // the record's field name
    Settable settable;
};

inline constexpr int kParameterCount = 29; // 0..28

// nullptr outside 0..28.
const ParameterInfo* parameterInfo(int number);
// A number 0..28 or a name (either case).
std::optional<int> parameterNumber(std::string_view text);
// A short reading of the value where one helps ("48 kHz, internal clock"); empty otherwise.
QString parameterMeaning(int number, std::uint8_t value);

} // namespace varento
