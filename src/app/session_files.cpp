// Presets, the routing preset, the four load commands and projects.
#include "app/cp1252.h"
#include "app/data_folder.h"
#include "app/link_set.h"
#include "app/program_folder.h"
#include "app/session.h"
#include "files/file_io.h"
#include "files/label_store.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "files/project_labels.h"

#include <QFileInfo>

#include <utility>

namespace varento {

namespace {

const char* const kRoutingPresetName = "_Preset.vpf";
const char* const kWriteFailed =
    "An error occured while writing the file! Not all data has been written.";
const char* const kProjectWriteFailed =
    "An error occured while writing the project file! Not all data has been written.";
const char* const kDatasetMissing =
    "An error occured while selecting a device dataset! Unable to retrieve device data.";

FileDialogOptions presetDialog() {
    return {{}, "K.E.LTA VARENTO preset (*.vpf);;All Files (*.*)", "vpf", {}, {}};
}

ProgramFolderFiles besideProgram(const SessionPaths& paths) {
    return {paths.programFolder, paths.dataFolder};
}

// The remembered name ends in .vrj whatever extension the file was saved with.
QString withProjectExtension(const QString& title) {
    const qsizetype dot = title.lastIndexOf('.');
    return dot < 0 ? title : title.left(dot + 1) + "vrj";
}

} // namespace

FileDialogOptions projectDialogOptions() {
    return {{}, "K.E.LTA VARENTO Project (*.vrj);;All Files (*.*)", "vrj", {}, {}};
}

// ---- reading and writing preset files ----------------------------------------------------------

bool Session::readPreset(const QString& path, std::vector<std::uint8_t>& data) {
    const PresetFileContent content = readPresetFile(toPath(path));
    if (content.versionWarning) {
        interaction_.inform(kProgramVersionWarningTitle,
                            QString::fromStdString(programVersionWarningText()),
                            MessageIcon::Warning);
    }
    if (content.error == PresetReadError::CannotOpen) {
        interaction_.inform("Error!", QString::fromStdString(content.systemError.message()),
                            MessageIcon::Error);
        return false;
    }
    if (content.error != PresetReadError::None) {
        const MessageText message = presetReadErrorMessage(content.error);
        interaction_.inform(message.title, message.text, MessageIcon::Error);
        return false;
    }
    data = content.data;
    return true;
}

bool Session::writePreset(const QString& path, std::uint8_t fileType,
                          std::span<const std::uint8_t> data) {
    const std::vector<std::uint8_t> file = encodePresetFile(fileType, data);
    return !writeFileAtomically(toPath(path), file);
}

bool Session::savePreset() {
    const auto path = interaction_.saveFileName(presetDialog());
    if (!path) {
        return false;
    }
    const PresetBlock block = buildPresetBlock(current());
    if (!writePreset(*path, kPresetFileType, block)) {
        interaction_.inform("File I/O Error", kWriteFailed, MessageIcon::Error);
        return false;
    }
    state_.settingsSaved = state_.matrixSaved = state_.gainsSaved = true;
    emit titleChanged(windowTitle());
    journalFile(JournalKind::PresetSaved, *path);
    return true;
}

bool Session::chooseAndReadPreset(PresetKind kind) {
    const auto path = interaction_.openFileName(presetDialog());
    if (!path) {
        return false;
    }
    std::vector<std::uint8_t> data;
    if (!readPreset(*path, data)) {
        return false;
    }
    applyPresetBlock(data, kind, currentRecord());
    loadedFile_ = *path;
    return true;
}

bool Session::readPresetForLoadAll(PresetKind kind) {
    if (loadAllFile_.isEmpty()) {
        const auto path = interaction_.openFileName(presetDialog());
        if (!path) {
            return false;
        }
        loadAllFile_ = *path;
    }
    std::vector<std::uint8_t> data;
    if (!readPreset(loadAllFile_, data)) {
        loadAllFile_.clear();
        return false;
    }
    applyPresetBlock(data, kind, currentRecord());
    return true;
}

QString Session::routingPresetPath() const {
    return toQString(besideProgram(paths_).storePath(kRoutingPresetName));
}

bool Session::storeRoutingPreset() {
    const QString path = routingPresetPath();
    // The data folder is made on its first write.
    std::error_code ignored;
    std::filesystem::create_directories(toPath(path).parent_path(), ignored);
    if (!writePreset(path, kPresetFileType, buildPresetBlock(current()))) {
        interaction_.inform("File I/O Error", kWriteFailed, MessageIcon::Error);
        interaction_.inform("File I/O Error", path, MessageIcon::Error);
        emit routingPresetStoreFailed();
        return false;
    }
    journalFile(JournalKind::PresetSaved, path, "routing preset");
    interaction_.inform("Save Preset", "Preset File stored!", MessageIcon::Information);
    return true;
}

bool Session::loadRoutingPreset() {
    const int failures = sendQueue_.failureCount();
    if (state_.isConnected) {
        if (interaction_.message("Load Preset", "Do you want to load this routing preset?",
                                 MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes) {
            return false;
        }
        stopTimers();
    }
    std::vector<std::uint8_t> data;
    const QString path = toQString(besideProgram(paths_).loadPath(kRoutingPresetName));
    if (!readPreset(path, data)) {
        interaction_.inform("Load Preset", "No Preset File found!", MessageIcon::Error);
        if (state_.isConnected) {
            restartTimers();
        }
        return false;
    }
    applyPresetBlock(data, PresetKind::Matrix, currentRecord());
    const bool kept = spares_->keepOnSpare(currentRecord());
    if (state_.isConnected) {
        sendLoadedRouting(currentRecord(), kept);
        restartTimers();
    }
    journalLoadWhenSent(JournalKind::PresetLoaded, path, "routing preset", failures);
    emit routingLoaded();
    emit routingChanged();
    state_.matrixSaved = true;
    return true;
}

// ---- the load commands ------------------------------------------------------------------------

bool Session::confirmLoad(const char* title, const char* text) {
    return !state_.isConnected || interaction_.message(title, text, MessageIcon::Question,
                                                       MessageButtons::YesNo) == Answer::Yes;
}

void Session::loadSettings() {
    const int failures = sendQueue_.failureCount();
    const std::uint8_t io = current().at(param::ioOptions);
    if (!confirmLoad("Load Settings", "Loading settings will overwrite all settings inside the "
                                      "device. Do you want to continue?")) {
        return;
    }
    state_.bulkTransfer = true;
    const bool read = chooseAndReadPreset(PresetKind::Settings);
    keepUsbEmbedderBit(currentRecord(), io);
    sendAllSettings();
    if (read) {
        journalLoadWhenSent(JournalKind::PresetLoaded, loadedFile_,
                            presetKindName(PresetKind::Settings), failures);
    }
    emit parametersChanged();
    state_.bulkTransfer = false;
    state_.settingsSaved = true;
}

void Session::loadMatrix() {
    const int failures = sendQueue_.failureCount();
    if (!confirmLoad(
            "Load Matrix",
            "This will overwrite the matrix inside the device. Do you want to continue?")) {
        return;
    }
    if (state_.isConnected) {
        stopTimers();
    }
    const bool read = chooseAndReadPreset(PresetKind::Matrix);
    const bool kept = read && spares_->keepOnSpare(currentRecord());
    if (state_.isConnected) {
        sendLoadedRouting(currentRecord(), kept);
        restartTimers();
    }
    if (read) {
        journalLoadWhenSent(JournalKind::PresetLoaded, loadedFile_,
                            presetKindName(PresetKind::Matrix), failures);
        emit routingLoaded(); // cancelled, the matrix keeps its undo
    }
    emit routingChanged();
    state_.matrixSaved = true;
}

void Session::loadGainSettings() {
    const int failures = sendQueue_.failureCount();
    if (!confirmLoad("Load Gains", "Loading the file will overwrite the gain settings inside the "
                                   "device. Do you want to continue?")) {
        return;
    }
    if (state_.isConnected) {
        stopTimers();
    }
    const bool read = chooseAndReadPreset(PresetKind::Gains);
    if (state_.isConnected) {
        sendAllGains(currentRecord(), kLoadGainsPauseMs);
        restartTimers();
    }
    if (read) {
        journalLoadWhenSent(JournalKind::PresetLoaded, loadedFile_,
                            presetKindName(PresetKind::Gains), failures);
    }
    emit gainsChanged();
    state_.gainsSaved = true;
}

void Session::loadAll() {
    const int failures = sendQueue_.failureCount();
    const std::uint8_t io = current().at(param::ioOptions);
    if (!confirmLoad("Load all settings", "Loading a preset file will overwrite all settings "
                                          "inside the device. Do you want to continue?")) {
        return;
    }
    state_.bulkTransfer = true;
    loadAllFile_.clear();
    auto abort = [this] {
        loadAllFile_.clear();
        state_.bulkTransfer = false;
    };
    if (!readPresetForLoadAll(PresetKind::Settings)) {
        return abort();
    }
    keepUsbEmbedderBit(currentRecord(), io);
    sendAllSettings();
    emit parametersChanged();
    if (!readPresetForLoadAll(PresetKind::Matrix)) {
        return abort();
    }
    emit routingLoaded();
    emit routingChanged();
    if (!readPresetForLoadAll(PresetKind::Gains)) {
        return abort();
    }
    const QString file = std::exchange(loadAllFile_, QString());
    // Switched over only once the load goes out: one given up keeps the record.
    const bool kept = spares_->keepOnSpare(currentRecord());
    if (kept) {
        emit routingChanged();
    }
    if (state_.isConnected) {
        sendLoadedRouting(currentRecord(), kept);
        sendAllGains(currentRecord(), 0);
        restartTimers();
    }
    journalLoadWhenSent(JournalKind::PresetLoaded, file, "all", failures);
    emit gainsChanged();
    state_.bulkTransfer = false;
    state_.settingsSaved = state_.matrixSaved = state_.gainsSaved = true;
}

// ---- projects ---------------------------------------------------------------------------------

void Session::saveProject(bool saveAs) {
    stopTimers();
    writeProject(saveAs);
    if (state_.isConnected) {
        restartTimers();
    }
}

void Session::writeProject(bool saveAs) {
    bool keepPath = false;
    if (!saveAs && !projectWritePath_.isEmpty()) {
        keepPath =
            interaction_.message("Project Save",
                                 "Are you sure you want to overwrite the current project "
                                 "file?",
                                 MessageIcon::Question, MessageButtons::YesNo) == Answer::Yes;
    }
    QString path = projectWritePath_;
    if (!keepPath) {
        const auto chosen = interaction_.saveFileName(projectDialogOptions());
        if (!chosen) {
            return;
        }
        path = *chosen;
    }
    if (discovered_.empty()) {
        return;
    }
    // Each unit's own record, as read: nothing is selected on the way.
    std::vector<std::pair<DeviceUid, PresetBlock>> units;
    for (int k = 1; k <= discovered_.count(); ++k) {
        const auto uid = onlineUnit(k);
        if (!uid) {
            interaction_.inform("Project Save Error",
                                QString(kDatasetMissing) + " Saving Project aborted.",
                                MessageIcon::Error);
            return;
        }
        units.emplace_back(*uid, buildPresetBlock(*discovered_.find(*uid)));
    }
    const bool written = writePreset(path, kProjectFileType, encodeProjectData(units));
    if (!written) {
        // Nothing was saved: the project, its path and the unsaved marks stay.
        interaction_.inform("Project Save Error", kProjectWriteFailed, MessageIcon::Error);
        return;
    }
    // Labels live only here: the project keeps them beside it.
    for (const auto& [uid, block] : units) {
        if (const std::error_code error =
                writeProjectLabels(toPath(path), uid, discovered_.find(uid)->labels)) {
            interaction_.inform("Project Save Error",
                                "The project was saved, but the labels could not be saved "
                                "beside it: " +
                                    QString::fromStdString(error.message()),
                                MessageIcon::Warning);
            break;
        }
    }
    projectWritePath_ = path;
    state_.lastSnapshotFileName = withProjectExtension(QFileInfo(path).fileName());
    state_.lastSnapshotFileDirectory = path;
    emit projectChanged(state_.lastSnapshotFileName, state_.lastSnapshotFileDirectory, false);
    journalFile(JournalKind::ProjectSaved, path, QString("%1 units").arg(units.size()));
    state_.settingsSaved = state_.matrixSaved = state_.gainsSaved = true;
    emit titleChanged(windowTitle());
}

std::optional<DeviceUid> Session::projectTarget(const DeviceUid& uid) {
    const KnownDevice* entry = deviceList_.find(uid);
    if (entry != nullptr && entry->presence == presence::online) {
        return uid;
    }
    const char* text =
        entry == nullptr
            ? "No device with this UID found. Please select another device instead or click "
              "cancel to go on with the next dataset in this file."
            : "Device found in the list but it is currently not online. Please select another "
              "device instead or click cancel to go on with the next dataset in this file.";
    if (interaction_.message("Project Load Warning", text, MessageIcon::Warning,
                             MessageButtons::OkCancel) != Answer::Ok) {
        return std::nullopt;
    }
    const QString idText = QString::fromStdString(unitIdText(uid));
    const QString missing =
        entry == nullptr ? idText : fromWindows1252(entry->userName) + " - " + idText;
    QStringList online;
    std::vector<DeviceUid> onlineIds;
    for (const KnownDevice& known : deviceList_) {
        if (known.presence == presence::online) {
            online << fromWindows1252(known.userName) + " - " +
                          QString::fromStdString(unitIdText(known.uid));
            onlineIds.push_back(known.uid);
        }
    }
    const auto choice = interaction_.chooseReplacementUnit(missing, online);
    // OK with nothing to choose from skips the dataset like Cancel.
    if (!choice || *choice < 0 || *choice >= static_cast<int>(onlineIds.size())) {
        return std::nullopt;
    }
    return onlineIds[static_cast<std::size_t>(*choice)];
}

void Session::loadProject(bool gainsOnly) {
    const int failures = sendQueue_.failureCount();
    FileDialogOptions options = projectDialogOptions();
    options.directory = QFileInfo(state_.lastSnapshotFileDirectory).absolutePath();
    options.fileName = state_.lastSnapshotFileName;
    const auto path = interaction_.openFileName(options);
    if (!path) {
        return;
    }
    std::vector<std::uint8_t> data;
    if (!readPreset(*path, data)) {
        state_.lastSnapshotFileName.clear();
        state_.lastSnapshotFileDirectory.clear();
        projectWritePath_.clear();
        return;
    }
    const ProjectData project = decodeProjectData(data);
    if (project.declaredCount > static_cast<std::uint32_t>(discovered_.count())) {
        interaction_.inform("Project Load Warning",
                            "This file contains datasets for more devices than are currently "
                            "online. Datasets of offline devices will be skipped.",
                            MessageIcon::Warning);
    }
    // Labels travel with a project beside its file, into the units loaded from
    // their own datasets: a unit standing in for another keeps its labels, and a
    // gains load leaves them all.
    std::vector<DeviceUid> ownDatasets;
    applyProject(
        *path, project.datasets, gainsOnly,
        [this, &ownDatasets](const DeviceUid& uid) {
            const auto target = projectTarget(uid);
            if (target == uid) {
                ownDatasets.push_back(uid);
            }
            return target;
        },
        {}, failures);
    if (!gainsOnly) {
        takeProjectLabels(*path, ownDatasets);
    }
}

QString Session::takeProjectLabels(const QString& path, const std::vector<DeviceUid>& units) {
    QString notStored;
    for (const DeviceUid& uid : units) {
        DeviceRecord* unit = discovered_.find(uid);
        const auto labels = readProjectLabels(toPath(path), uid);
        if (unit == nullptr || !labels) {
            continue;
        }
        unit->labels = *labels;
        if (const std::error_code error = storeUnitLabels(paths_.dataFolder, uid, *labels)) {
            notStored += QStringLiteral("%1%2: %3")
                             .arg(notStored.isEmpty() ? "" : "; ", unitName(uid),
                                  QString::fromStdString(error.message()));
        }
        if (uid == currentUid_) {
            emit labelsChanged();
        }
    }
    if (!notStored.isEmpty()) {
        interaction_.inform("Project Load Warning",
                            QStringLiteral("The project was loaded, but its labels could not be "
                                           "stored on this computer: %1.")
                                .arg(notStored),
                            MessageIcon::Warning);
    }
    return notStored;
}

std::vector<DeviceUid>
Session::applyProject(const QString& path, const std::vector<ProjectDataset>& datasets,
                      bool gainsOnly,
                      const std::function<std::optional<DeviceUid>(const DeviceUid&)>& target,
                      const QString& origin, int failures, bool becomesProject) {
    if (becomesProject) {
        state_.lastSnapshotFileDirectory = path;
        state_.lastSnapshotFileName = QFileInfo(path).fileName();
        projectWritePath_ = path;
    }
    std::vector<DeviceUid> loaded;
    for (const ProjectDataset& dataset : datasets) {
        const auto uid = target(dataset.uid);
        // A dataset is never applied to a unit other than the one chosen for it.
        DeviceRecord* unit = uid ? discovered_.find(*uid) : nullptr;
        if (unit == nullptr) {
            continue;
        }
        loaded.push_back(unit->uid);
        state_.bulkTransfer = true;
        applyProjectDataset(dataset.block, gainsOnly, *unit);
        const bool kept = !gainsOnly && spares_->keepOnSpare(*unit);
        if (state_.isConnected) {
            if (!gainsOnly) {
                sendAllSettings(*unit);
                sendLoadedRouting(*unit, kept);
            }
            sendAllGains(*unit, 0);
        }
    }
    if (becomesProject) {
        emit projectChanged(state_.lastSnapshotFileName, state_.lastSnapshotFileDirectory, false);
        emit titleChanged(windowTitle());
    }
    fileLoadsSending_.insert(loaded.begin(), loaded.end());
    journalLoadWhenSent(JournalKind::ProjectLoaded, path,
                        QString("%1 of %2 units%3%4")
                            .arg(loaded.size())
                            .arg(datasets.size())
                            .arg(gainsOnly ? ", gains only" : "", origin),
                        failures, std::nullopt, [this, loaded] {
                            for (const DeviceUid& uid : loaded) {
                                fileLoadsSending_.erase(uid);
                            }
                        });
    if (!gainsOnly) {
        emit routingLoaded();
        emit routingChanged();
    }
    emit gainsChanged();
    emit parametersChanged();
    state_.bulkTransfer = false;
    if (becomesProject) {
        state_.settingsSaved = state_.matrixSaved = state_.gainsSaved = true;
    }
    return loaded;
}

// The load's frames are queued behind everything before them: its journal line
// waits for them, and a link that fails first makes it a cut-short load, which
// the user is told about once the failure has been handled.
void Session::journalLoadWhenSent(JournalKind kind, const QString& path, const QString& what,
                                  int failuresBefore, std::optional<DeviceUid> unit,
                                  std::function<void()> sent) {
    if (!state_.isConnected && sendQueue_.failureCount() == failuresBefore) {
        journalFile(kind, path, what, unit);
        if (sent) {
            sent();
        }
        return;
    }
    sendSequence({}, [this, kind, path, what, failuresBefore, unit, sent](int result) {
        if (sent) {
            sent();
        }
        if (result == 0 && sendQueue_.failureCount() == failuresBefore) {
            journalFile(kind, path, what, unit);
            return;
        }
        journalFile(JournalKind::LoadCutShort, path, what, unit);
        QMetaObject::invokeMethod(
            this,
            [this] {
                interaction_.inform("Load Error",
                                    "The load did not finish: the link failed before every "
                                    "frame had reached the unit. Load the file again once the "
                                    "unit answers.",
                                    MessageIcon::Warning);
            },
            Qt::QueuedConnection);
    });
}

} // namespace varento
