#pragma once

#include <cstdint>

namespace varento {

// Calibration factors are 14-bit integers with 2048 as unity gain.
inline constexpr std::int32_t kUnityCalibration = 2048;
inline constexpr std::int32_t kAdCalibrationMin = 1450; // -3.00 dB
inline constexpr std::int32_t kAdCalibrationMax = 8192; // +12.04 dB
inline constexpr std::int32_t kDaCalibrationMin = 515;  // -11.99 dB
inline constexpr std::int32_t kDaCalibrationMax = 2892; // +3.00 dB

float calibrationToDb(std::int32_t factor);
// trunc(10^(dB/20) * 2048), clamped to the given range.
std::int32_t calibrationFromDb(double db, std::int32_t min, std::int32_t max);

// What the calibration dialog does to out-of-range factors when it opens: AD
// outside its range goes back to unity, DA above its range to unity and below to
// its minimum.
std::int32_t sanitizeAdCalibration(std::int32_t factor);
std::int32_t sanitizeDaCalibration(std::int32_t factor);

} // namespace varento
