// Comparing a project with the units before a show, and settling what differs.
#include "app/data_folder.h"
#include "app/session.h"
#include "files/file_io.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "files/project_labels.h"
#include "protocol/catalog.h"

#include <algorithm>

namespace varento {

namespace {

std::optional<ProjectData> readProject(const QString& path, QString& error) {
    std::string problem;
    auto project = readProjectFile(toPath(path), problem);
    error = QString::fromStdString(problem);
    return project;
}

bool contains(const std::vector<DeviceUid>& units, const DeviceUid& uid) {
    return std::find(units.begin(), units.end(), uid) != units.end();
}

} // namespace

std::optional<QString> Session::compareProject(const QString& path, CompareDone done) {
    if (compareReader_) {
        return QStringLiteral("a comparison is still reading the units");
    }
    if (!state_.isConnected) {
        return QStringLiteral("no link is open");
    }
    QString error;
    const auto project = readProject(path, error);
    if (!project) {
        return error;
    }
    std::vector<DeviceUid> toRead;
    for (const ProjectDataset& dataset : project->datasets) {
        if (discovered_.find(dataset.uid) != nullptr && !contains(toRead, dataset.uid)) {
            toRead.push_back(dataset.uid);
        }
    }
    compareReader_ = std::make_unique<UnitReader>(
        *this, toRead,
        [this, path, datasets = project->datasets, done](const std::set<DeviceUid>& answered) {
            ProjectComparison result;
            result.path = path;
            result.datasets = static_cast<int>(datasets.size());
            result.readMs = compareReader_->elapsedMs();
            std::vector<DeviceUid> listed;
            for (const ProjectDataset& dataset : datasets) {
                if (contains(listed, dataset.uid)) {
                    continue; // a second dataset of a unit: a load applies both, the last wins
                }
                listed.push_back(dataset.uid);
                UnitComparison unit;
                unit.uid = dataset.uid;
                unit.name = unitName(dataset.uid);
                const DeviceRecord* record = discovered_.find(dataset.uid);
                if (record == nullptr) {
                    unit.presence = UnitComparison::Presence::NotOnline;
                } else if (answered.count(dataset.uid) == 0) {
                    unit.presence = UnitComparison::Presence::NotAnswering;
                    unit.model = QString::fromLatin1(typeName(record->model));
                } else {
                    unit.model = QString::fromLatin1(typeName(record->model));
                    const auto labels = readProjectLabels(toPath(path), dataset.uid);
                    unit.labelsCompared = labels.has_value();
                    // The last dataset of the unit is what a load leaves behind.
                    const auto last =
                        std::find_if(datasets.rbegin(), datasets.rend(),
                                     [&](const ProjectDataset& d) { return d.uid == dataset.uid; });
                    unit.differences = compareWithProject(*record, last->block, labels);
                }
                result.units.push_back(std::move(unit));
            }
            for (const DeviceRecord& record : discovered_) {
                if (!contains(listed, record.uid)) {
                    UnitComparison unit;
                    unit.uid = record.uid;
                    unit.name = unitName(record.uid);
                    unit.model = QString::fromLatin1(typeName(record.model));
                    unit.presence = UnitComparison::Presence::NotInProject;
                    result.units.push_back(std::move(unit));
                }
            }
            // The reader calls from inside itself: it goes once it has returned.
            compareReader_.release()->deleteLater();
            done(result);
        });
    compareReader_->start();
    return std::nullopt;
}

Session::FileLoad Session::loadProjectInto(const QString& path,
                                           const std::vector<DeviceUid>& units) {
    FileLoad load = loadProjectFile(path, false, &units);
    if (load.error.isEmpty()) {
        load.labelsNotStored = takeProjectLabels(path, load.units);
    }
    return load;
}

std::optional<QString> Session::saveUnitsIntoProject(const QString& path,
                                                     const std::vector<DeviceUid>& units) {
    QString error;
    auto project = readProject(path, error);
    if (!project) {
        return error;
    }
    const auto blockOf = [](const DeviceRecord& unit) {
        const PresetBlock block = buildPresetBlock(unit);
        return std::vector<std::uint8_t>(block.begin(), block.end());
    };
    // The datasets of the other units stay byte for byte, older programs' included.
    std::vector<ProjectDataset> datasets = project->datasets;
    std::vector<DeviceUid> saved;
    for (ProjectDataset& dataset : datasets) {
        const DeviceRecord* unit = discovered_.find(dataset.uid);
        if (unit != nullptr && contains(units, dataset.uid)) {
            dataset.block = blockOf(*unit);
            saved.push_back(dataset.uid);
        }
    }
    for (const DeviceUid& uid : units) {
        if (!contains(saved, uid) && discovered_.find(uid) != nullptr) {
            datasets.push_back({uid, blockOf(*discovered_.find(uid))});
            saved.push_back(uid);
        }
    }
    if (writeFileAtomically(toPath(path),
                            encodePresetFile(kProjectFileType, encodeProjectData(datasets)))) {
        return QStringLiteral("the project could not be written");
    }
    for (const DeviceUid& uid : saved) {
        if (const std::error_code e =
                writeProjectLabels(toPath(path), uid, discovered_.find(uid)->labels)) {
            return QStringLiteral("the project was written, its labels not: ") +
                   QString::fromStdString(e.message());
        }
    }
    journalFile(JournalKind::ProjectSaved, path,
                QStringLiteral("%1 units from the units online").arg(saved.size()));
    return std::nullopt;
}

} // namespace varento
