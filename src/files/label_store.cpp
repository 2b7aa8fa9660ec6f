#include "files/label_store.h"

#include "files/file_io.h"

#include <cstdio>

namespace varento {

namespace fs = std::filesystem;

std::string labelUidText(const DeviceUid& uid) {
    std::string text;
    text.reserve(32);
    for (std::uint8_t b : uid.bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

fs::path labelStorePath(const fs::path& dataFolder, const DeviceUid& uid) {
    return dataFolder / "Labels" / ("Labels_" + labelUidText(uid) + ".txt");
}

fs::path rejectedLabelStorePath(const fs::path& dataFolder, const DeviceUid& uid) {
    return dataFolder / "Labels" / ("Labels_" + labelUidText(uid) + ".txt.rejected");
}

UnitLabelsLoad loadUnitLabels(const fs::path& dataFolder, const DeviceUid& uid,
                              LabelTable& labels) {
    UnitLabelsLoad load;
    LabelTable stored{};
    const LabelFileResult read = readLabelFile(labelStorePath(dataFolder, uid), stored);
    load.storeStatus = read.status;
    if (read.status == LabelFileStatus::Ok) {
        load.fromStore = true;
        labels = stored;
    } else {
        if (read.status != LabelFileStatus::CannotOpen) {
            // Kept aside where that works; the defaults replace the store either way.
            replaceFile(labelStorePath(dataFolder, uid), rejectedLabelStorePath(dataFolder, uid));
        }
        fillDefaultLabels(labels);
        load.storeError = storeUnitLabels(dataFolder, uid, labels);
    }
    fillMissingBusLabels(labels);
    return load;
}

std::error_code storeUnitLabels(const fs::path& dataFolder, const DeviceUid& uid,
                                const LabelTable& labels) {
    const fs::path path = labelStorePath(dataFolder, uid);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        return error;
    }
    return writeLabelFile(path, labels);
}

} // namespace varento
