// Arbitrary bytes as devlist.mv. A loaded list must keep its promises: nothing from
// a rejected file, no more entries than whole records, every id once, every entry
// offline, names that fit their fields, and a save that loads back to itself.
#include "files/devlist_file.h"

#include <cstdint>
#include <set>
#include <span>

using namespace varento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DeviceList list;
    const DevListLoadResult result = decodeDeviceList(std::span(data, size), list);
    if (result.status != DevListStatus::Loaded) {
        if (!list.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const std::size_t whole = (size - kDevListHeaderSize) / kKnownDeviceSize;
    if (static_cast<std::size_t>(result.records) != whole ||
        static_cast<std::size_t>(list.count()) > whole ||
        result.ignoredTail != (size - kDevListHeaderSize) % kKnownDeviceSize) {
        __builtin_trap();
    }
    std::set<std::array<std::uint8_t, 16>> ids;
    for (const KnownDevice& e : list) {
        if (!ids.insert(e.uid.bytes).second || e.presence != presence::offline ||
            e.typeName.size() > 255 || e.userName.size() > 255 ||
            e.typeName.find('\0') != std::string::npos ||
            e.userName.find('\0') != std::string::npos || list.find(e.uid) != &e) {
            __builtin_trap();
        }
    }
    const auto saved = encodeDeviceList(list);
    DeviceList again;
    if (decodeDeviceList(saved, again).status != DevListStatus::Loaded ||
        encodeDeviceList(again) != saved) {
        __builtin_trap();
    }
    return 0;
}
