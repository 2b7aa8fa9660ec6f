#include "app/edit_description.h"

namespace varento {

namespace {

constexpr std::uint8_t kNoSource = 255;

QString range(const char* what, int first, int last) {
    return first == last ? QString("%1 %2").arg(what).arg(first + 1)
                         : QString("%1s %2..%3").arg(what).arg(first + 1).arg(last + 1);
}

QString source(std::uint8_t value) {
    return value == kNoSource ? QString("none") : QString::number(value + 1);
}

std::uint8_t at(const auto& values, int index) {
    return values[static_cast<std::size_t>(index)];
}

QString switches(std::uint8_t bits) {
    return QString("P48 %1, PAD %2").arg(bits & 2 ? "on" : "off", bits & 1 ? "on" : "off");
}

} // namespace

QString unitFlagName(UnitFlag flag) {
    switch (flag) {
    case UnitFlag::MatrixMode:
        return "matrix mode";
    case UnitFlag::ExtendedRouting:
        return "extended routing";
    case UnitFlag::UpperBank:
        return "upper bank";
    case UnitFlag::RemoteOverMadiDisabled:
        return "remote over MADI disabled";
    case UnitFlag::GainsEnabled:
        return "gains enabled";
    case UnitFlag::OutputsMuted:
        return "all outputs muted";
    }
    return QString("flag %1").arg(static_cast<int>(flag));
}

QString describeEdit(const UnitEdit& edit, const DeviceRecord& unit) {
    using Kind = UnitEdit::Kind;
    switch (edit.kind) {
    case Kind::Parameter:
        return QString("parameter %1 = %2").arg(edit.index).arg(unit.at(edit.index));
    case Kind::Flag:
        return QString("%1 %2").arg(unitFlagName(static_cast<UnitFlag>(edit.index)),
                                    unit.flag(static_cast<UnitFlag>(edit.index)) ? "on" : "off");
    case Kind::RoutingRange:
        return edit.index == edit.last ? QString("routing: output %1 from source %2")
                                             .arg(edit.index + 1)
                                             .arg(source(at(unit.routeSource, edit.index)))
                                       : "routing: " + range("output", edit.index, edit.last);
    case Kind::RoutingTable:
        return "routing: the whole table";
    case Kind::InputGain:
        return QString("gain: input %1 = %2")
            .arg(edit.index + 1)
            .arg(at(unit.inputGain, edit.index));
    case Kind::InputSwitch:
        return QString("switches: input %1 %2")
            .arg(edit.index + 1)
            .arg(switches(at(unit.inputSwitch, edit.index)));
    case Kind::InputGainGroup:
        return QString("gain: %1 = %2")
            .arg(range("input", edit.index, edit.last))
            .arg(at(unit.inputGain, edit.index));
    case Kind::InputSwitchGroup:
        return "switches: " + range("input", edit.index, edit.last);
    case Kind::GpoBits:
        return "GPO outputs";
    case Kind::InputGains:
        return "gain: every input";
    case Kind::ChannelGain:
        return QString("gain: channel %1 = %2 dB")
            .arg(edit.index + 1)
            .arg(static_cast<std::int8_t>(at(unit.channelGain, edit.index)));
    case Kind::ChannelGains:
        return "gain: every channel";
    case Kind::BusLevels:
        return "bus output levels";
    case Kind::ChannelLabel:
        return "labels: " + range("label", edit.index, edit.index);
    case Kind::ChannelLabels:
        return "labels: " + range("label", edit.index, edit.last);
    case Kind::Settings:
        return "settings";
    case Kind::Calibration:
        return "calibration";
    case Kind::FactoryDefaults:
        return "factory defaults";
    }
    return "edit";
}

} // namespace varento
