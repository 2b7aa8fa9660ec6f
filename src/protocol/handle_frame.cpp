#include "protocol/handle_frame.h"

#include "protocol/frame.h"
#include "protocol/level_conversion.h"

#include <algorithm>

namespace varento {

namespace {

using Bytes = std::span<const std::uint8_t>;

FrameOutcome rejected(int result) {
    return {result, change::none, false, false};
}

FrameOutcome notified(int changeCode, bool modelChanged = false) {
    return {frame_result::accepted, changeCode, true, modelChanged};
}

bool uidMatches(Bytes f, const DeviceRecord& record) {
    return std::equal(record.uid.bytes.begin(), record.uid.bytes.end(), f.begin() + 1);
}

std::vector<DeviceUid> unitEntries(Bytes f) {
    std::vector<DeviceUid> uids;
    for (std::size_t off = kPayloadOffset; off < f.size(); off += kUnitListEntrySize) {
        if (f[off] == kFrameEnd || off + kUnitListEntrySize > f.size()) {
            break;
        }
        DeviceUid& uid = uids.emplace_back();
        std::copy_n(f.begin() + static_cast<std::ptrdiff_t>(off), uid.bytes.size(),
                    uid.bytes.begin());
    }
    return uids;
}

FrameOutcome handleUnitList(Bytes f, DeviceRecord& record, DiscoveredList& discovered) {
    if (f.size() <= kPayloadOffset) {
        return notified(change::none);
    }
    std::size_t off = kPayloadOffset;
    for (const DeviceUid& uid : unitEntries(f)) {
        discovered.addOrUpdate(uid, f[off + 16], f[off + 17], f[off + 18],
                               record.searchDaemonIndex);
        off += kUnitListEntrySize;
    }
    return notified(change::unitList);
}

// Stores a byte and tests it against the shadow's copy.
bool storeCompared(std::uint8_t& field, std::uint8_t& shadowField, std::uint8_t value) {
    field = value;
    const bool changed = value != shadowField;
    shadowField = value;
    return changed;
}

FrameOutcome handleParameters(Bytes f, DeviceRecord& record, DeviceRecord& shadow) {
    int code = change::none;
    bool modelChanged = false;
    for (std::size_t off = kPayloadOffset; off + 1 < f.size(); off += 2) {
        const int number = f[off];
        if (number == kFrameEnd) {
            break;
        }
        const std::uint8_t value = f[off + 1];
        bool changed = false;
        switch (number) {
        case param::calibration1High:
            record.calibration1 = value * 128;
            break;
        case param::calibration1Low:
            changed = storeCompared(record.at(number), shadow.at(number), value);
            record.calibration1 |= value & 0x7F;
            break;
        case param::calibration2High:
            changed = storeCompared(record.at(number), shadow.at(number), value);
            record.calibration2 = value * 128;
            break;
        case param::calibration2Low:
            changed = storeCompared(record.at(number), shadow.at(number), value);
            record.calibration2 |= value & 0x7F;
            break;
        case param::model:
            if (storeCompared(record.model, shadow.model, value)) {
                changed = true;
                modelChanged = true;
            }
            break;
        case 26:
            break;
        default:
            if (number > param::last) {
                break;
            }
            changed = storeCompared(record.at(number), shadow.at(number), value);
            if (number == param::ledDim1) {
                record.ledDimEdit1 = value;
            } else if (number == param::ledDim2) {
                record.ledDimEdit2 = value;
            }
            break;
        }
        if (changed) {
            code = change::parameters;
        }
    }
    return notified(code, modelChanged);
}

FrameOutcome handleLevels(Bytes f, DeviceRecord& record, DeviceRecord& shadow) {
    if (f.size() < 128 || f.size() > kLevelsReplyLength) {
        return rejected(frame_result::badLength);
    }
    for (std::size_t off = kPayloadOffset; off < f.size() && f[off] != kFrameEnd; ++off) {
        const std::size_t entry = off - kPayloadOffset;
        if (entry >= kLevelCount) {
            return rejected(frame_result::unknownCommand);
        }
        record.levelCodes[entry] = f[off];
        shadow.levelCodes[entry] = f[off];
    }
    std::transform(record.levelCodes.begin(), record.levelCodes.end(), record.levelDb.begin(),
                   levelDbFromCode);
    return notified(change::levels);
}

FrameOutcome handleRouting(Bytes f, DeviceRecord& record, DeviceRecord& shadow) {
    if (f.size() != kRoutingReplyLength) {
        return rejected(frame_result::badLength);
    }
    int code = change::none;
    for (std::size_t off = kPayloadOffset; off + 4 <= f.size() && f[off] != kFrameEnd; off += 4) {
        const std::size_t slot = (f[off] & 1u) * 128u + (f[off + 1] & 0x7Fu);
        const auto source = static_cast<std::uint8_t>((f[off + 2] << 7) | (f[off + 3] & 0x7F));
        const auto flags = static_cast<std::uint8_t>(f[off + 2] & 0xFE);
        const bool sourceChanged =
            storeCompared(record.routeSource[slot], shadow.routeSource[slot], source);
        const bool flagsChanged =
            storeCompared(record.routeFlags[slot], shadow.routeFlags[slot], flags);
        if (sourceChanged || flagsChanged) {
            code = change::routing;
        }
    }
    return notified(code);
}

std::uint8_t clampInputGain(std::uint8_t value) {
    const auto v = static_cast<std::int8_t>(value);
    return static_cast<std::uint8_t>(std::clamp<int>(v, 8, 63));
}

FrameOutcome handleGains(Bytes f, DeviceRecord& record, DeviceRecord& shadow) {
    if (f.size() > kPayloadOffset && f[kPayloadOffset] == 0x7F) {
        return notified(change::none); // the unit has no gains
    }
    // A reply too short for its 128 values is rejected instead of read beyond its end.
    if (f.size() < kGainsReplyLength) {
        return rejected(frame_result::badLength);
    }
    int code = change::none;
    auto apply = [&](std::uint8_t& field, std::uint8_t& shadowField, std::uint8_t value) {
        if (value != shadowField || shadowField != field) {
            code = change::gains;
        }
        field = value;
        shadowField = value;
    };
    for (std::size_t i = 0; i < kGainEntryCount; ++i) {
        const std::size_t off = kPayloadOffset + 2 * i;
        auto value = static_cast<std::uint8_t>((f[off] << 7) | (f[off + 1] & 0x7F));
        if (i < 32) {
            value = clampInputGain(value);
            apply(record.inputGain[i], shadow.inputGain[i], value);
        } else if (i < 64) {
            apply(record.inputSwitch[i - 32], shadow.inputSwitch[i - 32], value);
        } else {
            apply(record.channelGain[i - 64], shadow.channelGain[i - 64], value);
        }
    }
    return notified(code);
}

} // namespace

DeviceUid frameUnit(Bytes frame) {
    DeviceUid uid = DeviceUid::broadcast();
    if (frame.size() > kCommandOffset) {
        std::copy_n(frame.begin() + 1, uid.bytes.size(), uid.bytes.begin());
    }
    return uid;
}

std::vector<DeviceUid> unitListIds(Bytes frame) {
    if (frame.size() <= kPayloadOffset || frame[0] != kFrameStart ||
        frame[kCommandOffset] != cmd::discover) {
        return {};
    }
    return unitEntries(frame);
}

FrameOutcome handleFrame(Bytes f, DeviceRecord& record, DeviceRecord& shadow,
                         DiscoveredList& discovered) {
    if (f.empty()) {
        return rejected(frame_result::badLength);
    }
    if (f[0] != kFrameStart) {
        return rejected(frame_result::noStartByte);
    }
    if (f.size() > kMaxFrameLength) {
        return rejected(frame_result::badLength);
    }
    // Too short to hold a uid and a command: nothing in it can be read safely.
    if (f.size() <= kCommandOffset) {
        return rejected(frame_result::badLength);
    }
    const std::uint8_t command = f[kCommandOffset];
    switch (command) {
    case cmd::requestParams:
    case cmd::requestLevels:
    case cmd::requestRouting:
    case cmd::requestGains:
    case cmd::setParams:
    case cmd::setRouting:
    case cmd::setGains:
        return rejected(frame_result::accepted); // our own requests echoed back
    case cmd::discover:
        return handleUnitList(f, record, discovered);
    case cmd::paramsReply:
    case cmd::levelsReply:
    case cmd::routingReply:
    case cmd::gainsReply:
        break;
    default:
        return rejected(frame_result::unknownCommand);
    }
    if (!uidMatches(f, record)) {
        return rejected(frame_result::otherUnit);
    }
    switch (command) {
    case cmd::paramsReply:
        return handleParameters(f, record, shadow);
    case cmd::levelsReply:
        return handleLevels(f, record, shadow);
    case cmd::routingReply:
        return handleRouting(f, record, shadow);
    default:
        return handleGains(f, record, shadow);
    }
}

} // namespace varento
