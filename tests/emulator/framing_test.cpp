// Frames taken out of a byte stream as a serial line or a MIDI port delivers it.
#include "unit/frame_assembler.h"

#include "protocol/frame_builders.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;

namespace {

DeviceRecord unit() {
    DeviceRecord r;
    resetToPowerOnDefaults(r);
    r.uid = uidOf(2);
    r.calibration1 = 0x3F7F; // 0x7F as a value must not end the frame
    return r;
}

std::vector<Frame> sample() {
    const DeviceRecord r = unit();
    FrameBuffer b{};
    auto take = [&b](int length) { return Frame(b.begin(), b.begin() + length); };
    return {take(buildRequestParams(b, r)), take(buildSetCalibration(b, r)),
            take(buildSetRoutingAll(b, r)), take(buildSetCalibration2(b, r)),
            take(buildSetChannelGains(b, r))};
}

Bytes joined(const std::vector<Frame>& frames) {
    Bytes all;
    for (const auto& f : frames) {
        all.insert(all.end(), f.begin(), f.end());
    }
    return all;
}

} // namespace

TEST(FrameAssembler, FramesSplitAtEveryByteBoundaryComeOutWhole) {
    const auto frames = sample();
    ASSERT_EQ(frames[1].back(), 0x7F); // the calibration messages have no 0xF7
    const Bytes stream = joined(frames);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameAssembler a;
        auto got = a.feed(std::span(stream).first(cut));
        auto rest = a.feed(std::span(stream).subspan(cut));
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(got, frames) << "cut at " << cut;
        EXPECT_EQ(a.discarded(), 0u);
        EXPECT_FALSE(a.inFrame());
    }
    FrameAssembler bytewise;
    std::vector<Frame> got;
    for (std::uint8_t byte : stream) {
        for (auto& f : bytewise.feed(std::span(&byte, 1))) {
            got.push_back(std::move(f));
        }
    }
    EXPECT_EQ(got, frames);
}

TEST(FrameAssembler, NoiseAndBrokenFramesAreDroppedAndCounted) {
    const Bytes request = frameOf(uidOf(2), 0x10);
    Bytes stream{0x00, 0x41, 0xF7};               // noise before any frame
    stream.insert(stream.end(), {0xF0, 1, 2, 3}); // abandoned by the next start
    stream.insert(stream.end(), request.begin(), request.end());
    Bytes overlong{0xF0};
    overlong.resize(900, 0x01); // longer than any frame
    stream.insert(stream.end(), overlong.begin(), overlong.end());
    stream.insert(stream.end(), request.begin(), request.end());
    FrameAssembler a;
    EXPECT_EQ(a.feed(stream), (std::vector<Frame>{request, request}));
    EXPECT_EQ(a.discarded(), 3u + 4u + 900u);
}

TEST(FrameAssembler, Only0x7FInAParameterNumberPlaceEndsASetParametersFrame) {
    FrameAssembler a;
    const Bytes gains = frameOf(uidOf(2), 0x23, {0, 0x7F, 0, 0x7F}); // 0x7F everywhere
    EXPECT_EQ(a.feed(gains), std::vector<Frame>{gains});
    const Bytes values = frameOf(uidOf(2), 0x20, {5, 0x7F, 6, 0x7F});
    EXPECT_EQ(a.feed(values), std::vector<Frame>{values});
    Bytes calibrationEnd = header(uidOf(2), 0x20);
    calibrationEnd.insert(calibrationEnd.end(), {11, 0x7F, 0x7F});
    EXPECT_EQ(a.feed(calibrationEnd), std::vector<Frame>{calibrationEnd});
}
