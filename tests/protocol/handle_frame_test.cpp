#include "protocol/handle_frame.h"
#include "protocol/level_conversion.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varento;
using namespace varento::testing;

namespace {

class HandleFrame : public ::testing::Test {
protected:
    HandleFrame() {
        resetToPowerOnDefaults(current);
        current.uid = uidOf(5);
    }

    FrameOutcome handle(const Bytes& f) { return handleFrame(f, current, shadow, list); }

    Bytes levelReply(int codes, bool withEnd) {
        Bytes f = header(current.uid, 0x31);
        for (int i = 0; i < codes; ++i) {
            f.push_back(static_cast<std::uint8_t>(0x40 + (i % 0x40)));
        }
        if (withEnd) {
            f.push_back(0xF7);
        }
        return f;
    }

    Bytes gainsReply(std::uint8_t inputGain0) {
        Bytes f = header(current.uid, 0x33);
        for (int i = 0; i < 128; ++i) {
            const std::uint8_t v = i == 0 ? inputGain0 : (i < 32 ? 20 : (i < 64 ? 2 : 250));
            f.push_back(static_cast<std::uint8_t>(v >> 7));
            f.push_back(v & 0x7F);
        }
        f.push_back(0xF7);
        return f;
    }

    Bytes routingReply() {
        Bytes f = header(current.uid, 0x32);
        for (int slot = 0; slot < 192; ++slot) {
            const int source = 191 - slot;
            f.insert(f.end(), {static_cast<std::uint8_t>(slot >> 7),
                               static_cast<std::uint8_t>(slot & 0x7F),
                               static_cast<std::uint8_t>(source >> 7),
                               static_cast<std::uint8_t>(source & 0x7F)});
        }
        f.push_back(0xF7);
        return f;
    }

    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList list;
};

void expectNotified(const FrameOutcome& o, int code) {
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.notify);
    EXPECT_EQ(o.changeCode, code);
}

void expectRejected(const FrameOutcome& o, int result) {
    EXPECT_EQ(o.result, result);
    EXPECT_FALSE(o.notify);
    EXPECT_FALSE(o.modelChanged);
}

} // namespace

TEST_F(HandleFrame, RejectsMalformedFrames) {
    expectRejected(handle({}), 203);
    expectRejected(handle({0xF7, 0x00}), 202);
    Bytes tooLong(788, 0);
    tooLong[0] = 0xF0;
    expectRejected(handle(tooLong), 203);
    expectRejected(handle({0xF0, 1, 2, 3}), 203); // no room for uid and command
    expectRejected(handle(frameOf(current.uid, 0x44)), 201);
    expectRejected(handle(frameOf(uidOf(6), 0x30, {0, 0x08})), 204);
    EXPECT_EQ(current.at(param::clockRate), 0x10);
}

TEST_F(HandleFrame, OwnRequestsAreAcceptedSilently) {
    for (int command : {0x10, 0x11, 0x12, 0x13, 0x20, 0x22, 0x23}) {
        const FrameOutcome o = handle(frameOf(uidOf(9), command, {0, 0x33}));
        EXPECT_EQ(o.result, 0);
        EXPECT_FALSE(o.notify);
    }
    EXPECT_EQ(current.at(param::clockRate), 0x10);
}

TEST_F(HandleFrame, ParametersDetectChangesAgainstShadow) {
    expectNotified(handle(header(current.uid, 0x30)), 0); // exactly 18 bytes
    const Bytes reply = frameOf(current.uid, 0x30, {0, 0x30, 6, 45, 13, 0x08, 14, 0x08});
    expectNotified(handle(reply), 1);
    EXPECT_EQ(current.at(param::clockRate), 0x30);
    EXPECT_EQ(current.at(param::fanSlowTemp), 45);
    EXPECT_EQ(current.ledDimEdit1, 0x08);
    EXPECT_EQ(current.ledDimEdit2, 0x08);
    expectNotified(handle(reply), 0);
    clearShadow(shadow);
    expectNotified(handle(reply), 1);
}

TEST_F(HandleFrame, CalibrationPairsAssembleFourteenBits) {
    const Bytes reply = frameOf(current.uid, 0x30, {9, 0x55, 10, 0x3C, 11, 0x01, 12, 0x01});
    expectNotified(handle(reply), 1);
    EXPECT_EQ(current.calibration1, 0x2ABC);
    EXPECT_EQ(current.calibration2, 0x81);
    // Parameter 9 alone changes calibration1 but is not a reported change.
    expectNotified(handle(frameOf(current.uid, 0x30, {9, 0x01})), 0);
    EXPECT_EQ(current.calibration1, 128);
}

TEST_F(HandleFrame, SkippedAndTruncatedPairs) {
    const Bytes reply = frameOf(current.uid, 0x30, {26, 5, 40, 7, 23, 41, 27}, false);
    expectNotified(handle(reply), 1);
    EXPECT_EQ(current.at(param::temperature), 41);
    EXPECT_EQ(current.at(param::firmwareMajor), 0); // the frame ends before its value
}

TEST_F(HandleFrame, ModelChangeIsReportedSeparately) {
    FrameOutcome o = handle(frameOf(current.uid, 0x30, {25, 12}));
    expectNotified(o, 1);
    EXPECT_TRUE(o.modelChanged);
    EXPECT_EQ(current.model, 12);
    o = handle(frameOf(current.uid, 0x30, {25, 12}));
    EXPECT_FALSE(o.modelChanged);
}

TEST_F(HandleFrame, LevelReplies) {
    FrameOutcome o = handle(levelReply(128, true)); // 147 bytes ending in 0xF7
    expectNotified(o, 5);
    EXPECT_EQ(current.levelCodes[127], 0x40 + 63);
    EXPECT_EQ(shadow.levelCodes[127], 0x40 + 63);
    EXPECT_FLOAT_EQ(current.levelDb[0], levelDbFromCode(0x40));

    // 147 bytes whose last is not the end marker: 201 after storing 128 codes.
    Bytes overflow = levelReply(129, false);
    overflow[18] = 0x11;
    expectRejected(handle(overflow), 201);
    EXPECT_EQ(current.levelCodes[0], 0x11);

    expectRejected(handle(levelReply(100, true)), 203);
    expectRejected(handle(levelReply(130, true)), 203);
}

TEST_F(HandleFrame, ShortLevelReplyConvertsEveryEntry) {
    current.levelCodes.fill(0x7F);
    Bytes f = levelReply(110, true);
    expectNotified(handle(f), 5);
    EXPECT_NEAR(current.levelDb[120], 17.44, 0.01); // not received, still converted
}

TEST_F(HandleFrame, RoutingReplies) {
    Bytes reply = routingReply();
    reply[18 + 4 * 5 + 2] = 0x06 | 0x01; // flags 0x06, source bit 7
    expectNotified(handle(reply), 2);
    EXPECT_EQ(current.routeSource[0], 191);
    EXPECT_EQ(current.routeSource[5], 186 | 0x80);
    EXPECT_EQ(current.routeFlags[5], 0x06);
    expectNotified(handle(reply), 0);

    reply.pop_back();
    expectRejected(handle(reply), 203); // 786 bytes
    EXPECT_EQ(current.routeSource[0], 191);
}

TEST_F(HandleFrame, GainRepliesClampInputGains) {
    expectNotified(handle(gainsReply(5)), 4);
    EXPECT_EQ(current.inputGain[0], 8);
    EXPECT_EQ(current.inputGain[1], 20);
    EXPECT_EQ(current.inputSwitch[0], 2);
    EXPECT_EQ(current.channelGain[63], 250);
    handle(gainsReply(70));
    EXPECT_EQ(current.inputGain[0], 63);
    handle(gainsReply(0x90)); // negative as a signed byte
    EXPECT_EQ(current.inputGain[0], 8);
}

TEST_F(HandleFrame, GainChangeAlsoSeesLocalEdits) {
    expectNotified(handle(gainsReply(30)), 4);
    expectNotified(handle(gainsReply(30)), 0);
    current.inputGain[5] = 40; // edited locally, not yet confirmed by the unit
    expectNotified(handle(gainsReply(30)), 4);
    EXPECT_EQ(current.inputGain[5], 20);
}

TEST_F(HandleFrame, EmptyAndShortGainReplies) {
    expectNotified(handle(frameOf(current.uid, 0x33, {0x7F})), 0);
    Bytes shortReply = gainsReply(30);
    shortReply.resize(200);
    expectRejected(handle(shortReply), 203);
    EXPECT_EQ(current.inputGain[0], 8);
}

TEST_F(HandleFrame, UnitListAddsEachCompleteEntry) {
    current.searchDaemonIndex = 2;
    Bytes f = header(DeviceUid::broadcast(), 0x0E);
    for (int seed : {1, 2}) {
        const DeviceUid uid = uidOf(seed);
        f.insert(f.end(), uid.bytes.begin(), uid.bytes.end());
        f.insert(f.end(), {static_cast<std::uint8_t>(10 + seed), 4, static_cast<std::uint8_t>(seed)});
    }
    Bytes partial = f;
    f.push_back(0xF7);
    expectNotified(handle(f), 6);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(1)->uid, uidOf(2));
    EXPECT_EQ(list.at(1)->model, 12);
    EXPECT_EQ(list.at(1)->at(param::firmwareMinor), 2);
    EXPECT_EQ(list.at(1)->daemonIndex, 2);

    // An entry cut short by the end of the frame is not added.
    list.clear();
    partial.resize(partial.size() - 5);
    expectNotified(handle(partial), 6);
    EXPECT_EQ(list.count(), 1);

    expectNotified(handle(header(DeviceUid::broadcast(), 0x0E)), 0);
}

TEST(LevelConversion, Codes) {
    EXPECT_EQ(levelDbFromCode(0x68), 0.0f);
    EXPECT_EQ(levelDbFromCode(0xE8), 0.0f); // bit 7 takes no part
    EXPECT_NEAR(levelDbFromCode(0x7F), 17.44f, 0.01f);
    EXPECT_EQ(levelDbFromCode(0x00), -255.0f);
    EXPECT_EQ(levelDbFromCode(0x01), -144.0f);
    EXPECT_EQ(levelDbFromCode(0x07), -78.0f);
    // e = 1, m = 0: 8 * 2^-18
    EXPECT_FLOAT_EQ(levelDbFromCode(0x08),
                    static_cast<float>(20.0 * std::log10(8.0 / 262144.0)) + 18.0f);
    EXPECT_NEAR(levelDbFromCode(0x69), 20.0 * std::log10(9.0 / 64.0) + 18.0, 1e-4);
}
