// varento-emu midi, end to end over JACK MIDI ports. The test starts its own
// JACK server with the dummy driver under a private name and stops it again.
#include "emu_process.h"

#include "support/child_process.h"
#include "support/frames.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <rtmidi/RtMidi.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unistd.h>

using namespace varento;
using namespace varento::testing;

namespace {

const DeviceUid kUnit = uidOf(7);
const QString kUnitArg = QStringLiteral("11:0708090A0B0C0D0E0F00010203040506:4.6");
const std::string kPort = "Emulated Rack";

// Collects SysEx messages from RtMidi's thread for the test thread.
struct Inbox {
    static void onMessage(double, std::vector<unsigned char>* message, void* self) {
        auto* inbox = static_cast<Inbox*>(self);
        const std::lock_guard lock(inbox->mutex);
        inbox->messages.push_back(*message);
        inbox->arrived.notify_all();
    }
    Bytes next(int timeoutMs = 3000) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return !messages.empty(); })) {
            return {};
        }
        Bytes m = messages.front();
        messages.pop_front();
        return m;
    }
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Bytes> messages;
};

int portIndex(RtMidi& midi, const std::string& part) {
    for (unsigned i = 0; i < midi.getPortCount(); ++i) {
        if (midi.getPortName(i).find(part) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

class Midi : public ::testing::Test {
protected:
    void SetUp() override {
        ensureCoreApplication();
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            GTEST_SKIP() << "jackd is not installed";
        }
        // A server of our own, so parallel runs and other users never meet.
        const QByteArray server =
            "varento-emu-test-" + QByteArray::number(QCoreApplication::applicationPid());
        qputenv("JACK_DEFAULT_SERVER", server);
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        jack_.setProcessChannelMode(QProcess::MergedChannels);
        dieWithParent(jack_, SIGTERM);
        jack_.start(jackd, {"--no-realtime", "-n", QString::fromLatin1(server), "-d", "dummy", "-r",
                            "48000", "-p", "256"});
        ASSERT_TRUE(jack_.waitForStarted(3000));
        // The server's socket appears once it accepts clients (jackd prints nothing
        // reliable before it ends: its output is buffered in a pipe).
        const QString socket = QStringLiteral("/dev/shm/jack_%1_%2_0")
                                   .arg(QString::fromLatin1(server))
                                   .arg(::getuid());
        QDeadlineTimer deadline(8000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired() && !jack_.waitForFinished(20)) {
        }
        QByteArray log = jack_.readAll();
        ASSERT_EQ(jack_.state(), QProcess::Running) << log.toStdString();
    }

    void TearDown() override {
        if (jack_.state() != QProcess::NotRunning) {
            jack_.terminate();
            if (!jack_.waitForFinished(5000)) {
                jack_.kill();
                jack_.waitForFinished(2000);
            }
        }
    }

    QProcess jack_;
};

} // namespace

TEST_F(Midi, EachFrameIsOneSysExOnAVirtualPort) {
    // The server may take a moment before it accepts clients.
    std::unique_ptr<EmuProcess> emu;
    QString why;
    for (int attempt = 0; attempt < 5 && !emu; ++attempt) {
        emu = std::make_unique<EmuProcess>();
        if (!emu->start(
                {"midi", QString::fromStdString(kPort), "--api", "jack", "--unit", kUnitArg},
                why)) {
            emu.reset();
        }
    }
    ASSERT_TRUE(emu) << why.toStdString();

    RtMidiOut out(RtMidi::UNIX_JACK, "varento-emu-test");
    RtMidiIn in(RtMidi::UNIX_JACK, "varento-emu-test");
    const int outPort = portIndex(out, kPort);
    const int inPort = portIndex(in, kPort);
    ASSERT_GE(outPort, 0);
    ASSERT_GE(inPort, 0);
    Inbox inbox;
    in.ignoreTypes(false, true, true);
    in.setCallback(&Inbox::onMessage, &inbox);
    in.openPort(static_cast<unsigned>(inPort));
    out.openPort(static_cast<unsigned>(outPort));

    const Bytes discover = frameOf(DeviceUid::broadcast(), 0x0E);
    out.sendMessage(&discover);
    const Bytes list = inbox.next();
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(list[34], 11);

    const Bytes setGain = frameOf(kUnit, 0x23, {0, 5, 0, 50});
    out.sendMessage(&setGain);
    const Bytes request = frameOf(kUnit, 0x13);
    out.sendMessage(&request);
    const Bytes gains = inbox.next();
    ASSERT_EQ(gains.size(), 275u); // the largest frames pass whole, too
    EXPECT_EQ(gains[18 + 2 * 5 + 1], 50);
    const Bytes routing = frameOf(kUnit, 0x12);
    out.sendMessage(&routing);
    EXPECT_EQ(inbox.next().size(), 787u);

    in.closePort();
    out.closePort();
    EXPECT_EQ(emu->terminate(), 0);
}
