#include "links/datagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varento;

namespace {

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

ClassifiedDatagram classify(const std::string& s) {
    return classifyDatagram(bytes(s));
}

TEST(DatagramClassifier, SortsEveryClassByItsFirstBytes) {
    EXPECT_EQ(classify("QQ").kind, DatagramClass::QueryEcho);
    EXPECT_EQ(classify("QR7000").kind, DatagramClass::Announcement);
    EXPECT_EQ(classify("VV7000").kind, DatagramClass::Withdrawal);
    EXPECT_EQ(classify("O").kind, DatagramClass::OutgoingEcho);
    EXPECT_EQ(classify("Ox\xF0").kind, DatagramClass::OutgoingEcho);
    EXPECT_EQ(classify("I").kind, DatagramClass::Incoming);
    EXPECT_EQ(classify("I\xF0\x01").kind, DatagramClass::Incoming);

    for (const char* ignored : {"", "Q", "QS7000", "Qr7000", "V", "VW7000", "qq", "X", "R7000"}) {
        EXPECT_EQ(classify(ignored).kind, DatagramClass::Ignored) << '"' << ignored << '"';
    }
    EXPECT_EQ(classifyDatagram(std::vector<std::uint8_t>{0x00, 0x51}).kind, DatagramClass::Ignored);
}

TEST(DatagramClassifier, ReadsThePortLikeTheDaemonsWriteIt) {
    EXPECT_EQ(classify("QR7000").port, 7000);
    EXPECT_EQ(classify("QR \t\n17001").port, 17001);
    EXPECT_EQ(classify("QR+17002").port, 17002);
    EXPECT_EQ(classify("QR17003\r\n").port, 17003);
    EXPECT_EQ(classify("VV17004 daemon 2").port, 17004);
    EXPECT_EQ(classify("QR65535").port, 65535);
    EXPECT_EQ(classify("QR0017").port, 17);
}

TEST(DatagramClassifier, RefusesTextsThatNameNoUsablePort) {
    // No digits read as 0, which marks a free table entry: never a daemon's port.
    for (const char* bad : {"QR", "QRabc", "QR -7000", "QR-1", "QR0", "QR65536", "QR+ 7000",
                            "QR99999999999999999999999999", "VV", "VVport", "VV-7000"}) {
        const ClassifiedDatagram d = classify(bad);
        EXPECT_NE(d.kind, DatagramClass::Ignored) << bad; // still its class...
        EXPECT_FALSE(d.port.has_value()) << bad;          // ...but not acted on
    }
}

TEST(DatagramClassifier, ParseDecimalSaturatesAndStopsAtTheFirstNonDigit) {
    EXPECT_EQ(parseDecimal(bytes("  -42x7")), -42);
    EXPECT_EQ(parseDecimal(bytes("")), 0);
    EXPECT_EQ(parseDecimal(bytes("+")), 0);
    EXPECT_GT(parseDecimal(bytes(std::string(400, '9'))), 1'000'000'000'000'000LL);
    EXPECT_LT(parseDecimal(bytes("-" + std::string(400, '9'))), -1'000'000'000'000'000LL);
}

TEST(DatagramClassifier, ReadsA1024ByteDatagramWithoutGoingPastItsEnd) {
    // Digits up to the very last byte: the number ends with the datagram, not with
    // whatever lies behind it.
    std::string text = "QR" + std::string(1017, ' ') + "17005";
    ASSERT_EQ(text.size(), 1024u);
    const std::vector<std::uint8_t> exact = bytes(text);
    const ClassifiedDatagram d = classifyDatagram(exact);
    EXPECT_EQ(d.kind, DatagramClass::Announcement);
    EXPECT_EQ(d.port, 17005);

    std::vector<std::uint8_t> digitsToTheEnd = bytes("VV" + std::string(1022, '1'));
    EXPECT_FALSE(classifyDatagram(digitsToTheEnd).port.has_value());
}

} // namespace
