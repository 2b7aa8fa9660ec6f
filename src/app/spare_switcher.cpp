#include "app/spare_switcher.h"

#include "app/session.h"
#include "devices/device_list.h"
#include "protocol/catalog.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <iterator>

namespace varento {

QString outputListText(const std::vector<int>& outputs) {
    QStringList numbers;
    for (const int output : outputs) {
        numbers << QString::number(output);
    }
    return (outputs.size() == 1 ? QStringLiteral("output ") : QStringLiteral("outputs ")) +
           numbers.join(QLatin1Char(' '));
}

SpareSwitcher::SpareSwitcher(Session& session, QObject* parent)
    : QObject(parent), session_(session), store_(session.paths().dataFolder) {
    QString problem;
    for (const auto& [uid, record] : store_.read(&problem)) {
        UnitState& s = units_[uid];
        s.record = record;
        s.phase = SwitchPhase::Unconfirmed;
    }
    if (!problem.isEmpty()) {
        qWarning().noquote() << problem;
    }
}

SpareSwitcher::UnitState& SpareSwitcher::stateOf(const DeviceUid& unit) {
    return units_[unit];
}

const SpareSwitcher::UnitState* SpareSwitcher::find(const DeviceUid& unit) const {
    const auto it = units_.find(unit);
    return it == units_.end() ? nullptr : &it->second;
}

SwitchPhase SpareSwitcher::phase(const DeviceUid& unit) const {
    const UnitState* s = find(unit);
    return s ? s->phase : SwitchPhase::None;
}

std::optional<SwitchOver> SpareSwitcher::switchOver(const DeviceUid& unit) const {
    const UnitState* s = find(unit);
    return s ? s->record : std::nullopt;
}

int SpareSwitcher::channel(const DeviceUid& unit) const {
    const UnitState* s = find(unit);
    if (s == nullptr || s->phase == SwitchPhase::None) {
        return -1;
    }
    return s->record ? s->record->channel : s->channel;
}

bool SpareSwitcher::busy(const DeviceUid& unit) const {
    const UnitState* s = find(unit);
    return s != nullptr && s->step != Step::None;
}

QString SpareSwitcher::unitName(const DeviceUid& unit) const {
    return QString::fromStdString(unitIdText(unit));
}

bool SpareSwitcher::refuse(const DeviceUid& unit, const QString& text) {
    emit said(unit, text);
    return false;
}

// ---- the user's steps ----------------------------------------------------------------------

void SpareSwitcher::press(const DeviceUid& unit, int channel, int spare) {
    if (lastPress_.isValid() && lastPress_.elapsed() < kPressGuardMs) {
        refuse(unit, QStringLiteral("A second press within 0.3 s is not taken."));
        return;
    }
    const UnitState* s = find(unit);
    bool started = false;
    if (s != nullptr && s->record && s->step == Step::None) {
        started = s->record->channel == channel
                      ? untrip(unit, channel)
                      : refuse(unit, QString("Input %1 is switched over to the spare: switch it "
                                             "back first.")
                                         .arg(s->record->channel + 1));
    } else {
        started = trip(unit, channel, spare);
    }
    if (started) {
        lastPress_.start();
    }
}

bool SpareSwitcher::trip(const DeviceUid& unit, int channel, int spare) {
    const DeviceRecord* record = session_.unit(unit);
    if (!session_.state().isConnected || record == nullptr) {
        return refuse(
            unit,
            QString("The unit %1 is not online: nothing was switched over.").arg(unitName(unit)));
    }
    if (!hasMicInputs(record->model)) {
        return refuse(
            unit,
            QString("The unit %1 has no microphone inputs to switch over.").arg(unitName(unit)));
    }
    if (!isSpareChannel(spare)) {
        return refuse(unit, QStringLiteral("Choose the spare input first"));
    }
    if (!isSpareChannel(channel) || channel == spare) {
        return refuse(unit, QString("Input %1 is the spare input: choose another spare or "
                                    "another channel.")
                                .arg(spare + 1));
    }
    UnitState& s = stateOf(unit);
    if (s.step != Step::None) {
        return refuse(unit, QString("Input %1 is still being switched: wait for the unit's "
                                    "answer.")
                                .arg(this->channel(unit) + 1));
    }
    if (s.record) {
        return refuse(unit, QString("Input %1 is switched over to the spare: switch it back "
                                    "first.")
                                .arg(s.record->channel + 1));
    }
    s.channel = channel;
    s.spare = spare;
    begin(unit, s, false);
    return true;
}

bool SpareSwitcher::untrip(const DeviceUid& unit, int channel) {
    if (!session_.state().isConnected || session_.unit(unit) == nullptr) {
        return refuse(
            unit,
            QString("The unit %1 is not online: nothing was switched back.").arg(unitName(unit)));
    }
    UnitState& s = stateOf(unit);
    if (s.step != Step::None) {
        return refuse(unit, QString("Input %1 is still being switched: wait for the unit's "
                                    "answer.")
                                .arg(this->channel(unit) + 1));
    }
    if (!s.record) {
        s.record = store_.find(unit); // switched over by another program meanwhile
    }
    if (!s.record || s.record->channel != channel) {
        return refuse(unit, QString("No switch-over of input %1 is recorded for the unit %2: "
                                    "nothing was sent.")
                                .arg(channel + 1)
                                .arg(unitName(unit)));
    }
    begin(unit, s, true);
    return true;
}

// ---- the steps on the wire -----------------------------------------------------------------

// Each step starts from the routing the unit has now, not from what was read
// earlier: a change made on its front panel or by another computer stays.
void SpareSwitcher::begin(const DeviceUid& unit, UnitState& s, bool back) {
    s.back = back;
    s.phase = back ? SwitchPhase::Returning : SwitchPhase::Switching;
    s.step = Step::ReadBefore;
    s.moved.clear();
    s.askedAgain = false;
    emit changed(unit);
    readRouting(unit, s, kReplyBoundMs);
}

void SpareSwitcher::readRouting(const DeviceUid& unit, UnitState& s, int boundMs) {
    s.requestLeft = false;
    const int serial = ++s.serial;
    QTimer::singleShot(boundMs, this, [this, unit, serial] { deadlinePassed(unit, serial); });
    const bool queued = session_.requestRouting(unit, [this, unit, serial](int result) {
        const auto it = units_.find(unit);
        if (it == units_.end() || it->second.serial != serial) {
            return;
        }
        if (result == 0) {
            it->second.requestLeft = true;
        } else {
            deadlinePassed(unit, serial);
        }
    });
    if (!queued) {
        deadlinePassed(unit, serial);
    }
}

void SpareSwitcher::sendStep(const DeviceUid& unit, UnitState& s) {
    const DeviceRecord* record = session_.unit(unit);
    if (record == nullptr) {
        return deadlinePassed(unit, s.serial);
    }
    RoutingTable table = RoutingTable::of(*record);
    const int channel = s.back ? s.record->channel : s.channel;
    const int spare = s.back ? s.record->spare : s.spare;
    const std::uint8_t from = analogSource(s.back ? spare : channel);
    const std::uint8_t to = analogSource(s.back ? channel : spare);
    s.moved = s.back ? outputsOn(table, s.record->outputs, from) : outputsFedBy(table, from);
    if (s.moved.empty()) {
        if (s.back) {
            session_.journal().record(JournalKind::SwitchCleared, unit,
                                      QString("input %1: no output of the switch-over is on "
                                              "spare input %2 any more")
                                          .arg(channel + 1)
                                          .arg(spare + 1));
            keep(unit, s, std::nullopt);
        }
        return end(
            unit, s, SwitchPhase::None, true,
            s.back
                ? QString("No output of input %1 was on the spare any more: nothing "
                          "was sent.")
                      .arg(channel + 1)
                : QString("No output takes input %1: nothing was switched over.").arg(channel + 1));
    }
    routeOutputs(table, s.moved, to);
    if (!s.back) {
        // Recorded before it leaves: a crash or a lost link still knows what to give back.
        keep(unit, s, SwitchOver{channel, spare, s.moved});
    }
    const QString what = QString("input %1 %2 spare input %3: %4")
                             .arg(channel + 1)
                             .arg(s.back ? "back from" : "to")
                             .arg(spare + 1)
                             .arg(outputListText(s.moved));
    if (!session_.editor(unit).setRoutingRange(s.moved.front(), s.moved.back(), table)) {
        if (!s.back) {
            keep(unit, s, std::nullopt);
        }
        return end(
            unit, s, SwitchPhase::Failed, false,
            QString("The unit %1 is no longer found: nothing was switched.").arg(unitName(unit)));
    }
    session_.journal().record(s.back ? JournalKind::SwitchBack : JournalKind::SwitchOver, unit,
                              what);
    s.step = Step::ReadBack;
    s.askedAgain = false;
    readRouting(unit, s, kReplyBoundMs + session_.sendQueue().plannedMs());
}

void SpareSwitcher::checkReadBack(const DeviceUid& unit, UnitState& s) {
    const DeviceRecord* record = session_.unit(unit);
    if (record == nullptr) {
        return;
    }
    const RoutingTable table = RoutingTable::of(*record);
    const SwitchOver& r = *s.record;
    const std::uint8_t to = analogSource(s.back ? r.channel : r.spare);
    if (outputsOn(table, s.moved, to).size() == s.moved.size()) {
        const QString text =
            s.back
                ? QString("Input %1 is back on %2.").arg(r.channel + 1).arg(outputListText(s.moved))
                : QString("Input %1 is switched over to spare input %2 (%3).")
                      .arg(r.channel + 1)
                      .arg(r.spare + 1)
                      .arg(outputListText(s.moved));
        session_.journal().record(JournalKind::SwitchConfirmed, unit, text);
        if (s.back) {
            keep(unit, s, std::nullopt);
        }
        return end(unit, s, s.back ? SwitchPhase::None : SwitchPhase::Switched, true, text);
    }
    // One reply may have been asked for before the frame left: ask once more.
    if (!s.askedAgain) {
        s.askedAgain = true;
        readRouting(unit, s, kReplyBoundMs);
        return;
    }
    std::optional<SwitchOver> left = r;
    left->outputs = outputsOn(table, r.outputs, analogSource(r.spare));
    if (left->outputs.empty()) {
        left.reset();
    }
    const QString text =
        s.back ? QString("The unit %1 did not switch back: input %2 stays on spare input %3.")
                     .arg(unitName(unit))
                     .arg(r.channel + 1)
                     .arg(r.spare + 1)
               : QString("The unit %1 did not switch input %2 over to spare input %3.")
                     .arg(unitName(unit))
                     .arg(r.channel + 1)
                     .arg(r.spare + 1);
    session_.journal().record(JournalKind::SwitchFailed, unit, text);
    keep(unit, s, left);
    end(unit, s, SwitchPhase::Failed, false, text);
}

// A routing read outside any step: the switch-over holds as far as the unit's
// routing still has its outputs on the spare.
void SpareSwitcher::check(const DeviceUid& unit, UnitState& s) {
    const DeviceRecord* record = session_.unit(unit);
    if (!s.record || record == nullptr) {
        return;
    }
    const SwitchOver r = *s.record;
    const auto on = outputsOn(RoutingTable::of(*record), r.outputs, analogSource(r.spare));
    if (on.size() != r.outputs.size()) {
        std::vector<int> off;
        std::set_difference(r.outputs.begin(), r.outputs.end(), on.begin(), on.end(),
                            std::back_inserter(off));
        session_.journal().record(JournalKind::SwitchCleared, unit,
                                  QString("input %1: %2 no longer on spare input %3")
                                      .arg(r.channel + 1)
                                      .arg(outputListText(off))
                                      .arg(r.spare + 1));
    }
    if (on.empty()) {
        keep(unit, s, std::nullopt);
        s.phase = SwitchPhase::None;
        emit said(unit, QString("Input %1 is no longer switched over on the unit %2.")
                            .arg(r.channel + 1)
                            .arg(unitName(unit)));
        emit changed(unit);
        return;
    }
    if (on.size() != r.outputs.size()) {
        keep(unit, s, SwitchOver{r.channel, r.spare, on});
    }
    if (s.phase != SwitchPhase::Switched) {
        session_.journal().record(JournalKind::SwitchConfirmed, unit,
                                  QString("input %1 is still switched over to spare input %2 (%3)")
                                      .arg(r.channel + 1)
                                      .arg(r.spare + 1)
                                      .arg(outputListText(on)));
        s.phase = SwitchPhase::Switched;
        emit changed(unit);
    }
}

void SpareSwitcher::end(const DeviceUid& unit, UnitState& s, SwitchPhase phase, bool confirmed,
                        const QString& text) {
    s.step = Step::None;
    s.phase = phase;
    ++s.serial; // a deadline still running belongs to no step now
    if (!text.isEmpty()) {
        emit said(unit, text);
    }
    emit changed(unit);
    emit finished(unit, confirmed);
}

void SpareSwitcher::deadlinePassed(const DeviceUid& unit, int serial) {
    const auto it = units_.find(unit);
    if (it == units_.end() || it->second.serial != serial || it->second.step == Step::None) {
        return;
    }
    UnitState& s = it->second;
    const int channel = s.back ? s.record->channel : s.channel;
    if (s.step == Step::ReadBefore) {
        return end(unit, s, SwitchPhase::Failed, false,
                   QString("The unit %1 did not answer: input %2 was not switched %3.")
                       .arg(unitName(unit))
                       .arg(channel + 1)
                       .arg(s.back ? "back" : "over"));
    }
    // The frame may have reached the unit: the record stays until its routing is
    // read again.
    const QString text = QString("The unit %1 did not confirm the switch-%2 of input %3: it is "
                                 "checked when its routing is read again.")
                             .arg(unitName(unit))
                             .arg(s.back ? "back" : "over")
                             .arg(channel + 1);
    session_.journal().record(JournalKind::SwitchFailed, unit, text);
    end(unit, s, SwitchPhase::Failed, false, text);
}

void SpareSwitcher::keep(const DeviceUid& unit, UnitState& s, std::optional<SwitchOver> record) {
    s.record = std::move(record);
    if (const QString problem = store_.store(unit, s.record); !problem.isEmpty()) {
        emit said(unit, QString("The switch-over could not be recorded: %1").arg(problem));
    }
}

// ---- what the session reports --------------------------------------------------------------

void SpareSwitcher::routingRead(const DeviceUid& unit) {
    auto it = units_.find(unit);
    if (it == units_.end()) {
        // Another program may have switched it over: the file is asked while the unit
        // is read after the link opened, not on every later routing reply.
        if (session_.unitReady(unit)) {
            return;
        }
        const auto recorded = store_.find(unit);
        if (!recorded) {
            return;
        }
        it = units_.emplace(unit, UnitState{}).first;
        it->second.record = recorded;
        it->second.phase = SwitchPhase::Unconfirmed;
    }
    UnitState& s = it->second;
    switch (s.step) {
    case Step::ReadBefore:
        sendStep(unit, s);
        break;
    case Step::ReadBack:
        if (s.requestLeft) {
            checkReadBack(unit, s);
        }
        break;
    case Step::None:
        check(unit, s);
        break;
    }
}

bool SpareSwitcher::keepOnSpare(DeviceRecord& unit) {
    const auto it = units_.find(unit.uid);
    if (!session_.state().isConnected || it == units_.end() || !it->second.record) {
        return false;
    }
    UnitState& s = it->second;
    SwitchOver r = *s.record;
    RoutingTable table = RoutingTable::of(unit);
    s.step = Step::None;
    ++s.serial;
    if (!reapplySwitchOver(table, r)) {
        session_.journal().record(
            JournalKind::SwitchCleared, unit.uid,
            QString("input %1: the loaded routing takes nothing from it").arg(r.channel + 1));
        keep(unit.uid, s, std::nullopt);
        s.phase = SwitchPhase::None;
        emit changed(unit.uid);
        return false;
    }
    unit.routeSource = table.sources;
    keep(unit.uid, s, r);
    session_.journal().record(JournalKind::SwitchOver, unit.uid,
                              QString("input %1 to spare input %2, kept by the load: %3")
                                  .arg(r.channel + 1)
                                  .arg(r.spare + 1)
                                  .arg(outputListText(r.outputs)));
    s.back = false;
    s.channel = r.channel;
    s.spare = r.spare;
    s.moved = r.outputs;
    s.phase = SwitchPhase::Switching;
    emit changed(unit.uid);
    return true;
}

void SpareSwitcher::confirmLoaded(const DeviceUid& unit) {
    const auto it = units_.find(unit);
    if (it == units_.end() || it->second.phase != SwitchPhase::Switching) {
        return;
    }
    it->second.step = Step::ReadBack;
    it->second.askedAgain = false;
    readRouting(unit, it->second, kReplyBoundMs + session_.sendQueue().plannedMs());
}

} // namespace varento
