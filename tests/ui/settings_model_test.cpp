// "VARENTO Settings": every control's effect on the working copy, the controls
// that depend on each other, the per-model rules, and closing.
#include "settings_test_support.h"
#include "ui/models/unit_settings_model.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace id = varento::settings_id;

namespace {

using UnitSettings = SettingsFixture<UnitSettingsModel>;

void setClock(DeviceRecord& r, std::uint8_t value) {
    r.at(param::clockRate) = value;
}

} // namespace

TEST_F(UnitSettings, OpensWithTheTemplatesTitleSizeAndApplyDisabled) {
    auto& d = open(12);
    EXPECT_EQ(d.title(), "VARENTO Settings");
    EXPECT_EQ(d.sizeInDialogUnits(), QSize(235, 329));
    EXPECT_FALSE(d.isEnabled(id::apply));
    EXPECT_FALSE(d.has(id::clockAes));
    EXPECT_FALSE(d.has(id::out1To32));
    EXPECT_EQ(d.openingCopy().at(param::clockRate), record.at(param::clockRate));
}

TEST_F(UnitSettings, OpeningReadsRateAndSpeedFromTheClockByte) {
    struct Case {
        std::uint8_t clock;
        int index;
        bool speed2, speed4, upperBank;
    };
    const Case cases[] = {
        {0x08, 0, false, false, true},  {0x10, 1, false, false, true},
        {0x28, 2, true, false, false},  {0x30, 3, true, false, false},
        {0x48, 4, false, true, false},  {0x50, 5, false, true, false},
        {0x00, -1, false, false, true}, // no family: no selection
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        auto& d = open(12, [&](DeviceRecord& r) { setClock(r, c.clock); });
        EXPECT_EQ(d.currentIndex(id::rate), c.index);
        EXPECT_EQ(d.isChecked(id::speed2), c.speed2);
        EXPECT_EQ(d.isChecked(id::speed4), c.speed4);
        EXPECT_EQ(d.isEnabled(id::bankHigh), c.upperBank);
        EXPECT_TRUE(d.isEnabled(id::bankLow));
    }
}

TEST_F(UnitSettings, DoubleSpeedOnOpeningRemembersTheFrameChoice) {
    open(12, [](DeviceRecord& r) {
        setClock(r, 0x30);
        r.at(param::madiFormat) = 0x03;
    });
    EXPECT_EQ(edited(param::madi96kChoice) & 0x02, 0x02);
    EXPECT_TRUE(dialog->isChecked(id::madi96k));
    EXPECT_FALSE(dialog->isChecked(id::madi56));
}

TEST_F(UnitSettings, OpeningSetsTheClockSourceControls) {
    struct Case {
        std::uint8_t clock;
        int radio; // 0: none
        bool term, speeds, rate;
    };
    const Case cases[] = {
        {0x10, id::clockInt, false, false, true},
        {0x11, 0, false, true, false}, // AES on a base unit: no radio of its own
        {0x12, id::clockWck, true, true, false},
        {0x13, id::clockMadi, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        auto& d = open(12, [&](DeviceRecord& r) { setClock(r, c.clock); });
        for (int radio : {id::clockInt, id::clockWck, id::clockMadi}) {
            EXPECT_EQ(d.isChecked(radio), radio == c.radio) << radio;
        }
        EXPECT_EQ(d.isEnabled(id::term), c.term);
        EXPECT_EQ(d.isEnabled(id::speed2), c.speeds);
        EXPECT_EQ(d.isEnabled(id::speed4), c.speeds);
        EXPECT_EQ(d.isEnabled(id::rate), c.rate);
    }
}

TEST_F(UnitSettings, WordClockTerminationIsRememberedAcrossSources) {
    auto& d = open(12, [](DeviceRecord& r) { setClock(r, 0x16); }); // word clock, terminated
    EXPECT_TRUE(d.isChecked(id::term));
    EXPECT_EQ(edited(param::wckTermChoice), 4);

    ASSERT_TRUE(d.click(id::clockInt));
    EXPECT_EQ(edited(param::clockRate) & 0x03, 0);
    EXPECT_FALSE(d.isEnabled(id::term));
    EXPECT_FALSE(d.isEnabled(id::speed2));
    EXPECT_TRUE(d.isEnabled(id::rate));
    EXPECT_TRUE(d.isChecked(id::clockInt));
    EXPECT_FALSE(d.isChecked(id::clockWck));

    ASSERT_TRUE(d.click(id::clockMadi));
    EXPECT_EQ(edited(param::clockRate) & 0x03, 3);
    EXPECT_FALSE(d.isEnabled(id::term));
    EXPECT_FALSE(d.isEnabled(id::rate));
    EXPECT_TRUE(d.isEnabled(id::speed4));

    // Back on word clock the termination comes back from the remembered choice.
    ASSERT_TRUE(d.click(id::clockWck));
    EXPECT_EQ(edited(param::clockRate) & 0x07, 0x06);
    EXPECT_TRUE(d.isEnabled(id::term));

    ASSERT_TRUE(d.click(id::term, false));
    EXPECT_EQ(edited(param::clockRate) & 0x04, 0);
    EXPECT_EQ(edited(param::wckTermChoice), 0);
    ASSERT_TRUE(d.click(id::clockInt));
    ASSERT_TRUE(d.click(id::clockWck));
    EXPECT_EQ(edited(param::clockRate) & 0x07, 0x02);
    EXPECT_TRUE(d.isEnabled(id::apply));
}

TEST_F(UnitSettings, SpeedBoxesMoveTheRateAndTheUpperBank) {
    auto& d = open(12, [](DeviceRecord& r) { setClock(r, 0x13); }); // MADI, 48 kHz
    ASSERT_TRUE(d.click(id::speed2, true));
    EXPECT_EQ(edited(param::clockRate), 0x33);
    EXPECT_EQ(d.currentText(id::rate), "96kHz");
    EXPECT_FALSE(d.isEnabled(id::bankHigh));

    ASSERT_TRUE(d.click(id::speed4, true));
    EXPECT_EQ(edited(param::clockRate), 0x53);
    EXPECT_FALSE(d.isChecked(id::speed2));
    EXPECT_EQ(d.currentText(id::rate), "192kHz");

    ASSERT_TRUE(d.click(id::speed4, false));
    EXPECT_EQ(edited(param::clockRate), 0x13);
    EXPECT_EQ(d.currentText(id::rate), "48kHz");
    EXPECT_TRUE(d.isEnabled(id::bankHigh));
}

TEST_F(UnitSettings, LeavingDoubleSpeedInMatrixModeKeepsTheBanksLocked) {
    auto& d = open(12, [](DeviceRecord& r) {
        setClock(r, 0x2B); // MADI, 88.2 kHz
        r.at(param::routingB) |= 0x40;
    });
    ASSERT_TRUE(d.click(id::speed2, false));
    EXPECT_EQ(d.currentText(id::rate), "44.1kHz");
    EXPECT_FALSE(d.isEnabled(id::bankHigh));
    EXPECT_FALSE(d.isEnabled(id::bankLow));
}

TEST_F(UnitSettings, RateListSetsTheRateBitsAndTheSpeedBoxes) {
    auto& d = open(12, [](DeviceRecord& r) {
        setClock(r, 0x10);
        r.at(param::madiFormat) = 0x01;
        r.at(param::madi96kChoice) = 0x02;
    });
    ASSERT_TRUE(d.select(id::rate, 3)); // 96 kHz
    EXPECT_EQ(edited(param::clockRate), 0x30);
    EXPECT_EQ(edited(param::madiFormat), 0x03); // the remembered 96k frame is back
    EXPECT_TRUE(d.isChecked(id::speed2));
    EXPECT_FALSE(d.isEnabled(id::bankHigh));

    ASSERT_TRUE(d.select(id::rate, 4));
    EXPECT_EQ(edited(param::clockRate), 0x48);
    EXPECT_TRUE(d.isChecked(id::speed4));
    EXPECT_FALSE(d.isChecked(id::speed2));

    ASSERT_TRUE(d.select(id::rate, 0));
    EXPECT_EQ(edited(param::clockRate), 0x08);
    EXPECT_FALSE(d.isChecked(id::speed4));
    EXPECT_TRUE(d.isEnabled(id::bankHigh));
    EXPECT_FALSE(d.select(id::rate, 6));
    EXPECT_EQ(edited(param::clockRate), 0x08);
}

TEST_F(UnitSettings, MadiFormatBoxes) {
    auto& d = open(12);
    ASSERT_TRUE(d.click(id::madi56, true));
    EXPECT_EQ(edited(param::madiFormat) & 0x01, 0);
    ASSERT_TRUE(d.click(id::madi56, false));
    EXPECT_EQ(edited(param::madiFormat) & 0x01, 1);
    ASSERT_TRUE(d.click(id::madi96k, true));
    EXPECT_EQ(edited(param::madiFormat) & 0x02, 0x02);
    EXPECT_EQ(edited(param::madi96kChoice) & 0x02, 0x02);
    ASSERT_TRUE(d.click(id::madi96k, false));
    EXPECT_EQ(edited(param::madiFormat) & 0x02, 0);
    EXPECT_EQ(edited(param::madi96kChoice) & 0x02, 0);
}

TEST_F(UnitSettings, MatrixModeLocksTheBanksAndFreesExtendedRouting) {
    auto& d = open(
        12, [](DeviceRecord& r) { r.at(param::routingB) = 0x0A; }, 4, 0);
    EXPECT_TRUE(d.isVisible(id::extendedRouting));
    EXPECT_FALSE(d.isEnabled(id::extendedRouting));

    ASSERT_TRUE(d.click(id::matrixMode, true));
    EXPECT_EQ(edited(param::routingB), 0x4A);
    EXPECT_FALSE(d.isEnabled(id::bankLow));
    EXPECT_FALSE(d.isEnabled(id::bankHigh));
    EXPECT_TRUE(d.isEnabled(id::extendedRouting));
    EXPECT_FALSE(d.click(id::bankHigh));

    ASSERT_TRUE(d.click(id::extendedRouting, true));
    EXPECT_EQ(edited(param::remoteOptions) & 0x04, 0x04);

    ASSERT_TRUE(d.click(id::matrixMode, false));
    EXPECT_EQ(edited(param::routingB), 0x0A);
    EXPECT_TRUE(d.isEnabled(id::bankLow));
    EXPECT_TRUE(d.isEnabled(id::bankHigh));
    EXPECT_FALSE(d.isEnabled(id::extendedRouting));
}

TEST_F(UnitSettings, BankRadiosSetBitSixOfRoutingA) {
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::routingA) = 0x1B; });
    EXPECT_TRUE(d.isChecked(id::bankLow));
    ASSERT_TRUE(d.click(id::bankHigh));
    EXPECT_EQ(edited(param::routingA), 0x5B);
    EXPECT_TRUE(d.isChecked(id::bankHigh));
    EXPECT_FALSE(d.isChecked(id::bankLow));
    ASSERT_TRUE(d.click(id::bankLow));
    EXPECT_EQ(edited(param::routingA), 0x1B);
}

TEST_F(UnitSettings, RedundancyChoices) {
    struct Case {
        int index;
        std::uint8_t port; // madiFormat bits 2-3
        bool forced;       // ioOptions bit 4
    };
    const Case cases[] = {
        {1, 0x04, true}, {2, 0x08, true}, {3, 0x04, false}, {4, 0x08, false}, {0, 0x00, false}};
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::ioOptions) |= 0x10; });
    EXPECT_TRUE(d.isEnabled(id::redundancy));
    EXPECT_TRUE(d.isEnabled(id::redundancyGroup));
    EXPECT_TRUE(d.isEnabled(id::remotePort));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_TRUE(d.select(id::redundancy, c.index));
        EXPECT_EQ(edited(param::madiFormat) & 0x0C, c.port);
        EXPECT_EQ((edited(param::ioOptions) & 0x10) != 0, c.forced);
    }
}

TEST_F(UnitSettings, RedundancyAndRemotePortAreReadBack) {
    struct Case {
        std::uint8_t format, io;
        int index;
    };
    const Case cases[] = {{0x01, 0x00, 0}, {0x05, 0x10, 1}, {0x09, 0x10, 2},
                          {0x05, 0x00, 3}, {0x09, 0x00, 4}, {0x0D, 0x00, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        auto& d = open(20, [&](DeviceRecord& r) {
            r.at(param::madiFormat) = c.format;
            r.at(param::ioOptions) = c.io;
            r.at(param::remoteOptions) = static_cast<std::uint8_t>(c.index < 0 ? 3 : 2);
        });
        EXPECT_EQ(d.currentIndex(id::redundancy), c.index);
        EXPECT_EQ(d.currentIndex(id::remotePort), c.index < 0 ? -1 : 2);
    }
    ASSERT_TRUE(dialog->select(id::remotePort, 1));
    EXPECT_EQ(edited(param::remoteOptions) & 0x03, 1);
}

TEST_F(UnitSettings, ModelEightHasNoRedundancyButShowsLedDim) {
    auto& d = open(8);
    EXPECT_FALSE(d.isEnabled(id::redundancy));
    EXPECT_FALSE(d.isEnabled(id::redundancyGroup));
    EXPECT_FALSE(d.isEnabled(id::remotePort));
    EXPECT_TRUE(d.control(id::redundancy).items.isEmpty());
    EXPECT_FALSE(d.select(id::redundancy, 1));
    EXPECT_TRUE(d.isVisible(id::ledDim));
    EXPECT_FALSE(d.isVisible(id::extendedRouting)); // never on model 8
    EXPECT_FALSE(d.isVisible(id::delayCompensation));
}

TEST_F(UnitSettings, PerModelControls) {
    struct Case {
        int model;
        bool analogIn, analogOut, ledDim, delay;
    };
    const Case cases[] = {
        {8, true, true, true, false},    {11, false, true, false, true},
        {12, true, true, true, false},   {20, true, false, false, false},
        {21, false, true, false, false}, {24, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto& d = open(c.model);
        EXPECT_EQ(d.isEnabled(id::analogIn), c.analogIn);
        EXPECT_EQ(d.isEnabled(id::analogOut), c.analogOut);
        EXPECT_EQ(d.isVisible(id::ledDim), c.ledDim);
        EXPECT_EQ(d.isVisible(id::delayCompensation), c.delay);
        EXPECT_EQ(d.isEnabled(id::redundancy), c.model != 8);
    }
}

TEST_F(UnitSettings, ExtendedRoutingFollowsTheFirmware) {
    EXPECT_FALSE(open(12, {}, 3, 9).isVisible(id::extendedRouting));
    EXPECT_TRUE(open(12, {}, 4, 0).isVisible(id::extendedRouting));
    EXPECT_FALSE(open(11, {}, 3, 0).isVisible(id::extendedRouting));
    EXPECT_TRUE(open(11, {}, 3, 1).isVisible(id::extendedRouting));
    EXPECT_TRUE(open(20, {}, 0, 2).isVisible(id::extendedRouting));
    EXPECT_FALSE(open(20, {}, 1, 1).isVisible(id::extendedRouting));
}

TEST_F(UnitSettings, AnalogLevels) {
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::ioOptions) = 0x45; }); // in LOW, out LOW
    EXPECT_EQ(d.currentText(id::analogIn), "LOW");
    EXPECT_EQ(d.currentText(id::analogOut), "LOW");
    ASSERT_TRUE(d.select(id::analogIn, 0));
    ASSERT_TRUE(d.select(id::analogOut, 0));
    EXPECT_EQ(edited(param::ioOptions), 0x4A);
    EXPECT_EQ(
        open(12, [](DeviceRecord& r) { r.at(param::ioOptions) = 0x03; }).currentIndex(id::analogIn),
        -1);
    EXPECT_FALSE(open(20).select(id::analogOut, 1));
    EXPECT_EQ(edited(param::ioOptions), record.at(param::ioOptions));
}

TEST_F(UnitSettings, FanThresholdsStayTenDegreesApart) {
    auto& d = open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 50;
        r.at(param::fanFastTemp) = 65;
    });
    ASSERT_TRUE(d.select(id::fanSlow, 30)); // 60
    EXPECT_EQ(edited(param::fanSlowTemp), 60);
    EXPECT_EQ(edited(param::fanFastTemp), 70);
    EXPECT_EQ(d.currentText(id::fanFast), "70");

    open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 45;
        r.at(param::fanFastTemp) = 60;
    });
    ASSERT_TRUE(dialog->select(id::fanFast, 0)); // 40
    EXPECT_EQ(edited(param::fanFastTemp), 40);
    EXPECT_EQ(edited(param::fanSlowTemp), 30);
    EXPECT_EQ(dialog->currentText(id::fanSlow), "30");

    ASSERT_TRUE(dialog->select(id::fanSlow, 5)); // 35 is within ten of 40: fast follows
    EXPECT_EQ(edited(param::fanFastTemp), 45);
    ASSERT_TRUE(dialog->select(id::fanFast, 30)); // 70, nothing else moves
    EXPECT_EQ(edited(param::fanSlowTemp), 35);
}

TEST_F(UnitSettings, FastBelowSlowIsPutRightOnOpeningAndCancelRestoresIt) {
    auto& d = open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 40;
        r.at(param::fanFastTemp) = 35;
    });
    EXPECT_EQ(d.currentText(id::fanFast), "50");
    EXPECT_EQ(edited(param::fanFastTemp), 50);
    ASSERT_TRUE(d.press(id::cancel));
    EXPECT_EQ(record.at(param::fanFastTemp), 35);

    open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 40;
        r.at(param::fanFastTemp) = 35;
    });
    ASSERT_TRUE(dialog->press(id::ok));
    EXPECT_EQ(record.at(param::fanFastTemp), 50); // what the list showed
}

TEST_F(UnitSettings, UsbEmbedderWarnsBeforeSwitchingOn) {
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::ioOptions) = 0x0A; });
    ASSERT_TRUE(d.click(id::usbEmbedder, true));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "USB Embedder Warning");
    EXPECT_TRUE(
        ui.messages[0].text.startsWith("Please make sure that you have a closed MADI loop"));
    EXPECT_TRUE(ui.messages[0].text.endsWith("will be reset on reboot of the device."));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(edited(param::ioOptions), 0x2A);

    ASSERT_TRUE(d.click(id::usbEmbedder, false));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(edited(param::ioOptions), 0x0A);
}

TEST_F(UnitSettings, PlainBoxesFollowTheirBits) {
    struct Case {
        int control, parameter;
        std::uint8_t mask;
    };
    const Case cases[] = {{id::displayDark, param::remoteOptions, 0x40},
                          {id::safeMode, param::ioOptions, 0x40},
                          {id::delayCompensation, param::delayOptions, 0x40}};
    auto& d = open(11, [](DeviceRecord& r) {
        r.at(param::remoteOptions) = 0;
        r.at(param::ioOptions) = 0x09;
        r.at(param::delayOptions) = 0;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        EXPECT_FALSE(d.isChecked(c.control));
        ASSERT_TRUE(d.click(c.control, true));
        EXPECT_EQ(edited(c.parameter) & c.mask, c.mask);
        ASSERT_TRUE(d.click(c.control, false));
        EXPECT_EQ(edited(c.parameter) & c.mask, 0);
    }
}

TEST_F(UnitSettings, LedDimLevelIsSplitOverTwoBytes) {
    auto& d = open(8, [](DeviceRecord& r) {
        r.at(param::ledDim1) = 0x08;
        r.at(param::ledDim2) = 0x00;
    });
    EXPECT_EQ(d.currentText(id::ledDim), "Bright");
    ASSERT_TRUE(d.select(id::ledDim, 1)); // "Dim"
    EXPECT_EQ(edited(param::ledDim1), 0x00);
    EXPECT_EQ(edited(param::ledDim2), 0x08);
    ASSERT_TRUE(d.select(id::ledDim, 3));
    EXPECT_EQ(edited(param::ledDim1), 0x08);
    EXPECT_EQ(edited(param::ledDim2), 0x08);
    EXPECT_FALSE(open(20).select(id::ledDim, 1)); // hidden on model 20
}

TEST_F(UnitSettings, IdentifyThenCancelKeepsOnlyTheIdentifyBit) {
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::remoteOptions) = 0x01; });
    const DeviceRecord before = record;
    ASSERT_TRUE(d.click(id::displayDark, true));
    ASSERT_TRUE(d.select(id::rate, 0));
    ASSERT_TRUE(d.press(id::identify));
    ASSERT_EQ(commands->count(), 1);
    EXPECT_EQ(commands->at(0).at(0).toInt(), 116);
    // Identify goes out with the remote byte as edited, the rest as opened.
    EXPECT_EQ(record.at(param::remoteOptions), 0x49);
    EXPECT_EQ(record.at(param::clockRate), before.at(param::clockRate));

    QSignalSpy finished(dialog.get(), &SettingsModel::finished);
    ASSERT_TRUE(d.press(id::cancel));
    EXPECT_EQ(d.result(), 0);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(record.at(param::clockRate), before.at(param::clockRate));
    EXPECT_EQ(record.at(param::remoteOptions) & 0x08, 0x08);
    EXPECT_FALSE(d.click(id::madi56, true)); // closed
}

TEST_F(UnitSettings, ApplyThenOk) {
    auto& d = open(12);
    QSignalSpy focus(dialog.get(), &SettingsModel::focusRequested);
    ASSERT_TRUE(d.click(id::madi56, true));
    EXPECT_TRUE(d.isEnabled(id::apply));
    ASSERT_TRUE(d.press(id::apply));
    EXPECT_EQ(record.at(param::madiFormat) & 0x01, 0);
    ASSERT_EQ(commands->count(), 1);
    EXPECT_EQ(commands->at(0).at(0).toInt(), 115);
    EXPECT_FALSE(d.isEnabled(id::apply));
    ASSERT_EQ(focus.count(), 1);
    EXPECT_EQ(focus.at(0).at(0).toInt(), id::ok);
    EXPECT_FALSE(d.press(id::apply));

    ASSERT_TRUE(d.click(id::safeMode, false));
    ASSERT_TRUE(d.press(id::ok));
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(record.at(param::ioOptions) & 0x40, 0);
    EXPECT_EQ(commands->count(), 1); // OK leaves the sending to the owner
}

TEST_F(UnitSettings, CancelAfterApplyRestoresTheOpeningRecord) {
    auto& d = open(12);
    const DeviceRecord before = record;
    ASSERT_TRUE(d.click(id::madi56, true));
    ASSERT_TRUE(d.press(id::apply));
    ASSERT_TRUE(d.press(id::cancel));
    EXPECT_EQ(record.at(param::madiFormat), before.at(param::madiFormat));
}

TEST_F(UnitSettings, ControlsThatCannotBeUsedChangeNothing) {
    auto& d = open(12, [](DeviceRecord& r) { setClock(r, 0x10); }); // internal clock
    EXPECT_FALSE(d.click(id::term, true));                          // disabled
    EXPECT_FALSE(d.click(id::speed2, true));                        // disabled
    EXPECT_FALSE(d.click(id::clockAes));                            // not in this template
    EXPECT_FALSE(d.click(id::ok));                                  // a push button, not a box
    EXPECT_FALSE(d.select(id::fanSlow, -1));
    EXPECT_FALSE(d.press(id::madi56));
    EXPECT_EQ(d.editCopy().params, d.openingCopy().params);
    EXPECT_FALSE(d.isEnabled(id::apply));
}
