// "VARENTO.PX (SRC) Settings" / "VARENTO.AES (SRC) Settings": what the extended
// template adds to and changes in the shared rules.
#include "settings_test_support.h"
#include "ui/models/px_settings_model.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace id = varento::settings_id;

namespace {

using PxSettings = SettingsFixture<PxSettingsModel>;

constexpr int kSelectors[] = {id::aesOut, id::daOut, id::out1To32, id::out33To64};

} // namespace

TEST_F(PxSettings, TitleLabelsAndAnalogControlsByModel) {
    for (int model : {9, 10, 13, 14, 18, 19}) {
        SCOPED_TRACE(model);
        const bool aes = model >= 18;
        auto& d = open(model);
        EXPECT_EQ(d.title(), aes ? "VARENTO.AES (SRC) Settings" : "VARENTO.PX (SRC) Settings");
        EXPECT_EQ(d.control(id::aesOutLabel).text, aes ? "AES 1-32" : "AES OUT");
        EXPECT_EQ(d.control(id::daOutLabel).text, aes ? "AES 33-64" : "D/A OUT");
        EXPECT_EQ(d.isEnabled(id::analogIn), !aes);
        EXPECT_EQ(d.isEnabled(id::analogOut), !aes);
        EXPECT_EQ(d.isEnabled(id::userbit), !aes);
        EXPECT_TRUE(d.isVisible(id::ledDim));
        EXPECT_FALSE(d.isVisible(id::delayCompensation));
        EXPECT_EQ(d.sizeInDialogUnits(), QSize(235, 409));
        EXPECT_FALSE(d.has(id::bankLow));
        EXPECT_FALSE(d.has(id::bankHigh));
    }
}

TEST_F(PxSettings, AesClockSourceKeepsTheTermination) {
    auto& d = open(14, [](DeviceRecord& r) { r.at(param::clockRate) = 0x16; });
    EXPECT_TRUE(d.isChecked(id::clockWck));
    ASSERT_TRUE(d.click(id::clockAes));
    EXPECT_EQ(edited(param::clockRate), 0x15);
    EXPECT_TRUE(d.isChecked(id::clockAes));
    EXPECT_FALSE(d.isChecked(id::clockWck));
    EXPECT_FALSE(d.isEnabled(id::term));
    EXPECT_TRUE(d.isEnabled(id::speed2));
    EXPECT_TRUE(d.isEnabled(id::speed4));
    EXPECT_FALSE(d.isEnabled(id::rate));

    ASSERT_TRUE(d.click(id::clockInt));
    EXPECT_EQ(edited(param::clockRate) & 0x03, 0);
    EXPECT_TRUE(d.isEnabled(id::rate));
    EXPECT_FALSE(d.isEnabled(id::speed2));
}

TEST_F(PxSettings, OpeningOnAesCheckesTheAesRadio) {
    auto& d = open(19, [](DeviceRecord& r) { r.at(param::clockRate) = 0x31; });
    EXPECT_TRUE(d.isChecked(id::clockAes));
    EXPECT_FALSE(d.isEnabled(id::term));
    EXPECT_TRUE(d.isEnabled(id::speed4));
    EXPECT_FALSE(d.isEnabled(id::rate));
    EXPECT_EQ(d.currentText(id::rate), "96kHz");
}

TEST_F(PxSettings, ConverterSwitchesOnlyOnConverterModels) {
    for (int model : {9, 10, 13, 14, 18, 19}) {
        SCOPED_TRACE(model);
        const bool converter = model == 10 || model == 14 || model == 19;
        auto& d = open(model, [](DeviceRecord& r) { r.at(param::srcEnable) = 0x35; });
        EXPECT_EQ(d.isEnabled(id::srcGroup), converter);
        for (int g = 0; g < 4; ++g) {
            EXPECT_EQ(d.isEnabled(id::src1 + g), converter);
            EXPECT_EQ(d.isChecked(id::src1 + g), converter && (0x05 & (1 << g)) != 0);
        }
    }
    auto& d = open(14, [](DeviceRecord& r) { r.at(param::srcEnable) = 0x30; });
    ASSERT_TRUE(d.click(id::src1 + 1, true));
    ASSERT_TRUE(d.click(id::src1 + 3, true));
    EXPECT_EQ(edited(param::srcEnable), 0x3A); // the GPO bits stay
    ASSERT_TRUE(d.click(id::src1 + 1, false));
    EXPECT_EQ(edited(param::srcEnable), 0x38);
    EXPECT_FALSE(open(13).click(id::src1, true));
}

TEST_F(PxSettings, RoutingSelectorEntriesByModel) {
    auto& px = open(13);
    EXPECT_EQ(px.control(id::aesOut).items,
              QStringList({"OFF", "AES IN", "A/D", "MADI 1-32", "MADI 33-64"}));
    EXPECT_EQ(px.control(id::daOut).items.size(), 5);
    EXPECT_EQ(px.control(id::out1To32).items.last(), "Fallback");
    EXPECT_EQ(px.control(id::out33To64).items.size(), 6);

    auto& aes = open(18);
    EXPECT_EQ(aes.control(id::out1To32).items,
              QStringList({"OFF", "AES 1-32", "AES 33-64", "MADI 1-32", "MADI 33-64"}));
}

TEST_F(PxSettings, RoutingSelectorsReadAndWriteTheirThreeBits) {
    auto& d = open(9, [](DeviceRecord& r) {
        r.at(param::routingA) = 0x1B; // AES OUT 3, D/A OUT 3
        r.at(param::routingB) = 0x2A; // 1..32 OUT 2, 33..64 OUT 5
    });
    EXPECT_EQ(d.currentIndex(id::aesOut), 3);
    EXPECT_EQ(d.currentIndex(id::daOut), 3);
    EXPECT_EQ(d.currentIndex(id::out1To32), 2);
    EXPECT_EQ(d.currentText(id::out33To64), "Fallback");

    ASSERT_TRUE(d.select(id::out33To64, 0));
    EXPECT_EQ(edited(param::routingB), 0x02);
    ASSERT_TRUE(d.select(id::out33To64, 5));
    EXPECT_EQ(edited(param::routingB) & 0x38, 0x28);
    ASSERT_TRUE(d.select(id::aesOut, 4));
    ASSERT_TRUE(d.select(id::daOut, 1));
    EXPECT_EQ(edited(param::routingA), 0x0C);
    ASSERT_TRUE(d.select(id::out1To32, 0));
    EXPECT_EQ(edited(param::routingB), 0x28);

    // Values the list does not have show no selection.
    auto& aes = open(19, [](DeviceRecord& r) { r.at(param::routingB) = 0x2D; });
    EXPECT_EQ(aes.currentIndex(id::out1To32), -1);
    EXPECT_EQ(aes.currentIndex(id::out33To64), -1);
    EXPECT_FALSE(aes.select(id::out1To32, 5));
}

TEST_F(PxSettings, MatrixModeDisablesTheSelectorsButKeepsTheirValues) {
    auto& d = open(
        14, [](DeviceRecord& r) { r.at(param::routingB) = 0x1A; }, 4, 0);
    for (int s : kSelectors) {
        EXPECT_TRUE(d.isEnabled(s));
    }
    ASSERT_TRUE(d.click(id::matrixMode, true));
    EXPECT_EQ(edited(param::routingB), 0x5A);
    for (int s : kSelectors) {
        EXPECT_FALSE(d.isEnabled(s)) << s;
        EXPECT_FALSE(d.select(s, 0));
    }
    EXPECT_EQ(d.currentIndex(id::out1To32), 2);
    EXPECT_TRUE(d.isEnabled(id::extendedRouting));
    ASSERT_TRUE(d.click(id::matrixMode, false));
    EXPECT_TRUE(d.isEnabled(id::out33To64));
    EXPECT_FALSE(d.isEnabled(id::extendedRouting));

    auto& opened = open(9, [](DeviceRecord& r) { r.at(param::routingB) = 0x4A; });
    EXPECT_TRUE(opened.isChecked(id::matrixMode));
    EXPECT_FALSE(opened.isEnabled(id::aesOut));
    EXPECT_FALSE(opened.isEnabled(id::extendedRouting)); // model 9: code below 11
}

TEST_F(PxSettings, UserbitTransparencyAsksFirst) {
    auto& d = open(10, [](DeviceRecord& r) { r.at(param::madiFormat) = 0x01; });
    EXPECT_FALSE(d.isChecked(id::userbit));

    ui.answers.push_back(Answer::Cancel);
    ASSERT_TRUE(d.click(id::userbit, true));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Activate Userbit Transparency?");
    EXPECT_TRUE(ui.messages[0].text.startsWith("Activating Userbit Transparency will disable"));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_FALSE(d.isChecked(id::userbit));
    EXPECT_EQ(edited(param::madiFormat), 0x01);

    ASSERT_TRUE(d.click(id::userbit, true)); // answered OK
    EXPECT_TRUE(d.isChecked(id::userbit));
    EXPECT_EQ(edited(param::madiFormat), 0x71);

    ASSERT_TRUE(d.click(id::userbit, false));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(edited(param::madiFormat), 0x01);
}

TEST_F(PxSettings, UserbitIsOnOnlyWithAllThreeBits) {
    EXPECT_TRUE(
        open(9, [](DeviceRecord& r) { r.at(param::madiFormat) = 0x71; }).isChecked(id::userbit));
    EXPECT_FALSE(
        open(9, [](DeviceRecord& r) { r.at(param::madiFormat) = 0x31; }).isChecked(id::userbit));
}

TEST_F(PxSettings, RedundancyOnTheTwoPortModels) {
    for (int model : {9, 10, 13, 14, 18, 19}) {
        SCOPED_TRACE(model);
        const bool ports = model == 13 || model == 14 || model >= 18;
        auto& d = open(model);
        EXPECT_EQ(d.isEnabled(id::redundancy), ports);
        EXPECT_EQ(d.isEnabled(id::redundancyGroup), ports);
        EXPECT_EQ(d.isEnabled(id::remoteLabel), ports);
    }
    // "Redundancy active" leaves the forced bit alone here.
    auto& d = open(13, [](DeviceRecord& r) { r.at(param::ioOptions) = 0x0A; });
    ASSERT_TRUE(d.select(id::redundancy, 2));
    EXPECT_EQ(edited(param::madiFormat) & 0x0C, 0x08);
    EXPECT_EQ(edited(param::ioOptions) & 0x10, 0x10);
    ASSERT_TRUE(d.select(id::redundancy, 0));
    EXPECT_EQ(edited(param::madiFormat) & 0x0C, 0);
    EXPECT_EQ(edited(param::ioOptions) & 0x10, 0x10);
    ASSERT_TRUE(d.select(id::redundancy, 4));
    EXPECT_EQ(edited(param::ioOptions) & 0x10, 0);
}

TEST_F(PxSettings, AesModelsKeepTheLedDimInTheStatusByte) {
    auto& d = open(19, [](DeviceRecord& r) {
        r.at(param::statusLeds) = 0x25;
        r.at(param::ledDim1) = 0x08; // a status byte on the AES units, not the dim level
    });
    EXPECT_EQ(d.currentText(id::ledDim), "Bright");
    ASSERT_TRUE(d.select(id::ledDim, 1));
    EXPECT_EQ(edited(param::statusLeds), 0x15);
    EXPECT_EQ(edited(param::ledDim1), 0x08);

    auto& px = open(14, [](DeviceRecord& r) { r.at(param::ledDim1) = 0x08; });
    EXPECT_EQ(px.currentText(id::ledDim), "Bright");
    ASSERT_TRUE(px.select(id::ledDim, 0));
    EXPECT_EQ(edited(param::ledDim1), 0x00);
}
