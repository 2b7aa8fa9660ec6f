#include "files/project_labels.h"

#include "files/label_store.h"

namespace varento {

std::filesystem::path projectLabelsPath(const std::filesystem::path& project,
                                        const DeviceUid& uid) {
    // The whole name: show.vrj and show.bak keep labels of their own.
    std::filesystem::path folder = project;
    folder += ".labels";
    return folder / ("Labels_" + labelUidText(uid) + ".txt");
}

std::error_code writeProjectLabels(const std::filesystem::path& project, const DeviceUid& uid,
                                   const LabelTable& labels) {
    const std::filesystem::path path = projectLabelsPath(project, uid);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return error ? error : writeLabelFile(path, labels);
}

std::optional<LabelTable> readProjectLabels(const std::filesystem::path& project,
                                            const DeviceUid& uid) {
    LabelTable labels{};
    const LabelFileResult read = readLabelFile(projectLabelsPath(project, uid), labels);
    if (read.status != LabelFileStatus::Ok) {
        return std::nullopt;
    }
    return labels;
}

} // namespace varento
