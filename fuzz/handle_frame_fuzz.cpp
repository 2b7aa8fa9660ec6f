// Arbitrary bytes as a received frame, against a record and its shadow. The first
// byte picks how the record is prepared so both uid paths are reached.
#include "protocol/handle_frame.h"

#include <algorithm>
#include <cstdint>
#include <span>

using namespace varento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static DeviceRecord current;
    static DeviceRecord shadow;
    static DiscoveredList list;
    resetToPowerOnDefaults(current);
    if (data[0] & 1) {
        clearShadow(shadow);
    }
    list.clear();
    std::span<const std::uint8_t> frame(data + 1, size - 1);
    // Address the record to the frame's own uid half of the time.
    if ((data[0] & 2) && frame.size() >= 17) {
        std::copy_n(frame.begin() + 1, 16, current.uid.bytes.begin());
    }
    const FrameOutcome outcome = handleFrame(frame, current, shadow, list);
    if (outcome.result == 0 && outcome.changeCode != change::unitList && list.count() != 0) {
        __builtin_trap(); // only a unit list may add units
    }
    for (std::uint8_t gain : current.inputGain) {
        if (gain < 8 || gain > 63) {
            __builtin_trap();
        }
    }
    return 0;
}
