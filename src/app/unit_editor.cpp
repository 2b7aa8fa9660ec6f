#include "app/unit_editor.h"

#include "app/cp1252.h"
#include "app/label_flows.h"
#include "app/session.h"

#include <algorithm>
#include <tuple>

namespace varento {

namespace {

constexpr int kSequencePauseMs = 20;
constexpr int kFactoryResetLeadMs = 10;

} // namespace

UnitPart UnitEdit::part() const {
    switch (kind) {
    case Kind::RoutingRange:
    case Kind::RoutingTable:
        return UnitPart::Routing;
    case Kind::InputGain:
    case Kind::InputSwitch:
    case Kind::InputGainGroup:
    case Kind::InputSwitchGroup:
    case Kind::GpoBits:
    case Kind::InputGains:
    case Kind::ChannelGain:
    case Kind::ChannelGains:
        return UnitPart::Gains;
    case Kind::Flag:
        return index == static_cast<int>(UnitFlag::GainsEnabled) ||
                       index == static_cast<int>(UnitFlag::OutputsMuted)
                   ? UnitPart::Gains
                   : UnitPart::Parameters;
    case Kind::ChannelLabel:
    case Kind::ChannelLabels:
        return UnitPart::Labels;
    default:
        return UnitPart::Parameters;
    }
}

UnitEditor::UnitEditor(Session& session) : session_(session) {}

void UnitEditor::finish(const UnitEdit& edit) {
    emit edited(edit);
    session_.updateTitleMarker();
}

// ---- parameters ---------------------------------------------------------------------------

void UnitEditor::sendParameterNow(int number) {
    session_.sendOne(buildSetParam(session_.sendBuffer_, session_.current_, number));
}

void UnitEditor::setParameter(int number, std::uint8_t value) {
    DeviceRecord& r = session_.current_;
    r.at(number) = value;
    // The set-parameters frame carries the LED dim from the edit copies.
    if (number == param::ledDim1) {
        r.ledDimEdit1 = value;
    } else if (number == param::ledDim2) {
        r.ledDimEdit2 = value;
    }
    session_.pausePolling();
    sendParameterNow(number);
    session_.state_.bulkTransfer = false;
    session_.state_.settingsSaved = false;
    finish({UnitEdit::Kind::Parameter, number});
}

void UnitEditor::toggleFlag(UnitFlag flag) {
    setFlag(flag, !session_.current_.flag(flag));
}

void UnitEditor::setFlag(UnitFlag flag, bool on) {
    session_.current_.setFlag(flag, on);
    AppState& state = session_.state_;
    if (flag == UnitFlag::ExtendedRouting) {
        sendParameterNow(param::routingB); // the matrix sends its mode with it
    }
    sendParameterNow(flagBit(flag).parameter);
    switch (flag) {
    case UnitFlag::MatrixMode:
    case UnitFlag::ExtendedRouting:
        state.settingsSaved = false;
        break;
    case UnitFlag::UpperBank:
        state.matrixSaved = false;
        break;
    case UnitFlag::RemoteOverMadiDisabled:
        break;
    case UnitFlag::GainsEnabled:
    case UnitFlag::OutputsMuted:
        state.gainsSaved = false;
        break;
    }
    finish({UnitEdit::Kind::Flag, static_cast<int>(flag)});
}

// ---- routing ------------------------------------------------------------------------------

void UnitEditor::setRoutingRange(int lowest, int highest, const RoutingTable& table) {
    DeviceRecord& r = session_.current_;
    const bool whole = lowest >= kWireRouteSlots;
    const int first = whole ? 0 : std::clamp(lowest, 0, kRouteSlots - 1);
    const int last = whole ? kRouteSlots - 1 : std::clamp(highest, first, kRouteSlots - 1);
    for (int slot = first; slot <= last; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        r.routeSource[s] = table.sources[s];
        r.routeFlags[s] = table.flags[s];
    }
    session_.routingEdit(packRoutingRange(lowest, highest));
    finish({UnitEdit::Kind::RoutingRange, first, last});
}

void UnitEditor::setRoute(int output, std::uint8_t source) {
    RoutingTable table = RoutingTable::of(session_.current_);
    table.sources[static_cast<std::size_t>(output)] = source;
    setRoutingRange(output, output, table);
}

void UnitEditor::setRoutingTable(const RoutingTable& table) {
    DeviceRecord& r = session_.current_;
    r.routeSource = table.sources;
    r.routeFlags = table.flags;
    session_.sendRoutingAll();
    session_.state_.matrixSaved = false;
    finish({UnitEdit::Kind::RoutingTable});
}

// ---- gains --------------------------------------------------------------------------------

void UnitEditor::setInputGain(int input, std::uint8_t value) {
    session_.current_.inputGain[static_cast<std::size_t>(input)] = value;
    session_.gainEdit(buildSetInputGain(session_.sendBuffer_, session_.current_, input));
    finish({UnitEdit::Kind::InputGain, input});
}

void UnitEditor::setInputSwitch(int input, std::uint8_t value) {
    session_.current_.inputSwitch[static_cast<std::size_t>(input)] = value;
    session_.gainEdit(buildSetInputSwitch(session_.sendBuffer_, session_.current_, input));
    finish({UnitEdit::Kind::InputSwitch, input});
}

void UnitEditor::setGpoBits(std::uint8_t value) {
    session_.current_.at(param::srcEnable) = value;
    session_.gainEdit(buildSetParam(session_.sendBuffer_, session_.current_, param::srcEnable));
    finish({UnitEdit::Kind::GpoBits});
}

void UnitEditor::sendInputGroup(int first, int count, int pauseMs,
                                int (*build)(FrameBuffer&, const DeviceRecord&, int)) {
    std::vector<SequenceStep> steps;
    FrameBuffer& buffer = session_.sendBuffer_;
    for (int input = first; input < first + count; ++input) {
        const int length = build(buffer, session_.current_, input);
        steps.push_back({{buffer.begin(), buffer.begin() + length}, pauseMs});
    }
    session_.pausePolling();
    // Each frame counts as an edit: polling resumes 250 ms after the last one.
    session_.sendSequence(std::move(steps), [this](int) {
        session_.pausePolling();
        session_.state_.bulkTransfer = false;
    });
    session_.state_.bulkTransfer = false;
    session_.state_.gainsSaved = false;
}

namespace {

// The inputs of a group edit that exist; an empty range when none does.
std::pair<int, int> inputRange(int first, int count) {
    const int begin = std::clamp(first, 0, kInputCount);
    const int end = std::clamp(first + std::max(count, 0), begin, kInputCount);
    return {begin, end - begin};
}

} // namespace

void UnitEditor::setInputGainGroup(int first, int count, std::uint8_t value, int pauseMs) {
    std::tie(first, count) = inputRange(first, count);
    if (count == 0) {
        return;
    }
    auto& gains = session_.current_.inputGain;
    std::fill_n(gains.begin() + first, count, value);
    sendInputGroup(first, count, pauseMs, buildSetInputGain);
    finish({UnitEdit::Kind::InputGainGroup, first, first + count - 1});
}

void UnitEditor::setInputSwitchGroup(int first, int count, std::uint8_t bits, bool on,
                                     int pauseMs) {
    std::tie(first, count) = inputRange(first, count);
    if (count == 0) {
        return;
    }
    auto& switches = session_.current_.inputSwitch;
    for (int input = first; input < first + count; ++input) {
        auto& byte = switches[static_cast<std::size_t>(input)];
        byte = static_cast<std::uint8_t>(on ? byte | bits : byte & ~bits);
    }
    sendInputGroup(first, count, pauseMs, buildSetInputSwitch);
    finish({UnitEdit::Kind::InputSwitchGroup, first, first + count - 1});
}

void UnitEditor::setInputGains(std::span<const std::uint8_t, kInputCount> values) {
    std::copy(values.begin(), values.end(), session_.current_.inputGain.begin());
    session_.gainEdit(buildSetInputGains(session_.sendBuffer_, session_.current_));
    finish({UnitEdit::Kind::InputGains});
}

void UnitEditor::setChannelGain(int channel, std::uint8_t value) {
    session_.current_.channelGain[static_cast<std::size_t>(channel)] = value;
    session_.gainEdit(buildSetChannelGain(session_.sendBuffer_, session_.current_, channel));
    finish({UnitEdit::Kind::ChannelGain, channel});
}

void UnitEditor::setChannelGains(std::span<const std::uint8_t, kChannelGainCount> values) {
    std::copy(values.begin(), values.end(), session_.current_.channelGain.begin());
    session_.gainEdit(buildSetChannelGains(session_.sendBuffer_, session_.current_));
    finish({UnitEdit::Kind::ChannelGains});
}

void UnitEditor::setBusLevels(std::uint8_t first, std::uint8_t second) {
    DeviceRecord& r = session_.current_;
    r.ledDimEdit1 = first;
    r.ledDimEdit2 = second;
    session_.pausePolling();
    session_.sendOne(buildSetLedDimEdit(session_.sendBuffer_, r));
    session_.state_.bulkTransfer = false;
    finish({UnitEdit::Kind::BusLevels});
}

// ---- labels -------------------------------------------------------------------------------

void UnitEditor::setLabel(int index, const QString& text) {
    if (index < 0 || index >= kLabelCount) {
        return;
    }
    setLabelText(session_.current_.labels[static_cast<std::size_t>(index)], text);
    storeLabels(session_.current_, session_.paths_.dataFolder);
    finish({UnitEdit::Kind::ChannelLabel, index});
}

void UnitEditor::setLabels(int first, const QStringList& texts) {
    const int last = std::min(first + static_cast<int>(texts.size()), kLabelCount) - 1;
    if (first < 0 || last < first) {
        return;
    }
    for (int i = first; i <= last; ++i) {
        setLabelText(session_.current_.labels[static_cast<std::size_t>(i)], texts[i - first]);
    }
    storeLabels(session_.current_, session_.paths_.dataFolder);
    finish({UnitEdit::Kind::ChannelLabels, first, last});
}

// ---- dialogs ------------------------------------------------------------------------------

namespace {

void copySettings(const DeviceRecord& from, DeviceRecord& to) {
    to.params = from.params;
    to.ledDimEdit1 = from.ledDimEdit1;
    to.ledDimEdit2 = from.ledDimEdit2;
}

} // namespace

void UnitEditor::applySettings(const DeviceRecord& from, bool send) {
    copySettings(from, session_.current_);
    if (send) {
        session_.sendAllSettings();
    }
    finish({UnitEdit::Kind::Settings});
}

void UnitEditor::identify(const DeviceRecord& from) {
    copySettings(from, session_.current_);
    session_.sendSequence(identifySequence(session_.current_));
    finish({UnitEdit::Kind::Settings});
}

void UnitEditor::applyCalibration(const DeviceRecord& from) {
    DeviceRecord& r = session_.current_;
    r.calibration1 = from.calibration1;
    r.calibration2 = from.calibration2;
    r.at(param::calibrationOptions) = from.at(param::calibrationOptions);
    session_.sendCalibration();
    finish({UnitEdit::Kind::Calibration});
}

// ---- factory defaults ---------------------------------------------------------------------

void UnitEditor::resetToFactoryDefaults() {
    if (!session_.state_.isConnected) {
        return;
    }
    DeviceRecord& r = session_.current_;
    session_.stopTimers();
    session_.sendQueue_.enqueuePause(kFactoryResetLeadMs);
    varento::resetToFactoryDefaults(r);
    session_.sendAllSettings();
    session_.sendRoutingAll();
    session_.state_.matrixSaved = false;
    std::vector<SequenceStep> steps;
    FrameBuffer& buffer = session_.sendBuffer_;
    for (int input = 0; input < kInputCount; ++input) {
        int length = buildSetInputGain(buffer, r, input);
        steps.push_back({{buffer.begin(), buffer.begin() + length}, kSequencePauseMs});
        length = buildSetInputSwitch(buffer, r, input);
        steps.push_back({{buffer.begin(), buffer.begin() + length}, kSequencePauseMs});
    }
    // Polling comes back 250 ms after the last gain frame, as after any gain edit.
    session_.sendSequence(std::move(steps), [this](int) {
        session_.gainEdit(buildSetParam(session_.sendBuffer_, session_.current_, param::srcEnable));
    });
    finish({UnitEdit::Kind::FactoryDefaults});
}

} // namespace varento
