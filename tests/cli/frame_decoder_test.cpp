// Frames written out byte by byte, decoded as `decode` and `monitor` show them.
#include "core/frame_decoder.h"
#include "core/offline_commands.h"
#include "support/frames.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::cli;
using namespace varento::testing;

namespace {

const DeviceUid kUnit = uidOf(3);

Bytes withLength(Bytes frame, std::size_t length, std::uint8_t fill = 0x00) {
    frame.resize(length - 1, fill);
    frame.push_back(0xF7);
    return frame;
}

} // namespace

TEST(FrameDecoder, ParameterPairsByName) {
    const DecodedFrame d = decodeFrame(frameOf(kUnit, 0x20, {0, 0x30, 7, 70}));
    EXPECT_EQ(d.commandName, "set parameters");
    EXPECT_EQ(d.direction, Direction::Request);
    EXPECT_EQ(d.endMarker, 0xF7);
    ASSERT_EQ(d.parameters.size(), 2u);
    EXPECT_EQ(d.parameters[1].number, 7);
    EXPECT_EQ(d.parameters[1].value, 70);
    EXPECT_TRUE(d.notes.isEmpty());

    const QJsonObject json = frameToJson(d);
    EXPECT_EQ(json["parameters"].toArray()[0].toObject()["name"].toString(), "clockRate");
    EXPECT_EQ(json["parameters"].toArray()[1].toObject()["name"].toString(), "fanFastTemp");
    EXPECT_EQ(json["uid"].toString(), "030405060708090A0B0C0D0E0F000102");
    const QString text = frameToText(d);
    EXPECT_TRUE(text.contains("clockRate (0)")) << text.toStdString();
    EXPECT_TRUE(text.contains("96 kHz, internal clock")) << text.toStdString();
}

TEST(FrameDecoder, CalibrationMessagesEndWith7F) {
    Bytes f = frameOf(kUnit, 0x20, {11, 0x10, 12, 0x05}, false);
    f.push_back(0x7F);
    const DecodedFrame d = decodeFrame(f);
    EXPECT_EQ(d.endMarker, 0x7F);
    ASSERT_EQ(d.parameters.size(), 2u);
    EXPECT_EQ(d.parameters[1].value, 0x05);
    EXPECT_TRUE(d.notes.isEmpty());
}

TEST(FrameDecoder, RoutingEntriesCarrySourceBit7AndFlags) {
    // Output 130 <- source 200 with flag 0x04; output 131 <- none.
    const DecodedFrame d =
        decodeFrame(frameOf(kUnit, 0x22, {0x01, 0x02, 0x05, 0x48, 0x01, 0x03, 0x01, 0x7F}));
    ASSERT_EQ(d.routing.size(), 2u);
    EXPECT_EQ(d.routing[0].output, 130);
    EXPECT_EQ(d.routing[0].source, 200);
    EXPECT_EQ(d.routing[0].flags, 0x04);
    EXPECT_EQ(d.routing[1].source, 255);
    const QJsonObject entry = frameToJson(d)["routing"].toArray()[0].toObject();
    EXPECT_EQ(entry["routeSource"].toInt(), 200);
    EXPECT_EQ(entry["routeFlags"].toInt(), 4);
    EXPECT_TRUE(frameSummary(d).contains("130<-200 131<--")) << frameSummary(d).toStdString();
}

TEST(FrameDecoder, GainEntriesNameTheirTable) {
    // Input gain 4 = 40; channel gain 37 = 250 (-6 dB: bit 7 in the third byte).
    const DecodedFrame d =
        decodeFrame(frameOf(kUnit, 0x23, {0x00, 0x03, 0x00, 0x28, 0x00, 0x64, 0x01, 0x7A}));
    ASSERT_EQ(d.gains.size(), 2u);
    EXPECT_EQ(d.gains[1].index, 100);
    EXPECT_EQ(d.gains[1].value, 250);
    const QJsonArray gains = frameToJson(d)["gains"].toArray();
    EXPECT_EQ(gains[0].toObject()["field"].toString(), "inputGain");
    EXPECT_EQ(gains[0].toObject()["channel"].toInt(), 4);
    EXPECT_EQ(gains[1].toObject()["field"].toString(), "channelGain");
    EXPECT_EQ(gains[1].toObject()["channel"].toInt(), 37);
    EXPECT_EQ(gainIndexName(32), std::make_pair(QString("inputSwitch"), 1));
    EXPECT_TRUE(gainIndexName(128).first.isEmpty());
}

TEST(FrameDecoder, GainsReplyShowsWireValuesUnclamped) {
    Bytes f = header(kUnit, 0x33);
    for (int i = 0; i < 128; ++i) {
        const int value = i == 0 ? 5 : i == 1 ? 70 : i == 32 ? 3 : i == 64 ? 255 : 8;
        f.push_back(static_cast<std::uint8_t>(value >> 7));
        f.push_back(static_cast<std::uint8_t>(value & 0x7F));
    }
    f.push_back(0xF7);
    ASSERT_EQ(f.size(), 275u);
    const DecodedFrame d = decodeFrame(f);
    ASSERT_TRUE(d.gainTables);
    EXPECT_EQ(d.gainTables->inputGain[0], 5); // the application would store 8
    EXPECT_EQ(d.gainTables->inputGain[1], 70);
    EXPECT_EQ(d.gainTables->inputSwitch[0], 3);
    EXPECT_EQ(d.gainTables->channelGain[0], 255);
    EXPECT_EQ(d.gainTables->channelGain.size(), 64u);
    EXPECT_EQ(d.handlerResult, 0);

    EXPECT_TRUE(decodeFrame(frameOf(kUnit, 0x33, {0x7F})).emptyGains);
    const DecodedFrame shortReply = decodeFrame(withLength(header(kUnit, 0x33), 201));
    EXPECT_EQ(shortReply.handlerResult, 203);
    EXPECT_TRUE(handlerResultText(shortReply).contains("275 bytes"));
    EXPECT_TRUE(shortReply.notes.join(' ').contains("91 of the 128"));
}

TEST(FrameDecoder, LevelsInDecibels) {
    Bytes f = header(kUnit, 0x31);
    f.insert(f.end(), {0x68, 0x7F, 0x00});
    const DecodedFrame d = decodeFrame(withLength(f, 147, 0x68));
    ASSERT_EQ(d.levelCodes.size(), 128u);
    const QJsonArray db = frameToJson(d)["levelDb"].toArray();
    EXPECT_EQ(db[0].toDouble(), 0.0);
    EXPECT_NEAR(db[1].toDouble(), 17.44, 0.01);
    EXPECT_EQ(db[2].toDouble(), -255.0);
    EXPECT_EQ(d.handlerResult, 0);
}

TEST(FrameDecoder, UnitListEntries) {
    Bytes f = header(DeviceUid::broadcast(), 0x0E);
    for (const auto& [seed, model] : {std::pair{1, 12}, std::pair{5, 24}}) {
        const DeviceUid uid = uidOf(seed);
        f.insert(f.end(), uid.bytes.begin(), uid.bytes.end());
        f.insert(f.end(), {static_cast<std::uint8_t>(model), 2, 1});
    }
    f.push_back(0xF7);
    const DecodedFrame d = decodeFrame(f);
    EXPECT_EQ(d.commandName, "unit list");
    EXPECT_EQ(d.direction, Direction::Reply);
    ASSERT_EQ(d.units.size(), 2u);
    const QJsonObject second = frameToJson(d)["units"].toArray()[1].toObject();
    EXPECT_EQ(second["typeName"].toString(), "VARENTO.LC Corvel");
    EXPECT_EQ(second["uid"].toString(), "05060708090A0B0C0D0E0F0001020304");
    EXPECT_EQ(second["firmwareMinor"].toInt(), 1);
    EXPECT_EQ(decodeFrame(frameOf(DeviceUid::broadcast(), 0x0E)).commandName, "discover");
}

TEST(FrameDecoder, WhatIsWrongWithAFrame) {
    const DecodedFrame shortRouting = decodeFrame(withLength(header(kUnit, 0x32), 786));
    EXPECT_EQ(shortRouting.handlerResult, 203);
    EXPECT_TRUE(handlerResultText(shortRouting).contains("exactly 787"));

    Bytes noStart = frameOf(kUnit, 0x30, {0, 1});
    noStart[0] = 0xF1;
    const DecodedFrame d1 = decodeFrame(noStart);
    EXPECT_EQ(d1.handlerResult, 202);
    EXPECT_TRUE(d1.notes.join(' ').contains("starts with 0xF1"));

    const DecodedFrame unknown = decodeFrame(frameOf(kUnit, 0x44));
    EXPECT_EQ(unknown.commandName, "unknown command");
    EXPECT_EQ(unknown.handlerResult, 201);

    const QStringList notes =
        decodeFrame(frameOf(kUnit, 0x20, {0, 0x90, 5}, false)).notes; // odd, bit 7, no F7
    EXPECT_EQ(notes.size(), 3) << notes.join('|').toStdString();

    const DecodedFrame truncated = decodeFrame(Bytes{0xF0, 0x01, 0x02});
    EXPECT_EQ(truncated.commandName, "truncated frame");
    EXPECT_FALSE(truncated.uid);
}

TEST(FrameDecoder, MonitorLines) {
    Bytes f = header(kUnit, 0x30);
    for (int number = 0; number <= 28; ++number) {
        f.insert(f.end(), {static_cast<std::uint8_t>(number), 1});
    }
    f.push_back(0xF7);
    const QDateTime at(QDate(2024, 5, 1), QTime(12, 0, 1, 250));
    const QString line = monitorLine(at, true, decodeFrame(f), false, true);
    const QStringList lines = line.split('\n');
    ASSERT_EQ(lines.size(), 3) << line.toStdString(); // summary, hex, empty after the newline
    EXPECT_TRUE(lines[0].startsWith("12:00:01.250 <- parameters from 030405"))
        << line.toStdString();
    EXPECT_TRUE(lines[0].contains("... 29 pairs (77 bytes)"));
    EXPECT_TRUE(lines[1].trimmed().startsWith("F0 03 04"));

    const QJsonObject json =
        QJsonDocument::fromJson(
            monitorLine(at, false, decodeFrame(frameOf(kUnit, 0x10)), true, false).toUtf8())
            .object();
    EXPECT_EQ(json["direction"].toString(), "sent");
    EXPECT_EQ(json["frame"].toObject()["commandName"].toString(), "request parameters");
}

TEST(FrameDecoder, HexInputSplitsAtEveryFrameStart) {
    QString error;
    const auto frames = framesFromHex("0xF0,0x01 F7f00e:f7", error);
    ASSERT_TRUE(frames) << error.toStdString();
    ASSERT_EQ(frames->size(), 2u);
    EXPECT_EQ((*frames)[1], (Bytes{0xF0, 0x0E, 0xF7}));
    EXPECT_FALSE(framesFromHex("F0 0", error));
    EXPECT_TRUE(error.contains("no partner"));
    EXPECT_FALSE(framesFromHex("F0 G1", error));
    EXPECT_TRUE(error.contains("\"G\" at position 4"));
}
