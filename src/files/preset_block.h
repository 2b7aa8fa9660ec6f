#pragma once

#include "protocol/device_record.h"

#include <array>
#include <cstdint>
#include <span>

namespace varento {

inline constexpr std::size_t kPresetBlockSize = 672;
inline constexpr std::size_t kMinPresetDataSize = 288;
inline constexpr std::size_t kMaxPresetDataSize = 688;

using PresetBlock = std::array<std::uint8_t, kPresetBlockSize>;

// The three parts of a block that can be loaded on their own.
enum class PresetKind { Settings = 1, Matrix = 2, Gains = 3 };

// "settings", "matrix" or "gains", as the journal and show control name the parts.
const char* presetKindName(PresetKind kind);

PresetBlock buildPresetBlock(const DeviceRecord& record);

// Applies one kind from a block of `data.size()` bytes (N). Nothing happens unless
// 288 <= N <= 688; shorter blocks from older programs carry fewer tables.
void applyPresetBlock(std::span<const std::uint8_t> data, PresetKind kind, DeviceRecord& record);

// Loading settings never switches the USB embedder: bit 5 of ioOptions goes back to
// what it was in `ioOptionsBefore`.
void keepUsbEmbedderBit(DeviceRecord& record, std::uint8_t ioOptionsBefore);

} // namespace varento
