// The network link on a machine with more than one network: a second namespace
// behind veth pairs holds the daemon. Everything lives inside the test's private
// namespace, whose default multicast route (lo) does not lead to the daemon.
#include "e2e_support.h"
#include "links/group_interfaces.h"
#include "links/network_link.h"
#include "support/fake_daemon.h"
#include "support/far_namespace.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"
#include "support/wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr LinkFlags kNetwork{0, 1};

int interfaceIndex(const QString& name) {
    return QNetworkInterface::interfaceFromName(name).index();
}

bool carriesGroupNow(const QString& name) {
    return containsInterface(groupInterfaces(), interfaceIndex(name));
}

TEST(GroupInterfaces, OnlyUpRunningMulticastInterfacesWithIpv4CarryTheGroup) {
    using I = QNetworkInterface;
    const I::InterfaceFlags usable = I::IsUp | I::IsRunning | I::CanMulticast;
    EXPECT_TRUE(carriesGroup(usable, true));
    EXPECT_TRUE(carriesGroup(usable | I::IsLoopBack, true));
    EXPECT_FALSE(carriesGroup(usable, false));
    for (const I::InterfaceFlag missing : {I::IsUp, I::IsRunning, I::CanMulticast}) {
        I::InterfaceFlags flags = usable;
        EXPECT_FALSE(carriesGroup(flags.setFlag(missing, false), true)) << missing;
    }
}

class NetworkInterfaces : public ::testing::Test {
protected:
    void SetUp() override {
        VARENTO_REQUIRE_NETNS();
        if (!far.start()) {
            GTEST_SKIP() << far.problem();
        }
        link.setQueryBurst(10, 10);
        link.setInterfaceRescanInterval(50);
    }

    void TearDown() override { link.close(); }

    // A veth pair: the near end here (up or not), the far end there (up).
    bool addNetwork(const QString& name, const QString& subnet, bool nearUp) {
        return far.addVeth(name + "0", name + "1") &&
               far.configure(true, name + "0", subnet + ".1/24", nearUp) &&
               far.configure(false, name + "1", subnet + ".2/24", true);
    }

    // varento-emu with one unit in the far namespace, its group traffic on `device`.
    void startFarDaemon(const QString& device, int port) {
        ASSERT_TRUE(far.there({"route", "add", "224.0.0.0/4", "dev", device})) << far.problem();
        ASSERT_TRUE(emulator.start(QStringList{"network", "--data-port", QString::number(port)} +
                                       unitArgs(12, kUnitA),
                                   10000, far.enter()))
            << emulator.problem();
    }

    int connectLink() {
        QSignalSpy opened(&link, &NetworkLink::opened);
        if (link.open() != 0) {
            return -1;
        }
        return opened.wait(5000) ? opened.at(0).at(0).toInt() : -2;
    }

    FarNamespace far;
    EmulatorProcess emulator; // stopped before the namespace goes
    ScriptedInteraction ui;
    NetworkLink link{ui};
};

TEST_F(NetworkInterfaces, FindsAndTalksToADaemonReachableOnlyThroughASecondInterface) {
    if (!addNetwork("vra", "10.77.0", true)) {
        GTEST_SKIP() << "cannot build a second network: " << far.problem();
    }
    startFarDaemon("vra1", 17401);
    ASSERT_EVENTUALLY(carriesGroupNow("vra0"), 5000);

    ASSERT_EQ(connectLink(), 0);
    EXPECT_EQ(link.joinedInterfaces().size(), 2u); // lo and vra0
    ASSERT_EQ(link.daemons().count(), 1);
    EXPECT_EQ(link.daemons().portAt(0), 17401);
    ASSERT_TRUE(link.isActive());

    // The requests must leave through vra0: out of the default one they are lost.
    Conversation talk(link, kNetwork);
    EXPECT_EQ(talk.discover(), std::vector<DeviceUid>{kUnitA});
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(NetworkInterfaces, FollowsAnInterfaceThatComesAndGoesWhileOpen) {
    if (!addNetwork("vrb", "10.77.1", false)) {
        GTEST_SKIP() << "cannot build a second network: " << far.problem();
    }
    startFarDaemon("vrb1", 17411);
    QSignalSpy status(&link, &NetworkLink::statusText);
    ASSERT_EQ(connectLink(), 0);
    EXPECT_EQ(status.last().at(0).toString(), "No Ravnet Daemon found");

    // Plugged in while searching: joined and asked, and the daemon behind it answers.
    QSignalSpy announced(&link, &NetworkLink::daemonAnnounced);
    ASSERT_TRUE(far.here({"link", "set", "vrb0", "up"})) << far.problem();
    ASSERT_TRUE(announced.wait(5000));
    ASSERT_EQ(link.daemons().count(), 1);
    ASSERT_EQ(link.selectDaemon(0), 0);
    Conversation talk(link, kNetwork);
    EXPECT_EQ(talk.discover(), std::vector<DeviceUid>{kUnitA});

    // Unplugged: left without a word. Plugged again: joined again, and the daemon
    // is reached through it as before.
    const int vrb0 = interfaceIndex("vrb0");
    ASSERT_TRUE(far.here({"link", "set", "vrb0", "down"})) << far.problem();
    ASSERT_EVENTUALLY(!containsInterface(link.joinedInterfaces(), vrb0), 5000);
    EXPECT_TRUE(link.isOpen());
    ASSERT_TRUE(far.here({"link", "set", "vrb0", "up"})) << far.problem();
    ASSERT_EVENTUALLY(containsInterface(link.joinedInterfaces(), vrb0), 5000);
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    EXPECT_EQ(link.daemons().count(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

// A laptop's wired and wireless cards on one network: each datagram of the daemon
// arrives through both.
TEST_F(NetworkInterfaces, ADaemonHeardThroughTwoInterfacesIsOneEntryAndEachReplyArrivesOnce) {
    const bool built = far.there({"link", "add", "vrcbr", "type", "bridge"}) &&
                       far.addVeth("vrca0", "vrca1") && far.addVeth("vrcb0", "vrcb1") &&
                       far.there({"link", "set", "vrca1", "master", "vrcbr", "up"}) &&
                       far.there({"link", "set", "vrcb1", "master", "vrcbr", "up"}) &&
                       far.configure(false, "vrcbr", "10.77.2.2/24", true) &&
                       far.configure(true, "vrca0", "10.77.2.1/24", true) &&
                       far.configure(true, "vrcb0", "10.77.2.3/24", true);
    if (!built) {
        GTEST_SKIP() << "cannot build a bridged network: " << far.problem();
    }
    startFarDaemon("vrcbr", 17421);
    ASSERT_EVENTUALLY(carriesGroupNow("vrca0") && carriesGroupNow("vrcb0"), 5000);

    // What the network delivers on the daemon's data port, seen beside the link.
    auto probe = groupSocket(17421);
    ASSERT_NE(probe, nullptr);
    for (const char* name : {"vrca0", "vrcb0"}) {
        ASSERT_TRUE(
            probe->joinMulticastGroup(daemonGroup(), QNetworkInterface::interfaceFromName(name)));
    }
    int listsOnTheWire = 0;
    QObject::connect(probe.get(), &QUdpSocket::readyRead, [&] {
        while (probe->hasPendingDatagrams()) {
            const QByteArray d = probe->receiveDatagram().data();
            listsOnTheWire += d.startsWith('I') && commandOf(d.mid(1)) == cmd::discover ? 1 : 0;
        }
    });

    ASSERT_EQ(connectLink(), 0);
    EXPECT_EQ(link.daemons().count(), 1); // every answer came twice
    Conversation talk(link, kNetwork);
    EXPECT_EQ(talk.discover(), std::vector<DeviceUid>{kUnitA});
    // A later reply: by then the second copy of the list has come and gone.
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    ASSERT_EVENTUALLY(listsOnTheWire >= 2, 2000);
    EXPECT_EQ(listsOnTheWire, 2); // the request went out once, its reply came twice
    EXPECT_EQ(std::count_if(talk.received.begin(), talk.received.end(),
                            [](const QByteArray& f) { return commandOf(f) == cmd::discover; }),
              1);

    // The card it answered through is unplugged: it is asked for again through the
    // other one, which carries on.
    const QString used = QNetworkInterface::interfaceNameFromIndex(link.interfaceOf(0));
    const QString other = used == "vrca0" ? "vrcb0" : "vrca0";
    ASSERT_TRUE(far.here({"link", "set", used, "down"})) << far.problem();
    ASSERT_EVENTUALLY(link.interfaceOf(0) == interfaceIndex(other), 5000);
    const qsizetype before = talk.received.size();
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    EXPECT_EQ(talk.received.size() - before, 1);
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
