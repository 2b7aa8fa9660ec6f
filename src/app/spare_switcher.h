#pragma once

#include "app/spare_switch.h"
#include "app/switch_over_store.h"
#include "protocol/device_uid.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <map>
#include <optional>

namespace varento {

struct DeviceRecord;
class Session;

// Where a unit's switch-over stands.
enum class SwitchPhase {
    None,        // nothing switched over
    Switching,   // reading the routing, sending the switch-over, reading it back
    Switched,    // the unit's routing confirms the moved outputs are on the spare
    Returning,   // the way back, read and confirmed the same way
    Failed,      // the unit did not confirm the last step: see what was said
    Unconfirmed, // recorded earlier, not yet checked against the unit's routing
};

// The spare-microphone switch-over of every unit, by its id. A switch-over is
// built from the routing read from the unit just before, sent as one routing
// frame, and shown as switched only once the routing read back confirms it; the
// way back gives back exactly the outputs it moved that are still on the spare.
// Every routing read from a unit checks its switch-over again.
class SpareSwitcher : public QObject {
    Q_OBJECT

public:
    // The most each read of the routing may take.
    static constexpr int kReplyBoundMs = 2000;
    // A second press this soon after the first is not taken (a double click).
    static constexpr int kPressGuardMs = 300;

    explicit SpareSwitcher(Session& session, QObject* parent = nullptr);

    // A channel key of the trigger window: switches over when the unit has no
    // switch-over, switches back when it is this channel's; anything else is
    // refused with a reason.
    void press(const DeviceUid& unit, int channel, int spare);
    // The two steps on their own (the command line). False, with the reason said
    // and nothing sent, when the step cannot start.
    bool trip(const DeviceUid& unit, int channel, int spare);
    bool untrip(const DeviceUid& unit, int channel);

    SwitchPhase phase(const DeviceUid& unit) const;
    // The recorded switch-over, also while it is being sent or checked.
    std::optional<SwitchOver> switchOver(const DeviceUid& unit) const;
    // The channel a key lights or marks: the switch-over's, or the one being
    // switched over; -1 for none.
    int channel(const DeviceUid& unit) const;
    // A step is running: reading, sending or waiting for the read-back.
    bool busy(const DeviceUid& unit) const;

    // An accepted routing reply from the unit: its record holds the unit's routing.
    void routingRead(const DeviceUid& unit);
    // A loaded table about to replace the unit's routing (in `unit`'s record): the
    // outputs it feeds from the failed input take the spare before it is sent.
    // True when the unit has a switch-over that was kept this way.
    bool keepOnSpare(DeviceRecord& unit);
    // The loaded table was queued: read it back behind it.
    void confirmLoaded(const DeviceUid& unit);

signals:
    void changed(const DeviceUid& unit);
    // Why a press did nothing, or what the unit did: for the status fields.
    void said(const DeviceUid& unit, const QString& text);
    // A trip or untrip ended: `confirmed` when the unit's routing proves it.
    void finished(const DeviceUid& unit, bool confirmed);

private:
    enum class Step { None, ReadBefore, ReadBack };
    struct UnitState {
        std::optional<SwitchOver> record;
        SwitchPhase phase = SwitchPhase::None;
        Step step = Step::None;
        bool back = false;      // the running step gives the outputs back
        int channel = -1;       // of the running trip
        int spare = -1;         // of the running trip
        std::vector<int> moved; // outputs the sent frame moved
        bool requestLeft = false;
        bool askedAgain = false;
        int serial = 0; // tells a deadline which step it was set for
    };

    UnitState& stateOf(const DeviceUid& unit);
    const UnitState* find(const DeviceUid& unit) const;
    bool refuse(const DeviceUid& unit, const QString& text);
    void begin(const DeviceUid& unit, UnitState& s, bool back);
    void readRouting(const DeviceUid& unit, UnitState& s, int boundMs);
    void sendStep(const DeviceUid& unit, UnitState& s);
    void checkReadBack(const DeviceUid& unit, UnitState& s);
    void check(const DeviceUid& unit, UnitState& s);
    void end(const DeviceUid& unit, UnitState& s, SwitchPhase phase, bool confirmed,
             const QString& text);
    void deadlinePassed(const DeviceUid& unit, int serial);
    void keep(const DeviceUid& unit, UnitState& s, std::optional<SwitchOver> record);
    QString unitName(const DeviceUid& unit) const;

    Session& session_;
    SwitchOverStore store_;
    std::map<DeviceUid, UnitState> units_;
    QElapsedTimer lastPress_;
};

// "outputs 0 35 100", for texts and the journal.
QString outputListText(const std::vector<int>& outputs);

} // namespace varento
