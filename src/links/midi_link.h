#pragma once

#include "app/interaction.h"
#include "links/frame_link.h"
#include "links/midi_backend.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>

namespace varento {

class MidiSender;

// The MIDI link: protocol frames as whole SysEx messages through one input and one
// output device. The backend's input thread only queues received bytes to the
// main thread; sends run on a sender thread. send() waits for it at most one
// second; post() only hands the frame over and the sender reports back.
// No output port is closed or replaced while a send is inside it: that waits
// until the sender comes back.
class MidiLink : public FrameLink {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kSendTimeout{1000};
    static constexpr int kMaxMessageSize = 1024;

    // The state the "MIDI I/O" dialog works on and the status bar shows.
    struct State {
        int inputDevice = 0;
        int outputDevice = 0;
        QString inputName;
        QString outputName;
        bool inputOpen = false;
        bool outputOpen = false;
        bool linkOpen = false;
    };

    MidiLink(Interaction& ui, std::unique_ptr<MidiBackend> backend, QObject* parent = nullptr);
    ~MidiLink() override;

    // Device lists, read at start-up and before the dialog opens.
    void refreshDevices();
    const QStringList& inputDevices() const { return inputDevices_; }
    const QStringList& outputDevices() const { return outputDevices_; }
    int inputDeviceCount() const { return static_cast<int>(inputDevices_.size()); }
    int outputDeviceCount() const { return static_cast<int>(outputDevices_.size()); }

    const State& state() const { return state_; }
    // Chooses the devices and their names without opening them (settings restore,
    // the dialog's initial selection). Indices without a device keep their name empty.
    void selectDevices(int inputDevice, int outputDevice);
    // The dialog's OK: closes what is open, takes the chosen devices and opens them;
    // an open failure has been shown and leaves its flag clear. While a send is
    // inside the output, the output is replaced when the send comes back.
    void applyDeviceChoice(int inputDevice, int outputDevice);
    // Reads the device lists again and finds the chosen devices there by name (a
    // device that went away and came back may have another number); false, with
    // the choice unchanged, while either is missing.
    bool findChosenDevices();
    // "MIDI In: <input> | MIDI Out: <output>", status bar field 0.
    QString endpointText() const;

    // 1 = failed (shown under "MIDI-Input Error" / "MIDI-Output Error"), else 0.
    int openInput();
    int openOutput();

    // Connect: opens what is not open yet; -1 when an open fails (already shown).
    int open();
    // The connect sequence starts reception once the link is open.
    void startInput();
    // Disconnect: acts only while the link is open; frames posted and not yet
    // reported are dropped unreported. A device that fails to close is gone all
    // the same, so the next connect opens it again; an output with a send inside
    // closes when the send comes back.
    void close();

    // 0 = sent; 1 = failed, shown under "Error!" with the backend's text (also a
    // device that has not finished within one second).
    int send(std::span<const std::uint8_t> frame) override;
    // kSendPending, then sendFinished with send()'s result and message; 1 at once
    // when the frame cannot be taken (shown).
    int post(std::span<const std::uint8_t> frame) override;
    bool isOpen() const override { return state_.linkOpen; }
    bool isReceiving() const { return receiving_; }

private:
    enum class OutputChange { None, Close, Reopen };

    void deliver(const QByteArray& message);
    void showError(const QString& title, const std::string& text);
    int refuse(std::span<const std::uint8_t> frame);
    void sendDone(std::uint64_t ticket, bool ok, const std::string& error);
    void overrun();
    void changeOutputWhenIdle(OutputChange change);
    void applyOutputChange();

    Interaction& ui_;
    std::unique_ptr<MidiBackend> backend_;
    std::unique_ptr<MidiSender> sender_;
    State state_;
    // Posted frames not yet reported, oldest first; the timer bounds the oldest.
    std::deque<std::uint64_t> inFlight_;
    QTimer overrunTimer_;
    // A send that outlived the bound and is still inside the backend.
    std::uint64_t overran_ = 0;
    OutputChange outputChange_ = OutputChange::None;
    QStringList inputDevices_;
    QStringList outputDevices_;
    // Read by the backend's input thread as well.
    std::atomic<bool> receiving_ = false;
};

} // namespace varento
