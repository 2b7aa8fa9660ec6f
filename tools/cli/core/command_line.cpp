#include "command_line.h"

#include "app/parameters.h"
#include "protocol/device_record.h"
#include "text_format.h"

#include <QHostAddress>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace varento::cli {

namespace {

constexpr int kMaxDemoUnits = 64;
constexpr double kMaxTimeoutSeconds = 3600;
constexpr double kMaxMonitorSeconds = 1e6; // the event loop's timers count int milliseconds

std::optional<int> toInt(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                 : text.toInt(&ok, 10);
    if (!ok || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<DeviceUid> toUid(const QString& text) {
    return parseUidHex(text.toStdString());
}

QString uidError(const QString& text) {
    return QString("\"%1\" is not a unit id: write 32 hexadecimal digits, two per byte, each "
                   "byte 00..7F.")
        .arg(text);
}

struct Parser {
    QStringList positional;
    CommandLine line;
    QString error;

    bool fail(const QString& text) {
        error = text;
        return false;
    }

    bool need(int count, const QString& form) {
        if (positional.size() - 1 < count) {
            return fail(QString("\"%1\" needs %2.").arg(positional[0], form));
        }
        if (positional.size() - 1 > count) {
            return fail(QString("\"%1\" takes %2; \"%3\" is one too many.")
                            .arg(positional[0], form, positional[count + 1]));
        }
        return true;
    }

    bool uidAt(int i) {
        line.uid = toUid(positional[i]);
        return line.uid ? true : fail(uidError(positional[i]));
    }

    bool command() {
        if (positional.isEmpty()) {
            return fail("No command given; see varento-cli --help.");
        }
        const QString name = positional[0];
        if (name == "help") {
            line.command = Command::Help;
            return true;
        }
        if (name == "discover") {
            line.command = Command::Discover;
            return need(0, "no arguments");
        }
        if (name == "dump") {
            line.command = Command::Dump;
            if (positional.size() > 2) {
                return fail("\"dump\" takes one unit id or \"all\".");
            }
            return positional.size() == 1 || positional[1] == "all" || uidAt(1);
        }
        if (name == "set") {
            line.command = Command::Set;
            return need(3, "UID PARAM VALUE") && uidAt(1) && parameterAt(2) && valueAt(3, 0, 127);
        }
        if (name == "route" && line.sheet) {
            line.command = Command::RouteSheet;
            positional[0] = "route --sheet";
            if (!need(1, "UID or all")) {
                return false;
            }
            return (positional[1] == "all" || uidAt(1)) &&
                   (!line.output.isEmpty() ||
                    fail("\"route --sheet\" needs --output FILE (.pdf, .png or .csv)."));
        }
        if (name == "route" && line.table) {
            line.command = Command::RouteTable;
            positional[0] = "route --table";
            return need(1, "UID") && uidAt(1);
        }
        if (name == "route" && line.bus) {
            line.command = Command::RouteBus;
            positional[0] = "route --bus";
            if (!need(3, "UID SOURCE on|off") || !uidAt(1) ||
                !valueAt(2, 0, kWireRouteSlots - 1, "The source must be a number 0..191")) {
                return false;
            }
            if (positional[3] != "on" && positional[3] != "off") {
                return fail(
                    QString("Say \"on\" or \"off\" for the bus, not \"%1\".").arg(positional[3]));
            }
            line.on = positional[3] == "on";
            return true;
        }
        if (name == "route") {
            line.command = Command::Route;
            if (!need(3, "UID OUTPUT SOURCE") || !uidAt(1)) {
                return false;
            }
            const auto output = toInt(positional[2], 0, 191);
            if (!output) {
                return fail(
                    QString("The output must be a number 0..191, not \"%1\".").arg(positional[2]));
            }
            line.index = *output;
            if (positional[3] == "none") {
                line.value = 255;
                return true;
            }
            return valueAt(3, 0, 255, "The source must be a number 0..255 or \"none\"");
        }
        if (name == "gain") {
            line.command = Command::Gain;
            if (!need(3, "UID INDEX VALUE") || !uidAt(1)) {
                return false;
            }
            const auto index = toInt(positional[2], 0, 127);
            if (!index) {
                return fail(QString("The gain index must be a wire index 0..127, not \"%1\".")
                                .arg(positional[2]));
            }
            line.index = *index;
            return gainValueAt(3);
        }
        if (name == "trip" && line.status) {
            line.command = Command::TripStatus;
            positional[0] = "trip --status";
            return need(1, "UID") && uidAt(1);
        }
        if (name == "trip" || name == "untrip") {
            const bool trip = name == "trip";
            line.command = trip ? Command::Trip : Command::Untrip;
            if (!need(2, trip ? "UID CHANNEL --spare SPARE" : "UID CHANNEL") || !uidAt(1)) {
                return false;
            }
            const auto channel = toInt(positional[2], 1, 32);
            if (!channel) {
                return fail(QString("The channel must be an analog input 1..32, not \"%1\".")
                                .arg(positional[2]));
            }
            line.index = *channel - 1;
            if (line.spare && *line.spare == line.index) {
                return fail(
                    QString("The spare input must be another input than %1.").arg(*channel));
            }
            // The way back takes the spare the switch-over recorded.
            return !trip || line.spare.has_value() ||
                   fail(QString("\"%1\" needs --spare SPARE, the spare analog input 1..32.")
                            .arg(name));
        }
        if (name == "preset" || name == "project" || name == "labels") {
            return fileCommand(name);
        }
        if (name == "devices") {
            return devicesCommand();
        }
        if (name == "show") {
            line.command = Command::Show;
            if (!need(1, "a FILE")) {
                return false;
            }
            line.file = positional[1];
            return true;
        }
        if (name == "decode") {
            line.command = Command::Decode;
            line.hexFrames = positional.mid(1);
            return !line.hexFrames.isEmpty() ||
                   fail("\"decode\" needs at least one frame in hexadecimal, or \"-\" to read "
                        "them from standard input.");
        }
        if (name == "journal") {
            line.command = Command::Journal;
            return need(0, "no arguments");
        }
        if (name == "osc" || name == "monitor") {
            line.command = name == "osc" ? Command::Osc : Command::Monitor;
            if (positional.size() > 2) {
                return fail(QString("\"%1\" takes at most a number of seconds.").arg(name));
            }
            if (positional.size() == 2) {
                bool ok = false;
                const double seconds = positional[1].toDouble(&ok);
                if (!ok || !(seconds > 0) || seconds > kMaxMonitorSeconds) {
                    return fail(QString("\"%1\" is not a number of seconds up to 1000000.")
                                    .arg(positional[1]));
                }
                line.seconds = seconds;
            }
            return true;
        }
        return fail(QString("\"%1\" is not a command; see varento-cli --help.").arg(name));
    }

    bool fileCommand(const QString& name) {
        const QString verb = positional.size() > 1 ? positional[1] : QString();
        const bool withUid = name != "project";
        const QString form = withUid ? "UID FILE" : "FILE";
        struct Verb {
            const char* group;
            const char* verb;
            Command command;
        };
        static const Verb kVerbs[] = {
            {"preset", "save", Command::PresetSave},
            {"preset", "load", Command::PresetLoad},
            {"project", "save", Command::ProjectSave},
            {"project", "load", Command::ProjectLoad},
            {"project", "compare", Command::ProjectCompare},
            {"labels", "export", Command::LabelsExport},
            {"labels", "import", Command::LabelsImport},
        };
        for (const Verb& v : kVerbs) {
            if (name == v.group && verb == v.verb) {
                line.command = v.command;
                positional.removeAt(1);
                positional[0] = name + " " + verb;
                if (!need(withUid ? 2 : 1, form) || (withUid && !uidAt(1))) {
                    return false;
                }
                line.file = positional.back();
                return true;
            }
        }
        const QString verbs = name == "labels"    ? "\"export\" or \"import\""
                              : name == "project" ? "\"save\", \"load\" or \"compare\""
                                                  : "\"save\" or \"load\"";
        return fail(QString("\"%1\" needs %2.").arg(name, verbs));
    }

    bool devicesCommand() {
        const QString verb = positional.size() > 1 ? positional[1] : QString();
        if (positional.size() == 1) {
            line.command = Command::DevicesList;
            return true;
        }
        if (verb != "rename" && verb != "move" && verb != "remove") {
            return fail("\"devices\" takes no arguments, or \"rename\", \"move\" or \"remove\".");
        }
        positional.removeAt(1);
        positional[0] = "devices " + verb;
        if (verb == "remove") {
            line.command = Command::DevicesRemove;
            return need(1, "UID") && uidAt(1);
        }
        if (verb == "rename") {
            line.command = Command::DevicesRename;
            if (!need(2, "UID NAME") || !uidAt(1)) {
                return false;
            }
            line.name = positional[2];
            return true;
        }
        line.command = Command::DevicesMove;
        if (!need(2, "UID POSITION") || !uidAt(1)) {
            return false;
        }
        const auto position = toInt(positional[2], 1, std::numeric_limits<int>::max());
        if (!position) {
            return fail(
                QString("The position must be a number from 1, not \"%1\".").arg(positional[2]));
        }
        line.index = *position;
        return true;
    }

    bool parameterAt(int i) {
        const auto number = parameterNumber(positional[i].toStdString());
        if (!number) {
            return fail(QString("\"%1\" is not a parameter: give its number 0..28 or its name, "
                                "e.g. clockRate.")
                            .arg(positional[i]));
        }
        const ParameterInfo* info = parameterInfo(*number);
        switch (info->settable) {
        case Settable::Yes:
            line.parameter = *number;
            return true;
        case Settable::ReadOnly:
            return fail(QString("Parameter %1 (%2) is reported by the unit and cannot be set.")
                            .arg(*number)
                            .arg(info->name));
        case Settable::Calibration:
            return fail(QString("Parameter %1 (%2) belongs to the AD/DA calibration, which is "
                                "only sent as a whole.")
                            .arg(*number)
                            .arg(info->name));
        case Settable::Unused:
            break;
        }
        return fail(QString("Parameter %1 does not exist on the units.").arg(*number));
    }

    bool valueAt(int i, int min, int max, const QString& what = {}) {
        const auto value = toInt(positional[i], min, max);
        if (!value) {
            return fail(QString("%1, not \"%2\".")
                            .arg(what.isEmpty() ? QString("The value must be a number %1..%2 "
                                                          "(decimal or 0x hexadecimal)")
                                                      .arg(min)
                                                      .arg(max)
                                                : what,
                                 positional[i]));
        }
        line.value = *value;
        return true;
    }

    // Channel gains are signed dB; -1 and 255 are the same byte.
    bool gainValueAt(int i) {
        if (line.index < 32) {
            return valueAt(i, 8, 63, "An input gain must be a number 8..63");
        }
        if (line.index < 64) {
            return valueAt(i, 0, 3, "An input switch must be 0..3 (1 PAD, 2 P48)");
        }
        if (!valueAt(i, -128, 255, "A channel gain must be in dB -128..127, or its byte 0..255")) {
            return false;
        }
        line.value &= 0xFF;
        return true;
    }
};

} // namespace

std::optional<QDateTime> parseSince(const QString& text, const QDateTime& now) {
    static const QRegularExpression ago(QStringLiteral("^(\\d{1,6})([smhd])$"));
    if (const QRegularExpressionMatch m = ago.match(text); m.hasMatch()) {
        const qint64 count = m.captured(1).toLongLong();
        const char unit = m.captured(2).at(0).toLatin1();
        const qint64 seconds = unit == 's' ? 1 : unit == 'm' ? 60 : unit == 'h' ? 3600 : 86400;
        return now.addSecs(-count * seconds);
    }
    // Qt reads ISO 8601 with a "T"; people often write a space.
    static const QRegularExpression dateTime(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([T ]\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?"
                       "(Z|[+-]\\d{2}:\\d{2})?)?$"));
    if (!dateTime.match(text).hasMatch()) {
        return std::nullopt;
    }
    QString iso = text;
    if (iso.size() > 10) {
        iso[10] = 'T';
    }
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!time.isValid()) {
        return std::nullopt;
    }
    return time;
}

std::optional<LinkChoice> parseLink(const QString& text, QString& error) {
    LinkChoice link;
    const QString kind = text.section(':', 0, 0);
    const QString rest = text.section(':', 1);
    const bool hasRest = text.contains(':');
    if (kind == "network" && !hasRest) {
        link.kind = LinkKind::Network;
        return link;
    }
    if (kind == "demo") {
        link.kind = LinkKind::Demo;
        if (hasRest) {
            const auto n = toInt(rest, 0, kMaxDemoUnits);
            if (!n) {
                error = QString("demo:N takes a number of units 0..%1, not \"%2\".")
                            .arg(kMaxDemoUnits)
                            .arg(rest);
                return std::nullopt;
            }
            link.demoUnits = *n;
        }
        return link;
    }
    if (kind == "serial" && hasRest && !rest.isEmpty()) {
        link.kind = LinkKind::Serial;
        link.serialPort = rest;
        if (const qsizetype at = rest.lastIndexOf('@'); at >= 0) {
            const auto baud = toInt(rest.mid(at + 1), 1, 4000000);
            if (!baud || at == 0) {
                error =
                    QString("serial:PORT@BAUD needs a port and a baud rate, not \"%1\".").arg(rest);
                return std::nullopt;
            }
            link.baudRate = *baud;
            link.serialPort = rest.left(at);
        }
        return link;
    }
    if (kind == "midi") {
        link.kind = LinkKind::Midi;
        if (hasRest) {
            const qsizetype slash = rest.indexOf('/');
            if (slash <= 0 || slash == rest.size() - 1) {
                error = QString("midi:IN/OUT needs an input and an output device, not \"%1\".")
                            .arg(rest);
                return std::nullopt;
            }
            link.midiIn = rest.left(slash);
            link.midiOut = rest.mid(slash + 1);
        }
        return link;
    }
    error = QString("\"%1\" is not a link: use network, serial:PORT[@BAUD], midi:IN/OUT or "
                    "demo[:N].")
                .arg(text);
    return std::nullopt;
}

ParsedCommandLine parseCommandLine(const QStringList& args) {
    Parser p;
    bool optionsEnded = false;
    std::optional<PresetPart> part;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith("--")) {
            if (arg == "-h") {
                p.line.command = Command::Help;
                return {p.line, {}};
            }
            p.positional << arg;
            continue;
        }
        const QString name = arg.section('=', 0, 0);
        const bool inlineValue = arg.contains('=');
        auto value = [&](QString& out) {
            if (inlineValue) {
                out = arg.section('=', 1);
                return true;
            }
            if (i + 1 >= args.size()) {
                p.error = QString("%1 needs a value.").arg(name);
                return false;
            }
            out = args[++i];
            return true;
        };
        QString v;
        if (arg == "--") {
            optionsEnded = true;
        } else if (name == "--help") {
            p.line.command = Command::Help;
            return {p.line, {}};
        } else if (name == "--version") {
            p.line.command = Command::Version;
            return {p.line, {}};
        } else if (name == "--json") {
            p.line.json = true;
        } else if (name == "--yes") {
            p.line.yes = true;
        } else if (name == "--hex") {
            p.line.hex = true;
        } else if (name == "--reconnect") {
            p.line.reconnect = true;
        } else if (name == "--table") {
            p.line.table = true;
        } else if (name == "--sheet") {
            p.line.sheet = true;
        } else if (name == "--status") {
            p.line.status = true;
        } else if (name == "--settings" || name == "--matrix" || name == "--gains" ||
                   name == "--all") {
            const PresetPart chosen = name == "--settings" ? PresetPart::Settings
                                      : name == "--matrix" ? PresetPart::Matrix
                                      : name == "--gains"  ? PresetPart::Gains
                                                           : PresetPart::All;
            if (part && *part != chosen) {
                return {std::nullopt, "Give only one of --settings, --matrix, --gains and --all."};
            }
            part = chosen;
        } else if (name == "--link") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            QString error;
            const auto link = parseLink(v, error);
            if (!link) {
                return {std::nullopt, error};
            }
            p.line.link = *link;
        } else if (name == "--timeout") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            bool ok = false;
            const double seconds = v.toDouble(&ok);
            if (!ok || !(seconds > 0) || seconds > kMaxTimeoutSeconds) {
                return {std::nullopt, QString("--timeout takes a number of seconds above 0 and up "
                                              "to 3600, not \"%1\".")
                                          .arg(v)};
            }
            p.line.timeoutMs = static_cast<int>(std::ceil(seconds * 1000));
        } else if (name == "--since") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            p.line.since = parseSince(v, QDateTime::currentDateTime());
            if (!p.line.since) {
                return {std::nullopt, QString("--since takes a date and time such as "
                                              "2026-12-08T14:00 or \"2026-12-08 14:00:00\", or a "
                                              "time ago such as 30m or 2h, not \"%1\".")
                                          .arg(v)};
            }
        } else if (name == "--spare") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            const auto spare = toInt(v, 1, 32);
            if (!spare) {
                return {std::nullopt,
                        QString("--spare takes an analog input 1..32, not \"%1\".").arg(v)};
            }
            p.line.spare = *spare - 1;
        } else if (name == "--bus") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            const auto bus = toInt(v, 1, 4);
            if (!bus) {
                return {std::nullopt,
                        QString("--bus takes a summing bus 1..4, not \"%1\".").arg(v)};
            }
            p.line.bus = *bus - 1;
        } else if (name == "--output") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            p.line.output = v;
        } else if (name == "--paper") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            if (v.compare("a4", Qt::CaseInsensitive) != 0 &&
                v.compare("letter", Qt::CaseInsensitive) != 0) {
                return {std::nullopt, QString("--paper takes a4 or letter, not \"%1\".").arg(v)};
            }
            p.line.letter = v.compare("letter", Qt::CaseInsensitive) == 0;
        } else if (name == "--port") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            const auto port = toInt(v, 1, 65535);
            if (!port) {
                return {std::nullopt,
                        QString("--port takes a UDP port 1..65535, not \"%1\".").arg(v)};
            }
            p.line.oscPort = *port;
        } else if (name == "--listen" || name == "--allow") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            const QStringList addresses = v.split(',', Qt::SkipEmptyParts);
            for (const QString& a : addresses) {
                if (QHostAddress(a.trimmed()).isNull()) {
                    return {std::nullopt,
                            QString("%1 takes IP addresses, not \"%2\".").arg(name, a)};
                }
            }
            if (name == "--listen") {
                if (addresses.size() != 1) {
                    return {std::nullopt, "--listen takes one address."};
                }
                p.line.oscListen = addresses[0].trimmed();
            } else {
                for (const QString& a : addresses) {
                    p.line.oscAllowed << a.trimmed();
                }
            }
        } else if (name == "--read-only") {
            p.line.readOnly = true;
        } else if (name == "--map") {
            if (!value(v)) {
                return {std::nullopt, p.error};
            }
            const auto from = toUid(v.section('=', 0, 0));
            const auto to = toUid(v.section('=', 1));
            if (!v.contains('=') || !from || !to) {
                return {std::nullopt, QString("--map takes FROM=TO, two unit ids of 32 hexadecimal "
                                              "digits, not \"%1\".")
                                          .arg(v)};
            }
            p.line.replacements.emplace_back(*from, *to);
        } else {
            return {std::nullopt,
                    QString("\"%1\" is not an option; see varento-cli --help.").arg(arg)};
        }
    }
    if (!p.command()) {
        return {std::nullopt, p.error};
    }
    if (part) {
        const bool projectGains = p.line.command == Command::ProjectLoad &&
                                  (*part == PresetPart::Gains || *part == PresetPart::All);
        if (p.line.command != Command::PresetLoad && !projectGains) {
            return {std::nullopt, "--settings, --matrix, --gains and --all go with \"preset "
                                  "load\"; \"project load\" takes --gains or --all."};
        }
        p.line.part = *part;
    }
    if (!p.line.replacements.empty() && p.line.command != Command::ProjectLoad) {
        return {std::nullopt, "--map goes with \"project load\"."};
    }
    if (p.line.hex && p.line.command != Command::Monitor) {
        return {std::nullopt, "--hex goes with \"monitor\"."};
    }
    if (p.line.reconnect && p.line.command != Command::Monitor) {
        return {std::nullopt, "--reconnect goes with \"monitor\"."};
    }
    if (p.line.spare && p.line.command != Command::Trip && p.line.command != Command::Untrip) {
        return {std::nullopt, "--spare goes with \"trip\" and \"untrip\"."};
    }
    if (p.line.since && p.line.command != Command::Journal) {
        return {std::nullopt, "--since goes with \"journal\"."};
    }
    if ((p.line.oscPort || !p.line.oscListen.isEmpty() || !p.line.oscAllowed.isEmpty() ||
         p.line.readOnly) &&
        p.line.command != Command::Osc) {
        return {std::nullopt, "--port, --listen, --allow and --read-only go with \"osc\"."};
    }
    if (p.line.bus && p.line.command != Command::RouteBus) {
        return {std::nullopt, "--bus goes with \"route\", without --table."};
    }
    if ((p.line.sheet || !p.line.output.isEmpty() || p.line.letter) &&
        p.line.command != Command::RouteSheet) {
        return {std::nullopt, "--sheet, --output and --paper go with \"route --sheet\"."};
    }
    if (p.line.table && p.line.command != Command::RouteTable) {
        return {std::nullopt, "--table goes with \"route\"."};
    }
    if (p.line.status && p.line.command != Command::TripStatus) {
        return {std::nullopt, "--status goes with \"trip\"."};
    }
    return {p.line, {}};
}

QString usageText() {
    return R"(Usage: varento-cli [OPTIONS] COMMAND ...

Commands:
  discover                        list the units that answer: uid, type name, firmware
  dump [UID|all]                  connect, gather, print each unit's whole state
  set UID PARAM VALUE             send one parameter (number 0..28 or name, value 0..127)
  route UID OUTPUT SOURCE|none    route one output (0..191) and send the range
  route UID SOURCE on|off --bus BUS
                                  sum source SOURCE (0..191) onto summing bus BUS
                                  (1..4), or take it off; the whole table is sent
  route --table UID               print the routing, one row per output 0..191: its
                                  label, its source (- for none; 192..195 are the
                                  buses) and the source's label; then the bus sums,
                                  which sources each bus 1..4 adds up
  route --sheet UID|all --output FILE [--paper a4|letter]
                                  the routing sheet of a unit or of every unit: a
                                  PDF page per output bank and unit (A4 unless
                                  --paper letter), its first page as a .png picture,
                                  or .csv with a row per output
  osc [SECONDS]                   show control: an OSC server on --listen ADDR
                                  (127.0.0.1) --port N (9000), optionally
                                  --allow ADDR[,ADDR] and --read-only, until Ctrl+C
                                  or SECONDS; the addresses are in the README
  gain UID INDEX VALUE            send one gain entry (wire index 0..127: 0..31 input
                                  gain 8..63, 32..63 input switch 0..3 (1 PAD, 2 P48),
                                  64..127 channel gain in dB -128..127 or its byte)
  trip UID CHANNEL --spare SPARE  spare-microphone switch-over: the routing is read,
                                  every output fed by analog input CHANNEL (1..32)
                                  takes the spare analog input SPARE (1..32) in one
                                  routing frame, and the routing read back must
                                  show it (else exit 1)
  untrip UID CHANNEL [--spare SPARE]
                                  the way back: exactly the outputs the switch-over
                                  moved that are still on the spare take CHANNEL
                                  again, confirmed the same way
  trip --status UID               what is switched over on the unit, checked
                                  against its routing
  preset save UID FILE            save one unit's settings, routing and gains (.vpf)
  preset load UID FILE [--settings|--matrix|--gains|--all]
                                  load a preset file into a unit (default --all)
  project save FILE               save every unit that answers (.vrj)
  project load FILE [--gains|--all] [--map FROM=TO ...]
                                  load a project into the units (--gains: only gains
                                  and switches); --map loads the dataset of unit FROM
                                  into unit TO when FROM is not online
  project compare FILE            read each unit of the project afresh and list what
                                  differs from it (settings, routing, gains, labels),
                                  units missing and units extra; exit 0 when nothing
                                  differs, 1 when something does
  labels export UID FILE          write a unit's 388 channel labels to a label file
  labels import UID FILE          read 384 channel labels from a label file
  devices                         the device list: position, uid, online state, type
                                  and name of every unit ever seen (units that answer
                                  now are online)
  devices rename UID NAME         rename a unit in the device list
  devices move UID POSITION       move a unit to a position; the others renumber
  devices remove UID              remove a unit that is offline from the device list
  show FILE                       decode a preset, project, device list or label file
  decode HEX...                   decode protocol frames given as hex, one per argument
                                  ("-" reads one frame per line from standard input)
  monitor [SECONDS]               print every frame sent and received, with timestamps
  journal [--since TIME]          print the event journal of the data folder, oldest
                                  first: time, event, unit id and text, tab-separated

Options:
  --link network|serial:PORT[@BAUD]|midi:IN/OUT|demo[:N]
                    the link to the units (default network); IN and OUT are MIDI
                    device numbers or names; demo runs N emulated units in this
                    process (default 3) and opens no socket
  --timeout SEC     how long to wait for units to answer (default 10)
  --json            one JSON document for discover, dump, devices, route --table,
                    project compare, trip --status, show and decode (monitor,
                    journal: one JSON object per line)
  --yes             answer yes to every question (loading into a unit, replacing
                    a file); without it questions are asked only on a terminal
  --hex             monitor: print each frame in hexadecimal under its line
  --reconnect       monitor: when the link fails, open it again every 2 seconds
                    and find the units again, until interrupted
  --spare SPARE     trip, untrip: the spare analog input, 1..32, not CHANNEL
  --status          trip: print the unit's switch-over instead of switching
  --since TIME      journal: only events from TIME on, an ISO date and time in
                    local time (2026-12-08T14:00, "2026-12-08 14:00:00") or a
                    time ago (30m, 2h, 1d)
  --help, --version

UIDs are 32 hexadecimal digits, two per byte, in either case.
Exit status: 0 success, 1 a unit did not answer or was not found (trip, untrip:
or its routing read back does not show the switch), 2 usage error, 3 file error. Progress goes to standard error when it is a terminal.
The data folder (device list, label store, journal) is VARENTO_DATA_DIR when set;
otherwise --link demo runs keep theirs in a temporary folder.
)";
}

} // namespace varento::cli
