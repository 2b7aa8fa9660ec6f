#include "ui/models/level_meter_model.h"

#include <algorithm>
#include <cmath>

namespace varento {

int meterRows(float x) {
    // Anything lower is far below the bar anyway; the clamp keeps the cast defined.
    x = std::max(x, -1000.0f);
    if (x < -78.0f) {
        return 193 - static_cast<int>(std::trunc((x + 90.0f) * 0.66666f));
    }
    if (x < -12.0f) {
        return 190 - static_cast<int>(std::trunc((x + 78.0f) * 2.0f));
    }
    if (x < -1.0f) {
        return 59 - static_cast<int>(std::trunc((x + 12.0f) * 4.0f));
    }
    if (x < 0.0f) {
        return 13;
    }
    if (x == 0.0f) {
        return 10;
    }
    return 0;
}

std::string meterReadout(float x) {
    if (x >= 0.0f) {
        return "OVR";
    }
    if (x < -144.0f) {
        return "-INF";
    }
    const long tenths = std::lround(-static_cast<double>(x) * 10.0);
    if (tenths < 10) {
        return "-0." + std::to_string(tenths);
    }
    // The decimal digit is not shown: -12.94 rounds to -12.9 and reads -12.
    return "-" + std::to_string(tenths / 10);
}

LevelMeterModel::LevelMeterModel(Ms createdAt) : holdStart_(createdAt) {}

void LevelMeterModel::feed(float value, Ms now) {
    if (std::isnan(value)) {
        return;
    }
    advance(now);
    if (value > level_) {
        level_ = value;
        holdStart_ = now;
        hold_ = kHoldMs;
        stepsDone_ = 0;
    } else {
        target_ = value;
    }
    peak_ = std::max(peak_, value);
    valueText_ = meterReadout(showPeak_ ? peak_ : level_);
}

LevelMeterModel::Ms LevelMeterModel::stepsDueBy(Ms now) const {
    const Ms elapsed = now - (holdStart_ + hold_);
    if (elapsed < 0) {
        return 0;
    }
    // The steps of one hold period come at +20 ... +140 ms; the restart at +150
    // drops the one that would have come at +160.
    constexpr Ms perPeriod = (kHoldMs - 1) / kStepMs;
    return perPeriod * (elapsed / kHoldMs) + std::min(perPeriod, (elapsed % kHoldMs) / kStepMs);
}

void LevelMeterModel::step() {
    level_ -= level_ > -60.0f ? 1.0f : 2.0f;
}

bool LevelMeterModel::advance(Ms now) {
    const Ms due = stepsDueBy(now);
    if (due <= stepsDone_) {
        return false;
    }
    if (!falling()) {
        stepsDone_ = due;
        return false;
    }
    const MeterLook before = look();
    for (Ms n = due - stepsDone_; n > 0 && level_ > target_; --n) {
        step();
    }
    stepsDone_ = due;
    return look() != before;
}

void LevelMeterModel::resetPeak() {
    peak_ = level_;
}

void LevelMeterModel::setShowPeak(bool on) {
    showPeak_ = on;
}

ReadoutColour LevelMeterModel::colour() const {
    if (showPeak_) {
        return peak_ >= 0.0f ? ReadoutColour::Red : ReadoutColour::Orange;
    }
    return level_ >= 0.0f ? ReadoutColour::Red : ReadoutColour::White;
}

MeterLook LevelMeterModel::look() const {
    MeterLook look;
    // Below the bar's floor everything but the box's top row is dark.
    look.darkRows = level_ < -90.0f ? kBarRows - 1 : std::clamp(meterRows(level_), 0, kBarRows);
    look.overLit = level_ > 0.0f || peak_ >= 0.0f;
    look.peakRow = std::min(meterRows(peak_), kBarRows);
    look.text = valueText_;
    look.colour = colour();
    return look;
}

} // namespace varento
