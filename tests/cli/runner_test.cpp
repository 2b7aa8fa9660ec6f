// Commands run in-process against emulated units, with the wire recorded, a unit
// that stops answering, and the units' own state to check what arrived.
#include "core/cli_interaction.h"
#include "core/command_line.h"
#include "core/link_setup.h"
#include "core/runner.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "devices/device_manager.h"
#include "files/devlist_file.h"
#include "files/label_store.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "links/demo_link.h"
#include "protocol/frame_builders.h"
#include "support/recording_link.h"
#include "unit/emulated_rack.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

using namespace varento;
using namespace varento::cli;
using namespace varento::testing;

namespace {

const QString kFirst = "0C0201000A050F030B0804060E0D0701";  // VARENTO 2
const QString kSecond = "0E0201000A050F030B0804060E0D0702"; // VARENTO 2.PX SRC
const QString kThird = "0B0201000A050F030B0804060E0D0703";  // VARENTO.LC

// Lets the unit list through but nothing else from one unit: found, then silent.
class SilencingLink : public FrameLink {
public:
    SilencingLink(FrameLink& inner, const DeviceUid& silent) : inner_(inner), silent_(silent) {
        connect(&inner_, &FrameLink::frameReceived, this, [this](const QByteArray& frame) {
            const bool fromSilent =
                frame.size() > 17 && frame[17] != 0x0E &&
                std::equal(silent_.bytes.begin(), silent_.bytes.end(), frame.begin() + 1);
            if (!fromSilent) {
                emit frameReceived(frame);
            }
        });
    }
    int send(std::span<const std::uint8_t> frame) override { return inner_.send(frame); }
    bool isOpen() const override { return true; }

private:
    FrameLink& inner_;
    DeviceUid silent_;
};

class RunnerTest : public ::testing::Test {
protected:
    struct Outcome {
        int status = -1;
        QString out;
        QString err;
    };

    // Runs one command line over demo units, behind a recorder unless `link` puts
    // something else in front of them.
    Outcome run(const QString& args, const std::function<FrameLink*(DemoLink&)>& link = {}) {
        const ParsedCommandLine parsed = parseCommandLine(args.split(' ', Qt::SkipEmptyParts));
        EXPECT_TRUE(parsed.line) << parsed.error.toStdString();
        line = parsed.line.value_or(CommandLine{});
        Outcome outcome;
        console.out = [&outcome](const QString& text) { outcome.out += text; };
        console.err = [&outcome](const QString& text) { outcome.err += text; };
        ui = std::make_unique<CliInteraction>(console, line.yes);
        const std::filesystem::path folder = dir.path().toStdString();
        session = std::make_unique<Session>(*ui, SessionPaths{folder, folder});
        if (startAsTheProgram) {
            session->start(PersistedSettings{}); // devlist.mv read, as main() does
        }
        session->useDemoUnits(demoModels(line.link.demoUnits));
        DemoLink& demo = *session->demoLink();
        wrapper.reset(link ? link(demo) : new RecordingLink(demo));
        recorder = dynamic_cast<RecordingLink*>(wrapper.get());
        session->useLinkOverride(wrapper.get());
        Runner runner(*session, *ui, console, line);
        outcome.status = runner.run();
        session->shutDown();
        return outcome;
    }

    emu::EmulatedUnit& unit(int i) {
        return session->demoLink()->rack().units()[static_cast<std::size_t>(i)];
    }

    std::vector<RecordingLink::Sent> sentWith(std::uint8_t command) const {
        std::vector<RecordingLink::Sent> out;
        for (const auto& s : recorder->sent) {
            if (s.frame.size() > 17 && s.frame[17] == command) {
                out.push_back(s);
            }
        }
        return out;
    }

    QString file(const QString& name) const { return dir.filePath(name); }

    void write(const QString& path, const std::vector<std::uint8_t>& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    QTemporaryDir dir;
    Console console;
    CommandLine line;
    std::unique_ptr<CliInteraction> ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<FrameLink> wrapper;
    RecordingLink* recorder = nullptr;
    bool startAsTheProgram = false;
};

DeviceUid uid(const QString& hex) {
    DeviceUid u{};
    for (int i = 0; i < 16; ++i) {
        u.bytes[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(hex.mid(2 * i, 2).toUInt(nullptr, 16));
    }
    return u;
}

// What the routing table must show for one output.
struct ExpectedOutput {
    QString outputLabel;
    std::optional<int> source;
    std::optional<QString> sourceLabel;
};

// Source 3 is summed onto buses 1 and 4; source 4's flag bit 6 is no bus.
const std::vector<int> kBusSums[4] = {{3}, {}, {}, {3}};

// The first unit with a routing that differs from the defaults in every way a table
// shows: an unrouted output, a moved source, a bus and a number that names no
// channel as sources, one channel summed onto two buses, and a flag bit that is no bus.
void reroute(emu::EmulatedUnit& target) {
    DeviceRecord r = target.state();
    r.uid = target.uid();
    r.routeSource[7] = kNoSource;
    r.routeSource[9] = 40;
    r.routeSource[10] = 193;
    r.routeSource[11] = 200;
    r.routeFlags[3] = 0x02 | 0x10;
    r.routeFlags[4] = 0x40;
    FrameBuffer frame{};
    const int size = buildSetRoutingAll(frame, r);
    target.receive(std::span<const std::uint8_t>(frame.data(), static_cast<std::size_t>(size)));
}

} // namespace

class RouteTableTest : public RunnerTest {
protected:
    void SetUp() override {
        // The first unit's store: defaults with a source, an output and a bus renamed.
        QTemporaryDir scratch;
        loadUnitLabels(scratch.path().toStdString(), uid(kFirst), labels);
        setLabel(labels[40], "Kick");
        setLabel(labels[192 + 9], "Sixteen chars ok");
        setLabel(labels[384 + 1], "Drums");
        ASSERT_FALSE(storeUnitLabels(dir.path().toStdString(), uid(kFirst), labels));
    }

    Outcome runRerouted(const QString& args) {
        return run(args, [](DemoLink& demo) {
            reroute(demo.rack().units()[0]);
            return new RecordingLink(demo);
        });
    }

    // Source labels are entries 0..191, output labels 192..383, bus labels 384..387.
    ExpectedOutput expected(int output) const {
        const auto label = [this](int entry) {
            return labelText(labels[static_cast<std::size_t>(entry)]);
        };
        ExpectedOutput e{label(192 + output), output, label(output)};
        if (output == 7) {
            e.source = std::nullopt;
            e.sourceLabel = std::nullopt;
        } else if (output == 9) {
            e.source = 40;
            e.sourceLabel = label(40);
        } else if (output == 10) {
            e.source = 193;
            e.sourceLabel = label(385);
        } else if (output == 11) {
            e.source = 200;
            e.sourceLabel = std::nullopt;
        }
        return e;
    }

    LabelTable labels{};
};

TEST_F(RouteTableTest, JsonHasEveryOutputWithItsSourceLabelsAndBuses) {
    const Outcome o = runRerouted("--link demo --json route --table " + kFirst);
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x22).empty()); // the table only reads
    const QJsonObject doc = QJsonDocument::fromJson(o.out.toUtf8()).object();
    EXPECT_EQ(doc["uid"].toString(), kFirst);
    const QJsonArray busLabels = doc["busLabels"].toArray();
    ASSERT_EQ(busLabels.size(), 4);
    EXPECT_EQ(busLabels[1].toString(), labelText(labels[385]));
    const QJsonArray outputs = doc["outputs"].toArray();
    ASSERT_EQ(outputs.size(), 192);
    for (int output = 0; output < 192; ++output) {
        SCOPED_TRACE(output);
        const QJsonObject entry = outputs[output].toObject();
        const ExpectedOutput e = expected(output);
        EXPECT_EQ(entry["output"].toInt(-1), output);
        EXPECT_EQ(entry["outputLabel"].toString(), e.outputLabel);
        EXPECT_EQ(entry["source"].isNull(), !e.source);
        EXPECT_EQ(entry["source"].toInt(-1), e.source.value_or(-1));
        EXPECT_EQ(entry["sourceLabel"].isNull(), !e.sourceLabel);
        EXPECT_EQ(entry["sourceLabel"].toString(), e.sourceLabel.value_or(QString()));
        EXPECT_FALSE(entry.contains("buses"));
    }
    // The bus sums are their own list: which sources each bus adds up.
    const QJsonArray buses = doc["buses"].toArray();
    ASSERT_EQ(buses.size(), 4);
    for (int bus = 0; bus < 4; ++bus) {
        const QJsonObject entry = buses[bus].toObject();
        EXPECT_EQ(entry["bus"].toInt(), bus + 1);
        EXPECT_EQ(entry["label"].toString(),
                  labelText(labels[static_cast<std::size_t>(384 + bus)]));
        std::vector<int> sources;
        for (const auto source : entry["sources"].toArray()) {
            sources.push_back(source.toInt());
        }
        EXPECT_EQ(sources, kBusSums[bus]) << bus;
    }
}

TEST_F(RouteTableTest, TextHasOneRowPerOutputAlignedUnderItsHeading) {
    const Outcome o = runRerouted("--link demo route " + kFirst + " --table");
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x22).empty());
    const QStringList lines = o.out.split('\n');
    // The outputs' heading and rows, a blank line, the buses' heading and rows, final "".
    ASSERT_EQ(lines.size(), 1 + 192 + 1 + 1 + 4 + 1) << o.out.toStdString();
    EXPECT_TRUE(lines.back().isEmpty());
    EXPECT_TRUE(lines[193].isEmpty());
    const QString& busHeading = lines[194];
    const qsizetype busStarts[] = {0, busHeading.indexOf("bus label"),
                                   busHeading.indexOf("sources")};
    for (int bus = 0; bus < 4; ++bus) {
        const QString& row = lines[195 + bus];
        QStringList sources;
        for (const int source : kBusSums[bus]) {
            sources << QString::number(source);
        }
        EXPECT_EQ(row.mid(0, busStarts[1]).trimmed(), QString::number(bus + 1));
        EXPECT_EQ(row.mid(busStarts[1], busStarts[2] - busStarts[1]).trimmed(),
                  labelText(labels[static_cast<std::size_t>(384 + bus)]));
        EXPECT_EQ(row.mid(busStarts[2]), sources.isEmpty() ? QString("-") : sources.join(','));
    }
    // Every column starts where its heading starts, whatever the widths of the labels.
    const QString& heading = lines[0];
    const qsizetype starts[] = {0, heading.indexOf("output label"), heading.indexOf("source "),
                                heading.indexOf("source label")};
    for (int output = 0; output < 192; ++output) {
        SCOPED_TRACE(output);
        const QString& row = lines[output + 1];
        QStringList cells;
        for (std::size_t i = 0; i < std::size(starts); ++i) {
            const qsizetype end = i + 1 < std::size(starts) ? starts[i + 1] : row.size();
            cells << row.mid(starts[i], end - starts[i]).trimmed();
        }
        const ExpectedOutput e = expected(output);
        EXPECT_EQ(cells[0], QString::number(output));
        EXPECT_EQ(cells[1], e.outputLabel);
        EXPECT_EQ(cells[2], e.source ? QString::number(*e.source) : QString("-"));
        EXPECT_EQ(cells[3], e.sourceLabel.value_or(QString()));
    }
}

TEST_F(RouteTableTest, AUnitThatIsNotOnlinePrintsNothing) {
    const Outcome o = run("--link demo:1 route --table " + kThird);
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_TRUE(o.out.isEmpty()) << o.out.toStdString();
    EXPECT_TRUE(o.err.contains("No unit with the id " + kThird)) << o.err.toStdString();
}

TEST_F(RunnerTest, DumpNamesTheUnitThatStoppedAnsweringAndPrintsTheOthers) {
    const Outcome o = run("--link demo --json dump all",
                          [](DemoLink& demo) { return new SilencingLink(demo, uid(kSecond)); });
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_TRUE(o.err.contains("varento-cli: Unit " + kSecond + " did not answer."))
        << o.err.toStdString();
    const QJsonArray units = QJsonDocument::fromJson(o.out.toUtf8())["units"].toArray();
    ASSERT_EQ(units.size(), 2);
    EXPECT_EQ(units[0].toObject()["uid"].toString(), kFirst);
    EXPECT_EQ(units[1].toObject()["uid"].toString(), kThird);
    EXPECT_EQ(units[1].toObject()["levelDb"].toArray().size(), 128);
}

TEST_F(RunnerTest, AUnitThatIsNotThereIsNamedWithThoseThatAre) {
    const Outcome o = run("--link demo:2 set " + kFirst + " 0 16");
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_TRUE(
        o.err.contains("No unit with the id " + kFirst + " answered; the units online are "))
        << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x20).empty());
}

TEST_F(RunnerTest, SetSendsOneParameterFrameAndReadsItBack) {
    const Outcome o = run("--link demo set " + kSecond + " fanSlowTemp 40");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    const auto sets = sentWith(0x20);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].frame, (std::vector<std::uint8_t>{0xF0, 0x0E, 0x02, 0x01, 0x00, 0x0A, 0x05,
                                                        0x0F, 0x03, 0x0B, 0x08, 0x04, 0x06, 0x0E,
                                                        0x0D, 0x07, 0x02, 0x20, 6,    40,   0xF7}));
    EXPECT_EQ(unit(1).state().at(param::fanSlowTemp), 40);
    EXPECT_EQ(unit(0).state().at(param::fanSlowTemp), 50); // the others keep theirs
    EXPECT_EQ(o.out, kSecond + " fanSlowTemp (6) = 0x28, the unit reports 0x28\n");
}

TEST_F(RunnerTest, RouteAndGainChangeOnlyTheirEntry) {
    Outcome o = run("--link demo route " + kFirst + " 7 none");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    ASSERT_EQ(sentWith(0x22).size(), 1u);
    EXPECT_EQ(sentWith(0x22)[0].frame.size(), 23u); // one entry: the range 7..7
    EXPECT_EQ(unit(0).state().routeSource[7], 255);
    EXPECT_EQ(unit(0).state().routeSource[8], 8);

    o = run("--link demo gain " + kThird + " 35 3");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(unit(2).state().inputSwitch[3], 3); // P48 and PAD on input 4
    const emu::EmulatedRack untouched(emu::defaultUnits());
    EXPECT_EQ(unit(2).state().inputSwitch[2], untouched.units()[2].state().inputSwitch[2]);

    o = run("--link demo gain " + kThird + " 64 -6");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(unit(2).state().channelGain[0], 250);
    EXPECT_TRUE(o.out.endsWith("= -6 dB, the unit reports -6 dB\n")) << o.out.toStdString();
}

// A source joins and leaves a bus with the whole table, as the SUM bank sends it; the
// other flag bits of the channel stay. A unit without buses is refused before sending.
TEST_F(RunnerTest, RouteBusSetsAndClearsOneSourcesMembership) {
    const auto withOtherBus = [](DemoLink& demo) {
        reroute(demo.rack().units()[0]); // source 3 on buses 1 and 4
        return new RecordingLink(demo);
    };
    Outcome o = run("--link demo route " + kFirst + " 3 on --bus 2", withOtherBus);
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    ASSERT_EQ(sentWith(0x22).size(), 1u);
    EXPECT_EQ(sentWith(0x22)[0].frame.size(), 787u);
    EXPECT_EQ(unit(0).state().routeFlags[3], 0x02 | 0x04 | 0x10);
    EXPECT_EQ(unit(0).state().routeSource[7], kNoSource); // the sources go out as they were
    EXPECT_EQ(unit(0).state().routeSource[9], 40);
    EXPECT_EQ(o.out, kFirst + " bus 2 source 3 on, the unit reports on\n");

    o = run("--link demo route " + kFirst + " 3 off --bus 1", withOtherBus);
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(unit(0).state().routeFlags[3], 0x10);
    EXPECT_EQ(unit(0).state().routeFlags[4], 0x40);

    o = run("--link demo route " + kThird + " 3 on --bus 1");
    EXPECT_EQ(o.status, exit_status::usage);
    EXPECT_TRUE(o.err.contains("has no summing buses")) << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x22).empty());
}

// Analog input 4 also feeds outputs 0 and 100; output 37 keeps the spare input 6.
TEST_F(RunnerTest, TripAndUntripAreProvenByTheRoutingReadBack) {
    // Routes set on the emulated unit before the command runs, as the wire sets them.
    const auto routed = [](DemoLink& demo, std::vector<std::pair<int, std::uint8_t>> routes) {
        emu::EmulatedUnit& lc = demo.rack().units()[2];
        DeviceRecord record = lc.state();
        for (const auto& [output, source] : routes) {
            record.routeSource[static_cast<std::size_t>(output)] = source;
        }
        FrameBuffer buffer{};
        const int length = buildSetRoutingAll(buffer, record);
        lc.receive({buffer.data(), static_cast<std::size_t>(length)});
        return new RecordingLink(demo);
    };
    const auto microphoneFour = [&](DemoLink& demo) {
        return routed(demo, {{0, 35}, {100, 35}, {37, 37}});
    };
    const auto switched = [&](DemoLink& demo) {
        return routed(demo, {{0, 37}, {35, 37}, {100, 37}, {37, 37}});
    };

    // A lost trip frame: the read-back shows the old routing, exit 1.
    Outcome o = run("--link demo trip " + kThird + " 4 --spare 6", [&](DemoLink& demo) {
        RecordingLink* link = microphoneFour(demo);
        link->lose = [](std::span<const std::uint8_t> f) { return f[17] == 0x22; };
        return link;
    });
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_TRUE(o.err.contains("did not switch input 4 over to spare input 6"))
        << o.err.toStdString();

    o = run("--link demo trip " + kThird + " 4 --spare 6", microphoneFour);
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    ASSERT_EQ(sentWith(0x22).size(), 1u);
    EXPECT_EQ(sentWith(0x22)[0].frame.size(), 19u + 4u * 101u); // outputs 0..100
    for (const int output : {0, 35, 100}) {
        EXPECT_EQ(unit(2).state().routeSource[static_cast<std::size_t>(output)], 37) << output;
    }
    EXPECT_EQ(unit(2).state().routeSource[36], 36);
    EXPECT_EQ(o.out, kThird + " Input 4 is switched over to spare input 6 (outputs 0 35 100).\n");

    o = run("--link demo trip --status " + kThird, switched);
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(o.out, kThird + " input 4 is switched over to spare input 6: outputs 0 35 100\n");
    EXPECT_TRUE(sentWith(0x22).empty());
    o = run("--link demo --json trip --status " + kThird, switched);
    const QJsonObject status = QJsonDocument::fromJson(o.out.toUtf8()).object();
    EXPECT_EQ(status.value("channel").toInt(), 4);
    EXPECT_EQ(status.value("outputs").toArray().size(), 3);

    // The way back gives back the three outputs and leaves the spare's own.
    o = run("--link demo untrip " + kThird + " 4", switched);
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    ASSERT_EQ(sentWith(0x22).size(), 1u);
    for (const int output : {0, 35, 100}) {
        EXPECT_EQ(unit(2).state().routeSource[static_cast<std::size_t>(output)], 35) << output;
    }
    EXPECT_EQ(unit(2).state().routeSource[37], 37);

    // Nothing recorded any more: nothing to give back, and the status says so.
    o = run("--link demo untrip " + kThird + " 4 --spare 6", switched);
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_TRUE(sentWith(0x22).empty());
    o = run("--link demo trip --status " + kThird, microphoneFour);
    EXPECT_EQ(o.out, kThird + " nothing is switched over\n");
}

TEST_F(RunnerTest, TripNeedsAUnitWithMicrophoneInputs) {
    const Outcome o = run("--link demo trip " + kFirst + " 4 --spare 6");
    EXPECT_EQ(o.status, exit_status::usage);
    EXPECT_TRUE(o.err.contains("has no microphone inputs")) << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x22).empty());
    EXPECT_TRUE(o.out.isEmpty());
}

TEST_F(RunnerTest, PresetLoadAsksFirstAndLoadsOnlyThePartChosen) {
    DeviceRecord preset;
    resetToPowerOnDefaults(preset);
    preset.at(param::clockRate) = 0x30;
    preset.routeSource[0] = 9;
    write(file("show.vpf"), encodePresetFile(kPresetFileType, buildPresetBlock(preset)));

    Outcome o = run("--link demo preset load " + kFirst + " " + file("show.vpf") + " --settings");
    EXPECT_EQ(o.status, exit_status::usage);
    EXPECT_TRUE(o.err.contains("Loading settings will overwrite all settings inside the device. "
                               "Do you want to continue? Give --yes to answer yes."))
        << o.err.toStdString();
    EXPECT_TRUE(sentWith(0x20).empty());
    EXPECT_EQ(unit(0).state().at(param::clockRate), 0x10);

    o = run("--link demo --yes preset load " + kFirst + " " + file("show.vpf") + " --settings");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(unit(0).state().at(param::clockRate), 0x30);
    EXPECT_EQ(unit(0).state().routeSource[0], 0);
    EXPECT_TRUE(sentWith(0x22).empty());

    // A rejected file never reaches the unit.
    write(file("bad.vpf"), {'K', 'E', 'L', 'T', 'A', 0x10, 2, 0, 3, 5, 0, 0, 0xFF, 0x02, 0, 0});
    o = run("--link demo --yes preset load " + kFirst + " " + file("bad.vpf"));
    EXPECT_EQ(o.status, exit_status::file);
    EXPECT_TRUE(o.err.contains("bad.vpf: Wrong data size information.")) << o.err.toStdString();
    EXPECT_TRUE(recorder->sent.empty());
}

TEST_F(RunnerTest, SavesWriteWhatTheUnitsHold) {
    Outcome o = run("--link demo preset save " + kThird + " " + file("lc.vpf"));
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    const PresetFileContent preset = readPresetFile(file("lc.vpf").toStdString());
    ASSERT_EQ(preset.error, PresetReadError::None);
    ASSERT_EQ(preset.data.size(), kPresetBlockSize);
    DeviceRecord loaded{};
    applyPresetBlock(preset.data, PresetKind::Gains, loaded);
    EXPECT_EQ(loaded.inputGain, unit(2).state().inputGain);

    o = run("--link demo preset save " + kThird + " " + file("lc.vpf"));
    EXPECT_EQ(o.status, exit_status::usage); // replacing it needs --yes

    o = run("--link demo project save " + file("show.vrj"));
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    const PresetFileContent project = readPresetFile(file("show.vrj").toStdString());
    ASSERT_EQ(project.error, PresetReadError::None);
    const ProjectData data = decodeProjectData(project.data);
    ASSERT_EQ(data.datasets.size(), 3u);
    EXPECT_EQ(data.datasets[1].uid, uid(kSecond));
}

TEST_F(RunnerTest, ProjectLoadSendsTheDatasetOfAMissingUnitWhereMapTells) {
    DeviceRecord stored;
    resetToPowerOnDefaults(stored);
    stored.at(param::clockRate) = 0x48;
    const DeviceUid gone = uid("01010101010101010101010101010101");
    write(
        file("show.vrj"),
        encodePresetFile(kProjectFileType, encodeProjectData({{gone, buildPresetBlock(stored)}})));

    const Outcome o = run("--link demo --yes project load " + file("show.vrj") +
                          " --map 01010101010101010101010101010101=" + kSecond);
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(unit(1).state().at(param::clockRate), 0x48);
    EXPECT_EQ(unit(0).state().at(param::clockRate), 0x10);
    EXPECT_TRUE(o.out.contains("Loaded 1 of the 1 dataset(s)")) << o.out.toStdString();
}

TEST_F(RunnerTest, ARejectedLabelFileLeavesTheStoreAsItWas) {
    Outcome o = run("--link demo labels export " + kFirst + " " + file("labels.txt"));
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    const std::filesystem::path store = labelStorePath(dir.path().toStdString(), uid(kFirst));
    QFile before(QString::fromStdString(store.string()));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray stored = before.readAll();

    QFile bad(file("bad.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("Kick\r\nSnare\tdrum\r\n");
    bad.close();
    o = run("--link demo labels import " + kFirst + " " + file("bad.txt"));
    EXPECT_EQ(o.status, exit_status::file);
    EXPECT_TRUE(o.err.contains("Import aborted! Label file contains non-printable characters."))
        << o.err.toStdString();
    QFile after(QString::fromStdString(store.string()));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), stored);

    // Exporting over an existing file needs --yes.
    o = run("--link demo labels export " + kFirst + " " + file("labels.txt"));
    EXPECT_EQ(o.status, exit_status::usage);
    EXPECT_TRUE(o.err.contains("already exists. Do you want to replace it? Give --yes"));
}

// A unit that is not online is exported from its store, with nothing on the wire;
// one with no store and no answer is named.
TEST_F(RunnerTest, LabelsOfAnOfflineUnitAreExportedFromItsStore) {
    const QString away = "01010101010101010101010101010101";
    LabelTable labels{};
    fillDefaultLabels(labels);
    setLabel(labels[5], "Kick");
    ASSERT_FALSE(storeUnitLabels(dir.path().toStdString(), uid(away), labels));
    Outcome o = run("--link demo --timeout 0.3 labels export " + away + " " + file("away.txt"),
                    [](DemoLink& demo) {
                        demo.setAnswering(false);
                        return new RecordingLink(demo);
                    });
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_TRUE(recorder == nullptr || sentWith(0x0E).empty());
    LabelTable exported{};
    ASSERT_EQ(readLabelFile(file("away.txt").toStdString(), exported).status, LabelFileStatus::Ok);
    EXPECT_STREQ(exported[5].data(), "Kick");

    o = run("--link demo --timeout 0.3 labels export 02020202020202020202020202020202 " +
            file("none.txt"));
    EXPECT_EQ(o.status, exit_status::noAnswer);
}

TEST_F(RunnerTest, MonitorShowsBothDirections) {
    const Outcome o = run("--link demo:1 monitor 0.6");
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains(" -> discover to all units (19 bytes)")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains(" <- unit list: ")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains(" <- parameters from ")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains(" == Connecting...")) << o.out.toStdString();
}

TEST_F(RunnerTest, NoUnitAnswers) {
    const Outcome o = run("--link demo --timeout 0.4 discover", [](DemoLink& demo) {
        demo.setAnswering(false);
        return new RecordingLink(demo);
    });
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_EQ(o.err, "varento-cli: No unit answered within 0.4 s.\n");
    EXPECT_GE(sentWith(0x0E).size(), 1u);
}

namespace {

// Two demo units answer; devlist.mv also remembers a unit that is not there.
class DevicesTest : public RunnerTest {
protected:
    void SetUp() override {
        startAsTheProgram = true;
        DeviceList list;
        list.addOrRefresh(uid(kAway), "VARENTO.AES", 2, 1)->userName = "Away";
        ASSERT_FALSE(saveDeviceList(dir.path().toStdString(), list));
    }

    DeviceList saved() const {
        DeviceList list;
        loadDeviceList(dir.path().toStdString(), list);
        return list;
    }

    std::vector<std::string> namesSaved() const {
        std::vector<std::string> names;
        for (const KnownDevice& e : saved()) {
            names.push_back(e.userName);
        }
        return names;
    }

    static inline const QString kAway = "01020304050607080900010203040506";
};

} // namespace

TEST_F(DevicesTest, ListShowsPositionsStatesAndNames) {
    const Outcome o = run("--link demo:2 --json devices");
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    const QJsonArray devices = QJsonDocument::fromJson(o.out.toUtf8())["devices"].toArray();
    ASSERT_EQ(devices.size(), 3);
    EXPECT_EQ(devices[0]["position"].toInt(), 1);
    EXPECT_EQ(devices[0]["name"].toString(), "Away");
    EXPECT_EQ(devices[0]["state"].toString(), "offline");
    EXPECT_EQ(devices[1]["state"].toString(), "online");
    EXPECT_EQ(devices[2]["position"].toInt(), 3);

    const Outcome text = run("--link demo:2 devices");
    EXPECT_TRUE(
        text.out.contains(QRegularExpression("  1  " + kAway + "  offline +VARENTO.AES +Away\n")))
        << text.out.toStdString();
}

TEST_F(DevicesTest, RenameMoveAndRemoveReachTheFile) {
    Outcome o = run("--link demo:2 devices rename " + kAway + " Spare");
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(namesSaved().front(), "Spare");

    o = run("--link demo:2 devices move " + kAway + " 3");
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(namesSaved().back(), "Spare");
    int expected = 1;
    for (const KnownDevice& e : saved()) {
        EXPECT_EQ(e.position, expected++);
    }
    EXPECT_EQ(run("--link demo:2 devices move " + kAway + " 4").status, exit_status::usage);

    o = run("--link demo:2 devices remove " + kAway);
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(saved().count(), 2);
    EXPECT_EQ(saved().find(uid(kAway)), nullptr);
}

// A character a name cannot hold is refused and named; an accent typed as a letter
// and a combining mark is composed, not refused.
TEST_F(DevicesTest, RenameRefusesWhatANameCannotHoldAndComposesAccents) {
    const std::string before = namesSaved().front();
    Outcome o = run("--link demo:2 devices rename " + kAway + QString::fromUtf8(" Bühne\u03A9"));
    EXPECT_EQ(o.status, exit_status::usage);
    EXPECT_TRUE(o.err.contains(QString::fromUtf8("\"\u03A9\" (U+03A9)"))) << o.err.toStdString();
    EXPECT_EQ(namesSaved().front(), before);

    o = run("--link demo:2 devices rename " + kAway + QString::fromUtf8(" Bu\u0308hne"));
    ASSERT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_EQ(namesSaved().front(), "B\xFChne");
}

TEST_F(DevicesTest, OnlineUnitIsNotRemoved) {
    const QJsonArray devices =
        QJsonDocument::fromJson(run("--link demo:2 --json devices").out.toUtf8())["devices"]
            .toArray();
    ASSERT_EQ(devices[1]["state"].toString(), "online");
    const QString online = devices[1]["uid"].toString();
    const Outcome o = run("--link demo:2 devices remove " + online);
    EXPECT_EQ(o.status, exit_status::noAnswer);
    EXPECT_EQ(o.err, QString("varento-cli: ") + device_manager_text::onlineText + "\n");
    EXPECT_EQ(saved().count(), 3);
}

TEST_F(DevicesTest, WithoutAnswerEveryUnitIsOfflineAndEditable) {
    const Outcome o = run("--link demo --timeout 0.3 devices remove " + kAway, [](DemoLink& demo) {
        demo.setAnswering(false);
        return new RecordingLink(demo);
    });
    EXPECT_EQ(o.status, exit_status::ok) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains("every unit is offline")) << o.err.toStdString();
    EXPECT_EQ(saved().count(), 0);
}
