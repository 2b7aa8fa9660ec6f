// The serial link over a pseudo-terminal whose master side the test plays.
#include "links/serial_link.h"
#include "support/frames.h"
#include "support/pty.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

using namespace varento;
using namespace varento::testing;

namespace {

QByteArray qbytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

// Captures what is written to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = dup(fileno(stderr));
        dup2(fileno(file_), fileno(stderr));
    }
    ~StderrCapture() {
        restore();
        std::fclose(file_);
    }
    std::string text() {
        restore();
        std::rewind(file_);
        std::string t;
        for (int c; (c = std::fgetc(file_)) != EOF;) {
            t.push_back(static_cast<char>(c));
        }
        return t;
    }

private:
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, fileno(stderr));
            ::close(saved_);
            saved_ = -1;
        }
    }
    std::FILE* file_;
    int saved_ = -1;
};

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        link.selectPort({SerialLink::portNameOf(pty.slavePath()), pty.slavePath()});
    }

    PtyPair pty;
    ScriptedInteraction ui;
    SerialLink link{ui};
    QSignalSpy frames{&link, &SerialLink::frameReceived};
};

TEST_F(SerialLinkTest, OpensWithItsLineSettingsAndCarriesFramesBothWays) {
    link.setBaudRate(57600);
    ASSERT_EQ(link.open(), 0) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    EXPECT_TRUE(link.isOpen());

    const termios t = pty.slaveSettings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);

    const Bytes request = frameOf(uidOf(1), 0x10);
    ASSERT_EQ(link.send(request), 0);
    Bytes written;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            pty.readInto(written);
            return written.size() >= request.size();
        },
        2000));
    EXPECT_EQ(written, request);

    const Bytes reply = frameOf(uidOf(1), 0x30, {0, 4, 8, 1});
    const Bytes two = frameOf(uidOf(1), 0x30, {0, 5});
    Bytes stream = reply;
    stream.insert(stream.end(), two.begin(), two.end());
    ASSERT_TRUE(pty.write(stream));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.size() == 2; }, 2000));
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), qbytes(reply));
    EXPECT_EQ(frames.at(1).at(0).toByteArray(), qbytes(two));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SerialLinkTest, AFrameSentByteByByteWithPausesArrivesWhole) {
    ASSERT_EQ(link.open(), 0);
    Bytes stream{0x00, 0x42}; // line noise before the frame
    const Bytes reply = frameOf(uidOf(2), 0x30, {0, 1, 1, 2, 2, 3});
    stream.insert(stream.end(), reply.begin(), reply.end());

    // One byte every few milliseconds, and one pause longer than a read turn.
    std::size_t next = 0;
    QTimer pacer;
    pacer.setInterval(3);
    QObject::connect(&pacer, &QTimer::timeout, [&] {
        if (next < stream.size()) {
            pty.write({stream[next]});
            pacer.setInterval(++next == 8 ? 80 : 3);
        }
    });
    pacer.start();
    ASSERT_TRUE(frames.wait(5000));
    EXPECT_EQ(next, stream.size());
    EXPECT_EQ(frames.size(), 1);
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), qbytes(reply));
}

TEST_F(SerialLinkTest, AFailedOpenShowsTheSystemTextAlsoOnStandardError) {
    link.selectPort({"ttyNONE9", "/dev/ttyNONE9"});
    StderrCapture err;
    EXPECT_EQ(link.open(), -1);
    const std::string written = err.text();
    EXPECT_FALSE(link.isOpen());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(ui.messages[0].text.isEmpty());
    EXPECT_EQ(written, "ERROR: " + ui.messages[0].text.toStdString() + "\n");
}

TEST_F(SerialLinkTest, ClosedPortSendsNothingAndSucceeds) {
    const Bytes request = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link.send(request), 0);
    ASSERT_EQ(link.open(), 0);
    link.close();
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.send(request), 0);
    Bytes written;
    pty.readInto(written);
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SerialLinkTest, LosingThePeerEndsReceptionAndMakesSendsFail) {
    ASSERT_EQ(link.open(), 0);
    StderrCapture err;
    pty.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.messages.empty(); }, 3000));
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_NE(err.text().find("ERROR: "), std::string::npos);
    EXPECT_TRUE(link.isOpen()); // until disconnect

    const Bytes request = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link.send(request), 104);
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].title, "Error!");
    link.close();
}

// The system can wake the reader of a terminal with no byte waiting (a busy
// machine, another opener of the same terminal); the read then finds nothing,
// which the port reports as a read error. The port is sound: reception goes on.
TEST_F(SerialLinkTest, AWakeWithNothingToReadIsNoFailure) {
    ASSERT_EQ(link.open(), 0);
    QSocketNotifier* reader = nullptr;
    for (QSocketNotifier* n : link.findChildren<QSocketNotifier*>()) {
        if (n->type() == QSocketNotifier::Read && n->isEnabled()) {
            reader = n;
        }
    }
    ASSERT_NE(reader, nullptr);
    StderrCapture err;
    QEvent wake(QEvent::SockAct);
    QCoreApplication::sendEvent(reader, &wake);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text.toStdString();
    EXPECT_EQ(err.text(), "");

    const Bytes reply = frameOf(uidOf(1), 0x30, {0, 4});
    ASSERT_TRUE(pty.write(reply));
    ASSERT_TRUE(frames.wait(2000));
    EXPECT_EQ(frames.at(0).at(0).toByteArray(), qbytes(reply));
    EXPECT_EQ(link.send(frameOf(uidOf(1), 0x10)), 0);

    // Wakes that keep coming with nothing to read are a failed port, not a loop.
    for (int i = 0; i < 101 && ui.messages.empty(); ++i) {
        QCoreApplication::sendEvent(reader, &wake);
    }
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].title, "Error!");
}

TEST(SerialPortSelection, TheProbeSelectsTheRememberedPortOnlyWhenItOpens) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ScriptedInteraction ui;
    SerialLink link(ui);

    link.setRememberedPortPath("/dev/ttyGONE3");
    EXPECT_EQ(link.probeRememberedPort(), -1);
    EXPECT_TRUE(link.selectedPortPath().isEmpty());
    EXPECT_TRUE(link.selectedPortName().isEmpty());

    link.setRememberedPortPath(pty.slavePath());
    const int number = pty.slavePath().section('/', -1).toInt();
    EXPECT_EQ(link.probeRememberedPort(), number);
    EXPECT_EQ(link.selectedPortPath(), pty.slavePath());
    EXPECT_EQ(link.selectedPortName(), QStringLiteral("pts/%1").arg(number));

    const auto ports = link.availablePorts();
    EXPECT_TRUE(ports.contains(SerialLink::Port{link.selectedPortName(), pty.slavePath()}));

    link.selectPort({"ttyUSB7", "/dev/ttyUSB7"});
    EXPECT_EQ(link.selectedPortIndex(), 7);
    EXPECT_EQ(link.rememberedPortPath(), "/dev/ttyUSB7");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SerialPortSelection, PortNamesFollowThePlatformsForms) {
    EXPECT_EQ(SerialLink::portNameOf("\\\\.\\COM3"), "COM3");
    EXPECT_EQ(SerialLink::portNameOf("/dev/ttyUSB0"), "ttyUSB0");
    EXPECT_EQ(SerialLink::portNameOf("/dev/pts/4"), "pts/4");
    EXPECT_EQ(SerialLink::portNameOf("/tmp/units/a"), "a");
}

TEST(SerialPortSelection, BaudRateTexts) {
    EXPECT_EQ(SerialLink::baudRateText(9600), "\t9.600 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(14400), "\t14.400 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(19200), "\t19.200 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(38400), "\t38.400 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(57600), "\t57.600 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(115200), "\t115.200 Bit/s");
    EXPECT_EQ(SerialLink::baudRateText(230400), "");
    EXPECT_EQ(SerialLink::baudRateText(0), "");
}

} // namespace
