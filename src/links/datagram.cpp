#include "links/datagram.h"

#include <limits>

namespace varento {

namespace {

bool isSpace(std::uint8_t c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

std::optional<std::uint16_t> portOf(std::span<const std::uint8_t> text) {
    const std::int64_t value = parseDecimal(text);
    if (value < 1 || value > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::int64_t parseDecimal(std::span<const std::uint8_t> text) {
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (value < limit) {
            value = value * 10 + (text[i] - '0');
        }
    }
    return negative ? -value : value;
}

ClassifiedDatagram classifyDatagram(std::span<const std::uint8_t> datagram) {
    if (datagram.empty()) {
        return {};
    }
    const std::uint8_t first = datagram[0];
    if (first == 'O') {
        return {DatagramClass::OutgoingEcho, std::nullopt};
    }
    if (first == 'I') {
        return {DatagramClass::Incoming, std::nullopt};
    }
    if (datagram.size() < 2) {
        return {};
    }
    const std::uint8_t second = datagram[1];
    if (first == 'Q' && second == 'Q') {
        return {DatagramClass::QueryEcho, std::nullopt};
    }
    if (first == 'Q' && second == 'R') {
        return {DatagramClass::Announcement, portOf(datagram.subspan(2))};
    }
    if (first == 'V' && second == 'V') {
        return {DatagramClass::Withdrawal, portOf(datagram.subspan(2))};
    }
    return {};
}

} // namespace varento
