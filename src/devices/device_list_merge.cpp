#include "devices/device_list_merge.h"

#include <vector>

namespace varento {

namespace {

std::vector<DeviceUid> orderOf(const DeviceList& list) {
    std::vector<DeviceUid> uids;
    for (const KnownDevice& entry : list) {
        uids.push_back(entry.uid);
    }
    return uids;
}

// The order of the entries that both lists hold, as `list` has them.
std::vector<DeviceUid> sharedOrder(const DeviceList& list, const DeviceList& other) {
    std::vector<DeviceUid> uids;
    for (const KnownDevice& entry : list) {
        if (other.find(entry.uid) != nullptr) {
            uids.push_back(entry.uid);
        }
    }
    return uids;
}

void append(DeviceList& out, const KnownDevice& entry) {
    if (out.find(entry.uid) != nullptr) {
        return;
    }
    KnownDevice* added = out.addOrRefresh(entry.uid, entry.typeName, entry.fwMajor, entry.fwMinor);
    if (added != nullptr) {
        added->userName = entry.userName;
    }
}

} // namespace

DeviceList mergeDeviceLists(const DeviceList& base, const DeviceList& ours,
                            const DeviceList& disk) {
    // Each unit as the result will hold it, before ordering.
    DeviceList pool;
    for (const KnownDevice& d : disk) {
        const KnownDevice* b = base.find(d.uid);
        const KnownDevice* o = ours.find(d.uid);
        if (b != nullptr && o == nullptr) {
            continue; // removed here
        }
        KnownDevice entry = d;
        if (o != nullptr) {
            if (b == nullptr ? o->userName != unitIdText(o->uid) : o->userName != b->userName) {
                entry.userName = o->userName;
            }
            if (b == nullptr || o->typeName != b->typeName) {
                entry.typeName = o->typeName;
            }
            if (b == nullptr || o->fwMajor != b->fwMajor || o->fwMinor != b->fwMinor) {
                entry.fwMajor = o->fwMajor;
                entry.fwMinor = o->fwMinor;
            }
        }
        append(pool, entry);
    }
    for (const KnownDevice& o : ours) {
        if (pool.find(o.uid) != nullptr) {
            continue;
        }
        const KnownDevice* b = base.find(o.uid);
        const bool removedElsewhere = b != nullptr;
        if (!removedElsewhere || o.presence == presence::online || o.userName != b->userName) {
            append(pool, o);
        }
    }

    // Order: ours when this program moved entries, else the disk's; then the rest.
    const bool reordered = sharedOrder(ours, base) != sharedOrder(base, ours);
    DeviceList merged;
    const auto take = [&](const std::vector<DeviceUid>& order) {
        for (const DeviceUid& uid : order) {
            if (const KnownDevice* entry = pool.find(uid)) {
                append(merged, *entry);
            }
        }
    };
    if (reordered) {
        take(orderOf(ours));
    }
    take(orderOf(disk));
    take(orderOf(ours));
    int position = 0;
    for (KnownDevice& entry : merged) {
        entry.position = ++position;
        entry.presence = presence::offline;
    }
    return merged;
}

void adoptMergedList(DeviceList& ours, const DeviceList& merged) {
    DeviceList next;
    for (const KnownDevice& entry : merged) {
        append(next, entry);
        KnownDevice* adopted = next.find(entry.uid);
        if (adopted == nullptr) {
            continue;
        }
        adopted->position = entry.position;
        if (const KnownDevice* own = ours.find(entry.uid)) {
            adopted->presence = own->presence;
        }
    }
    ours = std::move(next);
}

} // namespace varento
