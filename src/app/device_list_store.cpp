#include "app/device_list_store.h"

#include "app/data_folder.h"
#include "devices/device_list_merge.h"
#include "files/file_io.h"

#include <QLockFile>

namespace varento {

namespace fs = std::filesystem;

namespace {

// Another program writes the list in milliseconds; a lock older than this was left
// by a program that died while holding it.
constexpr int kStaleLockMs = 30000;
constexpr int kLockWaitMs = 5000;

} // namespace

DeviceListStore::DeviceListStore(fs::path dataFolder) : folder_(std::move(dataFolder)) {}

fs::path DeviceListStore::rejectedPath() const {
    return fs::path(path()).concat(".rejected");
}

fs::path DeviceListStore::keepAside() {
    std::error_code error;
    fs::rename(path(), rejectedPath(), error);
    return error ? fs::path() : rejectedPath();
}

DeviceListStore::Loaded DeviceListStore::load(DeviceList& list) {
    Loaded loaded;
    const FileRead read = readWholeFile(path());
    std::error_code error;
    const bool exists = fs::exists(path(), error);
    if (read.status == ReadStatus::Ok) {
        loaded.result = decodeDeviceList(read.bytes, list);
    } else if (read.status == ReadStatus::OutOfMemory) {
        loaded.result.status = DevListStatus::OutOfMemory;
    } else {
        loaded.result.status = DevListStatus::NoFile;
    }
    // A file there that could not be read as a list is kept, not written over.
    const bool unreadable =
        exists && (read.status == ReadStatus::CannotOpen || read.status == ReadStatus::ReadFailed ||
                   loaded.result.status == DevListStatus::BadHeader);
    if (unreadable) {
        loaded.keptAs = keepAside();
    }
    base_ = list;
    return loaded;
}

QString DeviceListStore::keptAsideText(const Loaded& loaded) {
    if (loaded.keptAs.empty()) {
        return {};
    }
    const QString why = loaded.result.status == DevListStatus::BadHeader
                            ? QStringLiteral("it is not a device list")
                            : QStringLiteral("it could not be read");
    return QStringLiteral("The device list %1 was not loaded: %2. It was kept as %3, and a new "
                          "list is started.")
        .arg(toQString(fs::path(loaded.keptAs).replace_extension()), why, toQString(loaded.keptAs));
}

std::optional<DeviceList> DeviceListStore::readForMerge() {
    const FileRead read = readWholeFile(path());
    std::error_code error;
    if (read.status != ReadStatus::Ok) {
        // Gone: nobody changed anything elsewhere. There but unreadable: nothing is
        // known of the other program's changes, and nothing may be written over them.
        return fs::exists(path(), error) ? std::nullopt : std::optional(base_);
    }
    DeviceList disk;
    if (decodeDeviceList(read.bytes, disk).status == DevListStatus::BadHeader) {
        if (keepAside().empty()) {
            return std::nullopt;
        }
        return base_;
    }
    return disk;
}

std::error_code DeviceListStore::save(DeviceList& list) {
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) {
        return error;
    }
    QLockFile lock(toQString(path()) + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    const std::optional<DeviceList> disk = readForMerge();
    if (!disk) {
        return std::make_error_code(std::errc::io_error);
    }
    const DeviceList merged = mergeDeviceLists(base_, list, *disk);
    try {
        error = writeFileAtomically(path(), encodeDeviceList(merged));
    } catch (const std::bad_alloc&) {
        error = std::make_error_code(std::errc::not_enough_memory);
    }
    if (error) {
        return error; // the list stays this program's own, measured against the same base
    }
    // The file holds every unit offline; this program's list keeps who is online.
    adoptMergedList(list, merged);
    base_ = merged;
    return {};
}

} // namespace varento
