#include "unit_report.h"

#include "app/parameters.h"
#include "text_format.h"

#include "app/cp1252.h"
#include "app/routing_labels.h"
#include "files/label_file.h"
#include "protocol/catalog.h"

#include <QJsonArray>

#include <algorithm>
#include <cstring>

namespace varento::cli {

namespace {

// Parameters with a byte of their own; model and firmware are part of the identity.
bool reportedAsParameter(int number) {
    const ParameterInfo* info = parameterInfo(number);
    return info != nullptr && info->settable != Settable::Unused &&
           number != param::calibration1High && number != param::model &&
           number != param::firmwareMajor && number != param::firmwareMinor;
}

void addIdentity(QJsonObject& o, const DeviceUid& uid, std::uint8_t model, std::uint8_t major,
                 std::uint8_t minor, const std::optional<KnownDevice>& known) {
    o["uid"] = uidHex(uid);
    o["model"] = model;
    o["typeName"] = typeName(model);
    o["firmwareMajor"] = major;
    o["firmwareMinor"] = minor;
    if (known) {
        o["userName"] = fromWindows1252(known->userName);
        o["position"] = known->position;
    }
}

QString identityLine(const DeviceUid& uid, std::uint8_t model, std::uint8_t major,
                     std::uint8_t minor, const std::optional<KnownDevice>& known) {
    QString line = QString("%1  %2 (model %3)  firmware %4.%5")
                       .arg(uidHex(uid), QString::fromLatin1(typeName(model)))
                       .arg(model)
                       .arg(major)
                       .arg(minor);
    if (known) {
        line += QString("  position %1  \"%2\"")
                    .arg(known->position)
                    .arg(fromWindows1252(known->userName));
    }
    return line;
}

template <std::size_t N>
QStringList cells(const std::array<std::uint8_t, N>& values, std::size_t count = N) {
    QStringList out;
    for (std::size_t i = 0; i < count; ++i) {
        out << QString::number(values[i]);
    }
    return out;
}

constexpr int kOutputCount = kWireRouteSlots;

} // namespace

QJsonObject foundUnitToJson(const FoundUnit& u) {
    QJsonObject o;
    addIdentity(o, u.uid, u.model, u.firmwareMajor, u.firmwareMinor, u.known);
    return o;
}

QString foundUnitsToText(const std::vector<FoundUnit>& units) {
    qsizetype typeWidth = 8;
    for (const FoundUnit& u : units) {
        typeWidth =
            std::max<qsizetype>(typeWidth, static_cast<qsizetype>(std::strlen(typeName(u.model))));
    }
    const int tw = -static_cast<int>(typeWidth);
    QString out = QString("%1  %2  %3  %4  %5\n")
                      .arg(QString("uid"), -32)
                      .arg(QString("typeName"), tw)
                      .arg(QString("firmware"))
                      .arg(QString("position"))
                      .arg(QString("userName"));
    for (const FoundUnit& u : units) {
        out += QString("%1  %2  %3  %4  %5")
                   .arg(uidHex(u.uid))
                   .arg(QString::fromLatin1(typeName(u.model)), tw)
                   .arg(QString("%1.%2").arg(u.firmwareMajor).arg(u.firmwareMinor), -8)
                   .arg(u.known ? QString::number(u.known->position) : QString("-"), 8)
                   .arg(u.known ? fromWindows1252(u.known->userName) : QString());
        while (out.endsWith(' ')) {
            out.chop(1);
        }
        out += '\n';
    }
    return out;
}

QJsonObject unitStateToJson(const UnitState& u) {
    const DeviceRecord& r = u.record;
    QJsonObject o;
    addIdentity(o, r.uid, r.model, r.at(param::firmwareMajor), r.at(param::firmwareMinor), u.known);
    o["daemonIndex"] = r.daemonIndex;
    QJsonObject parameters;
    for (int number = 0; number <= param::last; ++number) {
        if (reportedAsParameter(number)) {
            parameters[parameterInfo(number)->name] = r.at(number);
        }
    }
    o["parameters"] = parameters;
    o["calibration1"] = r.calibration1;
    o["calibration2"] = r.calibration2;
    o["ledDimEdit1"] = r.ledDimEdit1;
    o["ledDimEdit2"] = r.ledDimEdit2;
    QJsonArray sources;
    QJsonArray flags;
    for (int slot = 0; slot < kWireRouteSlots; ++slot) {
        sources.append(r.routeSource[static_cast<std::size_t>(slot)]);
        flags.append(r.routeFlags[static_cast<std::size_t>(slot)]);
    }
    o["routeSource"] = sources;
    o["routeFlags"] = flags;
    o["inputGain"] = jsonNumbers(r.inputGain);
    o["inputSwitch"] = jsonNumbers(r.inputSwitch);
    o["channelGain"] = jsonNumbers(r.channelGain);
    if (u.levelsRead) {
        o["levelCodes"] = jsonNumbers(r.levelCodes);
        QJsonArray db;
        for (const float level : r.levelDb) {
            db.append(roundedDb(level));
        }
        o["levelDb"] = db;
    }
    QJsonArray labels;
    for (const Label& label : r.labels) {
        labels.append(labelText(label));
    }
    o["labels"] = labels;
    return o;
}

QString unitStateToText(const UnitState& u) {
    const DeviceRecord& r = u.record;
    QString out = identityLine(r.uid, r.model, r.at(param::firmwareMajor),
                               r.at(param::firmwareMinor), u.known) +
                  "\n";
    out += "parameters\n";
    for (int number = 0; number <= param::last; ++number) {
        if (reportedAsParameter(number)) {
            appendField(out, QString("%1 (%2)").arg(parameterInfo(number)->name).arg(number),
                        QString("%1 %2  %3")
                            .arg(hexByte(r.at(number)))
                            .arg(r.at(number), 3)
                            .arg(parameterMeaning(number, r.at(number))));
        }
    }
    appendField(out, "calibration1", QString::number(r.calibration1));
    appendField(out, "calibration2", QString::number(r.calibration2));
    appendField(out, "ledDimEdit1", hexByte(r.ledDimEdit1));
    appendField(out, "ledDimEdit2", hexByte(r.ledDimEdit2));
    out += "routing (source of each output, - for none)\n";
    QStringList sources;
    QStringList flags;
    for (std::size_t slot = 0; slot < kWireRouteSlots; ++slot) {
        sources << (r.routeSource[slot] == kNoSource ? QString("-")
                                                     : QString::number(r.routeSource[slot]));
        if (r.routeFlags[slot] != 0) {
            flags << QString("%1=%2").arg(slot).arg(hexByte(r.routeFlags[slot]));
        }
    }
    appendGrid(out, "routeSource", sources, 0, 8);
    if (!flags.isEmpty()) {
        appendGrid(out, "routeFlags", flags, 1, 6, true);
    }
    out += "gains\n";
    appendGrid(out, "inputGain", cells(r.inputGain), 1, 8);
    appendGrid(out, "inputSwitch", cells(r.inputSwitch), 1, 8);
    QStringList channel;
    for (const std::uint8_t g : r.channelGain) {
        channel << QString::number(static_cast<std::int8_t>(g));
    }
    appendGrid(out, "channelGain dB", channel, 1, 8);
    if (u.levelsRead) {
        out += "levels (dB)\n";
        QStringList levels;
        for (const float db : r.levelDb) {
            levels << QString::number(roundedDb(db), 'f', 1);
        }
        appendGrid(out, "levelDb", levels, 0, 8);
    }
    out += "labels\n";
    QStringList labels;
    for (const Label& label : r.labels) {
        labels << labelText(label);
    }
    appendGrid(out, "labels", labels, 0, 4, true);
    return out;
}

QJsonObject routingToJson(const DeviceRecord& r, const std::optional<KnownDevice>& known) {
    QJsonObject o;
    addIdentity(o, r.uid, r.model, r.at(param::firmwareMajor), r.at(param::firmwareMinor), known);
    QJsonArray busLabels;
    for (int bus = 0; bus < kBusCount; ++bus) {
        busLabels.append(*sourceLabel(r, kFirstBus + bus));
    }
    o["busLabels"] = busLabels;
    QJsonArray outputs;
    for (int output = 0; output < kOutputCount; ++output) {
        const int source = r.routeSource[static_cast<std::size_t>(output)];
        const std::optional<QString> label =
            source == kNoSource ? std::nullopt : sourceLabel(r, source);
        outputs.append(QJsonObject{
            {"output", output},
            {"outputLabel", outputLabel(r, output)},
            {"source", source == kNoSource ? QJsonValue() : QJsonValue(source)},
            {"sourceLabel", label ? QJsonValue(*label) : QJsonValue()},
        });
    }
    o["outputs"] = outputs;
    QJsonArray buses;
    for (int bus = 0; bus < kBusCount; ++bus) {
        buses.append(QJsonObject{{"bus", bus + 1},
                                 {"label", *sourceLabel(r, kFirstBus + bus)},
                                 {"sources", jsonNumbers(sourcesOnBus(r, bus))}});
    }
    o["buses"] = buses;
    return o;
}

QString routingToText(const DeviceRecord& r) {
    const auto trimmed = [](QString line) {
        while (line.endsWith(' ')) {
            line.chop(1);
        }
        return line + '\n';
    };
    const auto row = [&](const QString& output, const QString& outputText, const QString& source,
                         const QString& sourceText) {
        return trimmed(QString("%1  %2  %3  %4")
                           .arg(output, 6)
                           .arg(outputText, -kLabelChars)
                           .arg(source, 6)
                           .arg(sourceText, -kLabelChars));
    };
    QString out = row("output", "output label", "source", "source label");
    for (int output = 0; output < kOutputCount; ++output) {
        const int source = r.routeSource[static_cast<std::size_t>(output)];
        out += row(QString::number(output), outputLabel(r, output),
                   source == kNoSource ? QString("-") : QString::number(source),
                   source == kNoSource ? QString() : sourceLabel(r, source).value_or(QString()));
    }
    // The bus sums: which sources each bus adds up.
    const auto busRow = [&](const QString& bus, const QString& label, const QString& sources) {
        return trimmed(QString("%1  %2  %3").arg(bus, 6).arg(label, -kLabelChars).arg(sources));
    };
    out += '\n' + busRow("bus", "bus label", "sources");
    for (int bus = 0; bus < kBusCount; ++bus) {
        const std::vector<int> sources = sourcesOnBus(r, bus);
        out += busRow(QString::number(bus + 1), *sourceLabel(r, kFirstBus + bus),
                      sources.empty() ? QString("-") : numberCells(sources).join(','));
    }
    return out;
}

} // namespace varento::cli
