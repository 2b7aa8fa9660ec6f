// A whole session over the network link against varento-emu acting as two
// daemons, inside the private network namespace.
#include "app/link_set.h"
#include "app/session.h"
#include "app/spare_switcher.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "links/network_link.h"
#include "support/emulator_process.h"
#include "support/frames.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"
#include "support/unit_selector.h"
#include "support/wait.h"
#include "unit/emulated_unit.h"
#include "unit/unit_config.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <csignal>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

const emu::UnitConfig kUnits[] = {
    {12, *emu::parseUid("0102030405060708090A0B0C0D0E0F00"), 6, 6, 0},
    {14, *emu::parseUid("0203040506070809000A0B0C0D0E0F01"), 6, 6, 1},
    {11, *emu::parseUid("0304050607080900010A0B0C0D0E0F02"), 6, 6, 1},
};

class SessionNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        VARENTO_REQUIRE_NETNS();
        QStringList args{"network", "--daemons", "2", "--data-port", "17401"};
        for (const emu::UnitConfig& unit : kUnits) {
            args << "--unit" << QString::fromStdString(emu::unitConfigText(unit));
        }
        ASSERT_TRUE(emulator.start(args)) << emulator.problem();
        session = std::make_unique<Session>(
            ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
        session->links().network().setQueryBurst(10, 20);
        session->command(command_id::enableNetwork);
        ASSERT_TRUE(session->state().networkMode);
    }

    QTemporaryDir dir;
    EmulatorProcess emulator;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
};

} // namespace

TEST_F(SessionNetwork, SweepsBothDaemonsAndGathersEveryUnit) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    ASSERT_EQ(session->discovered().count(), 3);
    EXPECT_EQ(session->links().daemonCount(), 2);
    for (const emu::UnitConfig& config : kUnits) {
        const emu::EmulatedUnit reference(config, 1);
        const DeviceRecord* node = session->unit(config.uid);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->model, config.model);
        EXPECT_EQ(node->daemonIndex, config.daemon.value_or(0));
        EXPECT_EQ(node->awaitingData, 0);
        EXPECT_TRUE(std::equal(node->routeSource.begin(), node->routeSource.begin() + 192,
                               reference.state().routeSource.begin()));
        EXPECT_EQ(node->inputGain, reference.state().inputGain);
        EXPECT_EQ(node->at(param::ioOptions), reference.parameterValue(param::ioOptions));
    }

    // A unit behind the other daemon: the link follows it before the next poll.
    const int selector = selectorIndexOf(*session, QStringLiteral("VARENTO.LC"));
    ASSERT_GE(selector, 0);
    session->command(command_id::deviceCombo, selector);
    EXPECT_EQ(session->current().model, 11);
    EXPECT_EQ(session->links().selectedDaemon(), 1);
    QSignalSpy levels(session.get(), &Session::levelsChanged);
    EXPECT_TRUE(levels.wait(3000));
}

TEST_F(SessionNetwork, SilentUnitShowsNoResponseAndRecovers) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    QSignalSpy texts(session.get(), &Session::statusTextChanged);
    ::kill(static_cast<pid_t>(emulator.processId()), SIGSTOP);
    QTest::qWait(300);
    session->supervisionTick();
    session->supervisionTick();
    EXPECT_EQ(texts.last().at(1).toString(), "\tNo Response!");
    ::kill(static_cast<pid_t>(emulator.processId()), SIGCONT);
    ASSERT_EVENTUALLY((session->supervisionTick(), texts.last().at(1).toString() == "\tConnected"),
                      3000);
}

TEST_F(SessionNetwork, WithdrawalDisconnects) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    QSignalSpy connected(session.get(), &Session::connectedChanged);
    emulator.stop(); // its daemons withdraw
    ASSERT_EVENTUALLY(!session->state().isConnected, 5000);
    EXPECT_EQ(session->deviceList().onlineCount(), 0);
}

// A second computer on the network asks for daemons every 200 ms; the daemons'
// answers reach us too. The unit chosen here stays chosen and edited.
TEST_F(SessionNetwork, AnotherComputersQueriesLeaveTheChosenUnitAlone) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0,
                           QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    QTimer queries;
    QObject::connect(&queries, &QTimer::timeout, [&] {
        other.writeDatagram(QByteArray("QQ"), QHostAddress(QStringLiteral("224.7.7.7")), 7777);
    });
    queries.start(200);
    QSignalSpy alarm(session.get(), &Session::statusAlarmChanged);
    QTest::qWait(500);

    const int lc = selectorIndexOf(*session, QStringLiteral("VARENTO.LC"));
    ASSERT_GE(lc, 0);
    session->command(command_id::deviceCombo, lc);
    const DeviceUid chosen = kUnits[2].uid;
    const auto agree = [&] {
        return session->current().uid == chosen && session->selectedUnitIndex() == lc &&
               session->links().selectedDaemon() == 1;
    };
    ASSERT_TRUE(agree());
    session->editor().setInputGain(4, 55);
    bool alwaysAgreed = true;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 4000) { // the gains are polled again meanwhile
        QTest::qWait(100);
        alwaysAgreed = alwaysAgreed && agree();
    }
    EXPECT_TRUE(alwaysAgreed);
    // The unit itself reports the edit.
    EXPECT_EQ(session->current().inputGain[4], 55);
    for (const auto& call : alarm) {
        EXPECT_FALSE(call.at(0).toBool());
    }
}

// A second engineer runs a discovery through both daemons: the answers reach us,
// but every unit stays behind the daemon we found it through and keeps answering.
TEST_F(SessionNetwork, AnotherClientsDiscoveryMovesNoUnitToAnotherDaemon) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    const int lc = selectorIndexOf(*session, QStringLiteral("VARENTO.LC"));
    ASSERT_GE(lc, 0);
    session->command(command_id::deviceCombo, lc);
    ASSERT_EQ(session->links().selectedDaemon(), 1);

    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0,
                           QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    FrameBuffer discover{};
    const int length = buildDiscover(discover);
    QByteArray datagram("O");
    datagram.append(reinterpret_cast<const char*>(discover.data()), length);
    for (int round = 0; round < 3; ++round) {
        for (const quint16 port : {quint16{17401}, quint16{17402}}) {
            other.writeDatagram(datagram, QHostAddress(QStringLiteral("224.7.7.7")), port);
        }
        QTest::qWait(300);
    }
    for (const emu::UnitConfig& config : kUnits) {
        const DeviceRecord* unit = session->unit(config.uid);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->daemonIndex, config.daemon.value_or(0));
    }
    EXPECT_EQ(session->currentUnit(), kUnits[2].uid);
    ASSERT_TRUE(session->editor().setInputGain(3, 44));
    ASSERT_EVENTUALLY(session->current().inputGain[3] == 44, 4000); // reported by the unit
    session->supervisionTick();
    session->supervisionTick();
    EXPECT_EQ(session->current().uid, kUnits[2].uid);
}

// A second laptop's daemon answers a query while we are connected: its unit is
// found and read, the unit shown stays shown and polled through its own daemon,
// and a project then holds every unit.
TEST_F(SessionNetwork, ADaemonThatAppearsWhileConnectedHasItsUnitsFound) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    const int lc = selectorIndexOf(*session, QStringLiteral("VARENTO.LC"));
    session->command(command_id::deviceCombo, lc);
    QSignalSpy switched(session.get(), &Session::currentUnitChanged);

    const emu::UnitConfig laptopUnit{13, *emu::parseUid("0405060708090001020A0B0C0D0E0F03"), 6, 6,
                                     0};
    EmulatorProcess laptop;
    ASSERT_TRUE(laptop.start({"network", "--data-port", "17501", "--unit",
                              QString::fromStdString(emu::unitConfigText(laptopUnit))}))
        << laptop.problem();
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0,
                           QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    other.writeDatagram(QByteArray("QQ"), QHostAddress(QStringLiteral("224.7.7.7")), 7777);
    ASSERT_EVENTUALLY(session->links().daemonCount() == 3, 5000);
    ASSERT_EVENTUALLY(session->unitsGathered() && session->discovered().count() == 4, 20000);
    EXPECT_TRUE(switched.isEmpty());
    EXPECT_EQ(session->currentUnit(), kUnits[2].uid);
    EXPECT_EQ(session->links().selectedDaemon(), session->current().daemonIndex);
    QSignalSpy levels(session.get(), &Session::levelsChanged);
    EXPECT_TRUE(levels.wait(3000));
    EXPECT_NE(session->unit(laptopUnit.uid), nullptr);

    ui.files.push_back(dir.filePath("show.vrj"));
    session->saveProject(true);
    const PresetFileContent file = readPresetFile(dir.filePath("show.vrj").toStdString());
    ASSERT_EQ(file.error, PresetReadError::None);
    EXPECT_EQ(decodeProjectData(file.data).datasets.size(), 4u);
    EXPECT_TRUE(ui.messages.empty());
}

// Three daemons, the unit shown behind the second one: searching again finds
// the units behind every daemon, the first one included.
TEST_F(SessionNetwork, ARestartedSweepAsksEveryDaemon) {
    emulator.stop();
    QStringList args{"network", "--daemons", "3", "--data-port", "17401"};
    const emu::UnitConfig units[] = {
        {12, kUnits[0].uid, 6, 6, 0}, {14, kUnits[1].uid, 6, 6, 1}, {11, kUnits[2].uid, 6, 6, 2}};
    for (const emu::UnitConfig& unit : units) {
        args << "--unit" << QString::fromStdString(emu::unitConfigText(unit));
    }
    EmulatorProcess three;
    ASSERT_TRUE(three.start(args)) << three.problem();
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered() && session->discovered().count() == 3, 20000);
    // The unit behind the middle daemon is shown.
    for (int i = 0; i < 3; ++i) {
        DeviceUid uid;
        if (session->deviceList().onlineId(i + 1, uid) == 0 && uid == kUnits[1].uid) {
            session->command(command_id::deviceCombo, i);
        }
    }
    ASSERT_EQ(session->links().selectedDaemon(), 1);
    session->restartDiscovery();
    ASSERT_EVENTUALLY(session->unitsGathered(), 20000);
    EXPECT_EQ(session->discovered().count(), 3);
    EXPECT_EQ(session->unitSelectorItems().size(), 3);
    EXPECT_EQ(session->currentUnit(), kUnits[1].uid);
}

// The unit shown is behind the first daemon; a unit behind the second one is
// switched over to its spare. Its routing read back comes through its own daemon,
// which is not the one selected, and confirms the switch-over while the unit
// shown is polled on. A copy of a reply through a daemon the unit was not found
// behind is not taken.
TEST_F(SessionNetwork, AUnitBehindAnotherDaemonAnswersWhatIsAskedOfIt) {
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 15000);
    for (int i = 0; i < 3; ++i) {
        DeviceUid uid;
        if (session->deviceList().onlineId(i + 1, uid) == 0 && uid == kUnits[0].uid) {
            session->command(command_id::deviceCombo, i);
        }
    }
    ASSERT_EQ(session->currentUnit(), kUnits[0].uid);
    ASSERT_EQ(session->links().selectedDaemon(), 0);

    const DeviceUid lc = kUnits[2].uid;
    QSignalSpy finished(&session->spareSwitcher(), &SpareSwitcher::finished);
    QSignalSpy levels(session.get(), &Session::levelsChanged);
    ASSERT_TRUE(session->spareSwitcher().trip(lc, 4, 6));
    ASSERT_EVENTUALLY(!finished.isEmpty(), 5000);
    EXPECT_TRUE(finished.at(0).at(1).toBool());
    EXPECT_EQ(session->spareSwitcher().phase(lc), SwitchPhase::Switched);
    EXPECT_EQ(session->links().selectedDaemon(), 0);
    EXPECT_EQ(session->currentUnit(), kUnits[0].uid);
    EXPECT_TRUE(levels.wait(3000));

    QUdpSocket forger;
    ASSERT_TRUE(forger.bind(QHostAddress::AnyIPv4, 0,
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    const auto forge = [&](quint16 port, const Bytes& frame) {
        QByteArray datagram("I");
        datagram.append(reinterpret_cast<const char*>(frame.data()),
                        static_cast<qsizetype>(frame.size()));
        forger.writeDatagram(datagram, QHostAddress(QStringLiteral("224.7.7.7")), port);
    };
    const Bytes reply = frameOf(lc, cmd::paramsReply, {param::fanSlowTemp, 77});
    const int before = session->unit(lc)->at(param::fanSlowTemp);
    forge(17401, reply); // daemon 0: the LC was not found behind it
    // A unit list through a daemon not selected finds nothing.
    forge(17402, unitListFrame({{uidOf(9), 13}}));
    QTest::qWait(300);
    EXPECT_EQ(session->unit(lc)->at(param::fanSlowTemp), before);
    EXPECT_EQ(session->unit(uidOf(9)), nullptr);
    forge(17402, reply); // its own daemon
    ASSERT_EVENTUALLY(session->unit(lc)->at(param::fanSlowTemp) == 77, 2000);
}

// A daemon that announces itself only after the query burst, while the first
// discovery still waits for the first daemon's (late) answer: its units are
// found too, behind their own daemon. The test plays that daemon. (The late
// answer stays well inside the first daemon's turn of the sweep, 600 ms.)
TEST_F(SessionNetwork, ADaemonAnnouncedDuringDiscoveryIsSweptToo) {
    emulator.stop();
    EmulatorProcess slow;
    ASSERT_TRUE(slow.start({"network", "--data-port", "17401", "--delay", "300", "--unit",
                            QString::fromStdString(emu::unitConfigText(kUnits[0]))}))
        << slow.problem();
    const QHostAddress group(QStringLiteral("224.7.7.7"));
    const DeviceUid lateUnit = uidOf(9);
    QUdpSocket late;
    ASSERT_TRUE(late.bind(QHostAddress::AnyIPv4, 17990,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    ASSERT_TRUE(late.joinMulticastGroup(group));
    QObject::connect(&late, &QUdpSocket::readyRead, [&] {
        while (late.hasPendingDatagrams()) {
            const QByteArray d = late.receiveDatagram().data();
            if (d.startsWith('O') && d.size() > kCommandOffset + 1 &&
                static_cast<std::uint8_t>(d[kCommandOffset + 1]) == cmd::discover) {
                const Bytes answer = unitListFrame({{lateUnit, 13}});
                QByteArray reply("I");
                reply.append(reinterpret_cast<const char*>(answer.data()),
                             static_cast<qsizetype>(answer.size()));
                late.writeDatagram(reply, group, 17990);
            }
        }
    });
    // The query burst is over once the link has opened.
    QObject::connect(&session->links().network(), &NetworkLink::opened, [&](int result) {
        if (result == 0) {
            late.writeDatagram(QByteArray("QR17990"), group, 7777);
        }
    });
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsDiscovered() && session->discovered().count() == 2, 10000);
    ASSERT_NE(session->unit(lateUnit), nullptr);
    EXPECT_EQ(session->unit(lateUnit)->daemonIndex, 1);
    EXPECT_EQ(session->unit(kUnits[0].uid)->daemonIndex, 0);
}
