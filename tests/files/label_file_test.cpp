#include "files/label_file.h"
#include "files/label_store.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

LabelTable numbered() {
    LabelTable t{};
    for (int i = 0; i < kLabelCount; ++i) {
        setLabel(t[static_cast<std::size_t>(i)], ("old " + std::to_string(i)).c_str());
    }
    return t;
}

std::string lines(int count, const std::string& prefix) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += prefix + std::to_string(i) + "\r\n";
    }
    return out;
}

std::map<int, std::string> linesRead(int count, const std::string& prefix) {
    std::map<int, std::string> out;
    for (int i = 0; i < count; ++i) {
        out[i] = prefix + std::to_string(i);
    }
    return out;
}

} // namespace

TEST(LabelFile, Reading) {
    struct Case {
        const char* what;
        std::string file;
        int limit;
        std::map<int, std::string> expected; // entries not named keep "old <n>"
    };
    std::map<int, std::string> allEmptyFrom2{{1, "b"}};
    for (int i = 2; i < kLabelCount; ++i) {
        allEmptyFrom2[i] = "";
    }
    const Case cases[] = {
        {"long lines give 16 characters, the rest is skipped unread",
         "ABCDEFGHIJKLMNOPQRST\r\nnext\r\n0123456789abcdef\tx\r\n",
         kLabelCount,
         {{0, "ABCDEFGHIJKLMNOP"}, {1, "next"}, {2, "0123456789abcdef"}}},
        {"empty line, and the end of the data ends a line",
         "a\r\n\r\nc",
         kLabelCount,
         {{0, "a"}, {1, ""}, {2, "c"}}},
        {"CR without LF empties every later label", "a\r\nb\rc\r\nd\r\n", kLabelCount,
         [&] {
             auto e = allEmptyFrom2;
             e[0] = "a";
             return e;
         }()},
        {"an import stops at 384 lines", lines(388, "new "), kImportLabelLimit,
         linesRead(384, "new ")},
        {"nothing past the limit is read", lines(384, "n ") + "\t", kImportLabelLimit,
         linesRead(384, "n ")},
        {"Windows-1252 letters",
         "Kick \xE4\xDF\x80\xA0\r\n",
         kLabelCount,
         {{0, "Kick \xE4\xDF\x80\xA0"}}},
    };
    for (const Case& c : cases) {
        LabelTable t = numbered();
        ASSERT_EQ(parseLabels(bytesOf(c.file), t, c.limit), LabelParse::Ok) << c.what;
        LabelTable expected = numbered();
        for (const auto& [entry, text] : c.expected) {
            setLabel(expected[static_cast<std::size_t>(entry)], text.c_str());
        }
        EXPECT_EQ(t, expected) << c.what;
    }
}

TEST(LabelFile, NonPrintableCharacterRejectsTheFileAndChangesNothing) {
    const std::string bad[] = {"\n", "\t", std::string(1, '\0'), "\x7F", "\x1B", "\x81", "\x9D"};
    for (const std::string& b : bad) {
        LabelTable t = numbered();
        const std::string file = lines(5, "ok ") + "x" + b + "y\r\n" + lines(3, "ok ");
        EXPECT_EQ(parseLabels(bytesOf(file), t), LabelParse::NonPrintable)
            << static_cast<int>(static_cast<unsigned char>(b[0]));
        EXPECT_EQ(t, numbered());
    }
}

TEST(LabelFile, WritingRoundTripsByteExactly) {
    LabelTable t{};
    fillDefaultLabels(t);
    setLabel(t[0], "16 characters!!!");
    setLabel(t[1], "");
    setLabel(t[387], "Ton \xFC\x9F");
    const Bytes file = encodeLabels(t);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "16");
    EXPECT_EQ(std::string(file.begin() + 16, file.begin() + 20), "\r\n\r\n");
    EXPECT_EQ(std::string(file.end() - 8, file.end()), "Ton \xFC\x9F\r\n");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), kLabelCount);
    LabelTable back = numbered();
    ASSERT_EQ(parseLabels(file, back), LabelParse::Ok);
    EXPECT_EQ(back, t);
    EXPECT_EQ(encodeLabels(back), file);
}

TEST(LabelStore, NewUnitGetsTheDefaultsStoredAtOnce) {
    TempDir dir; // no "Labels" folder yet
    DeviceUid uid{};
    uid.bytes[0] = 0x7F;
    uid.bytes[15] = 0x3C;
    EXPECT_EQ(labelStorePath(dir.path(), uid).filename(),
              "Labels_7f" + std::string(28, '0') + "3c.txt");
    LabelTable t = numbered();
    const UnitLabelsLoad load = loadUnitLabels(dir.path(), uid, t);
    EXPECT_FALSE(load.fromStore);
    EXPECT_FALSE(load.storeError);
    for (const auto& [entry, text] : std::map<int, std::string>{{0, "AES 1 IN"},
                                                                {63, "AN 32 IN"},
                                                                {191, "M2 64 IN"},
                                                                {192, "AES 1 OUT"},
                                                                {319, "M1 64 OUT"},
                                                                {387, "BUS 4"}}) {
        EXPECT_STREQ(t[static_cast<std::size_t>(entry)].data(), text.c_str());
    }
    EXPECT_EQ(labelIoTypeText(63), "Analog IN 32");
    EXPECT_EQ(readBytes(labelStorePath(dir.path(), uid)), encodeLabels(t));

    setLabel(t[10], "Snare");
    ASSERT_FALSE(storeUnitLabels(dir.path(), uid, t));
    LabelTable back = numbered();
    EXPECT_TRUE(loadUnitLabels(dir.path(), uid, back).fromStore);
    EXPECT_EQ(back, t);
}

TEST(LabelStore, ShortStoresReadEmptyAndGetTheBusTexts) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Labels");
    for (int count : {384, 10}) {
        writeText(labelStorePath(dir.path(), uidOf(2)), lines(count, "Ch "));
        LabelTable t = numbered(); // the previous unit's labels must not leak in
        EXPECT_TRUE(loadUnitLabels(dir.path(), uidOf(2), t).fromStore);
        EXPECT_EQ(std::string(t[static_cast<std::size_t>(count - 1)].data()),
                  "Ch " + std::to_string(count - 1));
        EXPECT_STREQ(t[383].data(), count == 384 ? "Ch 383" : "");
        EXPECT_STREQ(t[384].data(), "BUS 1");
        EXPECT_STREQ(t[387].data(), "BUS 4");
    }
}

TEST(LabelStore, RejectedStoreIsKeptAsideAndReplacedByTheDefaults) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Labels");
    // The second bad store replaces the copy kept of the first one.
    for (const std::string& bad : {lines(3, "Ch ") + "Tab\there\r\n", std::string("\x7F\r\n")}) {
        writeText(labelStorePath(dir.path(), uidOf(4)), bad);
        LabelTable t = numbered();
        const UnitLabelsLoad load = loadUnitLabels(dir.path(), uidOf(4), t);
        EXPECT_EQ(load.storeStatus, LabelFileStatus::NonPrintable);
        EXPECT_STREQ(t[0].data(), "AES 1 IN");
        EXPECT_EQ(readBytes(labelStorePath(dir.path(), uidOf(4))), encodeLabels(t));
        EXPECT_EQ(readBytes(rejectedLabelStorePath(dir.path(), uidOf(4))), bytesOf(bad));
    }
}

// A file saved as UTF-8 by a current editor reads as the text it holds: with a
// byte-order mark or without one, umlauts and the euro sign intact, no mark in
// label 1. A Windows-1252 file (invalid as UTF-8) and a plain ASCII one are taken
// as they are; a character the code page lacks is refused as non-printable.
TEST(LabelFile, AnImportSavedAsUtf8ReadsAsItsText) {
    TempDir dir;
    const auto importOf = [&](const std::string& bytes, LabelTable& t) {
        const auto path = dir.path() / "import.txt";
        writeBytes(path, bytesOf(bytes));
        return readLabelFile(path, t, 384, LabelEncoding::Utf8IfLikely).status;
    };
    for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
        LabelTable t = numbered();
        ASSERT_EQ(importOf(bom + "B\xC3\xBChne\r\n\xE2\x82\xAC 5\r\n", t), LabelFileStatus::Ok);
        EXPECT_STREQ(t[0].data(), "B\xFChne");
        EXPECT_STREQ(t[1].data(), "\x80 5");
    }
    LabelTable t = numbered();
    ASSERT_EQ(importOf("B\xFChne\r\nplain\r\n", t), LabelFileStatus::Ok);
    EXPECT_STREQ(t[0].data(), "B\xFChne");
    EXPECT_EQ(importOf("Chor \xCE\xA9\r\n", t), LabelFileStatus::NonPrintable);

    // The store is this program's own Windows-1252 and is read as it is.
    LabelTable stored = numbered();
    writeBytes(dir.path() / "store.txt", bytesOf("B\xC3\xBChne\r\n"));
    ASSERT_EQ(readLabelFile(dir.path() / "store.txt", stored).status, LabelFileStatus::Ok);
    EXPECT_STREQ(stored[0].data(), "B\xC3\xBChne");
}
