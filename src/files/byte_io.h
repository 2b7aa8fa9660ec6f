#pragma once

// Field-by-field access to little-endian file layouts; records are never copied
// as structs, so padding and host byte order can't leak into a file.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace varento::bytes {

inline void putLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void putLe32(std::uint8_t* p, std::int32_t v) {
    putLe32(p, static_cast<std::uint32_t>(v));
}

inline std::uint32_t getLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

inline std::int32_t getLe32Signed(const std::uint8_t* p) {
    return static_cast<std::int32_t>(getLe32(p));
}

inline std::uint32_t getBe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

inline void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.resize(out.size() + 4);
    putLe32(out.data() + out.size() - 4, v);
}

inline void appendBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// A zero-terminated text field of `size` bytes: cut to size - 1 bytes (and at an
// embedded NUL), the rest zero.
inline void putText(std::uint8_t* p, std::size_t size, std::string_view text) {
    const std::size_t n = std::min({text.size(), size - 1, text.find('\0')});
    std::memcpy(p, text.data(), n);
    std::memset(p + n, 0, size - n);
}

// The text up to the first NUL; a field without one yields size - 1 bytes, so it
// still fits its field when written back.
inline std::string getText(const std::uint8_t* p, std::size_t size) {
    const auto* end = std::find(p, p + size - 1, std::uint8_t{0});
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
}

} // namespace varento::bytes
