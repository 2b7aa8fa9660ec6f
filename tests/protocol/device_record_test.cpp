#include "protocol/discovered_list.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <string>

using namespace varento;
using namespace varento::testing;

TEST(DeviceRecord, PowerOnDefaults) {
    DeviceRecord r;
    r.labels[5][0] = 'x';
    r.routeFlags[3] = 0x10;
    resetToPowerOnDefaults(r);
    EXPECT_EQ(r.uid, DeviceUid::broadcast());
    EXPECT_EQ(r.at(param::clockRate), 0x10);
    EXPECT_EQ(r.at(param::ioOptions), 0x4A);
    EXPECT_EQ(r.calibration1, 2048);
    EXPECT_EQ(r.routeSource[191], 191);
    EXPECT_EQ(r.routeSource[192], 255);
    EXPECT_EQ(r.routeFlags[3], 0);
    EXPECT_EQ(r.channelGain[31], 255);
    EXPECT_EQ(r.channelGain[32], 0);
    EXPECT_EQ(r.levelCodes[127], 0x68);
    EXPECT_EQ(std::string(r.labels[0].data()), "1");
    EXPECT_EQ(std::string(r.labels[387].data()), "388");
}

TEST(DeviceRecord, FactoryDefaultsKeepIdentityLabelsAndFirmware) {
    DeviceRecord r;
    resetToPowerOnDefaults(r);
    r.uid = uidOf(7);
    r.model = 11;
    r.at(param::firmwareMajor) = 4;
    setLabel(r.labels[0], "Kick");
    r.at(param::clockRate) = 0x33;
    r.channelGain[40] = 3;
    r.inputGain[0] = 50;
    resetToFactoryDefaults(r);
    EXPECT_EQ(r.awaitingData, 1);
    EXPECT_EQ(r.uid, uidOf(7));
    EXPECT_EQ(r.model, 11);
    EXPECT_EQ(r.at(param::firmwareMajor), 4);
    EXPECT_EQ(std::string(r.labels[0].data()), "Kick");
    EXPECT_EQ(r.at(param::clockRate), 0x10);
    EXPECT_EQ(r.at(param::fanSlowTemp), 30);
    EXPECT_EQ(r.at(param::fanFastTemp), 70);
    EXPECT_EQ(r.channelGain[40], 255);
    EXPECT_EQ(r.inputGain[0], 8);
    EXPECT_EQ(r.levelCodes[0], 0);
}

TEST(DeviceRecord, LabelsAreCutAtSixteenCharacters) {
    Label label{};
    setLabel(label, "A very long channel name");
    EXPECT_EQ(std::string(label.data()), "A very long chan");
}

TEST(DeviceRecord, LedDimLevel) {
    DeviceRecord r;
    r.model = 12;
    r.at(param::ledDim1) = 0x08;
    r.at(param::ledDim2) = 0x00;
    EXPECT_EQ(r.ledDimLevel(), 2);
    r.model = 18;
    r.at(param::statusLeds) = 0x30;
    EXPECT_EQ(r.ledDimLevel(), 3);
}

TEST(DiscoveredList, AddOrUpdateKeepsFirmwareOfKnownUnits) {
    DiscoveredList list;
    list.addOrUpdate(uidOf(1), 12, 4, 1, 0);
    list.addOrUpdate(uidOf(2), 11, 4, 6, 1);
    list.addOrUpdate(uidOf(1), 14, 9, 9, 3);
    ASSERT_EQ(list.count(), 2);
    const DeviceRecord* first = list.at(0);
    EXPECT_EQ(first->uid, uidOf(1));
    EXPECT_EQ(first->model, 14);
    EXPECT_EQ(first->daemonIndex, 3);
    EXPECT_EQ(first->at(param::firmwareMajor), 4);
    EXPECT_EQ(first->awaitingData, 1);
    EXPECT_EQ(list.at(1)->uid, uidOf(2));
    EXPECT_EQ(list.at(2), nullptr);
}

TEST(DiscoveredList, RemoveByDaemonAndClear) {
    DiscoveredList list;
    list.addOrUpdate(uidOf(1), 12, 4, 1, 0);
    list.addOrUpdate(uidOf(2), 12, 4, 1, 1);
    list.addOrUpdate(uidOf(3), 12, 4, 1, 0);
    list.removeByDaemon(0);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0)->uid, uidOf(2));
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(DiscoveredList, RemovingAUnitKeepsTheOthersAndTheirRecords) {
    DiscoveredList list;
    list.addOrUpdate(uidOf(1), 12, 4, 1, 0);
    list.addOrUpdate(uidOf(2), 11, 4, 6, 1);
    DeviceRecord* kept = list.find(uidOf(2));
    kept->inputGain[0] = 42;
    list.remove(uidOf(1));
    list.remove(uidOf(9)); // unknown: nothing happens
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.find(uidOf(1)), nullptr);
    EXPECT_EQ(list.find(uidOf(2)), kept); // records stay where views hold them
    EXPECT_EQ(kept->inputGain[0], 42);
}
