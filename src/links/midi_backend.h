#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace varento {

// The MIDI system as the link needs it. Failures carry the backend's own text.
// `send` may block and runs on the link's sender thread; everything else runs on
// the main thread. The input callback runs on the backend's thread.
// Closing always lets the port go, also when it reports a failure; opening
// replaces the port that is open. So neither may run while `send` is inside.
class MidiBackend {
public:
    struct Result {
        bool ok = true;
        std::string error;
    };
    using InputCallback = std::function<void(std::vector<std::uint8_t> message)>;

    virtual ~MidiBackend() = default;

    virtual std::vector<std::string> inputNames() = 0;
    virtual std::vector<std::string> outputNames() = 0;
    virtual Result openInput(int device, InputCallback onMessage) = 0;
    // No callback runs any more once this returns, whatever the result.
    virtual Result closeInput() = 0;
    virtual Result openOutput(int device) = 0;
    virtual Result closeOutput() = 0;
    virtual Result send(std::span<const std::uint8_t> message) = 0;
};

// The platform's MIDI system through RtMidi, SysEx enabled. `api` is a name of
// RtMidi's ("jack", "alsa", "winmm", "core", "dummy"); empty picks the default,
// which the environment variable VARENTO_MIDI_API overrides.
std::unique_ptr<MidiBackend> makeRtMidiBackend(const std::string& api = {});

} // namespace varento
