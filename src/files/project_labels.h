#pragma once

#include "files/label_file.h"
#include "protocol/device_uid.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace varento {

// Labels live only on this computer and a project file has no room for them, so
// a project keeps its units' labels beside it, one label file per unit:
// show.vrj -> show.vrj.labels/Labels_<id>.txt. Programs that know only the project
// file read it as before.
std::filesystem::path projectLabelsPath(const std::filesystem::path& project, const DeviceUid& uid);
// Creates the folder when it is missing.
std::error_code writeProjectLabels(const std::filesystem::path& project, const DeviceUid& uid,
                                   const LabelTable& labels);
// None when the project keeps no labels for the unit or they cannot be read.
std::optional<LabelTable> readProjectLabels(const std::filesystem::path& project,
                                            const DeviceUid& uid);

} // namespace varento
