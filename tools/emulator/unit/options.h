#pragma once

#include "fault_injector.h"
#include "unit_config.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varento::emu {

enum class Transport { Network, Serial, Midi };

inline constexpr std::uint16_t kDefaultDataPort = 7778;
inline constexpr int kMaxDaemons = 32; // the application's daemon table has 32 entries

struct Options {
    Transport transport = Transport::Network;
    std::vector<UnitConfig> units; // the default set when none is given
    bool trace = false;
    FaultPlan faults;
    std::uint64_t seed = 1;
    // network
    int daemons = 1;
    std::uint16_t dataPort = kDefaultDataPort; // daemon i serves dataPort + i
    // serial
    std::string serialPath; // empty with --pty
    bool pty = false;
    int baud = 115200;
    // MIDI
    std::string midiPort = "VARENTO Emulator";
    std::string midiApi; // empty: the first backend that offers virtual ports
};

struct CommandLine {
    std::optional<Options> options; // set when the emulator should run
    bool help = false;
    bool version = false;
    std::string error; // set when the arguments are wrong
};

// Reads the arguments after the program name.
CommandLine parseCommandLine(std::span<const std::string_view> args);
std::string helpText(std::string_view program);

// The units each daemon serves: those pinned with "@D" go to daemon D, the others
// are dealt out in turn.
std::vector<std::vector<UnitConfig>> unitsPerDaemon(const Options& options);

} // namespace varento::emu
