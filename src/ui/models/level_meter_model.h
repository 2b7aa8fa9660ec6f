#pragma once

#include <cstdint>
#include <string>

namespace varento {

// Dark rows from the top of the 200-row bar for a level in dB (single precision,
// truncating toward zero). Levels far below the bar give rows below it.
int meterRows(float x);

// The read-out of a value: "OVR" from 0 dB up, "-INF" below -144, otherwise the
// value rounded to a tenth and shown by its integer digits ("-13"), or "-0.5"
// between -1 and 0.
std::string meterReadout(float x);

enum class ReadoutColour { White, Red, Orange };

// What a meter shows; two equal looks draw the same pixels.
struct MeterLook {
    int darkRows = 0;     // rows covered by the unlit bar from the top
    bool overLit = false; // the top rows lit again as the over indication
    int peakRow = 0;      // first of the three rows of the peak line
    std::string text;
    ReadoutColour colour = ReadoutColour::White;
    bool operator==(const MeterLook&) const = default;
};

// The ballistics of one level meter without any widget or timer. Time is passed
// in as milliseconds on any monotonic clock, so a test steps it by hand and a
// shared animation tick can drive any number of meters.
//
// A rise is drawn at once and then held; after the hold (250 ms for a new meter,
// 150 ms after a rise) the level falls toward the last value fed, 1 dB a step
// above -60 dB and 2 dB below, one step every 20 ms. The hold timer keeps
// restarting the step timer every 150 ms, so each 150 ms carries seven steps.
class LevelMeterModel {
public:
    using Ms = std::int64_t;
    static constexpr int kBarRows = 200;
    static constexpr int kOverRows = 10;
    static constexpr int kPeakRows = 3;
    static constexpr Ms kFirstHoldMs = 250;
    static constexpr Ms kHoldMs = 150;
    static constexpr Ms kStepMs = 20;

    explicit LevelMeterModel(Ms createdAt = 0);

    // A new value from the unit. Applies the steps due by `now` first. NaN is ignored.
    void feed(float value, Ms now);
    // Applies every fall step due by `now`. Returns true when the look changed.
    bool advance(Ms now);
    // A click: the peak drops to the level drawn now.
    void resetPeak();
    // The read-out (and its colour) follow the peak instead of the level; the text
    // changes with the next value fed.
    void setShowPeak(bool on);
    bool showPeak() const { return showPeak_; }

    float level() const { return level_; }
    float target() const { return target_; }
    float peak() const { return peak_; }
    const std::string& valueText() const { return valueText_; }
    ReadoutColour colour() const;
    // Still above the value it falls toward (holding or stepping).
    bool falling() const { return level_ > target_; }

    MeterLook look() const;

private:
    Ms stepsDueBy(Ms now) const;
    void step();

    float level_ = 0.0f;
    float target_ = 0.0f;
    float peak_ = -144.0f;
    bool showPeak_ = false;
    std::string valueText_ = "-oo";
    Ms holdStart_ = 0;
    Ms hold_ = kFirstHoldMs;
    Ms stepsDone_ = 0;
};

} // namespace varento
