#include "files/devlist_file.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

struct Rec {
    std::int32_t position;
    int seed; // uidOf(seed)
    std::string typeName;
    std::string userName;
    std::uint8_t fwMajor = 0;
    std::uint8_t fwMinor = 0;
    std::int32_t presence = 0;
    std::uint32_t link = 0;     // the next-entry pointer an earlier version left
    std::uint8_t staleByte = 0; // what followed a name's NUL in its memory
};

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// devlist.mv written by hand, byte by byte.
Bytes fileOf(const std::vector<Rec>& records) {
    const char header[] = "varentodevlist1";
    Bytes out(header, header + 16);
    for (const Rec& r : records) {
        put32(out, static_cast<std::uint32_t>(r.position));
        const DeviceUid uid = uidOf(r.seed);
        out.insert(out.end(), uid.bytes.begin(), uid.bytes.end());
        for (const std::string& name : {r.typeName, r.userName}) {
            Bytes field(256, r.staleByte);
            std::memcpy(field.data(), name.data(), std::min<std::size_t>(name.size(), 256));
            if (name.size() < 256) {
                field[name.size()] = 0;
            }
            out.insert(out.end(), field.begin(), field.end());
        }
        out.insert(out.end(), {r.fwMajor, r.fwMinor, 0, 0});
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

TEST(DevListFile, FileOfAnEarlierInstallation) {
    const Bytes file = fileOf({
        {3, 3, "VARENTO.LC", "Rack C", 4, 2, presence::online, 0x00A81230, 0xCC},
        {1, 1, "OLD TYPE", "old name", 3, 9, presence::online, 0x00A81640, 0xCC},
        {2, 2, std::string(256, 'T'), "Rack B", 1, 0},
        {4, 1, "VARENTO.PX", "Rack A", 7, 7}, // the same unit again
    });
    DeviceList list;
    const DevListLoadResult r = decodeDeviceList(file, list);
    EXPECT_EQ(r.status, DevListStatus::Loaded);
    EXPECT_EQ(r.records, 4);
    EXPECT_EQ(userNames(list), (std::vector<std::string>{"Rack B", "Rack C", "Rack A"}));
    for (const KnownDevice& e : list) {
        EXPECT_EQ(e.presence, presence::offline) << e.userName;
    }
    const KnownDevice* repeated = list.find(uidOf(1));
    EXPECT_EQ(repeated->typeName, "VARENTO.PX"); // names and position from the later record,
    EXPECT_EQ(repeated->position, 4);
    EXPECT_EQ(repeated->fwMajor, 3); // firmware from the first
    EXPECT_EQ(list.find(uidOf(3))->fwMinor, 2);
    EXPECT_EQ(list.find(uidOf(2))->typeName, std::string(255, 'T')); // no NUL: cut to fit
}

TEST(DevListFile, SaveIsTheRecordLayoutAndRoundTripsByteExactly) {
    DeviceList list;
    KnownDevice* e = list.addOrRefresh(uidOf(5), "VARENTO.PX", 7, 3);
    e->userName = "FOH \xE4";
    e->presence = presence::online; // saved as it is in memory
    e->position = -2;
    list.addOrRefresh(uidOf(6), "", 0, 0)->userName = std::string(400, 'V'); // cut to 255
    const Bytes file = fileOf({{-2, 5, "VARENTO.PX", "FOH \xE4", 7, 3, presence::online},
                               {2, 6, "", std::string(255, 'V')}});
    EXPECT_EQ(encodeDeviceList(list), file);

    const Bytes canonical =
        fileOf({{1, 1, "VARENTO.PX", "Stage \x80 left", 1, 2}, {2, 15, "", "", 0, 0}});
    DeviceList loaded;
    decodeDeviceList(canonical, loaded);
    EXPECT_EQ(encodeDeviceList(loaded), canonical);
}

TEST(DevListFile, HeaderAndLength) {
    const Bytes good = fileOf({{2, 1, "X", "first"}, {1, 2, "X", "second"}});
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
    EXPECT_EQ(decodeDeviceList(Bytes(good.begin(), good.begin() + 16), list).status,
              DevListStatus::Loaded);
    EXPECT_TRUE(list.empty());

    // A short last record is ignored; the whole ones load and are sorted.
    const DevListLoadResult r = decodeDeviceList(Bytes(good.begin(), good.end() - 1), list);
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(r.ignoredTail, 543u);
    EXPECT_EQ(userNames(list), std::vector<std::string>{"first"});
}

TEST(DevListFile, SavingCreatesTheFolderAndReplacesARejectedFile) {
    TempDir dir;
    const auto folder = dir / "Maravelle Technologies" / "VARENTO Remote";
    DeviceList list;
    EXPECT_EQ(loadDeviceList(folder, list).status, DevListStatus::NoFile);
    list.addOrRefresh(uidOf(1), "VARENTO.PX", 1, 0)->presence = presence::online;
    ASSERT_FALSE(saveDeviceList(folder, list));
    EXPECT_EQ(readBytes(deviceListPath(folder)), encodeDeviceList(list));

    writeText(deviceListPath(folder), "not a device list at all");
    DeviceList fresh;
    EXPECT_EQ(loadDeviceList(folder, fresh).status, DevListStatus::BadHeader);
    ASSERT_FALSE(saveDeviceList(folder, list));
    EXPECT_EQ(loadDeviceList(folder, fresh).status, DevListStatus::Loaded);
    EXPECT_EQ(fresh.count(), 1);
}
