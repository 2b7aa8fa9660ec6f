#pragma once

#include "protocol/device_record.h"
#include "protocol/discovered_list.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varento {

// Result codes of handleFrame.
namespace frame_result {
inline constexpr int accepted = 0;
inline constexpr int unknownCommand = 201; // also more than 128 level codes
inline constexpr int noStartByte = 202;
inline constexpr int badLength = 203;
inline constexpr int otherUnit = 204;
} // namespace frame_result

// Change codes carried by the data-changed notification.
namespace change {
inline constexpr int none = 0;
inline constexpr int parameters = 1;
inline constexpr int routing = 2;
inline constexpr int gains = 4;
inline constexpr int levels = 5;
inline constexpr int unitList = 6;
} // namespace change

// What a frame did. The caller notifies: data changed (changeCode) first when
// `notify` is set, then model changed when `modelChanged` is set.
struct FrameOutcome {
    int result = frame_result::accepted;
    int changeCode = change::none;
    bool notify = false;
    bool modelChanged = false;
};

// The unit a frame is addressed to or comes from; the all-units id for a frame
// too short to name one.
DeviceUid frameUnit(std::span<const std::uint8_t> frame);

// The unit ids of a unit-list (discovery answer) frame, in order; nothing for
// any other frame.
std::vector<DeviceUid> unitListIds(std::span<const std::uint8_t> frame);

// Applies one received frame to `record` (and unit lists to `discovered`),
// detecting changes against `shadow`. Never reads past `frame`.
FrameOutcome handleFrame(std::span<const std::uint8_t> frame, DeviceRecord& record,
                         DeviceRecord& shadow, DiscoveredList& discovered);

} // namespace varento
