#include "links/serial_assembler.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

struct Collector {
    std::vector<Bytes> frames;
    SerialFrameAssembler::FrameSink sink() {
        return [this](std::span<const std::uint8_t> f) { frames.emplace_back(f.begin(), f.end()); };
    }
};

std::vector<Bytes> feedAll(SerialFrameAssembler& a, const std::vector<Bytes>& chunks) {
    Collector c;
    for (const Bytes& chunk : chunks) {
        a.feed(chunk, c.sink());
    }
    return c.frames;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

const Bytes kParams = frameOf(uidOf(3), 0x30, {0, 5, 1, 7});
const Bytes kRequest = frameOf(uidOf(4), 0x10);

TEST(SerialAssembly, FramesSplitAtEveryByteBoundaryComeOutWhole) {
    const Bytes stream = concat({kParams, kRequest});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        for (std::size_t cut2 = cut; cut2 <= stream.size(); cut2 += 7) {
            SerialFrameAssembler a;
            const auto frames =
                feedAll(a, {Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)),
                            Bytes(stream.begin() + static_cast<long>(cut),
                                  stream.begin() + static_cast<long>(cut2)),
                            Bytes(stream.begin() + static_cast<long>(cut2), stream.end())});
            ASSERT_EQ(frames, (std::vector<Bytes>{kParams, kRequest})) << cut << ", " << cut2;
            EXPECT_EQ(a.pending(), 0);
        }
    }
}

TEST(SerialAssembly, OneByteAtATimeKeepsThePartialFrame) {
    SerialFrameAssembler a;
    Collector c;
    for (std::size_t i = 0; i + 1 < kParams.size(); ++i) {
        a.feed(std::span(&kParams[i], 1), c.sink());
        EXPECT_EQ(a.pending(), static_cast<int>(i + 1));
    }
    EXPECT_TRUE(c.frames.empty());
    a.feed(std::span(&kParams.back(), 1), c.sink());
    EXPECT_EQ(c.frames, std::vector<Bytes>{kParams});
}

TEST(SerialAssembly, JunkAndStrayEndsOutsideAFrameAreDropped) {
    SerialFrameAssembler a;
    const auto frames = feedAll(a, {{0x01, 0x7F, 0xF7, 0x00}, kParams, {0xF7, 0x33}, kRequest});
    EXPECT_EQ(frames, (std::vector<Bytes>{kParams, kRequest}));
    EXPECT_EQ(a.discarded(), 6u);
}

TEST(SerialAssembly, ANewStartRestartsTheFrame) {
    SerialFrameAssembler a;
    Bytes broken(kParams.begin(), kParams.begin() + 10); // cut off before its end
    const auto frames = feedAll(a, {broken, kRequest});
    EXPECT_EQ(frames, std::vector<Bytes>{kRequest});
    EXPECT_EQ(a.discarded(), 10u);
}

TEST(SerialAssembly, ThousandTwentyFourBytesWithoutAnEndAreDropped) {
    SerialFrameAssembler a;
    Bytes runaway{0xF0};
    runaway.resize(1024, 0x11); // F0 and 1023 bytes: the 1024th byte drops it
    const auto none = feedAll(a, {runaway});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(a.pending(), 0);

    // Bytes after the drop are not a frame until the next start.
    const auto after = feedAll(a, {{0x22, 0xF7}, kRequest});
    EXPECT_EQ(after, std::vector<Bytes>{kRequest});

    // The longest frame that fits is 1023 bytes; with its end at 1024 it is dropped.
    Bytes longest{0xF0};
    longest.resize(1022, 0x11);
    longest.push_back(0xF7);
    EXPECT_EQ(feedAll(a, {longest}), std::vector<Bytes>{longest});
    longest.insert(longest.end() - 1, 0x11);
    EXPECT_TRUE(feedAll(a, {longest}).empty());
}

TEST(SerialAssembly, ResetForgetsAPartialFrame) {
    SerialFrameAssembler a;
    const Bytes head(kParams.begin(), kParams.begin() + 5);
    const Bytes tail(kParams.begin() + 5, kParams.end());
    feedAll(a, {head});
    a.reset();
    EXPECT_TRUE(feedAll(a, {tail}).empty());
}

} // namespace
