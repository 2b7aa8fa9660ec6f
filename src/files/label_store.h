#pragma once

#include "files/label_file.h"
#include "protocol/device_uid.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace varento {

// The unit id as 32 lower-case hex digits, first byte first: the key of the store.
std::string labelUidText(const DeviceUid& uid);

// <data folder>/Labels/Labels_<id>.txt
std::filesystem::path labelStorePath(const std::filesystem::path& dataFolder, const DeviceUid& uid);

// A store that was rejected is kept beside it under this name before the defaults
// replace it, so one bad character does not cost the user every label.
std::filesystem::path rejectedLabelStorePath(const std::filesystem::path& dataFolder,
                                             const DeviceUid& uid);

struct UnitLabelsLoad {
    bool fromStore = false;        // false: the defaults were generated and stored
    LabelFileStatus storeStatus{}; // why the store was not used
    std::error_code storeError;    // a failure to store the defaults
};

// Loads the unit's labels from its store into `labels`. Lines missing from the
// store read empty, so a unit never inherits another unit's labels. When the store
// is missing or unusable, all 388 defaults are generated and stored at once. Empty
// bus labels (stores of 384 lines) get "BUS 1" .. "BUS 4".
UnitLabelsLoad loadUnitLabels(const std::filesystem::path& dataFolder, const DeviceUid& uid,
                              LabelTable& labels);

// Writes the unit's store, creating the "Labels" folder when it is missing.
std::error_code storeUnitLabels(const std::filesystem::path& dataFolder, const DeviceUid& uid,
                                const LabelTable& labels);

} // namespace varento
