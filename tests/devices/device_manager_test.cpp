#include "devices/device_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace varento;

namespace {

DeviceUid uidOf(int n) {
    DeviceUid uid;
    uid.bytes[15] = static_cast<std::uint8_t>(n);
    return uid;
}

// Entries 1..n in list order, named "unit i", offline unless listed in `online`.
DeviceList listOf(int n, std::vector<int> online = {}) {
    DeviceList list;
    for (int i = 1; i <= n; ++i) {
        KnownDevice* e = list.addOrRefresh(uidOf(i), "VARENTO", 4, 1);
        e->userName = "unit " + std::to_string(i);
        if (std::find(online.begin(), online.end(), i) != online.end()) {
            e->presence = presence::online;
        }
    }
    return list;
}

std::vector<std::string> names(const DeviceList& list) {
    std::vector<std::string> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.userName);
    }
    return out;
}

std::vector<int> positions(const DeviceList& list) {
    std::vector<int> out;
    for (const KnownDevice& e : list) {
        out.push_back(e.position);
    }
    return out;
}

} // namespace

TEST(DeviceManager, DeletingAnOfflineUnitMarksItAndOkFreesIt) {
    DeviceList list = listOf(3);
    DeviceManager manager(list);
    ASSERT_EQ(manager.checkDelete(1), DeviceManager::DeleteCheck::Ask);
    manager.deleteRow(1);

    EXPECT_EQ(list.find(uidOf(2))->presence, presence::markedForRemoval);
    ASSERT_EQ(manager.rowCount(), 2);
    EXPECT_EQ(manager.row(1).userName, "unit 3");
    EXPECT_EQ(manager.row(1).pos, "2");
    EXPECT_EQ(list.find(uidOf(3))->position, 2);

    DeviceManager::accept(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"unit 1", "unit 3"}));
}

// Cancel: a delete, a move and a rename made in the manager are all undone, so
// neither the next OK nor the next start applies them.
TEST(DeviceManager, RevertPutsEveryEntryBack) {
    DeviceList list = listOf(3);
    DeviceManager manager(list);
    manager.deleteRow(0);
    manager.moveTo(1, 0);
    manager.rename(0, "renamed");
    list.addOrRefresh(uidOf(9), "VARENTO.LC", 4, 6); // found while the manager was open
    manager.revert();
    EXPECT_EQ(list.find(uidOf(1))->presence, presence::offline);
    DeviceManager::accept(list);
    EXPECT_EQ(names(list),
              (std::vector<std::string>{"unit 1", "unit 2", "unit 3", unitIdText(uidOf(9))}));
    int position = 0;
    for (const KnownDevice& entry : list) {
        EXPECT_EQ(entry.position, ++position);
    }
}

TEST(DeviceManager, OnlineUnitsAndMissingRowsAreNotDeleted) {
    DeviceList list = listOf(3, {2});
    DeviceManager manager(list);
    EXPECT_EQ(manager.checkDelete(1), DeviceManager::DeleteCheck::Online);
    EXPECT_EQ(manager.checkDelete(-1), DeviceManager::DeleteCheck::NoRow);
    EXPECT_EQ(manager.checkDelete(3), DeviceManager::DeleteCheck::NoRow);
    manager.deleteRow(1);
    EXPECT_EQ(manager.rowCount(), 3);
    EXPECT_EQ(list.find(uidOf(2))->presence, presence::online);
    EXPECT_EQ(positions(list), (std::vector<int>{1, 2, 3}));
}

TEST(DeviceManager, DraggingRenumbersAndOkKeepsTheNewOrder) {
    DeviceList list = listOf(3);
    DeviceManager manager(list);
    EXPECT_TRUE(manager.drop(2, 0)); // the third row above the first
    EXPECT_EQ(manager.row(0).userName, "unit 3");
    EXPECT_EQ(manager.row(0).pos, "1");
    DeviceManager::accept(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"unit 3", "unit 1", "unit 2"}));
    EXPECT_EQ(positions(list), (std::vector<int>{1, 2, 3}));
}

// The gap the drag shows: below the next row, and after the last row too.
TEST(DeviceManager, ADroppedRowLandsInTheGapShown) {
    DeviceList list = listOf(4);
    DeviceManager manager(list);
    EXPECT_TRUE(manager.drop(0, 3)); // between units 3 and 4
    EXPECT_EQ(manager.row(2).userName, "unit 1");
    EXPECT_TRUE(manager.drop(0, 2)); // unit 2 just below the next row
    EXPECT_EQ(manager.row(1).userName, "unit 2");
    EXPECT_TRUE(manager.drop(0, 4)); // into the last place
    DeviceManager::accept(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"unit 2", "unit 1", "unit 4", "unit 3"}));
    // The gaps on either side of the row itself, or outside the rows: nothing moves.
    DeviceManager again(list);
    EXPECT_FALSE(again.drop(1, 1));
    EXPECT_FALSE(again.drop(1, 2));
    EXPECT_FALSE(again.drop(1, 7));
    EXPECT_FALSE(again.drop(1, -1));
    EXPECT_FALSE(again.moveTo(-1, 0));
}

TEST(DeviceManager, RenameWritesRowAndEntry) {
    DeviceList list = listOf(2);
    DeviceManager manager(list);
    manager.rename(1, "Stage box");
    EXPECT_EQ(manager.row(1).userName, "Stage box");
    EXPECT_EQ(list.find(uidOf(2))->userName, "Stage box");
    EXPECT_EQ(list.find(uidOf(1))->userName, "unit 1");
}

// Two entries with one position (an old or hand-edited list): by the "Pos" number
// the rename would hit another unit; it hits the row's own.
TEST(DeviceManager, RenameWithDuplicatePositionsHitsTheRowsUnit) {
    DeviceList list = listOf(3);
    list.find(uidOf(1))->position = 1;
    list.find(uidOf(2))->position = 1;
    list.find(uidOf(3))->position = 2;
    DeviceManager manager(list);
    manager.rename(1, "second"); // shown as Pos 2, which entry 3 carries
    manager.rename(2, "third");  // shown as Pos 3, which no entry carries
    EXPECT_EQ(names(list), (std::vector<std::string>{"unit 1", "second", "third"}));
}

TEST(DeviceManager, RowsShowTheEntriesInListOrder) {
    DeviceList list = listOf(2, {1});
    DeviceManager manager(list);
    EXPECT_EQ(manager.text(0, DeviceManager::State), "Online");
    EXPECT_EQ(manager.text(1, DeviceManager::State), "Offline");
    EXPECT_EQ(manager.text(1, DeviceManager::UniqueId), unitIdText(uidOf(2)));
    EXPECT_EQ(manager.text(1, DeviceManager::Device), "VARENTO");
    EXPECT_EQ(manager.rowOf(uidOf(2)), 1);
    EXPECT_EQ(manager.rowOf(uidOf(9)), -1);
}

// The "Unique ID" text shows four bits per byte; a unit whose id has more must
// still be the one deleted, not the last entry.
TEST(DeviceManager, RowsKeepTheirUnitWhenTheIdTextIsAmbiguous) {
    DeviceList list = listOf(3);
    DeviceUid wide = uidOf(4);
    wide.bytes[0] = 0x1A;
    list.addOrRefresh(wide, "VARENTO", 4, 1)->userName = "wide";
    list.addOrRefresh(uidOf(5), "VARENTO", 4, 1)->userName = "last";
    DeviceManager manager(list);
    manager.deleteRow(3);
    EXPECT_EQ(list.find(wide)->presence, presence::markedForRemoval);
    EXPECT_EQ(list.find(uidOf(5))->presence, presence::offline);
    EXPECT_EQ(list.find(uidOf(5))->position, 4);
}
