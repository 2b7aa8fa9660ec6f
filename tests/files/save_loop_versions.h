#pragma once

#include "devices/device_list.h"
#include "files/devlist_file.h"
#include "files/file_header.h"
#include "files/file_io.h"
#include "files/label_store.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace varento::testing {

// The files the program saves: each kind is saved the way the program saves it.
enum class SaveKind { DeviceList, LabelStore, Preset, Project };

inline constexpr std::array<SaveKind, 4> kSaveKinds = {SaveKind::DeviceList, SaveKind::LabelStore,
                                                       SaveKind::Preset, SaveKind::Project};

inline const char* saveKindName(SaveKind kind) {
    switch (kind) {
    case SaveKind::DeviceList:
        return "devlist";
    case SaveKind::LabelStore:
        return "labels";
    case SaveKind::Preset:
        return "preset";
    case SaveKind::Project:
        return "project";
    }
    return "";
}

inline std::optional<SaveKind> saveKindNamed(std::string_view name) {
    for (SaveKind kind : kSaveKinds) {
        if (name == saveKindName(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

// The two device lists the save loop alternates between: different lengths and
// contents, so that any mix of them is told apart from either.
inline DeviceList saveLoopVersion(int which) {
    DeviceList list;
    const int count = which == 0 ? 3000 : 1500;
    for (int i = 0; i < count; ++i) {
        DeviceUid uid;
        uid.bytes[0] = static_cast<std::uint8_t>(which);
        uid.bytes[1] = static_cast<std::uint8_t>(i & 0x7F);
        uid.bytes[2] = static_cast<std::uint8_t>(i >> 7);
        KnownDevice* e = list.addOrRefresh(uid, which == 0 ? "VARENTO.PX" : "VARENTO.LC", 1, 2);
        e->userName = std::string(static_cast<std::size_t>(100 + i % 100), which == 0 ? 'a' : 'b');
    }
    return list;
}

inline DeviceUid saveLoopUid(int unit) {
    DeviceUid uid;
    uid.bytes[0] = 0x51;
    uid.bytes[1] = static_cast<std::uint8_t>(unit);
    return uid;
}

// Version 0 keeps the labels' defaults, version 1 fills every one to its length.
inline LabelTable saveLoopLabels(int which) {
    LabelTable labels{};
    fillDefaultLabels(labels);
    if (which == 1) {
        for (Label& label : labels) {
            std::memset(label.data(), 'x', kLabelChars);
            label[kLabelChars] = '\0';
        }
    }
    return labels;
}

inline PresetBlock saveLoopBlock(int which, int unit) {
    DeviceRecord record;
    resetToPowerOnDefaults(record);
    record.uid = saveLoopUid(unit);
    for (std::size_t i = 0; i < record.inputGain.size(); ++i) {
        record.inputGain[i] = static_cast<std::uint8_t>(which == 0 ? 8 + i : 63 - i);
    }
    for (std::size_t i = 0; i < record.channelGain.size(); ++i) {
        record.channelGain[i] = static_cast<std::uint8_t>(which * 100 + static_cast<int>(i));
    }
    for (std::size_t i = 0; i < kWireRouteSlots; ++i) {
        record.routeSource[i] = static_cast<std::uint8_t>(which == 0 ? i % 64 : kNoSource);
    }
    return buildPresetBlock(record);
}

// Three units against two: the project files differ in length too.
inline std::vector<std::pair<DeviceUid, PresetBlock>> saveLoopProject(int which) {
    std::vector<std::pair<DeviceUid, PresetBlock>> units;
    for (int unit = 0; unit < 3 - which; ++unit) {
        units.emplace_back(saveLoopUid(unit), saveLoopBlock(which, unit));
    }
    return units;
}

// One kind of file in a folder, its two versions prepared once, so that a loop of
// saves spends its time saving.
class SaveLoopFile {
public:
    SaveLoopFile(SaveKind kind, std::filesystem::path folder)
        : kind_(kind), folder_(std::move(folder)) {
        for (int which = 0; which < 2; ++which) {
            lists_[slot(which)] = saveLoopVersion(which);
            labels_[slot(which)] = saveLoopLabels(which);
            bytes_[slot(which)] = encode(which);
        }
    }

    std::filesystem::path path() const {
        switch (kind_) {
        case SaveKind::DeviceList:
            return deviceListPath(folder_);
        case SaveKind::LabelStore:
            return labelStorePath(folder_, saveLoopUid(0));
        case SaveKind::Preset:
            return folder_ / "soak.vpf";
        case SaveKind::Project:
            return folder_ / "soak.vrj";
        }
        return {};
    }

    // Version `which` (0 or 1) as it should stand in the file.
    const std::vector<std::uint8_t>& bytes(int which) const { return bytes_[slot(which)]; }

    // Saves version `which` through the call the program saves this kind with.
    std::error_code save(int which) const {
        switch (kind_) {
        case SaveKind::DeviceList:
            return saveDeviceList(folder_, lists_[slot(which)]);
        case SaveKind::LabelStore:
            return storeUnitLabels(folder_, saveLoopUid(0), labels_[slot(which)]);
        case SaveKind::Preset:
        case SaveKind::Project:
            return writeFileAtomically(path(), bytes_[slot(which)]);
        }
        return {};
    }

private:
    static std::size_t slot(int which) { return static_cast<std::size_t>(which); }

    std::vector<std::uint8_t> encode(int which) const {
        switch (kind_) {
        case SaveKind::DeviceList:
            return encodeDeviceList(lists_[slot(which)]);
        case SaveKind::LabelStore:
            return encodeLabels(labels_[slot(which)]);
        case SaveKind::Preset:
            return encodePresetFile(kPresetFileType, saveLoopBlock(which, 0));
        case SaveKind::Project:
            return encodePresetFile(kProjectFileType, encodeProjectData(saveLoopProject(which)));
        }
        return {};
    }

    SaveKind kind_;
    std::filesystem::path folder_;
    std::array<DeviceList, 2> lists_;
    std::array<LabelTable, 2> labels_{};
    std::array<std::vector<std::uint8_t>, 2> bytes_;
};

} // namespace varento::testing
