#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace varento {

// Datagrams between the application and the Ravnet daemons on 224.7.7.7.
inline constexpr int kMaxDatagramSize = 1024;

enum class DatagramClass {
    QueryEcho,    // "QQ": our own query looped back, or another client's
    Announcement, // "QR" + port
    Withdrawal,   // "VV" + port
    OutgoingEcho, // "O" + frame: a client's message to the units
    Incoming,     // "I" + frame: a unit's message
    Ignored,
};

struct ClassifiedDatagram {
    DatagramClass kind = DatagramClass::Ignored;
    // Announcements and withdrawals: the data port, or nothing when the text does
    // not name a usable port (no digits, a sign, out of range). Such a datagram is
    // malformed and must not touch the daemon table.
    std::optional<std::uint16_t> port;
};

// Reads a decimal number the way the daemons' texts have always been read: leading
// white space and one sign accepted, stops at the first non-digit, no digits give 0.
// Saturates instead of overflowing.
std::int64_t parseDecimal(std::span<const std::uint8_t> text);

ClassifiedDatagram classifyDatagram(std::span<const std::uint8_t> datagram);

} // namespace varento
