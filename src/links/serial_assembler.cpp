#include "links/serial_assembler.h"

namespace varento {

namespace {
constexpr std::uint8_t kStart = 0xF0;
constexpr std::uint8_t kEnd = 0xF7;
} // namespace

void SerialFrameAssembler::feed(std::span<const std::uint8_t> bytes, const FrameSink& onFrame) {
    for (const std::uint8_t byte : bytes) {
        if (byte == kStart) {
            discarded_ += static_cast<std::uint64_t>(count_); // a new start restarts the frame
            count_ = 0;
        } else if (count_ == 0) {
            ++discarded_; // junk, or a stray end, outside any frame
            continue;
        }
        buffer_[static_cast<std::size_t>(count_++)] = byte;
        if (count_ == kBufferSize) {
            // No frame is this long: drop it and wait for the next start.
            discarded_ += kBufferSize;
            count_ = 0;
            continue;
        }
        if (byte == kEnd) {
            const auto length = static_cast<std::size_t>(count_);
            count_ = 0;
            onFrame(std::span<const std::uint8_t>(buffer_.data(), length));
        }
    }
}

} // namespace varento
