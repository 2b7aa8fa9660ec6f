// Loads by file for show control: no dialog, no question, one load per unit at a time.
#include "app/data_folder.h"
#include "app/session.h"
#include "files/preset_file.h"
#include "files/project_file.h"

#include <algorithm>

namespace varento {

namespace {

QString fromOrigin(const QString& origin) {
    return origin.isEmpty() ? QString() : " (from " + origin + ")";
}

} // namespace

// A second press of a cue while the first load still goes out would send the
// whole load again behind it; it is refused instead.
bool Session::remoteLoadRefused(const std::vector<DeviceUid>& units, FileLoad& load) const {
    if (!state_.isConnected) {
        load.error = "no link is open";
        return true;
    }
    for (const DeviceUid& uid : units) {
        if (fileLoadsSending_.count(uid) != 0) {
            load.error = "an earlier load into the unit is still being sent";
            return true;
        }
    }
    return false;
}

Session::FileLoad Session::loadPresetFile(const DeviceUid& uid, const QString& path,
                                          std::optional<PresetKind> only) {
    FileLoad load;
    DeviceRecord* unit = discovered_.find(uid);
    if (unit == nullptr) {
        load.error = "the unit is not online";
        return load;
    }
    if (remoteLoadRefused({uid}, load)) {
        return load;
    }
    const PresetFileContent content = readPresetFile(toPath(path));
    if (const std::string problem = presetFileProblem(content, kPresetFileType); !problem.empty()) {
        load.error = QString::fromStdString(problem);
        return load;
    }
    const int failures = sendQueue_.failureCount();
    const auto wanted = [&](PresetKind kind) { return !only || *only == kind; };
    state_.bulkTransfer = true;
    if (wanted(PresetKind::Settings)) {
        const std::uint8_t io = unit->at(param::ioOptions);
        applyPresetBlock(content.data, PresetKind::Settings, *unit);
        keepUsbEmbedderBit(*unit, io);
        sendAllSettings(*unit);
    }
    if (wanted(PresetKind::Matrix)) {
        applyPresetBlock(content.data, PresetKind::Matrix, *unit);
        sendLoadedRouting(*unit, spares_->keepOnSpare(*unit));
    }
    if (wanted(PresetKind::Gains)) {
        applyPresetBlock(content.data, PresetKind::Gains, *unit);
        sendAllGains(*unit, only ? kLoadGainsPauseMs : 0);
    }
    state_.bulkTransfer = false;
    fileLoadsSending_.insert(uid);
    journalLoadWhenSent(JournalKind::PresetLoaded, path,
                        QString(only ? presetKindName(*only) : "all") + fromOrigin(editOrigin_),
                        failures, uid, [this, uid] { fileLoadsSending_.erase(uid); });
    load.units = {uid};
    if (uid != currentUid_) {
        return load;
    }
    if (wanted(PresetKind::Settings)) {
        emit parametersChanged();
        state_.settingsSaved = true;
    }
    if (wanted(PresetKind::Matrix)) {
        emit routingLoaded();
        emit routingChanged();
        state_.matrixSaved = true;
    }
    if (wanted(PresetKind::Gains)) {
        emit gainsChanged();
        state_.gainsSaved = true;
    }
    return load;
}

Session::FileLoad Session::loadProjectFile(const QString& path, bool gainsOnly,
                                           const std::vector<DeviceUid>* only) {
    FileLoad load;
    std::string problem;
    const auto read = readProjectFile(toPath(path), problem);
    if (!read) {
        load.error = QString::fromStdString(problem);
        return load;
    }
    const ProjectData& project = *read;
    // Only a unit's own dataset: nobody is there to choose a stand-in.
    const auto wanted = [this, only](const DeviceUid& uid) {
        return discovered_.find(uid) != nullptr &&
               (only == nullptr || std::find(only->begin(), only->end(), uid) != only->end());
    };
    std::vector<DeviceUid> online;
    for (const ProjectDataset& dataset : project.datasets) {
        if (wanted(dataset.uid) &&
            std::find(online.begin(), online.end(), dataset.uid) == online.end()) {
            online.push_back(dataset.uid);
        }
    }
    if (online.empty()) {
        load.error = "none of the project's units is online";
        return load;
    }
    if (remoteLoadRefused(online, load)) {
        return load;
    }
    load.datasets = static_cast<int>(project.datasets.size());
    applyProject(
        path, project.datasets, gainsOnly,
        [&wanted](const DeviceUid& uid) { return wanted(uid) ? std::optional(uid) : std::nullopt; },
        fromOrigin(editOrigin_), sendQueue_.failureCount(), false);
    load.units = online;
    return load;
}

} // namespace varento
