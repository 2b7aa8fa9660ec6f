#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varento::osc {

// One argument of a message, as far as the address space takes arguments: numbers
// (int32, float, int64, double, true and false) and strings.
struct Arg {
    char type = 'i'; // the OSC type tag as sent
    double number = 0;
    std::string text;

    bool isNumber() const { return type != 's' && type != 'S'; }
    static Arg of(std::int32_t value) { return {'i', static_cast<double>(value), {}}; }
    static Arg of(float value) { return {'f', value, {}}; }
    static Arg of(std::string value) { return {'s', 0, std::move(value)}; }
};

struct Message {
    std::string path;
    std::vector<Arg> args;
};

enum class PacketError {
    None,
    Malformed, // not an OSC message or bundle, or an argument type not taken
    TooDeep,   // bundles nested deeper than kMaxBundleDepth
    TooMany    // more than kMaxMessages messages in one datagram
};

inline constexpr int kMaxBundleDepth = 4;
inline constexpr int kMaxMessages = 64;

struct Packet {
    std::vector<Message> messages;
    PacketError error = PacketError::None;
};

// A datagram as messages, bundles opened (their time tags are not honoured: every
// message acts at once). A bad datagram gives its error and no message at all.
Packet decodePacket(std::span<const std::uint8_t> datagram);

// The message as an OSC datagram: whole numbers within int32 as int32, floats as
// float, anything else as double.
std::vector<std::uint8_t> encodeMessage(const Message& message);

} // namespace varento::osc
