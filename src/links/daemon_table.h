#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace varento {

// The daemons that announced a data port. An entry keeps its index for as long as
// the daemon lives, because discovered units remember the index they were found
// through; a withdrawal frees the entry in place and the next announcement reuses
// the lowest free one.
class DaemonTable {
public:
    static constexpr int kCapacity = 32;

    // Index of the live entry serving `port`, or -1.
    int indexOf(int port) const;
    // Lowest free index, or -1 when all entries are live.
    int freeIndex() const;
    // Makes a free entry live. Refuses (false) a live or out-of-range index, or port 0.
    bool occupy(int index, int port);
    // Frees the entry serving `port`; its index, or -1 when no entry has the port.
    int withdraw(int port);
    void clear();

    // Port of a live entry; 0 for a free or out-of-range index.
    int portAt(int index) const;
    bool isLive(int index) const { return portAt(index) != 0; }
    int count() const { return count_; }
    // Live indices in ascending order, for sweeping over every daemon.
    std::vector<int> liveIndices() const;

private:
    std::array<int, kCapacity> ports_{}; // 0 = free
    int count_ = 0;
};

} // namespace varento
