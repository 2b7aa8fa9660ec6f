#include "protocol/discovered_list.h"

#include <iterator>

namespace varento {

void DiscoveredList::addOrUpdate(const DeviceUid& uid, std::uint8_t model,
                                 std::uint8_t firmwareMajor, std::uint8_t firmwareMinor,
                                 std::int32_t daemonIndex) {
    if (DeviceRecord* node = find(uid)) {
        node->model = model;
        node->daemonIndex = daemonIndex;
        return;
    }
    DeviceRecord& node = nodes_.emplace_back();
    node.awaitingData = 1;
    node.uid = uid;
    node.model = model;
    node.at(param::firmwareMajor) = firmwareMajor;
    node.at(param::firmwareMinor) = firmwareMinor;
    node.daemonIndex = daemonIndex;
}

void DiscoveredList::removeByDaemon(std::int32_t daemonIndex) {
    nodes_.remove_if([daemonIndex](const DeviceRecord& r) { return r.daemonIndex == daemonIndex; });
}

void DiscoveredList::remove(const DeviceUid& uid) {
    nodes_.remove_if([&uid](const DeviceRecord& r) { return r.uid == uid; });
}

DeviceRecord* DiscoveredList::find(const DeviceUid& uid) {
    for (DeviceRecord& node : nodes_) {
        if (node.uid == uid) {
            return &node;
        }
    }
    return nullptr;
}

const DeviceRecord* DiscoveredList::find(const DeviceUid& uid) const {
    return const_cast<DiscoveredList*>(this)->find(uid);
}

DeviceRecord* DiscoveredList::at(int position) {
    if (position < 0 || position >= count()) {
        return nullptr;
    }
    return &*std::next(nodes_.begin(), position);
}

const DeviceRecord* DiscoveredList::at(int position) const {
    return const_cast<DiscoveredList*>(this)->at(position);
}

} // namespace varento
