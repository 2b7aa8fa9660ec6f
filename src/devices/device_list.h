#pragma once

#include "protocol/device_uid.h"

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace varento {

namespace presence {
inline constexpr std::int32_t offline = 0;
inline constexpr std::int32_t online = 1; // found since the last connect
inline constexpr std::int32_t markedForRemoval = 2;
} // namespace presence

// One unit the application has ever seen. The file keeps each entry in 544 bytes
// (files/devlist_file.h); names longer than 255 bytes are cut when written.
struct KnownDevice {
    std::int32_t position = 0; // 1-based place in the list
    DeviceUid uid{};           // the key: never change it while the entry is listed
    std::string typeName;      // catalog name of the unit's model, Windows-1252 bytes
    std::string userName;      // the user's name for the unit, Windows-1252 bytes
    std::uint8_t fwMajor = 0;
    std::uint8_t fwMinor = 0;
    std::int32_t presence = presence::offline;
};

// The id as "0" plus the upper-case hex digit of each byte's low four bits (32
// characters): the default user name and the device manager's "Unique ID" column.
std::string unitIdText(const DeviceUid& uid);
// The reverse: the second character of each pair as a hex digit (anything else,
// or a missing character, gives 0); the first character is ignored.
DeviceUid unitIdFromText(std::string_view text);

// Every unit the application has ever seen, in list order. A std::list keeps entry
// addresses stable while the device manager or discovery hold on to one.
class DeviceList {
public:
    using Entries = std::list<KnownDevice>;

    DeviceList() = default;
    // A copy indexes its own entries.
    DeviceList(const DeviceList& other);
    DeviceList& operator=(const DeviceList& other);
    DeviceList(DeviceList&&) noexcept = default;
    DeviceList& operator=(DeviceList&&) noexcept = default;

    // A known id only gets the new type name; otherwise a new offline entry is
    // appended at position count(), named with its id text. nullptr when memory runs out.
    KnownDevice* addOrRefresh(const DeviceUid& uid, std::string_view typeName, std::uint8_t fwMajor,
                              std::uint8_t fwMinor);

    int count() const { return static_cast<int>(entries_.size()); }
    bool empty() const { return entries_.empty(); }

    // Id of the n-th (from 1) online entry in list order: 0, or -1 when the list is
    // empty, n is below 1 or fewer than n entries are online.
    int onlineId(int n, DeviceUid& out) const;
    int onlineCount() const;

    // Online entries go offline; entries marked for removal stay marked.
    void markAllOffline();
    void removeMarked();

    // For k = N down to 1, the first entry with position k moves to the front unless
    // the front already has it. Positions 1..N give ascending order; other positions
    // leave part of the order as it was, the same way every time.
    void sortByPosition();

    KnownDevice* find(const DeviceUid& uid);
    const KnownDevice* find(const DeviceUid& uid) const;
    void clear();

    Entries::iterator begin() { return entries_.begin(); }
    Entries::iterator end() { return entries_.end(); }
    Entries::const_iterator begin() const { return entries_.begin(); }
    Entries::const_iterator end() const { return entries_.end(); }
    const KnownDevice* first() const { return entries_.empty() ? nullptr : &entries_.front(); }

private:
    struct UidHash {
        std::size_t operator()(const DeviceUid& uid) const noexcept;
    };

    Entries entries_;
    // Loading 10,000 entries must not search the list once per record.
    std::unordered_map<DeviceUid, Entries::iterator, UidHash> index_;
};

} // namespace varento
