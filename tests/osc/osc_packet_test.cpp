#include "osc/osc_packet.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace varento::osc;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bundleOf(const std::vector<Bytes>& elements) {
    Bytes out = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
    for (const Bytes& e : elements) {
        const auto n = static_cast<std::uint32_t>(e.size());
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                    static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

Bytes gainMessage(int input, int db) {
    return encodeMessage(
        {"/varento/unit/Stage/gain",
         {Arg::of(static_cast<std::int32_t>(input)), Arg::of(static_cast<std::int32_t>(db))}});
}

} // namespace

TEST(OscPacket, MessagesAndBundlesDecodeAsSent) {
    const Packet one = decodePacket(encodeMessage(
        {"/varento/unit/Stage/level", {Arg::of(std::int32_t{3}), Arg::of(-6.5f), Arg::of("x")}}));
    ASSERT_EQ(one.error, PacketError::None);
    ASSERT_EQ(one.messages.size(), 1U);
    EXPECT_EQ(one.messages[0].path, "/varento/unit/Stage/level");
    ASSERT_EQ(one.messages[0].args.size(), 3U);
    EXPECT_EQ(one.messages[0].args[0].number, 3);
    EXPECT_EQ(one.messages[0].args[1].number, -6.5);
    EXPECT_EQ(one.messages[0].args[2].text, "x");

    const Packet nested =
        decodePacket(bundleOf({gainMessage(1, 30), bundleOf({gainMessage(2, 40)})}));
    ASSERT_EQ(nested.error, PacketError::None);
    ASSERT_EQ(nested.messages.size(), 2U);
    EXPECT_EQ(nested.messages[1].args[0].number, 2);
}

// Whatever arrives, a bad datagram gives its error and no message: a cut message,
// a bundle element longer than the bundle, bundles nested too deep, too many
// messages, a blob argument.
TEST(OscPacket, BadDatagramsGiveNoMessage) {
    const Bytes message = gainMessage(1, 30);
    std::vector<Bytes> malformed = {
        {},
        Bytes(message.begin(), message.end() - 4),
        Bytes{'n', 'o', 0, 0},
        bundleOf({message}),
    };
    malformed.back()[19] = 0x7F; // the element's size beyond the datagram
    for (const Bytes& bad : malformed) {
        const Packet p = decodePacket(bad);
        EXPECT_EQ(p.error, PacketError::Malformed);
        EXPECT_TRUE(p.messages.empty());
    }
    Bytes deep = message;
    for (int d = 0; d <= kMaxBundleDepth; ++d) {
        deep = bundleOf({deep});
    }
    EXPECT_EQ(decodePacket(deep).error, PacketError::TooDeep);
    EXPECT_TRUE(decodePacket(deep).messages.empty());
    std::vector<Bytes> many(kMaxMessages + 1, message);
    EXPECT_EQ(decodePacket(bundleOf(many)).error, PacketError::TooMany);
    many.pop_back();
    EXPECT_EQ(decodePacket(bundleOf(many)).messages.size(), static_cast<std::size_t>(kMaxMessages));

    Bytes blob = {'/', 'b', 0, 0, ',', 'b', 0, 0, 0, 0, 0, 4, 1, 2, 3, 4};
    EXPECT_EQ(decodePacket(blob).error, PacketError::Malformed);
}
