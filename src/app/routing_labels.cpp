#include "app/routing_labels.h"

#include "app/cp1252.h"
#include "files/label_file.h"

namespace varento {

namespace {
constexpr int kFirstOutputLabel = 192;
} // namespace

const OutputBank& outputBankOf(int output) {
    for (const OutputBank& bank : kOutputBanks) {
        if (output < bank.first + bank.count) {
            return bank;
        }
    }
    return kOutputBanks.back();
}

QString outputChannelName(int output) {
    return QString::fromStdString(labelIoTypeText(kFirstOutputLabel + output));
}

QString sourceChannelName(int source) {
    if (source < kFirstBus) {
        return QString::fromStdString(labelIoTypeText(source));
    }
    if (source < kFirstBus + kBusCount) {
        return QString::fromStdString(labelIoTypeText(kFirstBusLabel + source - kFirstBus));
    }
    return {};
}

QString outputLabel(const DeviceRecord& r, int output) {
    return labelText(r.labels[static_cast<std::size_t>(kFirstOutputLabel + output)]);
}

std::optional<QString> sourceLabel(const DeviceRecord& r, int source) {
    if (source < kFirstBus) {
        return labelText(r.labels[static_cast<std::size_t>(source)]);
    }
    if (source < kFirstBus + kBusCount) {
        return labelText(r.labels[static_cast<std::size_t>(kFirstBusLabel + source - kFirstBus)]);
    }
    return std::nullopt;
}

// Only the channels the wire carries can be on a bus.
std::vector<int> sourcesOnBus(const DeviceRecord& r, int bus) {
    std::vector<int> sources;
    for (int channel = 0; channel < kWireRouteSlots; ++channel) {
        if ((r.routeFlags[static_cast<std::size_t>(channel)] & (1u << (bus + 1))) != 0) {
            sources.push_back(channel);
        }
    }
    return sources;
}

} // namespace varento
