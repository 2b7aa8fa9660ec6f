#pragma once

#include "protocol/device_record.h"

#include <QString>

#include <filesystem>

namespace varento {

class Interaction;

inline const QString kNonPrintableLabelsText =
    "Import aborted!\nLabel file contains non-printable characters.\n\nOnly plain text files "
    "are supported.\nPlease check the file.";
inline const QString kLabelImportErrorTitle = "Label Import error";
inline const QString kLabelFileFilter = "VARENTO Label file (*.txt)";

enum class LabelFlow {
    Done,      // the labels were read or written
    Cancelled, // the user closed the file dialog
    Failed     // the message is shown; nothing changed
};

// Apply labels: the current unit's store into its labels, or the defaults (stored
// at once) when it has none; a store with non-printable characters is reported as an
// import would be, then replaced by the defaults. The caller hands the labels to the
// views afterwards.
void applyLabels(DeviceRecord& current, const std::filesystem::path& dataFolder,
                 Interaction& interaction);

// The storing half of "store and apply": writes the current unit's store. Fails
// quietly; the labels then last only for this run.
void storeLabels(const DeviceRecord& current, const std::filesystem::path& dataFolder);

// "&Export Labels": all 388 labels to a file the user chooses.
LabelFlow storeCustomLabels(const DeviceRecord& current, Interaction& interaction);

// "&Import Labels": at most 384 lines from a file the user chooses (the bus labels
// stay), then stored. A rejected file changes no label.
LabelFlow readCustomLabels(DeviceRecord& current, const std::filesystem::path& dataFolder,
                           Interaction& interaction);

} // namespace varento
