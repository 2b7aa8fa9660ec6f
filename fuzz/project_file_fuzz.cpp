// Arbitrary bytes as project data: decode the datasets and apply each of them.
#include "files/project_file.h"

#include <cstdint>
#include <span>

using namespace varento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ProjectData project = decodeProjectData(std::span(data, size));
    if (project.datasets.size() > project.declaredCount) {
        __builtin_trap();
    }
    DeviceRecord record;
    for (const ProjectDataset& dataset : project.datasets) {
        applyProjectDataset(dataset.block, false, record);
        applyProjectDataset(dataset.block, true, record);
    }
    return 0;
}
