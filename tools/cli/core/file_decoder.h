#pragma once

#include "devices/device_list.h"
#include "files/file_header.h"
#include "files/label_file.h"
#include "protocol/device_record.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace varento::cli {

// What loading a preset block takes from it, and the values it takes. The parts
// depend on the block's length as files from older programs carry fewer tables.
struct BlockContent {
    std::size_t length = 0;
    bool settings = false; // the eleven settings bytes
    bool matrix = false;   // ledDimEdit1/2 and routeSource
    bool routeFlags = false;
    bool inputGain = false; // with channelGain 1..32
    bool inputSwitch = false;
    bool upperChannelGain = false;       // channelGain 33..64
    std::vector<int> settingsParameters; // parameter numbers of the settings part
    DeviceRecord values;                 // the block applied to a zeroed record
};

BlockContent readBlock(std::span<const std::uint8_t> block);

struct PresetView {
    FileHeader header;
    bool versionWarning = false;
    BlockContent block;
};

struct ProjectDatasetView {
    DeviceUid uid;
    BlockContent block;
};

struct ProjectView {
    FileHeader header;
    bool versionWarning = false;
    std::size_t dataLength = 0;
    std::uint32_t declaredCount = 0;
    std::vector<ProjectDatasetView> datasets; // those a load would use
};

struct DeviceListView {
    int records = 0;             // records in the file
    DeviceList list;             // as the program loads it: by position, all offline
    std::size_t ignoredTail = 0; // bytes of a short last record
};

struct LabelsView {
    LabelTable labels{}; // entries past the file's last line are empty
};

using FileView = std::variant<PresetView, ProjectView, DeviceListView, LabelsView>;

struct ShowResult {
    std::optional<FileView> view;
    QString error; // one sentence when the file is rejected
};

// Recognises a preset, project, device list or label file by its content (the
// name only sharpens the message for a rejected one) and reads it as the program
// would.
ShowResult decodeFile(std::span<const std::uint8_t> bytes, const QString& fileName);

QJsonObject fileToJson(const FileView& view);
QString fileToText(const FileView& view);

} // namespace varento::cli
