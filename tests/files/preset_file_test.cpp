#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace varento;
using namespace varento::testing;

namespace {

DeviceRecord distinctRecord() {
    DeviceRecord r;
    for (int p = 0; p <= 28; ++p) {
        if (p != 25) {
            r.at(p) = static_cast<std::uint8_t>(0x40 + p);
        }
    }
    r.ledDimEdit1 = 0xA1;
    r.ledDimEdit2 = 0xA2;
    for (std::size_t i = 0; i < 256; ++i) {
        r.routeSource[i] = static_cast<std::uint8_t>(255 - i);
        r.routeFlags[i] = static_cast<std::uint8_t>((i * 2) & 0xFE);
    }
    for (std::size_t i = 0; i < 32; ++i) {
        r.inputGain[i] = static_cast<std::uint8_t>(8 + i);
        r.inputSwitch[i] = static_cast<std::uint8_t>(i & 3);
    }
    for (std::size_t i = 0; i < 64; ++i) {
        r.channelGain[i] = static_cast<std::uint8_t>(100 + i);
    }
    return r;
}

// A preset file as an earlier installation writes it, assembled by hand.
Bytes handMadePresetFile(const DeviceRecord& r, std::uint8_t major = 3, std::uint8_t minor = 5,
                         std::uint8_t patch = 0) {
    Bytes f = {'K', 'E', 'L', 'T', 'A', 0x10, 2, 0, major, minor, patch, 0, 0xA0, 0x02, 0, 0};
    Bytes block(672, 0);
    const int settings[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 20, 21};
    for (int i = 0; i < 11; ++i) {
        block[16 + static_cast<std::size_t>(i)] = r.at(settings[i]);
    }
    block[27] = r.ledDimEdit1;
    block[28] = r.ledDimEdit2;
    for (std::size_t i = 0; i < 256; ++i) {
        block[32 + i] = r.routeSource[i];
        block[416 + i] = r.routeFlags[i];
    }
    for (std::size_t i = 0; i < 32; ++i) {
        block[288 + i] = r.inputGain[i];
        block[320 + i] = r.channelGain[i];
        block[352 + i] = r.inputSwitch[i];
        block[384 + i] = r.channelGain[32 + i];
    }
    f.insert(f.end(), block.begin(), block.end());
    return f;
}

} // namespace

TEST(PresetFile, WrittenFileIsByteIdenticalToTheLayout) {
    const DeviceRecord r = distinctRecord();
    const PresetBlock block = buildPresetBlock(r);
    const Bytes file = encodePresetFile(kPresetFileType, block);
    EXPECT_EQ(file.size(), 688u);
    EXPECT_EQ(file, handMadePresetFile(r));
}

TEST(PresetFile, HandMadeFileRoundTripsEveryKind) {
    const DeviceRecord source = distinctRecord();
    const PresetFileContent content = decodePresetFile(handMadePresetFile(source));
    ASSERT_EQ(content.error, PresetReadError::None);
    ASSERT_EQ(content.data.size(), 672u);
    DeviceRecord target;
    applyPresetBlock(content.data, PresetKind::Settings, target);
    applyPresetBlock(content.data, PresetKind::Matrix, target);
    applyPresetBlock(content.data, PresetKind::Gains, target);
    EXPECT_EQ(target.at(param::delayOptions), source.at(param::delayOptions));
    EXPECT_EQ(target.at(param::gainOptions), source.at(param::gainOptions));
    EXPECT_EQ(target.at(param::statusLeds), 0); // not part of a preset
    EXPECT_EQ(target.ledDimEdit2, source.ledDimEdit2);
    EXPECT_EQ(target.routeSource, source.routeSource);
    EXPECT_EQ(target.routeFlags, source.routeFlags);
    EXPECT_EQ(target.inputGain, source.inputGain);
    EXPECT_EQ(target.inputSwitch, source.inputSwitch);
    EXPECT_EQ(target.channelGain, source.channelGain);
}

TEST(PresetFile, ApplyFollowsTheBlockLength) {
    const DeviceRecord source = distinctRecord();
    const PresetBlock block = buildPresetBlock(source);
    const Bytes full(block.begin(), block.end());
    auto applied = [&](std::size_t n, PresetKind kind) {
        Bytes data(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(std::min(n, full.size())));
        data.resize(n, 0);
        DeviceRecord r;
        applyPresetBlock(data, kind, r);
        return r;
    };
    // 288: settings and routing, no gains.
    EXPECT_EQ(applied(288, PresetKind::Settings).at(param::clockRate), source.at(param::clockRate));
    EXPECT_EQ(applied(288, PresetKind::Matrix).routeSource, source.routeSource);
    EXPECT_EQ(applied(288, PresetKind::Matrix).routeFlags[2], 0);
    EXPECT_EQ(applied(288, PresetKind::Gains).inputGain[0], 0);
    // 384: first gains, not the switches nor the upper channel gains.
    DeviceRecord r = applied(384, PresetKind::Gains);
    EXPECT_EQ(r.inputGain, source.inputGain);
    EXPECT_EQ(r.channelGain[31], source.channelGain[31]);
    EXPECT_EQ(r.inputSwitch[1], 0);
    EXPECT_EQ(r.channelGain[32], 0);
    r = applied(400, PresetKind::Gains);
    EXPECT_EQ(r.inputSwitch, source.inputSwitch);
    EXPECT_EQ(r.channelGain[32], 0);
    EXPECT_EQ(applied(416, PresetKind::Gains).channelGain, source.channelGain);
    EXPECT_EQ(applied(672, PresetKind::Matrix).routeFlags, source.routeFlags);
    EXPECT_EQ(applied(688, PresetKind::Matrix).routeFlags, source.routeFlags);
    // Outside 288..688 nothing changes.
    EXPECT_EQ(applied(689, PresetKind::Settings).at(param::clockRate), 0);
    EXPECT_EQ(applied(287, PresetKind::Matrix).routeSource[0], 0);
}

TEST(PresetFile, RejectionsInCheckOrder) {
    const Bytes good = handMadePresetFile(distinctRecord());
    auto errorOf = [](Bytes f) { return decodePresetFile(f).error; };

    Bytes f = good;
    f[0] = 'k';
    EXPECT_EQ(errorOf(f), PresetReadError::BadMagic);
    EXPECT_EQ(errorOf({}), PresetReadError::BadMagic);
    EXPECT_EQ(errorOf({'K', 'E', 'L'}), PresetReadError::BadMagic);
    f = good;
    f[5] = 0x11;
    f[6] = 3; // the type is checked before the version
    EXPECT_EQ(errorOf(f), PresetReadError::WrongType);
    f = good;
    f[6] = 1;
    EXPECT_EQ(errorOf(f), PresetReadError::WrongVersion);
    f = good;
    f[12] = 0xB1; // N = 689 > 688-byte file
    EXPECT_EQ(errorOf(f), PresetReadError::SizeMismatch);
    f = good;
    f.resize(600); // N = 672 <= 600? no: size check first
    EXPECT_EQ(errorOf(f), PresetReadError::SizeMismatch);
    f = good;
    f.resize(680); // length >= N, but the data ends early
    EXPECT_EQ(errorOf(f), PresetReadError::ShortRead);
    f = good;
    f[5] = 0x16; // a project file passes the type check
    EXPECT_EQ(errorOf(f), PresetReadError::None);

    EXPECT_STREQ(presetReadErrorMessage(PresetReadError::BadMagic).text,
                 "This is not a valid VARENTO preset file!");
    EXPECT_STREQ(presetReadErrorMessage(PresetReadError::ShortRead).title, "File read error");
}

TEST(PresetFile, ProgramVersionWarning) {
    const DeviceRecord r = distinctRecord();
    auto warned = [&](int major, int minor, int patch) {
        return decodePresetFile(handMadePresetFile(r, static_cast<std::uint8_t>(major),
                                                   static_cast<std::uint8_t>(minor),
                                                   static_cast<std::uint8_t>(patch)))
            .versionWarning;
    };
    EXPECT_FALSE(warned(1, 4, 0));
    EXPECT_TRUE(warned(1, 4, 1));
    EXPECT_TRUE(warned(1, 5, 0));
    EXPECT_TRUE(warned(1, 6, 9));
    EXPECT_FALSE(warned(1, 7, 0));
    EXPECT_FALSE(warned(3, 5, 0));
    EXPECT_NE(programVersionWarningText().find("upper 16 channels"), std::string::npos);
}

TEST(ProjectFile, ThreeUnitsLayout) {
    std::vector<std::pair<DeviceUid, PresetBlock>> units;
    for (int i = 1; i <= 3; ++i) {
        DeviceRecord r = distinctRecord();
        r.inputGain[0] = static_cast<std::uint8_t>(10 + i);
        units.emplace_back(uidOf(i), buildPresetBlock(r));
    }
    const Bytes data = encodeProjectData(units);
    const Bytes file = encodePresetFile(kProjectFileType, data);
    ASSERT_EQ(file.size(), 2096u);
    EXPECT_EQ(file[5], 0x16);
    EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 20), (Bytes{0, 0, 0, 3}));
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 24), (Bytes{0, 0, 0x02, 0xA0}));
    EXPECT_EQ(file[24 + 15], uidOf(1).bytes[15]);
    EXPECT_EQ(file[16 + 4 + 692 + 20 + 288], 12); // second unit's first input gain

    const PresetFileContent content = decodePresetFile(file);
    ASSERT_EQ(content.error, PresetReadError::None);
    const ProjectData project = decodeProjectData(content.data);
    EXPECT_EQ(project.declaredCount, 3u);
    ASSERT_EQ(project.datasets.size(), 3u);
    EXPECT_EQ(project.datasets[2].uid, uidOf(3));
    EXPECT_EQ(project.datasets[2].block.size(), 672u);

    // A project offered to a preset load changes nothing: its data is too long.
    DeviceRecord r;
    applyPresetBlock(content.data, PresetKind::Settings, r);
    EXPECT_EQ(r.at(param::clockRate), 0);
}

TEST(ProjectFile, ReadsOnlyAsFarAsTheData) {
    std::vector<std::pair<DeviceUid, PresetBlock>> units = {
        {uidOf(1), buildPresetBlock(distinctRecord())},
        {uidOf(2), buildPresetBlock(distinctRecord())}};
    Bytes data = encodeProjectData(units);

    Bytes cut = data;
    cut.resize(data.size() - 1); // the second block ends early
    EXPECT_EQ(decodeProjectData(cut).datasets.size(), 1u);

    Bytes inflated = data;
    inflated[3] = 200; // K claims 200 datasets
    EXPECT_EQ(decodeProjectData(inflated).declaredCount, 200u);
    EXPECT_EQ(decodeProjectData(inflated).datasets.size(), 2u);

    Bytes huge = data;
    huge[4] = 0xFF; // L of the first dataset near 4 GiB
    EXPECT_TRUE(decodeProjectData(huge).datasets.empty());

    EXPECT_TRUE(decodeProjectData(Bytes{0, 0}).datasets.empty());
}

TEST(ProjectFile, OversizedBlockIsSkipped) {
    Bytes data = {0, 0, 0, 2};
    auto appendDataset = [&](std::uint32_t length, int seed) {
        data.insert(data.end(), {static_cast<std::uint8_t>(length >> 24),
                                 static_cast<std::uint8_t>(length >> 16),
                                 static_cast<std::uint8_t>(length >> 8),
                                 static_cast<std::uint8_t>(length)});
        const DeviceUid uid = uidOf(seed);
        data.insert(data.end(), uid.bytes.begin(), uid.bytes.end());
        data.insert(data.end(), length, 0x09);
    };
    appendDataset(700, 1);
    appendDataset(384, 2);
    const ProjectData project = decodeProjectData(data);
    ASSERT_EQ(project.datasets.size(), 1u);
    EXPECT_EQ(project.datasets[0].uid, uidOf(2));
    EXPECT_EQ(project.datasets[0].block.size(), 384u);
}

TEST(ProjectFile, ApplyKeepsTheUsbEmbedderBitAndGainsOnlyTouchesGains) {
    DeviceRecord source = distinctRecord();
    source.at(param::ioOptions) = 0x0A; // USB embedder off in the file
    const PresetBlock block = buildPresetBlock(source);

    DeviceRecord target;
    target.at(param::ioOptions) = 0x20;
    applyProjectDataset(block, false, target);
    EXPECT_EQ(target.at(param::ioOptions), 0x2A);
    EXPECT_EQ(target.routeSource, source.routeSource);
    EXPECT_EQ(target.channelGain, source.channelGain);

    DeviceRecord gainsOnly;
    applyProjectDataset(block, true, gainsOnly);
    EXPECT_EQ(gainsOnly.at(param::clockRate), 0);
    EXPECT_EQ(gainsOnly.routeSource[0], 0);
    EXPECT_EQ(gainsOnly.inputGain, source.inputGain);
}
