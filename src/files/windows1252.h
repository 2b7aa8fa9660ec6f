#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varento {

// The Windows-1252 code page, both ways. The five bytes it leaves unassigned map
// to the C1 controls of the same value, as the system's conversion does.
char16_t windows1252ToUnicode(std::uint8_t byte);
std::optional<std::uint8_t> unicodeToWindows1252(char32_t codePoint);

// Text that a current editor saved as UTF-8 (with a byte-order mark, or valid
// UTF-8 holding non-ASCII characters; a Windows-1252 text with umlauts is almost
// never valid UTF-8) as Windows-1252 bytes. A character the code page lacks
// becomes 0x81, which no label takes. Anything else comes back unchanged, but for a
// byte-order mark, which is dropped.
std::vector<std::uint8_t> windows1252FromLikelyUtf8(std::span<const std::uint8_t> text);

} // namespace varento
