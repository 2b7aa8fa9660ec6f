// Arbitrary bytes as a label file; the first byte picks the store's limit (388) or
// the import's (384). A rejected file changes nothing; an accepted one gives
// terminated, printable labels that survive writing and reading back.
#include "files/label_file.h"

#include <cstdint>
#include <span>

using namespace varento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int limit = (data[0] & 1) != 0 ? kImportLabelLimit : kLabelCount;
    LabelTable labels{};
    fillDefaultLabels(labels);
    const LabelTable before = labels;
    const LabelParse result = parseLabels(std::span(data + 1, size - 1), labels, limit);
    if (result != LabelParse::Ok) {
        if (labels != before) {
            __builtin_trap();
        }
        return 0;
    }
    for (int i = 0; i < kLabelCount; ++i) {
        const Label& label = labels[static_cast<std::size_t>(i)];
        if (i >= limit && label != before[static_cast<std::size_t>(i)]) {
            __builtin_trap();
        }
        bool ended = false;
        for (char c : label) {
            ended = ended || c == '\0';
            if (ended ? c != '\0' : !isLabelPrintable(static_cast<std::uint8_t>(c))) {
                __builtin_trap();
            }
        }
        if (!ended) {
            __builtin_trap();
        }
    }
    LabelTable back{};
    if (parseLabels(encodeLabels(labels), back) != LabelParse::Ok || back != labels) {
        __builtin_trap();
    }
    return 0;
}
