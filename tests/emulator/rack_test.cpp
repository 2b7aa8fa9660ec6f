// Several units on one wire: discovery, addressing, the unit list's layout.
#include "unit/emulated_rack.h"

#include "protocol/frame_builders.h"
#include "protocol/handle_frame.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;

namespace {

std::vector<UnitConfig> units(int count) {
    std::vector<UnitConfig> out;
    for (int i = 0; i < count; ++i) {
        DeviceUid uid;
        uid.bytes[0] = static_cast<std::uint8_t>(i >> 4);
        uid.bytes[1] = static_cast<std::uint8_t>(i & 0x0F);
        uid.bytes[15] = 0x0A;
        out.push_back({static_cast<std::uint8_t>(8 + i % 16), uid, static_cast<std::uint8_t>(i % 8),
                       3, std::nullopt});
    }
    return out;
}

Bytes discover() {
    FrameBuffer b{};
    return {b.begin(), b.begin() + buildDiscover(b)};
}

} // namespace

TEST(EmulatedRack, DiscoveryListsEveryUnitInOneFrame) {
    EmulatedRack rack(defaultUnits());
    const auto replies = rack.receive(discover());
    ASSERT_EQ(replies.size(), 1u);
    Bytes expected = header(DeviceUid::broadcast(), 0x0E);
    for (const auto& u : defaultUnits()) {
        expected.insert(expected.end(), u.uid.bytes.begin(), u.uid.bytes.end());
        expected.insert(expected.end(), {u.model, u.firmwareMajor, u.firmwareMinor});
    }
    expected.push_back(0xF7);
    EXPECT_EQ(replies[0], expected);

    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList list;
    resetToPowerOnDefaults(current);
    EXPECT_EQ(handleFrame(replies[0], current, shadow, list).changeCode, change::unitList);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0)->model, 12);
    EXPECT_EQ(list.at(1)->model, 14);
    EXPECT_EQ(list.at(2)->model, 11);
    EXPECT_EQ(list.at(2)->at(param::firmwareMajor), 4);
    EXPECT_EQ(list.at(2)->at(param::firmwareMinor), 6);
}

TEST(EmulatedRack, MoreUnitsThanAFrameHoldsGoIntoSeveralListFrames) {
    const auto replies = EmulatedRack(units(41)).receive(discover());
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].size(), 18u + 40u * 19u + 1u); // at most 787
    EXPECT_EQ(replies[1].size(), 18u + 19u + 1u);
}

TEST(EmulatedRack, EachUnitActsOnlyOnWhatIsAddressedToItOrToAll) {
    const auto configs = defaultUnits();
    EmulatedRack rack(configs);
    const DeviceUid a = configs[0].uid;
    const DeviceUid b = configs[1].uid;

    EXPECT_TRUE(rack.receive(frameOf(uidOf(9), 0x10)).empty()); // nobody here
    const auto one = rack.receive(frameOf(b, 0x10));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(Bytes(one[0].begin(), one[0].begin() + 18), header(b, 0x30));

    rack.receive(frameOf(a, 0x20, {6, 33}));
    EXPECT_EQ(rack.find(a)->state().at(param::fanSlowTemp), 33);
    EXPECT_EQ(rack.find(b)->state().at(param::fanSlowTemp), 50);

    rack.receive(frameOf(DeviceUid::broadcast(), 0x20, {7, 66}));
    const auto all = rack.receive(frameOf(DeviceUid::broadcast(), 0x10));
    ASSERT_EQ(all.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Bytes(all[i].begin() + 1, all[i].begin() + 17),
                  Bytes(configs[i].uid.bytes.begin(), configs[i].uid.bytes.end()));
        EXPECT_EQ(rack.units()[i].state().at(param::fanFastTemp), 66);
    }

    const auto listed = rack.receive(frameOf(b, 0x0E));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].size(), 18u + 19u + 1u);
    EXPECT_TRUE(EmulatedRack(std::vector<UnitConfig>{}).receive(discover()).empty());
}

TEST(EmulatedRack, MalformedFramesGetNoReply) {
    EmulatedRack rack(defaultUnits());
    const DeviceUid a = defaultUnits()[0].uid;
    Bytes noStart = frameOf(a, 0x10);
    noStart[0] = 0xF1;
    Bytes noCommand = header(a, 0x10);
    noCommand.pop_back();
    Bytes tooLong = frameOf(a, 0x10);
    tooLong.insert(tooLong.end() - 1, 800, 0);
    for (const Bytes& bad : {noStart, noCommand, tooLong, Bytes{}}) {
        EXPECT_TRUE(rack.receive(bad).empty());
    }
    EXPECT_EQ(rack.receive(header(a, 0x10)).size(), 1u); // a missing end marker is forgiven
}
