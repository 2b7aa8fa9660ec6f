#include "links/send_path.h"

#include "links/error_reporter.h"

#include <algorithm>

namespace varento {

int sendFrame(FrameBuffer& buffer, std::int32_t length, bool isConnected, LinkFlags flags,
              const SendLinks& links, Delivery delivery) {
    if (!isConnected) {
        return 0;
    }
    const auto size = static_cast<std::size_t>(std::clamp(length, 0, kSendBufferSize));
    const std::span<const std::uint8_t> frame(buffer.data(), size);

    if (flags.midiMode == 1) {
        if (links.midi == nullptr) {
            return -1;
        }
        return delivery == Delivery::HandOver ? links.midi->post(frame) : links.midi->send(frame);
    }
    if (flags.midiMode == 0 && flags.networkMode == 0) {
        if (links.serial == nullptr) {
            return -1;
        }
        if (!links.serial->isOpen()) {
            return 0;
        }
        const int result = links.serial->send(frame);
        if (result != link_error::serialWriteSetup) {
            buffer.fill(0);
        }
        return result;
    }
    if (flags.networkMode == 1) {
        return links.network != nullptr ? links.network->send(frame) : -1;
    }
    return 0;
}

} // namespace varento
