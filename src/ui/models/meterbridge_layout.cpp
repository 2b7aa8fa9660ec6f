#include "ui/models/meterbridge_layout.h"

#include <algorithm>
#include <array>

namespace varento {

namespace meterbridge {

int stripX(int slot, int strip) {
    return 5 + kGroupPitch * slot + 25 * strip + 10 * (strip / 8);
}

int labelIndex(int group, int strip) {
    return group < 2 ? kFirstOutputLabel + kGroupStrips * group + strip
                     : kGroupStrips * (group - 2) + strip;
}

QString groupTitle(int group) {
    static const std::array<const char*, 4> titles{"AES OUTPUTS", "ANALOG OUTPUTS", "AES INPUTS",
                                                   "ANALOG INPUTS"};
    return group >= 0 && group < 4 ? QString::fromLatin1(titles[static_cast<size_t>(group)])
                                   : QString();
}

} // namespace meterbridge

std::optional<int> MeterbridgeLayout::slotOf(int group) const {
    const auto it = std::find(groups.begin(), groups.end(), group);
    if (it == groups.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - groups.begin());
}

std::optional<int> MeterbridgeLayout::meterX(int meter) const {
    if (meter < 0 || meter >= meterbridge::kMeterCount) {
        return std::nullopt;
    }
    const auto slot = slotOf(meter / meterbridge::kGroupStrips);
    if (!slot) {
        return std::nullopt;
    }
    return meterbridge::stripX(*slot, meter % meterbridge::kGroupStrips);
}

// Fader j stands under meter j: the faders follow the two output groups.
std::optional<int> MeterbridgeLayout::faderX(int fader) const {
    if (fader < 0 || fader >= meterbridge::kFaderCount) {
        return std::nullopt;
    }
    return meterX(fader);
}

std::optional<MeterbridgeLayout> meterbridgeLayout(int groupCount) {
    using namespace meterbridge;
    switch (groupCount) {
    case 4:
        return MeterbridgeLayout{{0, 1, 2, 3}, 4 * kGroupPitch, kSurfaceWidth};
    case 2:
        return MeterbridgeLayout{{1, 3}, 2 * kGroupPitch, 1700};
    default:
        return std::nullopt;
    }
}

} // namespace varento
