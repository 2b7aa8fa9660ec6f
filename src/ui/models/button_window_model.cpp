#include "ui/models/button_window_model.h"

#include "app/session.h"

namespace varento {

namespace {

constexpr std::uint8_t kPadBit = 0x01;
constexpr std::uint8_t kP48Bit = 0x02;
constexpr std::uint8_t kGpo1Bit = 0x10;
constexpr std::uint8_t kGpo2Bit = 0x20;
constexpr int kOn = 2;
constexpr int kOff = 0;

QPoint groupPosition(int group, int y) {
    return {10 + 110 * group, y};
}

} // namespace

ButtonWindowModel::ButtonWindowModel(Session& session, std::function<void(int id)> mainWindow,
                                     QObject* parent)
    : QObject(parent), session_(session), mainWindow_(std::move(mainWindow)) {}

const std::vector<PanelButton>& ButtonWindowModel::buttons() {
    static const std::vector<PanelButton> list = [] {
        std::vector<PanelButton> b;
        for (int g = 0; g < kGroups; ++g) {
            b.push_back({gainMax + g, QStringLiteral("Gain MAX"), groupPosition(g, 40)});
            b.push_back({gainMin + g, QStringLiteral("Gain MIN"), groupPosition(g, 110)});
            b.push_back({p48 + g, QStringLiteral("P48"), groupPosition(g, 180)});
            b.push_back({pad + g, QStringLiteral("PAD"), groupPosition(g, 250)});
        }
        b.push_back({gpo1, QStringLiteral("GPO1"), {10, 320}});
        b.push_back({gpo2, QStringLiteral("GPO2"), {120, 320}});
        b.push_back({factoryPreset, QStringLiteral("Load Factory Preset"), {285, 320}, false});
        return b;
    }();
    return list;
}

const std::vector<PanelCaption>& ButtonWindowModel::captions() {
    static const std::vector<PanelCaption> list{
        {QStringLiteral("Channel 1..8"), {25, 15}},
        {QStringLiteral("Channel 9..16"), {130, 15}},
        {QStringLiteral("Channel 17..24"), {240, 15}},
        {QStringLiteral("Channel 25..32"), {350, 15}},
        {QStringLiteral("Inbetriebnahme"), {530, 15}},
    };
    return list;
}

int ButtonWindowModel::look(int id) const {
    const auto it = looks_.find(id);
    return it == looks_.end() ? kOff : it->second;
}

void ButtonWindowModel::click(int id, int newState) {
    const bool on = newState == kOn;
    if (id >= gainMax && id < gainMax + kGroups) {
        gainGroup(id - gainMax, true);
    } else if (id >= gainMin && id < gainMin + kGroups) {
        gainGroup(id - gainMin, false);
    } else if (id >= p48 && id < p48 + kGroups) {
        switchGroup(id - p48, kP48Bit, on);
    } else if (id >= pad && id < pad + kGroups) {
        switchGroup(id - pad, kPadBit, on);
    } else if (id == gpo1 || id == gpo2) {
        gpo(id == gpo1 ? kGpo1Bit : kGpo2Bit, on);
    } else if (id == factoryPreset) {
        factoryPresetClicked();
        return;
    } else {
        return;
    }
    emit looksChanged();
}

// The frames leave through the send queue 50 ms apart; the buttons show the
// outcome at once, which is what the queue will have sent.
void ButtonWindowModel::gainGroup(int group, bool max) {
    session_.editor().setInputGainGroup(group * kGroupSize, kGroupSize,
                                        static_cast<std::uint8_t>(max ? kGainMax : kGainMin),
                                        kGroupPauseMs);
    looks_[(max ? gainMin : gainMax) + group] = kOff;
    looks_[(max ? gainMax : gainMin) + group] = kOn;
}

void ButtonWindowModel::switchGroup(int group, std::uint8_t bit, bool on) {
    session_.editor().setInputSwitchGroup(group * kGroupSize, kGroupSize, bit, on, kGroupPauseMs);
    looks_[(bit == kP48Bit ? p48 : pad) + group] = on ? kOn : kOff;
}

void ButtonWindowModel::gpo(std::uint8_t bit, bool on) {
    const std::uint8_t bits = session_.current().at(param::srcEnable);
    session_.editor().setGpoBits(static_cast<std::uint8_t>(on ? bits | bit : bits & ~bit));
    looks_[bit == kGpo1Bit ? gpo1 : gpo2] = on ? kOn : kOff;
}

void ButtonWindowModel::factoryPresetClicked() {
    const Answer answer = session_.interaction().message(
        QStringLiteral("Load Factory Preset"),
        QStringLiteral("Do you really want to load factory defaults?"), MessageIcon::Question,
        MessageButtons::YesNo);
    looks_[factoryPreset] = kOff;
    emit looksChanged();
    if (answer == Answer::Yes) {
        mainWindow_(command_id::factoryDefaults);
    }
}

} // namespace varento
