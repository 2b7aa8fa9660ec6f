#pragma once

#include "app/interaction.h"
#include "links/frame_link.h"
#include "links/midi_backend.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>

namespace varento {

class MidiSender;

// The MIDI link: protocol frames as whole SysEx messages through one input and one
// output device. The backend's input thread only queues received bytes to the
// main thread; sends run on a sender thread and the main thread waits for them
// at most one second.
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
    // an open failure has been shown and leaves its flag clear.
    void applyDeviceChoice(int inputDevice, int outputDevice);
    // "MIDI In: <input> | MIDI Out: <output>", status bar field 0.
    QString endpointText() const;

    // 1 = failed (shown under "MIDI-Input Error" / "MIDI-Output Error"), else 0.
    int openInput();
    int openOutput();

    // Connect: opens what is not open yet; -1 when an open fails (already shown).
    int open();
    // The connect sequence starts reception once the link is open.
    void startInput();
    // Disconnect: acts only while the link is open. A device that cannot be closed
    // stays marked open, so the next connect does not open it again.
    void close();

    // 0 = sent; 1 = failed, shown under "Error!" with the backend's text (also a
    // device that has not finished within one second).
    int send(std::span<const std::uint8_t> frame) override;
    bool isOpen() const override { return state_.linkOpen; }
    bool isReceiving() const { return receiving_; }

private:
    void deliver(const QByteArray& message);
    void showError(const QString& title, const std::string& text);
    bool closeInputDevice();
    bool closeOutputDevice();

    Interaction& ui_;
    std::unique_ptr<MidiBackend> backend_;
    std::unique_ptr<MidiSender> sender_;
    State state_;
    QStringList inputDevices_;
    QStringList outputDevices_;
    // Read by the backend's input thread as well.
    std::atomic<bool> receiving_ = false;
};

} // namespace varento
