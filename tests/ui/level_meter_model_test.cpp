#include "ui/models/level_meter_model.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varento;

namespace {

using Ms = LevelMeterModel::Ms;

// A meter resting at `db` from time `at`: it bottoms out first, then rises to the
// level (the hold starts at `at`) and the same value again makes it the target.
LevelMeterModel settledAt(float db, Ms at) {
    LevelMeterModel m(-100000);
    m.feed(-200.0f, -100000);
    m.advance(at - 1);
    m.feed(db, at);
    m.feed(db, at);
    return m;
}

} // namespace

TEST(LevelMeterModel, FirstValuesOnlySetTheTargetAndTheBarFallsFromFull) {
    LevelMeterModel m(1000);
    m.feed(-20.0f, 1010);
    EXPECT_EQ(m.level(), 0.0f);
    EXPECT_EQ(m.target(), -20.0f);
    EXPECT_EQ(m.valueText(), "OVR");
    EXPECT_EQ(m.colour(), ReadoutColour::Red);

    // A new meter holds 250 ms, then steps 20 ms later.
    m.advance(1269);
    EXPECT_EQ(m.level(), 0.0f);
    m.advance(1270);
    EXPECT_EQ(m.level(), -1.0f);
    // The text changes only with a value; the colour follows the level drawn.
    EXPECT_EQ(m.valueText(), "OVR");
    EXPECT_EQ(m.colour(), ReadoutColour::White);
}

TEST(LevelMeterModel, InitialPeakDrawsNoLineButAFedPeakDoes) {
    LevelMeterModel m(0);
    EXPECT_EQ(m.peak(), -144.0f);
    EXPECT_EQ(meterRows(-144.0f), 228);
    EXPECT_GE(m.look().peakRow, LevelMeterModel::kBarRows);

    m.feed(-24.0f, 0);
    EXPECT_EQ(m.look().peakRow, meterRows(-24.0f));
    EXPECT_LT(m.look().peakRow + LevelMeterModel::kPeakRows, LevelMeterModel::kBarRows);
}

TEST(LevelMeterModel, ZeroDbLightsTheOverRowsAndReadsOvrInRed) {
    LevelMeterModel m = settledAt(-30.0f, 1000);
    EXPECT_FALSE(m.look().overLit);
    m.feed(0.0f, 1000);
    EXPECT_EQ(m.valueText(), "OVR");
    EXPECT_EQ(m.colour(), ReadoutColour::Red);
    EXPECT_TRUE(m.look().overLit);
    EXPECT_EQ(m.look().darkRows, 10);
    // A held over keeps the over rows lit after the level has fallen.
    m.feed(-30.0f, 1000);
    m.advance(5000);
    EXPECT_LT(m.level(), 0.0f);
    EXPECT_TRUE(m.look().overLit);
}

TEST(LevelMeterModel, ReadoutRoundsToATenthAndShowsTheIntegerDigits) {
    EXPECT_EQ(meterReadout(-0.46f), "-0.5");
    EXPECT_EQ(meterReadout(-0.04f), "-0.0");
    EXPECT_EQ(meterReadout(-0.96f), "-1"); // rounds up to a whole dB
    EXPECT_EQ(meterReadout(-12.96f), "-13");
    EXPECT_EQ(meterReadout(-12.94f), "-12");
    EXPECT_EQ(meterReadout(-144.0f), "-144");
    EXPECT_EQ(meterReadout(-144.01f), "-INF");
    EXPECT_EQ(meterReadout(-150.0f), "-INF");
    EXPECT_EQ(meterReadout(0.0f), "OVR");
    EXPECT_EQ(meterReadout(6.0f), "OVR");
}

TEST(LevelMeterModel, RowsNeverGrowAsTheLevelRisesWithinEachScale) {
    // The two lower scales do not meet: just below -78 dB the bottom scale gives
    // 186 rows, at -78 the middle one gives 190. The bar keeps that jump.
    const auto check = [](float from, float to) {
        int last = meterRows(from);
        for (float x = from; x < to; x += 0.01f) {
            const int rows = meterRows(x);
            EXPECT_LE(rows, last) << x;
            last = rows;
        }
    };
    check(-200.0f, -78.0f);
    check(-78.0f, 3.0f);
    EXPECT_EQ(meterRows(std::nextafter(-78.0f, -100.0f)), 186);
    EXPECT_EQ(meterRows(-78.0f), 190);
    EXPECT_EQ(meterRows(-12.01f), 59);
    EXPECT_EQ(meterRows(-12.0f), 59);
    EXPECT_EQ(meterRows(-1.0f), 13);
    EXPECT_EQ(meterRows(-0.001f), 13);
    EXPECT_EQ(meterRows(0.0f), 10);
    EXPECT_EQ(meterRows(0.001f), 0);
    EXPECT_GT(meterRows(-1e30f), LevelMeterModel::kBarRows);
}

TEST(LevelMeterModel, AboveMinus60TheLevelFalls1DbEvery20MsAfterTheHold) {
    LevelMeterModel m = settledAt(-10.0f, 10000);
    m.feed(-40.0f, 10000);
    m.advance(10169);
    EXPECT_EQ(m.level(), -10.0f);
    m.advance(10170);
    EXPECT_EQ(m.level(), -11.0f);
    m.advance(10290);
    EXPECT_EQ(m.level(), -17.0f);
    // The hold timer restarts the step timer every 150 ms: no step at +160.
    m.advance(10310);
    EXPECT_EQ(m.level(), -17.0f);
    m.advance(10320);
    EXPECT_EQ(m.level(), -18.0f);
    m.advance(20000);
    EXPECT_EQ(m.level(), -40.0f);
    EXPECT_FALSE(m.falling());
}

TEST(LevelMeterModel, BelowMinus60TheLevelFalls2DbAStepAndMayPassTheTarget) {
    LevelMeterModel m = settledAt(-70.0f, 10000);
    m.feed(-89.0f, 10000);
    m.advance(10290);
    EXPECT_EQ(m.level(), -84.0f);
    m.advance(20000);
    EXPECT_EQ(m.level(), -90.0f);

    LevelMeterModel crossing = settledAt(-58.0f, 0);
    crossing.feed(-61.0f, 0);
    crossing.advance(150 + 20);
    EXPECT_EQ(crossing.level(), -59.0f);
    crossing.advance(150 + 40);
    EXPECT_EQ(crossing.level(), -60.0f);
    crossing.advance(150 + 60);
    EXPECT_EQ(crossing.level(), -62.0f);
    crossing.advance(5000);
    EXPECT_EQ(crossing.level(), -62.0f);
}

TEST(LevelMeterModel, TheFallDependsOnElapsedTimeNotOnHowOftenItIsAdvanced) {
    LevelMeterModel often = settledAt(-20.0f, 0);
    LevelMeterModel once = settledAt(-20.0f, 0);
    often.feed(-120.0f, 0);
    once.feed(-120.0f, 0);
    for (Ms t = 0; t <= 1337; t += 7) {
        often.advance(t);
    }
    once.advance(1337);
    EXPECT_EQ(often.level(), once.level());
    EXPECT_LT(once.level(), -60.0f);
}

TEST(LevelMeterModel, ARiseIsDrawnAtOnceAndHoldsTheFallAgain) {
    LevelMeterModel m = settledAt(-30.0f, 0);
    m.feed(-50.0f, 0);
    m.advance(300);
    EXPECT_EQ(m.level(), -37.0f);
    m.feed(-20.0f, 300);
    EXPECT_EQ(m.level(), -20.0f);
    m.feed(-50.0f, 310);
    m.advance(300 + 169);
    EXPECT_EQ(m.level(), -20.0f);
    m.advance(300 + 170);
    EXPECT_EQ(m.level(), -21.0f);
}

TEST(LevelMeterModel, AValueBelowTheLevelDoesNotRestartTheHold) {
    LevelMeterModel m = settledAt(-30.0f, 0);
    m.feed(-50.0f, 0);
    m.advance(170);
    EXPECT_EQ(m.level(), -31.0f);
    m.feed(-45.0f, 175);
    m.advance(190);
    EXPECT_EQ(m.level(), -32.0f);
}

TEST(LevelMeterModel, ClickResetsThePeakToTheLevelDrawn) {
    LevelMeterModel m = settledAt(-6.0f, 0);
    m.feed(-30.0f, 0);
    m.advance(290);
    EXPECT_EQ(m.peak(), -6.0f);
    m.resetPeak();
    EXPECT_EQ(m.peak(), m.level());
    EXPECT_EQ(m.look().peakRow, meterRows(-13.0f));
}

TEST(LevelMeterModel, ShowPeakReadsThePeakInOrangeAndRedFromZero) {
    LevelMeterModel m = settledAt(-30.0f, 0);
    m.setShowPeak(true);
    m.feed(-3.04f, 0);
    m.feed(-40.0f, 0);
    EXPECT_EQ(m.valueText(), "-3");
    EXPECT_EQ(m.colour(), ReadoutColour::Orange);
    m.feed(0.0f, 0);
    EXPECT_EQ(m.colour(), ReadoutColour::Red);
    EXPECT_EQ(m.valueText(), "OVR");
}

TEST(LevelMeterModel, NotANumberIsIgnored) {
    LevelMeterModel m = settledAt(-30.0f, 0);
    const MeterLook before = m.look();
    m.feed(std::nanf(""), 10);
    EXPECT_EQ(m.look(), before);
    EXPECT_FALSE(m.falling());
}
