#include "files/windows1252.h"

#include <algorithm>
#include <array>

namespace varento {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::uint8_t kUnkept = 0x81;

// The code points of valid UTF-8, or nothing.
std::optional<std::vector<char32_t>> decodeUtf8(std::span<const std::uint8_t> text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t lead = text[i];
        int extra = 0;
        char32_t u = 0;
        if (lead < 0x80) {
            u = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            u = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            u = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            u = lead & 0x07u;
        } else {
            return std::nullopt;
        }
        if (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size()) {
            return std::nullopt;
        }
        for (int k = 1; k <= extra; ++k) {
            const std::uint8_t c = text[i + static_cast<std::size_t>(k)];
            if ((c & 0xC0u) != 0x80u) {
                return std::nullopt;
            }
            u = (u << 6) | (c & 0x3Fu);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((extra == 2 && u < 0x800) || (extra == 3 && (u < 0x10000 || u > 0x10FFFF)) ||
            (u >= 0xD800 && u <= 0xDFFF)) {
            return std::nullopt;
        }
        out.push_back(u);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace

char16_t windows1252ToUnicode(std::uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80u] : char16_t{byte};
}

std::optional<std::uint8_t> unicodeToWindows1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<std::uint8_t>(u);
    }
    const auto it = std::find(kHigh.begin(), kHigh.end(), u);
    if (it == kHigh.end()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(0x80 + (it - kHigh.begin()));
}

std::vector<std::uint8_t> windows1252FromLikelyUtf8(std::span<const std::uint8_t> text) {
    const bool bom = text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF;
    const auto body = bom ? text.subspan(3) : text;
    const bool nonAscii =
        std::any_of(body.begin(), body.end(), [](std::uint8_t c) { return c >= 0x80; });
    const auto decoded = bom || nonAscii ? decodeUtf8(body) : std::nullopt;
    if (!decoded) {
        return {body.begin(), body.end()};
    }
    std::vector<std::uint8_t> out;
    out.reserve(decoded->size());
    for (const char32_t u : *decoded) {
        out.push_back(unicodeToWindows1252(u).value_or(kUnkept));
    }
    return out;
}

} // namespace varento
