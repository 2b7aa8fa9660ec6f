#pragma once

#include <cstdint>

namespace varento {

// A unit's level code (4-bit exponent, 3-bit mantissa) in dB.
float levelDbFromCode(std::uint8_t code);

} // namespace varento
