#pragma once

#include "files/preset_block.h"
#include "protocol/device_uid.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varento {

inline constexpr std::size_t kProjectDatasetHeadSize = 20; // L (big-endian) and the uid

struct ProjectDataset {
    DeviceUid uid;
    std::vector<std::uint8_t> block; // L bytes, L <= 688
};

struct ProjectData {
    std::uint32_t declaredCount = 0; // K as stored
    std::vector<ProjectDataset> datasets;
};

// The data part of a project file: K big-endian, then per unit L, uid and block.
std::vector<std::uint8_t>
encodeProjectData(const std::vector<std::pair<DeviceUid, PresetBlock>>& units);

// The same for datasets as read, whatever their length (those of older programs).
std::vector<std::uint8_t> encodeProjectData(const std::vector<ProjectDataset>& datasets);

// Reads datasets only as far as the data goes; a dataset whose head or block
// would reach past the end ends the list, and one longer than 688 is skipped.
ProjectData decodeProjectData(std::span<const std::uint8_t> data);

// A project file read and checked as one (not a preset, not damaged); nothing,
// with the reason in `problem`, when it cannot be loaded.
std::optional<ProjectData> readProjectFile(const std::filesystem::path& path, std::string& problem);

// Applies one dataset: everything (settings except the USB embedder bit, matrix,
// gains) or the gains alone.
void applyProjectDataset(std::span<const std::uint8_t> block, bool gainsOnly, DeviceRecord& record);

} // namespace varento
