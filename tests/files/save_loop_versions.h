#pragma once

#include "devices/device_list.h"

#include <string>

namespace varento::testing {

// The two device lists the save loop alternates between: different lengths and
// contents, so that any mix of them is told apart from either.
inline DeviceList saveLoopVersion(int which) {
    DeviceList list;
    const int count = which == 0 ? 3000 : 1500;
    for (int i = 0; i < count; ++i) {
        DeviceUid uid;
        uid.bytes[0] = static_cast<std::uint8_t>(which);
        uid.bytes[1] = static_cast<std::uint8_t>(i & 0x7F);
        uid.bytes[2] = static_cast<std::uint8_t>(i >> 7);
        KnownDevice* e = list.addOrRefresh(uid, which == 0 ? "VARENTO.PX" : "VARENTO.LC", 1, 2);
        e->userName = std::string(static_cast<std::size_t>(100 + i % 100), which == 0 ? 'a' : 'b');
    }
    return list;
}

} // namespace varento::testing
