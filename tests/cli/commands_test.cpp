// The real varento-cli program, run as a script would run it.
#include "support/netns.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const QString kLc = "0B0201000A050F030B0804060E0D0703";

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

class Commands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dataDir.isValid()); }

    Outcome cli(const QStringList& args, const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARENTO_DATA_DIR", dataDir.path());
        process.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        process.start(VARENTO_CLI_PATH, args);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000)) << args.join(' ').toStdString();
        Outcome run;
        run.ms = clock.elapsed();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString write(const QString& name, const Bytes& bytes) {
        QFile f(dataDir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return f.fileName();
    }

    static QJsonObject json(const Outcome& run) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        return doc.object();
    }

    QTemporaryDir dataDir;
};

// The emulator, until the test ends.
class Emulator {
public:
    explicit Emulator(const QStringList& args) {
        process_.start(VARENTO_EMU_PATH, args);
        QElapsedTimer clock;
        clock.start();
        while (!output_.contains("ready\n") && clock.elapsed() < 10000 &&
               process_.waitForReadyRead(10000)) {
            output_ += QString::fromUtf8(process_.readAllStandardOutput());
        }
    }
    ~Emulator() {
        process_.terminate(); // SIGTERM: the daemons withdraw
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }
    bool ready() const { return output_.contains("ready\n"); }
    // The pseudo-terminal of "serial --pty".
    QString serialPath() const {
        return QRegularExpression("serial: (\\S+)").match(output_).captured(1);
    }

private:
    QProcess process_;
    QString output_;
};

} // namespace

TEST_F(Commands, DumpAllOfThreeDemoUnitsInUnderFiveSeconds) {
    const Outcome run = cli({"--link", "demo", "--json", "dump", "all"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    std::cout << "dump all of 3 demo units: " << run.ms << " ms\n";
    EXPECT_LT(run.ms, 5000);
    const QJsonArray units = json(run)["units"].toArray();
    ASSERT_EQ(units.size(), 3);
    for (const auto value : units) {
        const QJsonObject unit = value.toObject();
        EXPECT_EQ(unit["routeSource"].toArray().size(), 192);
        EXPECT_EQ(unit["routeFlags"].toArray().size(), 192);
        EXPECT_EQ(unit["inputGain"].toArray().size(), 32);
        EXPECT_EQ(unit["inputSwitch"].toArray().size(), 32);
        EXPECT_EQ(unit["channelGain"].toArray().size(), 64);
        EXPECT_EQ(unit["levelDb"].toArray().size(), 128);
        EXPECT_EQ(unit["labels"].toArray().size(), 388);
        EXPECT_TRUE(unit["parameters"].toObject().contains("clockRate"));
        EXPECT_EQ(unit["userName"].toString(), unit["uid"].toString()); // a new entry's name
    }
    EXPECT_EQ(units[2].toObject()["typeName"].toString(), "VARENTO.LC");
    EXPECT_EQ(units[2].toObject()["position"].toInt(), 3);
    EXPECT_EQ(units[0].toObject()["labels"].toArray()[0].toString(), "AES 1 IN");
    EXPECT_EQ(units[0].toObject()["parameters"].toObject()["clockRate"].toInt(), 0x10);
    // The device list now knows the units: the next run shows their positions.
    EXPECT_TRUE(QFile::exists(dataDir.filePath("devlist.mv")));
}

TEST_F(Commands, DiscoverOneUnitOfADemo) {
    const Outcome run = cli({"discover", "--link", "demo:1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("uid "));
    EXPECT_TRUE(lines[1].contains("  VARENTO 2  ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains("  6.6  ")) << lines[1].toStdString();
}

TEST_F(Commands, ExitStatusesAndOneSentenceOnStandardError) {
    struct Case {
        QStringList args;
        int exitCode;
        QString err;
    };
    const Case cases[] = {
        {{"--link", "demo", "dump", "0102030405060708090A0B0C0D0E0F00"},
         1,
         "varento-cli: No unit with the id 0102030405060708090A0B0C0D0E0F00 answered"},
        {{"--link", "demo:0", "--timeout", "0.3", "discover"},
         1,
         "varento-cli: No unit answered within 0.3 s.\n"},
        {{"--link", "demo", "gain", kLc, "3", "99"},
         2,
         "varento-cli: An input gain must be a number 8..63, not \"99\".\n"},
        {{"dump", "--frobnicate"}, 2, "varento-cli: \"--frobnicate\" is not an option"},
        {{"journal", "--since", "yesterday"}, 2, "varento-cli: --since takes"},
        {{"show", dataDir.filePath("missing.vpf")}, 3, "varento-cli: Cannot read "},
        {{"show", write("damaged.vpf",
                        {'K', 'E', 'L', 'T', 'A', 0x10, 2, 0, 3, 5, 0, 0, 0xA0, 0x02, 0, 0, 0x10})},
         3,
         "damaged.vpf: Wrong data size information.\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_FALSE(run.err.contains("\r")); // no progress when standard error is a file
    }
    const Outcome help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: varento-cli"));
}

// The journal that a session writes is the one the journal command reads.
TEST_F(Commands, JournalOfADumpInTheSameDataFolder) {
    ASSERT_EQ(cli({"--link", "demo", "dump", "all"}).exitCode, 0);
    const Outcome all = cli({"journal", "--json"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    QStringList kinds;
    for (const QString& line : all.out.split('\n', Qt::SkipEmptyParts)) {
        kinds << QJsonDocument::fromJson(line.toUtf8()).object()["kind"].toString();
    }
    EXPECT_EQ(kinds.value(0), "link-opened");
    EXPECT_EQ(kinds.count("unit-found"), 3);
    EXPECT_EQ(kinds.count("unit-gathered"), 3);
    const Outcome text = cli({"journal"});
    EXPECT_EQ(text.out.count('\n'), kinds.size());
    const Outcome later = cli({"journal", "--since", "2099-01-01 00:00:00"});
    EXPECT_EQ(later.exitCode, 0);
    EXPECT_TRUE(later.out.isEmpty());
    EXPECT_EQ(cli({"journal", "--since", "1h"}).out, text.out);
}

TEST_F(Commands, ShowAndDecodeHandBuiltBytes) {
    Bytes preset{'K', 'E', 'L', 'T', 'A', 0x10, 2, 0, 3, 5, 0, 0, 0xA0, 0x02, 0, 0};
    preset.resize(16 + 672, 0);
    preset[16 + 16] = 0x28; // clockRate 88.2 kHz
    preset[16 + 288 + 31] = 63;
    const Outcome shown = cli({"--json", "show", write("show.vpf", preset)});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject block = json(shown)["block"].toObject();
    EXPECT_EQ(block["clockRate"].toInt(), 0x28);
    EXPECT_EQ(block["inputGain"].toArray()[31].toInt(), 63);
    EXPECT_EQ(block["dataLength"].toInt(), 672);

    const Outcome text = cli({"show", dataDir.filePath("show.vpf")});
    EXPECT_TRUE(text.out.contains("clockRate (0)            0x28  40  88.2 kHz, internal clock"))
        << text.out.toStdString();

    const Outcome decoded =
        cli({"--json", "decode", "F0 0B02 0100 0A05 0F03 0B08 0406 0E0D 0703 20 06 28 F7", "-"},
            "# a reply, as a monitor prints it\n"
            "F0 0B 02 01 00 0A 05 0F 03 0B 08 04 06 0E 0D 07 03 30 17 2B F7\n");
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    const QJsonArray frames = json(decoded)["frames"].toArray();
    ASSERT_EQ(frames.size(), 2);
    const QJsonObject set = frames[0].toObject();
    EXPECT_EQ(set["uid"].toString(), kLc);
    EXPECT_EQ(set["parameters"].toArray()[0].toObject()["name"].toString(), "fanSlowTemp");
    EXPECT_EQ(set["parameters"].toArray()[0].toObject()["value"].toInt(), 40);
    const QJsonObject reply = frames[1].toObject();
    EXPECT_EQ(reply["direction"].toString(), "reply");
    EXPECT_EQ(reply["parameters"].toArray()[0].toObject()["name"].toString(), "temperature");
    EXPECT_EQ(reply["handlerResult"].toInt(), 0);
}

TEST_F(Commands, LabelsGoOutAndComeBack) {
    const QString exported = dataDir.filePath("labels.txt");
    Outcome run = cli({"--link", "demo", "labels", "export", kLc, exported});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("AES 1 IN\r\nAES 2 IN\r\n"));
    text.replace(0, 8, "Kick");
    file.resize(0);
    file.write(text);
    file.close();

    run = cli({"--link", "demo", "labels", "import", kLc, exported});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = cli({"--link", "demo", "--json", "dump", kLc});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray units = json(run)["units"].toArray();
    ASSERT_EQ(units.size(), 1);
    EXPECT_EQ(units[0].toObject()["labels"].toArray()[0].toString(), "Kick");
}

TEST_F(Commands, RouteTableAgreesWithTheDumpOfTheSameUnit) {
    const Outcome table = cli({"--link", "demo", "--json", "route", "--table", kLc});
    ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
    const Outcome dump = cli({"--link", "demo", "--json", "dump", kLc});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    const QJsonObject unit = json(dump)["units"].toArray()[0].toObject();
    const QJsonArray labels = unit["labels"].toArray();
    const QJsonArray sources = unit["routeSource"].toArray();
    const QJsonArray outputs = json(table)["outputs"].toArray();
    ASSERT_EQ(outputs.size(), 192);
    ASSERT_EQ(labels.size(), 388);
    for (int o = 0; o < 192; ++o) {
        const QJsonObject output = outputs[o].toObject();
        const int source = sources[o].toInt();
        EXPECT_EQ(source, o); // the demo units' default routing
        EXPECT_EQ(output["source"].toInt(-1), source);
        EXPECT_EQ(output["sourceLabel"].toString(), labels[source].toString());
        EXPECT_EQ(output["outputLabel"].toString(), labels[192 + o].toString());
    }

    const Outcome text = cli({"--link", "demo", "route", kLc, "--table"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(text.out.count('\n'), 1 + 192 + 1 + 1 + 4);

    const Outcome missing = cli({"--link", "demo", "route", "--table"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
}

TEST_F(Commands, NetworkLinkThroughTheEmulatedDaemon) {
    VARENTO_REQUIRE_NETNS();
    const Emulator emulator({"network", "--data-port", "17861"});
    ASSERT_TRUE(emulator.ready());
    const Outcome run = cli({"--link", "network", "--json", "discover"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray units = json(run)["units"].toArray();
    ASSERT_EQ(units.size(), 3);
    EXPECT_EQ(units[2].toObject()["uid"].toString(), kLc);
}

// Two daemons, the full query burst: every command reaches units behind either.
TEST_F(Commands, NetworkLinkThroughTwoDaemons) {
    VARENTO_REQUIRE_NETNS();
    const Emulator emulator({"network", "--daemons", "2", "--data-port", "17881"});
    ASSERT_TRUE(emulator.ready());
    Outcome run = cli({"--link", "network", "--json", "discover"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(json(run)["units"].toArray().size(), 3);

    run = cli({"--link", "network", "--json", "dump", "all"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(json(run)["units"].toArray().size(), 3);

    // The second unit is served by the second daemon.
    const QString second = "0E0201000A050F030B0804060E0D0702";
    run = cli({"--link", "network", "set", second, "fanSlowTemp", "40"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("the unit reports 0x28")) << run.out.toStdString();
    run = cli({"--link", "network", "set", kLc, "fanSlowTemp", "41"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
}

TEST_F(Commands, SerialLinkOverAPseudoTerminal) {
    const Emulator emulator({"serial", "--pty"});
    ASSERT_TRUE(emulator.ready());
    ASSERT_FALSE(emulator.serialPath().isEmpty());
    const Outcome run =
        cli({"--link", "serial:" + emulator.serialPath() + "@115200", "--json", "dump", kLc});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray units = json(run)["units"].toArray();
    ASSERT_EQ(units.size(), 1);
    EXPECT_EQ(units[0].toObject()["typeName"].toString(), "VARENTO.LC");
    EXPECT_EQ(units[0].toObject()["levelDb"].toArray().size(), 128);
}

// A show controller's script: the emulated unit keeps its state between the runs,
// so each switch is checked with a dump of its own.
TEST_F(Commands, TripAndUntripCheckedByDump) {
    const Emulator emulator({"serial", "--pty"});
    ASSERT_TRUE(emulator.ready());
    const QString link = "serial:" + emulator.serialPath() + "@115200";
    const auto routes = [&] {
        const Outcome dump = cli({"--link", link, "--json", "dump", kLc});
        EXPECT_EQ(dump.exitCode, 0) << dump.err.toStdString();
        return json(dump)["units"].toArray()[0].toObject()["routeSource"].toArray();
    };
    for (const QStringList& route : {QStringList{"7", "35"}, QStringList{"37", "none"}}) {
        const Outcome run = cli({"--link", link, "route", kLc, route[0], route[1]});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    Outcome run = cli({"--link", link, "trip", kLc, "4", "--spare", "6"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonArray sources = routes();
    EXPECT_EQ(sources[7].toInt(), 37);
    EXPECT_EQ(sources[35].toInt(), 37);
    EXPECT_EQ(sources[36].toInt(), 36);

    run = cli({"--link", link, "untrip", kLc, "4", "--spare", "6"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    sources = routes();
    EXPECT_EQ(sources[7].toInt(), 35);
    EXPECT_EQ(sources[35].toInt(), 35);
    EXPECT_EQ(sources[37].toInt(-1), 255);
}

// Two programs at once: a monitor that holds the device list while a second run
// renames a unit. The rename is in the file at once, and the monitor's write at its
// end keeps it beside the units the monitor found.
TEST_F(Commands, ARenameSurvivesAnotherProgramHoldingTheDeviceList) {
    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARENTO_DATA_DIR", dataDir.path());
    monitor.setProcessEnvironment(env);
    monitor.start(VARENTO_CLI_PATH, {"--link", "demo", "monitor", "3"});
    ASSERT_TRUE(monitor.waitForStarted());
    ASSERT_TRUE(monitor.waitForReadyRead(10000)); // it has read the list and found the units

    const QString single = "0C01060B00050A0F04090E03080D0000"; // the unit of "demo:1"
    const Outcome rename = cli({"--link", "demo:1", "devices", "rename", single, "Stage rack"});
    ASSERT_EQ(rename.exitCode, 0) << rename.err.toStdString();
    const Outcome between = cli({"--json", "show", dataDir.filePath("devlist.mv")});
    EXPECT_TRUE(between.out.contains("Stage rack")) << between.out.toStdString();

    ASSERT_TRUE(monitor.waitForFinished(15000));
    EXPECT_EQ(monitor.exitCode(), 0) << monitor.readAllStandardError().toStdString();
    const Outcome after = cli({"--json", "show", dataDir.filePath("devlist.mv")});
    const QJsonArray entries = json(after)["entries"].toArray();
    ASSERT_EQ(entries.size(), 4) << after.out.toStdString();
    QStringList names;
    for (const auto& entry : entries) {
        names << entry.toObject()["userName"].toString();
    }
    EXPECT_TRUE(names.contains("Stage rack")) << names.join(", ").toStdString();
    EXPECT_TRUE(names.contains(kLc)) << names.join(", ").toStdString();
}

// Demo runs keep their data in a folder of their own; the user's folder stays
// untouched unless VARENTO_DATA_DIR names one.
TEST_F(Commands, DemoRunsLeaveTheUsersDataFolderAlone) {
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("VARENTO_DATA_DIR");
    env.insert("XDG_DATA_HOME", home.filePath("share"));
    env.insert("HOME", home.path());
    process.setProcessEnvironment(env);
    process.start(VARENTO_CLI_PATH, {"--link", "demo", "devices", "rename", kLc, "Stage rack"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(home.filePath("share/Maravelle Technologies")));
}

namespace {

// liblo's own tools as the show controller: oscdump subscribed for the feedback,
// oscsend for everything sent to the server.
class OscClient {
public:
    explicit OscClient(int dumpPort) : dumpPort_(dumpPort) {
        dump_.start("oscdump", {"-L", QString::number(dumpPort)});
        dump_.waitForStarted();
    }
    ~OscClient() {
        dump_.terminate();
        dump_.waitForFinished(3000);
    }
    OscClient(const OscClient&) = delete;
    OscClient& operator=(const OscClient&) = delete;

    static int send(int port, const QStringList& message) {
        return QProcess::execute("oscsend",
                                 QStringList{"127.0.0.1", QString::number(port)} + message);
    }
    // Waits until oscdump has printed a line with `text`.
    bool heard(const QString& text, int ms = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!lines_.contains(text) && clock.elapsed() < ms) {
            dump_.waitForReadyRead(100);
            lines_ += QString::fromUtf8(dump_.readAllStandardOutput());
        }
        return lines_.contains(text);
    }
    const QString& lines() const { return lines_; }
    int port() const { return dumpPort_; }

private:
    int dumpPort_;
    QProcess dump_;
    QString lines_;
};

// varento-cli osc until it says it listens.
bool startOsc(QProcess& server, const QProcessEnvironment& env, const QStringList& args) {
    server.setProcessEnvironment(env);
    server.start(VARENTO_CLI_PATH, args);
    QElapsedTimer clock;
    clock.start();
    QString out;
    while (!out.contains("OSC on") && clock.elapsed() < 15000) {
        server.waitForReadyRead(200);
        out += QString::fromUtf8(server.readAllStandardOutput());
    }
    return out.contains("OSC on");
}

} // namespace

// A preset of the data folder loaded (cue.vpf, saved before), a gain set, a route,
// a trip and its confirmation, sent by oscsend and heard by a subscribed oscdump.
void oscShowControl(const QProcessEnvironment& env, const QString& link, int port) {
    QProcess server;
    ASSERT_TRUE(
        startOsc(server, env, {"--link", link, "osc", "20", "--port", QString::number(port)}));
    OscClient client(port + 1);
    QThread::msleep(200); // oscdump binds its port
    ASSERT_EQ(
        OscClient::send(port, {"/varento/subscribe", "si", kLc, QString::number(client.port())}),
        0);
    ASSERT_TRUE(client.heard("/varento/unit/" + kLc + "/gains")) << client.lines().toStdString();
    const QString unit = "/varento/unit/" + kLc;
    ASSERT_EQ(OscClient::send(port, {unit + "/preset", "ss", "cue", "gains"}), 0);
    EXPECT_TRUE(client.heard(unit + "/preset ss \"cue\" \"gains\""))
        << client.lines().toStdString();
    ASSERT_EQ(OscClient::send(port, {unit + "/preset", "s", "../cue"}), 0);
    EXPECT_TRUE(client.heard("/varento/error ss \"" + unit + "/preset\""))
        << client.lines().toStdString();
    ASSERT_EQ(OscClient::send(port, {unit + "/gain", "ii", "4", "40"}), 0);
    EXPECT_TRUE(client.heard(unit + "/gain ii 4 40")) << client.lines().toStdString();
    ASSERT_EQ(OscClient::send(port, {unit + "/route", "ii", "0", "35"}), 0);
    EXPECT_TRUE(client.heard(unit + "/route ii 0 35")) << client.lines().toStdString();
    ASSERT_EQ(OscClient::send(port, {unit + "/trip", "ii", "4", "6"}), 0);
    EXPECT_TRUE(client.heard(unit + "/switch sii \"switched\" 4 6"))
        << client.lines().toStdString();
    ASSERT_EQ(OscClient::send(port, {unit + "/gain", "ii", "4", "99"}), 0);
    EXPECT_TRUE(client.heard("/varento/error ss \"" + unit + "/gain\""))
        << client.lines().toStdString();
    server.terminate();
    server.waitForFinished(5000);
}

TEST_F(Commands, OscShowControlWithLibloToolsOnTheDemoLink) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARENTO_DATA_DIR", dataDir.path());
    ASSERT_EQ(cli({"--link", "demo", "preset", "save", kLc, dataDir.filePath("cue.vpf")}).exitCode,
              0);
    oscShowControl(env, "demo", 19400);
}

TEST_F(Commands, OscShowControlWithLibloToolsOverTheNetwork) {
    VARENTO_REQUIRE_NETNS();
    const Emulator emulator({"network", "--data-port", "17891"});
    ASSERT_TRUE(emulator.ready());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARENTO_DATA_DIR", dataDir.path());
    ASSERT_EQ(cli({"--link", "demo", "preset", "save", kLc, dataDir.filePath("cue.vpf")}).exitCode,
              0);
    oscShowControl(env, "network", 19410);
    // The emulated unit took the gain.
    const Outcome dump = cli({"--link", "network", "--json", "dump", kLc});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_EQ(json(dump)["units"].toArray()[0].toObject()["inputGain"].toArray()[3].toInt(), 40);
}

// Before the doors open: a project saved from the units matches them (exit 0); a
// gain and a route changed on a unit and a label edited here are exactly the three
// differences, in text and in JSON (exit 1).
TEST_F(Commands, ProjectCompareAgainstEmulatedUnitsOverTheNetwork) {
    VARENTO_REQUIRE_NETNS();
    const Emulator emulator({"network", "--data-port", "17895"});
    ASSERT_TRUE(emulator.ready());
    const QString project = dataDir.filePath("show.vrj");
    ASSERT_EQ(cli({"--link", "network", "project", "save", project}).exitCode, 0);
    Outcome run = cli({"--link", "network", "project", "compare", project});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("The units hold what the project says.")) << run.out.toStdString();

    ASSERT_EQ(cli({"--link", "network", "--yes", "gain", kLc, "3", "47"}).exitCode, 0);
    ASSERT_EQ(cli({"--link", "network", "--yes", "route", kLc, "5", "9"}).exitCode, 0);
    const QString labels = dataDir.filePath("labels.txt");
    ASSERT_EQ(cli({"--link", "network", "labels", "export", kLc, labels}).exitCode, 0);
    QFile file(labels);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    lines[40] = "Kick\r";
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n'));
    file.close();
    ASSERT_EQ(cli({"--link", "network", "--yes", "labels", "import", kLc, labels}).exitCode, 0);

    run = cli({"--link", "network", "project", "compare", project});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(kLc + " (VARENTO.LC): 3 difference(s)")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("input 4 gain")) << run.out.toStdString();
    run = cli({"--link", "network", "--json", "project", "compare", project});
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject report = json(run);
    EXPECT_TRUE(report["differs"].toBool());
    QStringList found;
    for (const QJsonValue u : report["units"].toArray()) {
        for (const QJsonValue d : u.toObject()["differences"].toArray()) {
            found << u.toObject()["uid"].toString() + " " + d.toObject()["part"].toString() + " " +
                         d.toObject()["item"].toString() + " " + d.toObject()["unit"].toString();
        }
    }
    ASSERT_EQ(found.size(), 3) << found.join('\n').toStdString();
    EXPECT_TRUE(found[0].startsWith(kLc + " routing AES OUT 6 \"AES 6 OUT\" AES IN 10"))
        << found[0].toStdString();
    EXPECT_EQ(found[1], kLc + " gains input 4 gain 47 dB");
    EXPECT_EQ(found[2], kLc + " labels Analog IN 9 Kick");
}

// The figure: a four-unit project compared with emulated units over the network.
TEST_F(Commands, ProjectCompareOfFourUnitsTakesTheReadsWireTime) {
    VARENTO_REQUIRE_NETNS();
    QStringList args{"network", "--data-port", "17899"};
    for (int k = 1; k <= 4; ++k) {
        args << "--unit"
             << QString("11:0B0201000A050F030B0804060E0D07%1:6.6").arg(k, 2, 10, QChar('0'));
    }
    const Emulator emulator(args);
    ASSERT_TRUE(emulator.ready());
    const QString project = dataDir.filePath("four.vrj");
    ASSERT_EQ(cli({"--link", "network", "project", "save", project}).exitCode, 0);
    const Outcome run = cli({"--link", "network", "--json", "project", "compare", project});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QJsonObject report = json(run);
    EXPECT_EQ(report["units"].toArray().size(), 4);
    std::cout << "project compare of 4 units over the network: reads "
              << report["readMs"].toDouble() << " ms, whole command " << run.ms << " ms\n";
    // Twelve reads, each a request and its reply: far from any reply timeout.
    EXPECT_LT(report["readMs"].toDouble(), 2000);
}

// The routing sheet: a PDF page per output bank and unit on A4 or Letter that a
// renderer opens, a picture of its first page, and 192 CSV rows per unit.
TEST_F(Commands, RoutingSheetAsPdfPictureAndCsv) {
    const QString pdf = dataDir.filePath("sheet.pdf");
    ASSERT_EQ(cli({"--link", "demo", "route", "--sheet", "all", "--output", pdf}).exitCode, 0);
    const auto info = [](const QString& file) {
        QProcess p;
        p.start("pdfinfo", {file});
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    QString text = info(pdf);
    EXPECT_TRUE(QRegularExpression("Pages:\\s+12\\n").match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(text.contains("(A4)")) << text.toStdString();
    ASSERT_EQ(QProcess::execute("pdftoppm", {"-f", "12", "-l", "12", "-r", "40", "-png", pdf,
                                             dataDir.filePath("page")}),
              0);
    EXPECT_TRUE(QFile::exists(dataDir.filePath("page-12.png")));

    const QString letter = dataDir.filePath("letter.pdf");
    ASSERT_EQ(
        cli({"--link", "demo", "route", "--sheet", kLc, "--output", letter, "--paper", "letter"})
            .exitCode,
        0);
    text = info(letter);
    EXPECT_TRUE(QRegularExpression("Pages:\\s+4\\n").match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(text.contains("(letter)")) << text.toStdString();

    const QString png = dataDir.filePath("sheet.png");
    ASSERT_EQ(cli({"--link", "demo", "route", "--sheet", kLc, "--output", png}).exitCode, 0);
    QFile picture(png);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_TRUE(picture.read(8).startsWith("\x89PNG"));

    const QString csv = dataDir.filePath("sheet.csv");
    ASSERT_EQ(cli({"--link", "demo", "route", "--sheet", "all", "--output", csv}).exitCode, 0);
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = table.readAll().split('\n');
    EXPECT_EQ(rows.size() - 2, 3 * 192); // the head row, and nothing after the last line end
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const QByteArray& row) { return row.startsWith(kLc.toLatin1()); }),
              192);

    const Outcome wrong = cli(
        {"--link", "demo", "route", "--sheet", "all", "--output", dataDir.filePath("sheet.doc")});
    EXPECT_EQ(wrong.exitCode, 3);
    EXPECT_EQ(cli({"--link", "demo", "route", "--sheet", "all"}).exitCode, 2);
}
