// The network link against daemons played by the test, inside the private
// network namespace.
#include "links/network_link.h"
#include "support/fake_daemon.h"
#include "support/frames.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using namespace varento;
using namespace varento::testing;

namespace {

QByteArray qbytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

std::span<const std::uint8_t> spanOf(const Bytes& b) {
    return b;
}

QStringList texts(const QSignalSpy& spy) {
    QStringList out;
    for (const auto& args : spy) {
        out << args.at(0).toString();
    }
    return out;
}

// Lets a test make one control socket read fail, as a socket error would.
class FaultyReadLink : public NetworkLink {
public:
    using NetworkLink::NetworkLink;
    bool failNextControlRead = false;

protected:
    QNetworkDatagram receiveDatagram(QUdpSocket& socket, qint64 maxSize) override {
        QNetworkDatagram got = NetworkLink::receiveDatagram(socket, maxSize);
        if (failNextControlRead && socket.localPort() == kControlPort) {
            failNextControlRead = false;
            return {};
        }
        return got;
    }
};

// Counts the queued calls the link receives: each further turn of a reader is one.
class QueuedCallCounter : public QObject {
public:
    int calls = 0;
    std::function<void()> onCall;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) {
            ++calls;
            if (onCall) {
                onCall();
            }
        }
        return false;
    }
};

class NetworkLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        VARENTO_REQUIRE_NETNS();
        diagnostics = std::tmpfile();
        ASSERT_NE(diagnostics, nullptr);
        link.setDiagnosticStream(diagnostics);
        link.setQueryBurst(5, 5);
    }

    void TearDown() override {
        link.close();
        if (diagnostics != nullptr) {
            std::fclose(diagnostics);
        }
    }

    std::string diagnosticText() {
        std::fflush(diagnostics);
        std::rewind(diagnostics);
        std::string text;
        for (int c; (c = std::fgetc(diagnostics)) != EOF;) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }

    int openAndWait() {
        QSignalSpy opened(&link, &NetworkLink::opened);
        if (link.open() != 0) {
            return -1;
        }
        if (!opened.wait(3000)) {
            ADD_FAILURE() << "no end of the query burst";
            return -2;
        }
        return opened.at(0).at(0).toInt();
    }

    ScriptedInteraction ui;
    FaultyReadLink link{ui};
    QSignalSpy frames{&link, &NetworkLink::frameReceived};
    QSignalSpy status{&link, &NetworkLink::statusText};
    QSignalSpy announced{&link, &NetworkLink::daemonAnnounced};
    QSignalSpy withdrawn{&link, &NetworkLink::daemonWithdrawn};
    std::FILE* diagnostics = nullptr;
};

TEST_F(NetworkLinkTest, FindsTheDaemonAndCarriesFramesBothWays) {
    FakeDaemon daemon(17001);
    ASSERT_TRUE(daemon.ok());
    ASSERT_EQ(openAndWait(), 0);

    EXPECT_EQ(daemon.queries, 5);
    EXPECT_EQ(texts(status),
              (QStringList{"Opening Network socket...", "Connecting to Ravnet Daemon...",
                           "Connecting to Ravnet Daemon on port 17001."}));
    EXPECT_TRUE(link.isActive());
    EXPECT_EQ(link.daemons().count(), 1);
    EXPECT_EQ(link.daemons().portAt(0), 17001);
    EXPECT_TRUE(ui.messages.empty());

    // A full routing frame leaves as a 788-byte "O" datagram.
    Bytes routing = header(uidOf(2), 0x22);
    routing.resize(786, 0x05);
    routing.push_back(0xF7);
    ASSERT_EQ(link.send(spanOf(routing)), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !daemon.received.empty(); }, 2000));
    EXPECT_EQ(daemon.received.front(), "O" + qbytes(routing));

    // The link's own "O" looped back is dropped; "I" frames come through whole,
    // also one of the letter alone.
    const Bytes reply = frameOf(uidOf(2), 0x30, {0, 3});
    daemon.deliver(qbytes(reply));
    daemon.deliver({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.size() == 2; }, 2000));
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), qbytes(reply));
    EXPECT_EQ(frames.at(1).at(0).toByteArray(), QByteArray());
}

TEST_F(NetworkLinkTest, WithoutADaemonItKeepsSearchingAndLaterAnnouncementsCount) {
    FakeDaemon late(17002, /*answerQueries=*/false);
    ASSERT_TRUE(late.ok());
    ASSERT_EQ(openAndWait(), 0);

    EXPECT_EQ(texts(status).last(), "No Ravnet Daemon found");
    EXPECT_TRUE(link.isOpen());
    EXPECT_FALSE(link.isActive());
    const Bytes request = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link.send(spanOf(request)), -1); // no daemon to send to

    late.announce();
    ASSERT_TRUE(announced.wait(2000));
    EXPECT_EQ(link.daemons().portAt(0), 17002);
    EXPECT_EQ(link.send(spanOf(request)), 0);
}

TEST_F(NetworkLinkTest, SelectDaemonSwitchesDeliveryAndDropsTheOldDaemonsFrames) {
    FakeDaemon a(17011);
    ASSERT_EQ(openAndWait(), 0);
    FakeDaemon b(17012, false);
    b.announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 2; }, 2000));
    ASSERT_EQ(link.selectedDaemon(), 0);

    const QByteArray fromA = qbytes(frameOf(uidOf(1), 0x30, {0, 1}));
    const QByteArray fromB = qbytes(frameOf(uidOf(2), 0x30, {0, 2}));
    b.deliver(fromB); // not selected: never delivered
    a.deliver(fromA);
    ASSERT_TRUE(frames.wait(2000));
    EXPECT_EQ(frames.takeFirst().at(0).toByteArray(), fromA);

    // A frame of A still waiting in its socket when B is selected must not arrive.
    a.deliver(fromA);
    ASSERT_EQ(link.selectDaemon(1), 0);
    EXPECT_EQ(texts(status).last(), "Connected to Ravnet Daemon on port 17012");
    b.deliver(fromB);
    ASSERT_TRUE(frames.wait(2000));
    QCoreApplication::processEvents();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), fromB);

    const Bytes request = frameOf(uidOf(2), 0x10);
    ASSERT_EQ(link.send(spanOf(request)), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b.received.empty(); }, 2000));
    EXPECT_TRUE(a.received.empty());

    EXPECT_EQ(link.selectDaemon(5), -1); // no daemon there: nothing changes
    EXPECT_EQ(link.selectedDaemon(), 1);
}

TEST_F(NetworkLinkTest, WithdrawalFreesItsEntryInPlaceAndRequestsTheDisconnect) {
    FakeDaemon a(17021);
    ASSERT_EQ(openAndWait(), 0);
    FakeDaemon b(17022, false);
    FakeDaemon c(17023, false);
    b.announce();
    c.announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 3; }, 2000));

    b.withdraw();
    ASSERT_TRUE(withdrawn.wait(2000));
    EXPECT_EQ(withdrawn.takeFirst().at(0).toInt(), 1);
    EXPECT_EQ(texts(status).last(), "Connection to Ravnet daemon terminated!");
    EXPECT_EQ(link.daemons().count(), 2);
    EXPECT_EQ(link.daemons().portAt(0), 17021);
    EXPECT_EQ(link.daemons().portAt(2), 17023); // still where its units point

    // A new daemon takes the free entry and overwrites nobody.
    FakeDaemon d(17024, false);
    d.announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 3; }, 2000));
    EXPECT_EQ(link.daemons().portAt(1), 17024);
    EXPECT_EQ(link.daemons().portAt(2), 17023);

    // Frames of the daemon in entry 2 still reach the handler once selected.
    ASSERT_EQ(link.selectDaemon(2), 0);
    c.deliver(qbytes(frameOf(uidOf(3), 0x30)));
    EXPECT_TRUE(frames.wait(2000));

    // A withdrawal nobody announced still ends the connection, removing nothing.
    a.control("VV17999");
    ASSERT_TRUE(withdrawn.wait(2000));
    EXPECT_EQ(withdrawn.takeFirst().at(0).toInt(), -1);
    EXPECT_EQ(link.daemons().count(), 3);
}

TEST_F(NetworkLinkTest, AnAnnouncementSelectsTheFirstLiveDaemonAfterEntryZeroWithdrew) {
    FakeDaemon a(17031);
    ASSERT_EQ(openAndWait(), 0);
    FakeDaemon b(17032, false);
    b.announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 2; }, 2000));
    a.withdraw();
    ASSERT_TRUE(withdrawn.wait(2000));
    announced.clear();
    b.announce();
    ASSERT_TRUE(announced.wait(2000));
    EXPECT_EQ(announced.at(0).at(0).toInt(), 1);
    EXPECT_EQ(link.selectedDaemon(), 1);
    const Bytes request = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link.send(spanOf(request)), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b.received.empty(); }, 2000));
}

TEST_F(NetworkLinkTest, TheThirtyThirdDaemonIsRefused) {
    FakeDaemon first(17100);
    ASSERT_EQ(openAndWait(), 0);
    for (int port = 17101; port <= 17132; ++port) {
        first.control("QR" + QByteArray::number(port));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 32; }, 3000));
    // Datagrams are read in order: once a withdrawal sent after the 33rd is in,
    // the 33rd has had its turn.
    first.control("VV17131");
    ASSERT_TRUE(withdrawn.wait(2000));
    EXPECT_EQ(withdrawn.last().at(0).toInt(), 31);
    EXPECT_EQ(link.daemons().indexOf(17132), -1);
    EXPECT_EQ(link.daemons().count(), 31);
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(link.daemons().portAt(i), 17100 + i);
    }
}

TEST_F(NetworkLinkTest, MalformedControlDatagramsChangeNothing) {
    FakeDaemon daemon(17041);
    ASSERT_EQ(openAndWait(), 0);
    FakeDaemon other(17042, false);
    other.announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.daemons().count() == 2; }, 2000));
    ASSERT_EQ(link.selectDaemon(1), 0);
    announced.clear();

    for (const char* junk : {"QR", "QRabc", "QR-17041", "QR0", "QR99999999999", "VV", "VVx", "VV-1",
                             "Q", "QX17041", "", "I\xF0", "O\xF0"}) {
        daemon.control(junk);
    }
    // A repeat of a known daemon (another computer's query answered) keeps the
    // daemon in use; a well-formed new announcement sent last marks the end.
    daemon.control("QR17041");
    daemon.control("QR17042");
    daemon.control("QR  +17043 trailing text");
    ASSERT_TRUE(announced.wait(2000));
    EXPECT_EQ(announced.size(), 1);
    EXPECT_EQ(announced.at(0).at(0).toInt(), 2);
    EXPECT_TRUE(withdrawn.isEmpty());
    EXPECT_EQ(link.daemons().count(), 3);
    // A new daemon (a second computer's) leaves the daemon in use selected.
    EXPECT_EQ(link.selectedDaemon(), 1);
    EXPECT_TRUE(ui.messages.empty());

    // A repeat while the daemon in use lives changes nothing; the withdrawal of
    // the third daemon marks its end.
    ASSERT_EQ(link.selectDaemon(1), 0);
    daemon.control("QR17041");
    daemon.control("VV17043");
    ASSERT_TRUE(withdrawn.wait(2000));
    EXPECT_EQ(link.selectedDaemon(), 1);
    EXPECT_EQ(announced.size(), 1);
}

TEST_F(NetworkLinkTest, SocketSetUpFailuresAreReportedAndAddNothing) {
    // A port bound without address reuse cannot be shared.
    {
        QUdpSocket holder;
        ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 17051, QAbstractSocket::DontShareAddress));
        FakeDaemon daemon(17052);
        ASSERT_EQ(openAndWait(), 0);
        daemon.control("QR17051");
        daemon.control("QR17052");
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return diagnosticText() == "Failed to bind socket\n"; }, 2000));
        EXPECT_EQ(link.daemons().indexOf(17051), -1);
        EXPECT_EQ(link.daemons().count(), 1);
        link.close();
    }

    QUdpSocket controlHolder;
    ASSERT_TRUE(controlHolder.bind(QHostAddress::AnyIPv4, NetworkLink::kControlPort,
                                   QAbstractSocket::DontShareAddress));
    EXPECT_EQ(link.open(), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Network Error");
    EXPECT_EQ(ui.messages[0].text, "Unable to open network socket!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(NetworkLinkTest, CloseEndsEverythingAndTheLinkOpensAgain) {
    FakeDaemon daemon(17061);
    ASSERT_EQ(openAndWait(), 0);
    link.close();
    EXPECT_EQ(texts(status).last(), "Not connected");
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isActive());
    EXPECT_EQ(link.daemons().count(), 0);
    const Bytes request = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link.send(spanOf(request)), -1);

    status.clear();
    link.close(); // not open: nothing, not even the status
    EXPECT_TRUE(status.isEmpty());

    daemon.deliver(qbytes(request));
    ASSERT_EQ(openAndWait(), 0);
    EXPECT_TRUE(link.isActive());
    daemon.deliver(qbytes(frameOf(uidOf(1), 0x30)));
    ASSERT_TRUE(frames.wait(2000));
    EXPECT_EQ(frames.size(), 1); // nothing from before the reopen
}

TEST_F(NetworkLinkTest, AfterAControlReadFailureTheControlSocketIsNoLongerRead) {
    FakeDaemon daemon(17071);
    ASSERT_EQ(openAndWait(), 0);
    QueuedCallCounter turns;
    link.installEventFilter(&turns);

    link.failNextControlRead = true;
    daemon.control("QR17072");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.messages.empty(); }, 2000));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Network Error");
    EXPECT_EQ(ui.messages[0].text, "Network read failed!");

    // More datagrams wait on the socket; a reader that keeps being queued for
    // them would spin a core until Disconnect.
    for (int i = 0; i < 20; ++i) {
        daemon.control("QR" + QByteArray::number(17073 + i));
    }
    // A spinning reader shows within a few milliseconds of a free-running loop.
    constexpr int kTurnBound = 50;
    QEventLoop loop;
    turns.onCall = [&] {
        if (turns.calls > kTurnBound) {
            loop.quit();
        }
    };
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_LE(turns.calls, kTurnBound);
    EXPECT_EQ(link.daemons().count(), 1); // nothing read after the failure
    EXPECT_TRUE(link.isActive());         // the daemon's data still flows
    daemon.deliver(qbytes(frameOf(uidOf(1), 0x30)));
    EXPECT_TRUE(frames.wait(2000));

    // Connect starts the control reading afresh.
    link.close();
    link.removeEventFilter(&turns);
    ASSERT_EQ(openAndWait(), 0);
    announced.clear();
    daemon.control("QR17099");
    ASSERT_TRUE(announced.wait(2000));
    EXPECT_EQ(link.daemons().count(), 2);
    EXPECT_EQ(ui.messages.size(), 1u);
}

} // namespace
