#include "trace.h"

#include "unit_config.h"

#include "protocol/catalog.h"
#include "protocol/frame.h"

#include <algorithm>
#include <cstdio>

namespace varento::emu {

namespace {

constexpr std::size_t kListedItems = 6; // longer payloads are summarised after these

std::string hex(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

std::string hexBytes(std::span<const std::uint8_t> bytes, std::size_t max) {
    std::string out;
    for (std::size_t i = 0; i < std::min(bytes.size(), max); ++i) {
        char text[4];
        std::snprintf(text, sizeof text, "%02X", bytes[i]);
        out += (i ? " " : "") + std::string(text);
    }
    if (bytes.size() > max) {
        out += " ...";
    }
    return out;
}

std::string addressee(std::span<const std::uint8_t> f) {
    DeviceUid uid;
    std::copy_n(f.begin() + 1, uid.bytes.size(), uid.bytes.begin());
    return uid == DeviceUid::broadcast() ? std::string("all units") : uidText(uid);
}

// The payload up to the end marker (0x7F ends the calibration messages).
std::span<const std::uint8_t> payload(std::span<const std::uint8_t> f) {
    auto body = f.subspan(kPayloadOffset);
    if (!body.empty() && (body.back() == kFrameEnd || body.back() == kCalibrationEnd)) {
        body = body.first(body.size() - 1);
    }
    return body;
}

template <typename Item> std::string listed(std::size_t count, Item item, std::string_view unit) {
    std::string out;
    for (std::size_t i = 0; i < std::min(count, kListedItems); ++i) {
        out += (i ? " " : "") + item(i);
    }
    if (count > kListedItems) {
        out += " ... " + std::to_string(count) + " " + std::string(unit);
    }
    return out;
}

std::string pairs(std::span<const std::uint8_t> body) {
    return listed(
        body.size() / 2,
        [&](std::size_t i) { return std::to_string(body[2 * i]) + "=" + hex(body[2 * i + 1]); },
        "pairs");
}

std::string routingEntries(std::span<const std::uint8_t> body) {
    return listed(
        body.size() / 4,
        [&](std::size_t i) {
            const auto e = body.subspan(4 * i, 4);
            const int slot = (e[0] & 1) * 128 + (e[1] & 0x7F);
            const int source = ((e[2] & 1) << 7) | (e[3] & 0x7F);
            std::string text = std::to_string(slot) + "<-" +
                               (source == 255 ? std::string("none") : std::to_string(source));
            if ((e[2] & 0xFE) != 0) {
                text += "/" + hex(static_cast<std::uint8_t>(e[2] & 0xFE));
            }
            return text;
        },
        "entries");
}

std::string gainEntries(std::span<const std::uint8_t> body) {
    return listed(
        body.size() / 4,
        [&](std::size_t i) {
            const auto e = body.subspan(4 * i, 4);
            return "g" + std::to_string(((e[0] & 0x7F) << 7) | (e[1] & 0x7F)) + "=" +
                   std::to_string(((e[2] & 1) << 7) | (e[3] & 0x7F));
        },
        "entries");
}

std::string unitEntries(std::span<const std::uint8_t> body) {
    const std::size_t count = body.size() / kUnitListEntrySize;
    return listed(
        count,
        [&](std::size_t i) {
            const auto e = body.subspan(kUnitListEntrySize * i, kUnitListEntrySize);
            DeviceUid uid;
            std::copy_n(e.begin(), uid.bytes.size(), uid.bytes.begin());
            return std::string(typeName(e[16])) + " (" + std::to_string(e[16]) + ") " +
                   uidText(uid) + " fw " + std::to_string(e[17]) + "." + std::to_string(e[18]) +
                   ";";
        },
        "units");
}

} // namespace

std::string describeFrame(std::span<const std::uint8_t> f) {
    const std::string size = " (" + std::to_string(f.size()) + " bytes)";
    if (f.size() <= kCommandOffset || f[0] != kFrameStart) {
        return "malformed: " + hexBytes(f, 20) + size;
    }
    const std::string to = addressee(f);
    const auto body = payload(f);
    switch (f[kCommandOffset]) {
    case cmd::discover:
        if (body.empty()) {
            return "discover " + to + size;
        }
        return "unit list: " + unitEntries(body) + size;
    case cmd::requestParams:
        return "request parameters " + to + size;
    case cmd::requestLevels:
        return "request levels " + to + size;
    case cmd::requestRouting:
        return "request routing " + to + size;
    case cmd::requestGains:
        return "request gains " + to + size;
    case cmd::setParams:
        return "set parameters " + to + ": " + pairs(body) + size;
    case cmd::setRouting:
        return "set routing " + to + ": " + routingEntries(body) + size;
    case cmd::setGains:
        return "set gains " + to + ": " + gainEntries(body) + size;
    case cmd::paramsReply:
        return "parameters " + to + ": " + pairs(body) + size;
    case cmd::levelsReply:
        return "levels " + to + ": " + hexBytes(body, 8) + size;
    case cmd::routingReply:
        return "routing " + to + ": " + routingEntries(body) + size;
    case cmd::gainsReply:
        return "gains " + to + ": " + std::to_string(body.size() / 2) + " values" + size;
    default:
        return "unknown command " + hex(f[kCommandOffset]) + " " + to + size;
    }
}

std::string traceLine(std::string_view time, bool received, std::string_view where,
                      std::span<const std::uint8_t> frame, std::string_view note) {
    std::string line(time);
    line += received ? " <- " : " -> ";
    line += where;
    line += " ";
    line += describeFrame(frame);
    if (!note.empty()) {
        line += " [";
        line += note;
        line += "]";
    }
    return line;
}

} // namespace varento::emu
