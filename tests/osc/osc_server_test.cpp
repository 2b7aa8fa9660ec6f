// The OSC server against demo units, with a real UDP client on loopback.
#include "osc/osc_server.h"

#include "files/preset_file.h"
#include "files/project_file.h"
#include "protocol/frame.h"
#include "support/demo_session.h"
#include "support/netns.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>

using namespace varento;
using namespace varento::osc;
using namespace varento::testing;

namespace {

class OscServerTest : public DemoSessionTest {
protected:
    void SetUp() override {
        DemoSessionTest::SetUp();
        connectToDemo({11, 12});
        lc = session->discovered().begin()->uid;
        server = std::make_unique<Server>(*session);
    }

    void listen(Settings settings = {}) {
        settings.enabled = true;
        settings.port = 0; // a free port
        ASSERT_EQ(server->apply(settings), std::nullopt);
    }

    // A client socket on a loopback address of its own.
    std::unique_ptr<QUdpSocket> client(const char* address = "127.0.0.1") {
        auto socket = std::make_unique<QUdpSocket>();
        EXPECT_TRUE(socket->bind(QHostAddress(QString::fromLatin1(address)), 0));
        return socket;
    }

    void send(QUdpSocket& from, const Message& m) {
        const auto bytes = encodeMessage(m);
        from.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qint64>(bytes.size()), QHostAddress::LocalHost,
                           server->port());
    }

    // Every message that reaches the socket within `ms`.
    std::vector<Message> received(QUdpSocket& at, int ms = 300) {
        std::vector<Message> out;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            while (at.hasPendingDatagrams()) {
                const QByteArray d = at.receiveDatagram().data();
                const Packet p = decodePacket({reinterpret_cast<const std::uint8_t*>(d.constData()),
                                               static_cast<std::size_t>(d.size())});
                out.insert(out.end(), p.messages.begin(), p.messages.end());
            }
        }
        return out;
    }

    static bool has(const std::vector<Message>& messages, const std::string& path) {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const Message& m) { return m.path == path; });
    }

    std::string unitPath(const char* what) const {
        return "/varento/unit/" + AddressSpace::idText(lc).toStdString() + "/" + what;
    }

    Message gain(int input, double db) const {
        return {unitPath("gain"), {Arg::of(static_cast<std::int32_t>(input)), {'f', db, {}}}};
    }

    std::uint8_t unitGain(int input) {
        return rack().units()[0].state().inputGain[static_cast<std::size_t>(input)];
    }

    QByteArray journalText() {
        QFile journal(dir.filePath("journal.log"));
        return journal.open(QIODevice::ReadOnly) ? journal.readAll() : QByteArray();
    }

    DeviceUid lc;
    std::unique_ptr<Server> server;
};

} // namespace

// A remote edit is the window's edit: it reaches the unit and the journal names the
// client. Out of range values and unknown addresses are answered and change nothing.
TEST_F(OscServerTest, EditsReachTheUnitAndBadOnesAreAnswered) {
    listen();
    auto c = client();
    send(*c, gain(4, 40));
    ASSERT_EVENTUALLY(unitGain(3) == 40, 3000);
    QFile journal(dir.filePath("journal.log"));
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_TRUE(journal.readAll().contains("(from OSC 127.0.0.1:"));

    send(*c, gain(33, 40));
    send(*c, gain(4, 70));
    send(*c, gain(4, 30.5));
    send(*c, {"/varento/unit/" + AddressSpace::idText(lc).toStdString() + "/volume", {}});
    send(*c, {"/varento/unit/nobody/gain", {Arg::of(std::int32_t{1}), Arg::of(std::int32_t{30})}});
    const auto replies = received(*c);
    ASSERT_EQ(replies.size(), 5U);
    for (const Message& m : replies) {
        EXPECT_EQ(m.path, "/varento/error");
        ASSERT_EQ(m.args.size(), 2U);
    }
    EXPECT_EQ(replies[0].args[1].text, "the input must be a whole number 1..32");
    EXPECT_EQ(replies[3].args[1].text, "unknown address");
    EXPECT_EQ(unitGain(3), 40);
    EXPECT_EQ(server->refusedPackets(), 5);
}

// Read only: queries and feedback, no edits. The allow-list keeps other clients out,
// without a word back.
TEST_F(OscServerTest, ReadOnlyAndTheAllowListRefuse) {
    Settings readOnly;
    readOnly.readOnly = true;
    listen(readOnly);
    auto c = client();
    const std::uint8_t before = unitGain(0);
    send(*c, gain(1, before == 50 ? 51 : 50));
    send(*c, {"/varento/units", {}});
    const auto replies = received(*c);
    ASSERT_EQ(replies.size(), 3U); // the refusal, the two units
    EXPECT_EQ(replies[0].args[1].text, "this server is read only");
    EXPECT_EQ(replies[1].path, "/varento/units");
    EXPECT_EQ(unitGain(0), before);

    Settings allowList;
    allowList.allowed = {"127.0.0.2"};
    listen(allowList);
    auto outsider = client("127.0.0.1");
    auto insider = client("127.0.0.2");
    send(*outsider, {"/varento/units", {}});
    send(*insider, {"/varento/units", {}});
    EXPECT_TRUE(received(*outsider).empty());
    EXPECT_EQ(received(*insider).size(), 2U);
    EXPECT_EQ(server->refusedPackets(), 1 + 1);
}

// A subscriber starts from the unit's state and hears another client's edits; the
// editing client gets no echo of its own.
TEST_F(OscServerTest, SubscribersHearTheUnitAndEachOthersEdits) {
    listen();
    auto watcher = client();
    auto editor = client();
    send(*watcher, {"/varento/subscribe", {Arg::of(AddressSpace::idText(lc).toStdString())}});
    const auto start = received(*watcher);
    EXPECT_TRUE(has(start, "/varento/link"));
    EXPECT_TRUE(has(start, unitPath("gains")));
    EXPECT_TRUE(has(start, unitPath("routing")));
    EXPECT_TRUE(has(start, unitPath("switch")));
    EXPECT_EQ(server->subscriberCount(), 1);

    send(*editor, gain(2, 44));
    const auto heard = received(*watcher);
    ASSERT_TRUE(has(heard, unitPath("gain"))) << heard.size();
    EXPECT_FALSE(has(received(*editor), unitPath("gain")));

    // A change made in a window reaches the subscriber too.
    ASSERT_EQ(session->currentUnit(), lc);
    session->editor(lc).setInputGain(5, 33);
    const auto fromWindow = received(*watcher);
    const auto gains = std::find_if(fromWindow.begin(), fromWindow.end(),
                                    [&](const Message& m) { return m.path == unitPath("gains"); });
    ASSERT_NE(gains, fromWindow.end());
    EXPECT_EQ(gains->args[5].number, 33);

    send(*watcher, {"/varento/unsubscribe", {}});
    received(*watcher, 100);
    EXPECT_EQ(server->subscriberCount(), 0);
}

// A burst of remote gain changes reaches the unit as a fader drag would: at most
// one frame per 100 ms, the newest value last.
TEST_F(OscServerTest, ABurstIsPacedLikeAFaderDrag) {
    listen();
    auto c = client();
    const std::size_t before = recorder->sent.size();
    for (int db = 20; db <= 50; ++db) {
        send(*c, gain(1, db));
    }
    ASSERT_EVENTUALLY(unitGain(0) == 50, 3000);
    std::vector<qint64> times;
    for (std::size_t k = before; k < recorder->sent.size(); ++k) {
        const auto& f = recorder->sent[k].frame;
        if (f.size() > kPayloadOffset && f[kCommandOffset] == cmd::setGains) {
            times.push_back(recorder->sent[k].atMs);
        }
    }
    ASSERT_GE(times.size(), 1U);
    EXPECT_LE(times.size(), 4U);
    for (std::size_t k = 1; k < times.size(); ++k) {
        EXPECT_GE(times[k] - times[k - 1], AddressSpace::kPaceMs - 5) << k;
    }
}

// Garbage by the thousand: every packet refused and counted, and the event loop
// keeps turning meanwhile.
TEST_F(OscServerTest, AFloodOfGarbageNeverStallsTheLoop) {
    listen();
    auto c = client();
    QElapsedTimer gap;
    gap.start();
    qint64 worst = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { worst = std::max(worst, gap.restart()); });
    tick.start(2);
    // In batches the socket's buffer holds; each batch lands whole before the next.
    int sent = 0;
    for (int batch = 0; batch < 30; ++batch) {
        for (int i = 0; i < 100; ++i, ++sent) {
            c->writeDatagram(QByteArray::number(sent).repeated(7), QHostAddress::LocalHost,
                             server->port());
        }
        ASSERT_EVENTUALLY(server->refusedPackets() == sent, 5000);
    }
    gap.restart();
#ifndef VARENTO_SANITIZED
    EXPECT_LT(worst, 20);
#endif
}

// By default only this computer's loopback clients are let in: a datagram from
// another address of the namespace reaches the loopback socket and is refused.
TEST_F(OscServerTest, LoopbackOnlyByDefault) {
    VARENTO_REQUIRE_NETNS();
    ASSERT_EQ(QProcess::execute("ip", {"addr", "replace", "10.77.0.1/32", "dev", "lo"}), 0);
    listen();
    auto far = client("10.77.0.1");
    send(*far, {"/varento/units", {}});
    ASSERT_EVENTUALLY(server->refusedPackets() == 1, 3000);
    EXPECT_TRUE(received(*far).empty());
    auto near = client();
    send(*near, {"/varento/units", {}});
    EXPECT_FALSE(received(*near).empty());
    QProcess::execute("ip", {"addr", "del", "10.77.0.1/32", "dev", "lo"});
}

// The echo is the edit as it went out: the unit's id in the address, the level as
// rounded; odd numbers in an unsubscribe do nothing; one address gets at most four
// subscriptions; settings that cannot be opened leave the running server alone.
TEST_F(OscServerTest, OddClientsAndSettingsLeaveTheServerSound) {
    listen();
    auto watcher = client();
    auto editor = client();
    send(*watcher, {"/varento/subscribe", {}});
    received(*watcher);
    const std::string lower = AddressSpace::idText(lc).toLower().toStdString();
    send(*editor,
         {"/varento/unit/" + lower + "/level", {Arg::of(std::int32_t{3}), Arg::of(-3.6f)}});
    const auto heard = received(*watcher);
    const auto echo = std::find_if(heard.begin(), heard.end(),
                                   [&](const Message& m) { return m.path == unitPath("level"); });
    ASSERT_NE(echo, heard.end());
    EXPECT_EQ(echo->args[1].number, -4);

    send(*editor, {"/varento/unsubscribe", {Arg::of(70000.5f)}});
    send(*editor, {"/varento/unsubscribe", {{'d', 1e300, {}}}});
    received(*editor, 100);
    EXPECT_EQ(server->subscriberCount(), 1);
    for (int port = 1; port <= 4; ++port) {
        send(*editor, {"/varento/subscribe", {Arg::of(static_cast<std::int32_t>(40000 + port))}});
    }
    const auto refused = received(*editor);
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.back().args[1].text, "too many subscriptions");
    EXPECT_EQ(server->subscriberCount(), Server::kMaxSubscribersPerAddress);

    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::LocalHost, 0));
    const quint16 running = server->port();
    Settings busy;
    busy.enabled = true;
    busy.port = taken.localPort();
    EXPECT_TRUE(server->apply(busy).has_value());
    EXPECT_EQ(server->port(), running);
    EXPECT_EQ(server->subscriberCount(), Server::kMaxSubscribersPerAddress);
}

namespace {

// A preset or project file of the data folder, made from a unit's record.
void writeFileOf(const QString& path, std::uint8_t type, std::span<const std::uint8_t> data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto bytes = encodePresetFile(type, data);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

} // namespace

// A cue loads a preset into the unit it names, shown or not, and a project into its
// units that are online; subscribers of the unit get its new state, the journal
// names the client.
TEST_F(OscServerTest, FilesOfTheDataFolderLoadIntoTheUnitsNamed) {
    const DeviceUid other = std::next(session->discovered().begin())->uid;
    ASSERT_NE(session->currentUnit(), other);
    DeviceRecord cue = *session->unit(other);
    cue.routeSource[5] = static_cast<std::uint8_t>(cue.routeSource[5] == 9 ? 10 : 9);
    writeFileOf(dir.filePath("cue 1.vpf"), kPresetFileType, buildPresetBlock(cue));
    DeviceRecord show = *session->unit(lc);
    show.inputGain[2] = static_cast<std::uint8_t>(show.inputGain[2] == 40 ? 41 : 40);
    DeviceUid absent = lc;
    absent.bytes[0] ^= 0xFF;
    writeFileOf(
        dir.filePath("show.vrj"), kProjectFileType,
        encodeProjectData({{absent, buildPresetBlock(show)}, {lc, buildPresetBlock(show)}}));
    const std::uint8_t shownRoute = rack().units()[0].state().routeSource[5];

    listen();
    auto watcher = client();
    auto controller = client();
    const std::string otherId = AddressSpace::idText(other).toStdString();
    send(*watcher, {"/varento/subscribe", {Arg::of(otherId)}});
    received(*watcher);
    send(*controller, {"/varento/unit/" + otherId + "/preset", {Arg::of(std::string("cue 1"))}});
    ASSERT_EVENTUALLY(rack().units()[1].state().routeSource[5] == cue.routeSource[5], 5000);
    EXPECT_EQ(rack().units()[0].state().routeSource[5], shownRoute);
    const auto heard = received(*watcher);
    EXPECT_TRUE(has(heard, "/varento/unit/" + otherId + "/preset"));
    const auto routing = std::find_if(heard.begin(), heard.end(), [&](const Message& m) {
        return m.path == "/varento/unit/" + otherId + "/routing";
    });
    ASSERT_NE(routing, heard.end());
    EXPECT_EQ(routing->args[5].number, cue.routeSource[5]);

    const QString title = session->windowTitle();
    send(*controller, {"/varento/project", {Arg::of(std::string("show"))}});
    const auto replies = received(*controller);
    ASSERT_EQ(replies.size(), 1U);
    EXPECT_EQ(replies[0].path, "/varento/project/loaded");
    EXPECT_EQ(replies[0].args[1].number, 1); // units loaded
    EXPECT_EQ(replies[0].args[2].number, 2); // datasets in the file
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain[2] == show.inputGain[2], 5000);
    // A cue is no File > Load Project: the project the user works on stays.
    EXPECT_EQ(session->windowTitle(), title);
    EXPECT_TRUE(session->state().lastSnapshotFileName.isEmpty());
    ASSERT_EVENTUALLY(journalText().contains("1 of 2 units (from OSC 127.0.0.1:"), 3000);
    EXPECT_TRUE(journalText().contains("all (from OSC 127.0.0.1:"));
}

// A name that leaves the data folder, a file that is not there or not a preset, a
// part not known: refused with the reason, nothing loaded. A second load into a unit
// waits until the first has gone out.
TEST_F(OscServerTest, BadFileLoadsAreRefusedAndALoadRunsAlone) {
    DeviceRecord cue = *session->unit(lc);
    writeFileOf(dir.filePath("cue.vpf"), kPresetFileType, buildPresetBlock(cue));
    writeFileOf(dir.filePath("show.vrj"), kProjectFileType,
                encodeProjectData({{lc, buildPresetBlock(cue)}}));
    DeviceUid absent = lc;
    absent.bytes[0] ^= 0xFF;
    writeFileOf(dir.filePath("elsewhere.vrj"), kProjectFileType,
                encodeProjectData({{absent, buildPresetBlock(cue)}}));
    listen();
    auto c = client();
    const auto preset = [&](std::vector<Arg> args) {
        send(*c, {unitPath("preset"), std::move(args)});
    };
    for (const char* name : {"../cue", "/etc/passwd", "sub/../../cue", "a\\b", "C:cue", "COM3.vpf",
                             "nothing", "show.vrj"}) {
        preset({Arg::of(std::string(name))});
    }
    preset({Arg::of(std::string("cue")), Arg::of(std::string("volume"))});
    preset({Arg::of(std::int32_t{3})});
    send(*c, {"/varento/project", {Arg::of(std::string("cue.vpf"))}});
    send(*c, {"/varento/project", {Arg::of(std::string("elsewhere"))}});
    const auto replies = received(*c);
    ASSERT_EQ(replies.size(), 12U);
    for (const Message& m : replies) {
        EXPECT_EQ(m.path, "/varento/error");
    }
    EXPECT_EQ(replies[0].args[1].text, "\"../cue\" does not name a file in the data folder");
    EXPECT_EQ(replies[7].args[1].text, "it is a project file, not a preset");
    EXPECT_EQ(replies[10].args[1].text, "it is a preset file, not a project");
    EXPECT_EQ(replies[11].args[1].text, "none of the project's units is online");
    EXPECT_FALSE(journalText().contains("preset-loaded"));

    const QString path = dir.filePath("cue.vpf");
    EXPECT_TRUE(session->loadPresetFile(lc, path, {}).error.isEmpty());
    EXPECT_EQ(session->loadPresetFile(lc, path, PresetKind::Gains).error,
              "an earlier load into the unit is still being sent");
    EXPECT_FALSE(session->loadProjectFile(dir.filePath("show.vrj"), false).error.isEmpty());
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 5000);
    EXPECT_TRUE(session->loadPresetFile(lc, path, PresetKind::Gains).error.isEmpty());
}
