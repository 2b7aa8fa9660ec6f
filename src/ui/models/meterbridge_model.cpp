#include "ui/models/meterbridge_model.h"

#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/catalog.h"

#include <algorithm>
#include <array>

namespace varento {

namespace {

int signedLevel(std::uint8_t byte) {
    return static_cast<std::int8_t>(byte);
}

std::uint8_t levelByte(int level) {
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(level));
}

} // namespace

MeterbridgeModel::MeterbridgeModel(Session& session, FaderGroup::Clock clock, QObject* parent)
    : QObject(parent), session_(session), group_(std::move(clock)) {
    connect(&session, &Session::levelsChanged, this, &MeterbridgeModel::levelsChanged);
    connect(&session, &Session::parametersChanged, this, &MeterbridgeModel::refresh);
    connect(&session, &Session::gainsChanged, this, &MeterbridgeModel::refresh);
    connect(&session, &Session::labelsChanged, this, &MeterbridgeModel::applyLabels);
    connect(&session, &Session::unitIdentified, this, [this] {
        relayout();
        applyLabels();
        refresh();
    });
    connect(&group_, &FaderGroup::valueMoved, this, [this](int index) {
        moved_[static_cast<size_t>(index)] = true;
        movedOn_ = session_.current().uid;
    });
    connect(&group_, &FaderGroup::commitOne, this, &MeterbridgeModel::commitOne);
    connect(&group_, &FaderGroup::commitAll, this, &MeterbridgeModel::commitAll);
    connect(&group_, &FaderGroup::labelChanged, this, [this](int index) {
        session_.editor().setLabel(meterbridge::kFirstOutputLabel + index, fader(index).label());
    });
}

void MeterbridgeModel::attach(const std::vector<FaderModel*>& faders) {
    faders_ = faders;
    moved_.assign(faders_.size(), false);
    group_.attach(faders_);
}

std::optional<MeterbridgeLayout> MeterbridgeModel::unitLayout() const {
    const DeviceRecord& unit = session_.current();
    const ModelCapabilities caps =
        capabilities(unit.model, static_cast<std::int8_t>(unit.at(param::firmwareMajor)),
                     static_cast<std::int8_t>(unit.at(param::firmwareMinor)));
    return caps.meterbridge ? meterbridgeLayout(caps.meterbridgeGroups) : std::nullopt;
}

void MeterbridgeModel::relayout() {
    if (auto next = unitLayout()) {
        layout_ = std::move(next);
        std::vector<bool> shown(faders_.size());
        for (std::size_t j = 0; j < shown.size(); ++j) {
            shown[j] = layout_->faderX(static_cast<int>(j)).has_value();
        }
        group_.setShown(shown);
        emit layoutChanged();
    }
}

void MeterbridgeModel::refresh() {
    const DeviceRecord& unit = session_.current();
    const bool enabled = unit.flag(UnitFlag::GainsEnabled);
    // While a group move is pending its values live only in the faders until the
    // one message for all of them goes out: a reply must not pull them back.
    const bool keepPositions = group_.groupMovePending();
    for (int j = 0; j < static_cast<int>(faders_.size()); ++j) {
        FaderModel& f = fader(j);
        if (f.active() != enabled) {
            f.setActive(enabled);
        }
        if (keepPositions || f.dragging()) {
            continue;
        }
        // A fader already reading the unit's level stays where the user left it.
        const int level = signedLevel(unit.channelGain[static_cast<size_t>(j)]);
        if (f.levelValue() != level) {
            f.setPosition(FaderModel::levelPosition(level));
        }
    }
    emit switchesChanged();
}

void MeterbridgeModel::applyLabels() {
    for (int j = 0; j < static_cast<int>(faders_.size()); ++j) {
        const QString text = label(meterbridge::kFirstOutputLabel + j);
        if (fader(j).label() != text) {
            fader(j).setLabel(text);
        }
    }
    emit labelsChanged();
}

float MeterbridgeModel::meterLevel(int meter) const {
    return session_.current().levelDb[static_cast<size_t>(meter)];
}

QString MeterbridgeModel::label(int index) const {
    return labelText(session_.current().labels[static_cast<size_t>(index)]);
}

bool MeterbridgeModel::gainsEnabled() const {
    return session_.current().flag(UnitFlag::GainsEnabled);
}

bool MeterbridgeModel::outputsMuted() const {
    return session_.current().flag(UnitFlag::OutputsMuted);
}

void MeterbridgeModel::setGainsEnabled(bool on) {
    session_.editor().setFlag(UnitFlag::GainsEnabled, on);
}

void MeterbridgeModel::setOutputsMuted(bool on) {
    session_.editor().setFlag(UnitFlag::OutputsMuted, on);
}

void MeterbridgeModel::commitOne(int index) {
    moved_[static_cast<size_t>(index)] = false;
    session_.editor().setChannelGain(index, levelByte(fader(index).levelValue()));
}

// Only the faders the user moved take their reading: one standing in the scale's
// gap (-69..-71) would otherwise send its neighbour's value. A move made on a unit
// that is no longer the current one is dropped, never sent to the new one.
void MeterbridgeModel::commitAll() {
    if (session_.current().uid != movedOn_) {
        std::fill(moved_.begin(), moved_.end(), false);
        refresh();
        return;
    }
    std::array<std::uint8_t, kChannelGainCount> levels = session_.current().channelGain;
    for (int j = 0; j < static_cast<int>(faders_.size()) && j < kChannelGainCount; ++j) {
        if (moved_[static_cast<size_t>(j)]) {
            levels[static_cast<size_t>(j)] = levelByte(fader(j).levelValue());
            moved_[static_cast<size_t>(j)] = false;
        }
    }
    session_.editor().setChannelGains(levels);
}

} // namespace varento
