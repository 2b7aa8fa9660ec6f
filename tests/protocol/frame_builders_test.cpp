#include "protocol/frame_builders.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

Bytes built(const FrameBuffer& buffer, int length) {
    return {buffer.begin(), buffer.begin() + length};
}

DeviceRecord unit() {
    DeviceRecord r;
    resetToPowerOnDefaults(r);
    r.uid = uidOf(3);
    return r;
}

} // namespace

TEST(FrameBuilders, RequestsAreAddressedEmptyFrames) {
    FrameBuffer b{};
    const DeviceRecord r = unit();
    EXPECT_EQ(built(b, buildDiscover(b)), frameOf(DeviceUid::broadcast(), 0x0E));
    EXPECT_EQ(built(b, buildRequestParams(b, r)), frameOf(r.uid, 0x10));
    EXPECT_EQ(built(b, buildRequestLevels(b, r)), frameOf(r.uid, 0x11));
    EXPECT_EQ(built(b, buildRequestRouting(b, r)), frameOf(r.uid, 0x12));
    EXPECT_EQ(built(b, buildRequestGains(b, r)), frameOf(r.uid, 0x13));
}

TEST(FrameBuilders, SetParamSendsTheStoredByte) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.at(param::remoteOptions) = 0x4B;
    EXPECT_EQ(built(b, buildSetParam(b, r, param::remoteOptions)), frameOf(r.uid, 0x20, {8, 0x4B}));
    r.at(param::delayOptions) = 0x40;
    EXPECT_EQ(built(b, buildSetParam(b, r, param::delayOptions)), frameOf(r.uid, 0x20, {21, 0x40}));
}

TEST(FrameBuilders, DisplayDependsOnModel) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.at(param::ledDim1) = 0x08;
    r.at(param::ledDim2) = 0x00;
    r.at(param::statusLeds) = 0x25;
    r.model = 12;
    EXPECT_EQ(built(b, buildSetDisplay(b, r)), frameOf(r.uid, 0x20, {13, 0x08, 14, 0x00}));
    for (int aes : {18, 19}) {
        r.model = static_cast<std::uint8_t>(aes);
        const int n = buildSetDisplay(b, r);
        EXPECT_EQ(n, 21);
        EXPECT_EQ(built(b, n), frameOf(r.uid, 0x20, {15, 0x25}));
    }
}

TEST(FrameBuilders, LedDimEditSendsTheWorkingCopies) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.ledDimEdit1 = 0x08;
    r.ledDimEdit2 = 0x08;
    r.at(param::ledDim1) = 0;
    EXPECT_EQ(built(b, buildSetLedDimEdit(b, r)), frameOf(r.uid, 0x20, {13, 0x08, 14, 0x08}));
}

TEST(FrameBuilders, CalibrationSplitsFourteenBitsAndEndsWith7F) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.calibration1 = 0x2ABC; // high 0x55, low 0x3C
    r.calibration2 = 0x0081; // high 0x01, low 0x01
    r.at(param::calibrationOptions) = 0x40;
    Bytes expected = header(r.uid, 0x20);
    expected.insert(expected.end(), {9, 0x55, 10, 0x3C, 11, 0x01, 12, 0x01, 18, 0x40, 0x7F});
    const int n = buildSetCalibration(b, r);
    EXPECT_EQ(n, 29);
    EXPECT_EQ(built(b, n), expected);

    expected = header(r.uid, 0x20);
    expected.insert(expected.end(), {11, 0x01, 12, 0x01, 0x7F});
    EXPECT_EQ(built(b, buildSetCalibration2(b, r)), expected);
}

TEST(FrameBuilders, RoutingEntriesCarrySlotSourceAndFlags) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.routeSource[130] = 200; // bit 7 of the source travels in bit 0 of byte 2
    r.routeFlags[130] = 0x06;
    r.routeSource[131] = kNoSource;
    const int n = buildSetRoutingRange(b, r, packRoutingRange(130, 131));
    EXPECT_EQ(n, 19 + 8);
    Bytes expected = header(r.uid, 0x22);
    expected.insert(expected.end(), {1, 2, 0x07, 200 & 0x7F, 1, 3, 0x01, 0x7F, 0xF7});
    EXPECT_EQ(built(b, n), expected);
}

TEST(FrameBuilders, RoutingRangeBounds) {
    FrameBuffer b{};
    const DeviceRecord r = unit();
    EXPECT_EQ(built(b, buildSetRoutingRange(b, r, packRoutingRange(10, 5))), frameOf(r.uid, 0x22));
    EXPECT_EQ(buildSetRoutingRange(b, r, packRoutingRange(32, 63)), 19 + 4 * 32);
    // A last slot past the wire's 192 is cut there instead of overrunning the buffer.
    EXPECT_EQ(buildSetRoutingRange(b, r, packRoutingRange(0, 255)), 787);
    EXPECT_EQ(buildSetRoutingRange(b, r, packRoutingRange(200, 255)), 19);
}

TEST(FrameBuilders, RoutingAllIsTheLongestFrame) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    const int n = buildSetRoutingAll(b, r);
    ASSERT_EQ(n, 787);
    EXPECT_EQ(b[786], 0xF7);
    for (int slot = 0; slot < 192; ++slot) {
        const std::size_t off = 18 + 4 * static_cast<std::size_t>(slot);
        ASSERT_EQ(b[off] * 128 + b[off + 1], slot);
        ASSERT_EQ(((b[off + 2] & 1) << 7) | b[off + 3], slot);
    }
}

TEST(FrameBuilders, GainEntriesUseWireIndicesABC) {
    FrameBuffer b{};
    DeviceRecord r = unit();
    r.inputGain[4] = 40;
    r.inputSwitch[4] = 2;
    r.channelGain[63] = 255;
    EXPECT_EQ(built(b, buildSetInputGain(b, r, 4)), frameOf(r.uid, 0x23, {0, 4, 0, 40}));
    EXPECT_EQ(built(b, buildSetInputSwitch(b, r, 4)), frameOf(r.uid, 0x23, {0, 36, 0, 2}));
    EXPECT_EQ(built(b, buildSetChannelGain(b, r, 63)), frameOf(r.uid, 0x23, {0, 127, 1, 0x7F}));

    EXPECT_EQ(buildSetInputGains(b, r), 147);
    EXPECT_EQ(b[18 + 4 * 4 + 3], 40);
    EXPECT_EQ(buildSetInputSwitches(b, r), 147);
    EXPECT_EQ(b[18 + 1], 32);
    EXPECT_EQ(buildSetChannelGains(b, r), 275);
    EXPECT_EQ(b[18 + 1], 64);
    EXPECT_EQ(b[274], 0xF7);
}

TEST(FrameBuilders, OutOfRangeIndicesBuildNoEntry) {
    FrameBuffer b{};
    const DeviceRecord r = unit();
    EXPECT_EQ(buildSetInputGain(b, r, 32), 19);
    EXPECT_EQ(buildSetChannelGain(b, r, -1), 19);
    EXPECT_EQ(buildSetParam(b, r, 40), 19);
}

TEST(FrameBuilders, SendAllSettingsOrderAndPauses) {
    DeviceRecord r = unit();
    r.model = 12;
    const auto steps = sendAllSettingsSequence(r);
    const std::vector<int> order = {0, 1, 3, 4, 5, 6, 7, 2, 8, 21, 13};
    ASSERT_EQ(steps.size(), order.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].frame[17], 0x20);
        EXPECT_EQ(steps[i].frame[18], order[i]) << "step " << i;
        EXPECT_EQ(steps[i].pauseAfterMs, 20);
    }
    EXPECT_EQ(steps.back().frame.size(), 23u); // display: parameters 13 and 14

    const auto calibration = calibrationSequence(r);
    ASSERT_EQ(calibration.size(), 2u);
    EXPECT_EQ(calibration[0].pauseAfterMs, 50);
    EXPECT_EQ(calibration[0].frame.size(), 29u);
    EXPECT_EQ(calibration[1].frame.size(), 23u);

    const auto identify = identifySequence(r);
    ASSERT_EQ(identify.size(), 1u);
    EXPECT_EQ(identify[0].frame[18], 8);
}
