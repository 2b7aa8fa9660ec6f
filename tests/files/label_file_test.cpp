#include "files/label_file.h"
#include "files/label_store.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string text(const Label& label) {
    return label.data();
}

LabelTable numbered() {
    LabelTable t{};
    for (int i = 0; i < kLabelCount; ++i) {
        setLabel(t[static_cast<std::size_t>(i)], ("old " + std::to_string(i)).c_str());
    }
    return t;
}

std::string lines(int count, const std::string& prefix = "L") {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += prefix + std::to_string(i) + "\r\n";
    }
    return out;
}

} // namespace

TEST(LabelFile, WritesEveryLabelWithCrLf) {
    LabelTable t = numbered();
    setLabel(t[1], "");
    setLabel(t[2], "Kick \xE4\xDF\x80");
    const Bytes out = encodeLabels(t);
    const std::string s(out.begin(), out.end());
    const std::string start = "old 0\r\n\r\nKick \xE4\xDF\x80\r\nold 3\r\n";
    EXPECT_EQ(s.substr(0, start.size()), start);
    EXPECT_EQ(s.substr(s.size() - 9), "old 387\r\n");
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; (i = s.find("\r\n", i)) != std::string::npos; i += 2) {
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, 388u);
}

TEST(LabelFile, RoundTripIsByteExact) {
    LabelTable t{};
    fillDefaultLabels(t);
    setLabel(t[0], "16 characters!!!");
    setLabel(t[5], "");
    setLabel(t[387], "Ton \xFC\xA0\x9F");
    const Bytes file = encodeLabels(t);
    LabelTable back = numbered();
    ASSERT_EQ(parseLabels(file, back), LabelParse::Ok);
    EXPECT_EQ(back, t);
    EXPECT_EQ(encodeLabels(back), file);
}

TEST(LabelFile, LongLinesGiveTheirFirstSixteenCharacters) {
    LabelTable t = numbered();
    // The rest of a long line is skipped unread, even a tab in it.
    ASSERT_EQ(parseLabels(bytesOf("ABCDEFGHIJKLMNOPQRST\r\nnext\r\n0123456789abcdef\tx\r\n"), t),
              LabelParse::Ok);
    EXPECT_EQ(text(t[0]), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(text(t[1]), "next");
    EXPECT_EQ(text(t[2]), "0123456789abcdef");
    EXPECT_EQ(text(t[3]), "old 3"); // past the last line: unchanged
}

TEST(LabelFile, LineEnds) {
    LabelTable t = numbered();
    ASSERT_EQ(parseLabels(bytesOf("a\r\n\r\nc"), t), LabelParse::Ok);
    EXPECT_EQ(text(t[0]), "a");
    EXPECT_EQ(text(t[1]), "");  // empty line, empty label
    EXPECT_EQ(text(t[2]), "c"); // the end of the data ends the line
    EXPECT_EQ(text(t[3]), "old 3");

    // A CR without LF stops the reading position: every later label reads empty.
    t = numbered();
    ASSERT_EQ(parseLabels(bytesOf("a\r\nb\rc\r\nd\r\n"), t), LabelParse::Ok);
    EXPECT_EQ(text(t[0]), "a");
    EXPECT_EQ(text(t[1]), "b");
    for (int i = 2; i < kLabelCount; ++i) {
        ASSERT_EQ(text(t[static_cast<std::size_t>(i)]), "") << i;
    }

    // LF alone is a non-printable character.
    t = numbered();
    EXPECT_EQ(parseLabels(bytesOf("a\nb\n"), t), LabelParse::NonPrintable);
}

TEST(LabelFile, NonPrintableCharacterRejectsTheWholeFileAndChangesNothing) {
    const std::string bytes[] = {"\t", std::string(1, '\0'), "\x7F", "\x81", "\x9D", "\x1B"};
    for (const std::string& bad : bytes) {
        LabelTable t = numbered();
        const std::string file = lines(5) + "ok" + bad + "\r\n" + lines(3);
        EXPECT_EQ(parseLabels(bytesOf(file), t), LabelParse::NonPrintable)
            << static_cast<int>(static_cast<unsigned char>(bad[0]));
        EXPECT_EQ(t, numbered());
    }
}

TEST(LabelFile, PrintableSetIsWindows1252) {
    int printable = 0;
    for (int c = 0; c < 256; ++c) {
        printable += isLabelPrintable(static_cast<std::uint8_t>(c)) ? 1 : 0;
    }
    // 256 less the 32 C0 controls, DEL and the five unassigned bytes.
    EXPECT_EQ(printable, 256 - 32 - 1 - 5);
    for (int c : {0x20, 0x7E, 0x80, 0x9F, 0xA0, 0xC4, 0xE4, 0xFF}) {
        EXPECT_TRUE(isLabelPrintable(static_cast<std::uint8_t>(c))) << c;
    }
}

TEST(LabelFile, LimitStopsAfterItsLines) {
    LabelTable t = numbered();
    ASSERT_EQ(parseLabels(bytesOf(lines(388, "new ")), t, kImportLabelLimit), LabelParse::Ok);
    EXPECT_EQ(text(t[383]), "new 383");
    EXPECT_EQ(text(t[384]), "old 384");
    EXPECT_EQ(text(t[387]), "old 387");
    // A non-printable character past the limit is never read.
    t = numbered();
    EXPECT_EQ(parseLabels(bytesOf(lines(384) + "\t\r\n"), t, kImportLabelLimit), LabelParse::Ok);
    // More lines than labels: the rest is ignored.
    t = numbered();
    EXPECT_EQ(parseLabels(bytesOf(lines(400) + "\t"), t), LabelParse::Ok);
    EXPECT_EQ(text(t[387]), "L387");
}

TEST(LabelFile, DefaultTextsByGroup) {
    LabelTable t{};
    fillDefaultLabels(t);
    const std::pair<int, const char*> expected[] = {
        {0, "AES 1 IN"},    {31, "AES 32 IN"},   {32, "AN 1 IN"},   {63, "AN 32 IN"},
        {64, "M1 1 IN"},    {127, "M1 64 IN"},   {128, "M2 1 IN"},  {191, "M2 64 IN"},
        {192, "AES 1 OUT"}, {223, "AES 32 OUT"}, {224, "AN 1 OUT"}, {255, "AN 32 OUT"},
        {256, "M1 1 OUT"},  {319, "M1 64 OUT"},  {320, "M2 1 OUT"}, {383, "M2 64 OUT"},
        {384, "BUS 1"},     {387, "BUS 4"},
    };
    for (const auto& [entry, label] : expected) {
        EXPECT_EQ(text(t[static_cast<std::size_t>(entry)]), label);
    }
    EXPECT_EQ(labelIoTypeText(0), "AES IN 1");
    EXPECT_EQ(labelIoTypeText(63), "Analog IN 32");
    EXPECT_EQ(labelIoTypeText(320), "MADI 2 OUT 1");
    EXPECT_EQ(labelIoTypeText(387), "SUM Bus 4");
}

TEST(LabelStore, FileNameUsesLowerCaseHexOfEveryByte) {
    DeviceUid uid{};
    uid.bytes[0] = 0x7F;
    uid.bytes[1] = 0x0A;
    uid.bytes[15] = 0x3C;
    const std::string id = "7f0a" + std::string(26, '0') + "3c";
    EXPECT_EQ(labelUidText(uid), id);
    EXPECT_EQ(labelStorePath("/data", uid),
              std::filesystem::path("/data/Labels/Labels_" + id + ".txt"));
}

TEST(LabelStore, NewUnitGetsDefaultsStoredAtOnce) {
    TempDir dir; // no "Labels" folder yet
    LabelTable t = numbered();
    const UnitLabelsLoad load = loadUnitLabels(dir.path(), uidOf(3), t);
    EXPECT_FALSE(load.fromStore);
    EXPECT_EQ(load.storeStatus, LabelFileStatus::CannotOpen);
    EXPECT_FALSE(load.storeError);
    EXPECT_EQ(text(t[0]), "AES 1 IN");
    EXPECT_EQ(readBytes(labelStorePath(dir.path(), uidOf(3))), encodeLabels(t));
}

TEST(LabelStore, StoredLabelsComeBack) {
    TempDir dir;
    LabelTable t{};
    fillDefaultLabels(t);
    setLabel(t[10], "Snare \xD6");
    ASSERT_FALSE(storeUnitLabels(dir.path(), uidOf(1), t));
    LabelTable back = numbered();
    EXPECT_TRUE(loadUnitLabels(dir.path(), uidOf(1), back).fromStore);
    EXPECT_EQ(back, t);
}

TEST(LabelStore, OlderStoreOf384LinesGetsTheBusTexts) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Labels");
    writeText(labelStorePath(dir.path(), uidOf(2)), lines(384, "Ch "));
    LabelTable t = numbered(); // the previous unit's labels must not leak in
    EXPECT_TRUE(loadUnitLabels(dir.path(), uidOf(2), t).fromStore);
    EXPECT_EQ(text(t[383]), "Ch 383");
    EXPECT_EQ(text(t[384]), "BUS 1");
    EXPECT_EQ(text(t[387]), "BUS 4");

    writeText(labelStorePath(dir.path(), uidOf(2)), lines(10, "Ch "));
    t = numbered();
    loadUnitLabels(dir.path(), uidOf(2), t);
    EXPECT_EQ(text(t[9]), "Ch 9");
    EXPECT_EQ(text(t[10]), "");
    EXPECT_EQ(text(t[384]), "BUS 1");
}

TEST(LabelStore, UnreadableStoreIsKeptAsideAndReplacedByDefaults) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Labels");
    const std::string bad = lines(3) + "Tab\there\r\n";
    writeText(labelStorePath(dir.path(), uidOf(4)), bad);
    LabelTable t = numbered();
    const UnitLabelsLoad load = loadUnitLabels(dir.path(), uidOf(4), t);
    EXPECT_FALSE(load.fromStore);
    EXPECT_EQ(load.storeStatus, LabelFileStatus::NonPrintable);
    EXPECT_EQ(text(t[0]), "AES 1 IN");
    EXPECT_EQ(readBytes(labelStorePath(dir.path(), uidOf(4))), encodeLabels(t));
    EXPECT_EQ(readBytes(rejectedLabelStorePath(dir.path(), uidOf(4))), bytesOf(bad));
}
