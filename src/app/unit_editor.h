#pragma once

#include "app/unit_edit.h"
#include "protocol/frame_builders.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <span>

namespace varento {

class Session;

// Every change a window or the command line makes to the current unit. Each
// operation changes the record, marks the right part unsaved, announces exactly
// what changed and queues the frames the unit expects for it, so the screen and
// the unit never disagree. Nothing else writes the current unit's record.
class UnitEditor : public QObject {
    Q_OBJECT

public:
    explicit UnitEditor(Session& session);

    // One parameter byte as a single edit: polling pauses, one set-parameters
    // frame. The LED dim bytes are sent from their edit copies, which follow.
    void setParameter(int number, std::uint8_t value);
    // A one-bit switch, sent the way its window always sent it.
    void setFlag(UnitFlag flag, bool on);
    void toggleFlag(UnitFlag flag);

    // Outputs lowest..highest take their sources and flags from `table`; from
    // output 192 on the whole table goes out. Polling pauses and asks for the
    // routing next; routing replies do not overwrite the matrix until it resumes.
    void setRoutingRange(int lowest, int highest, const RoutingTable& table);
    void setRoute(int output, std::uint8_t source);
    // The whole table with its flags in one frame.
    void setRoutingTable(const RoutingTable& table);

    void setInputGain(int input, std::uint8_t value);
    // P48 (bit 1) and PAD (bit 0) of one input.
    void setInputSwitch(int input, std::uint8_t value);
    void setGpoBits(std::uint8_t value);
    // Inputs first..first+count-1 at one gain, or their switch `bits` set (on) or
    // cleared: one frame an input, `pauseMs` apart in the send queue, so the loop
    // runs on meanwhile; polling resumes 250 ms after the last frame.
    void setInputGainGroup(int first, int count, std::uint8_t value, int pauseMs);
    void setInputSwitchGroup(int first, int count, std::uint8_t bits, bool on, int pauseMs);
    void setInputGains(std::span<const std::uint8_t, kInputCount> values);
    // Output levels, signed dB.
    void setChannelGain(int channel, std::uint8_t value);
    void setChannelGains(std::span<const std::uint8_t, kChannelGainCount> values);
    // The summing buses' output levels, two selectors to a byte.
    void setBusLevels(std::uint8_t first, std::uint8_t second);

    // A label of the current unit, stored at once and handed to every window.
    void setLabel(int index, const QString& text);
    // Consecutive labels from `first` in one edit and one store; texts beyond the
    // last label are dropped.
    void setLabels(int first, const QStringList& texts);

    // What a settings dialog decided: the parameter block (parameters and LED dim
    // edit bytes) of `from`. With `send` the whole settings sequence follows.
    void applySettings(const DeviceRecord& from, bool send);
    // The identify request of a settings dialog, with its remote options.
    void identify(const DeviceRecord& from);
    // The calibration dialog's values; sent while connected.
    void applyCalibration(const DeviceRecord& from);

    // Factory defaults on a connected unit: every setting, the routing and the
    // gains, with the pauses the unit needs.
    void resetToFactoryDefaults();

signals:
    void edited(const UnitEdit& edit);

private:
    void finish(const UnitEdit& edit);
    void sendParameterNow(int number);
    void sendInputGroup(int first, int count, int pauseMs,
                        int (*build)(FrameBuffer&, const DeviceRecord&, int));

    Session& session_;
};

} // namespace varento
