#pragma once

#include "app/quiet_interaction.h"
#include "links/frame_link.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <span>

namespace varento {

class MidiLink;
class NetworkLink;
class SerialLink;

// The three links of the application (and the in-process demo link when one is
// set), with the choice between them that the link flags make. Everything a
// session does with "the selected link" goes through here.
class LinkSet : public QObject {
    Q_OBJECT

public:
    // open() finished at once with success or failure, or the network link is
    // still asking for daemons and reports through `opened`.
    static constexpr int kOpenPending = 1000;

    explicit LinkSet(Interaction& interaction, QObject* parent = nullptr);
    ~LinkSet() override;

    NetworkLink& network() { return *network_; }
    MidiLink& midi() { return *midi_; }
    SerialLink& serial() { return *serial_; }

    // A link that stands in for whichever link the flags select (demo units).
    void setOverride(FrameLink* link);
    FrameLink* overrideLink() const { return override_; }

    // Opens the link the flags select: 0, -1 (shown), a reporter code, or kOpenPending.
    int open(bool midiMode, bool networkMode);
    void close();
    // The MIDI devices chosen are found again by name; false while one is
    // missing. The other links have no device list to look in.
    bool findDevicesAgain(bool midiMode);
    // sendFrame of the selected link (0 while none is open). A link that would
    // block takes the frame and gives FrameLink::kSendPending; sendFinished
    // follows (not after close()).
    int send(std::span<const std::uint8_t> frame);
    // The same through the network daemon at table index `daemon` (the one a unit
    // was found behind), whichever daemon is selected; other links ignore it.
    int sendThrough(int daemon, std::span<const std::uint8_t> frame);
    void reportError(int code);
    // Quiet: the links' messages are not shown (retrying a lost link).
    void setQuiet(bool quiet) { interaction_.setQuiet(quiet); }

    // Live daemons; a withdrawal can leave free entries between them, so a sweep
    // counts positions among the live ones and maps them to table indices.
    int daemonCount() const;
    // Frames can reach units: false while the network link has found no daemon.
    bool reachesUnits() const;
    int selectedDaemon() const; // table index
    int sweepPosition() const;  // position of the selected daemon among the live ones
    int daemonAtPosition(int position) const;
    void selectDaemon(int index);

    // Status bar field 0 and 1 for the selected link.
    QString endpointText(bool midiMode, bool networkMode) const;
    QString linkText(bool midiMode, bool networkMode) const;

signals:
    void frameReceived(const QByteArray& frame);
    // Every frame handed to the open link, with the link's result; monitors watch
    // the wire through this and frameReceived.
    void frameSent(const QByteArray& frame, int result);
    // The result of a frame send() left pending, in the order they were sent.
    void sendFinished(int result);
    void opened(int result);
    void statusTextChanged(int field, const QString& text);
    // A daemon announced itself: units found before are forgotten.
    void daemonAnnounced();
    // A daemon withdrew; units found through it are dropped, then the link ends.
    void daemonWithdrawn(int index);
    // A message through a daemon not selected (the network link only).
    void otherDaemonFrame(int index, const QByteArray& frame);

private:
    FrameLink* selected() const;
    void finishPending(int result);

    QuietInteraction interaction_;
    std::unique_ptr<NetworkLink> network_;
    std::unique_ptr<MidiLink> midi_;
    std::unique_ptr<SerialLink> serial_;
    FrameLink* override_ = nullptr;
    std::deque<QByteArray> pendingFrames_;
    bool midiMode_ = false;
    bool networkMode_ = false;
    bool open_ = false;
};

} // namespace varento
