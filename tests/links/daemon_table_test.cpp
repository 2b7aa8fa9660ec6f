#include "links/daemon_table.h"

#include <gtest/gtest.h>

using namespace varento;

namespace {

// Announces like the network link does: an existing entry, else the lowest free one.
int announce(DaemonTable& t, int port) {
    if (const int i = t.indexOf(port); i >= 0) {
        return i;
    }
    const int i = t.freeIndex();
    if (i >= 0) {
        EXPECT_TRUE(t.occupy(i, port));
    }
    return i;
}

TEST(DaemonTable, FillsToThirtyTwoAndRefusesTheThirtyThird) {
    DaemonTable t;
    for (int i = 0; i < DaemonTable::kCapacity; ++i) {
        EXPECT_EQ(announce(t, 20000 + i), i);
    }
    EXPECT_EQ(t.count(), 32);
    EXPECT_EQ(announce(t, 30000), -1);
    EXPECT_EQ(t.indexOf(30000), -1);
    EXPECT_EQ(t.count(), 32);
    EXPECT_FALSE(t.occupy(32, 30000));
    EXPECT_FALSE(t.occupy(-1, 30000));
    for (int i = 0; i < DaemonTable::kCapacity; ++i) {
        EXPECT_EQ(t.portAt(i), 20000 + i);
    }
}

TEST(DaemonTable, RepeatedAnnouncementKeepsOneEntry) {
    DaemonTable t;
    EXPECT_EQ(announce(t, 7001), 0);
    EXPECT_EQ(announce(t, 7002), 1);
    EXPECT_EQ(announce(t, 7001), 0);
    EXPECT_EQ(t.count(), 2);
}

TEST(DaemonTable, WithdrawalLeavesTheOthersWhereUnitsPointAndTheHoleIsReused) {
    DaemonTable t;
    announce(t, 7001);
    announce(t, 7002);
    announce(t, 7003);

    EXPECT_EQ(t.withdraw(7002), 1);
    EXPECT_EQ(t.count(), 2);
    EXPECT_EQ(t.portAt(0), 7001);
    EXPECT_EQ(t.portAt(1), 0);
    EXPECT_EQ(t.portAt(2), 7003);
    EXPECT_EQ(t.liveIndices(), (std::vector<int>{0, 2}));

    // The next daemon takes the hole; the live entry at 2 is not overwritten.
    EXPECT_EQ(announce(t, 7004), 1);
    EXPECT_EQ(t.portAt(2), 7003);
    EXPECT_EQ(announce(t, 7005), 3);
    EXPECT_EQ(t.count(), 4);
}

TEST(DaemonTable, UnknownOrFreePortsAreNeverFoundOrWithdrawn) {
    DaemonTable t;
    announce(t, 7001);
    EXPECT_EQ(t.withdraw(7999), -1);
    EXPECT_EQ(t.withdraw(0), -1); // 0 marks the free entries
    EXPECT_EQ(t.indexOf(0), -1);
    EXPECT_FALSE(t.occupy(1, 0));
    EXPECT_FALSE(t.occupy(0, 7002)); // live
    EXPECT_EQ(t.count(), 1);
    EXPECT_EQ(t.portAt(99), 0);

    t.clear();
    EXPECT_EQ(t.count(), 0);
    EXPECT_EQ(t.freeIndex(), 0);
    EXPECT_TRUE(t.liveIndices().empty());
}

} // namespace
