// The serial link against varento-emu on a pseudo-terminal it makes.
#include "e2e_support.h"
#include "links/serial_link.h"
#include "support/scripted_interaction.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr LinkFlags kSerial{0, 0};

class SerialE2e : public ::testing::Test {
protected:
    void connectTo(const QStringList& extra) {
        ASSERT_TRUE(emulator.start(QStringList{"serial", "--pty"} + extra + unitArgs(12, kUnitA) +
                                   unitArgs(20, kUnitB)))
            << emulator.problem();
        const QString path = emulator.ptyPath();
        ASSERT_FALSE(path.isEmpty()) << emulator.output().toStdString();
        link.setRememberedPortPath(path);
        ASSERT_GE(link.probeRememberedPort(), 0);
        ASSERT_EQ(link.open(), 0) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    }

    EmulatorProcess emulator;
    ScriptedInteraction ui;
    SerialLink link{ui};
};

TEST_F(SerialE2e, DiscoveryAndParametersOverThePort) {
    connectTo({});
    Conversation talk(link, kSerial);
    EXPECT_EQ(talk.discover(), (std::vector<DeviceUid>{kUnitA, kUnitB}));
    EXPECT_EQ(talk.modelOf(kUnitA), 12);
    EXPECT_EQ(talk.modelOf(kUnitB), 20);

    // A full routing reply (787 bytes) comes through whole.
    DeviceRecord record;
    record.uid = kUnitA;
    FrameBuffer buffer{};
    const auto routing = talk.ask(buffer, buildRequestRouting(buffer, record), cmd::routingReply);
    ASSERT_TRUE(routing.has_value());
    EXPECT_EQ(routing->size(), 787);
    // The serial path leaves the shared buffer cleared.
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), kSendBufferSize);
    EXPECT_TRUE(ui.messages.empty());
}

// What the terminal settings of the port are now; a failure prints them, since
// bytes the line discipline eats (a signal character with ISIG set) look like
// bytes the assembler lost.
std::string terminalFlagsOf(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios mode{};
    const bool read = fd >= 0 && ::tcgetattr(fd, &mode) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return read ? QStringLiteral("iflag=%1 lflag=%2")
                      .arg(mode.c_iflag, 0, 16)
                      .arg(mode.c_lflag, 0, 16)
                      .toStdString()
                : std::string("unreadable");
}

TEST_F(SerialE2e, RepliesWrittenByteByByteWithPausesArriveWhole) {
    // 60 ms between bytes: longer than a read turn, so every byte is its own read.
    connectTo({"--byte-gap", "60"});
    Conversation talk(link, kSerial);
    FrameBuffer buffer{};
    const auto list = talk.ask(buffer, buildDiscover(buffer), cmd::discover, 15000);
    ASSERT_TRUE(list.has_value());
    std::string seen;
    for (const QByteArray& f : talk.received) {
        seen += f.toHex(' ').toStdString() + "\n";
    }
    EXPECT_EQ(list->size(), 18 + 2 * kUnitListEntrySize + 1)
        << seen << terminalFlagsOf(emulator.ptyPath());
    EXPECT_EQ(talk.received.size(), 1) << seen;
}

} // namespace
