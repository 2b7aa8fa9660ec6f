#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace varento {

// Where the meterbridge puts its strips. The 128 meters come in four groups of 32
// (AES outputs, analog outputs, AES inputs, analog inputs); the 64 output faders
// stand under the first two. A unit shows all four groups or only the analog two,
// packed to the left.
namespace meterbridge {
inline constexpr int kMeterCount = 128;
inline constexpr int kFaderCount = 64;
inline constexpr int kGroupStrips = 32;
inline constexpr int kFirstMeterId = 4096;
inline constexpr int kFirstFaderId = 5000;
inline constexpr int kFirstOutputLabel = 192;

inline constexpr int kWidth = 1274;
inline constexpr int kHeight = 670;
inline constexpr int kMinWidth = 1258;
inline constexpr int kSurfaceWidth = 3400; // everything the window can scroll over
inline constexpr int kGroupPitch = 840;
inline constexpr int kScrollStep = 25;

inline constexpr int kTitleY = 2;
inline constexpr int kLabelBoxY = 20;
inline constexpr int kMeterY = 40;
inline constexpr int kNumberY = 265;
inline constexpr int kFaderY = 280;
inline constexpr int kSwitchY = 575;
inline constexpr int kGainsSwitchX = 100;
inline constexpr int kMuteSwitchX = 260;

// x of strip `strip` (0..31) in the group drawn `slot`-th from the left.
int stripX(int slot, int strip);
// The label a strip of meter group `group` shows: output labels 192..255 over the
// output groups, input labels 0..63 over the input groups.
int labelIndex(int group, int strip);
QString groupTitle(int group);
} // namespace meterbridge

struct MeterbridgeLayout {
    std::vector<int> groups; // the meter groups shown, left to right
    int scrollRange = 0;     // content width the scroll bar covers
    int maxWidth = 0;

    // Left edge of a meter or fader, nothing when it is hidden.
    std::optional<int> meterX(int meter) const;
    std::optional<int> faderX(int fader) const;
    // Where meter group `group` is drawn, nothing when it is hidden.
    std::optional<int> slotOf(int group) const;
};

// The layout of a unit with `groupCount` meter groups (4 or 2); nothing for any
// other count, whose units leave the window as it was.
std::optional<MeterbridgeLayout> meterbridgeLayout(int groupCount);

} // namespace varento
