#include "options.h"

#include <charconv>
#include <cmath>

namespace varento::emu {

namespace {

using std::chrono::milliseconds;

std::optional<long long> wholeNumber(std::string_view text, long long min, long long max) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Seconds as a decimal number ("2", "0.5"), in whole milliseconds.
std::optional<milliseconds> seconds(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !(value >= 0) || value > 86400 * 7) {
        return std::nullopt;
    }
    return milliseconds(std::llround(value * 1000));
}

class Reader {
public:
    explicit Reader(std::span<const std::string_view> args) : args_(args) {}
    bool done() const { return next_ >= args_.size(); }
    std::string_view take() { return args_[next_++]; }
    std::optional<std::string_view> value() {
        if (done()) {
            return std::nullopt;
        }
        return take();
    }

private:
    std::span<const std::string_view> args_;
    std::size_t next_ = 0;
};

CommandLine failure(std::string message) {
    CommandLine c;
    c.error = std::move(message);
    return c;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> args) {
    Reader in(args);
    if (in.done()) {
        return failure("no mode given: use network, serial or midi (see --help)");
    }
    const std::string_view mode = in.take();
    if (mode == "--help" || mode == "-h" || mode == "help") {
        CommandLine c;
        c.help = true;
        return c;
    }
    if (mode == "--version") {
        CommandLine c;
        c.version = true;
        return c;
    }
    Options o;
    if (mode == "network") {
        o.transport = Transport::Network;
    } else if (mode == "serial") {
        o.transport = Transport::Serial;
    } else if (mode == "midi") {
        o.transport = Transport::Midi;
    } else {
        return failure("unknown mode \"" + std::string(mode) + "\": use network, serial or midi");
    }

    bool portNamed = false;
    bool daemonsGiven = false;
    std::optional<milliseconds> muteFor;
    while (!in.done()) {
        const std::string_view arg = in.take();
        const std::string name(arg);
        auto needValue = [&]() -> std::optional<std::string_view> { return in.value(); };
        auto bad = [&](std::string_view what) { return failure(name + ": " + std::string(what)); };
        auto only = [&](Transport t, std::string_view modeName) -> std::optional<CommandLine> {
            if (o.transport != t) {
                return bad("applies to " + std::string(modeName) + " mode only");
            }
            return std::nullopt;
        };

        if (arg == "--help" || arg == "-h" || arg == "--version") {
            CommandLine c;
            (arg == "--version" ? c.version : c.help) = true;
            return c;
        }
        if (arg == "--trace") {
            o.trace = true;
            continue;
        }
        if (arg == "--pty") {
            if (auto e = only(Transport::Serial, "serial")) {
                return *e;
            }
            o.pty = true;
            continue;
        }
        if (!arg.starts_with("--")) {
            if (o.transport == Transport::Serial && o.serialPath.empty()) {
                o.serialPath = name;
                continue;
            }
            if (o.transport == Transport::Midi && !portNamed) {
                o.midiPort = name;
                portNamed = true;
                continue;
            }
            return failure("unexpected argument \"" + name + "\"");
        }
        const auto value = needValue();
        if (!value) {
            return bad(arg == "--unit" ? "needs MODEL:UID:MAJOR.MINOR" : "needs a value");
        }
        const std::string v(*value);
        if (arg == "--unit") {
            std::string error;
            auto unit = parseUnitConfig(v, error);
            if (!unit) {
                return failure(error);
            }
            if (unit->daemon && o.transport != Transport::Network) {
                return failure("unit \"" + v + "\": \"@DAEMON\" applies to network mode only");
            }
            o.units.push_back(*unit);
        } else if (arg == "--daemons") {
            if (auto e = only(Transport::Network, "network")) {
                return *e;
            }
            const auto n = wholeNumber(v, 1, kMaxDaemons);
            if (!n) {
                return bad("must be a number 1..32");
            }
            o.daemons = static_cast<int>(*n);
            daemonsGiven = true;
        } else if (arg == "--data-port") {
            if (auto e = only(Transport::Network, "network")) {
                return *e;
            }
            const auto n = wholeNumber(v, 1024, 65535);
            if (!n) {
                return bad("must be a port number 1024..65535");
            }
            o.dataPort = static_cast<std::uint16_t>(*n);
        } else if (arg == "--baud") {
            if (auto e = only(Transport::Serial, "serial")) {
                return *e;
            }
            const auto n = wholeNumber(v, 50, 4000000);
            if (!n) {
                return bad("must be a baud rate such as 115200");
            }
            o.baud = static_cast<int>(*n);
        } else if (arg == "--api") {
            if (auto e = only(Transport::Midi, "midi")) {
                return *e;
            }
            if (v != "jack" && v != "alsa" && v != "core" && v != "any") {
                return bad("must be jack, alsa, core or any");
            }
            o.midiApi = v == "any" ? std::string() : v;
        } else if (arg == "--seed") {
            const auto n = wholeNumber(v, 0, 0x7FFFFFFFFFFFFFFFLL);
            if (!n) {
                return bad("must be a whole number");
            }
            o.seed = static_cast<std::uint64_t>(*n);
        } else if (arg == "--drop-every") {
            const auto n = wholeNumber(v, 1, 1000000);
            if (!n) {
                return bad("must be a number 1 or more (1 drops every reply)");
            }
            o.faults.dropEvery = static_cast<int>(*n);
        } else if (arg == "--delay") {
            const auto n = wholeNumber(v, 0, 60000);
            if (!n) {
                return bad("must be milliseconds 0..60000");
            }
            o.faults.delay = milliseconds(*n);
        } else if (arg == "--mute-after") {
            const auto t = seconds(v);
            if (!t) {
                return bad("must be seconds, such as 10 or 2.5");
            }
            o.faults.muteAfter = *t;
        } else if (arg == "--mute-for") {
            const auto t = seconds(v);
            if (!t || t->count() == 0) {
                return bad("must be seconds above 0, such as 10 or 2.5");
            }
            muteFor = *t;
        } else if (arg == "--corrupt-every") {
            const auto at = v.find('@');
            const auto n = wholeNumber(std::string_view(v).substr(0, at), 1, 1000000);
            if (!n) {
                return bad("must be N or N@OFFSET, N 1 or more");
            }
            o.faults.corruptEvery = static_cast<int>(*n);
            if (at != std::string::npos) {
                const auto offset = wholeNumber(std::string_view(v).substr(at + 1), 0, 786);
                if (!offset) {
                    return bad("the offset after '@' must be 0..786");
                }
                o.faults.corruptOffset = static_cast<std::size_t>(*offset);
            }
        } else if (arg == "--byte-gap") {
            if (auto e = only(Transport::Serial, "serial")) {
                return *e;
            }
            const auto n = wholeNumber(v, 1, 10000);
            if (!n) {
                return bad("must be milliseconds 1..10000");
            }
            o.faults.byteGap = milliseconds(*n);
        } else if (arg == "--withdraw-after") {
            if (auto e = only(Transport::Network, "network")) {
                return *e;
            }
            const auto colon = v.find(':');
            const auto t = seconds(std::string_view(v).substr(0, colon));
            const auto daemon = colon == std::string::npos
                                    ? std::optional<long long>(0)
                                    : wholeNumber(std::string_view(v).substr(colon + 1), 0, 31);
            if (!t || !daemon) {
                return bad("must be SECONDS or SECONDS:DAEMON");
            }
            o.faults.withdrawals.push_back({*t, static_cast<int>(*daemon)});
        } else {
            return failure("unknown option \"" + name + "\" (see --help)");
        }
    }

    if (muteFor) {
        if (!o.faults.muteAfter) {
            return failure("--mute-for needs --mute-after");
        }
        o.faults.muteFor = muteFor;
    }
    if (o.transport == Transport::Serial && o.pty == !o.serialPath.empty()) {
        return failure(o.pty ? "serial: give a device path or --pty, not both"
                             : "serial: give a device path or --pty");
    }
    if (o.transport == Transport::Network && o.dataPort + o.daemons - 1 > 65535) {
        return failure("--data-port: the daemons' ports run past 65535");
    }
    if (o.transport == Transport::Network && o.dataPort <= 7777 &&
        o.dataPort + o.daemons - 1 >= 7777) {
        return failure("--data-port: no daemon may serve the control port 7777");
    }
    for (const auto& w : o.faults.withdrawals) {
        if (w.daemon >= o.daemons) {
            return failure("--withdraw-after: there is no daemon " + std::to_string(w.daemon) +
                           (daemonsGiven ? "" : " (use --daemons)"));
        }
    }
    if (o.units.empty()) {
        o.units = defaultUnits();
    }
    for (const auto& u : o.units) {
        if (u.daemon && *u.daemon >= o.daemons) {
            return failure("unit \"" + unitConfigText(u) + "\": there is no daemon " +
                           std::to_string(*u.daemon) + " (use --daemons)");
        }
    }
    if (auto e = duplicateUidError(o.units); !e.empty()) {
        return failure(e);
    }
    CommandLine c;
    c.options = std::move(o);
    return c;
}

std::vector<std::vector<UnitConfig>> unitsPerDaemon(const Options& o) {
    std::vector<std::vector<UnitConfig>> split(static_cast<std::size_t>(std::max(o.daemons, 1)));
    std::size_t next = 0;
    for (const auto& u : o.units) {
        if (u.daemon) {
            split[static_cast<std::size_t>(*u.daemon)].push_back(u);
        } else {
            split[next++ % split.size()].push_back(u);
        }
    }
    return split;
}

std::string helpText(std::string_view program) {
    const std::string p(program);
    // "Usage:" and "or:" lines, the layout help2man turns into the manual's synopsis.
    return "Usage: " + p +
           " network [--daemons N] [--data-port PORT] [common options]\n"
           "  or:  " +
           p +
           " serial (PATH | --pty) [--baud RATE] [--byte-gap MS] [common options]\n"
           "  or:  " +
           p +
           " midi [PORTNAME] [--api jack|alsa|core|any] [common options]\n"
           "  or:  " +
           p +
           " --help | --version\n"
           "\n"
           "Plays the units' side of the VARENTO protocol so that VARENTO Remote can be\n"
           "tried, tested and demonstrated without hardware. It runs until interrupted\n"
           "(Ctrl+C, SIGINT or SIGTERM), and then withdraws its daemons.\n"
           "\n"
           "Modes:\n"
           "  network   act as one or more Ravnet daemons on the multicast group 224.7.7.7:\n"
           "            answer \"QQ\" on port 7777 with \"QR\" and each daemon's data port, and\n"
           "            serve the units on the data ports.\n"
           "            WARNING: run this mode only inside a private network namespace or an\n"
           "            isolated test network, never on a network with real units or other\n"
           "            users. A private namespace on Linux (as root):\n"
           "              unshare -n sh -c 'ip link set lo up; ip link set lo multicast on;\n"
           "                ip route add 224.0.0.0/4 dev lo; exec " +
           p +
           " network'\n"
           "            and run the application inside the same namespace.\n"
           "  serial    frames as raw bytes on a serial device: PATH (for example one side of\n"
           "            a socat pty pair) or --pty, which makes a pseudo-terminal and prints\n"
           "            the path to open on the other side.\n"
           "  midi      each frame one SysEx message on a virtual MIDI port (input and output)\n"
           "            named PORTNAME (default \"VARENTO Emulator\"); needs a backend with\n"
           "            virtual ports (JACK, ALSA or CoreMIDI).\n"
           "\n"
           "Units (common):\n"
           "  --unit MODEL:UID:MAJOR.MINOR[@DAEMON]\n"
           "            emulate this unit; repeat for more. MODEL is the model code (0..127),\n"
           "            UID 32 hexadecimal digits (two per byte, 00..7F), MAJOR.MINOR the\n"
           "            firmware version. @DAEMON (network) puts the unit behind daemon\n"
           "            DAEMON (0 = first); other units are dealt out to the daemons in turn.\n"
           "            Without --unit: a VARENTO 2 (12), a VARENTO 2.PX SRC (14) and a\n"
           "            VARENTO.LC (11) with microphone inputs.\n"
           "  --seed N  start the meters and status changes from seed N (default 1), so a\n"
           "            run can be replayed.\n"
           "  --trace   print every frame received and sent, decoded, one line each with a\n"
           "            timestamp.\n"
           "\n"
           "Network:\n"
           "  --daemons N        act as N daemons (1..32, default 1) and split the units\n"
           "                     between them.\n"
           "  --data-port PORT   daemon i serves data port PORT+i (default 7778).\n"
           "\n"
           "Serial:\n"
           "  --pty              create a pseudo-terminal instead of opening PATH.\n"
           "  --baud RATE        line speed for PATH (default 115200).\n"
           "\n"
           "MIDI:\n"
           "  --api NAME         jack, alsa, core or any (default: the first that works).\n"
           "\n"
           "Faults (common unless marked):\n"
           "  --drop-every N          drop every N-th reply (1 drops them all).\n"
           "  --delay MS              send every reply MS milliseconds late.\n"
           "  --mute-after SEC        stop answering SEC seconds after the start; requests\n"
           "                          are then neither answered nor applied.\n"
           "  --mute-for SEC          with --mute-after: answer again after SEC seconds.\n"
           "  --corrupt-every N[@OFF] flip bit 0 of one byte of every N-th reply: the byte\n"
           "                          at offset OFF, or a byte between the markers.\n"
           "  --byte-gap MS           (serial) write replies one byte at a time, MS apart.\n"
           "  --withdraw-after SEC[:D] (network) daemon D (default 0) says \"VV\" and stops\n"
           "                          after SEC seconds; repeat for more daemons.\n"
           "\n"
           "Signals: SIGINT and SIGTERM end the emulator (withdrawing its daemons);\n"
           "SIGUSR1 makes the first daemon still serving withdraw (network).\n";
}

} // namespace varento::emu
