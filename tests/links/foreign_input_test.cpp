// Datagrams nobody should send: the link must stay up, keep its state, keep the
// event loop turning and its memory bounded. Inside the private namespace only.
#include "links/network_link.h"
#include "protocol/handle_frame.h"
#include "support/fake_daemon.h"
#include "support/frames.h"
#include "support/netns.h"
#include "support/scripted_interaction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr quint16 kDataPort = 17401;
#ifdef VARENTO_SANITIZED
// Under the sanitizers reading is slower than the flood and freed memory stays in
// quarantine: the run looks for memory errors, not for these figures.
constexpr qint64 kStallBoundMs = 2000;
constexpr long kGrowthBoundKiB = 512 * 1024;
#else
constexpr qint64 kStallBoundMs = 250;
constexpr long kGrowthBoundKiB = 32 * 1024;
#endif
using Datagram = std::vector<std::uint8_t>;

Datagram text(const std::string& s) {
    return {s.begin(), s.end()};
}

long residentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// Sends datagrams to the group from a thread of its own, as another host would.
class Flood {
public:
    Flood() : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Flood() {
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(socket_);
    }

    void sendNow(const Datagram& d, quint16 port) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        inet_pton(AF_INET, "224.7.7.7", &to.sin_addr);
        ::sendto(socket_, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    void start(std::vector<std::pair<Datagram, quint16>> datagrams, int total) {
        thread_ = std::thread([this, datagrams = std::move(datagrams), total] {
            for (int i = 0; i < total; ++i) {
                const auto& [d, port] = datagrams[static_cast<std::size_t>(i) % datagrams.size()];
                sendNow(d, port);
            }
            done = true;
        });
    }

    std::atomic<bool> done = false;

private:
    int socket_;
    std::thread thread_;
};

class ForeignInput : public ::testing::Test {
protected:
    void SetUp() override {
        VARENTO_REQUIRE_NETNS();
        link.setQueryBurst(3, 5);
        QSignalSpy opened(&link, &NetworkLink::opened);
        ASSERT_EQ(link.open(), 0);
        ASSERT_TRUE(opened.wait(2000));
        ASSERT_TRUE(link.isActive());

        resetToPowerOnDefaults(current);
        current.uid = uidOf(5);
        current.at(param::clockRate) = 3;
        QObject::connect(&link, &NetworkLink::frameReceived, [this](const QByteArray& f) {
            ++framesSeen;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(f.constData());
            handleFrame(std::span(bytes, static_cast<std::size_t>(f.size())), current, shadow,
                        discovered);
        });
    }

    void TearDown() override { link.close(); }

    // A well-formed frame still gets through: the link is alive and in order.
    void expectStillServing() {
        const Bytes reply = frameOf(uidOf(5), 0x30, {0, 9});
        daemon.deliver(QByteArray(reinterpret_cast<const char*>(reply.data()),
                                  static_cast<qsizetype>(reply.size())));
        EXPECT_TRUE(QTest::qWaitFor([&] { return current.at(param::clockRate) == 9; }, 3000));
    }

    FakeDaemon daemon{kDataPort};
    ScriptedInteraction ui;
    NetworkLink link{ui};
    DeviceRecord current, shadow;
    DiscoveredList discovered;
    int framesSeen = 0;
};

TEST_F(ForeignInput, MalformedDatagramsAreDroppedAndChangeNothing) {
    std::mt19937 random(7);
    Datagram noise(1024);
    for (auto& b : noise) {
        b = static_cast<std::uint8_t>(random());
    }
    Datagram oversize(1500, 'I');
    const Bytes full = frameOf(uidOf(5), 0x30, {0, 1, 1, 1});
    Datagram truncated(13, 'I');
    std::copy_n(full.begin(), 12, truncated.begin() + 1);

    const std::uint8_t ioOptions = current.at(param::ioOptions);
    Flood flood;
    for (const Datagram& d :
         {Datagram{}, noise, oversize, text("QR"), text("QRport"), text("QR99999999999999999999"),
          text("QR-7000"), text("VVxyz"), text("VV0"), text("Q"), text("QQQ")}) {
        flood.sendNow(d, NetworkLink::kControlPort);
    }
    for (const Datagram& d : {Datagram{}, noise, oversize, truncated, text("I"), text("O"),
                              text("Ox"), text("QR17402")}) {
        flood.sendNow(d, kDataPort);
    }
    expectStillServing();

    EXPECT_EQ(link.daemons().count(), 1);
    EXPECT_EQ(link.daemons().portAt(0), kDataPort);
    EXPECT_TRUE(discovered.empty());
    EXPECT_EQ(current.uid, uidOf(5));
    EXPECT_EQ(current.at(param::ioOptions), ioOptions); // the truncated frame stored nothing
    EXPECT_TRUE(ui.messages.empty());
    // Only "I" datagrams of at most 1024 bytes reach the handler: the truncated
    // frame, the letter alone and the good frame.
    EXPECT_EQ(framesSeen, 3);
}

TEST_F(ForeignInput, AHundredThousandDatagramsNeitherStallTheLoopNorGrowMemory) {
    std::mt19937 random(11);
    std::vector<std::pair<Datagram, quint16>> mix;
    for (int i = 0; i < 64; ++i) {
        Datagram d(static_cast<std::size_t>(random() % 1025));
        for (auto& b : d) {
            b = static_cast<std::uint8_t>(random());
        }
        mix.emplace_back(d, i % 2 == 0 ? NetworkLink::kControlPort : kDataPort);
    }
    mix.emplace_back(text("QRjunk"), NetworkLink::kControlPort);
    mix.emplace_back(text("I\xF0\x01"), kDataPort);
    mix.emplace_back(text("OOOO"), kDataPort);

    const long before = residentKiB();
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    Flood flood;
    sinceTick.start();
    ticker.start();
    flood.start(mix, 100'000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return flood.done.load(); }, 15000));
    expectStillServing();
    ticker.stop();

    // Reading the flood in one go would hold the loop for all of it (about half a
    // second); the bound leaves room for a loaded machine.
    RecordProperty("longest_stall_ms", static_cast<int>(longestGap)); // scripts/soak reports it
    EXPECT_LT(longestGap, kStallBoundMs) << "the event loop stalled";
    EXPECT_LT(residentKiB() - before, kGrowthBoundKiB) << "memory grew under the flood";
    EXPECT_LE(link.daemons().count(), DaemonTable::kCapacity);
    EXPECT_EQ(current.uid, uidOf(5));
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
