// varento-emu network, end to end over real UDP multicast, inside the private
// network namespace that ./test makes (skipped elsewhere).
#include "emu_process.h"

#include "protocol/frame.h"
#include "support/frames.h"
#include "support/netns.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QRegularExpression>
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
const QString kUnitA = QStringLiteral("12:0102030405060708090A0B0C0D0E0F00:6.6@0");
const QString kUnitB = QStringLiteral("11:02030405060708090A0B0C0D0E0F0001:4.6@1");

// A socket set up as the application sets up its own.
std::unique_ptr<QUdpSocket> groupSocket(quint16 port) {
    auto s = std::make_unique<QUdpSocket>();
    EXPECT_TRUE(s->bind(QHostAddress::AnyIPv4, port,
                        QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    EXPECT_TRUE(s->joinMulticastGroup(kGroup));
    s->setSocketOption(QAbstractSocket::MulticastLoopbackOption, QVariant(1));
    return s;
}

// The next datagram that starts with `prefix`, within the time limit.
QByteArray next(QUdpSocket& s, const QByteArray& prefix, int timeoutMs = 3000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        while (s.hasPendingDatagrams()) {
            const QByteArray d = s.receiveDatagram().data();
            if (d.startsWith(prefix)) {
                return d;
            }
        }
        s.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    return {};
}

QByteArray dataDatagram(const Bytes& frame) {
    return QByteArray(1, 'O') + QByteArray(reinterpret_cast<const char*>(frame.data()),
                                           static_cast<qsizetype>(frame.size()));
}

Bytes frameIn(const QByteArray& datagram) {
    return Bytes(datagram.begin() + 1, datagram.end());
}

class Network : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
    }
};

} // namespace

TEST_F(Network, DaemonsAnnounceServeTheirUnitsAndWithdrawAtTheEnd) {
    VARENTO_REQUIRE_NETNS();
    auto control = groupSocket(7777);
    auto data0 = groupSocket(7778);
    auto data1 = groupSocket(7779);
    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start(
        {"network", "--daemons", "2", "--unit", kUnitA, "--unit", kUnitB, "--trace"}, why))
        << why.toStdString();

    control->writeDatagram("QQ", kGroup, 7777);
    QSet<QByteArray> announced;
    for (int i = 0; i < 2; ++i) {
        announced << next(*control, "QR");
    }
    EXPECT_EQ(announced, (QSet<QByteArray>{"QR7778", "QR7779"}));

    // Discovery on each data port lists the units behind that daemon only.
    const Bytes discover = frameOf(DeviceUid::broadcast(), 0x0E);
    data0->writeDatagram(dataDatagram(discover), kGroup, 7778);
    Bytes list = frameIn(next(*data0, "I"));
    ASSERT_EQ(list.size(), 18u + 19u + 1u);
    EXPECT_EQ(Bytes(list.begin() + 18, list.begin() + 34), Bytes(kA.bytes.begin(), kA.bytes.end()));
    EXPECT_EQ(list[34], 12);
    data1->writeDatagram(dataDatagram(discover), kGroup, 7779);
    list = frameIn(next(*data1, "I"));
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(Bytes(list.begin() + 18, list.begin() + 34), Bytes(kB.bytes.begin(), kB.bytes.end()));

    // A set, then the next reply shows it; each reply is one "I" datagram.
    data0->writeDatagram(dataDatagram(frameOf(kA, 0x20, {6, 44})), kGroup, 7778);
    data0->writeDatagram(dataDatagram(frameOf(kA, 0x10)), kGroup, 7778);
    const Bytes params = frameIn(next(*data0, "I"));
    ASSERT_EQ(params.size(), 75u);
    EXPECT_EQ(params[17], 0x30);
    EXPECT_EQ(params[18 + 2 * 6], 6);
    EXPECT_EQ(params[18 + 2 * 6 + 1], 44);
    data0->writeDatagram(dataDatagram(frameOf(kA, 0x12)), kGroup, 7778);
    EXPECT_EQ(next(*data0, "I").size(), 788);
    data1->writeDatagram(dataDatagram(frameOf(kB, 0x11)), kGroup, 7779);
    EXPECT_EQ(next(*data1, "I").size(), 148);
    data1->writeDatagram(dataDatagram(frameOf(kA, 0x10)), kGroup, 7779); // A is not behind daemon 1
    EXPECT_TRUE(next(*data1, "I", 300).isEmpty());

    EXPECT_EQ(emu.terminate(), 0);
    QSet<QByteArray> withdrawn;
    for (int i = 0; i < 2; ++i) {
        withdrawn << next(*control, "VV");
    }
    EXPECT_EQ(withdrawn, (QSet<QByteArray>{"VV7778", "VV7779"}));
    EXPECT_TRUE(emu.lines()
                    .filter(QRegularExpression(
                        "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} <- daemon 0 port 7778 set parameters "
                        "0102030405060708090A0B0C0D0E0F00: 6=0x2C"))
                    .size() == 1)
        << emu.lines().join('\n').toStdString();
    EXPECT_TRUE(emu.sawLineContaining(
        QStringLiteral("-> daemon 1 port 7779 levels 02030405060708090A0B0C0D0E0F0001")));
}

TEST_F(Network, FaultsDelayRepliesAndWithdrawADaemonEarly) {
    VARENTO_REQUIRE_NETNS();
    auto control = groupSocket(7777);
    auto data0 = groupSocket(7778);
    auto data1 = groupSocket(7779);
    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start({"network", "--daemons", "2", "--unit", kUnitA, "--unit", kUnitB,
                           "--delay", "250", "--withdraw-after", "1:1"},
                          why))
        << why.toStdString();
    QElapsedTimer clock;
    clock.start();
    data0->writeDatagram(dataDatagram(frameOf(kA, 0x13)), kGroup, 7778);
    const QByteArray gains = next(*data0, "I");
    EXPECT_EQ(gains.size(), 276);
    EXPECT_GE(clock.elapsed(), 240);

    EXPECT_EQ(next(*control, "VV", 5000), "VV7779"); // without being stopped
    control->writeDatagram("QQ", kGroup, 7777);
    EXPECT_EQ(next(*control, "QR"), "QR7778");
    EXPECT_TRUE(next(*control, "QR", 500).isEmpty()); // daemon 1 is gone
    data1->writeDatagram(dataDatagram(frameOf(kB, 0x10)), kGroup, 7779);
    EXPECT_TRUE(next(*data1, "I", 600).isEmpty());
    EXPECT_EQ(emu.terminate(), 0);
    EXPECT_EQ(next(*control, "VV"), "VV7778");
    EXPECT_TRUE(next(*control, "VV", 300).isEmpty()); // daemon 1 said goodbye only once
}

TEST_F(Network, ABusyPortIsReportedAndTheExitCodeSaysSo) {
    VARENTO_REQUIRE_NETNS();
    QUdpSocket blocker; // bound without sharing, so the daemon cannot share it
    ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, 7790, QUdpSocket::DontShareAddress));
    EmuProcess emu;
    QString why;
    EXPECT_FALSE(emu.start({"network", "--data-port", "7790"}, why, 3000));
    emu.process().waitForFinished(3000);
    EXPECT_EQ(emu.process().exitCode(), 1);
    EXPECT_TRUE(why.contains("cannot bind UDP port 7790")) << why.toStdString();
}
