#include "frame_decoder.h"

#include "app/parameters.h"
#include "text_format.h"

#include "protocol/catalog.h"
#include "protocol/device_record.h"
#include "protocol/frame.h"
#include "protocol/handle_frame.h"
#include "protocol/level_conversion.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace varento::cli {

namespace {

constexpr std::size_t kSummaryItems = 6; // the monitor lists this many pairs or entries

QString commandNameOf(std::uint8_t command, bool emptyPayload) {
    switch (command) {
    case cmd::discover:
        return emptyPayload ? "discover" : "unit list";
    case cmd::requestParams:
        return "request parameters";
    case cmd::requestLevels:
        return "request levels";
    case cmd::requestRouting:
        return "request routing";
    case cmd::requestGains:
        return "request gains";
    case cmd::setParams:
        return "set parameters";
    case cmd::setRouting:
        return "set routing";
    case cmd::setGains:
        return "set gains";
    case cmd::paramsReply:
        return "parameters";
    case cmd::levelsReply:
        return "levels";
    case cmd::routingReply:
        return "routing";
    case cmd::gainsReply:
        return "gains";
    default:
        return "unknown command";
    }
}

Direction directionOf(std::uint8_t command, bool emptyPayload) {
    switch (command) {
    case cmd::discover:
        return emptyPayload ? Direction::Request : Direction::Reply;
    case cmd::requestParams:
    case cmd::requestLevels:
    case cmd::requestRouting:
    case cmd::requestGains:
    case cmd::setParams:
    case cmd::setRouting:
    case cmd::setGains:
        return Direction::Request;
    case cmd::paramsReply:
    case cmd::levelsReply:
    case cmd::routingReply:
    case cmd::gainsReply:
        return Direction::Reply;
    default:
        return Direction::Unknown;
    }
}

// The payload: after the command, without the end marker.
std::span<const std::uint8_t> payloadOf(DecodedFrame& d) {
    const std::span<const std::uint8_t> f(d.bytes);
    if (f.size() <= kPayloadOffset) {
        return {};
    }
    const std::uint8_t last = f.back();
    // The calibration messages end with 7F; their pairs leave an even payload.
    const bool calibrationEnd = d.command == cmd::setParams && last == kCalibrationEnd &&
                                (f.size() - kPayloadOffset - 1) % 2 == 0;
    if (last == kFrameEnd || calibrationEnd) {
        d.endMarker = last;
        return f.subspan(kPayloadOffset, f.size() - kPayloadOffset - 1);
    }
    d.notes << QString("no end marker: the frame ends with %1 instead of F7").arg(hexByte(last));
    return f.subspan(kPayloadOffset);
}

void readPairs(DecodedFrame& d, std::span<const std::uint8_t> body) {
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
        d.parameters.push_back({body[i], body[i + 1]});
        if (body[i] > param::last) {
            d.notes << QString("parameter number %1 is past the table (0..28)").arg(body[i]);
        }
    }
    if (body.size() % 2 != 0) {
        d.notes << QString("parameter %1 has no value").arg(body.back());
    }
}

void readRouting(DecodedFrame& d, std::span<const std::uint8_t> body) {
    for (std::size_t i = 0; i + 4 <= body.size(); i += 4) {
        const auto e = body.subspan(i, 4);
        RoutingEntry entry;
        entry.output = (e[0] & 1) * 128 + (e[1] & 0x7F);
        entry.source = ((e[2] & 1) << 7) | (e[3] & 0x7F);
        entry.flags = static_cast<std::uint8_t>(e[2] & 0xFE);
        d.routing.push_back(entry);
        if (entry.output >= kWireRouteSlots) {
            d.notes
                << QString("output %1 is past the outputs on the wire (0..191)").arg(entry.output);
        }
    }
    if (body.size() % 4 != 0) {
        d.notes << QString("%1 bytes after the last whole routing entry").arg(body.size() % 4);
    }
}

void readGainEntries(DecodedFrame& d, std::span<const std::uint8_t> body) {
    for (std::size_t i = 0; i + 4 <= body.size(); i += 4) {
        const auto e = body.subspan(i, 4);
        const GainEntry entry{((e[0] & 0x7F) << 7) | (e[1] & 0x7F),
                              ((e[2] & 1) << 7) | (e[3] & 0x7F)};
        d.gains.push_back(entry);
        if (entry.index >= kGainEntryCount) {
            d.notes << QString("gain index %1 is past the tables (0..127)").arg(entry.index);
        }
    }
    if (body.size() % 4 != 0) {
        d.notes << QString("%1 bytes after the last whole gain entry").arg(body.size() % 4);
    }
}

void readGainTables(DecodedFrame& d, std::span<const std::uint8_t> body) {
    if (!body.empty() && body[0] == 0x7F) {
        d.emptyGains = true;
        return;
    }
    GainTables tables;
    const std::size_t values = std::min<std::size_t>(body.size() / 2, kGainEntryCount);
    for (std::size_t i = 0; i < values; ++i) {
        const auto value = static_cast<std::uint8_t>((body[2 * i] << 7) | (body[2 * i + 1] & 0x7F));
        (i < 32   ? tables.inputGain
         : i < 64 ? tables.inputSwitch
                  : tables.channelGain)
            .push_back(value);
    }
    if (values < kGainEntryCount) {
        d.notes << QString("carries %1 of the 128 gain values").arg(values);
    }
    d.gainTables = std::move(tables);
}

void readUnits(DecodedFrame& d, std::span<const std::uint8_t> body) {
    std::size_t off = 0;
    for (; off + kUnitListEntrySize <= body.size(); off += kUnitListEntrySize) {
        UnitListEntry unit;
        std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(off), 16, unit.uid.bytes.begin());
        unit.model = body[off + 16];
        unit.firmwareMajor = body[off + 17];
        unit.firmwareMinor = body[off + 18];
        d.units.push_back(unit);
    }
    if (off < body.size()) {
        d.notes << QString("%1 bytes after the last whole unit entry (19 bytes each)")
                       .arg(body.size() - off);
    }
}

void readPayload(DecodedFrame& d) {
    const auto body = payloadOf(d);
    for (std::size_t i = 1; i + 1 < d.bytes.size(); ++i) {
        if ((d.bytes[i] & 0x80) != 0) {
            d.notes << QString("byte %1 at offset %2 has bit 7 set; only the markers may")
                           .arg(hexByte(d.bytes[i]))
                           .arg(i);
            break;
        }
    }
    switch (*d.command) {
    case cmd::discover:
        readUnits(d, body);
        break;
    case cmd::setParams:
    case cmd::paramsReply:
        readPairs(d, body);
        break;
    case cmd::setRouting:
    case cmd::routingReply:
        readRouting(d, body);
        break;
    case cmd::setGains:
        readGainEntries(d, body);
        break;
    case cmd::gainsReply:
        readGainTables(d, body);
        break;
    case cmd::levelsReply:
        d.levelCodes.assign(body.begin(), body.end());
        break;
    case cmd::requestParams:
    case cmd::requestLevels:
    case cmd::requestRouting:
    case cmd::requestGains:
        if (!body.empty()) {
            d.notes << QString("a request carries no payload, this one %1 bytes").arg(body.size());
        }
        break;
    default:
        break;
    }
}

QString uidText(const DeviceUid& uid) {
    return uid == DeviceUid::broadcast() ? QString("all units") : uidHex(uid);
}

QString pairText(const ParameterPair& p) {
    const ParameterInfo* info = parameterInfo(p.number);
    return QString("%1=%2").arg(info ? info->name : QString::number(p.number), hexByte(p.value));
}

template <typename T, typename F>
QString listed(const std::vector<T>& items, F text, const char* unit) {
    QStringList parts;
    for (std::size_t i = 0; i < std::min(items.size(), kSummaryItems); ++i) {
        parts << text(items[i]);
    }
    if (items.size() > kSummaryItems) {
        parts << QString("... %1 %2").arg(items.size()).arg(unit);
    }
    return parts.join(' ');
}

QString sourceText(int source) {
    return source == kNoSource ? QString("-") : QString::number(source);
}

// Gain entries as runs of consecutive indices within one table, each run a grid.
void appendGainEntries(QString& out, const std::vector<GainEntry>& entries) {
    std::size_t i = 0;
    while (i < entries.size()) {
        const auto [table, first] = gainIndexName(entries[i].index);
        QStringList cells{QString::number(entries[i].value)};
        std::size_t j = i + 1;
        while (j < entries.size() && entries[j].index == entries[j - 1].index + 1 &&
               gainIndexName(entries[j].index).first == table && !table.isEmpty()) {
            cells << QString::number(entries[j].value);
            ++j;
        }
        appendGrid(out, table.isEmpty() ? QString("index %1").arg(entries[i].index) : table, cells,
                   first, 8);
        i = j;
    }
}

void appendRouting(QString& out, const std::vector<RoutingEntry>& entries) {
    const bool consecutive =
        std::adjacent_find(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return b.output != a.output + 1;
        }) == entries.end();
    QStringList cells;
    QStringList flags;
    for (const RoutingEntry& e : entries) {
        cells << (consecutive ? sourceText(e.source)
                              : QString("%1<-%2").arg(e.output).arg(sourceText(e.source)));
        if (e.flags != 0) {
            flags << QString("%1=%2").arg(e.output).arg(hexByte(e.flags));
        }
    }
    if (!entries.empty()) {
        appendGrid(out, consecutive ? "routeSource" : "output<-source", cells,
                   consecutive ? entries.front().output : 0, consecutive ? 8 : 6, !consecutive);
    }
    if (!flags.isEmpty()) {
        appendGrid(out, "routeFlags", flags, 1, 6, true);
    }
}

} // namespace

std::pair<QString, int> gainIndexName(int index) {
    if (index >= kInputGainBase && index < kInputSwitchBase) {
        return {"inputGain", index - kInputGainBase + 1};
    }
    if (index >= kInputSwitchBase && index < kChannelGainBase) {
        return {"inputSwitch", index - kInputSwitchBase + 1};
    }
    if (index >= kChannelGainBase && index < kGainEntryCount) {
        return {"channelGain", index - kChannelGainBase + 1};
    }
    return {{}, 0};
}

DecodedFrame decodeFrame(std::span<const std::uint8_t> bytes) {
    DecodedFrame d;
    d.bytes.assign(bytes.begin(), bytes.end());
    if (bytes.empty()) {
        d.commandName = "empty frame";
        d.notes << "the frame has no bytes";
    } else if (bytes[0] != kFrameStart) {
        d.notes << QString("the frame starts with %1 instead of F0").arg(hexByte(bytes[0]));
    }
    if (bytes.size() >= 17) {
        DeviceUid uid;
        std::copy_n(bytes.begin() + 1, 16, uid.bytes.begin());
        d.uid = uid;
    }
    if (bytes.size() > kCommandOffset) {
        d.command = bytes[kCommandOffset];
        const bool emptyPayload = bytes.size() <= kPayloadOffset + 1;
        d.commandName = commandNameOf(*d.command, emptyPayload);
        d.direction = directionOf(*d.command, emptyPayload);
        readPayload(d);
    } else if (!bytes.empty()) {
        d.commandName = "truncated frame";
        d.notes
            << QString("%1 bytes are too few for a unit id and a command (18)").arg(bytes.size());
    }
    if (bytes.size() > kMaxFrameLength) {
        d.notes << QString("longer than the longest frame (787 bytes)");
    }

    // Ask the application's own handler what it makes of the frame, addressed to
    // the unit the frame names so the unit check passes.
    DeviceRecord record;
    DeviceRecord shadow;
    DiscoveredList discovered;
    if (d.uid) {
        record.uid = *d.uid;
    }
    d.handlerResult = handleFrame(bytes, record, shadow, discovered).result;
    return d;
}

QString handlerResultText(const DecodedFrame& d) {
    switch (d.handlerResult) {
    case frame_result::accepted:
        return "accepted";
    case frame_result::noStartByte:
        return "rejected (202): the first byte is not F0";
    case frame_result::unknownCommand:
        return d.command == cmd::levelsReply
                   ? QString("rejected (201): more than 128 level codes")
                   : QString("rejected (201): %1 is not a command of the protocol")
                         .arg(hexByte(d.command.value_or(0)));
    case frame_result::badLength: {
        QString why = "its length is wrong";
        if (d.bytes.empty()) {
            why = "it is empty";
        } else if (d.bytes.size() > kMaxFrameLength) {
            why = "it is longer than 787 bytes";
        } else if (d.bytes.size() <= kCommandOffset) {
            why = "it is too short to hold a unit id and a command";
        } else if (d.command == cmd::levelsReply) {
            why = "a level reply is 128 to 147 bytes long";
        } else if (d.command == cmd::routingReply) {
            why = "a routing reply is exactly 787 bytes long";
        } else if (d.command == cmd::gainsReply) {
            why = "a gains reply needs 275 bytes for its 128 values";
        }
        return "rejected (203): " + why;
    }
    default:
        return QString("rejected (%1)").arg(d.handlerResult);
    }
}

QJsonObject frameToJson(const DecodedFrame& d) {
    QJsonObject o;
    o["length"] = static_cast<int>(d.bytes.size());
    o["hex"] = hexBytes(d.bytes);
    if (d.uid) {
        o["uid"] = uidHex(*d.uid);
        o["broadcast"] = *d.uid == DeviceUid::broadcast();
    }
    if (d.command) {
        o["command"] = *d.command;
    }
    o["commandName"] = d.commandName;
    o["direction"] = d.direction == Direction::Request ? "request"
                     : d.direction == Direction::Reply ? "reply"
                                                       : "unknown";
    if (d.endMarker) {
        o["endMarker"] = *d.endMarker;
    }
    if (d.command == cmd::setParams || d.command == cmd::paramsReply) {
        QJsonArray pairs;
        for (const ParameterPair& p : d.parameters) {
            const ParameterInfo* info = parameterInfo(p.number);
            QJsonObject pair{{"number", p.number}, {"value", p.value}};
            if (info != nullptr) {
                pair["name"] = info->name;
            }
            pairs.append(pair);
        }
        o["parameters"] = pairs;
    }
    if (d.command == cmd::setRouting || d.command == cmd::routingReply) {
        QJsonArray entries;
        for (const RoutingEntry& e : d.routing) {
            entries.append(QJsonObject{
                {"output", e.output}, {"routeSource", e.source}, {"routeFlags", e.flags}});
        }
        o["routing"] = entries;
    }
    if (d.command == cmd::setGains) {
        QJsonArray entries;
        for (const GainEntry& e : d.gains) {
            const auto [table, channel] = gainIndexName(e.index);
            QJsonObject entry{{"index", e.index}, {"value", e.value}};
            if (!table.isEmpty()) {
                entry["field"] = table;
                entry["channel"] = channel;
            }
            entries.append(entry);
        }
        o["gains"] = entries;
    }
    if (d.gainTables) {
        o["inputGain"] = jsonNumbers(d.gainTables->inputGain);
        o["inputSwitch"] = jsonNumbers(d.gainTables->inputSwitch);
        o["channelGain"] = jsonNumbers(d.gainTables->channelGain);
    }
    if (d.command == cmd::gainsReply) {
        o["emptyGains"] = d.emptyGains;
    }
    if (d.command == cmd::levelsReply) {
        o["levelCodes"] = jsonNumbers(d.levelCodes);
        QJsonArray db;
        for (const std::uint8_t code : d.levelCodes) {
            db.append(roundedDb(levelDbFromCode(code)));
        }
        o["levelDb"] = db;
    }
    if (d.command == cmd::discover && d.direction == Direction::Reply) {
        QJsonArray units;
        for (const UnitListEntry& u : d.units) {
            units.append(QJsonObject{{"uid", uidHex(u.uid)},
                                     {"model", u.model},
                                     {"typeName", typeName(u.model)},
                                     {"firmwareMajor", u.firmwareMajor},
                                     {"firmwareMinor", u.firmwareMinor}});
        }
        o["units"] = units;
    }
    o["handlerResult"] = d.handlerResult;
    o["handlerResultText"] = handlerResultText(d);
    o["notes"] = QJsonArray::fromStringList(d.notes);
    return o;
}

QString frameToText(const DecodedFrame& d) {
    QString out = d.commandName;
    if (d.command) {
        out += QString(" (%1)").arg(hexByte(*d.command));
    }
    if (d.uid) {
        out += (d.direction == Direction::Reply ? " from " : " to ") + uidText(*d.uid);
    }
    out += QString(", %1 bytes\n").arg(d.bytes.size());

    for (const ParameterPair& p : d.parameters) {
        const ParameterInfo* info = parameterInfo(p.number);
        const QString name = QString("%1 (%2)").arg(info ? info->name : "?").arg(p.number);
        appendField(out, name,
                    QString("%1 %2  %3")
                        .arg(hexByte(p.value))
                        .arg(p.value, 3)
                        .arg(parameterMeaning(p.number, p.value)));
    }
    appendRouting(out, d.routing);
    appendGainEntries(out, d.gains);
    if (d.gainTables) {
        appendGrid(out, "inputGain", numberCells(d.gainTables->inputGain), 1, 8);
        appendGrid(out, "inputSwitch", numberCells(d.gainTables->inputSwitch), 1, 8);
        appendGrid(out, "channelGain", numberCells(d.gainTables->channelGain), 1, 8);
    }
    if (d.emptyGains) {
        out += "  the unit has no gains\n";
    }
    if (!d.levelCodes.empty()) {
        QStringList cells;
        for (const std::uint8_t code : d.levelCodes) {
            cells << QString::number(roundedDb(levelDbFromCode(code)), 'f', 1);
        }
        appendGrid(out, "levelDb", cells, 0, 8);
    }
    for (const UnitListEntry& u : d.units) {
        out += QString("  %1  %2 (model %3)  firmware %4.%5\n")
                   .arg(uidHex(u.uid), QString::fromLatin1(typeName(u.model)))
                   .arg(u.model)
                   .arg(u.firmwareMajor)
                   .arg(u.firmwareMinor);
    }
    if (d.direction != Direction::Request) {
        out += "  handler: " + handlerResultText(d) + "\n";
    }
    for (const QString& note : d.notes) {
        out += "  note: " + note + "\n";
    }
    return out;
}

QString frameSummary(const DecodedFrame& d) {
    QString line = d.commandName;
    if (d.uid && !(d.command == cmd::discover && d.direction == Direction::Reply)) {
        line += (d.direction == Direction::Reply ? " from " : " to ") + uidText(*d.uid);
    }
    QString detail;
    if (!d.parameters.empty()) {
        detail = listed(d.parameters, pairText, "pairs");
    } else if (!d.routing.empty()) {
        detail = listed(
            d.routing,
            [](const RoutingEntry& e) {
                return QString("%1<-%2").arg(e.output).arg(sourceText(e.source));
            },
            "entries");
    } else if (!d.gains.empty()) {
        detail = listed(
            d.gains,
            [](const GainEntry& e) {
                const auto [table, channel] = gainIndexName(e.index);
                return QString("%1[%2]=%3")
                    .arg(table.isEmpty() ? "index" : table)
                    .arg(channel)
                    .arg(e.value);
            },
            "entries");
    } else if (d.gainTables) {
        detail = QString("%1 values")
                     .arg(d.gainTables->inputGain.size() + d.gainTables->inputSwitch.size() +
                          d.gainTables->channelGain.size());
    } else if (d.emptyGains) {
        detail = "no gains";
    } else if (!d.levelCodes.empty()) {
        detail = QString("%1 level codes").arg(d.levelCodes.size());
    } else if (!d.units.empty()) {
        detail = listed(
            d.units,
            [](const UnitListEntry& u) {
                return QString("%1 %2 %3.%4;")
                    .arg(uidHex(u.uid), QString::fromLatin1(typeName(u.model)))
                    .arg(u.firmwareMajor)
                    .arg(u.firmwareMinor);
            },
            "units");
    }
    if (!detail.isEmpty()) {
        line += ": " + detail;
    }
    line += QString(" (%1 bytes)").arg(d.bytes.size());
    if (d.handlerResult != frame_result::accepted) {
        line += " [" + handlerResultText(d) + "]";
    } else if (!d.notes.isEmpty()) {
        line += " [" + d.notes.front() + "]";
    }
    return line;
}

QString monitorLine(const QDateTime& time, bool received, const DecodedFrame& frame, bool json,
                    bool hex) {
    if (json) {
        const QJsonObject line{{"time", time.toString(Qt::ISODateWithMs)},
                               {"direction", received ? "received" : "sent"},
                               {"frame", frameToJson(frame)}};
        return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + "\n";
    }
    const QString stamp = time.toString("HH:mm:ss.zzz");
    QString text = stamp + (received ? " <- " : " -> ") + frameSummary(frame) + "\n";
    if (hex) {
        text += QString(stamp.size() + 4, ' ') + hexBytes(frame.bytes, true) + "\n";
    }
    return text;
}

QString statusLine(const QDateTime& time, const QString& status, bool json) {
    if (json) {
        const QJsonObject line{{"time", time.toString(Qt::ISODateWithMs)}, {"status", status}};
        return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + "\n";
    }
    return time.toString("HH:mm:ss.zzz") + " == " + status + "\n";
}

} // namespace varento::cli
