#include "app/label_flows.h"

#include "app/data_folder.h"
#include "app/interaction.h"
#include "files/label_store.h"

namespace varento {

namespace {

FileDialogOptions labelFileDialog() {
    FileDialogOptions options;
    options.filter = kLabelFileFilter;
    options.defaultExtension = "txt";
    return options;
}

void showSystemError(Interaction& interaction, const std::error_code& error) {
    interaction.inform("Error!", QString::fromStdString(error.message()), MessageIcon::Error);
}

} // namespace

void applyLabels(DeviceRecord& current, const std::filesystem::path& dataFolder,
                 Interaction& interaction) {
    const UnitLabelsLoad load = loadUnitLabels(dataFolder, current.uid, current.labels);
    if (!load.fromStore && load.storeStatus == LabelFileStatus::NonPrintable) {
        interaction.inform(kLabelImportErrorTitle, kNonPrintableLabelsText, MessageIcon::Error);
    }
}

void storeLabels(const DeviceRecord& current, const std::filesystem::path& dataFolder) {
    storeUnitLabels(dataFolder, current.uid, current.labels);
}

LabelFlow storeCustomLabels(const DeviceRecord& current, Interaction& interaction) {
    const auto chosen = interaction.saveFileName(labelFileDialog());
    if (!chosen) {
        return LabelFlow::Cancelled;
    }
    if (const std::error_code error = writeLabelFile(toPath(*chosen), current.labels)) {
        showSystemError(interaction, error);
        return LabelFlow::Failed;
    }
    return LabelFlow::Done;
}

LabelFlow readCustomLabels(DeviceRecord& current, const std::filesystem::path& dataFolder,
                           Interaction& interaction) {
    const auto chosen = interaction.openFileName(labelFileDialog());
    if (!chosen) {
        return LabelFlow::Cancelled;
    }
    const LabelFileResult read = readLabelFile(toPath(*chosen), current.labels, kImportLabelLimit,
                                               LabelEncoding::Utf8IfLikely);
    switch (read.status) {
    case LabelFileStatus::Ok:
        storeLabels(current, dataFolder);
        return LabelFlow::Done;
    case LabelFileStatus::NonPrintable:
        interaction.inform(kLabelImportErrorTitle, kNonPrintableLabelsText, MessageIcon::Error);
        break;
    case LabelFileStatus::OutOfMemory:
        interaction.inform("Memory Allocation Failed",
                           "Memory allocation failed in function 'readCustomLabels()'",
                           MessageIcon::None);
        break;
    case LabelFileStatus::CannotOpen:
        // The dialog only offers existing files; one that vanished or can't be read
        // since gets the system's reason.
        showSystemError(interaction, read.error);
        break;
    }
    return LabelFlow::Failed;
}

} // namespace varento
