#pragma once

#include "protocol/device_record.h"

#include <cstdint>
#include <list>

namespace varento {

// The units found by discovery, in the order they answered, each node the unit's
// own record. A std::list keeps node addresses stable while callers hold on to a
// record.
class DiscoveredList {
public:
    // Refreshes model and daemon of a known uid; otherwise appends a new node
    // that is still waiting for its parameters.
    void addOrUpdate(const DeviceUid& uid, std::uint8_t model, std::uint8_t firmwareMajor,
                     std::uint8_t firmwareMinor, std::int32_t daemonIndex);
    void removeByDaemon(std::int32_t daemonIndex);
    void remove(const DeviceUid& uid);
    void clear() { nodes_.clear(); }
    int count() const { return static_cast<int>(nodes_.size()); }
    bool empty() const { return nodes_.empty(); }

    DeviceRecord* find(const DeviceUid& uid);
    const DeviceRecord* find(const DeviceUid& uid) const;
    const DeviceRecord* at(int position) const;
    DeviceRecord* at(int position);

    auto begin() { return nodes_.begin(); }
    auto end() { return nodes_.end(); }
    auto begin() const { return nodes_.begin(); }
    auto end() const { return nodes_.end(); }

private:
    std::list<DeviceRecord> nodes_;
};

} // namespace varento
