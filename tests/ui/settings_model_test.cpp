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

TEST_F(UnitSettings, PerModelControls) {
    struct Case {
        int model;
        bool analogIn, analogOut, ledDim, delay, redundancy;
    };
    const Case cases[] = {
        {8, true, true, true, false, false},   {11, false, true, false, true, true},
        {12, true, true, true, false, true},   {20, true, false, false, false, true},
        {21, false, true, false, false, true}, {24, false, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto& d = open(c.model);
        EXPECT_EQ(d.title(), "VARENTO Settings");
        EXPECT_FALSE(d.isEnabled(id::apply));
        EXPECT_EQ(d.isEnabled(id::analogIn), c.analogIn);
        EXPECT_EQ(d.isEnabled(id::analogOut), c.analogOut);
        EXPECT_EQ(d.isVisible(id::ledDim), c.ledDim);
        EXPECT_EQ(d.isVisible(id::delayCompensation), c.delay);
        EXPECT_EQ(d.isEnabled(id::redundancy), c.redundancy);
        EXPECT_EQ(d.isEnabled(id::redundancyGroup), c.redundancy);
        EXPECT_EQ(d.isEnabled(id::remotePort), c.redundancy);
        EXPECT_EQ(d.select(id::redundancy, 1), c.redundancy);
    }
    EXPECT_FALSE(dialog->has(id::clockAes));
    EXPECT_FALSE(open(8).isVisible(id::extendedRouting)); // never on model 8
    EXPECT_FALSE(open(12, {}, 3, 9).isVisible(id::extendedRouting));
    EXPECT_TRUE(open(12, {}, 4, 0).isVisible(id::extendedRouting));
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
    }
    // At double speed the frame choice is taken from the MADI format.
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
    ASSERT_TRUE(d.click(id::clockInt));
    EXPECT_EQ(edited(param::clockRate) & 0x03, 0);
    EXPECT_FALSE(d.isEnabled(id::term));
    EXPECT_FALSE(d.isEnabled(id::speed2));
    EXPECT_TRUE(d.isEnabled(id::rate));
    EXPECT_FALSE(d.isChecked(id::clockWck));
    ASSERT_TRUE(d.click(id::clockMadi));
    EXPECT_EQ(edited(param::clockRate) & 0x03, 3);
    EXPECT_FALSE(d.isEnabled(id::rate));
    EXPECT_TRUE(d.isEnabled(id::speed4));
    ASSERT_TRUE(d.click(id::clockWck));
    EXPECT_EQ(edited(param::clockRate) & 0x07, 0x06);
    EXPECT_TRUE(d.isEnabled(id::term));

    ASSERT_TRUE(d.click(id::term, false));
    EXPECT_EQ(edited(param::wckTermChoice), 0);
    ASSERT_TRUE(d.click(id::clockInt));
    ASSERT_TRUE(d.click(id::clockWck));
    EXPECT_EQ(edited(param::clockRate) & 0x07, 0x02);
    EXPECT_TRUE(d.isEnabled(id::apply));
}

TEST_F(UnitSettings, SpeedBoxesAndRateListMoveEachOtherAndTheUpperBank) {
    auto& d = open(12, [](DeviceRecord& r) {
        setClock(r, 0x13); // MADI, 48 kHz
        r.at(param::madiFormat) = 0x01;
        r.at(param::madi96kChoice) = 0x02;
    });
    ASSERT_TRUE(d.click(id::speed2, true));
    EXPECT_EQ(edited(param::clockRate), 0x33);
    EXPECT_EQ(d.currentText(id::rate), "96kHz");
    EXPECT_FALSE(d.isEnabled(id::bankHigh));
    ASSERT_TRUE(d.click(id::speed4, true));
    EXPECT_EQ(edited(param::clockRate), 0x53);
    EXPECT_FALSE(d.isChecked(id::speed2));
    ASSERT_TRUE(d.click(id::speed4, false));
    EXPECT_EQ(edited(param::clockRate), 0x13);
    EXPECT_EQ(d.currentText(id::rate), "48kHz");
    EXPECT_TRUE(d.isEnabled(id::bankHigh));

    ASSERT_TRUE(d.click(id::clockInt));
    ASSERT_TRUE(d.select(id::rate, 3)); // 96 kHz
    EXPECT_EQ(edited(param::clockRate), 0x30);
    EXPECT_EQ(edited(param::madiFormat), 0x03); // the remembered 96k frame is back
    EXPECT_TRUE(d.isChecked(id::speed2));
    ASSERT_TRUE(d.select(id::rate, 4));
    EXPECT_EQ(edited(param::clockRate), 0x48);
    EXPECT_TRUE(d.isChecked(id::speed4));
    EXPECT_FALSE(d.isChecked(id::speed2));
    ASSERT_TRUE(d.select(id::rate, 0));
    EXPECT_FALSE(d.isChecked(id::speed4));
    EXPECT_TRUE(d.isEnabled(id::bankHigh));
    EXPECT_FALSE(d.select(id::rate, 6));
    EXPECT_EQ(edited(param::clockRate), 0x08);
}

TEST_F(UnitSettings, MatrixModeLocksTheBanksAndFreesExtendedRouting) {
    auto& d = open(
        12, [](DeviceRecord& r) { r.at(param::routingB) = 0x0A; }, 4, 0);
    EXPECT_FALSE(d.isEnabled(id::extendedRouting));
    ASSERT_TRUE(d.click(id::matrixMode, true));
    EXPECT_EQ(edited(param::routingB), 0x4A);
    EXPECT_FALSE(d.isEnabled(id::bankLow));
    EXPECT_FALSE(d.isEnabled(id::bankHigh));
    EXPECT_TRUE(d.isEnabled(id::extendedRouting));
    EXPECT_FALSE(d.click(id::bankHigh));
    ASSERT_TRUE(d.click(id::matrixMode, false));
    EXPECT_TRUE(d.isEnabled(id::bankLow));
    EXPECT_TRUE(d.isEnabled(id::bankHigh));
    EXPECT_FALSE(d.isEnabled(id::extendedRouting));

    ASSERT_TRUE(d.click(id::bankHigh));
    EXPECT_EQ(edited(param::routingA) & 0x40, 0x40);
    EXPECT_FALSE(d.isChecked(id::bankLow));
    ASSERT_TRUE(d.click(id::bankLow));
    EXPECT_EQ(edited(param::routingA) & 0x40, 0);

    // Leaving double speed in matrix mode keeps both banks locked.
    auto& matrix = open(12, [](DeviceRecord& r) {
        setClock(r, 0x2B);
        r.at(param::routingB) |= 0x40;
    });
    ASSERT_TRUE(matrix.click(id::speed2, false));
    EXPECT_EQ(matrix.currentText(id::rate), "44.1kHz");
    EXPECT_FALSE(matrix.isEnabled(id::bankHigh));
    EXPECT_FALSE(matrix.isEnabled(id::bankLow));
}

TEST_F(UnitSettings, RedundancyChoicesAndTheirReadBack) {
    struct Case {
        int index;
        std::uint8_t port; // madiFormat bits 2-3
        bool forced;       // ioOptions bit 4
    };
    const Case cases[] = {
        {1, 0x04, true}, {2, 0x08, true}, {3, 0x04, false}, {4, 0x08, false}, {0, 0x00, false}};
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::ioOptions) |= 0x10; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_TRUE(d.select(id::redundancy, c.index));
        EXPECT_EQ(edited(param::madiFormat) & 0x0C, c.port);
        EXPECT_EQ((edited(param::ioOptions) & 0x10) != 0, c.forced);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        auto& again = open(20, [&](DeviceRecord& r) {
            r.at(param::madiFormat) = static_cast<std::uint8_t>(0x01 | c.port);
            r.at(param::ioOptions) = c.forced ? 0x10 : 0x00;
        });
        EXPECT_EQ(again.currentIndex(id::redundancy), c.index);
    }
    auto& none = open(20, [](DeviceRecord& r) {
        r.at(param::madiFormat) = 0x0D;
        r.at(param::remoteOptions) = 3;
    });
    EXPECT_EQ(none.currentIndex(id::redundancy), -1);
    EXPECT_EQ(none.currentIndex(id::remotePort), -1);
    ASSERT_TRUE(none.select(id::remotePort, 1));
    EXPECT_EQ(edited(param::remoteOptions) & 0x03, 1);
}

TEST_F(UnitSettings, FanThresholdsStayTenDegreesApart) {
    auto& d = open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 50;
        r.at(param::fanFastTemp) = 65;
    });
    ASSERT_TRUE(d.select(id::fanSlow, 30)); // 60
    EXPECT_EQ(edited(param::fanFastTemp), 70);
    EXPECT_EQ(d.currentText(id::fanFast), "70");

    open(12, [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 45;
        r.at(param::fanFastTemp) = 60;
    });
    ASSERT_TRUE(dialog->select(id::fanFast, 0)); // 40
    EXPECT_EQ(edited(param::fanSlowTemp), 30);
    EXPECT_EQ(dialog->currentText(id::fanSlow), "30");
    ASSERT_TRUE(dialog->select(id::fanFast, 30)); // 70: nothing else moves
    EXPECT_EQ(edited(param::fanSlowTemp), 30);
}

TEST_F(UnitSettings, FastBelowSlowIsPutRightOnOpeningAndCancelRestoresIt) {
    const auto crossed = [](DeviceRecord& r) {
        r.at(param::fanSlowTemp) = 40;
        r.at(param::fanFastTemp) = 35;
    };
    ASSERT_EQ(open(12, crossed).currentText(id::fanFast), "50");
    ASSERT_TRUE(dialog->press(id::cancel));
    EXPECT_EQ(record.at(param::fanFastTemp), 35);
    open(12, crossed);
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

TEST_F(UnitSettings, BoxesAndListsThatSetPlainBits) {
    struct Case {
        int control, parameter;
        std::uint8_t mask;
        bool inverted;
    };
    const Case cases[] = {{id::madi56, param::madiFormat, 0x01, true},
                          {id::madi96k, param::madiFormat, 0x02, false},
                          {id::madi96k, param::madi96kChoice, 0x02, false},
                          {id::displayDark, param::remoteOptions, 0x40, false},
                          {id::safeMode, param::ioOptions, 0x40, false},
                          {id::delayCompensation, param::delayOptions, 0x40, false}};
    auto& d = open(11, [](DeviceRecord& r) { r.at(param::ioOptions) = 0x05; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        for (bool on : {true, false}) {
            ASSERT_TRUE(d.click(c.control, on));
            EXPECT_EQ((edited(c.parameter) & c.mask) != 0, on != c.inverted);
        }
    }
    EXPECT_EQ(d.currentText(id::analogOut), "LOW");
    ASSERT_TRUE(d.select(id::analogOut, 0));
    EXPECT_EQ(edited(param::ioOptions) & 0x0F, 0x09);
    EXPECT_FALSE(d.select(id::analogIn, 0)); // model 11 has no input level

    auto& led = open(8, [](DeviceRecord& r) { r.at(param::ledDim1) = 0x08; });
    EXPECT_EQ(led.currentText(id::ledDim), "Bright");
    ASSERT_TRUE(led.select(id::ledDim, 1)); // "Dim": the level is split over two bytes
    EXPECT_EQ(edited(param::ledDim1), 0x00);
    EXPECT_EQ(edited(param::ledDim2), 0x08);
}

TEST_F(UnitSettings, IdentifyThenCancelKeepsOnlyTheIdentifyBit) {
    auto& d = open(12, [](DeviceRecord& r) { r.at(param::remoteOptions) = 0x01; });
    const std::uint8_t clock = record.at(param::clockRate);
    ASSERT_TRUE(d.click(id::displayDark, true));
    ASSERT_TRUE(d.select(id::rate, 0));
    ASSERT_TRUE(d.press(id::identify));
    ASSERT_EQ(commands->count(), 1);
    EXPECT_EQ(commands->at(0).at(0).toInt(), 116);
    // Identify goes out with the remote byte as edited, the rest as opened.
    EXPECT_EQ(record.at(param::remoteOptions), 0x49);
    EXPECT_EQ(record.at(param::clockRate), clock);

    QSignalSpy finished(dialog.get(), &SettingsModel::finished);
    ASSERT_TRUE(d.press(id::cancel));
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(record.at(param::clockRate), clock);
    EXPECT_EQ(record.at(param::remoteOptions) & 0x08, 0x08);
    EXPECT_FALSE(d.click(id::madi56, true)); // closed
}

TEST_F(UnitSettings, ApplyOkAndCancel) {
    auto& d = open(12);
    const std::uint8_t format = record.at(param::madiFormat);
    QSignalSpy focus(dialog.get(), &SettingsModel::focusRequested);
    ASSERT_TRUE(d.click(id::madi56, true));
    ASSERT_TRUE(d.press(id::apply));
    EXPECT_EQ(record.at(param::madiFormat) & 0x01, 0);
    ASSERT_EQ(commands->count(), 1);
    EXPECT_EQ(commands->at(0).at(0).toInt(), 115);
    EXPECT_FALSE(d.isEnabled(id::apply));
    EXPECT_EQ(focus.at(0).at(0).toInt(), id::ok);
    EXPECT_FALSE(d.press(id::apply));
    ASSERT_TRUE(d.press(id::cancel));
    EXPECT_EQ(record.at(param::madiFormat), format); // Cancel undoes what Apply put in

    auto& again = open(12);
    ASSERT_TRUE(again.click(id::safeMode, false));
    ASSERT_TRUE(again.press(id::ok));
    EXPECT_EQ(again.result(), 1);
    EXPECT_EQ(record.at(param::ioOptions) & 0x40, 0);
    EXPECT_EQ(commands->count(), 0); // OK leaves the sending to the owner
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
