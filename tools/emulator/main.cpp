// varento-emu: plays the units' side of the VARENTO protocol on the network
// (as Ravnet daemons), on a serial line or on a virtual MIDI port.
#include "transports/midi_line.h"
#include "transports/network_daemons.h"
#include "transports/serial_line.h"
#include "transports/unix_signals.h"
#include "varento_version.h"

#include "unit/options.h"

#include "protocol/catalog.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

using namespace varento;
using namespace varento::emu;

namespace {

QString describeUnits(const std::vector<UnitConfig>& units, const QString& indent) {
    QStringList lines;
    for (const auto& u : units) {
        lines << QStringLiteral("%1%2 (model %3) uid %4 firmware %5.%6")
                     .arg(indent, QString::fromLatin1(typeName(u.model)))
                     .arg(u.model)
                     .arg(QString::fromStdString(uidText(u.uid)))
                     .arg(u.firmwareMajor)
                     .arg(u.firmwareMinor);
    }
    return lines.join('\n');
}

QString faultSummary(const FaultPlan& f) {
    QStringList parts;
    if (f.dropEvery > 0) {
        parts << QStringLiteral("drop every %1. reply").arg(f.dropEvery);
    }
    if (f.delay.count() > 0) {
        parts << QStringLiteral("replies %1 ms late").arg(f.delay.count());
    }
    if (f.muteAfter) {
        parts << (f.muteFor ? QStringLiteral("silent from %1 s for %2 s")
                                  .arg(static_cast<double>(f.muteAfter->count()) / 1000)
                                  .arg(static_cast<double>(f.muteFor->count()) / 1000)
                            : QStringLiteral("silent from %1 s on")
                                  .arg(static_cast<double>(f.muteAfter->count()) / 1000));
    }
    if (f.corruptEvery > 0) {
        parts << QStringLiteral("corrupt every %1. reply").arg(f.corruptEvery);
    }
    if (f.byteGap.count() > 0) {
        parts << QStringLiteral("one byte every %1 ms").arg(f.byteGap.count());
    }
    for (const auto& w : f.withdrawals) {
        parts << QStringLiteral("daemon %1 withdraws after %2 s")
                     .arg(w.daemon)
                     .arg(static_cast<double>(w.after.count()) / 1000);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const CommandLine line = parseCommandLine(args);
    if (line.help) {
        std::fputs(helpText("varento-emu").c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::puts("varento-emu " VARENTO_VERSION);
        return 0;
    }
    if (!line.options) {
        std::fprintf(stderr, "varento-emu: %s\n", line.error.c_str());
        return 2;
    }
    const Options& o = *line.options;

    QCoreApplication app(argc, argv);
    UnixSignals unixSignals;

    QString error;
    std::unique_ptr<QObject> transport;
    switch (o.transport) {
    case Transport::Network: {
        auto daemons = std::make_unique<NetworkDaemons>(o);
        if (!daemons->start(error)) {
            break;
        }
        for (int i = 0; i < daemons->daemonCount(); ++i) {
            say(QStringLiteral("daemon %1: data port %2, %3 unit(s)")
                    .arg(i)
                    .arg(daemons->port(i))
                    .arg(daemons->units(i).size()));
            if (!daemons->units(i).empty()) {
                say(describeUnits(daemons->units(i), QStringLiteral("  ")));
            }
        }
        say(QStringLiteral("answering \"QQ\" on 224.7.7.7:7777"));
        transport = std::move(daemons);
        break;
    }
    case Transport::Serial: {
        auto serial = std::make_unique<SerialLine>(o);
        if (!serial->start(error)) {
            break;
        }
        say(QStringLiteral("serial: %1%2")
                .arg(serial->devicePath(),
                     o.pty ? QStringLiteral(" (pseudo-terminal: open this path)") : QString()));
        say(describeUnits(o.units, QStringLiteral("  ")));
        transport = std::move(serial);
        break;
    }
    case Transport::Midi: {
        auto midi = std::make_unique<MidiLine>(o);
        if (!midi->start(error)) {
            break;
        }
        say(QStringLiteral("midi: virtual port \"%1\" (%2)")
                .arg(QString::fromStdString(o.midiPort), midi->apiName()));
        say(describeUnits(o.units, QStringLiteral("  ")));
        transport = std::move(midi);
        break;
    }
    }
    if (!transport) {
        std::fprintf(stderr, "varento-emu: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (const QString faults = faultSummary(o.faults); !faults.isEmpty()) {
        say(QStringLiteral("faults: %1").arg(faults));
    }
    QObject::connect(&unixSignals, &UnixSignals::requested, &app, [&transport](int number) {
        if (number != SIGUSR1) {
            QCoreApplication::quit();
        } else if (auto* daemons = qobject_cast<NetworkDaemons*>(transport.get())) {
            daemons->withdrawNext();
        }
    });
    say(QStringLiteral("ready"));
    const int rc = QCoreApplication::exec();
    transport.reset(); // withdraws the daemons while the loop's sockets still exist
    say(QStringLiteral("stopped"));
    return rc;
}
