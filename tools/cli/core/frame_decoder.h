#pragma once

#include "protocol/device_uid.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varento::cli {

struct ParameterPair {
    int number = 0;
    std::uint8_t value = 0;
};

struct RoutingEntry {
    int output = 0;
    int source = 0; // 255: none
    std::uint8_t flags = 0;
};

struct GainEntry {
    int index = 0; // wire index: 0..31 inputGain, 32..63 inputSwitch, 64..127 channelGain
    int value = 0;
};

struct UnitListEntry {
    DeviceUid uid;
    std::uint8_t model = 0;
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;
};

// The three tables of a gains reply, as far as the reply carries them.
struct GainTables {
    std::vector<std::uint8_t> inputGain;
    std::vector<std::uint8_t> inputSwitch;
    std::vector<std::uint8_t> channelGain;
};

enum class Direction { Request, Reply, Unknown };

// One frame read field by field as it travels, values as on the wire (the
// application clamps input gains when it stores them; this shows what was sent).
struct DecodedFrame {
    std::vector<std::uint8_t> bytes;
    std::optional<DeviceUid> uid;        // bytes 1..16, when the frame has them
    std::optional<std::uint8_t> command; // byte 17
    QString commandName;
    Direction direction = Direction::Unknown;
    std::optional<std::uint8_t> endMarker; // F7, or 7F for the calibration messages
    std::vector<ParameterPair> parameters;
    std::vector<RoutingEntry> routing;
    std::vector<GainEntry> gains;
    std::optional<GainTables> gainTables; // a gains reply
    bool emptyGains = false;              // a gains reply that says it carries none
    std::vector<std::uint8_t> levelCodes;
    std::vector<UnitListEntry> units;
    // What the application's handler returns for the frame (replies and unknown
    // commands; requests are always accepted and ignored).
    int handlerResult = 0;
    QStringList notes; // what is wrong or unusual
};

DecodedFrame decodeFrame(std::span<const std::uint8_t> bytes);

// The handler's verdict in words: "accepted", or why it rejects the frame.
QString handlerResultText(const DecodedFrame& frame);

QJsonObject frameToJson(const DecodedFrame& frame);
// Several lines, the last ending in a newline.
QString frameToText(const DecodedFrame& frame);
// One line without a newline, for the monitor.
QString frameSummary(const DecodedFrame& frame);

// The monitor's line for a frame: time, arrow and summary (with --hex the frame
// under it), or one JSON object. Ends with a newline.
QString monitorLine(const QDateTime& time, bool received, const DecodedFrame& frame, bool json,
                    bool hex);
// A change of the connection state ("Connected", "No Response!") in the same form.
QString statusLine(const QDateTime& time, const QString& status, bool json);

// Names of the wire's gain indices: ("inputGain", 1) for index 0, ("channelGain", 64)
// for 127; empty for indices past the tables.
std::pair<QString, int> gainIndexName(int index);

} // namespace varento::cli
