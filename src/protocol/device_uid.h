#pragma once

#include <array>
#include <cstdint>

namespace varento {

// 16 bytes of 7-bit values, compared byte for byte and never interpreted.
struct DeviceUid {
    std::array<std::uint8_t, 16> bytes{};

    // Sixteen 0x0F bytes address every unit; a reset record carries it as "no unit".
    static constexpr DeviceUid broadcast() {
        DeviceUid uid;
        uid.bytes.fill(0x0F);
        return uid;
    }

    friend bool operator==(const DeviceUid&, const DeviceUid&) = default;
    friend auto operator<=>(const DeviceUid&, const DeviceUid&) = default;
};

} // namespace varento
