#include "devices/device_list.h"

#include <new>
#include <vector>

namespace varento {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return 0;
}

} // namespace

std::string unitIdText(const DeviceUid& uid) {
    std::string text;
    text.reserve(32);
    for (std::uint8_t b : uid.bytes) {
        text += '0';
        text += kHexDigits[b & 0x0F];
    }
    return text;
}

DeviceUid unitIdFromText(std::string_view text) {
    DeviceUid uid;
    for (std::size_t i = 0; i < uid.bytes.size(); ++i) {
        const std::size_t at = 2 * i + 1;
        uid.bytes[i] = static_cast<std::uint8_t>(at < text.size() ? hexValue(text[at]) : 0);
    }
    return uid;
}

std::size_t DeviceList::UidHash::operator()(const DeviceUid& uid) const noexcept {
    std::size_t h = 14695981039346656037ULL; // FNV-1a
    for (std::uint8_t b : uid.bytes) {
        h = (h ^ b) * 1099511628211ULL;
    }
    return h;
}

DeviceList::DeviceList(const DeviceList& other) : entries_(other.entries_) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        index_.emplace(it->uid, it);
    }
}

DeviceList& DeviceList::operator=(const DeviceList& other) {
    if (this != &other) {
        DeviceList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

KnownDevice* DeviceList::addOrRefresh(const DeviceUid& uid, std::string_view typeName,
                                      std::uint8_t fwMajor, std::uint8_t fwMinor) {
    try {
        if (KnownDevice* known = find(uid)) {
            known->typeName = typeName;
            return known;
        }
        KnownDevice entry;
        entry.position = count() + 1;
        entry.uid = uid;
        entry.typeName = typeName;
        entry.userName = unitIdText(uid);
        entry.fwMajor = fwMajor;
        entry.fwMinor = fwMinor;
        const auto it = entries_.insert(entries_.end(), std::move(entry));
        try {
            index_.emplace(uid, it);
        } catch (...) {
            entries_.erase(it);
            throw;
        }
        return &*it;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int DeviceList::onlineId(int n, DeviceUid& out) const {
    if (n < 1) {
        return -1;
    }
    int seen = 0;
    for (const KnownDevice& entry : entries_) {
        if (entry.presence == presence::online && ++seen == n) {
            out = entry.uid;
            return 0;
        }
    }
    return -1;
}

int DeviceList::onlineCount() const {
    int n = 0;
    for (const KnownDevice& entry : entries_) {
        n += entry.presence == presence::online ? 1 : 0;
    }
    return n;
}

void DeviceList::markAllOffline() {
    for (KnownDevice& entry : entries_) {
        entry.presence &= ~1;
    }
}

void DeviceList::removeMarked() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->presence == presence::markedForRemoval) {
            index_.erase(it->uid);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void DeviceList::sortByPosition() {
    // Same result as the move-to-front passes, without rescanning the list in each
    // of them. An entry moved in pass k has position k > every later pass, so later
    // searches only ever see unmoved entries in their first order, and the only one
    // that can match pass k is the first entry whose position is k. The front skips
    // its pass only while nothing has moved yet: it is then the original first entry.
    const int n = count();
    if (n < 2) {
        return;
    }
    std::vector<Entries::iterator> firstAt(static_cast<std::size_t>(n) + 1, entries_.end());
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->position >= 1 && it->position <= n) {
            auto& slot = firstAt[static_cast<std::size_t>(it->position)];
            if (slot == entries_.end()) {
                slot = it;
            }
        }
    }
    const auto original = entries_.begin();
    bool moved = false;
    for (int k = n; k >= 1; --k) {
        if (!moved && original->position == k) {
            continue;
        }
        const auto it = firstAt[static_cast<std::size_t>(k)];
        if (it != entries_.end()) {
            entries_.splice(entries_.begin(), entries_, it);
            moved = true;
        }
    }
}

KnownDevice* DeviceList::find(const DeviceUid& uid) {
    const auto it = index_.find(uid);
    return it == index_.end() ? nullptr : &*it->second;
}

const KnownDevice* DeviceList::find(const DeviceUid& uid) const {
    const auto it = index_.find(uid);
    return it == index_.end() ? nullptr : &*it->second;
}

void DeviceList::clear() {
    index_.clear();
    entries_.clear();
}

} // namespace varento
