// The command line: unit configs, modes and their options, fault options, help.
#include "unit/options.h"
#include "unit/trace.h"

#include "support/frames.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;
using std::chrono::milliseconds;

namespace {

CommandLine parse(std::initializer_list<std::string_view> args) {
    return parseCommandLine(std::vector<std::string_view>(args));
}

std::string errorOf(std::initializer_list<std::string_view> args) {
    const CommandLine c = parse(args);
    EXPECT_FALSE(c.options.has_value());
    return c.error;
}

} // namespace

TEST(UnitConfig, ParsesModelUidVersionAndDaemon) {
    std::string error;
    const auto unit = parseUnitConfig("12:0102030405060708090A0B0C0D0E0F00:4.1", error);
    ASSERT_TRUE(unit) << error;
    EXPECT_EQ(unit->model, 12);
    EXPECT_EQ(unit->uid.bytes[0], 0x01);
    EXPECT_EQ(unit->uid.bytes[9], 0x0A);
    EXPECT_EQ(unit->uid.bytes[15], 0x00);
    EXPECT_EQ(unit->firmwareMajor, 4);
    EXPECT_EQ(unit->firmwareMinor, 1);
    EXPECT_FALSE(unit->daemon);
    EXPECT_EQ(unitConfigText(*unit), "12:0102030405060708090A0B0C0D0E0F00:4.1");

    const auto pinned = parseUnitConfig("24:7f0e0d0c0b0a09080706050403020100:2.1@3", error);
    ASSERT_TRUE(pinned) << error;
    EXPECT_EQ(pinned->uid.bytes[0], 0x7F);
    EXPECT_EQ(pinned->daemon, 3);
}

TEST(UnitConfig, RejectsWhatNoUnitCouldSend) {
    const std::pair<const char*, const char*> cases[] = {
        {"12:0102030405060708090A0B0C0D0E0F00", "MODEL:UID:MAJOR.MINOR"},
        {"128:0102030405060708090A0B0C0D0E0F00:4.1", "model code"},
        {"x:0102030405060708090A0B0C0D0E0F00:4.1", "model code"},
        {"12:0102030405060708090A0B0C0D0E0F0:4.1", "32 hexadecimal"},
        {"12:8102030405060708090A0B0C0D0E0F00:4.1", "00..7F"},
        {"12:0G02030405060708090A0B0C0D0E0F00:4.1", "hexadecimal"},
        {"12:0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F0F:4.1", "every unit"},
        {"12:0102030405060708090A0B0C0D0E0F00:4", "MAJOR.MINOR"},
        {"12:0102030405060708090A0B0C0D0E0F00:4.200", "MAJOR.MINOR"},
        {"12:0102030405060708090A0B0C0D0E0F00:4.1@x", "daemon"},
        {"12:01:02:4.1", "MODEL:UID:MAJOR.MINOR"},
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
    EXPECT_EQ(net.options->transport, Transport::Network);
    EXPECT_EQ(net.options->daemons, 3);
    EXPECT_EQ(net.options->dataPort, 9000);
    EXPECT_TRUE(net.options->trace);
    EXPECT_EQ(net.options->units, defaultUnits());
    EXPECT_EQ(net.options->units.size(), 3u);

    const auto pty = parse({"serial", "--pty", "--baud", "57600"});
    ASSERT_TRUE(pty.options) << pty.error;
    EXPECT_TRUE(pty.options->pty);
    EXPECT_EQ(pty.options->baud, 57600);
    const auto path =
        parse({"serial", "/dev/pts/7", "--unit", "11:0102030405060708090A0B0C0D0E0F00:4.6"});
    ASSERT_TRUE(path.options) << path.error;
    EXPECT_EQ(path.options->serialPath, "/dev/pts/7");
    ASSERT_EQ(path.options->units.size(), 1u);
    EXPECT_EQ(path.options->units[0].model, 11);

    const auto midi = parse({"midi", "Rack A", "--api", "jack"});
    ASSERT_TRUE(midi.options) << midi.error;
    EXPECT_EQ(midi.options->midiPort, "Rack A");
    EXPECT_EQ(midi.options->midiApi, "jack");
    EXPECT_EQ(parse({"midi"}).options->midiPort, "VARENTO Emulator");

    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"serial", "--pty", "-h"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
}

TEST(CommandLine, WrongArgumentsAreExplained) {
    EXPECT_NE(errorOf({}).find("no mode"), std::string::npos);
    EXPECT_NE(errorOf({"usb"}).find("unknown mode"), std::string::npos);
    EXPECT_NE(errorOf({"serial"}).find("device path or --pty"), std::string::npos);
    EXPECT_NE(errorOf({"serial", "/dev/x", "--pty"}).find("not both"), std::string::npos);
    EXPECT_NE(errorOf({"serial", "--pty", "--daemons", "2"}).find("network mode only"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--byte-gap", "5"}).find("serial mode only"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--pty"}).find("serial mode only"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--daemons", "33"}).find("1..32"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--daemons"}).find("needs a value"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--data-port", "7776", "--daemons", "2"}).find("7777"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--data-port", "65535", "--daemons", "2"}).find("65535"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--mute-for", "2"}).find("--mute-after"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--withdraw-after", "2:1"}).find("no daemon 1"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1@1"})
                  .find("no daemon 1"),
              std::string::npos);
    EXPECT_NE(errorOf({"serial", "--pty", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1@0"})
                  .find("network"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--unit", "12:0102030405060708090A0B0C0D0E0F00:4.1", "--unit",
                       "14:0102030405060708090A0B0C0D0E0F00:6.6"})
                  .find("uid 0102030405060708090A0B0C0D0E0F00"),
              std::string::npos);
    EXPECT_NE(errorOf({"network", "--delay", "-5"}).find("--delay"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--corrupt-every", "2@900"}).find("offset"), std::string::npos);
    EXPECT_NE(errorOf({"network", "stray"}).find("stray"), std::string::npos);
    EXPECT_NE(errorOf({"network", "--frobnicate"}).find("--frobnicate"), std::string::npos);
}

TEST(CommandLine, FaultOptionsFillThePlan) {
    const auto c = parse({"network", "--daemons", "2", "--drop-every", "4", "--delay", "150",
                          "--mute-after", "2.5", "--mute-for", "1", "--corrupt-every", "3@17",
                          "--withdraw-after", "10:1", "--withdraw-after", "12", "--seed", "99"});
    ASSERT_TRUE(c.options) << c.error;
    const FaultPlan& f = c.options->faults;
    EXPECT_EQ(f.dropEvery, 4);
    EXPECT_EQ(f.delay, milliseconds(150));
    EXPECT_EQ(f.muteAfter, milliseconds(2500));
    EXPECT_EQ(f.muteFor, milliseconds(1000));
    EXPECT_EQ(f.corruptEvery, 3);
    EXPECT_EQ(f.corruptOffset, 17u);
    EXPECT_EQ(f.withdrawals, (std::vector<FaultPlan::Withdrawal>{{milliseconds(10000), 1},
                                                                 {milliseconds(12000), 0}}));
    EXPECT_EQ(c.options->seed, 99u);
    EXPECT_EQ(parse({"serial", "--pty", "--byte-gap", "3"}).options->faults.byteGap,
              milliseconds(3));
}

TEST(CommandLine, UnitsAreSplitBetweenDaemons) {
    const auto c =
        parse({"network", "--daemons", "2", "--unit", "12:01000000000000000000000000000000:6.6",
               "--unit", "14:02000000000000000000000000000000:6.6@0", "--unit",
               "11:03000000000000000000000000000000:4.6", "--unit",
               "13:04000000000000000000000000000000:6.6"});
    ASSERT_TRUE(c.options) << c.error;
    const auto split = unitsPerDaemon(*c.options);
    ASSERT_EQ(split.size(), 2u);
    auto models = [](const std::vector<UnitConfig>& units) {
        std::vector<int> m;
        for (const auto& u : units) {
            m.push_back(u.model);
        }
        return m;
    };
    EXPECT_EQ(models(split[0]), (std::vector<int>{12, 14, 13}));
    EXPECT_EQ(models(split[1]), (std::vector<int>{11}));
}

TEST(CommandLine, HelpDocumentsEveryOptionAndTheNamespaceRule) {
    const std::string help = helpText("varento-emu");
    std::set<std::string> documented;
    const std::regex option("--[a-z-]+");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
         it != std::sregex_iterator(); ++it) {
        documented.insert(it->str());
    }
    for (const char* name :
         {"--daemons", "--data-port", "--unit", "--trace", "--seed", "--pty", "--baud", "--api",
          "--drop-every", "--delay", "--mute-after", "--mute-for", "--corrupt-every", "--byte-gap",
          "--withdraw-after", "--help", "--version"}) {
        EXPECT_TRUE(documented.count(name)) << name;
    }
    // Every documented option is one the parser knows.
    for (const auto& name : documented) {
        if (name == "--help" || name == "--version" || name == "--pty" || name == "--trace") {
            continue;
        }
        const auto c = parseCommandLine(std::vector<std::string_view>{"network", name});
        EXPECT_EQ(c.error.find("unknown option"), std::string::npos) << name;
    }
    EXPECT_NE(help.find("private network namespace"), std::string::npos);
    EXPECT_NE(help.find("isolated test network"), std::string::npos);
}

TEST(Trace, OneDecodedLinePerFrame) {
    const DeviceUid uid = uidOf(1);
    const std::string u = uidText(uid);
    EXPECT_EQ(describeFrame(frameOf(DeviceUid::broadcast(), 0x0E)),
              "discover all units (19 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uid, 0x11)), "request levels " + u + " (19 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uid, 0x20, {8, 0x08})),
              "set parameters " + u + ": 8=0x08 (21 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uid, 0x22, {1, 2, 0x07, 0x48, 0, 3, 1, 0x7F})),
              "set routing " + u + ": 130<-200/0x06 3<-none (27 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uid, 0x23, {0, 64, 1, 0x7A})),
              "set gains " + u + ": g64=250 (23 bytes)");
    EXPECT_EQ(describeFrame(Bytes{0xF7, 0x01}), "malformed: F7 01 (2 bytes)");
    EXPECT_EQ(describeFrame(frameOf(uid, 0x45)), "unknown command 0x45 " + u + " (19 bytes)");
    const std::string line = traceLine("12:00:00.000", true, "serial", frameOf(uid, 0x10), "muted");
    EXPECT_EQ(line, "12:00:00.000 <- serial request parameters " + u + " (19 bytes) [muted]");
    EXPECT_EQ(line.find('\n'), std::string::npos);
}
