#pragma once

#include "devices/device_list.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

namespace varento {

// devlist.mv: the 16-byte header "varentodevlist1\0", then one 544-byte record per
// entry in list order, with no count and no trailer.
inline constexpr std::size_t kDevListHeaderSize = 16;
inline constexpr std::size_t kKnownDeviceSize = 544;
inline constexpr char kDevListFileName[] = "devlist.mv";

enum class DevListStatus {
    Loaded,     // header and every whole record taken
    NoFile,     // missing or unreadable: the list is unchanged
    BadHeader,  // not a device list: the list is unchanged
    OutOfMemory // the entries read so far stay
};

struct DevListLoadResult {
    DevListStatus status = DevListStatus::Loaded;
    int records = 0;             // records taken (duplicates count each time)
    std::size_t ignoredTail = 0; // bytes of a short last record, not loaded
};

// Adds the file's records to `list` as the start-up load does: each record is added
// or refreshed, then takes the record's user name and position; every entry starts
// offline. After the last record the list is sorted by position.
DevListLoadResult decodeDeviceList(std::span<const std::uint8_t> file, DeviceList& list);
std::vector<std::uint8_t> encodeDeviceList(const DeviceList& list);

std::filesystem::path deviceListPath(const std::filesystem::path& dataFolder);
DevListLoadResult loadDeviceList(const std::filesystem::path& dataFolder, DeviceList& list);
// Creates the data folder when it is missing, then replaces the file atomically.
std::error_code saveDeviceList(const std::filesystem::path& dataFolder, const DeviceList& list);

} // namespace varento
