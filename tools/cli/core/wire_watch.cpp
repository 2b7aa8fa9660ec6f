#include "wire_watch.h"

#include "app/link_set.h"
#include "protocol/frame.h"

#include <algorithm>

namespace varento::cli {

WireWatch::WireWatch(LinkSet& links, QObject* parent) : QObject(parent) {
    connect(&links, &LinkSet::frameSent, this,
            [this](const QByteArray& bytes, int) { count(bytes, false); });
    connect(&links, &LinkSet::frameReceived, this,
            [this](const QByteArray& bytes) { count(bytes, true); });
}

WireWatch::Key WireWatch::keyOf(const DeviceUid& uid, std::uint8_t command) {
    Key key{};
    std::copy(uid.bytes.begin(), uid.bytes.end(), key.begin());
    key[16] = command;
    return key;
}

void WireWatch::count(const QByteArray& bytes, bool received) {
    if (received) {
        ++receivedTotal_;
    }
    if (bytes.size() > kCommandOffset && static_cast<std::uint8_t>(bytes[0]) == kFrameStart) {
        DeviceUid uid;
        std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 1, 16,
                    uid.bytes.begin());
        const auto command = static_cast<std::uint8_t>(bytes[kCommandOffset]);
        ++(received ? received_ : sent_)[keyOf(uid, command)];
    }
    emit frame(bytes, received);
}

int WireWatch::sent(const DeviceUid& uid, std::uint8_t command) const {
    const auto it = sent_.find(keyOf(uid, command));
    return it == sent_.end() ? 0 : it->second;
}

int WireWatch::received(const DeviceUid& uid, std::uint8_t command) const {
    const auto it = received_.find(keyOf(uid, command));
    return it == received_.end() ? 0 : it->second;
}

} // namespace varento::cli
