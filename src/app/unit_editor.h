#pragma once

#include "app/unit_edit.h"
#include "protocol/frame_builders.h"

#include "protocol/device_uid.h"

#include <QString>
#include <QStringList>

#include <span>

namespace varento {

class Session;

// Every change a window or the command line makes to a unit, addressed to that
// unit by its id. Each operation changes the unit's own record, marks the right
// part unsaved, announces exactly what changed and queues the frames the unit
// expects for it, so the screen and the unit never disagree. An edit for a unit
// that is no longer found is refused (false, with a status message) and goes to
// no other unit. Nothing else writes a unit's record.
class UnitEditor {
public:
    UnitEditor(Session& session, const DeviceUid& unit);

    const DeviceUid& unit() const { return unit_; }

    // One parameter byte as a single edit: polling pauses, one set-parameters
    // frame. The LED dim bytes are sent from their edit copies, which follow.
    bool setParameter(int number, std::uint8_t value);
    // A one-bit switch, sent the way its window always sent it.
    bool setFlag(UnitFlag flag, bool on);
    bool toggleFlag(UnitFlag flag);

    // Outputs lowest..highest take their sources and flags from `table`; from
    // output 192 on the whole table goes out. Polling pauses and asks for the
    // routing next; routing replies do not overwrite the matrix until it resumes.
    bool setRoutingRange(int lowest, int highest, const RoutingTable& table);
    bool setRoute(int output, std::uint8_t source);
    // Sums channel `source` (0..191) onto summing bus `bus` (0..3) or takes it off;
    // the whole table goes out, as the matrix's SUM bank sends it.
    bool setBusMember(int source, int bus, bool on);
    // The whole table with its flags in one frame.
    bool setRoutingTable(const RoutingTable& table);

    bool setInputGain(int input, std::uint8_t value);
    // P48 (bit 1) and PAD (bit 0) of one input.
    bool setInputSwitch(int input, std::uint8_t value);
    bool setGpoBits(std::uint8_t value);
    // Inputs first..first+count-1 at one gain, or their switch `bits` set (on) or
    // cleared: one frame an input, `pauseMs` apart in the send queue, so the loop
    // runs on meanwhile; polling resumes 250 ms after the last frame.
    bool setInputGainGroup(int first, int count, std::uint8_t value, int pauseMs);
    bool setInputSwitchGroup(int first, int count, std::uint8_t bits, bool on, int pauseMs);
    bool setInputGains(std::span<const std::uint8_t, kInputCount> values);
    // Output levels, signed dB.
    bool setChannelGain(int channel, std::uint8_t value);
    bool setChannelGains(std::span<const std::uint8_t, kChannelGainCount> values);
    // The summing buses' output levels, two selectors to a byte.
    bool setBusLevels(std::uint8_t first, std::uint8_t second);

    // A label of the current unit, stored at once and handed to every window.
    bool setLabel(int index, const QString& text);
    // Consecutive labels from `first` in one edit and one store; texts beyond the
    // last label are dropped.
    bool setLabels(int first, const QStringList& texts);

    // What a settings dialog decided: the parameter block (parameters and LED dim
    // edit bytes) of `from`. With `send` the whole settings sequence follows.
    bool applySettings(const DeviceRecord& from, bool send);
    // The identify request of a settings dialog, with its remote options.
    bool identify(const DeviceRecord& from);
    // The calibration dialog's values; sent while connected.
    bool applyCalibration(const DeviceRecord& from);

    // Factory defaults on a connected unit: every setting, the routing and the
    // gains, with the pauses the unit needs.
    bool resetToFactoryDefaults();

private:
    // The unit's record, or nullptr (refused, said) when it is gone.
    DeviceRecord* target();
    // The edit on the unit's record, then finish(); false when it is gone.
    template <typename Change> bool apply(const UnitEdit& edit, Change&& change);
    bool finish(const UnitEdit& edit);
    void sendParameterNow(const DeviceRecord& r, int number);
    void sendInputGroup(const DeviceRecord& r, int first, int count, int pauseMs,
                        int (*build)(FrameBuffer&, const DeviceRecord&, int));

    Session& session_;
    DeviceUid unit_;
    // Send failures counted before this edit queued its frames: its journal line
    // says whether they all left.
    int failuresBefore_ = 0;
};

} // namespace varento
