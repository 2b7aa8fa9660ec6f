#include "midi_line.h"

#include <rtmidi/RtMidi.h>

#include <QMetaObject>

namespace varento::emu {

MidiLine::MidiLine(const Options& options, QObject* parent) : QObject(parent), options_(options) {}

MidiLine::~MidiLine() {
    if (in_) {
        in_->cancelCallback();
        in_->closePort();
    }
    if (out_) {
        out_->closePort();
    }
}

bool MidiLine::openWith(int api, QString& error) {
    const auto which = static_cast<RtMidi::Api>(api);
    try {
        auto in = std::make_unique<RtMidiIn>(which, "varento-emu");
        auto out = std::make_unique<RtMidiOut>(which, "varento-emu");
        in->openVirtualPort(options_.midiPort);
        out->openVirtualPort(options_.midiPort);
        in->ignoreTypes(false, true, true); // SysEx is all we want
        in->setCallback(&MidiLine::onMessage, this);
        in_ = std::move(in);
        out_ = std::move(out);
        api_ = QString::fromStdString(RtMidi::getApiName(which));
        return true;
    } catch (const RtMidiError& e) {
        error = QStringLiteral("%1: %2").arg(QString::fromStdString(RtMidi::getApiName(which)),
                                             QString::fromStdString(e.getMessage()));
        return false;
    }
}

bool MidiLine::start(QString& error) {
    std::vector<RtMidi::Api> apis;
    if (options_.midiApi.empty()) {
        RtMidi::getCompiledApi(apis);
        std::erase(apis, RtMidi::RTMIDI_DUMMY); // offers no ports an application could see
    } else {
        const RtMidi::Api api = RtMidi::getCompiledApiByName(options_.midiApi);
        if (api == RtMidi::UNSPECIFIED) {
            error = QStringLiteral("this build of RtMidi has no %1 backend")
                        .arg(QString::fromStdString(options_.midiApi));
            return false;
        }
        apis.push_back(api);
    }
    QStringList failures;
    for (RtMidi::Api api : apis) {
        QString why;
        if (openWith(api, why)) {
            driver_ = new LineDriver(
                std::make_unique<EmulatedWire>(options_.units, options_.faults, options_.seed),
                QStringLiteral("midi"), options_.trace,
                [this](const Frame& f) {
                    try {
                        out_->sendMessage(&f);
                    } catch (const RtMidiError& e) {
                        say(QStringLiteral("MIDI send failed: %1")
                                .arg(QString::fromStdString(e.getMessage())));
                    }
                },
                this);
            return true;
        }
        failures << why;
    }
    error = QStringLiteral("no MIDI backend could open a virtual port (%1); for JACK, start a "
                           "server first, for example: jackd -d dummy -r 48000 -p 256")
                .arg(failures.isEmpty() ? QStringLiteral("none compiled in") : failures.join("; "));
    return false;
}

// RtMidi's own thread: only hand the bytes over to the event loop.
void MidiLine::onMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* line = static_cast<MidiLine*>(self);
    QMetaObject::invokeMethod(
        line, [line, bytes = *message] { line->received(bytes); }, Qt::QueuedConnection);
}

void MidiLine::received(const std::vector<unsigned char>& bytes) {
    // Through the assembler, because a backend may join a calibration message
    // (which ends in 0x7F, not 0xF7) to the message after it.
    const std::size_t dropped = assembler_.discarded();
    for (const Frame& f : assembler_.feed(bytes)) {
        driver_->receive(f);
    }
    if (options_.trace && assembler_.discarded() > dropped) {
        traceText(QStringLiteral("midi"), true,
                  QStringLiteral("%1 byte(s) outside any frame dropped")
                      .arg(assembler_.discarded() - dropped));
    }
}

} // namespace varento::emu
