#include "files/devlist_file.h"

#include "files/byte_io.h"
#include "files/file_io.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace varento {

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[kDevListHeaderSize] = "varentodevlist1";
constexpr std::size_t kNameSize = 256;

// Record layout.
constexpr std::size_t kPosition = 0;
constexpr std::size_t kUid = 4;
constexpr std::size_t kTypeName = 20;
constexpr std::size_t kUserName = 276;
constexpr std::size_t kFwMajor = 532;
constexpr std::size_t kFwMinor = 533;
constexpr std::size_t kPresence = 536;
// 534..535 are reserved and 540..543 held the next-entry pointer in memory; both are
// written as zero and never read.

void encodeRecord(const KnownDevice& entry, std::uint8_t* r) {
    std::memset(r, 0, kKnownDeviceSize);
    bytes::putLe32(r + kPosition, entry.position);
    std::copy(entry.uid.bytes.begin(), entry.uid.bytes.end(), r + kUid);
    bytes::putText(r + kTypeName, kNameSize, entry.typeName);
    bytes::putText(r + kUserName, kNameSize, entry.userName);
    r[kFwMajor] = entry.fwMajor;
    r[kFwMinor] = entry.fwMinor;
    bytes::putLe32(r + kPresence, entry.presence);
}

} // namespace

DevListLoadResult decodeDeviceList(std::span<const std::uint8_t> file, DeviceList& list) {
    DevListLoadResult result;
    if (file.size() < kDevListHeaderSize ||
        std::memcmp(file.data(), kHeader, kDevListHeaderSize) != 0) {
        result.status = DevListStatus::BadHeader;
        return result;
    }
    const auto records = file.subspan(kDevListHeaderSize);
    const std::size_t whole = records.size() / kKnownDeviceSize;
    result.ignoredTail = records.size() % kKnownDeviceSize;
    for (std::size_t i = 0; i < whole; ++i) {
        const std::uint8_t* r = records.data() + i * kKnownDeviceSize;
        DeviceUid uid;
        std::copy_n(r + kUid, uid.bytes.size(), uid.bytes.begin());
        KnownDevice* entry = list.addOrRefresh(uid, bytes::getText(r + kTypeName, kNameSize),
                                               r[kFwMajor], r[kFwMinor]);
        if (entry == nullptr) {
            result.status = DevListStatus::OutOfMemory;
            return result;
        }
        try {
            entry->userName = bytes::getText(r + kUserName, kNameSize);
        } catch (const std::bad_alloc&) {
            result.status = DevListStatus::OutOfMemory;
            return result;
        }
        entry->position = bytes::getLe32Signed(r + kPosition);
        ++result.records;
    }
    list.sortByPosition();
    return result;
}

std::vector<std::uint8_t> encodeDeviceList(const DeviceList& list) {
    std::vector<std::uint8_t> out(kDevListHeaderSize +
                                  static_cast<std::size_t>(list.count()) * kKnownDeviceSize);
    std::memcpy(out.data(), kHeader, kDevListHeaderSize);
    std::uint8_t* r = out.data() + kDevListHeaderSize;
    for (const KnownDevice& entry : list) {
        encodeRecord(entry, r);
        r += kKnownDeviceSize;
    }
    return out;
}

fs::path deviceListPath(const fs::path& dataFolder) {
    return dataFolder / kDevListFileName;
}

DevListLoadResult loadDeviceList(const fs::path& dataFolder, DeviceList& list) {
    const FileRead read = readWholeFile(deviceListPath(dataFolder));
    switch (read.status) {
    case ReadStatus::Ok:
        return decodeDeviceList(read.bytes, list);
    case ReadStatus::OutOfMemory:
        return {DevListStatus::OutOfMemory, 0, 0};
    case ReadStatus::CannotOpen:
    case ReadStatus::ReadFailed:
        break;
    }
    return {DevListStatus::NoFile, 0, 0};
}

std::error_code saveDeviceList(const fs::path& dataFolder, const DeviceList& list) {
    std::error_code error;
    fs::create_directories(dataFolder, error);
    if (error) {
        return error;
    }
    try {
        return writeFileAtomically(deviceListPath(dataFolder), encodeDeviceList(list));
    } catch (const std::bad_alloc&) {
        return std::make_error_code(std::errc::not_enough_memory);
    }
}

} // namespace varento
