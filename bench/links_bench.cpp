// Request-to-reply round trips (a parameter request and its reply) with
// varento-emu on each transport: median and 99th percentile.
//   build/plain/bench/bench_links [ROUNDS]
// The network part runs only inside a private network namespace (VARENTO_NETNS=1):
//   unshare -n bash -c 'ip link set lo up; ip link set lo multicast on;
//     ip route add 224.0.0.0/4 dev lo; VARENTO_NETNS=1 build/plain/bench/bench_links'
#include "links/midi_link.h"
#include "links/network_link.h"
#include "links/send_path.h"
#include "links/serial_link.h"
#include "protocol/frame_builders.h"
#include "support/emulator_process.h"
#include "support/frames.h"
#include "support/jack_server.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace varento;
using namespace varento::testing;

namespace {

const DeviceUid kUnit = uidOf(3);

QStringList unitArg() {
    QString uid;
    for (const std::uint8_t b : kUnit.bytes) {
        uid += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return {QStringLiteral("--unit"), QStringLiteral("12:%1:4.2").arg(uid.toUpper())};
}

// Times `rounds` parameter requests, each waiting for its reply.
void measure(const char* transport, FrameLink& link, LinkFlags flags, int rounds) {
    DeviceRecord record;
    record.uid = kUnit;
    const SendLinks links{&link, &link, &link};
    std::vector<double> micros;
    int lost = 0;
    QEventLoop loop;
    bool replied = false;
    const auto c = QObject::connect(&link, &FrameLink::frameReceived, [&](const QByteArray& f) {
        if (f.size() > 17 && static_cast<std::uint8_t>(f[17]) == cmd::paramsReply) {
            replied = true;
            loop.quit();
        }
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (int i = 0; i < rounds + 10; ++i) {
        FrameBuffer buffer{};
        const int length = buildRequestParams(buffer, record);
        replied = false;
        QElapsedTimer clock;
        clock.start();
        if (sendFrame(buffer, length, true, flags, links) != 0) {
            std::printf("%s: send failed\n", transport);
            return;
        }
        timeout.start(2000);
        if (!replied) {
            loop.exec();
        }
        timeout.stop();
        if (!replied) {
            ++lost;
        } else if (i >= 10) { // the first few warm up
            micros.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
        }
    }
    QObject::disconnect(c);
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) {
        std::printf("%-8s no replies\n", transport);
        return;
    }
    const auto at = [&](double q) {
        return micros[std::min(micros.size() - 1,
                               static_cast<std::size_t>(q * static_cast<double>(micros.size())))];
    };
    std::printf("%-8s %5zu round trips  median %8.1f us  p99 %8.1f us  lost %d\n", transport,
                micros.size(), at(0.5), at(0.99), lost);
}

void benchSerial(int rounds) {
    EmulatorProcess emu;
    if (!emu.start(QStringList{"serial", "--pty"} + unitArg())) {
        std::printf("serial   skipped: %s\n", emu.problem().c_str());
        return;
    }
    ScriptedInteraction ui;
    SerialLink link(ui);
    link.selectPort({SerialLink::portNameOf(emu.ptyPath()), emu.ptyPath()});
    if (link.open() != 0) {
        std::printf("serial   skipped: the port did not open\n");
        return;
    }
    measure("serial", link, {0, 0}, rounds);
}

void benchMidi(int rounds) {
    JackServer jack;
    if (!jack.running()) {
        std::printf("midi     skipped: %s\n", jack.problem().c_str());
        return;
    }
    EmulatorProcess emu;
    if (!emu.start(QStringList{"midi", "Bench Rack", "--api", "jack"} + unitArg())) {
        std::printf("midi     skipped: %s\n", emu.problem().c_str());
        return;
    }
    ScriptedInteraction ui;
    MidiLink link(ui, makeRtMidiBackend("jack"));
    const QRegularExpression rack(QStringLiteral(".*Bench Rack.*"));
    link.selectDevices(static_cast<int>(link.inputDevices().indexOf(rack)),
                       static_cast<int>(link.outputDevices().indexOf(rack)));
    if (link.open() != 0) {
        std::printf("midi     skipped: the ports did not open\n");
        return;
    }
    link.startInput();
    measure("midi", link, {1, 0}, rounds);
    link.close();
}

void benchNetwork(int rounds) {
    if (std::getenv("VARENTO_NETNS") == nullptr) {
        std::printf("network  skipped: run inside a private network namespace\n");
        return;
    }
    EmulatorProcess emu;
    if (!emu.start(QStringList{"network", "--data-port", "17501"} + unitArg())) {
        std::printf("network  skipped: %s\n", emu.problem().c_str());
        return;
    }
    ScriptedInteraction ui;
    NetworkLink link(ui);
    QSignalSpy opened(&link, &NetworkLink::opened);
    if (link.open() != 0 || !opened.wait(5000) || !link.isActive()) {
        std::printf("network  skipped: no daemon found\n");
        return;
    }
    measure("network", link, {0, 1}, rounds);
    link.close();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    benchNetwork(rounds);
    benchSerial(rounds);
    benchMidi(rounds);
    return 0;
}
