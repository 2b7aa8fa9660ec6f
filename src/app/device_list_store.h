#pragma once

#include "devices/device_list.h"
#include "files/devlist_file.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <system_error>

namespace varento {

// devlist.mv shared by every program that runs at once (windows, varento-cli): each
// write takes a lock file beside it, reads what is there, and merges this program's
// own changes over it (devices/device_list_merge.h), so no program writes another's
// changes away. A file that is there but cannot be read as a device list is kept
// aside (devlist.mv.rejected); one that cannot even be moved is not written over.
class DeviceListStore {
public:
    explicit DeviceListStore(std::filesystem::path dataFolder);

    struct Loaded {
        DevListLoadResult result;
        // Where an unreadable file was kept; empty when nothing was kept aside.
        std::filesystem::path keptAs;
    };
    Loaded load(DeviceList& list);
    // The message that says so, when load() kept a file aside.
    static QString keptAsideText(const Loaded& loaded);

    // Writes `list` merged with the file; `list` takes the merged entries (presence
    // kept). Fails, writing nothing and leaving `list` as it was, when another
    // program holds the lock too long or the file there cannot be read.
    std::error_code save(DeviceList& list);

    std::filesystem::path path() const { return deviceListPath(folder_); }
    std::filesystem::path rejectedPath() const;

private:
    // Reads the file for a merge; a file that is not a device list is moved aside.
    // What another program wrote: the file as a list, the last list read or written
    // here when the file is gone, nothing when it is there but unreadable.
    std::optional<DeviceList> readForMerge();
    std::filesystem::path keepAside();

    std::filesystem::path folder_;
    DeviceList base_; // the list as last read or written here
};

} // namespace varento
