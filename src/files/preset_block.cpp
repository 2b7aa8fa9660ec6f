#include "files/preset_block.h"

#include <algorithm>

namespace varento {

namespace {

// Offsets of the block.
constexpr std::size_t kSettings = 16;
constexpr std::size_t kLedDimEdit1 = 27;
constexpr std::size_t kLedDimEdit2 = 28;
constexpr std::size_t kRouteSource = 32;
constexpr std::size_t kInputGain = 288;
constexpr std::size_t kChannelGainLow = 320;
constexpr std::size_t kInputSwitch = 352;
constexpr std::size_t kChannelGainHigh = 384;
constexpr std::size_t kRouteFlags = 416;

// The eleven settings bytes at offsets 16..26, in block order.
constexpr std::array<int, 11> kSettingsParams = {
    param::clockRate,     param::ioOptions,   param::madiFormat,  param::routingA,
    param::routingB,      param::srcEnable,   param::fanSlowTemp, param::fanFastTemp,
    param::remoteOptions, param::gainOptions, param::delayOptions};

template <std::size_t N>
void put(PresetBlock& block, std::size_t offset, const std::array<std::uint8_t, N>& values,
         std::size_t first = 0, std::size_t count = N) {
    std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(first), count,
                block.begin() + static_cast<std::ptrdiff_t>(offset));
}

template <std::size_t N>
void take(std::span<const std::uint8_t> data, std::size_t offset,
          std::array<std::uint8_t, N>& values, std::size_t first = 0, std::size_t count = N) {
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), count,
                values.begin() + static_cast<std::ptrdiff_t>(first));
}

} // namespace

const char* presetKindName(PresetKind kind) {
    switch (kind) {
    case PresetKind::Settings:
        return "settings";
    case PresetKind::Matrix:
        return "matrix";
    case PresetKind::Gains:
        return "gains";
    }
    return "";
}

PresetBlock buildPresetBlock(const DeviceRecord& r) {
    PresetBlock block{};
    for (std::size_t i = 0; i < kSettingsParams.size(); ++i) {
        block[kSettings + i] = r.at(kSettingsParams[i]);
    }
    block[kLedDimEdit1] = r.ledDimEdit1;
    block[kLedDimEdit2] = r.ledDimEdit2;
    put(block, kRouteSource, r.routeSource);
    put(block, kInputGain, r.inputGain);
    put(block, kChannelGainLow, r.channelGain, 0, 32);
    put(block, kInputSwitch, r.inputSwitch);
    put(block, kChannelGainHigh, r.channelGain, 32, 32);
    put(block, kRouteFlags, r.routeFlags);
    return block;
}

void applyPresetBlock(std::span<const std::uint8_t> data, PresetKind kind, DeviceRecord& r) {
    const std::size_t n = data.size();
    if (n < kMinPresetDataSize || n > kMaxPresetDataSize) {
        return;
    }
    switch (kind) {
    case PresetKind::Settings:
        for (std::size_t i = 0; i < kSettingsParams.size(); ++i) {
            r.at(kSettingsParams[i]) = data[kSettings + i];
        }
        break;
    case PresetKind::Matrix:
        r.ledDimEdit1 = data[kLedDimEdit1];
        r.ledDimEdit2 = data[kLedDimEdit2];
        take(data, kRouteSource, r.routeSource);
        if (n >= kPresetBlockSize) {
            take(data, kRouteFlags, r.routeFlags);
        }
        break;
    case PresetKind::Gains:
        if (n < 384) {
            break;
        }
        take(data, kInputGain, r.inputGain);
        take(data, kChannelGainLow, r.channelGain, 0, 32);
        if (n >= 400) {
            take(data, kInputSwitch, r.inputSwitch);
        }
        if (n >= 416) {
            take(data, kChannelGainHigh, r.channelGain, 32, 32);
        }
        break;
    }
}

void keepUsbEmbedderBit(DeviceRecord& record, std::uint8_t ioOptionsBefore) {
    constexpr std::uint8_t kUsbEmbedderBit = 0x20;
    auto& io = record.at(param::ioOptions);
    io = static_cast<std::uint8_t>((io & ~kUsbEmbedderBit) | (ioOptionsBefore & kUsbEmbedderBit));
}

} // namespace varento
