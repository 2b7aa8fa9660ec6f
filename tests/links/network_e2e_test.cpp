// The network link against varento-emu's daemons, inside the private namespace.
#include "app/link_set.h"
#include "app/session.h"
#include "e2e_support.h"
#include "links/network_link.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr LinkFlags kNetwork{0, 1};

class NetworkE2e : public ::testing::Test {
protected:
    void SetUp() override { VARENTO_REQUIRE_NETNS(); }

    void startEmulator(const QStringList& args) {
        ASSERT_TRUE(emulator.start(args)) << emulator.problem();
    }

    // The real query burst: 50 "QQ" 20 ms apart.
    int connectLink() {
        QSignalSpy opened(&link, &NetworkLink::opened);
        if (link.open() != 0) {
            return -1;
        }
        return opened.wait(5000) ? opened.at(0).at(0).toInt() : -2;
    }

    EmulatorProcess emulator;
    ScriptedInteraction ui;
    NetworkLink link{ui};
};

TEST_F(NetworkE2e, QueryAnnouncementAndDataExchange) {
    startEmulator(QStringList{"network", "--data-port", "17301"} + unitArgs(12, kUnitA) +
                  unitArgs(14, kUnitB));
    ASSERT_EQ(connectLink(), 0);
    ASSERT_TRUE(link.isActive());
    EXPECT_EQ(link.daemons().count(), 1);
    EXPECT_EQ(link.daemons().portAt(0), 17301);

    Conversation talk(link, kNetwork);
    const auto units = talk.discover();
    EXPECT_EQ(units, (std::vector<DeviceUid>{kUnitA, kUnitB}));
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    EXPECT_EQ(talk.modelOf(kUnitB), 14);
    // Our own "O" datagrams come back on the group; none of them is a frame for us.
    for (const QByteArray& f : talk.received) {
        EXPECT_GE(commandOf(f), 0x0E);
        EXPECT_NE(commandOf(f), 0x10);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(NetworkE2e, TwoDaemonsAndSelectDaemon) {
    startEmulator(QStringList{"network", "--daemons", "2", "--data-port", "17311"} +
                  unitArgs(12, kUnitA, 0) + unitArgs(11, kUnitB, 1));
    ASSERT_EQ(connectLink(), 0);
    ASSERT_EQ(link.daemons().count(), 2);
    EXPECT_EQ(link.daemons().portAt(0), 17311);
    EXPECT_EQ(link.daemons().portAt(1), 17312);

    Conversation talk(link, kNetwork);
    EXPECT_EQ(talk.discover(0), std::vector<DeviceUid>{kUnitA});

    ASSERT_EQ(link.selectDaemon(1), 0);
    const qsizetype before = talk.received.size();
    EXPECT_EQ(talk.discover(1), std::vector<DeviceUid>{kUnitB});
    EXPECT_EQ(talk.modelOf(kUnitB), 11);
    // Nothing of the first daemon's unit reaches us any more.
    for (qsizetype i = before; i < talk.received.size(); ++i) {
        EXPECT_FALSE(talk.received[i].contains(
            QByteArray(reinterpret_cast<const char*>(kUnitA.bytes.data()), 16)));
    }
    EXPECT_FALSE(talk.modelOf(kUnitA).has_value());
}

TEST_F(NetworkE2e, WithdrawalEndsTheSessionsConnection) {
    startEmulator(QStringList{"network", "--data-port", "17321", "--withdraw-after", "3"} +
                  unitArgs(12, kUnitA));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Session session(ui, SessionPaths{folder.path().toStdString(), folder.path().toStdString()});
    session.state().networkMode = true;
    session.command(103);
    ASSERT_TRUE(session.state().isConnected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.discovered().count() == 1; }, 5000));

    // The daemon withdraws: its units are dropped and Connect/Disconnect runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.state().isConnected; }, 8000));
    EXPECT_TRUE(session.discovered().empty());
    EXPECT_FALSE(session.links().network().isOpen());
}

} // namespace
