// Arbitrary bytes as a preset file: read, then apply every kind to a record.
#include "files/preset_block.h"
#include "files/preset_file.h"

#include <cstdint>
#include <span>

using namespace varento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PresetFileContent content = decodePresetFile(std::span(data, size));
    if (content.error != PresetReadError::None) {
        return 0;
    }
    DeviceRecord record;
    for (PresetKind kind : {PresetKind::Settings, PresetKind::Matrix, PresetKind::Gains}) {
        applyPresetBlock(content.data, kind, record);
    }
    return 0;
}
