#pragma once

#include "app/spare_switch.h"
#include "protocol/device_uid.h"

#include <QString>

#include <filesystem>
#include <map>
#include <optional>

namespace varento {

// The switch-overs in force, kept in switch-overs.json of the data folder so that
// a restarted program, or the command line beside the window, knows which outputs
// to give back. Every change re-reads the file and replaces only its own unit, so
// two programs that switch different units do not undo each other.
class SwitchOverStore {
public:
    static constexpr const char* kFileName = "switch-overs.json";

    explicit SwitchOverStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Every unit's switch-over on disk; a missing file holds none. A file that
    // cannot be read or understood holds none either, and `problem` says why.
    std::map<DeviceUid, SwitchOver> read(QString* problem = nullptr) const;
    std::optional<SwitchOver> find(const DeviceUid& unit) const;
    // Records the unit's switch-over, or none; an empty string when it was stored.
    QString store(const DeviceUid& unit, const std::optional<SwitchOver>& switchOver) const;

    std::filesystem::path path() const { return folder_ / kFileName; }

private:
    std::filesystem::path folder_;
};

} // namespace varento
