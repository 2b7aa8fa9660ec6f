#pragma once

#include "protocol/device_uid.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace varento::cli {

// Exit statuses.
namespace exit_status {
inline constexpr int ok = 0;
inline constexpr int noAnswer = 1; // a unit did not answer or was not found
inline constexpr int usage = 2;
inline constexpr int file = 3;
inline constexpr int interrupted = 130;
} // namespace exit_status

enum class LinkKind { Network, Serial, Midi, Demo };

struct LinkChoice {
    LinkKind kind = LinkKind::Network;
    QString serialPort;
    int baudRate = 115200;
    QString midiIn = "0"; // a device number or (part of) its name
    QString midiOut = "0";
    int demoUnits = 3;
};

enum class Command {
    Help,
    Version,
    Discover,
    Dump,
    Set,
    Route,
    RouteTable,
    RouteBus,
    Gain,
    PresetSave,
    PresetLoad,
    ProjectSave,
    ProjectLoad,
    ProjectCompare,
    LabelsExport,
    LabelsImport,
    Show,
    Decode,
    Monitor,
    DevicesList,
    DevicesRename,
    DevicesMove,
    DevicesRemove,
    Trip,
    Untrip,
    TripStatus,
    Journal,
    Osc,
    RouteSheet,
};

enum class PresetPart { Settings, Matrix, Gains, All };

struct CommandLine {
    Command command = Command::Help;
    LinkChoice link;
    int timeoutMs = 10000;
    bool json = false;
    bool yes = false;             // answer every question yes (overwrite, load into the unit)
    bool hex = false;             // monitor: the raw frame under each line
    bool reconnect = false;       // monitor: open a lost link again every two seconds
    bool table = false;           // route: print the routing instead of changing it
    bool sheet = false;           // route: write the routing sheet to `output`
    QString output;               // route --sheet: .pdf, .png or .csv
    bool letter = false;          // route --sheet: Letter paper instead of A4
    bool status = false;          // trip: print the switch-over instead of switching
    std::optional<DeviceUid> uid; // dump: none for all units
    int parameter = 0;            // set
    int value = 0;                // set, route (source), gain
    int index = 0;                // route (output), gain (wire index), devices move (position),
                                  // trip (channel 0..31)
    std::optional<int> spare;     // trip, untrip: the spare analog input 0..31
    std::optional<int> bus;       // route: the summing bus 0..3 a source joins or leaves
    std::optional<int> oscPort;   // osc: the UDP port (9000)
    QString oscListen;            // osc: the address listened on (loopback)
    QStringList oscAllowed;       // osc: the clients let in (everyone)
    bool readOnly = false;        // osc: feedback and queries, no edits
    bool on = false;              // route --bus: join (on) or leave (off)
    PresetPart part = PresetPart::All;
    QString file;
    QString name;                   // devices rename
    QStringList hexFrames;          // decode; "-" reads frames from standard input
    std::optional<double> seconds;  // monitor
    std::optional<QDateTime> since; // journal: entries from this moment on
    // project load: the unit that takes the dataset of a unit that is not online
    std::vector<std::pair<DeviceUid, DeviceUid>> replacements;
};

struct ParsedCommandLine {
    std::optional<CommandLine> line;
    QString error; // a usage error, one sentence
};

// The arguments after the program name. Options may stand before or after the
// command; "--" ends them.
ParsedCommandLine parseCommandLine(const QStringList& args);
QString usageText();

// --since: an ISO 8601 date or date-time ("2026-12-08", "2026-12-08T14:00",
// "2026-12-08 14:00:00", with an optional offset; local time without one), or a
// time before `now` ("90s", "30m", "2h", "1d").
std::optional<QDateTime> parseSince(const QString& text, const QDateTime& now);

// "network", "serial:/dev/ttyUSB0@57600", "midi:1/2", "demo:4".
std::optional<LinkChoice> parseLink(const QString& text, QString& error);

} // namespace varento::cli
