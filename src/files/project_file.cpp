#include "files/project_file.h"

#include "files/byte_io.h"
#include "files/preset_file.h"

#include <algorithm>

namespace varento {

std::vector<std::uint8_t> encodeProjectData(const std::vector<ProjectDataset>& datasets) {
    std::vector<std::uint8_t> out;
    out.reserve(4 + datasets.size() * (kProjectDatasetHeadSize + kPresetBlockSize));
    bytes::appendBe32(out, static_cast<std::uint32_t>(datasets.size()));
    for (const ProjectDataset& dataset : datasets) {
        bytes::appendBe32(out, static_cast<std::uint32_t>(dataset.block.size()));
        out.insert(out.end(), dataset.uid.bytes.begin(), dataset.uid.bytes.end());
        out.insert(out.end(), dataset.block.begin(), dataset.block.end());
    }
    return out;
}

std::vector<std::uint8_t>
encodeProjectData(const std::vector<std::pair<DeviceUid, PresetBlock>>& units) {
    std::vector<ProjectDataset> datasets;
    for (const auto& [uid, block] : units) {
        datasets.push_back({uid, {block.begin(), block.end()}});
    }
    return encodeProjectData(datasets);
}

ProjectData decodeProjectData(std::span<const std::uint8_t> data) {
    ProjectData out;
    if (data.size() < 4) {
        return out;
    }
    out.declaredCount = bytes::getBe32(data.data());
    std::size_t off = 4;
    for (std::uint32_t k = 0; k < out.declaredCount; ++k) {
        if (data.size() - off < kProjectDatasetHeadSize) {
            break;
        }
        const std::uint64_t length = bytes::getBe32(data.data() + off);
        const std::size_t blockStart = off + kProjectDatasetHeadSize;
        if (length > data.size() - blockStart) {
            break;
        }
        if (length <= kMaxPresetDataSize) {
            ProjectDataset dataset;
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(off + 4), 16,
                        dataset.uid.bytes.begin());
            const auto block = data.subspan(blockStart, static_cast<std::size_t>(length));
            dataset.block.assign(block.begin(), block.end());
            out.datasets.push_back(std::move(dataset));
        }
        off = blockStart + static_cast<std::size_t>(length);
    }
    return out;
}

void applyProjectDataset(std::span<const std::uint8_t> block, bool gainsOnly,
                         DeviceRecord& record) {
    if (!gainsOnly) {
        const std::uint8_t ioBefore = record.at(param::ioOptions);
        applyPresetBlock(block, PresetKind::Settings, record);
        keepUsbEmbedderBit(record, ioBefore);
        applyPresetBlock(block, PresetKind::Matrix, record);
    }
    applyPresetBlock(block, PresetKind::Gains, record);
}

std::optional<ProjectData> readProjectFile(const std::filesystem::path& path, std::string& problem) {
    const PresetFileContent content = readPresetFile(path);
    problem = presetFileProblem(content, kProjectFileType);
    if (!problem.empty()) {
        return std::nullopt;
    }
    return decodeProjectData(content.data);
}

} // namespace varento
