// OSC show control on demo units, loopback only:
// 1. an OSC gain message from a real UDP client to its frame on the wire (the link's
//    send), 200 times, a different input each time so no pacing applies: median and
//    worst;
// 2. the CPU the server adds with one subscribed client receiving the levels of one
//    unit (at most every 50 ms) for 10 s, against 10 s without the server.
#include "app/session.h"
#include "links/demo_link.h"
#include "osc/osc_server.h"
#include "protocol/frame.h"
#include "support/scripted_interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace varento;

namespace {

// Notes when a gain frame leaves for the units.
class TimingLink : public FrameLink {
public:
    explicit TimingLink(FrameLink& inner) : inner_(inner) {
        connect(&inner_, &FrameLink::frameReceived, this, &FrameLink::frameReceived);
    }
    int send(std::span<const std::uint8_t> frame) override {
        if (frame.size() > kPayloadOffset && frame[kCommandOffset] == cmd::setGains) {
            ++gainFrames;
        }
        return inner_.send(frame);
    }
    bool isOpen() const override { return inner_.isOpen(); }
    int gainFrames = 0;

private:
    FrameLink& inner_;
};

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double cpuOver(int ms) {
    const double start = cpuSeconds();
    QTest::qWait(ms);
    return (cpuSeconds() - start) / (ms / 1000.0) * 100.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    testing::ScriptedInteraction ui;
    Session session(ui, SessionPaths{folder.path().toStdString(), folder.path().toStdString()});
    session.useDemoUnits({11});
    TimingLink link(*session.demoLink());
    session.useLinkOverride(&link);
    session.connectOrDisconnect();
    if (!QTest::qWaitFor([&] { return session.unitsGathered(); }, 20000)) {
        std::fputs("bench_osc: the demo unit was not read\n", stderr);
        return 1;
    }
    const double idle = cpuOver(10000);

    osc::Server server(session);
    osc::Settings settings;
    settings.enabled = true;
    settings.port = 0;
    if (const auto error = server.apply(settings)) {
        std::fprintf(stderr, "bench_osc: %s\n", qPrintable(*error));
        return 1;
    }
    QUdpSocket client;
    client.bind(QHostAddress::LocalHost, 0);
    const std::string unit =
        "/varento/unit/" + osc::AddressSpace::idText(session.currentUnit()).toStdString();
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        const int before = link.gainFrames;
        const auto bytes =
            osc::encodeMessage({unit + "/gain",
                                {osc::Arg::of(static_cast<std::int32_t>(i % 32 + 1)),
                                 osc::Arg::of(static_cast<std::int32_t>(20 + i % 40))}});
        QElapsedTimer clock;
        clock.start();
        client.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qint64>(bytes.size()), QHostAddress::LocalHost,
                             server.port());
        while (link.gainFrames == before && clock.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        if (link.gainFrames == before) {
            std::fputs("bench_osc: a gain message sent no frame\n", stderr);
            return 1;
        }
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        QTest::qWait(120); // past the pacing of the input
    }
    std::sort(ms.begin(), ms.end());

    const auto subscribe = osc::encodeMessage({"/varento/subscribe", {}});
    client.writeDatagram(reinterpret_cast<const char*>(subscribe.data()),
                         static_cast<qint64>(subscribe.size()), QHostAddress::LocalHost,
                         server.port());
    int levelMessages = 0;
    QObject::connect(&client, &QUdpSocket::readyRead, [&] {
        while (client.hasPendingDatagrams()) {
            const QByteArray d = client.receiveDatagram().data();
            levelMessages += d.contains("/levels") ? 1 : 0;
        }
    });
    const double subscribed = cpuOver(10000);
    std::printf("OSC message to frame on the wire: median %.3f ms, worst %.3f ms (%zu messages)\n",
                ms[ms.size() / 2], ms.back(), ms.size());
    std::printf("CPU: %.1f %% without the server, %.1f %% with one client subscribed to the "
                "levels (%d level messages in 10 s)\n",
                idle, subscribed, levelMessages);
    return 0;
}
