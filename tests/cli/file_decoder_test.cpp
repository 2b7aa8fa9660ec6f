// Preset, project, device list and label files written byte by byte, read as `show`
// reads them.
#include "core/file_decoder.h"
#include "support/frames.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

using namespace varento;
using namespace varento::cli;
using namespace varento::testing;

namespace {

Bytes fileHeader(std::uint8_t type, std::uint8_t major = 3, std::uint8_t minor = 5,
                 std::uint8_t patch = 0, std::uint8_t version = 2) {
    return {'K', 'E', 'L', 'T', 'A', type, version, 0, major, minor, patch, 0};
}

void appendLe32(Bytes& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

void appendBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// A block of `length` bytes with a marker in every table.
Bytes block(std::size_t length) {
    Bytes b(672, 0);
    b[16] = 0x30;      // clockRate
    b[17] = 0x6A;      // ioOptions
    b[25] = 0x40;      // gainOptions
    b[26] = 0x41;      // delayOptions
    b[27] = 0x21;      // ledDimEdit1
    b[32 + 5] = 7;     // routeSource[5]
    b[288] = 20;       // inputGain 1
    b[320] = 250;      // channelGain 1
    b[352] = 3;        // inputSwitch 1
    b[384] = 9;        // channelGain 33
    b[416 + 5] = 0x04; // routeFlags[5]
    b.resize(length, 0);
    return b;
}

Bytes presetFile(const Bytes& data, Bytes head = fileHeader(0x10)) {
    appendLe32(head, static_cast<std::uint32_t>(data.size()));
    head.insert(head.end(), data.begin(), data.end());
    return head;
}

Bytes devListRecord(std::int32_t position, const DeviceUid& uid, const std::string& type,
                    const std::string& user) {
    Bytes r(544, 0);
    for (int i = 0; i < 4; ++i) {
        r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(position >> (8 * i));
    }
    std::copy(uid.bytes.begin(), uid.bytes.end(), r.begin() + 4);
    std::copy(type.begin(), type.end(), r.begin() + 20);
    std::copy(user.begin(), user.end(), r.begin() + 276);
    r[532] = 6;
    r[533] = 4;
    r[536] = 1; // online when saved; every entry loads offline
    return r;
}

ShowResult show(const Bytes& bytes, const QString& name = "file") {
    return decodeFile(bytes, name);
}

} // namespace

TEST(FileDecoder, PresetBlockFieldByField) {
    const ShowResult shown = show(presetFile(block(672)));
    ASSERT_TRUE(shown.view) << shown.error.toStdString();
    const auto& preset = std::get<PresetView>(*shown.view);
    const BlockContent& b = preset.block;
    EXPECT_TRUE(b.settings && b.matrix && b.routeFlags && b.inputGain && b.inputSwitch &&
                b.upperChannelGain);
    EXPECT_EQ(b.settingsParameters, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 20, 21}));
    EXPECT_EQ(b.values.at(param::delayOptions), 0x41);
    EXPECT_FALSE(preset.versionWarning);

    const QJsonObject json = fileToJson(*shown.view);
    EXPECT_EQ(json["file"].toString(), "preset");
    EXPECT_EQ(json["programVersion"].toString(), "3.5.0");
    const QJsonObject blockJson = json["block"].toObject();
    EXPECT_EQ(blockJson["clockRate"].toInt(), 0x30);
    EXPECT_EQ(blockJson["gainOptions"].toInt(), 0x40);
    EXPECT_EQ(blockJson["ledDimEdit1"].toInt(), 0x21);
    EXPECT_EQ(blockJson["routeSource"].toArray()[5].toInt(), 7);
    EXPECT_EQ(blockJson["routeFlags"].toArray()[5].toInt(), 4);
    EXPECT_EQ(blockJson["inputGain"].toArray()[0].toInt(), 20);
    EXPECT_EQ(blockJson["inputSwitch"].toArray()[0].toInt(), 3);
    EXPECT_EQ(blockJson["channelGain"].toArray()[0].toInt(), 250);
    EXPECT_EQ(blockJson["channelGain"].toArray()[32].toInt(), 9);
    EXPECT_TRUE(fileToText(*shown.view).contains("96 kHz, internal clock"));
}

TEST(FileDecoder, ShortBlocksOfOlderProgramsLoadLess) {
    struct Case {
        std::size_t length;
        bool routeFlags, gains, switches, upperGains, loads;
    };
    for (const Case c :
         {Case{672, true, true, true, true, true}, Case{416, false, true, true, true, true},
          Case{400, false, true, true, false, true}, Case{384, false, true, false, false, true},
          Case{288, false, false, false, false, true}, Case{287, false, false, false, false, false},
          Case{689, false, false, false, false, false}}) {
        SCOPED_TRACE(c.length);
        const ShowResult shown = show(presetFile(block(c.length)));
        ASSERT_TRUE(shown.view);
        const BlockContent& b = std::get<PresetView>(*shown.view).block;
        EXPECT_EQ(b.settings, c.loads);
        EXPECT_EQ(b.matrix, c.loads);
        EXPECT_EQ(b.routeFlags, c.routeFlags);
        EXPECT_EQ(b.inputGain, c.gains);
        EXPECT_EQ(b.inputSwitch, c.switches);
        EXPECT_EQ(b.upperChannelGain, c.upperGains);
        const QJsonObject json = fileToJson(*shown.view)["block"].toObject();
        EXPECT_EQ(json.contains("note"), !c.loads);
        if (c.gains) {
            EXPECT_EQ(json["channelGain"].toArray().size(), c.upperGains ? 64 : 32);
        }
    }
    const QString text = fileToText(*show(presetFile(block(384))).view);
    EXPECT_TRUE(text.contains("inputSwitch    not loaded from a block shorter than 400 bytes"));
}

TEST(FileDecoder, RejectedPresetFilesGiveTheProgramsMessages) {
    Bytes wrongMagic = presetFile(block(672));
    wrongMagic[4] = 'B';
    Bytes sizeTooLarge = fileHeader(0x10);
    appendLe32(sizeTooLarge, 672);
    sizeTooLarge.resize(100, 0);
    // The name only matters when the content does not tell: a damaged .vpf is a preset.
    const std::tuple<Bytes, QString, QString> cases[] = {
        {wrongMagic, "show.vpf", "This is not a valid VARENTO preset file!"},
        {Bytes{'A', '\r', '\n'}, "show.vpf", "This is not a valid VARENTO preset file!"},
        {presetFile(block(672), fileHeader(0x11)), "x", "Wrong file type. Opening file failed!"},
        {presetFile(block(672), fileHeader(0x10, 3, 5, 0, 3)), "x", "Wrong file format version."},
        {sizeTooLarge, "x", "Wrong data size information."},
    };
    for (const auto& [bytes, name, message] : cases) {
        const ShowResult shown = show(bytes, name);
        EXPECT_FALSE(shown.view);
        EXPECT_EQ(shown.error, message);
    }
    // Files of programs 1.4.1 to 1.6.x are read with a warning.
    const ShowResult old = show(presetFile(block(672), fileHeader(0x10, 1, 5, 2)));
    ASSERT_TRUE(old.view);
    EXPECT_TRUE(std::get<PresetView>(*old.view).versionWarning);
    EXPECT_TRUE(fileToText(*old.view).contains("upper 16 channels"));
}

TEST(FileDecoder, ProjectDatasetsByUnit) {
    Bytes data;
    appendBe32(data, 3);
    const DeviceUid first = uidOf(2);
    appendBe32(data, 672);
    data.insert(data.end(), first.bytes.begin(), first.bytes.end());
    const Bytes b = block(672);
    data.insert(data.end(), b.begin(), b.end());
    appendBe32(data, 700); // too long: skipped
    const DeviceUid second = uidOf(9);
    data.insert(data.end(), second.bytes.begin(), second.bytes.end());
    data.resize(data.size() + 700, 0);
    appendBe32(data, 672); // runs past the end: the list ends
    const ShowResult shown = show(presetFile(data, fileHeader(0x16)));
    ASSERT_TRUE(shown.view) << shown.error.toStdString();
    const auto& project = std::get<ProjectView>(*shown.view);
    EXPECT_EQ(project.declaredCount, 3u);
    ASSERT_EQ(project.datasets.size(), 1u);
    EXPECT_EQ(project.datasets[0].uid, first);
    EXPECT_EQ(project.datasets[0].block.values.routeSource[5], 7);
    const QJsonObject json = fileToJson(*shown.view);
    EXPECT_EQ(json["file"].toString(), "project");
    EXPECT_EQ(json["datasetCount"].toInt(), 3);
    EXPECT_EQ(json["datasets"].toArray()[0].toObject()["uid"].toString(),
              "02030405060708090A0B0C0D0E0F0001");
    EXPECT_TRUE(fileToText(*shown.view).contains("1 of the 3 datasets can be used"));
}

TEST(FileDecoder, DeviceListAsTheProgramLoadsIt) {
    const std::string header("varentodevlist1\0", 16);
    Bytes file(header.begin(), header.end());
    for (const Bytes& r : {devListRecord(2, uidOf(1), "VARENTO 2", "Stage left"),
                           devListRecord(1, uidOf(5), "VARENTO.LC", "FOH \xE4")}) {
        file.insert(file.end(), r.begin(), r.end());
    }
    file.resize(file.size() + 10, 0); // a short last record
    const ShowResult shown = show(file, "devlist.mv");
    ASSERT_TRUE(shown.view) << shown.error.toStdString();
    const auto& list = std::get<DeviceListView>(*shown.view);
    EXPECT_EQ(list.records, 2);
    EXPECT_EQ(list.ignoredTail, 10u);
    const QJsonArray entries = fileToJson(*shown.view)["entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first["position"].toInt(), 1);
    EXPECT_EQ(first["userName"].toString(), QString::fromUtf8("FOH \u00E4"));
    EXPECT_EQ(first["typeName"].toString(), "VARENTO.LC");
    EXPECT_EQ(first["fwMinor"].toInt(), 4);
    EXPECT_EQ(entries[1].toObject()["userName"].toString(), "Stage left");

    file[15] = '2';
    EXPECT_TRUE(show(file, "devlist.mv").error.contains("not a device list"));
}

TEST(FileDecoder, LabelFiles) {
    const std::string text = "Kick\r\nSn\xE4re\r\n\r\nA label longer than sixteen\r\n";
    const ShowResult shown = show(Bytes(text.begin(), text.end()), "labels.txt");
    ASSERT_TRUE(shown.view) << shown.error.toStdString();
    const QJsonArray labels = fileToJson(*shown.view)["labels"].toArray();
    ASSERT_EQ(labels.size(), 388);
    EXPECT_EQ(labels[0].toString(), "Kick");
    EXPECT_EQ(labels[1].toString(), QString::fromUtf8("Sn\u00E4re"));
    EXPECT_EQ(labels[2].toString(), "");
    EXPECT_EQ(labels[3].toString(), "A label longer t");
    EXPECT_EQ(labels[4].toString(), ""); // past the last line
    EXPECT_TRUE(fileToText(*shown.view).contains("AES IN 2        Sn\u00E4re"));

    const std::string tab = "A\r\nB\r\nC\tD\r\n";
    const ShowResult rejected = show(Bytes(tab.begin(), tab.end()), "labels.txt");
    EXPECT_FALSE(rejected.view);
    EXPECT_TRUE(rejected.error.startsWith("Import aborted! Label file contains non-printable "
                                          "characters (line 3)."))
        << rejected.error.toStdString();
    EXPECT_TRUE(show(Bytes{0x00, 0x01}, "blob.bin").error.startsWith("Not a preset, project"));
    EXPECT_EQ(show(Bytes{}, "empty.txt").error, "The file is empty.");
}
