#include "links/daemon_table.h"

namespace varento {

int DaemonTable::indexOf(int port) const {
    if (port == 0) {
        return -1; // 0 marks a free entry, never a daemon
    }
    for (int i = 0; i < kCapacity; ++i) {
        if (ports_[static_cast<std::size_t>(i)] == port) {
            return i;
        }
    }
    return -1;
}

int DaemonTable::freeIndex() const {
    for (int i = 0; i < kCapacity; ++i) {
        if (ports_[static_cast<std::size_t>(i)] == 0) {
            return i;
        }
    }
    return -1;
}

bool DaemonTable::occupy(int index, int port) {
    if (index < 0 || index >= kCapacity || port == 0 || isLive(index)) {
        return false;
    }
    ports_[static_cast<std::size_t>(index)] = port;
    ++count_;
    return true;
}

int DaemonTable::withdraw(int port) {
    const int index = indexOf(port);
    if (index >= 0) {
        ports_[static_cast<std::size_t>(index)] = 0;
        --count_;
    }
    return index;
}

void DaemonTable::clear() {
    ports_.fill(0);
    count_ = 0;
}

int DaemonTable::portAt(int index) const {
    if (index < 0 || index >= kCapacity) {
        return 0;
    }
    return ports_[static_cast<std::size_t>(index)];
}

std::vector<int> DaemonTable::liveIndices() const {
    std::vector<int> live;
    for (int i = 0; i < kCapacity; ++i) {
        if (isLive(i)) {
            live.push_back(i);
        }
    }
    return live;
}

} // namespace varento
