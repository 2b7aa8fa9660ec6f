#pragma once

#include "protocol/device_record.h"

#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace varento {

// One value that the project and the unit hold differently, in words.
struct Difference {
    enum class Part { Settings, Routing, Gains, Labels };
    Part part;
    QString item;    // "clockRate", "AES OUT 4 \"Monitor L\"", "input 4 gain"
    QString project; // the project's value
    QString unit;    // the unit's value
    friend bool operator==(const Difference&, const Difference&) = default;
};
const char* partName(Difference::Part part); // "settings", "routing", "gains", "labels"

// What loading the dataset `block` would change on the unit: its settings, routing
// (each output's source, the bus sums), its gains where a window edits them and,
// when the project keeps them, its labels.
std::vector<Difference>
compareWithProject(const DeviceRecord& unit, std::span<const std::uint8_t> block,
                   const std::optional<std::array<Label, kLabelCount>>& projectLabels);

struct UnitComparison {
    enum class Presence { Compared, NotOnline, NotAnswering, NotInProject };
    DeviceUid uid;
    QString name;  // the device list's name, or the type name
    QString model; // type name; empty for a unit not online
    Presence presence = Presence::Compared;
    bool labelsCompared = false; // the project keeps labels for the unit
    std::vector<Difference> differences;
};
const char* presenceText(UnitComparison::Presence presence);

struct ProjectComparison {
    QString path;
    int datasets = 0;
    double readMs = 0; // the fresh reads of the units, on the wire and waiting
    std::vector<UnitComparison> units;
    // Anything a pre-show check must report: a difference, a unit of the project
    // that is not there or did not answer, a unit online that the project lacks.
    bool differs() const;
};

} // namespace varento
