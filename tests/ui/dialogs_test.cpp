#include "gui/gui_interaction.h"
#include "support/modal.h"
#include "support/scripted_interaction.h"
#include "ui/dialogs/calibration_dialog.h"
#include "ui/dialogs/exchange_device_dialog.h"
#include "ui/dialogs/firmware_warning_dialog.h"
#include "ui/dialogs/midi_io_dialog.h"
#include "ui/dialogs/serial_port_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using varento::testing::whenModal;

namespace {

template <typename T> T* child(QWidget& parent, const char* id) {
    T* found = parent.findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(found, nullptr) << id;
    return found;
}

DeviceRecord recordWith(int model, int ad, int da) {
    DeviceRecord r;
    r.model = static_cast<std::uint8_t>(model);
    r.calibration1 = ad;
    r.calibration2 = da;
    return r;
}

} // namespace

TEST(CalibrationModel, OpeningBringsFactorsIntoRange) {
    DeviceRecord r = recordWith(12, 1000, 400);
    CalibrationModel model(r);
    EXPECT_EQ(r.calibration1, 2048);
    EXPECT_EQ(r.calibration2, 515);
    EXPECT_EQ(model.adText(), "0,00");
    EXPECT_EQ(model.daText(), "-11,99");
    EXPECT_EQ(model.daFactorText(), "Factor: 515");

    DeviceRecord high = recordWith(12, 9000, 3000);
    CalibrationModel again(high);
    EXPECT_EQ(high.calibration1, 2048);
    EXPECT_EQ(high.calibration2, 2048);
}

TEST(CalibrationModel, LevelsBecomeClampedFactors) {
    DeviceRecord r = recordWith(12, 2048, 2048);
    CalibrationModel model(r);
    const struct {
        const char* ad;
        const char* da;
        int factorAd;
        int factorDa;
    } cases[] = {
        {"20", "3.00", 8192, 2892}, {"-20", "-13", 1450, 515},      {"0", "3,00", 2048, 2892},
        {"abc", "", 2048, 2048},    {"1,5dB", " -1.5", 2434, 1723}, {"6,02", "-6,02", 4095, 1024},
    };
    for (const auto& c : cases) {
        model.store(QString::fromLatin1(c.ad), QString::fromLatin1(c.da));
        EXPECT_EQ(r.calibration1, c.factorAd) << c.ad;
        EXPECT_EQ(r.calibration2, c.factorDa) << c.da;
    }
}

TEST(CalibrationModel, ManualSwitchTouchesOnlyItsBitAndLcHasNoAdSide) {
    DeviceRecord r = recordWith(12, 2048, 2048);
    r.at(param::calibrationOptions) = 0x05;
    CalibrationModel model(r);
    EXPECT_FALSE(model.manual());
    model.setManual(true);
    EXPECT_EQ(r.at(param::calibrationOptions), 0x45);
    model.setManual(false);
    EXPECT_EQ(r.at(param::calibrationOptions), 0x05);
    EXPECT_TRUE(model.adEditable());
    for (int lc : {11, 24}) {
        DeviceRecord other = recordWith(lc, 2048, 2048);
        EXPECT_FALSE(CalibrationModel(other).adEditable());
    }
}

TEST(CalibrationDialog, ApplyStoresAndAsksToSendCancelKeepsWhatWasApplied) {
    DeviceRecord r = recordWith(12, 2048, 400);
    CalibrationDialog dialog(r);
    auto* manual = child<QCheckBox>(dialog, "1070");
    auto* ad = child<QLineEdit>(dialog, "1073");
    auto* da = child<QLineEdit>(dialog, "1074");
    auto* adFactor = child<QLabel>(dialog, "1075");
    child<QLabel>(dialog, "1076");
    EXPECT_EQ(ad->maxLength(), 6);
    EXPECT_EQ(da->text(), "-11,99");
    EXPECT_TRUE(adFactor->isHidden());

    manual->setChecked(true);
    EXPECT_EQ(r.at(param::calibrationOptions) & 0x40, 0x40);

    QSignalSpy applied(&dialog, &CalibrationDialog::applyRequested);
    ad->setText(QStringLiteral("20"));
    QTest::mouseClick(child<QPushButton>(dialog, "1042"), Qt::LeftButton);
    EXPECT_EQ(applied.size(), 1);
    EXPECT_EQ(r.calibration1, 8192);
    EXPECT_EQ(ad->text(), "12,04");
    EXPECT_EQ(adFactor->text(), "Factor: 8192");

    ad->setText(QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(dialog, "2"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(r.calibration1, 8192);
}

TEST(CalibrationDialog, OkStoresBothAndLcDisablesAd) {
    DeviceRecord r = recordWith(11, 2048, 2048);
    CalibrationDialog dialog(r);
    EXPECT_FALSE(child<QLineEdit>(dialog, "1073")->isEnabled());
    child<QLineEdit>(dialog, "1074")->setText(QStringLiteral("-3"));
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(r.calibration2, 1449);
    EXPECT_EQ(r.calibration1, 2048);
}

TEST(FirmwareWarningDialog, OnlyOkClosesAndTheBoxStopsWarnings) {
    FirmwareWarningDialog dialog(QStringLiteral("Please update to 6.6"));
    dialog.show();
    EXPECT_EQ(child<QLabel>(dialog, "1063")->text(), "Please update to 6.6");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.showAgain());
    child<QCheckBox>(dialog, "1021")->setChecked(true);
    EXPECT_FALSE(dialog.showAgain());
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(SerialPortDialog, RemembersItsPortAndOffersOkOnlyWithASelection) {
    const QList<SerialPortModel::Port> ports{{"COM1", R"(\\.\COM1)"}, {"COM3", R"(\\.\COM3)"}};
    SerialPortModel remembered(ports, R"(\\.\COM3)");
    EXPECT_EQ(remembered.items(), QStringList({"COM1", "COM3"}));
    EXPECT_EQ(remembered.initialSelection(), 1);
    EXPECT_EQ(SerialPortModel(ports, R"(\\.\COM9)").initialSelection(), -1);
    EXPECT_EQ(SerialPortModel(ports, "").initialSelection(), -1);
    EXPECT_FALSE(remembered.choose(2).has_value());

    SerialPortDialog dialog(SerialPortModel(ports, QString()));
    auto* list = child<QListWidget>(dialog, "1053");
    auto* ok = child<QPushButton>(dialog, "1");
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(dialog.selectedPort().has_value());
    list->setCurrentRow(0);
    EXPECT_TRUE(ok->isEnabled());
    ASSERT_TRUE(dialog.selectedPort().has_value());
    EXPECT_EQ(dialog.selectedPort()->path, R"(\\.\COM1)");
}

TEST(MidiIoDialog, MissingDevicesAreReportedAndLeaveTheListsEmpty) {
    varento::testing::ScriptedInteraction ui;
    MidiIoModel none({}, {"Out A"}, 0, 0);
    none.open(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error");
    EXPECT_EQ(ui.messages[0].text, "No MIDI Input found!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(none.inputItems().isEmpty());
    EXPECT_TRUE(none.outputItems().isEmpty());
    EXPECT_FALSE(none.choose(0, 0).has_value());

    MidiIoModel noOut({"In A"}, {}, 0, 0);
    noOut.open(ui);
    EXPECT_EQ(ui.messages.back().text, "No MIDI Output found!");
    EXPECT_EQ(noOut.inputItems(), QStringList{"In A"});
    MidiIoDialog dialog(noOut);
    EXPECT_FALSE(child<QPushButton>(dialog, "1")->isEnabled());
}

TEST(MidiIoDialog, SelectsTheCurrentDevicesAndReturnsTheChoice) {
    varento::testing::ScriptedInteraction ui;
    MidiIoModel model({"In A", "In B"}, {"Out A", "Out B", "Out C"}, 1, 7);
    model.open(ui);
    EXPECT_TRUE(ui.messages.empty());
    MidiIoDialog dialog(model);
    auto* in = child<QComboBox>(dialog, "1023");
    auto* out = child<QComboBox>(dialog, "1024");
    EXPECT_EQ(in->currentIndex(), 1);
    EXPECT_EQ(out->currentIndex(), -1); // device 7 does not exist
    EXPECT_FALSE(child<QPushButton>(dialog, "1")->isEnabled());
    out->setCurrentIndex(2);
    EXPECT_TRUE(child<QPushButton>(dialog, "1")->isEnabled());
    EXPECT_EQ(dialog.choice(), (std::pair{1, 2}));
}

TEST(ExchangeDeviceDialog, ShowsTheMissingUnitAndOffersTheOnlineOnes) {
    ExchangeDeviceDialog dialog(QStringLiteral("Stage Box - 0123456789ABCDEF"),
                                {"Left Rack - 0000000000000001", "FOH Rack 2 - 000000000000000F"});
    EXPECT_EQ(dialog.windowTitle(), "Exchange Device");
    EXPECT_EQ(child<QLabel>(dialog, "1081")->text(), "Stage Box - 0123456789ABCDEF");
    auto* units = child<QComboBox>(dialog, "1043");
    EXPECT_EQ(units->count(), 2);
    EXPECT_EQ(dialog.choice(), 0);
    units->setCurrentIndex(1);
    EXPECT_EQ(dialog.choice(), 1);

    ExchangeDeviceDialog empty(QString(), {});
    EXPECT_EQ(child<QLabel>(empty, "1081")->text(), "N/A");
    EXPECT_FALSE(child<QPushButton>(empty, "1")->isEnabled());
    EXPECT_FALSE(empty.choice().has_value());
}

TEST(GuiInteraction, MessageBoxesCarryTitleIconAndButtons) {
    GuiInteraction ui;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Cancel)->click();
    });
    const Answer a = ui.message(QStringLiteral("Close Application..."), QStringLiteral("Save?"),
                                MessageIcon::Question, MessageButtons::YesNoCancel);
    EXPECT_EQ(a, Answer::Cancel);
    EXPECT_EQ(title, "Close Application...");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

    whenModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::No)->click(); });
    EXPECT_EQ(ui.message("Load Preset", "Load?", MessageIcon::Question, MessageButtons::YesNo),
              Answer::No);
    whenModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(ui.message("Load Preset", "Load?", MessageIcon::Question, MessageButtons::YesNo),
              Answer::No);
}

TEST(GuiInteraction, SaveDialogAddsTheDefaultExtension) {
    QTemporaryDir dir;
    GuiInteraction ui;
    QStringList filters;
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        // Typed as a user would; selectFile() of a file that does not exist yet is ignored.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("show"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    FileDialogOptions options;
    options.filter = QStringLiteral("K.E.LTA VARENTO Project (*.vrj);;All Files (*.*)");
    options.defaultExtension = QStringLiteral("vrj");
    options.directory = dir.path();
    const auto chosen = ui.saveFileName(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("show.vrj")));
    EXPECT_EQ(filters, QStringList({"K.E.LTA VARENTO Project (*.vrj)", "All Files (*.*)"}));

    whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(ui.openFileName(options).has_value());
}

TEST(GuiInteraction, ReplacementAndFirmwareDialogsAnswer) {
    GuiInteraction ui;
    whenModal([](QWidget* w) {
        w->findChild<QComboBox*>(QStringLiteral("1043"))->setCurrentIndex(1);
        w->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    EXPECT_EQ(ui.chooseReplacementUnit("X - 1", {"A - 2", "B - 3"}), 1);
    whenModal([](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("2"))->click(); });
    EXPECT_FALSE(ui.chooseReplacementUnit("X - 1", {"A - 2"}).has_value());

    whenModal([](QWidget* w) {
        w->findChild<QCheckBox*>(QStringLiteral("1021"))->setChecked(true);
        w->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    EXPECT_FALSE(ui.firmwareWarning(QStringLiteral("Update")));
}
