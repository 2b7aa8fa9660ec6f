#include "core/command_line.h"
#include "core/text_format.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::cli;

namespace {

const QString kUid = "0c0201000a050f030b0804060e0d0701";

ParsedCommandLine parse(const QString& line) {
    return parseCommandLine(line.split(' ', Qt::SkipEmptyParts));
}

CommandLine lineOf(const QString& text) {
    const ParsedCommandLine parsed = parse(text);
    EXPECT_TRUE(parsed.line) << text.toStdString() << ": " << parsed.error.toStdString();
    return parsed.line.value_or(CommandLine{});
}

// The usage error for `line`, or "" when it parses.
std::string errorOf(const QString& line) {
    const ParsedCommandLine parsed = parse(line);
    EXPECT_EQ(parsed.line.has_value(), parsed.error.isEmpty()) << line.toStdString();
    return parsed.error.toStdString();
}

} // namespace

TEST(CommandLine, OptionsOnEitherSideOfTheCommand) {
    const auto parsed = parse("--json dump " + kUid + " --link demo:5 --timeout 2.5");
    ASSERT_TRUE(parsed.line) << parsed.error.toStdString();
    const CommandLine& line = *parsed.line;
    EXPECT_EQ(line.command, Command::Dump);
    EXPECT_TRUE(line.json);
    EXPECT_EQ(line.link.kind, LinkKind::Demo);
    EXPECT_EQ(line.link.demoUnits, 5);
    EXPECT_EQ(line.timeoutMs, 2500);
    EXPECT_EQ(line.uid, parseUidHex(kUid.toUpper().toStdString())); // either case
    EXPECT_FALSE(lineOf("dump all").uid);
    EXPECT_EQ(lineOf("dump --link=network").link.kind, LinkKind::Network);
}

TEST(CommandLine, UnitCommands) {
    const auto set = lineOf("set " + kUid + " fanslowtemp 0x28");
    EXPECT_EQ(set.parameter, 6);
    EXPECT_EQ(set.value, 40);
    EXPECT_EQ(lineOf("set " + kUid + " 21 64").parameter, 21);

    const auto route = lineOf("route " + kUid + " 191 none");
    EXPECT_EQ(route.index, 191);
    EXPECT_EQ(route.value, 255);

    // The table only reads, so it takes no output or source; --table may stand anywhere.
    for (const QString& text :
         {"route --table " + kUid, "route " + kUid + " --table", "--table --json route " + kUid}) {
        const auto table = lineOf(text);
        EXPECT_EQ(table.command, Command::RouteTable) << text.toStdString();
        EXPECT_EQ(table.uid, parseUidHex(kUid.toStdString()));
    }

    const auto bus = lineOf("route " + kUid + " 191 off --bus 4");
    EXPECT_EQ(bus.command, Command::RouteBus);
    EXPECT_EQ(bus.value, 191);
    EXPECT_EQ(bus.bus, 3);
    EXPECT_FALSE(bus.on);
    EXPECT_TRUE(lineOf("route --bus 1 " + kUid + " 0 on").on);

    // Channel gains are signed dB on the wire as one byte.
    EXPECT_EQ(lineOf("gain " + kUid + " 100 -6").value, 250);
    EXPECT_EQ(lineOf("gain " + kUid + " 35 3").value, 3);

    const auto load = lineOf("preset load " + kUid + " show.vpf --matrix");
    EXPECT_EQ(load.command, Command::PresetLoad);
    EXPECT_EQ(load.part, PresetPart::Matrix);
    EXPECT_EQ(load.file, "show.vpf");
    EXPECT_EQ(lineOf("preset load " + kUid + " show.vpf").part, PresetPart::All);

    const auto project =
        lineOf("project load show.vrj --gains --map " + kUid + "=0E0201000A050F030B0804060E0D0702");
    EXPECT_EQ(project.part, PresetPart::Gains);
    ASSERT_EQ(project.replacements.size(), 1u);
    EXPECT_EQ(project.replacements[0].second.bytes[0], 0x0E);

    // The numbers a user sees: the button of analog input 4 and list item 6.
    const auto trip = lineOf("trip " + kUid + " 4 --spare 6");
    EXPECT_EQ(trip.command, Command::Trip);
    EXPECT_EQ(trip.index, 3);
    EXPECT_EQ(trip.spare, 5);
    const auto untrip = lineOf("--spare=32 untrip " + kUid + " 1");
    EXPECT_EQ(untrip.command, Command::Untrip);
    EXPECT_EQ(untrip.index, 0);
    EXPECT_EQ(untrip.spare, 31);
    EXPECT_EQ(lineOf("untrip " + kUid + " 4").spare, std::nullopt); // the recorded spare
    EXPECT_EQ(lineOf("trip --status " + kUid).command, Command::TripStatus);

    EXPECT_EQ(lineOf("monitor 1.5").seconds, 1.5);
    EXPECT_EQ(lineOf("decode F0 0E F7").hexFrames.size(), 3);
    EXPECT_EQ(lineOf("help").command, Command::Help);
}

TEST(CommandLine, UsageErrors) {
    const std::pair<QString, std::string> cases[] = {
        {"dump 0c02", "is not a unit id"},
        {"dump 8C0201000A050F030B0804060E0D0701", "each byte 00..7F"},
        {"set " + kUid + " temperature 5", "reported by the unit and cannot be set"},
        {"set " + kUid + " 9 5", "calibration"},
        {"set " + kUid + " 26 5", "does not exist"},
        {"set " + kUid + " volume 5", "is not a parameter"},
        {"set " + kUid + " 0 128", "0..127"},
        {"set " + kUid + " 0", "needs UID PARAM VALUE"},
        {"route " + kUid + " 192 5", "0..191"},
        {"route " + kUid + " 3 256", "0..255 or \"none\""},
        {"route --table", "needs UID"},
        {"route --table " + kUid + " 3", "one too many"},
        {"route --table 3", "is not a unit id"},
        {"route " + kUid + " 192 on --bus 1", "0..191"},
        {"route " + kUid + " 3 none --bus 1", "\"on\" or \"off\""},
        {"route " + kUid + " 3 on --bus 5", "bus 1..4"},
        {"route --table " + kUid + " --bus 1", "without --table"},
        {"route " + kUid + " 3 none --table", "one too many"},
        {"dump " + kUid + " --table", "--table goes with \"route\""},
        {"gain " + kUid + " 3 70", "8..63"},
        {"gain " + kUid + " 40 4", "0..3"},
        {"gain " + kUid + " 128 1", "0..127"},
        {"preset " + kUid, "\"save\" or \"load\""},
        {"preset save " + kUid + " a.vpf extra", "one too many"},
        {"preset save " + kUid + " a.vpf --matrix", "go with \"preset load\""},
        {"preset load " + kUid + " a.vpf --matrix --gains", "only one"},
        {"project load a.vrj --settings", "--gains or --all"},
        {"discover --map " + kUid, "FROM=TO"},
        {"discover --hex", "goes with \"monitor\""},
        {"discover --timeout 0", "above 0"},
        {"discover --link", "needs a value"},
        {"discover --link serial:", "not a link"},
        {"discover --link serial:@9600", "a port and a baud rate"},
        {"discover --link midi:1", "an input and an output"},
        {"discover --link demo:99", "0..64"},
        {"discover --verbose", "is not an option"},
        {"frobnicate", "is not a command"},
        {"monitor soon", "not a number of seconds"},
        {"trip " + kUid + " 4", "needs --spare SPARE"},
        {"trip " + kUid + " 0 --spare 6", "analog input 1..32"},
        {"untrip " + kUid + " 33 --spare 6", "analog input 1..32"},
        {"trip " + kUid + " 4 --spare 0", "--spare takes an analog input 1..32"},
        {"trip " + kUid + " --spare 6", "needs UID CHANNEL --spare SPARE"},
        {"dump --spare 6", "--spare goes with \"trip\" and \"untrip\""},
        {"trip " + kUid + " 4 --spare 4", "must be another input than 4"},
        {"dump --status", "--status goes with \"trip\""},
        {"decode", "at least one frame"},
        {"--json", "No command given"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_NE(errorOf(line).find(expected), std::string::npos)
            << line.toStdString() << " -> " << errorOf(line);
    }
}

TEST(CommandLine, Links) {
    QString error;
    const auto serial = parseLink("serial:/dev/ttyUSB0@57600", error);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->kind, LinkKind::Serial);
    EXPECT_EQ(serial->serialPort, "/dev/ttyUSB0");
    EXPECT_EQ(serial->baudRate, 57600);
    EXPECT_EQ(parseLink("serial:COM3", error)->baudRate, 115200);
    const auto midi = parseLink("midi:VARENTO Emulator/2", error);
    ASSERT_TRUE(midi);
    EXPECT_EQ(midi->midiIn, "VARENTO Emulator");
    EXPECT_EQ(midi->midiOut, "2");
    EXPECT_EQ(parseLink("demo", error)->demoUnits, 3);
    EXPECT_EQ(parseLink("demo:0", error)->demoUnits, 0);
    EXPECT_FALSE(parseLink("network:7777", error));
}

TEST(CommandLine, DeviceListCommands) {
    EXPECT_EQ(lineOf("devices --json").command, Command::DevicesList);
    const CommandLine rename = lineOf("devices rename " + kUid + " Stage");
    EXPECT_EQ(rename.command, Command::DevicesRename);
    EXPECT_EQ(rename.name, "Stage");
    const CommandLine move = lineOf("devices move " + kUid + " 3");
    EXPECT_EQ(move.command, Command::DevicesMove);
    EXPECT_EQ(move.index, 3);
    EXPECT_EQ(lineOf("devices remove " + kUid).command, Command::DevicesRemove);

    EXPECT_NE(errorOf("devices move " + kUid + " 0"), "");
    EXPECT_NE(errorOf("devices rename " + kUid), "");
    EXPECT_NE(errorOf("devices remove nothex"), "");
    EXPECT_NE(errorOf("devices sort"), "");
}
