// varento-emu network, end to end over real UDP multicast, inside the private
// network namespace that ./test makes (skipped elsewhere).
#include "emu_process.h"

#include "support/frames.h"
#include "support/netns.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

using namespace varento;
using namespace varento::testing;

namespace {

const QHostAddress kGroup(QStringLiteral("224.7.7.7"));
const DeviceUid kA = uidOf(1);
const DeviceUid kB = uidOf(2);
const QStringList kUnits{"--daemons", "2",
                         "--unit",    "12:0102030405060708090A0B0C0D0E0F00:6.6@0",
                         "--unit",    "11:02030405060708090A0B0C0D0E0F0001:4.6@1"};

// Bound, joined and looped back as the application sets up its sockets.
struct GroupSocket : QUdpSocket {
    explicit GroupSocket(quint16 p) : port(p) {
        EXPECT_TRUE(bind(QHostAddress::AnyIPv4, port, ShareAddress | ReuseAddressHint));
        EXPECT_TRUE(joinMulticastGroup(kGroup));
        setSocketOption(MulticastLoopbackOption, QVariant(1));
    }
    void send(const QByteArray& datagram) { writeDatagram(datagram, kGroup, port); }
    void sendFrame(const Bytes& f) {
        send('O' +
             QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size())));
    }
    // The next datagram that starts with `prefix`; empty on time-out.
    QByteArray next(const QByteArray& prefix, int timeoutMs = 3000) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            while (hasPendingDatagrams()) {
                const QByteArray d = receiveDatagram().data();
                if (d.startsWith(prefix)) {
                    return d;
                }
            }
            if (deadline.hasExpired()) {
                break;
            }
            waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
        }
        return {};
    }
    Bytes nextFrame(int timeoutMs = 3000) {
        const QByteArray d = next("I", timeoutMs);
        return d.isEmpty() ? Bytes{} : Bytes(d.begin() + 1, d.end());
    }
    quint16 port;
};

} // namespace

TEST(Network, DaemonsAnnounceServeTheirUnitsAndWithdrawAtTheEnd) {
    VARENTO_REQUIRE_NETNS();
    ensureCoreApplication();
    GroupSocket control(7777), data0(7778), data1(7779);
    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start(QStringList{"network", "--trace"} + kUnits, why)) << why.toStdString();

    control.send("QQ");
    EXPECT_EQ((QSet<QByteArray>{control.next("QR"), control.next("QR")}),
              (QSet<QByteArray>{"QR7778", "QR7779"}));

    // Discovery on each data port lists the units behind that daemon only.
    data0.sendFrame(frameOf(DeviceUid::broadcast(), 0x0E));
    Bytes list = data0.nextFrame();
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(Bytes(list.begin() + 18, list.begin() + 34), Bytes(kA.bytes.begin(), kA.bytes.end()));
    data1.sendFrame(frameOf(DeviceUid::broadcast(), 0x0E));
    list = data1.nextFrame();
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(list[34], 11);

    // A set, then the next reply shows it; each reply is one "I" datagram.
    data0.sendFrame(frameOf(kA, 0x20, {6, 44}));
    data0.sendFrame(frameOf(kA, 0x10));
    const Bytes params = data0.nextFrame();
    ASSERT_EQ(params.size(), 75u);
    EXPECT_EQ(params[18 + 2 * 6 + 1], 44);
    data0.sendFrame(frameOf(kA, 0x12));
    EXPECT_EQ(data0.nextFrame().size(), 787u);
    data1.sendFrame(frameOf(kB, 0x11));
    EXPECT_EQ(data1.nextFrame().size(), 147u);
    data1.sendFrame(frameOf(kA, 0x10)); // A is not behind daemon 1
    EXPECT_TRUE(data1.nextFrame(300).empty());

    // SIGUSR1 withdraws one daemon at a time; the end withdraws the rest.
    ::kill(static_cast<pid_t>(emu.process().processId()), SIGUSR1);
    EXPECT_EQ(control.next("VV"), "VV7778");
    EXPECT_EQ(emu.terminate(), 0);
    EXPECT_EQ(control.next("VV"), "VV7779");
    EXPECT_TRUE(control.next("VV", 300).isEmpty());
    EXPECT_FALSE(
        emu.waitForLine(
               "<- daemon 0 port 7778 set parameters 0102030405060708090A0B0C0D0E0F00: 6=0x2C", 0)
            .isNull());
}

TEST(Network, FaultsDelayRepliesAndWithdrawADaemonEarly) {
    VARENTO_REQUIRE_NETNS();
    ensureCoreApplication();
    GroupSocket control(7777), data0(7778), data1(7779);
    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start(
        QStringList{"network", "--delay", "250", "--withdraw-after", "1:1"} + kUnits, why))
        << why.toStdString();
    QElapsedTimer clock;
    clock.start();
    data0.sendFrame(frameOf(kA, 0x13));
    EXPECT_EQ(data0.nextFrame().size(), 275u);
    EXPECT_GE(clock.elapsed(), 240);

    EXPECT_EQ(control.next("VV", 5000), "VV7779"); // without being stopped
    control.send("QQ");
    EXPECT_EQ(control.next("QR"), "QR7778");
    EXPECT_TRUE(control.next("QR", 500).isEmpty()); // daemon 1 is gone
    data1.sendFrame(frameOf(kB, 0x10));
    EXPECT_TRUE(data1.nextFrame(600).empty());
    EXPECT_EQ(emu.terminate(), 0);
    EXPECT_EQ(control.next("VV"), "VV7778");
    EXPECT_TRUE(control.next("VV", 300).isEmpty()); // daemon 1 said goodbye only once
}

TEST(Network, ABusyPortIsReported) {
    VARENTO_REQUIRE_NETNS();
    ensureCoreApplication();
    QUdpSocket blocker; // not shared, so no daemon can bind beside it
    ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, 7790, QUdpSocket::DontShareAddress));
    EmuProcess emu;
    QString why;
    EXPECT_FALSE(emu.start({"network", "--data-port", "7790"}, why, 3000));
    EXPECT_TRUE(why.contains("cannot bind UDP port 7790")) << why.toStdString();
    emu.process().waitForFinished(3000);
    EXPECT_EQ(emu.process().exitCode(), 1);
}
