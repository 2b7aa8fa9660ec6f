// varento-emu serial, end to end over pseudo-terminals: its own (--pty) and one
// side of a socat pair, opened the way the application opens a serial port.
#include "emu_process.h"

#include "unit/frame_assembler.h"

#include "support/frames.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::emu;
using namespace varento::testing;

namespace {

const DeviceUid kUnit = uidOf(3);
const QString kUnitArg = QStringLiteral("12:030405060708090A0B0C0D0E0F000102:6.6");

class Serial : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }

    bool open(const QString& path) {
        port.setPortName(path);
        return port.open(QIODevice::ReadWrite);
    }

    void send(const Bytes& frame) {
        port.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
        port.waitForBytesWritten(1000);
    }

    // The next complete frame from the line; empty on time-out.
    Frame receive(int timeoutMs = 3000) {
        QDeadlineTimer deadline(timeoutMs);
        while (frames.empty() && !deadline.hasExpired()) {
            if (port.bytesAvailable() > 0 || port.waitForReadyRead(static_cast<int>(
                                                 std::max<qint64>(deadline.remainingTime(), 1)))) {
                const QByteArray b = port.readAll();
                ++reads;
                for (auto& f :
                     assembler.feed(std::span(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                              static_cast<std::size_t>(b.size())))) {
                    frames.push_back(std::move(f));
                }
            }
        }
        if (frames.empty()) {
            return {};
        }
        Frame f = frames.front();
        frames.erase(frames.begin());
        return f;
    }

    QSerialPort port;
    FrameAssembler assembler;
    std::vector<Frame> frames;
    int reads = 0;
};

} // namespace

TEST_F(Serial, OwnPseudoTerminalCarriesDiscoveryRequestsAndSets) {
    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start({"serial", "--pty", "--unit", kUnitArg, "--trace"}, why))
        << why.toStdString();
    const QString path = emu.waitForLine("serial: ").section(' ', 1, 1);
    ASSERT_TRUE(open(path)) << path.toStdString() << ": " << port.errorString().toStdString();

    send(frameOf(DeviceUid::broadcast(), 0x0E));
    const Frame list = receive();
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(list[34], 12);

    // The calibration message ends in 0x7F, and the request follows without a pause.
    Bytes both = header(kUnit, 0x20);
    both.insert(both.end(), {9, 0x11, 10, 0x22, 11, 0x10, 12, 0x05, 18, 0x40, 0x7F});
    const Bytes request = frameOf(kUnit, 0x10);
    both.insert(both.end(), request.begin(), request.end());
    send(both);
    const Frame params = receive();
    ASSERT_EQ(params.size(), 75u);
    EXPECT_EQ(Bytes(params.begin() + 36, params.begin() + 44),
              (Bytes{9, 0x11, 10, 0x22, 11, 0x10, 12, 0x05}));
    EXPECT_EQ(params[18 + 2 * 18 + 1], 0x40);

    send(frameOf(kUnit, 0x12));
    EXPECT_EQ(receive().size(), 787u);
    EXPECT_EQ(emu.terminate(), 0);
    EXPECT_FALSE(
        emu.waitForLine("<- serial set parameters 030405060708090A0B0C0D0E0F000102: 9=0x11", 0)
            .isNull());
}

TEST_F(Serial, SocatPairAndBytesSentOneAtATime) {
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty()) {
        GTEST_SKIP() << "socat is not installed";
    }
    QTemporaryDir dir;
    const QString a = dir.filePath("a");
    const QString b = dir.filePath("b");
    QProcess pair;
    pair.start(socat, {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
    QDeadlineTimer deadline(5000);
    while (!(QFileInfo::exists(a) && QFileInfo::exists(b)) && !deadline.hasExpired() &&
           !pair.waitForFinished(20)) {
    }
    ASSERT_TRUE(QFileInfo::exists(a) && QFileInfo::exists(b));

    EmuProcess emu;
    QString why;
    ASSERT_TRUE(emu.start({"serial", a, "--unit", kUnitArg, "--byte-gap", "3"}, why))
        << why.toStdString();
    ASSERT_TRUE(open(b)) << port.errorString().toStdString();
    QElapsedTimer clock;
    clock.start();
    send(frameOf(kUnit, 0x10));
    const Frame params = receive(5000);
    ASSERT_EQ(params.size(), 75u);
    EXPECT_GE(clock.elapsed(), 74 * 3 - 10); // 75 bytes, 3 ms apart
    EXPECT_GT(reads, 10);
    EXPECT_EQ(emu.terminate(), 0);
    pair.terminate();
    pair.waitForFinished(3000);

    EmuProcess missing;
    EXPECT_FALSE(missing.start({"serial", "/dev/no-such-serial-device"}, why, 3000));
    EXPECT_TRUE(why.contains("cannot open /dev/no-such-serial-device")) << why.toStdString();
}
