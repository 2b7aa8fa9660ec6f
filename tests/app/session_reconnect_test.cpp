// A link lost during a show comes back by itself: the serial port, a network
// daemon and a MIDI port go away and come back while a session runs against
// varento-emu, and the unit that was current is current again.
#include "app/link_set.h"
#include "app/session.h"
#include "files/journal_file.h"
#include "links/midi_link.h"
#include "links/network_link.h"
#include "links/serial_link.h"
#include "support/emulator_process.h"
#include "support/jack_server.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"
#include "support/wait.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

namespace fs = std::filesystem;

const QString kUnitA = QStringLiteral("0102030405060708090A0B0C0D0E0F00");
const QString kUnitB = QStringLiteral("0203040506070809000A0B0C0D0E0F01");

QStringList twoUnits() {
    return {"--unit", "12:" + kUnitA + ":6.6", "--unit", "20:" + kUnitB + ":6.6"};
}

QString hexOf(const DeviceUid& uid) {
    QString text;
    for (const std::uint8_t b : uid.bytes) {
        text += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

#ifdef VARENTO_SANITIZED
constexpr int kComeBackMs = 40000;
#else
constexpr int kComeBackMs = 20000;
#endif

class Reconnect : public ::testing::Test {
protected:
    void SetUp() override { makeSession(); }

    void makeSession() {
        session = std::make_unique<Session>(
            ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
        QObject::connect(session.get(), &Session::statusTextChanged,
                         [this](int field, const QString& text) {
                             if (field == 2 && text == "\tReconnecting...") {
                                 ++reconnectingShown;
                             }
                         });
    }

    // varento-emu with `args`, up and ready, or a failed test.
    static std::unique_ptr<EmulatorProcess> emulate(const QStringList& args) {
        auto emulator = std::make_unique<EmulatorProcess>();
        EXPECT_TRUE(emulator->start(args)) << emulator->problem();
        return emulator;
    }

    void useNetwork() {
        session->links().network().setQueryBurst(10, 20);
        session->command(command_id::enableNetwork);
    }

    // Connects, gathers both units and makes the second one current.
    void connectAndPickSecondUnit() {
        session->connectOrDisconnect();
        ASSERT_EVENTUALLY(session->unitsGathered(), kComeBackMs);
        ASSERT_EQ(session->unitSelectorItems().size(), 2);
        const int second = hexOf(session->current().uid) == kUnitA ? 1 : 0;
        session->selectUnit(second);
        ASSERT_EQ(hexOf(session->current().uid), kUnitB);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text.toStdString();
    }

    // The link was lost and retried at least once without the units.
    void expectRetriesWhileGone() {
        ASSERT_EVENTUALLY(session->reconnecting(), kComeBackMs);
        EXPECT_FALSE(session->state().isConnected);
        ASSERT_EVENTUALLY(reconnectingShown >= 2, kComeBackMs);
        boxesAtLoss = ui.messages.size();
    }

    // Back with the second unit current, and no message box since the loss.
    void expectBackOnTheSecondUnit() {
        ASSERT_EVENTUALLY(session->unitsGathered() && !session->reconnecting(), kComeBackMs);
        EXPECT_TRUE(session->state().isConnected);
        EXPECT_EQ(hexOf(session->current().uid), kUnitB);
        EXPECT_EQ(session->selectedUnitIndex(), session->unitSelectorItems().size() == 2 ? 1 : 0);
        EXPECT_EQ(ui.messages.size(), boxesAtLoss);
    }

    bool journalHas(const std::string& kind) const {
        const auto entries = readJournal(dir.path().toStdString());
        return std::any_of(entries.begin(), entries.end(),
                           [&](const JournalEntry& e) { return e.kind == kind; });
    }

    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
    int reconnectingShown = 0;
    std::size_t boxesAtLoss = 0;
};

// The port is opened by its name: a link whose target changes, as a USB adapter
// plugged in again may come back under the same name.
class SerialPortName {
public:
    explicit SerialPortName(const QTemporaryDir& dir) : path_(dir.filePath("ttyVARENTO")) {}
    void pointTo(const QString& pty) {
        std::error_code ignored;
        fs::remove(path_.toStdString(), ignored);
        fs::create_symlink(pty.toStdString(), path_.toStdString());
    }
    const QString& path() const { return path_; }

private:
    QString path_;
};

} // namespace

TEST_F(Reconnect, SerialPortThatGoesAwayAndComesBack) {
    SerialPortName port(dir);
    auto emulator = emulate(QStringList{"serial", "--pty"} + twoUnits());
    port.pointTo(emulator->ptyPath());
    SerialLink& serial = session->links().serial();
    serial.setRememberedPortPath(port.path());
    ASSERT_GE(serial.probeRememberedPort(), 0);
    connectAndPickSecondUnit();

    emulator.reset(); // the far end of the port is gone
    expectRetriesWhileGone();
    emulator = emulate(QStringList{"serial", "--pty"} + twoUnits());
    port.pointTo(emulator->ptyPath());
    expectBackOnTheSecondUnit();
}

TEST_F(Reconnect, DaemonRestartedOnTheSamePort) {
    VARENTO_REQUIRE_NETNS();
    const QStringList args = QStringList{"network", "--data-port", "17461"} + twoUnits();
    auto emulator = emulate(args);
    useNetwork();
    connectAndPickSecondUnit();

    emulator.reset(); // stopped: its daemon withdraws
    expectRetriesWhileGone();
    emulator = emulate(args);
    expectBackOnTheSecondUnit();

    // The journal tells the loss and the return once each, not every retry.
    std::vector<std::string> links;
    for (const JournalEntry& entry : readJournal(dir.path().toStdString())) {
        if (entry.kind.starts_with("link-")) {
            links.push_back(entry.kind);
        }
    }
    EXPECT_EQ(links, (std::vector<std::string>{"link-opened", "link-lost", "link-regained"}));
}

TEST_F(Reconnect, ADaemonKilledWithoutAWordIsReadAgainWhenItIsBack) {
    VARENTO_REQUIRE_NETNS();
    const QStringList args = QStringList{"network", "--data-port", "17463"} + twoUnits();
    auto emulator = emulate(args);
    useNetwork();
    connectAndPickSecondUnit();
    const auto powerOn = session->current().routeSource;
    bool routingRead = false;
    QObject::connect(&session->links(), &LinkSet::frameReceived, [&](const QByteArray& frame) {
        routingRead = routingRead || (frame.size() > 17 && frame[17] == char(cmd::routingReply));
    });
    session->editor().setRoute(2, static_cast<std::uint8_t>(powerOn[2] == 7 ? 8 : 7));
    ASSERT_NE(session->current().routeSource, powerOn);
    ASSERT_EVENTUALLY(routingRead, kComeBackMs); // the edit's own read-back is over

    // Killed, it cannot withdraw: the unit is silent, then a fresh one answers and
    // every unit is read again.
    QSignalSpy gathered(session.get(), &Session::gatheringFinished);
    ::kill(static_cast<pid_t>(emulator->processId()), SIGKILL);
    ASSERT_EVENTUALLY(ui.messages.empty() && session->state().isConnected &&
                          journalHas("no-response"),
                      kComeBackMs);
    emulator = emulate(args);
    EXPECT_EVENTUALLY(gathered.count() == 1 && session->current().routeSource == powerOn,
                      kComeBackMs);
    EXPECT_EQ(hexOf(session->current().uid), kUnitB);
}

TEST_F(Reconnect, MidiPortThatGoesAwayAndComesBack) {
    JackServer jack;
    if (!jack.running()) {
        GTEST_SKIP() << "no JACK server: " << jack.problem();
    }
    // A session whose MIDI link uses the private JACK server.
    qputenv("VARENTO_MIDI_API", "jack");
    const auto restore = qScopeGuard([] { qunsetenv("VARENTO_MIDI_API"); });
    makeSession();
    const QStringList args = QStringList{"midi", "Unit Rack", "--api", "jack"} + twoUnits();
    auto emulator = emulate(args);
    MidiLink& midi = session->links().midi();
    midi.refreshDevices();
    const auto in = midi.inputDevices().indexOf(QRegularExpression(".*Unit Rack.*"));
    const auto out = midi.outputDevices().indexOf(QRegularExpression(".*Unit Rack.*"));
    ASSERT_GE(in, 0) << midi.inputDevices().join(", ").toStdString();
    ASSERT_GE(out, 0);
    midi.selectDevices(static_cast<int>(in), static_cast<int>(out));
    session->command(command_id::enableMidi);
    ASSERT_TRUE(session->state().midiMode);
    connectAndPickSecondUnit();

    emulator.reset(); // its ports vanish; sends into JACK still succeed
    expectRetriesWhileGone();
    emulator = emulate(args);
    expectBackOnTheSecondUnit();
}

TEST_F(Reconnect, TheUsersDisconnectEndsTheRetriesAndWithoutTheSettingNoneBegin) {
    SerialPortName port(dir);
    auto emulator = emulate(QStringList{"serial", "--pty"} + twoUnits());
    port.pointTo(emulator->ptyPath());
    session->links().serial().setRememberedPortPath(port.path());
    ASSERT_GE(session->links().serial().probeRememberedPort(), 0);
    connectAndPickSecondUnit();

    emulator.reset();
    ASSERT_EVENTUALLY(session->reconnecting(), kComeBackMs);
    // Only the link's retries are quiet: what the user does still reports.
    const std::size_t boxes = ui.messages.size();
    session->interaction().inform("File I/O Error", "Unable to write file", MessageIcon::Error);
    EXPECT_EQ(ui.messages.size(), boxes + 1);

    session->connectOrDisconnect(); // the button reads Disconnect while retrying
    EXPECT_FALSE(session->reconnecting());
    EXPECT_FALSE(session->reconnectTimer().isActive());
    EXPECT_FALSE(session->state().isConnected);

    // With the port back, nothing reopens it until the user connects.
    emulator = emulate(QStringList{"serial", "--pty"} + twoUnits());
    port.pointTo(emulator->ptyPath());
    session->reconnectTick();
    EXPECT_FALSE(session->state().isConnected);

    // Without the setting, a failure ends the connection as it always did.
    session->setReconnectAutomatically(false);
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), kComeBackMs);
    emulator.reset();
    ASSERT_EVENTUALLY(!session->state().isConnected, kComeBackMs);
    EXPECT_FALSE(session->reconnecting());
    EXPECT_FALSE(session->reconnectTimer().isActive());
}
