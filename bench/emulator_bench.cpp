// Requests answered per second by one emulated unit: in-process, and over the
// network transport (the real varento-emu, talked to as the application does).
//
// The network part needs a private network namespace. Run as root and the
// program makes one for itself:   build/plain/bench/bench_emulator
// or run it inside one you made:  unshare -n sh -c 'ip link set lo up;
//   ip link set lo multicast on; ip route add 224.0.0.0/4 dev lo;
//   VARENTO_NETNS=1 build/plain/bench/bench_emulator'
#include "unit/fault_injector.h"

#include "protocol/frame_builders.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>
#include <QVariant>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace varento;
using namespace varento::emu;

namespace {

const QHostAddress kGroup(QStringLiteral("224.7.7.7"));
constexpr quint16 kDataPort = 7778;
const char* const kUnit = "12:0102030405060708090A0B0C0D0E0F00:6.6";

// Re-runs this program inside a new network namespace with multicast on lo.
[[noreturn]] void reexecInNamespace(int argc, char** argv) {
    std::vector<char*> args{
        const_cast<char*>("unshare"), const_cast<char*>("-n"), const_cast<char*>("sh"),
        const_cast<char*>("-c"),
        const_cast<char*>("ip link set lo up && ip link set lo multicast on && "
                          "ip route add 224.0.0.0/4 dev lo && VARENTO_NETNS=1 exec \"$0\" \"$@\"")};
    for (int i = 0; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    ::execvp("unshare", args.data());
    std::fprintf(
        stderr,
        "cannot make a private network namespace (run as root, or see the comment at the top "
        "of bench/emulator_bench.cpp)\n");
    std::exit(2);
}

std::vector<std::uint8_t> request(std::uint8_t command, const DeviceUid& uid) {
    DeviceRecord r;
    r.uid = uid;
    FrameBuffer b{};
    int length = 0;
    switch (command) {
    case 0x10:
        length = buildRequestParams(b, r);
        break;
    case 0x11:
        length = buildRequestLevels(b, r);
        break;
    case 0x12:
        length = buildRequestRouting(b, r);
        break;
    default:
        length = buildRequestGains(b, r);
        break;
    }
    return {b.begin(), b.begin() + length};
}

// The application's steady poll cycle: parameters, levels x5, parameters, levels x10, gains.
std::vector<std::uint8_t> pollCycle() {
    std::vector<std::uint8_t> cycle{0x10};
    cycle.insert(cycle.end(), 5, 0x11);
    cycle.push_back(0x10);
    cycle.insert(cycle.end(), 10, 0x11);
    cycle.push_back(0x13);
    return cycle;
}

void inProcess(const DeviceUid& uid) {
    std::string error;
    EmulatedWire wire({*parseUnitConfig(kUnit, error)});
    struct Case {
        const char* name;
        std::vector<std::uint8_t> commands;
    };
    for (const Case& c : {Case{"parameters (0x10)", {0x10}}, Case{"levels (0x11)", {0x11}},
                          Case{"routing (0x12)", {0x12}}, Case{"gains (0x13)", {0x13}},
                          Case{"poll cycle", pollCycle()}}) {
        std::vector<std::vector<std::uint8_t>> frames;
        for (auto command : c.commands) {
            frames.push_back(request(command, uid));
        }
        std::size_t answered = 0;
        QElapsedTimer clock;
        clock.start();
        std::size_t i = 0;
        while (clock.elapsed() < 1000) {
            for (int k = 0; k < 256; ++k, ++i) {
                answered += wire.receive(frames[i % frames.size()]).frames.size();
            }
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        std::printf("  in-process  %-18s %12.0f requests/s\n", c.name,
                    static_cast<double>(answered) / seconds);
    }
}

struct NetworkResult {
    double perSecond = 0;
    std::size_t lost = 0;
};

// `window` requests in flight at a time; 1 is how the application polls.
NetworkResult overNetwork(QUdpSocket& socket, const std::vector<std::uint8_t>& frame, int window,
                          int seconds) {
    const QByteArray datagram =
        QByteArray(1, 'O') + QByteArray(reinterpret_cast<const char*>(frame.data()),
                                        static_cast<qsizetype>(frame.size()));
    NetworkResult result;
    // Replies still on their way from the previous run would be counted here.
    while (socket.waitForReadyRead(300)) {
        while (socket.hasPendingDatagrams()) {
            socket.receiveDatagram();
        }
    }
    std::size_t answered = 0;
    int inFlight = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = seconds * 1000;
    while (clock.elapsed() < limitMs) {
        while (inFlight < window) {
            socket.writeDatagram(datagram, kGroup, kDataPort);
            ++inFlight;
        }
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(200)) {
            result.lost += static_cast<std::size_t>(inFlight); // give up on these
            inFlight = 0;
            continue;
        }
        while (socket.hasPendingDatagrams()) {
            const QByteArray reply = socket.receiveDatagram().data();
            if (reply.startsWith('I') && inFlight > 0) {
                ++answered;
                --inFlight;
            }
        }
    }
    result.perSecond =
        static_cast<double>(answered) / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    return result;
}

int network(const DeviceUid& uid) {
    QProcess emu;
    emu.start(QStringLiteral(VARENTO_EMU_PATH), {"network", "--unit", kUnit});
    QByteArray out;
    QDeadlineTimer deadline(5000);
    while (!out.contains("ready") && !deadline.hasExpired() && emu.waitForReadyRead(200)) {
        out += emu.readAllStandardOutput();
    }
    if (!out.contains("ready")) {
        std::fprintf(stderr, "varento-emu did not start: %s%s\n", out.constData(),
                     emu.readAllStandardError().constData());
        return 1;
    }
    QUdpSocket socket;
    socket.bind(QHostAddress::AnyIPv4, kDataPort,
                QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    socket.joinMulticastGroup(kGroup);
    socket.setSocketOption(QAbstractSocket::MulticastLoopbackOption, QVariant(1));
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 << 20));

    for (std::uint8_t command : {std::uint8_t{0x10}, std::uint8_t{0x11}, std::uint8_t{0x12}}) {
        const auto frame = request(command, uid);
        const char* name = command == 0x10   ? "parameters (0x10)"
                           : command == 0x11 ? "levels (0x11)"
                                             : "routing (0x12)";
        for (int window : {1, 16}) {
            const NetworkResult r = overNetwork(socket, frame, window, 2);
            std::printf("  network     %-18s %12.0f requests/s  (%2d in flight%s)\n", name,
                        r.perSecond, window,
                        r.lost ? (", " + std::to_string(r.lost) + " unanswered").c_str() : "");
        }
    }
    ::kill(static_cast<pid_t>(emu.processId()), SIGTERM);
    emu.waitForFinished(3000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("VARENTO_NETNS") == nullptr) {
        reexecInNamespace(argc, argv);
    }
    QCoreApplication app(argc, argv);
    std::string error;
    const DeviceUid uid = parseUnitConfig(kUnit, error)->uid;
    std::printf("One emulated unit (VARENTO 2), requests answered per second:\n");
    inProcess(uid);
    return network(uid);
}
