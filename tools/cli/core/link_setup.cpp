#include "link_setup.h"

#include "app/link_set.h"
#include "app/session.h"
#include "links/demo_link.h"
#include "links/midi_link.h"
#include "links/network_link.h"
#include "links/serial_link.h"

#include <cstdio>

namespace varento::cli {

namespace {

constexpr int kEmulatorDefaultUnits = 3;

// A device number, or a name matched whole or by a part that fits one device only.
int findDevice(const QStringList& devices, const QString& wanted) {
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber) {
        return number >= 0 && number < devices.size() ? number : -1;
    }
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (devices[i].compare(wanted, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    int found = -1;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (devices[i].contains(wanted, Qt::CaseInsensitive)) {
            if (found >= 0) {
                return -1;
            }
            found = static_cast<int>(i);
        }
    }
    return found;
}

QString missingDevice(const char* what, const QString& wanted, const QStringList& devices) {
    if (devices.isEmpty()) {
        return QString("There is no MIDI %1 device on this computer.").arg(what);
    }
    QStringList numbered;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        numbered << QString("%1 \"%2\"").arg(i).arg(devices[i]);
    }
    return QString("There is no single MIDI %1 device \"%2\"; the %1 devices are %3.")
        .arg(what, wanted, numbered.join(", "));
}

} // namespace

std::vector<int> demoModels(int units) {
    static constexpr int kModels[] = {12, 14, 11};
    std::vector<int> models;
    if (units == kEmulatorDefaultUnits) {
        return models;
    }
    for (int i = 0; i < units; ++i) {
        models.push_back(kModels[i % 3]);
    }
    return models;
}

QString prepareLink(Session& session, const LinkChoice& link, std::unique_ptr<FrameLink>& owned) {
    LinkSet& links = session.links();
    switch (link.kind) {
    case LinkKind::Demo:
        if (link.demoUnits == 0) {
            owned = std::make_unique<DemoLink>(std::vector<emu::UnitConfig>{});
            session.useLinkOverride(owned.get());
        } else {
            session.useDemoUnits(demoModels(link.demoUnits));
        }
        return {};
    case LinkKind::Network:
        // Its set-up diagnostics must not mix with the output.
        links.network().setDiagnosticStream(stderr);
        session.selectLink(false, true);
        return {};
    case LinkKind::Serial:
        links.serial().setBaudRate(link.baudRate);
        links.serial().selectPort({SerialLink::portNameOf(link.serialPort), link.serialPort});
        session.selectLink(false, false);
        return {};
    case LinkKind::Midi: {
        MidiLink& midi = links.midi();
        midi.refreshDevices();
        const int in = findDevice(midi.inputDevices(), link.midiIn);
        if (in < 0) {
            return missingDevice("input", link.midiIn, midi.inputDevices());
        }
        const int out = findDevice(midi.outputDevices(), link.midiOut);
        if (out < 0) {
            return missingDevice("output", link.midiOut, midi.outputDevices());
        }
        midi.selectDevices(in, out);
        session.selectLink(true, false);
        return {};
    }
    }
    return {};
}

} // namespace varento::cli
