#pragma once

#include "emulated_unit.h"

#include <cstddef>
#include <span>
#include <vector>

namespace varento::emu {

// Takes frames out of a byte stream (serial line, MIDI input) fed in chunks of any
// size. A frame runs from 0xF0 to 0xF7; a set-parameters frame may also end with
// 0x7F where the next parameter number would stand, as the calibration messages do.
// A new 0xF0 abandons an unfinished frame; bytes outside frames are dropped.
class FrameAssembler {
public:
    std::vector<Frame> feed(std::span<const std::uint8_t> bytes);

    bool inFrame() const { return inFrame_; }
    // Bytes thrown away so far: outside any frame, in abandoned or overlong frames.
    std::size_t discarded() const { return discarded_; }

private:
    bool endsFrame(std::uint8_t byte) const;

    Frame current_;
    bool inFrame_ = false;
    std::size_t discarded_ = 0;
};

} // namespace varento::emu
