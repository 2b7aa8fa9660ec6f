#include "files/devlist_file.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

const char kHeader[16] = "varentodevlist1";

struct Rec {
    std::int32_t position;
    DeviceUid uid;
    std::string typeName;
    std::string userName;
    std::uint8_t fwMajor;
    std::uint8_t fwMinor;
    std::int32_t presence = 0;
    std::uint32_t link = 0;
    std::uint16_t reserved = 0;
    std::uint8_t nameFill = 0; // what follows the NUL of a name in memory
};

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void putName(Bytes& out, const std::string& text, std::uint8_t fill) {
    Bytes field(256, fill);
    std::memcpy(field.data(), text.data(), std::min<std::size_t>(text.size(), 256));
    if (text.size() < 256) {
        field[text.size()] = 0;
    }
    out.insert(out.end(), field.begin(), field.end());
}

// A devlist.mv as an earlier installation wrote it: its records copied from memory,
// pointer and stale bytes after the names included.
Bytes fileOf(const std::vector<Rec>& records, const char* header = kHeader) {
    Bytes out(header, header + 16);
    for (const Rec& r : records) {
        put32(out, static_cast<std::uint32_t>(r.position));
        out.insert(out.end(), r.uid.bytes.begin(), r.uid.bytes.end());
        putName(out, r.typeName, r.nameFill);
        putName(out, r.userName, r.nameFill);
        out.push_back(r.fwMajor);
        out.push_back(r.fwMinor);
        out.push_back(static_cast<std::uint8_t>(r.reserved));
        out.push_back(static_cast<std::uint8_t>(r.reserved >> 8));
        put32(out, static_cast<std::uint32_t>(r.presence));
        put32(out, r.link);
    }
    return out;
}

std::vector<std::string> userNames(const DeviceList& list) {
    std::vector<std::string> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.userName);
    }
    return out;
}

} // namespace

TEST(DevListFile, EarlierInstallationFileLoadsSortedAndOffline) {
    const Bytes file = fileOf({
        {3, uidOf(3), "VARENTO.LC", "Rack C", 4, 2, 1, 0x00A81230, 0x5A5A, 0xCC},
        {1, uidOf(1), "VARENTO.PX", "Rack A", 3, 9, 1, 0x00A81640, 0, 0xCC},
        {2, uidOf(2), "VARENTO.AES", "Rack B", 1, 0, 0, 0, 0, 0x11},
    });
    ASSERT_EQ(file.size(), 16u + 3 * 544u);
    DeviceList list;
    const DevListLoadResult r = decodeDeviceList(file, list);
    EXPECT_EQ(r.status, DevListStatus::Loaded);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(userNames(list), (std::vector<std::string>{"Rack A", "Rack B", "Rack C"}));
    const KnownDevice* c = list.find(uidOf(3));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->typeName, "VARENTO.LC");
    EXPECT_EQ(c->fwMajor, 4);
    EXPECT_EQ(c->fwMinor, 2);
    EXPECT_EQ(c->position, 3);
    for (const KnownDevice& e : list) {
        EXPECT_EQ(e.presence, presence::offline) << e.userName;
    }
}

TEST(DevListFile, SavedBytesAreTheRecordLayout) {
    DeviceList list;
    KnownDevice* e = list.addOrRefresh(uidOf(5), "VARENTO.PX", 7, 3);
    e->userName = "FOH \xE4";
    e->presence = presence::online;
    e->position = -2;
    // Presence is saved as it is in memory; reserved bytes and the link are zero.
    const Bytes expected =
        fileOf({{-2, uidOf(5), "VARENTO.PX", "FOH \xE4", 7, 3, presence::online, 0, 0, 0}});
    EXPECT_EQ(encodeDeviceList(list), expected);
    EXPECT_EQ(encodeDeviceList(DeviceList{}), Bytes(kHeader, kHeader + 16));
}

TEST(DevListFile, RoundTripIsByteExact) {
    // A file in the form this program writes comes back unchanged through load and save.
    const Bytes file = fileOf({
        {1, uidOf(1), "VARENTO.PX", "Stage \x80 left", 1, 2},
        {2, uidOf(2), "VARENTO.LC", std::string(255, 'n'), 3, 4},
        {3, DeviceUid::broadcast(), "", "", 0, 0},
    });
    DeviceList list;
    decodeDeviceList(file, list);
    EXPECT_EQ(encodeDeviceList(list), file);

    DeviceList again;
    decodeDeviceList(encodeDeviceList(list), again);
    EXPECT_EQ(encodeDeviceList(again), file);
}

TEST(DevListFile, HeaderMustMatchInAllSixteenBytes) {
    const Bytes good = fileOf({{1, uidOf(1), "X", "Y", 0, 0}});
    for (std::size_t i = 0; i < 16; ++i) {
        Bytes bad = good;
        bad[i] = i == 15 ? 'x' : static_cast<std::uint8_t>(bad[i] ^ 0x20);
        DeviceList list;
        list.addOrRefresh(uidOf(9), "kept", 0, 0);
        EXPECT_EQ(decodeDeviceList(bad, list).status, DevListStatus::BadHeader) << "byte " << i;
        EXPECT_EQ(list.count(), 1);
    }
    DeviceList list;
    EXPECT_EQ(decodeDeviceList(Bytes(good.begin(), good.begin() + 15), list).status,
              DevListStatus::BadHeader);
    EXPECT_EQ(decodeDeviceList({}, list).status, DevListStatus::BadHeader);
    EXPECT_EQ(decodeDeviceList(Bytes(good.begin(), good.begin() + 16), list).status,
              DevListStatus::Loaded);
    EXPECT_TRUE(list.empty());
}

TEST(DevListFile, ShortLastRecordIsIgnored) {
    Bytes file = fileOf({{2, uidOf(1), "X", "first", 0, 0}, {1, uidOf(2), "X", "second", 0, 0}});
    const Bytes third = fileOf({{3, uidOf(3), "X", "third", 0, 0}});
    file.insert(file.end(), third.begin() + 16, third.begin() + 16 + 543);
    DeviceList list;
    const DevListLoadResult r = decodeDeviceList(file, list);
    EXPECT_EQ(r.status, DevListStatus::Loaded);
    EXPECT_EQ(r.records, 2);
    EXPECT_EQ(r.ignoredTail, 543u);
    EXPECT_EQ(userNames(list), (std::vector<std::string>{"second", "first"})); // still sorted
}

TEST(DevListFile, RepeatedIdKeepsTheLaterNamesAndPosition) {
    const Bytes file = fileOf({
        {1, uidOf(1), "OLD TYPE", "old name", 1, 1},
        {2, uidOf(2), "X", "other", 0, 0},
        {3, uidOf(1), "NEW TYPE", "new name", 9, 9},
    });
    DeviceList list;
    EXPECT_EQ(decodeDeviceList(file, list).records, 3);
    ASSERT_EQ(list.count(), 2);
    const KnownDevice* e = list.find(uidOf(1));
    EXPECT_EQ(e->typeName, "NEW TYPE");
    EXPECT_EQ(e->userName, "new name");
    EXPECT_EQ(e->position, 3);
    EXPECT_EQ(e->fwMajor, 1); // firmware stays from the first record
    EXPECT_EQ(userNames(list), (std::vector<std::string>{"other", "new name"}));
}

TEST(DevListFile, NameWithoutTerminatorIsCutToFitItsField) {
    const Bytes file = fileOf({{1, uidOf(1), std::string(256, 'T'), std::string(256, 'U'), 0, 0}});
    DeviceList list;
    decodeDeviceList(file, list);
    EXPECT_EQ(list.begin()->typeName, std::string(255, 'T'));
    EXPECT_EQ(list.begin()->userName, std::string(255, 'U'));
    // Longer names in memory are cut the same way when saved.
    list.begin()->userName = std::string(400, 'V');
    DeviceList back;
    decodeDeviceList(encodeDeviceList(list), back);
    EXPECT_EQ(back.begin()->userName, std::string(255, 'V'));
}

TEST(DevListFile, FolderLifecycle) {
    TempDir dir;
    const auto folder = dir / "Maravelle Technologies" / "VARENTO Remote";
    DeviceList list;
    EXPECT_EQ(loadDeviceList(folder, list).status, DevListStatus::NoFile);
    EXPECT_TRUE(list.empty());

    // The first save creates the missing folder instead of losing the list.
    list.addOrRefresh(uidOf(1), "VARENTO.PX", 1, 0)->presence = presence::online;
    list.addOrRefresh(uidOf(2), "VARENTO.LC", 2, 0);
    ASSERT_FALSE(saveDeviceList(folder, list));
    EXPECT_EQ(readBytes(folder / "devlist.mv"), encodeDeviceList(list));

    DeviceList loaded;
    EXPECT_EQ(loadDeviceList(folder, loaded).status, DevListStatus::Loaded);
    EXPECT_EQ(loaded.count(), 2);
    EXPECT_EQ(loaded.find(uidOf(1))->presence, presence::offline);

    // A file with a wrong header loads nothing and is replaced at the next save.
    writeText(folder / "devlist.mv", "not a device list at all");
    DeviceList fresh;
    EXPECT_EQ(loadDeviceList(folder, fresh).status, DevListStatus::BadHeader);
    EXPECT_TRUE(fresh.empty());
    ASSERT_FALSE(saveDeviceList(folder, list));
    EXPECT_EQ(readBytes(folder / "devlist.mv"), encodeDeviceList(list));
}
