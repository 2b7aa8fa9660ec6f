#include "devices/device_list.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

using namespace varento;
using namespace varento::testing;

namespace {

std::vector<int> positionsInOrder(const DeviceList& list) {
    std::vector<int> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.position);
    }
    return out;
}

std::vector<int> seedsInOrder(const DeviceList& list) {
    std::vector<int> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.uid.bytes[15]); // uidWithSeed puts the seed there
    }
    return out;
}

// Distinct ids for any number of entries: the seed is spread over the bytes.
DeviceUid uidWithSeed(int seed) {
    DeviceUid uid;
    for (std::size_t i = 0; i < 16; ++i) {
        uid.bytes[i] = static_cast<std::uint8_t>((seed >> (i % 8)) & 0x7F);
    }
    uid.bytes[15] = static_cast<std::uint8_t>(seed & 0xFF);
    uid.bytes[14] = static_cast<std::uint8_t>((seed >> 8) & 0xFF);
    return uid;
}

DeviceList listWithPositions(const std::vector<int>& positions) {
    DeviceList list;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        list.addOrRefresh(uidWithSeed(static_cast<int>(i)), "VARENTO.PX", 1, 0)->position =
            positions[i];
    }
    return list;
}

// The sort exactly as described: for k = N..1, move the first entry (after the
// front) with position k to the front unless the front has it.
std::vector<int> referenceSort(std::vector<std::pair<int, int>> entries) { // (seed, position)
    const int n = static_cast<int>(entries.size());
    for (int k = n; k >= 1; --k) {
        if (entries.empty() || entries.front().second == k) {
            continue;
        }
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].second == k) {
                const auto at = entries.begin() + static_cast<std::ptrdiff_t>(i);
                std::rotate(entries.begin(), at, at + 1);
                break;
            }
        }
    }
    std::vector<int> seeds;
    for (const auto& e : entries) {
        seeds.push_back(e.first);
    }
    return seeds;
}

} // namespace

TEST(UnitIdText, UsesOnlyTheLowNibbleOfEachByte) {
    EXPECT_EQ(unitIdText(DeviceUid::broadcast()), "0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F");
    DeviceUid uid{};
    uid.bytes[0] = 0x7A;
    uid.bytes[1] = 0x03;
    uid.bytes[15] = 0x1C;
    EXPECT_EQ(unitIdText(uid), "0A03000000000000000000000000000C");
}

TEST(UnitIdText, ReverseReadsTheSecondCharacterOfEachPair) {
    EXPECT_EQ(unitIdFromText(unitIdText(uidOf(9))), uidOf(9));
    // First characters are ignored, lower case counts, anything else is 0.
    const DeviceUid uid = unitIdFromText("ZfXa1G0900000000000000000000000b");
    EXPECT_EQ(uid.bytes[0], 0x0F);
    EXPECT_EQ(uid.bytes[1], 0x0A);
    EXPECT_EQ(uid.bytes[2], 0x00); // 'G'
    EXPECT_EQ(uid.bytes[3], 0x09);
    EXPECT_EQ(uid.bytes[15], 0x0B);
    // A short text leaves the missing pairs at 0.
    const DeviceUid shortUid = unitIdFromText("0F0");
    EXPECT_EQ(shortUid.bytes[0], 0x0F);
    EXPECT_EQ(shortUid.bytes[1], 0x00);
}

TEST(DeviceList, NewEntryIsAppendedOfflineAndNamedByItsId) {
    DeviceList list;
    list.addOrRefresh(uidOf(1), "VARENTO.PX", 2, 7);
    KnownDevice* e = list.addOrRefresh(uidOf(2), "VARENTO.LC", 3, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(e->position, 2);
    EXPECT_EQ(e->typeName, "VARENTO.LC");
    EXPECT_EQ(e->userName, unitIdText(uidOf(2)));
    EXPECT_EQ(e->fwMajor, 3);
    EXPECT_EQ(e->fwMinor, 1);
    EXPECT_EQ(e->presence, presence::offline);
    EXPECT_EQ(list.begin()->uid, uidOf(1));
    EXPECT_EQ(std::next(list.begin())->uid, uidOf(2));
}

TEST(DeviceList, RefreshReplacesOnlyTheTypeName) {
    DeviceList list;
    KnownDevice* e = list.addOrRefresh(uidOf(4), "VARENTO.PX", 2, 7);
    e->userName = "Stage left";
    e->position = 9;
    e->presence = presence::online;
    KnownDevice* again = list.addOrRefresh(uidOf(4), "VARENTO.AES", 5, 5);
    EXPECT_EQ(again, e);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(e->typeName, "VARENTO.AES");
    EXPECT_EQ(e->userName, "Stage left");
    EXPECT_EQ(e->position, 9);
    EXPECT_EQ(e->presence, presence::online);
    EXPECT_EQ(e->fwMajor, 2);
    EXPECT_EQ(e->fwMinor, 7);
}

TEST(DeviceList, OnlineIdCountsOnlyOnlineEntriesFromOne) {
    DeviceList list;
    DeviceUid out = DeviceUid::broadcast();
    EXPECT_EQ(list.onlineId(1, out), -1);
    for (int seed = 1; seed <= 4; ++seed) {
        list.addOrRefresh(uidOf(seed), "X", 0, 0);
    }
    list.find(uidOf(2))->presence = presence::online;
    list.find(uidOf(3))->presence = presence::markedForRemoval;
    list.find(uidOf(4))->presence = presence::online;
    EXPECT_EQ(list.onlineCount(), 2);
    EXPECT_EQ(list.onlineId(0, out), -1);
    EXPECT_EQ(out, DeviceUid::broadcast()); // untouched on failure
    ASSERT_EQ(list.onlineId(1, out), 0);
    EXPECT_EQ(out, uidOf(2));
    ASSERT_EQ(list.onlineId(2, out), 0);
    EXPECT_EQ(out, uidOf(4));
    EXPECT_EQ(list.onlineId(3, out), -1);
    EXPECT_EQ(list.onlineId(-1, out), -1);
}

TEST(DeviceList, MarkAllOfflineKeepsRemovalMarks) {
    DeviceList list;
    list.addOrRefresh(uidOf(1), "X", 0, 0)->presence = presence::online;
    list.addOrRefresh(uidOf(2), "X", 0, 0)->presence = presence::markedForRemoval;
    list.addOrRefresh(uidOf(3), "X", 0, 0);
    list.markAllOffline();
    EXPECT_EQ(list.find(uidOf(1))->presence, presence::offline);
    EXPECT_EQ(list.find(uidOf(2))->presence, presence::markedForRemoval);
    EXPECT_EQ(list.find(uidOf(3))->presence, presence::offline);
}

TEST(DeviceList, RemoveMarkedFreesOnlyMarkedEntries) {
    DeviceList list;
    for (int seed = 1; seed <= 4; ++seed) {
        list.addOrRefresh(uidOf(seed), "X", 0, 0);
    }
    list.find(uidOf(1))->presence = presence::markedForRemoval;
    list.find(uidOf(3))->presence = presence::markedForRemoval;
    KnownDevice* kept = list.find(uidOf(4));
    list.removeMarked();
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.find(uidOf(1)), nullptr);
    EXPECT_EQ(list.find(uidOf(3)), nullptr);
    EXPECT_EQ(list.find(uidOf(4)), kept);
    // A removed unit found again is a new entry at the end.
    KnownDevice* back = list.addOrRefresh(uidOf(1), "Y", 0, 0);
    EXPECT_EQ(back->position, 3);
    EXPECT_EQ(std::prev(list.end())->uid, uidOf(1));
}

TEST(DeviceList, SortOrdersAPermutationOfPositions) {
    DeviceList list = listWithPositions({3, 1, 2});
    list.sortByPosition();
    EXPECT_EQ(positionsInOrder(list), (std::vector<int>{1, 2, 3}));

    std::vector<int> positions(200);
    for (int i = 0; i < 200; ++i) {
        positions[static_cast<std::size_t>(i)] = i + 1;
    }
    std::shuffle(positions.begin(), positions.end(), std::mt19937(7));
    DeviceList big = listWithPositions(positions);
    KnownDevice* someEntry = big.find(uidWithSeed(17));
    big.sortByPosition();
    const auto sorted = positionsInOrder(big);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    EXPECT_EQ(big.find(uidWithSeed(17)), someEntry); // entries stay where they are in memory
}

TEST(DeviceList, SortMatchesTheMoveToFrontPassesForAnyPositions) {
    // Duplicates, gaps, zero, negatives and positions past N, and a front entry that
    // already has its pass's position.
    const std::vector<std::vector<int>> cases = {
        {},
        {5},
        {1, 1},
        {2, 2, 1},
        {3, 3, 3},
        {0, -4, 7},
        {2, 0, 1},
        {4, 1, 1, 4, 9},
        {3, 1, 2, 3, 1},
        {1, 3, 2},
        {2, 1, 3, 4},
        {5, 4, 3, 2, 1},
    };
    std::mt19937 random(2024);
    auto all = cases;
    for (int round = 0; round < 300; ++round) {
        std::vector<int> positions(random() % 12);
        for (int& p : positions) {
            p = static_cast<int>(random() % 16) - 2;
        }
        all.push_back(positions);
    }
    for (const auto& positions : all) {
        std::vector<std::pair<int, int>> reference;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            reference.emplace_back(static_cast<int>(i), positions[i]);
        }
        DeviceList list = listWithPositions(positions);
        list.sortByPosition();
        EXPECT_EQ(seedsInOrder(list), referenceSort(reference))
            << "positions " << ::testing::PrintToString(positions);
    }
}
