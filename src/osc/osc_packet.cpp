#include "osc/osc_packet.h"

#include <lo/lo.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace varento::osc {

namespace {

constexpr char kBundleTag[] = "#bundle";  // with its zero, 8 bytes
constexpr std::size_t kBundleHeader = 16; // the tag and the 8-byte time tag

struct MessageFree {
    void operator()(lo_message m) const { lo_message_free(m); }
};
using MessagePtr = std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree>;

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

bool isBundle(std::span<const std::uint8_t> data) {
    return data.size() >= kBundleHeader && std::memcmp(data.data(), kBundleTag, 8) == 0;
}

// liblo validates the whole message (path, type tags, padding, argument sizes).
std::optional<Message> decodeMessage(std::span<const std::uint8_t> data) {
    int result = 0;
    // liblo takes a non-const pointer but only reads.
    MessagePtr m(
        lo_message_deserialise(const_cast<std::uint8_t*>(data.data()), data.size(), &result));
    if (!m || data.empty() || data[0] != '/') {
        return std::nullopt;
    }
    Message out;
    out.path = reinterpret_cast<const char*>(data.data()); // validated, zero-terminated
    const char* types = lo_message_get_types(m.get());
    lo_arg** argv = lo_message_get_argv(m.get());
    const int argc = lo_message_get_argc(m.get());
    for (int i = 0; i < argc; ++i) {
        // liblo's arguments lie on 4-byte boundaries: copied out, never bound to the
        // union, which wants 8.
        const void* a = argv[i];
        const auto take = [a](auto value) {
            std::memcpy(&value, a, sizeof value);
            return value;
        };
        switch (types[i]) {
        case LO_INT32:
            out.args.push_back({'i', static_cast<double>(take(std::int32_t{})), {}});
            break;
        case LO_FLOAT:
            out.args.push_back({'f', static_cast<double>(take(float{})), {}});
            break;
        case LO_INT64:
            out.args.push_back({'h', static_cast<double>(take(std::int64_t{})), {}});
            break;
        case LO_DOUBLE:
            out.args.push_back({'d', take(double{}), {}});
            break;
        case LO_TRUE:
            out.args.push_back({'T', 1, {}});
            break;
        case LO_FALSE:
            out.args.push_back({'F', 0, {}});
            break;
        case LO_STRING:
        case LO_SYMBOL:
            out.args.push_back({types[i], 0, std::string(static_cast<const char*>(a))});
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

PacketError decodeInto(std::span<const std::uint8_t> data, int depth, Packet& packet) {
    if (!isBundle(data)) {
        auto message = decodeMessage(data);
        if (!message) {
            return PacketError::Malformed;
        }
        if (static_cast<int>(packet.messages.size()) >= kMaxMessages) {
            return PacketError::TooMany;
        }
        packet.messages.push_back(std::move(*message));
        return PacketError::None;
    }
    if (depth >= kMaxBundleDepth) {
        return PacketError::TooDeep;
    }
    std::size_t at = kBundleHeader;
    while (at < data.size()) {
        if (data.size() - at < 4) {
            return PacketError::Malformed;
        }
        const std::uint32_t size = bigEndian32(data.data() + at);
        at += 4;
        if (size == 0 || size % 4 != 0 || size > data.size() - at) {
            return PacketError::Malformed;
        }
        if (const PacketError e = decodeInto(data.subspan(at, size), depth + 1, packet);
            e != PacketError::None) {
            return e;
        }
        at += size;
    }
    return PacketError::None;
}

} // namespace

Packet decodePacket(std::span<const std::uint8_t> datagram) {
    Packet packet;
    packet.error = decodeInto(datagram, 0, packet);
    if (packet.error != PacketError::None) {
        packet.messages.clear();
    }
    return packet;
}

std::vector<std::uint8_t> encodeMessage(const Message& message) {
    MessagePtr m(lo_message_new());
    for (const Arg& a : message.args) {
        if (!a.isNumber()) {
            lo_message_add_string(m.get(), a.text.c_str());
        } else if (a.type == 'f') {
            lo_message_add_float(m.get(), static_cast<float>(a.number));
        } else if (std::isfinite(a.number) && a.number == std::floor(a.number) &&
                   a.number >= INT32_MIN && a.number <= INT32_MAX) {
            lo_message_add_int32(m.get(), static_cast<std::int32_t>(a.number));
        } else {
            // A fraction, or a number past int32 (infinite ones too), goes as it is.
            lo_message_add_double(m.get(), a.number);
        }
    }
    std::size_t size = 0;
    void* bytes = lo_message_serialise(m.get(), message.path.c_str(), nullptr, &size);
    std::vector<std::uint8_t> out(static_cast<std::uint8_t*>(bytes),
                                  static_cast<std::uint8_t*>(bytes) + size);
    std::free(bytes);
    return out;
}

} // namespace varento::osc
