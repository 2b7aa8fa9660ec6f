#include "protocol/calibration.h"

#include <gtest/gtest.h>

using namespace varento;

TEST(Calibration, DecibelsToClampedFactors) {
    auto ad = [](double db) { return calibrationFromDb(db, kAdCalibrationMin, kAdCalibrationMax); };
    auto da = [](double db) { return calibrationFromDb(db, kDaCalibrationMin, kDaCalibrationMax); };
    EXPECT_EQ(ad(20), 8192);
    EXPECT_EQ(ad(-20), 1450);
    EXPECT_EQ(ad(0), 2048);
    EXPECT_EQ(da(3.00), 2892); // 2892.9 truncated
    EXPECT_EQ(da(-13), 515);
    EXPECT_EQ(ad(1e308), 8192);
    EXPECT_EQ(da(-1e308), 515);
}

TEST(Calibration, FactorsToDecibels) {
    EXPECT_FLOAT_EQ(calibrationToDb(2048), 0.0f);
    EXPECT_NEAR(calibrationToDb(515), -11.99, 0.005);
    EXPECT_NEAR(calibrationToDb(8192), 12.04, 0.005);
}

TEST(Calibration, OutOfRangeFactorsWhenTheDialogOpens) {
    EXPECT_EQ(sanitizeDaCalibration(400), 515);
    EXPECT_EQ(sanitizeDaCalibration(3000), 2048);
    EXPECT_EQ(sanitizeDaCalibration(1000), 1000);
    EXPECT_EQ(sanitizeAdCalibration(1000), 2048);
    EXPECT_EQ(sanitizeAdCalibration(9000), 2048);
    EXPECT_EQ(sanitizeAdCalibration(4000), 4000);
}
