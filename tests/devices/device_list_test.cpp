#include "devices/device_list.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace varento;
using namespace varento::testing;

namespace {

// Entry i gets an id whose first byte is i, so the order can be read back.
DeviceList listWithPositions(const std::vector<int>& positions) {
    DeviceList list;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        DeviceUid uid;
        uid.bytes[0] = static_cast<std::uint8_t>(i);
        list.addOrRefresh(uid, "X", 0, 0)->position = positions[i];
    }
    return list;
}

std::vector<int> order(const DeviceList& list) {
    std::vector<int> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.uid.bytes[0]);
    }
    return out;
}

// The sort step by step: for k = N..1, the first entry after the front with
// position k moves to the front, unless the front has position k.
std::vector<int> referenceSort(const std::vector<int>& positions) {
    std::vector<std::pair<int, int>> e; // (entry, position)
    for (std::size_t i = 0; i < positions.size(); ++i) {
        e.emplace_back(static_cast<int>(i), positions[i]);
    }
    for (int k = static_cast<int>(e.size()); k >= 1; --k) {
        const auto it = std::find_if(e.begin() + 1, e.end(), [k](auto p) { return p.second == k; });
        if (e.front().second != k && it != e.end()) {
            std::rotate(e.begin(), it, it + 1);
        }
    }
    std::vector<int> out;
    for (const auto& p : e) {
        out.push_back(p.first);
    }
    return out;
}

} // namespace

TEST(DeviceList, UnitIdTextBothWays) {
    DeviceUid uid = DeviceUid::broadcast();
    EXPECT_EQ(unitIdText(uid), "0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F");
    uid.bytes[0] = 0x7A; // only the low four bits show
    uid.bytes[1] = 0x03;
    EXPECT_EQ(unitIdText(uid).substr(0, 6), "0A030F");
    EXPECT_EQ(unitIdFromText(unitIdText(uidOf(9))), uidOf(9));
    // The first character of a pair is ignored; lower case counts, anything else is 0,
    // and so are pairs past the end of a short text.
    const DeviceUid back = unitIdFromText("ZfXa1G09");
    EXPECT_EQ(std::vector<int>(back.bytes.begin(), back.bytes.begin() + 6),
              (std::vector<int>{0x0F, 0x0A, 0x00, 0x09, 0x00, 0x00}));
}

TEST(DeviceList, AddOrRefresh) {
    DeviceList list;
    list.addOrRefresh(uidOf(1), "VARENTO.PX", 2, 7);
    KnownDevice* e = list.addOrRefresh(uidOf(2), "VARENTO.LC", 3, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->position, 2);
    EXPECT_EQ(e->userName, unitIdText(uidOf(2)));
    EXPECT_EQ(e->presence, presence::offline);
    EXPECT_EQ(std::prev(list.end())->uid, uidOf(2));

    // Found again: only the type name changes.
    e->userName = "Stage left";
    e->position = 9;
    e->presence = presence::online;
    EXPECT_EQ(list.addOrRefresh(uidOf(2), "VARENTO.AES", 5, 5), e);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(e->typeName, "VARENTO.AES");
    EXPECT_EQ(e->userName, "Stage left");
    EXPECT_EQ(e->position, 9);
    EXPECT_EQ(e->presence, presence::online);
    EXPECT_EQ(e->fwMajor, 3);
    EXPECT_EQ(e->fwMinor, 1);
}

TEST(DeviceList, PresenceOnlineIdsAndRemoval) {
    DeviceList list;
    DeviceUid out = DeviceUid::broadcast();
    EXPECT_EQ(list.onlineId(1, out), -1);
    for (int seed = 1; seed <= 4; ++seed) {
        list.addOrRefresh(uidOf(seed), "X", 0, 0);
    }
    list.find(uidOf(2))->presence = presence::online;
    list.find(uidOf(3))->presence = presence::markedForRemoval;
    list.find(uidOf(4))->presence = presence::online;
    EXPECT_EQ(list.onlineId(0, out), -1);
    ASSERT_EQ(list.onlineId(2, out), 0);
    EXPECT_EQ(out, uidOf(4));
    EXPECT_EQ(list.onlineId(3, out), -1);

    list.markAllOffline();
    EXPECT_EQ(list.onlineCount(), 0);
    EXPECT_EQ(list.find(uidOf(3))->presence, presence::markedForRemoval);

    KnownDevice* kept = list.find(uidOf(4));
    list.removeMarked();
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.find(uidOf(3)), nullptr);
    EXPECT_EQ(list.find(uidOf(4)), kept);
    EXPECT_EQ(list.addOrRefresh(uidOf(3), "X", 0, 0)->position, 4); // new again, at the end
}

TEST(DeviceList, SortByPositionForAnyPositions) {
    DeviceList list = listWithPositions({3, 1, 2});
    KnownDevice* first = &*list.begin();
    list.sortByPosition();
    EXPECT_EQ(order(list), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(&*std::prev(list.end()), first); // entries move, they are not copied

    // Duplicates, gaps, zero, negatives, positions past N, a front entry that already
    // has its pass's position: the same result as the passes one by one.
    std::vector<std::vector<int>> cases = {{},        {5},       {2, 2, 1}, {0, -4, 7},
                                           {2, 0, 1}, {1, 3, 2}, {3, 3, 3}, {4, 1, 1, 4, 9}};
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> positions(random() % 12);
        for (int& p : positions) {
            p = static_cast<int>(random() % 16) - 2;
        }
        cases.push_back(positions);
    }
    for (const auto& positions : cases) {
        DeviceList l = listWithPositions(positions);
        l.sortByPosition();
        EXPECT_EQ(order(l), referenceSort(positions)) << ::testing::PrintToString(positions);
    }
}
