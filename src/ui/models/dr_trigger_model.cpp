#include "ui/models/dr_trigger_model.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/catalog.h"

namespace varento {

DrTriggerModel::DrTriggerModel(Session& session, std::function<void(int id, int param)> mainWindow,
                               QObject* parent)
    : QObject(parent), session_(session), mainWindow_(std::move(mainWindow)),
      spareChannel_(spareChannelOf(session.state().lastEmergencyChannel)) {
    SpareSwitcher& switcher = session_.spareSwitcher();
    connect(&switcher, &SpareSwitcher::changed, this, [this](const DeviceUid& unit) {
        if (unit == session_.currentUnit()) {
            emit looksChanged();
        }
    });
    connect(&switcher, &SpareSwitcher::said, this,
            [this](const DeviceUid& unit, const QString& text) {
                if (unit == session_.currentUnit()) {
                    status_ = text;
                    emit statusChanged(status_);
                }
            });
    connect(&session_, &Session::currentUnitChanged, this, [this] {
        status_.clear();
        emit statusChanged(status_);
        emit looksChanged();
    });
    connect(&session_, &Session::labelsChanged, this, &DrTriggerModel::labelsChanged);
    connect(&session_, &Session::unitIdentified, this, &DrTriggerModel::looksChanged);
    connect(&session_, &Session::unitListChanged, this, [this] {
        emit labelsChanged();
        emit looksChanged();
    });
}

const std::vector<PanelButton>& DrTriggerModel::buttons() {
    static const std::vector<PanelButton> list = [] {
        std::vector<PanelButton> b;
        for (int i = 0; i < kSpareChannels; ++i) {
            b.push_back({i, QString(), {10 + 110 * (i % 8), 40 + 100 * (i / 8)}});
        }
        return b;
    }();
    return list;
}

const std::vector<PanelCaption>& DrTriggerModel::captions() {
    static const std::vector<PanelCaption> list{
        {QStringLiteral("DR Spare mic switch"), {10, 5}},
        {QStringLiteral("Spare mic input (Analog):"), {345, 5}, 150}, // up to the list
    };
    return list;
}

QStringList DrTriggerModel::spareItems() {
    QStringList items;
    for (int i = 1; i <= kSpareChannels; ++i) {
        items << QString::number(i);
    }
    return items;
}

bool DrTriggerModel::spareSelectable() const {
    const SpareSwitcher& switcher = session_.spareSwitcher();
    const DeviceUid& unit = session_.currentUnit();
    return !switcher.switchOver(unit) && !switcher.busy(unit);
}

void DrTriggerModel::selectSpare(int index) {
    if (!isSpareChannel(index) || !spareSelectable()) {
        emit looksChanged(); // the list shows the spare it keeps
        return;
    }
    spareChannel_ = index;
    mainWindow_(command_id::setEmergencyChannel, index);
}

void DrTriggerModel::press(int channel) {
    session_.spareSwitcher().press(session_.currentUnit(), channel, spareChannel_);
    emit looksChanged(); // a press that did nothing puts the button back
}

int DrTriggerModel::look(int channel) const {
    if (!usable()) {
        return 4;
    }
    const SpareSwitcher& switcher = session_.spareSwitcher();
    const DeviceUid& unit = session_.currentUnit();
    return switcher.channel(unit) == channel && switcher.phase(unit) == SwitchPhase::Switched ? 2
                                                                                              : 0;
}

DrTriggerModel::Mark DrTriggerModel::mark(int channel) const {
    const SpareSwitcher& switcher = session_.spareSwitcher();
    const DeviceUid& unit = session_.currentUnit();
    if (!usable() || switcher.channel(unit) != channel) {
        return Mark::None;
    }
    switch (switcher.phase(unit)) {
    case SwitchPhase::Switching:
    case SwitchPhase::Returning:
    case SwitchPhase::Unconfirmed:
        return Mark::Pending;
    case SwitchPhase::Failed:
        return Mark::Failed;
    default:
        return Mark::None;
    }
}

QStringList DrTriggerModel::drTriggerLabels() const {
    QStringList texts;
    for (int i = 0; i < kSpareChannels; ++i) {
        texts << labelText(
            session_.current().labels[static_cast<std::size_t>(kAnalogSourceBase + i)]);
    }
    return texts;
}

bool DrTriggerModel::usable() const {
    return hasMicInputs(session_.current().model);
}

} // namespace varento
