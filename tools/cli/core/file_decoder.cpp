#include "file_decoder.h"

#include "app/parameters.h"
#include "text_format.h"

#include "app/cp1252.h"
#include "files/devlist_file.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"

#include <QJsonArray>

#include <algorithm>
#include <cstring>

namespace varento::cli {

namespace {

constexpr char kDevListMagic[] = "varentodevlist1";

QString flattened(QString text) {
    text.replace("\n\n", " ").replace('\n', ' ');
    return text;
}

QString versionText(const FileHeader& h) {
    return QString("%1.%2.%3").arg(h.programMajor).arg(h.programMinor).arg(h.programPatch);
}

bool startsWith(std::span<const std::uint8_t> bytes, const char* text, std::size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), text, length) == 0;
}

// The line (from 1) whose character stops a label read; 0 when none does.
int firstBadLabelLine(std::span<const std::uint8_t> bytes) {
    for (int limit = 1; limit <= kLabelCount; ++limit) {
        LabelTable scratch{};
        if (parseLabels(bytes, scratch, limit) == LabelParse::NonPrintable) {
            return limit;
        }
    }
    return 0;
}

template <std::size_t N>
QJsonArray jsonPart(const std::array<std::uint8_t, N>& values, std::size_t first,
                    std::size_t count) {
    QJsonArray array;
    for (std::size_t i = first; i < first + count; ++i) {
        array.append(values[i]);
    }
    return array;
}

QJsonObject blockToJson(const BlockContent& b) {
    QJsonObject o;
    o["dataLength"] = static_cast<int>(b.length);
    const DeviceRecord& r = b.values;
    for (const int number : b.settingsParameters) {
        o[parameterInfo(number)->name] = r.at(number);
    }
    if (b.matrix) {
        o["ledDimEdit1"] = r.ledDimEdit1;
        o["ledDimEdit2"] = r.ledDimEdit2;
        o["routeSource"] = jsonNumbers(r.routeSource);
    }
    if (b.routeFlags) {
        o["routeFlags"] = jsonNumbers(r.routeFlags);
    }
    if (b.inputGain) {
        o["inputGain"] = jsonNumbers(r.inputGain);
        o["channelGain"] = jsonPart(r.channelGain, 0, b.upperChannelGain ? 64 : 32);
    }
    if (b.inputSwitch) {
        o["inputSwitch"] = jsonNumbers(r.inputSwitch);
    }
    if (b.length < kMinPresetDataSize || b.length > kMaxPresetDataSize) {
        o["note"] = "a load changes nothing: the data length is outside 288..688";
    }
    return o;
}

template <std::size_t N>
QStringList cellsOf(const std::array<std::uint8_t, N>& values, std::size_t count = N) {
    QStringList cells;
    for (std::size_t i = 0; i < count; ++i) {
        cells << QString::number(values[i]);
    }
    return cells;
}

void appendBlock(QString& out, const BlockContent& b) {
    const DeviceRecord& r = b.values;
    if (b.length < kMinPresetDataSize || b.length > kMaxPresetDataSize) {
        out +=
            QString("  data length %1 is outside 288..688: a load changes nothing\n").arg(b.length);
        return;
    }
    for (const int number : b.settingsParameters) {
        appendField(out, QString("%1 (%2)").arg(parameterInfo(number)->name).arg(number),
                    QString("%1 %2  %3")
                        .arg(hexByte(r.at(number)))
                        .arg(r.at(number), 3)
                        .arg(parameterMeaning(number, r.at(number))));
    }
    appendField(out, "ledDimEdit1", hexByte(r.ledDimEdit1));
    appendField(out, "ledDimEdit2", hexByte(r.ledDimEdit2));
    QStringList sources;
    for (const std::uint8_t s : r.routeSource) {
        sources << (s == kNoSource ? QString("-") : QString::number(s));
    }
    appendGrid(out, "routeSource", sources, 0, 8);
    if (b.routeFlags) {
        QStringList flags;
        for (std::size_t i = 0; i < r.routeFlags.size(); ++i) {
            if (r.routeFlags[i] != 0) {
                flags << QString("%1=%2").arg(i).arg(hexByte(r.routeFlags[i]));
            }
        }
        if (!flags.isEmpty()) {
            appendGrid(out, "routeFlags", flags, 1, 6, true);
        }
    } else {
        out += "  routeFlags     not in this block (it is shorter than 672 bytes)\n";
    }
    if (!b.inputGain) {
        out += "  gains          not in this block (it is shorter than 384 bytes)\n";
        return;
    }
    appendGrid(out, "inputGain", cellsOf(r.inputGain), 1, 8);
    if (b.inputSwitch) {
        appendGrid(out, "inputSwitch", cellsOf(r.inputSwitch), 1, 8);
    } else {
        out += "  inputSwitch    not loaded from a block shorter than 400 bytes\n";
    }
    appendGrid(out, "channelGain", cellsOf(r.channelGain, b.upperChannelGain ? 64 : 32), 1, 8);
    if (!b.upperChannelGain) {
        out += "  channelGain    33..64 not loaded from a block shorter than 416 bytes\n";
    }
}

void appendHeader(QString& out, const FileHeader& h, bool versionWarning) {
    appendField(out, "fileType", QString::number(h.fileType));
    appendField(out, "formatVersion", QString::number(h.formatVersion));
    appendField(out, "programVersion", versionText(h));
    if (versionWarning) {
        out +=
            "  warning: " + flattened(QString::fromStdString(programVersionWarningText())) + "\n";
    }
}

QJsonObject headerToJson(const FileHeader& h, bool versionWarning) {
    return QJsonObject{{"fileType", h.fileType},
                       {"formatVersion", h.formatVersion},
                       {"programVersion", versionText(h)},
                       {"versionWarning", versionWarning}};
}

struct JsonVisitor {
    QJsonObject operator()(const PresetView& v) const {
        QJsonObject o = headerToJson(v.header, v.versionWarning);
        o["file"] = "preset";
        o["block"] = blockToJson(v.block);
        return o;
    }
    QJsonObject operator()(const ProjectView& v) const {
        QJsonObject o = headerToJson(v.header, v.versionWarning);
        o["file"] = "project";
        o["dataLength"] = static_cast<qint64>(v.dataLength);
        o["datasetCount"] = static_cast<qint64>(v.declaredCount);
        QJsonArray datasets;
        for (const ProjectDatasetView& d : v.datasets) {
            datasets.append(QJsonObject{{"uid", uidHex(d.uid)}, {"block", blockToJson(d.block)}});
        }
        o["datasets"] = datasets;
        return o;
    }
    QJsonObject operator()(const DeviceListView& v) const {
        QJsonArray entries;
        for (const KnownDevice& e : v.list) {
            entries.append(QJsonObject{{"position", e.position},
                                       {"uid", uidHex(e.uid)},
                                       {"typeName", fromWindows1252(e.typeName)},
                                       {"userName", fromWindows1252(e.userName)},
                                       {"fwMajor", e.fwMajor},
                                       {"fwMinor", e.fwMinor}});
        }
        return QJsonObject{{"file", "deviceList"},
                           {"records", v.records},
                           {"ignoredTail", static_cast<qint64>(v.ignoredTail)},
                           {"entries", entries}};
    }
    QJsonObject operator()(const LabelsView& v) const {
        QJsonArray labels;
        for (const Label& label : v.labels) {
            labels.append(labelText(label));
        }
        return QJsonObject{{"file", "labels"}, {"labels", labels}};
    }
};

struct TextVisitor {
    QString operator()(const PresetView& v) const {
        QString out = QString("preset file, data length %1\n").arg(v.block.length);
        appendHeader(out, v.header, v.versionWarning);
        appendBlock(out, v.block);
        return out;
    }
    QString operator()(const ProjectView& v) const {
        QString out = QString("project file, %1 dataset(s) declared, data length %2\n")
                          .arg(v.declaredCount)
                          .arg(v.dataLength);
        appendHeader(out, v.header, v.versionWarning);
        if (v.datasets.size() != v.declaredCount) {
            out += QString("  note: %1 of the %2 datasets can be used; the others run past the "
                           "data or are longer than 688 bytes\n")
                       .arg(v.datasets.size())
                       .arg(v.declaredCount);
        }
        int n = 0;
        for (const ProjectDatasetView& d : v.datasets) {
            out += QString("\ndataset %1: unit %2, block length %3\n")
                       .arg(++n)
                       .arg(uidHex(d.uid))
                       .arg(d.block.length);
            appendBlock(out, d.block);
        }
        return out;
    }
    QString operator()(const DeviceListView& v) const {
        QString out = QString("device list, %1 record(s), %2 entr%3 once loaded\n")
                          .arg(v.records)
                          .arg(v.list.count())
                          .arg(v.list.count() == 1 ? "y" : "ies");
        if (v.ignoredTail != 0) {
            out += QString("  note: %1 bytes after the last whole record are ignored\n")
                       .arg(v.ignoredTail);
        }
        if (v.list.empty()) {
            return out;
        }
        qsizetype typeWidth = 8;
        for (const KnownDevice& e : v.list) {
            typeWidth = std::max(typeWidth, fromWindows1252(e.typeName).size());
        }
        out += QString("  %1  %2  %3  %4  %5\n")
                   .arg("position")
                   .arg("uid", -32)
                   .arg("typeName", -static_cast<int>(typeWidth))
                   .arg("firmware")
                   .arg("userName");
        for (const KnownDevice& e : v.list) {
            out += QString("  %1  %2  %3  %4  %5\n")
                       .arg(e.position, 8)
                       .arg(uidHex(e.uid))
                       .arg(fromWindows1252(e.typeName), -static_cast<int>(typeWidth))
                       .arg(QString("%1.%2").arg(e.fwMajor).arg(e.fwMinor), -8)
                       .arg(fromWindows1252(e.userName));
        }
        return out;
    }
    QString operator()(const LabelsView& v) const {
        QString out = "label file\n";
        for (int i = 0; i < kLabelCount; ++i) {
            out += QString("  %1  %2  %3\n")
                       .arg(i, 3)
                       .arg(QString::fromStdString(labelIoTypeText(i)), -14)
                       .arg(labelText(v.labels[static_cast<std::size_t>(i)]));
        }
        return out;
    }
};

ShowResult presetOrProject(std::span<const std::uint8_t> bytes) {
    const PresetFileContent content = decodePresetFile(bytes);
    if (content.error != PresetReadError::None) {
        return {std::nullopt, presetReadErrorMessage(content.error).text};
    }
    if (content.header.fileType == kPresetFileType) {
        return {PresetView{content.header, content.versionWarning, readBlock(content.data)}, {}};
    }
    ProjectView project;
    project.header = content.header;
    project.versionWarning = content.versionWarning;
    project.dataLength = content.data.size();
    const ProjectData data = decodeProjectData(content.data);
    project.declaredCount = data.declaredCount;
    for (const ProjectDataset& d : data.datasets) {
        project.datasets.push_back({d.uid, readBlock(d.block)});
    }
    return {std::move(project), {}};
}

} // namespace

BlockContent readBlock(std::span<const std::uint8_t> block) {
    // Applying the block to a record of zeros and to one of 0xFF bytes tells which
    // fields a load takes: those end up equal in both.
    DeviceRecord zeros{};
    DeviceRecord ones{};
    ones.params.fill(0xFF);
    ones.routeSource.fill(0xFF);
    ones.routeFlags.fill(0xFF);
    ones.inputGain.fill(0xFF);
    ones.inputSwitch.fill(0xFF);
    ones.channelGain.fill(0xFF);
    ones.ledDimEdit1 = 0xFF;
    for (const PresetKind kind : {PresetKind::Settings, PresetKind::Matrix, PresetKind::Gains}) {
        applyPresetBlock(block, kind, zeros);
        applyPresetBlock(block, kind, ones);
    }
    BlockContent b;
    b.length = block.size();
    for (int number = 0; number <= param::last; ++number) {
        if (zeros.at(number) == ones.at(number)) {
            b.settingsParameters.push_back(number);
        }
    }
    b.settings = !b.settingsParameters.empty();
    b.matrix = zeros.ledDimEdit1 == ones.ledDimEdit1;
    b.routeFlags = zeros.routeFlags == ones.routeFlags;
    b.inputGain = zeros.inputGain == ones.inputGain;
    b.inputSwitch = zeros.inputSwitch == ones.inputSwitch;
    b.upperChannelGain = zeros.channelGain[63] == ones.channelGain[63];
    b.values = zeros;
    return b;
}

ShowResult decodeFile(std::span<const std::uint8_t> bytes, const QString& fileName) {
    const QString suffix = fileName.section('.', -1).toLower();
    if (bytes.empty()) {
        return {std::nullopt, "The file is empty."};
    }
    if (startsWith(bytes, "KELTA", 5) || suffix == "vpf" || suffix == "vrj") {
        return presetOrProject(bytes);
    }
    if (startsWith(bytes, kDevListMagic, sizeof kDevListMagic - 1) || suffix == "mv") {
        DeviceListView view;
        const DevListLoadResult loaded = decodeDeviceList(bytes, view.list);
        if (loaded.status == DevListStatus::BadHeader) {
            return {std::nullopt, "This is not a device list: it does not start with "
                                  "\"varentodevlist1\" and a zero byte."};
        }
        view.records = loaded.records;
        view.ignoredTail = loaded.ignoredTail;
        return {std::move(view), {}};
    }
    LabelsView labels;
    if (parseLabels(bytes, labels.labels) == LabelParse::NonPrintable) {
        const QString what = suffix == "txt" ? QString()
                                             : QString("Not a preset, project or device list "
                                                       "file, and as a label file: ");
        return {std::nullopt, QString("%1Import aborted! Label file contains non-printable "
                                      "characters (line %2). Only plain text files are "
                                      "supported. Please check the file.")
                                  .arg(what)
                                  .arg(firstBadLabelLine(bytes))};
    }
    return {std::move(labels), {}};
}

QJsonObject fileToJson(const FileView& view) {
    return std::visit(JsonVisitor{}, view);
}

QString fileToText(const FileView& view) {
    return std::visit(TextVisitor{}, view);
}

} // namespace varento::cli
