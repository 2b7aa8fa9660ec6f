// The command line: unit configs, modes and their options, fault options, help.
#include "unit/options.h"
#include "unit/trace.h"

#include "support/frames.h"

#include <gtest/gtest.h>

#include <regex>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;
using std::chrono::milliseconds;

namespace {

CommandLine parse(std::vector<std::string_view> args) {
    return parseCommandLine(args);
}

} // namespace

TEST(UnitConfig, ParsesModelUidVersionAndDaemon) {
    std::string error;
    const auto unit = parseUnitConfig("12:0102030405060708090A0B0C0D0E0F00:4.1", error);
    ASSERT_TRUE(unit) << error;
    EXPECT_EQ(unit->model, 12);
    EXPECT_EQ(unit->uid, uidOf(1));
    EXPECT_EQ(unit->firmwareMajor, 4);
    EXPECT_EQ(unit->firmwareMinor, 1);
    EXPECT_EQ(unitConfigText(*unit), "12:0102030405060708090A0B0C0D0E0F00:4.1");
    const auto pinned = parseUnitConfig("24:7f0e0d0c0b0a09080706050403020100:2.1@3", error);
    ASSERT_TRUE(pinned) << error;
    EXPECT_EQ(pinned->uid.bytes[0], 0x7F);
    EXPECT_EQ(pinned->daemon, 3);
}

TEST(UnitConfig, RejectsWhatNoUnitCouldSendAndSaysWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"12:0102030405060708090A0B0C0D0E0F00", "MODEL:UID:MAJOR.MINOR"},
        {"128:0102030405060708090A0B0C0D0E0F00:4.1", "model code"},
        {"12:0102030405060708090A0B0C0D0E0F0:4.1", "32 hexadecimal"},
        {"12:8102030405060708090A0B0C0D0E0F00:4.1", "00..7F"},
        {"12:0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F:4.1", "every unit"},
        {"12:0102030405060708090A0B0C0D0E0F00:4.200", "MAJOR.MINOR"},
        {"12:0102030405060708090A0B0C0D0E0F00:4.1@x", "daemon"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        EXPECT_FALSE(parseUnitConfig(text, error)) << text;
        EXPECT_NE(error.find(why), std::string::npos) << text << " -> " << error;
        EXPECT_NE(error.find(text), std::string::npos) << "the error names the input";
    }
}

TEST(CommandLine, ModesAndTheirOptions) {
    const auto net = parse({"network", "--daemons", "3", "--data-port", "9000", "--trace"});
    ASSERT_TRUE(net.options) << net.error;
    EXPECT_EQ(net.options->daemons, 3);
    EXPECT_EQ(net.options->dataPort, 9000);
    EXPECT_TRUE(net.options->trace);
    EXPECT_EQ(net.options->units, defaultUnits());

    const auto path = parse({"serial", "/dev/pts/7", "--baud", "57600", "--unit",
                             "11:0102030405060708090A0B0C0D0E0F00:4.6"});
    ASSERT_TRUE(path.options) << path.error;
    EXPECT_EQ(path.options->serialPath, "/dev/pts/7");
    EXPECT_EQ(path.options->baud, 57600);
    ASSERT_EQ(path.options->units.size(), 1u);
    EXPECT_TRUE(parse({"serial", "--pty"}).options->pty);

    const auto midi = parse({"midi", "Rack A", "--api", "jack"});
    ASSERT_TRUE(midi.options) << midi.error;
    EXPECT_EQ(midi.options->midiPort, "Rack A");
    EXPECT_EQ(midi.options->midiApi, "jack");
    EXPECT_TRUE(parse({"serial", "--pty", "-h"}).help);
}

TEST(CommandLine, WrongArgumentsAreExplained) {
    const std::pair<std::vector<std::string_view>, const char*> cases[] = {
        {{}, "no mode"},
        {{"usb"}, "unknown mode"},
        {{"serial"}, "device path or --pty"},
        {{"serial", "/dev/x", "--pty"}, "not both"},
        {{"serial", "--pty", "--daemons", "2"}, "network mode only"},
        {{"network", "--byte-gap", "5"}, "serial mode only"},
        {{"network", "--daemons", "33"}, "1..32"},
        {{"network", "--daemons"}, "needs a value"},
        {{"network", "--data-port", "7776", "--daemons", "2"}, "7777"},
        {{"network", "--mute-for", "2"}, "--mute-after"},
        {{"network", "--withdraw-after", "2:1"}, "no daemon 1"},
        {{"network", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1@1"}, "no daemon 1"},
        {{"serial", "--pty", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1@0"},
         "network mode only"},
        {{"network", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1", "--unit",
          "14:0102030405060708090A0B0C0D0E0F00:6.6"},
         "uid 0102030405060708090A0B0C0D0E0F00"},
        {{"network", "--corrupt-every", "2@900"}, "offset"},
        {{"network", "stray"}, "\"stray\""},
    };
    for (const auto& [args, why] : cases) {
        const CommandLine c = parse(args);
        EXPECT_FALSE(c.options) << why;
        EXPECT_NE(c.error.find(why), std::string::npos) << c.error;
    }
}

TEST(CommandLine, FaultOptionsFillThePlanAndUnitsAreSplitBetweenDaemons) {
    const auto c = parse({"network",
                          "--daemons",
                          "2",
                          "--drop-every",
                          "4",
                          "--delay",
                          "150",
                          "--mute-after",
                          "2.5",
                          "--mute-for",
                          "1",
                          "--corrupt-every",
                          "3@17",
                          "--withdraw-after",
                          "10:1",
                          "--unit",
                          "12:01000000000000000000000000000000:6.6",
                          "--unit",
                          "14:02000000000000000000000000000000:6.6@0",
                          "--unit",
                          "11:03000000000000000000000000000000:4.6"});
    ASSERT_TRUE(c.options) << c.error;
    const FaultPlan& f = c.options->faults;
    EXPECT_EQ(f.dropEvery, 4);
    EXPECT_EQ(f.delay, milliseconds(150));
    EXPECT_EQ(f.muteAfter, milliseconds(2500));
    EXPECT_EQ(f.muteFor, milliseconds(1000));
    EXPECT_EQ(f.corruptEvery, 3);
    EXPECT_EQ(f.corruptOffset, 17u);
    EXPECT_EQ(f.withdrawals, (std::vector<FaultPlan::Withdrawal>{{milliseconds(10000), 1}}));
    const auto split = unitsPerDaemon(*c.options);
    ASSERT_EQ(split.size(), 2u);
    ASSERT_EQ(split[0].size(), 2u); // the first unit dealt out, the pinned one
    EXPECT_EQ(split[0][1].model, 14);
    ASSERT_EQ(split[1].size(), 1u);
    EXPECT_EQ(split[1][0].model, 11);
}

TEST(CommandLine, HelpDocumentsEveryOptionTheParserKnowsAndTheNamespaceRule) {
    const std::string help = helpText("varento-emu");
    const std::regex option("--[a-z-]+");
    int documented = 0;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
         it != std::sregex_iterator(); ++it) {
        const auto c = parseCommandLine(std::vector<std::string_view>{"network", it->str()});
        EXPECT_EQ(c.error.find("unknown option"), std::string::npos) << it->str();
        ++documented;
    }
    EXPECT_GE(documented, 17);
    EXPECT_NE(help.find("private network namespace or an\n            isolated test network"),
              std::string::npos);
}

TEST(Trace, OneDecodedLinePerFrame) {
    const std::string u = uidText(uidOf(1));
    EXPECT_EQ(describeFrame(frameOf(DeviceUid::broadcast(), 0x0E)),
              "discover all units (19 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uidOf(1), 0x22, {1, 2, 0x07, 0x48, 0, 3, 1, 0x7F})),
              "set routing " + u + ": 130<-200/0x06 3<-none (27 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uidOf(1), 0x23, {0, 64, 1, 0x7A})),
              "set gains " + u + ": g64=250 (23 bytes)");
    EXPECT_EQ(describeFrame(Bytes{0xF7, 0x01}), "malformed: F7 01 (2 bytes)");
    EXPECT_EQ(
        traceLine("12:00:00.000", true, "serial", frameOf(uidOf(1), 0x20, {8, 0x08}), "muted"),
        "12:00:00.000 <- serial set parameters " + u + ": 8=0x08 (21 bytes) [muted]");
}
