#include "protocol/level_conversion.h"

#include <cmath>

namespace varento {

float levelDbFromCode(std::uint8_t code) {
    code &= 0x7F; // bit 7 takes no part
    if (code == 0x68) {
        return 0.0f; // the reference level, pinned (the formula gives about -0.06 dB)
    }
    const int exponent = (code >> 3) & 0x0F;
    const int mantissa = code & 0x07;
    if (exponent == 0) {
        static constexpr float kFloor[8] = {-255, -144, -108, -102, -96, -90, -84, -78};
        return kFloor[mantissa];
    }
    const double amplitude = (mantissa + 8) * std::ldexp(1.0, exponent - 19);
    return static_cast<float>(20.0 * std::log10(amplitude)) + 18.0f;
}

} // namespace varento
