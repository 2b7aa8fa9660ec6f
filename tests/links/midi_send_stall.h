#pragma once

// How long the event loop stands still while a whole routing table and a burst of
// gain frames go out through a MIDI output at MIDI speed, polling running as for
// a user.
#include "app/session.h"
#include "links/midi_link.h"
#include "links/scripted_midi_backend.h"
#include "support/frames.h"
#include "support/scripted_interaction.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace varento::testing {

struct MidiSendStall {
    qint64 longestStallMs = -1;
    qint64 totalMs = 0;
    std::size_t framesSent = 0;
    std::size_t messages = 0;
    bool finished = false;
};

inline constexpr int kStallGainFrames = 64;

inline MidiSendStall measureMidiSendStall() {
    MidiSendStall figure;
    QTemporaryDir dir;
    ScriptedInteraction ui;
    auto owned = std::make_unique<ScriptedBackend>();
    ScriptedBackend& backend = *owned;
    backend.perByte = std::chrono::microseconds(320);
    MidiLink link(ui, std::move(owned));
    if (link.open() != 0) {
        return figure;
    }
    Session session(ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
    session.useLinkOverride(&link);
    session.connectOrDisconnect();
    if (!session.state().isConnected) {
        return figure;
    }
    // One unit answers the discovery: edits go to it (none is ever broadcast).
    session.frameReceived(unitListFrame({{uidOf(3), 12}}));

    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    bool sending = false;
    const std::size_t before = backend.sentCount();
    // A 1 ms tick: the longest gap between two ticks is the longest stall.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (sending) {
            figure.longestStallMs = std::max(figure.longestStallMs, sinceTick.elapsed());
            if (!session.sendQueue().busy() &&
                backend.sentCount() >= before + 1 + kStallGainFrames) {
                figure.finished = true;
                loop.quit();
            }
        }
        sinceTick.restart();
    });
    QTimer::singleShot(50, [&] {
        sending = true;
        clock.start();
        UnitEditor editor = session.editor();
        editor.setRoutingTable(RoutingTable::of(session.current()));
        for (int i = 0; i < kStallGainFrames; ++i) {
            editor.setChannelGain(i % 16, static_cast<std::uint8_t>(i));
        }
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    sinceTick.start();
    probe.start();
    loop.exec();
    probe.stop();
    figure.totalMs = clock.isValid() ? clock.elapsed() : 0;
    figure.framesSent = backend.sentCount() - before;
    figure.messages = ui.messages.size();
    session.disconnect();
    link.close();
    return figure;
}

} // namespace varento::testing
