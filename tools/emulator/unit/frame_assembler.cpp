#include "frame_assembler.h"

#include "protocol/frame.h"

namespace varento::emu {

bool FrameAssembler::endsFrame(std::uint8_t byte) const {
    if (byte == kFrameEnd) {
        return true;
    }
    const std::size_t at = current_.size();
    return byte == kCalibrationEnd && at >= kPayloadOffset &&
           current_[kCommandOffset] == cmd::setParams && (at - kPayloadOffset) % 2 == 0;
}

std::vector<Frame> FrameAssembler::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Frame> frames;
    for (std::uint8_t byte : bytes) {
        if (byte == kFrameStart) {
            discarded_ += current_.size();
            current_.assign(1, byte);
            inFrame_ = true;
            continue;
        }
        if (!inFrame_) {
            ++discarded_;
            continue;
        }
        const bool end = endsFrame(byte);
        current_.push_back(byte);
        if (end) {
            frames.push_back(std::move(current_));
            current_.clear();
            inFrame_ = false;
        } else if (current_.size() >= static_cast<std::size_t>(kMaxFrameLength)) {
            discarded_ += current_.size(); // longer than any frame: wait for the next start
            current_.clear();
            inFrame_ = false;
        }
    }
    return frames;
}

} // namespace varento::emu
