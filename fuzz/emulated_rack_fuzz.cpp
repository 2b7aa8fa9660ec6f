// Arbitrary bytes on an emulated serial line: framed by the assembler, then
// answered by a rack of the default units. Whatever comes in, every reply must
// be a well-formed frame that a byte stream can carry.
#include "unit/fault_injector.h"
#include "unit/frame_assembler.h"

#include <cstdint>
#include <span>

using namespace varento;
using namespace varento::emu;

namespace {

// Aim the bytes at the first default unit: overwrite the uid of each frame the
// first input byte selects, so the fuzzer need not guess 16 bytes.
void address(Frame& f, bool toUnit) {
    static const DeviceUid uid = defaultUnits()[0].uid;
    if (toUnit && f.size() > 17) {
        std::copy(uid.bytes.begin(), uid.bytes.end(), f.begin() + 1);
    }
}

void checkReply(const Frame& f) {
    if (f.size() < 19 || f.size() > 787 || f.front() != 0xF0 || f.back() != 0xF7) {
        __builtin_trap();
    }
    for (std::size_t i = 1; i + 1 < f.size(); ++i) {
        if (f[i] >= 0x80) {
            __builtin_trap(); // would break framing on a serial line or MIDI
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static EmulatedWire wire(defaultUnits());
    FrameAssembler assembler;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const std::size_t cut = bytes.empty() ? 0 : data[0] % bytes.size();
    for (auto chunk : {bytes.first(cut), bytes.subspan(cut)}) {
        for (Frame& f : assembler.feed(chunk)) {
            address(f, (data[0] & 0x80) != 0);
            for (const Outgoing& out : wire.receive(f).frames) {
                checkReply(out.frame);
            }
        }
    }
    wire.advance(std::chrono::milliseconds(data[0]));
    return 0;
}
