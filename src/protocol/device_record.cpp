#include "protocol/device_record.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace varento {

namespace {

// Values shared by the power-on and the factory reset.
void setDefaultSettings(DeviceRecord& r) {
    r.at(param::clockRate) = 0x10;
    r.at(param::ioOptions) = 0x4A;
    r.at(param::madiFormat) = 0x01;
    r.at(param::srcEnable) = 0;
    r.at(param::madi96kChoice) = 0;
    r.at(param::routingA) = 0x1B;
    r.at(param::routingB) = 0x0A;
    r.calibration1 = 2048;
    r.calibration2 = 2048;
    for (int i = 0; i < kRouteSlots; ++i) {
        r.routeSource[static_cast<std::size_t>(i)] =
            i < kWireRouteSlots ? static_cast<std::uint8_t>(i) : kNoSource;
    }
    r.inputGain.fill(8);
    r.inputSwitch.fill(1);
}

} // namespace

FlagBit flagBit(UnitFlag flag) {
    constexpr std::uint8_t kBit6 = 0x40;
    switch (flag) {
    case UnitFlag::MatrixMode:
        return {param::routingB, kBit6};
    case UnitFlag::ExtendedRouting:
        return {param::remoteOptions, 0x04};
    case UnitFlag::UpperBank:
        return {param::routingA, kBit6};
    case UnitFlag::RemoteOverMadiDisabled:
        return {param::param19, kBit6};
    case UnitFlag::GainsEnabled:
        return {param::param17, kBit6};
    case UnitFlag::OutputsMuted:
        return {param::gainOptions, kBit6};
    }
    return {param::routingB, kBit6};
}

int DeviceRecord::ledDimLevel() const {
    if (model == 18 || model == 19) {
        return (at(param::statusLeds) >> 4) & 0x03;
    }
    return ((at(param::ledDim1) >> 3) & 1) * 2 + ((at(param::ledDim2) >> 3) & 1);
}

void resetToPowerOnDefaults(DeviceRecord& r) {
    r = DeviceRecord{};
    setDefaultSettings(r);
    r.at(param::fanSlowTemp) = 50;
    r.at(param::fanFastTemp) = 65;
    std::fill_n(r.channelGain.begin(), 32, std::uint8_t{255});
    r.levelCodes.fill(0x68);
    r.uid = DeviceUid::broadcast();
    for (int n = 1; n <= kLabelCount; ++n) {
        auto& label = r.labels[static_cast<std::size_t>(n - 1)];
        std::snprintf(label.data(), label.size(), "%d", n);
    }
}

void resetToFactoryDefaults(DeviceRecord& r) {
    r.awaitingData = 1;
    setDefaultSettings(r);
    r.at(param::fanSlowTemp) = 30;
    r.at(param::fanFastTemp) = 70;
    r.ledDimEdit1 = 0;
    r.ledDimEdit2 = 0;
    r.channelGain.fill(255);
    r.levelCodes.fill(0);
}

void clearShadow(DeviceRecord& shadow) {
    shadow = DeviceRecord{};
}

void setLabel(Label& label, const char* text) {
    label.fill('\0');
    std::strncpy(label.data(), text, label.size() - 1);
}

} // namespace varento
