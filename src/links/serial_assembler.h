#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace varento {

// Cuts frames out of the serial byte stream, which has no framing of its own: a
// frame runs from its last 0xF0 to the first 0xF7 after it. Bytes may arrive in
// any chunks with any pauses between them; a partial frame waits for the rest.
class SerialFrameAssembler {
public:
    static constexpr int kBufferSize = 1024;

    using FrameSink = std::function<void(std::span<const std::uint8_t>)>;

    // Feeds received bytes; `onFrame` sees each complete frame, 0xF0 through 0xF7.
    void feed(std::span<const std::uint8_t> bytes, const FrameSink& onFrame);
    // Forgets a partial frame (the port was closed or reopened).
    void reset() { count_ = 0; }

    // Bytes of the frame being assembled; 0 while waiting for 0xF0.
    int pending() const { return count_; }
    // Bytes thrown away: outside any frame, or in a frame that reached 1024 bytes.
    std::uint64_t discarded() const { return discarded_; }

private:
    std::array<std::uint8_t, kBufferSize> buffer_{};
    int count_ = 0;
    std::uint64_t discarded_ = 0;
};

} // namespace varento
