#include "protocol/calibration.h"

#include <algorithm>
#include <cmath>

namespace varento {

float calibrationToDb(std::int32_t factor) {
    if (factor <= 0) {
        return -100.0f; // a factor the dialog never keeps; shown rather than -inf
    }
    return static_cast<float>(20.0 * std::log10(factor / static_cast<double>(kUnityCalibration)));
}

std::int32_t calibrationFromDb(double db, std::int32_t min, std::int32_t max) {
    if (!std::isfinite(db)) {
        db = 0.0;
    }
    db = std::clamp(db, -200.0, 200.0); // keeps the power finite before truncating
    const double factor = std::trunc(std::pow(10.0, db / 20.0) * kUnityCalibration);
    return std::clamp(static_cast<std::int32_t>(std::min(factor, 1e9)), min, max);
}

std::int32_t sanitizeAdCalibration(std::int32_t factor) {
    return factor > kAdCalibrationMax || factor < kAdCalibrationMin ? kUnityCalibration : factor;
}

std::int32_t sanitizeDaCalibration(std::int32_t factor) {
    if (factor > kDaCalibrationMax) {
        return kUnityCalibration;
    }
    return std::max(factor, kDaCalibrationMin);
}

} // namespace varento
