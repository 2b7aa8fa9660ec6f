#pragma once

#include "links/frame_link.h"
#include "protocol/frame.h"

#include <cstdint>

namespace varento {

// The links sendFrame chooses from; any may be a demo or fake link.
struct SendLinks {
    FrameLink* midi = nullptr;
    FrameLink* network = nullptr;
    FrameLink* serial = nullptr;
};

// The link flags as the settings keep them (`MidiMode`, `NetworkMode`).
struct LinkFlags {
    std::int32_t midiMode = 0;
    std::int32_t networkMode = 0;
};

// Sends the frame of `length` bytes in the shared send buffer on the active link:
// MIDI when its flag is 1, serial when both flags are 0, else the network when its
// flag is 1. Does nothing and succeeds while not connected. Returns the link's
// result: 0, -1, 1 (MIDI) or 104 (serial). The serial path clears the buffer
// after writing; the other paths leave the frame in it.
// With Delivery::HandOver a link that would block (MIDI) only takes the frame and
// the result may be FrameLink::kSendPending; the link's sendFinished follows.
enum class Delivery { Wait, HandOver };
int sendFrame(FrameBuffer& buffer, std::int32_t length, bool isConnected, LinkFlags flags,
              const SendLinks& links, Delivery delivery = Delivery::Wait);

} // namespace varento
