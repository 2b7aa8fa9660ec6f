// One emulated unit: its replies byte by byte, and sets made with the
// application's own builders showing in the next replies.
#include "unit/emulated_unit.h"

#include "protocol/frame_builders.h"
#include "protocol/handle_frame.h"
#include "protocol/level_conversion.h"
#include "support/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;
using std::chrono::milliseconds;

namespace {

constexpr std::uint8_t kVarento2 = 12;
constexpr std::uint8_t kLc = 11;
constexpr std::uint8_t kPxSrc = 14;
constexpr std::uint8_t kAes = 18;

UnitConfig config(std::uint8_t model, int seed = 5) {
    return UnitConfig{model, uidOf(seed), 6, 6, std::nullopt};
}

// The application's side: a record that learns the unit from its replies.
struct App {
    explicit App(const DeviceUid& uid) {
        resetToPowerOnDefaults(current);
        current.uid = uid;
    }
    FrameOutcome take(const Frame& reply) { return handleFrame(reply, current, shadow, list); }
    Frame built(int length) const { return {buffer.begin(), buffer.begin() + length}; }

    DeviceRecord current;
    DeviceRecord shadow;
    DiscoveredList list;
    FrameBuffer buffer{};
};

Frame only(std::vector<Frame> replies) {
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? Frame{} : replies.front();
}

Frame request(EmulatedUnit& unit, std::uint8_t command) {
    return only(unit.receive(frameOf(unit.uid(), command)));
}

} // namespace

TEST(EmulatedUnit, ParameterReplyCarriesEveryParameterInPairs) {
    EmulatedUnit unit(UnitConfig{kVarento2, uidOf(5), 4, 1, std::nullopt}, 1);
    Bytes expected = header(uidOf(5), 0x30);
    for (std::uint8_t n = 0; n <= 28; ++n) {
        if (n != 26) { // 26 names no parameter
            expected.insert(expected.end(), {n, unit.parameterValue(n)});
        }
    }
    expected.push_back(0xF7);
    EXPECT_EQ(request(unit, 0x10), expected);
    // Against the parameter table: rate, calibration 2048 in two halves, identity.
    EXPECT_EQ(unit.parameterValue(0), 0x10);
    EXPECT_EQ(unit.parameterValue(9), 16);
    EXPECT_EQ(unit.parameterValue(10), 0);
    EXPECT_EQ(
        (std::array{unit.parameterValue(25), unit.parameterValue(27), unit.parameterValue(28)}),
        (std::array<std::uint8_t, 3>{kVarento2, 4, 1}));
    // Read-only status and identity ignore sets.
    unit.receive(frameOf(unit.uid(), 0x20, {16, 0, 23, 99, 25, 3, 27, 1, 40, 1}));
    EXPECT_EQ(request(unit, 0x10), expected);
}

TEST(EmulatedUnit, LevelRoutingAndGainRepliesHaveTheirFixedLayouts) {
    EmulatedUnit unit(config(kLc), 1);
    const Frame levels = request(unit, 0x11);
    ASSERT_EQ(levels.size(), 147u);
    EXPECT_EQ(Bytes(levels.begin(), levels.begin() + 18), header(uidOf(5), 0x31));
    EXPECT_TRUE(
        std::all_of(levels.begin() + 18, levels.end() - 1, [](auto c) { return c < 0x80; }));
    EXPECT_EQ(levels.back(), 0xF7);

    Bytes routing = header(uidOf(5), 0x32); // power-on: output s plays source s
    Bytes gains = header(uidOf(5), 0x33);   // 32 gains of 30 dB, switches off, 64 levels 0 dB
    for (int s = 0; s < 192; ++s) {
        const auto hi = static_cast<std::uint8_t>(s >> 7);
        const auto lo = static_cast<std::uint8_t>(s & 0x7F);
        routing.insert(routing.end(), {hi, lo, hi, lo});
    }
    for (int g = 0; g < 128; ++g) {
        gains.insert(gains.end(), {0, static_cast<std::uint8_t>(g < 32 ? 30 : 0)});
    }
    routing.push_back(0xF7);
    gains.push_back(0xF7);
    EXPECT_EQ(request(unit, 0x12), routing);
    EXPECT_EQ(routing.size(), 787u);
    EXPECT_EQ(request(unit, 0x13), gains);
    EXPECT_EQ(gains.size(), 275u);
}

TEST(EmulatedUnit, SetsUseThePayloadEncodings) {
    EmulatedUnit unit(config(kVarento2), 1);
    // Routing entry: slot 130 (bit 7 in byte 0), source 200 (bit 7 in byte 2), flags 0x06.
    unit.receive(frameOf(unit.uid(), 0x22, {1, 2, 0x07, 0x48}));
    EXPECT_EQ(unit.state().routeSource[130], 200);
    EXPECT_EQ(unit.state().routeFlags[130], 0x06);
    const Frame routing = request(unit, 0x12);
    EXPECT_EQ(Bytes(routing.begin() + 18 + 4 * 130, routing.begin() + 18 + 4 * 131),
              (Bytes{1, 2, 0x07, 0x48}));

    // Gain entries: index 0 (input gain), 33 (switch of input 2), 127 with value 246.
    unit.receive(frameOf(unit.uid(), 0x23, {0, 0, 0, 40, 0, 33, 0, 3, 0, 127, 1, 0x76}));
    const Frame gains = request(unit, 0x13);
    EXPECT_EQ(gains[18 + 0], 0);
    EXPECT_EQ(gains[18 + 1], 40);
    EXPECT_EQ(gains[18 + 2 * 33 + 1], 3);
    EXPECT_EQ(gains[18 + 2 * 127], 1);
    EXPECT_EQ(gains[18 + 2 * 127 + 1], 0x76);

    // Slots and gain indices beyond the tables are ignored, not written anywhere.
    const DeviceRecord before = unit.state();
    unit.receive(frameOf(unit.uid(), 0x22, {1, 0x50, 0, 1})); // slot 208
    unit.receive(frameOf(unit.uid(), 0x23, {1, 0, 0, 9}));    // index 128
    EXPECT_EQ(unit.state().routeSource, before.routeSource);
    EXPECT_EQ(unit.state().channelGain, before.channelGain);
}

TEST(EmulatedUnit, EverySetShowsInTheNextRepliesAsTheApplicationReadsThem) {
    EmulatedUnit unit(config(kVarento2), 1);
    App app(unit.uid());
    app.take(request(unit, 0x10));
    app.take(request(unit, 0x12));
    app.take(request(unit, 0x13));

    DeviceRecord edit = app.current;
    edit.at(param::clockRate) = 0x30;
    edit.at(param::fanSlowTemp) = 41;
    edit.at(param::delayOptions) = 0x40;
    edit.calibration1 = 0x1234;
    edit.calibration2 = 0x0ABC;
    edit.at(param::calibrationOptions) = 0x40;
    edit.routeSource[5] = 40;
    edit.routeFlags[7] = 0x7E;
    edit.routeFlags[9] = 0xFE; // bit 7 cannot travel inside a frame: the unit keeps 1..6
    edit.routeSource[150] = kNoSource;
    edit.inputGain[3] = 50;
    edit.inputSwitch[3] = 2;
    edit.channelGain[63] = 0xFA;
    auto send = [&](int length) { EXPECT_TRUE(unit.receive(app.built(length)).empty()); };
    for (const auto& step : sendAllSettingsSequence(edit)) {
        EXPECT_TRUE(unit.receive(step.frame).empty());
    }
    for (const auto& step : calibrationSequence(edit)) { // these two end in 0x7F
        EXPECT_TRUE(unit.receive(step.frame).empty());
    }
    send(buildSetRoutingAll(app.buffer, edit));
    send(buildSetInputGains(app.buffer, edit));
    send(buildSetInputSwitch(app.buffer, edit, 3));
    send(buildSetChannelGain(app.buffer, edit, 63));

    EXPECT_EQ(app.take(request(unit, 0x10)).changeCode, change::parameters);
    EXPECT_EQ(app.take(request(unit, 0x12)).changeCode, change::routing);
    EXPECT_EQ(app.take(request(unit, 0x13)).changeCode, change::gains);
    EXPECT_EQ(app.current.at(param::clockRate), 0x30);
    EXPECT_EQ(app.current.at(param::fanSlowTemp), 41);
    EXPECT_EQ(app.current.at(param::delayOptions), 0x40);
    EXPECT_EQ(app.current.calibration1, 0x1234);
    EXPECT_EQ(app.current.calibration2, 0x0ABC);
    EXPECT_EQ(app.current.at(param::calibrationOptions), 0x40);
    EXPECT_EQ(app.current.routeSource, edit.routeSource);
    EXPECT_EQ(app.current.routeFlags[9], 0x7E);
    edit.routeFlags[9] = 0x7E;
    EXPECT_EQ(app.current.routeFlags, edit.routeFlags);
    EXPECT_EQ(app.current.inputGain, edit.inputGain);
    EXPECT_EQ(app.current.inputSwitch, edit.inputSwitch);
    EXPECT_EQ(app.current.channelGain, edit.channelGain);
}

TEST(EmulatedUnit, StatusSharingBytesAndAesLedDimKeepTheUnitsBits) {
    // Extended models report input status in bits 0-5 of parameter 17; only bit 6 is set.
    EmulatedUnit px(config(kPxSrc), 1);
    const std::uint8_t status = px.parameterValue(param::param17) & 0x3F;
    px.receive(frameOf(px.uid(), 0x20, {17, 0x40}));
    EXPECT_EQ(px.parameterValue(param::param17), status | 0x40);
    EmulatedUnit base(config(kVarento2), 1);
    base.receive(frameOf(base.uid(), 0x20, {17, 0x45}));
    EXPECT_EQ(base.parameterValue(param::param17), 0x45);

    // AES models: the application's display setter (parameter 15) moves bits 4-5 of 24.
    EmulatedUnit aes(config(kAes), 1);
    App app(aes.uid());
    app.take(request(aes, 0x10));
    app.current.at(param::statusLeds) =
        static_cast<std::uint8_t>((app.current.at(param::statusLeds) & ~0x30) | 0x10);
    aes.receive(app.built(buildSetDisplay(app.buffer, app.current)));
    app.take(request(aes, 0x10));
    EXPECT_EQ(app.current.ledDimLevel(), 1);
    EXPECT_EQ(app.current.at(param::statusLeds) & 0x07, 0x01);
}

TEST(EmulatedUnit, IdentifyBlinksTheStatusLedsForAFewSecondsThenClearsItsBit) {
    EmulatedUnit unit(config(kVarento2), 1);
    unit.receive(frameOf(unit.uid(), 0x20, {8, 0x08}));
    ASSERT_TRUE(unit.identifying());
    std::set<int> seen;
    for (int t = 0; t < 2000; t += 125) {
        seen.insert(unit.parameterValue(param::statusLeds) & 0x07);
        unit.advance(milliseconds(125));
    }
    EXPECT_EQ(seen, (std::set<int>{0, 7}));
    EXPECT_EQ(unit.parameterValue(param::remoteOptions) & 0x08, 0x08);
    unit.advance(EmulatedUnit::kIdentifyTime);
    EXPECT_FALSE(unit.identifying());
    EXPECT_EQ(unit.parameterValue(param::remoteOptions), 0);
    EXPECT_EQ(unit.parameterValue(param::statusLeds) & 0x07, 0x01);
}

TEST(EmulatedUnit, OutputMetersFollowTheRouting) {
    EmulatedUnit unit(config(kVarento2), 3);
    unit.advance(milliseconds(500));
    // Find two sources that carry a signal right now (some inputs rest quietly).
    std::vector<int> live;
    for (int s = 8; s < 64 && live.size() < 2; ++s) {
        if (unit.meterDb(64 + s) != kSilence) {
            live.push_back(s);
        }
    }
    ASSERT_EQ(live.size(), 2u);
    const int a = live[0];
    const int b = live[1];
    // Output 0 plays a, output 1 plays nothing.
    unit.receive(frameOf(unit.uid(), 0x22, {0, 0, 0, static_cast<std::uint8_t>(a), 0, 1, 1, 0x7F}));
    EXPECT_EQ(unit.meterDb(0), unit.meterDb(64 + a));
    EXPECT_EQ(unit.meterDb(1), kSilence);
    EXPECT_EQ(request(unit, 0x11)[18 + 1], 0); // silence on the wire

    // A bus carries the power sum of its channels: a and b summed onto BUS 1.
    unit.receive(
        frameOf(unit.uid(), 0x22,
                {0, static_cast<std::uint8_t>(a), 0x02, static_cast<std::uint8_t>(a), 0,
                 static_cast<std::uint8_t>(b), 0x02, static_cast<std::uint8_t>(b), 0, 2, 1, 0x40}));
    EXPECT_GT(unit.meterDb(2), std::max(unit.meterDb(64 + a), unit.meterDb(64 + b)));

    // Output levels count only while gains are enabled; mute silences every output.
    unit.receive(frameOf(unit.uid(), 0x23, {0, 64, 1, 0x7A})); // output 1..: -6 dB on output 0
    EXPECT_EQ(unit.meterDb(0), unit.meterDb(64 + a));
    unit.receive(frameOf(unit.uid(), 0x20, {17, 0x40}));
    EXPECT_FLOAT_EQ(unit.meterDb(0), unit.meterDb(64 + a) - 6.0f);
    unit.receive(frameOf(unit.uid(), 0x20, {20, 0x40}));
    EXPECT_EQ(unit.meterDb(0), kSilence);
    EXPECT_NE(unit.meterDb(64 + a), kSilence);
}

TEST(EmulatedUnit, MicrophoneGainAndPadMoveTheAnalogInputMeters) {
    EmulatedUnit unit(config(kLc), 3);
    int input = 0;
    while (input < 32 && unit.meterDb(96 + input) == kSilence) {
        ++input;
    }
    ASSERT_LT(input, 32);
    const float before = unit.meterDb(96 + input);
    const auto g = static_cast<std::uint8_t>(input);
    unit.receive(frameOf(unit.uid(), 0x23, {0, g, 0, 45})); // 30 -> 45 dB
    EXPECT_FLOAT_EQ(unit.meterDb(96 + input), before + 15.0f);
    unit.receive(
        frameOf(unit.uid(), 0x23, {0, static_cast<std::uint8_t>(32 + input), 0, 1})); // PAD
    EXPECT_FLOAT_EQ(unit.meterDb(96 + input), before - 5.0f);
}

TEST(EmulatedUnit, MetersMoveAndReplayFromTheSeed) {
    EmulatedUnit first(config(kVarento2), 9);
    EmulatedUnit second(config(kVarento2), 9);
    EmulatedUnit other(config(kVarento2), 10);
    const Frame start = first.levelReply();
    for (int i = 0; i < 20; ++i) {
        first.advance(milliseconds(100));
        second.advance(milliseconds(100));
        other.advance(milliseconds(100));
    }
    EXPECT_EQ(first.levelReply(), second.levelReply());
    EXPECT_NE(first.levelReply(), start);
    EXPECT_NE(first.levelReply(), other.levelReply());
    // Every code decodes to a level the meters can show: silence or -72..+17 dB.
    for (std::size_t i = 18; i < 146; ++i) {
        const float db = levelDbFromCode(first.levelReply()[i]);
        EXPECT_TRUE(db == -255.0f || (db > -73.0f && db < 17.5f)) << i << ": " << db;
    }
}

TEST(EmulatedUnit, StatusAndTemperatureChangeNowAndThen) {
    EmulatedUnit unit(config(kVarento2), 4);
    std::set<int> temperatures;
    std::set<int> sync;
    std::set<int> gauge;
    for (int second = 0; second < 600; ++second) {
        unit.advance(milliseconds(1000));
        temperatures.insert(unit.parameterValue(param::temperature));
        sync.insert(unit.parameterValue(param::syncStatus));
        gauge.insert(unit.parameterValue(param::syncStatus2) >> 4);
    }
    EXPECT_GE(temperatures.size(), 2u);
    EXPECT_GE(sync.size(), 2u);
    EXPECT_GE(gauge.size(), 2u);
    EXPECT_GE(*temperatures.begin(), 34);
    EXPECT_LE(*temperatures.rbegin(), 55);
}

TEST(EmulatedUnit, AnswersNothingToFramesItDoesNotActOn) {
    EmulatedUnit unit(config(kVarento2), 1);
    EXPECT_TRUE(unit.receive(frameOf(unit.uid(), 0x30, {0, 1})).empty()); // another unit's reply
    EXPECT_TRUE(unit.receive(frameOf(unit.uid(), 0x7E)).empty());
}

TEST(LevelCodes, EveryCodeEncodesBackToItselfAndLevelsRoundToTheNearest) {
    for (int c = 0; c < 128; ++c) {
        const auto code = static_cast<std::uint8_t>(c);
        EXPECT_EQ(levelCodeFromDb(levelDbFromCode(code)), code);
    }
    EXPECT_EQ(levelCodeFromDb(kSilence), 0);
    EXPECT_EQ(levelCodeFromDb(0.1f), 0x68);
    EXPECT_EQ(levelCodeFromDb(40.0f), 0x7F);
    const float between = (levelDbFromCode(0x40) + levelDbFromCode(0x41)) / 2;
    EXPECT_EQ(levelCodeFromDb(between - 0.01f), 0x40);
    EXPECT_EQ(levelCodeFromDb(between + 0.01f), 0x41);
}
