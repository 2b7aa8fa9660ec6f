// Fault injection on an in-process wire: which replies are dropped, delayed,
// corrupted, and when the line is dead.
#include "unit/fault_injector.h"

#include "protocol/handle_frame.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;
using std::chrono::milliseconds;

namespace {

const UnitConfig kUnit{12, uidOf(4), 6, 6, std::nullopt};

Bytes params() {
    return frameOf(kUnit.uid, 0x10);
}

} // namespace

TEST(Faults, DropEveryNthReply) {
    FaultPlan plan;
    plan.dropEvery = 3;
    EmulatedWire wire({kUnit}, plan);
    std::vector<int> answered;
    for (int i = 1; i <= 9; ++i) {
        const Delivery d = wire.receive(params());
        EXPECT_EQ(d.frames.size() + d.dropped, 1u);
        if (!d.frames.empty()) {
            answered.push_back(i);
        }
    }
    EXPECT_EQ(answered, (std::vector<int>{1, 2, 4, 5, 7, 8}));
}

TEST(Faults, MuteStopsReceivingAndAnsweringThenResumes) {
    FaultPlan plan;
    plan.muteAfter = milliseconds(1000);
    plan.muteFor = milliseconds(500);
    EmulatedWire wire({kUnit}, plan);
    wire.advance(milliseconds(999));
    EXPECT_EQ(wire.receive(params()).frames.size(), 1u);
    wire.advance(milliseconds(1));
    const Delivery dead = wire.receive(frameOf(kUnit.uid, 0x20, {6, 33}));
    EXPECT_TRUE(dead.silent);
    EXPECT_TRUE(wire.receive(params()).frames.empty());
    EXPECT_EQ(wire.rack().units()[0].state().at(6), 50); // the set never arrived
    wire.advance(milliseconds(500));
    EXPECT_FALSE(wire.faults().silent());
    EXPECT_EQ(wire.receive(params()).frames.size(), 1u);

    FaultPlan forGood;
    forGood.muteAfter = milliseconds(0);
    EmulatedWire dark({kUnit}, forGood);
    dark.advance(milliseconds(3'600'000));
    EXPECT_TRUE(dark.receive(params()).silent);
}

TEST(Faults, CorruptionFlipsOneByteOfEveryNthReply) {
    FaultPlan plan;
    plan.corruptEvery = 2;
    EmulatedWire faulty({kUnit}, plan, 7);
    EmulatedWire clean({kUnit}, {}, 7);
    std::vector<std::size_t> positions;
    for (int i = 1; i <= 6; ++i) {
        const Delivery d = faulty.receive(params());
        const Frame good = clean.receive(params()).frames.at(0).frame;
        ASSERT_EQ(d.frames.size(), 1u);
        const Frame& got = d.frames[0].frame;
        EXPECT_EQ(d.frames[0].corrupted, i % 2 == 0);
        std::vector<std::size_t> differ;
        for (std::size_t k = 0; k < got.size(); ++k) {
            if (got[k] != good[k]) {
                differ.push_back(k);
                EXPECT_EQ(got[k], good[k] ^ 0x01);
            }
        }
        EXPECT_EQ(differ.size(), i % 2 == 0 ? 1u : 0u);
        if (!differ.empty()) {
            EXPECT_GT(differ[0], 0u); // markers stay, so a byte stream keeps its framing
            EXPECT_LT(differ[0], got.size() - 1);
            positions.push_back(differ[0]);
        }
    }
    EXPECT_EQ(positions.size(), 3u);

    plan.corruptEvery = 1;
    plan.corruptOffset = 17; // the command byte: 0x30 becomes 0x31, a level reply too short
    EmulatedWire aimed({kUnit}, plan);
    const Frame bad = aimed.receive(params()).frames.at(0).frame;
    EXPECT_EQ(bad[17], 0x31);
    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList list;
    current.uid = kUnit.uid;
    EXPECT_EQ(handleFrame(bad, current, shadow, list).result, frame_result::badLength);

    plan.corruptOffset = 5000; // past the end: the last byte
    EmulatedWire past({kUnit}, plan);
    EXPECT_EQ(past.receive(params()).frames.at(0).frame.back(), 0xF6);
}
