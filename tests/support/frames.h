#pragma once

// Frames written out byte by byte, as a unit would send them, independent of the builders.

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "protocol/device_uid.h"

namespace varento::testing {

inline DeviceUid uidOf(int seed) {
    DeviceUid uid;
    for (std::size_t i = 0; i < uid.bytes.size(); ++i) {
        uid.bytes[i] = static_cast<std::uint8_t>((static_cast<std::size_t>(seed) + i) & 0x0F);
    }
    return uid;
}

using Bytes = std::vector<std::uint8_t>;

inline Bytes frameOf(const DeviceUid& uid, int command,
                     std::initializer_list<std::uint8_t> payload = {}, bool withEnd = true) {
    Bytes f{0xF0};
    f.insert(f.end(), uid.bytes.begin(), uid.bytes.end());
    f.push_back(static_cast<std::uint8_t>(command));
    f.insert(f.end(), payload.begin(), payload.end());
    if (withEnd) {
        f.push_back(0xF7);
    }
    return f;
}

inline Bytes header(const DeviceUid& uid, int command) {
    return frameOf(uid, command, {}, false);
}

// A discovery answer listing units with their model, firmware 4.1.
inline Bytes unitListFrame(std::initializer_list<std::pair<DeviceUid, int>> units) {
    Bytes f = header(DeviceUid::broadcast(), 0x0E);
    for (const auto& [uid, model] : units) {
        f.insert(f.end(), uid.bytes.begin(), uid.bytes.end());
        f.insert(f.end(), {static_cast<std::uint8_t>(model), 4, 1});
    }
    f.push_back(0xF7);
    return f;
}

} // namespace varento::testing
