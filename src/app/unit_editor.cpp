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

UnitEditor::UnitEditor(Session& session, const DeviceUid& unit) : session_(session), unit_(unit) {}

DeviceRecord* UnitEditor::target() {
    DeviceRecord* r = session_.editableUnit(unit_);
    if (r == nullptr) {
        session_.refuseEdit(unit_);
        return nullptr;
    }
    failuresBefore_ = session_.sendQueue_.failureCount();
    return r;
}

template <typename Change> bool UnitEditor::apply(const UnitEdit& edit, Change&& change) {
    DeviceRecord* r = target();
    if (r == nullptr) {
        return false;
    }
    change(*r);
    return finish(edit);
}

bool UnitEditor::finish(const UnitEdit& edit) {
    session_.unitEdited(unit_, edit, failuresBefore_);
    session_.updateTitleMarker();
    return true;
}

// ---- parameters ---------------------------------------------------------------------------

void UnitEditor::sendParameterNow(const DeviceRecord& r, int number) {
    session_.sendOne(buildSetParam(session_.sendBuffer_, r, number));
}

bool UnitEditor::setParameter(int number, std::uint8_t value) {
    return apply({UnitEdit::Kind::Parameter, number}, [&](DeviceRecord& r) {
        r.at(number) = value;
        // The set-parameters frame carries the LED dim from the edit copies.
        if (number == param::ledDim1) {
            r.ledDimEdit1 = value;
        } else if (number == param::ledDim2) {
            r.ledDimEdit2 = value;
        }
        session_.pausePolling();
        sendParameterNow(r, number);
        session_.state_.bulkTransfer = false;
        session_.state_.settingsSaved = false;
    });
}

bool UnitEditor::toggleFlag(UnitFlag flag) {
    const DeviceRecord* r = session_.editableUnit(unit_);
    return setFlag(flag, r == nullptr || !r->flag(flag));
}

bool UnitEditor::setFlag(UnitFlag flag, bool on) {
    return apply({UnitEdit::Kind::Flag, static_cast<int>(flag)}, [&](DeviceRecord& r) {
        r.setFlag(flag, on);
        AppState& state = session_.state_;
        if (flag == UnitFlag::ExtendedRouting) {
            sendParameterNow(r, param::routingB); // the matrix sends its mode with it
        }
        sendParameterNow(r, flagBit(flag).parameter);
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
    });
}

// ---- routing ------------------------------------------------------------------------------

bool UnitEditor::setRoutingRange(int lowest, int highest, const RoutingTable& table) {
    const bool whole = lowest >= kWireRouteSlots;
    const int first = whole ? 0 : std::clamp(lowest, 0, kRouteSlots - 1);
    const int last = whole ? kRouteSlots - 1 : std::clamp(highest, first, kRouteSlots - 1);
    return apply({UnitEdit::Kind::RoutingRange, first, last}, [&](DeviceRecord& r) {
        for (int slot = first; slot <= last; ++slot) {
            const auto s = static_cast<std::size_t>(slot);
            r.routeSource[s] = table.sources[s];
            r.routeFlags[s] = table.flags[s];
        }
        session_.routingEdit(r, packRoutingRange(lowest, highest));
    });
}

bool UnitEditor::setRoute(int output, std::uint8_t source) {
    if (output < 0 || output >= kRouteSlots) {
        return false;
    }
    const DeviceRecord* r = target();
    if (r == nullptr) {
        return false;
    }
    RoutingTable table = RoutingTable::of(*r);
    table.sources[static_cast<std::size_t>(output)] = source;
    return setRoutingRange(output, output, table);
}

bool UnitEditor::setBusMember(int source, int bus, bool on) {
    if (source < 0 || source >= kWireRouteSlots || bus < 0 || bus > 3) {
        return false;
    }
    const DeviceRecord* r = target();
    if (r == nullptr) {
        return false;
    }
    RoutingTable table = RoutingTable::of(*r);
    auto& flags = table.flags[static_cast<std::size_t>(source)];
    const auto bit = static_cast<std::uint8_t>(1u << (bus + 1));
    flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
    return setRoutingRange(kWireRouteSlots, kWireRouteSlots, table);
}

bool UnitEditor::setRoutingTable(const RoutingTable& table) {
    return apply({UnitEdit::Kind::RoutingTable}, [&](DeviceRecord& r) {
        r.routeSource = table.sources;
        r.routeFlags = table.flags;
        session_.sendRoutingAll(r);
        session_.state_.matrixSaved = false;
    });
}

// ---- gains --------------------------------------------------------------------------------

bool UnitEditor::setInputGain(int input, std::uint8_t value) {
    return apply({UnitEdit::Kind::InputGain, input}, [&](DeviceRecord& r) {
        r.inputGain[static_cast<std::size_t>(input)] = value;
        session_.gainEdit(buildSetInputGain(session_.sendBuffer_, r, input));
    });
}

bool UnitEditor::setInputSwitch(int input, std::uint8_t value) {
    return apply({UnitEdit::Kind::InputSwitch, input}, [&](DeviceRecord& r) {
        r.inputSwitch[static_cast<std::size_t>(input)] = value;
        session_.gainEdit(buildSetInputSwitch(session_.sendBuffer_, r, input));
    });
}

bool UnitEditor::setGpoBits(std::uint8_t value) {
    return apply({UnitEdit::Kind::GpoBits}, [&](DeviceRecord& r) {
        r.at(param::srcEnable) = value;
        session_.gainEdit(buildSetParam(session_.sendBuffer_, r, param::srcEnable));
    });
}

void UnitEditor::sendInputGroup(const DeviceRecord& r, int first, int count, int pauseMs,
                                int (*build)(FrameBuffer&, const DeviceRecord&, int)) {
    std::vector<SequenceStep> steps;
    FrameBuffer& buffer = session_.sendBuffer_;
    for (int input = first; input < first + count; ++input) {
        const int length = build(buffer, r, input);
        steps.push_back({{buffer.begin(), buffer.begin() + length}, pauseMs});
    }
    session_.pausePolling();
    // Each frame counts as an edit: polling resumes 250 ms after the last one.
    Session* session = &session_; // the editor itself is gone by then
    session_.sendSequence(std::move(steps), [session](int result) {
        if (result == 0) {
            session->pausePolling();
        }
        session->state_.bulkTransfer = false;
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

bool UnitEditor::setInputGainGroup(int first, int count, std::uint8_t value, int pauseMs) {
    std::tie(first, count) = inputRange(first, count);
    if (count == 0) {
        return false;
    }
    return apply({UnitEdit::Kind::InputGainGroup, first, first + count - 1}, [&](DeviceRecord& r) {
        std::fill_n(r.inputGain.begin() + first, count, value);
        sendInputGroup(r, first, count, pauseMs, buildSetInputGain);
    });
}

bool UnitEditor::setInputSwitchGroup(int first, int count, std::uint8_t bits, bool on,
                                     int pauseMs) {
    std::tie(first, count) = inputRange(first, count);
    if (count == 0) {
        return false;
    }
    return apply({UnitEdit::Kind::InputSwitchGroup, first, first + count - 1},
                 [&](DeviceRecord& r) {
                     for (int input = first; input < first + count; ++input) {
                         auto& byte = r.inputSwitch[static_cast<std::size_t>(input)];
                         byte = static_cast<std::uint8_t>(on ? byte | bits : byte & ~bits);
                     }
                     sendInputGroup(r, first, count, pauseMs, buildSetInputSwitch);
                 });
}

bool UnitEditor::setInputGains(std::span<const std::uint8_t, kInputCount> values) {
    return apply({UnitEdit::Kind::InputGains}, [&](DeviceRecord& r) {
        std::copy(values.begin(), values.end(), r.inputGain.begin());
        session_.gainEdit(buildSetInputGains(session_.sendBuffer_, r));
    });
}

bool UnitEditor::setChannelGain(int channel, std::uint8_t value) {
    return apply({UnitEdit::Kind::ChannelGain, channel}, [&](DeviceRecord& r) {
        r.channelGain[static_cast<std::size_t>(channel)] = value;
        session_.gainEdit(buildSetChannelGain(session_.sendBuffer_, r, channel));
    });
}

bool UnitEditor::setChannelGains(std::span<const std::uint8_t, kChannelGainCount> values) {
    return apply({UnitEdit::Kind::ChannelGains}, [&](DeviceRecord& r) {
        std::copy(values.begin(), values.end(), r.channelGain.begin());
        session_.gainEdit(buildSetChannelGains(session_.sendBuffer_, r));
    });
}

bool UnitEditor::setBusLevels(std::uint8_t first, std::uint8_t second) {
    return apply({UnitEdit::Kind::BusLevels}, [&](DeviceRecord& r) {
        r.ledDimEdit1 = first;
        r.ledDimEdit2 = second;
        session_.pausePolling();
        session_.sendOne(buildSetLedDimEdit(session_.sendBuffer_, r));
        session_.state_.bulkTransfer = false;
    });
}

// ---- labels -------------------------------------------------------------------------------

bool UnitEditor::setLabel(int index, const QString& text) {
    if (index < 0 || index >= kLabelCount) {
        return false;
    }
    return apply({UnitEdit::Kind::ChannelLabel, index}, [&](DeviceRecord& r) {
        setLabelText(r.labels[static_cast<std::size_t>(index)], text);
        storeLabels(r, session_.paths_.dataFolder);
    });
}

bool UnitEditor::setLabels(int first, const QStringList& texts) {
    const int last = std::min(first + static_cast<int>(texts.size()), kLabelCount) - 1;
    if (first < 0 || last < first) {
        return false;
    }
    return apply({UnitEdit::Kind::ChannelLabels, first, last}, [&](DeviceRecord& r) {
        for (int i = first; i <= last; ++i) {
            setLabelText(r.labels[static_cast<std::size_t>(i)], texts[i - first]);
        }
        storeLabels(r, session_.paths_.dataFolder);
    });
}

// ---- dialogs ------------------------------------------------------------------------------

namespace {

void copySettings(const DeviceRecord& from, DeviceRecord& to) {
    to.params = from.params;
    to.ledDimEdit1 = from.ledDimEdit1;
    to.ledDimEdit2 = from.ledDimEdit2;
}

} // namespace

bool UnitEditor::applySettings(const DeviceRecord& from, bool send) {
    return apply({UnitEdit::Kind::Settings}, [&](DeviceRecord& r) {
        copySettings(from, r);
        if (send) {
            session_.sendAllSettings(r);
        }
    });
}

bool UnitEditor::identify(const DeviceRecord& from) {
    return apply({UnitEdit::Kind::Settings}, [&](DeviceRecord& r) {
        copySettings(from, r);
        session_.sendSequence(identifySequence(r));
    });
}

bool UnitEditor::applyCalibration(const DeviceRecord& from) {
    return apply({UnitEdit::Kind::Calibration}, [&](DeviceRecord& r) {
        r.calibration1 = from.calibration1;
        r.calibration2 = from.calibration2;
        r.at(param::calibrationOptions) = from.at(param::calibrationOptions);
        session_.sendCalibration(r);
    });
}

// ---- factory defaults ---------------------------------------------------------------------

bool UnitEditor::resetToFactoryDefaults() {
    if (!session_.state_.isConnected) {
        return false;
    }
    return apply({UnitEdit::Kind::FactoryDefaults}, [&](DeviceRecord& r) {
        session_.stopTimers();
        session_.sendQueue_.enqueuePause(kFactoryResetLeadMs);
        varento::resetToFactoryDefaults(r);
        // The factory routing keeps a failed microphone off the air like any load.
        const bool kept = session_.spares_->keepOnSpare(r);
        session_.sendAllSettings(r);
        session_.sendLoadedRouting(r, kept);
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
        Session* session = &session_; // the editor itself is gone by then
        session_.sendSequence(std::move(steps), [session, unit = unit_](int result) {
            const DeviceRecord* now = session->editableUnit(unit);
            if (result == 0 && now != nullptr) {
                session->gainEdit(buildSetParam(session->sendBuffer_, *now, param::srcEnable));
            }
        });
    });
}

} // namespace varento
