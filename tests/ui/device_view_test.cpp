// The device view's widgets over their models: the settings dialog shows and
// forwards what the model says, and the remote windows paint the right pieces.
#include "app/session.h"
#include "settings_test_support.h"
#include "support/modal.h"
#include "support/session_access.h"
#include "ui/controls/my_button.h"
#include "ui/dialogs/settings_dialog.h"
#include "ui/models/px_settings_model.h"
#include "ui/models/unit_settings_model.h"
#include "ui/skin/skin.h"
#include "ui/views/remote_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace id = varento::settings_id;

namespace {

template <typename T> T* child(QWidget& parent, int controlId) {
    T* found = parent.findChild<T*>(QString::number(controlId));
    EXPECT_NE(found, nullptr) << controlId;
    return found;
}

QRgb pixel(const QPixmap& pixmap, QPoint at) {
    return pixmap.toImage().pixel(at);
}

class DeviceView : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataDir.isValid());
        const std::string path = dataDir.path().toStdString();
        session = std::make_unique<Session>(ui, SessionPaths{path, path});
        resetToPowerOnDefaults(SessionTestAccess::unit(*session));
        SessionTestAccess::unit(*session).awaitingData = 0;
    }

    QTemporaryDir dataDir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
};

} // namespace

TEST_F(DeviceView, SettingsDialogShowsTheModel) {
    DeviceRecord r = unitRecord(20);
    UnitSettingsModel model(r, ui);
    model.open();
    SettingsDialog dialog(model);
    EXPECT_EQ(dialog.windowTitle(), "VARENTO Settings");
    EXPECT_EQ(dialog.objectName(), "106");
    EXPECT_FALSE(child<QComboBox>(dialog, id::analogOut)->isEnabled());
    EXPECT_TRUE(child<QComboBox>(dialog, id::analogIn)->isEnabled());
    EXPECT_EQ(child<QComboBox>(dialog, id::rate)->currentText(), "48kHz");
    EXPECT_TRUE(child<QRadioButton>(dialog, id::clockInt)->isChecked());
    EXPECT_FALSE(child<QPushButton>(dialog, id::apply)->isEnabled());
    EXPECT_EQ(dialog.control(id::clockAes), nullptr);
    EXPECT_TRUE(child<QCheckBox>(dialog, id::delayCompensation)->isHidden());

    dialog.show();
    QTest::mouseClick(child<QCheckBox>(dialog, id::madi56), Qt::LeftButton);
    EXPECT_EQ(model.editCopy().at(param::madiFormat) & 0x01, 0);
    EXPECT_TRUE(child<QPushButton>(dialog, id::apply)->isEnabled());

    auto* rate = child<QComboBox>(dialog, id::rate);
    rate->setCurrentIndex(3);
    emit rate->activated(3);
    EXPECT_TRUE(child<QCheckBox>(dialog, id::speed2)->isChecked());
    EXPECT_EQ(model.editCopy().at(param::clockRate), 0x30);

    // Escape goes through Cancel: the record is what it was.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(model.result(), 0);
    EXPECT_EQ(r.at(param::clockRate), 0x10);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DeviceView, RadiosFollowTheModelNotEachOther) {
    DeviceRecord r = unitRecord(19);
    PxSettingsModel model(r, ui);
    model.open();
    SettingsDialog dialog(model);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "VARENTO.AES (SRC) Settings");
    auto* wck = child<QRadioButton>(dialog, id::clockWck);
    auto* internal = child<QRadioButton>(dialog, id::clockInt);
    QTest::mouseClick(wck, Qt::LeftButton);
    EXPECT_TRUE(wck->isChecked());
    EXPECT_FALSE(internal->isChecked());
    // A second click on a checked radio leaves it checked.
    QTest::mouseClick(wck, Qt::LeftButton);
    EXPECT_TRUE(wck->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, id::term)->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(dialog, id::userbit)->isEnabled());
}

TEST_F(DeviceView, RefusedUserbitUnticksTheBox) {
    DeviceRecord r = unitRecord(14);
    PxSettingsModel model(r, ui);
    model.open();
    SettingsDialog dialog(model);
    dialog.show();
    ui.answers.push_back(Answer::Cancel);
    auto* userbit = child<QCheckBox>(dialog, id::userbit);
    QTest::mouseClick(userbit, Qt::LeftButton);
    EXPECT_FALSE(userbit->isChecked());
    EXPECT_EQ(model.editCopy().at(param::madiFormat) & 0x70, 0);
    QTest::mouseClick(child<QPushButton>(dialog, id::ok), Qt::LeftButton);
    EXPECT_EQ(model.result(), 1);
}

TEST_F(DeviceView, RemoteWindowCopiesEachIndicatorFromItsImage) {
    DeviceRecord& r = SessionTestAccess::unit(*session);
    r.model = 12;
    r.at(param::clockRate) = 0x10; // internal clock: termination disabled
    r.at(param::statusLeds) = 0x01;
    r.at(param::firmwareMajor) = 4;
    RemoteWindow window(*session, nullptr);
    window.setModel(12);
    window.resize(710, 400);
    const QPixmap shot = window.grab();
    const qreal ratio = shot.devicePixelRatio();
    const QPixmap lit = skin::bitmap(160, ratio);
    const QPixmap unlit = skin::bitmap(159, ratio);
    const QPixmap disabled = skin::bitmap(158, ratio);
    auto at = [ratio](int x, int y) { return QPoint(qRound(x * ratio), qRound(y * ratio)); };
    EXPECT_EQ(pixel(shot, at(53, 171)), pixel(lit, at(53, 171)));    // INT
    EXPECT_EQ(pixel(shot, at(53, 119)), pixel(unlit, at(53, 119)));  // WCK
    EXPECT_EQ(pixel(shot, at(53, 93)), pixel(disabled, at(53, 93))); // TERM
    EXPECT_EQ(pixel(shot, at(568, 93)), pixel(lit, at(568, 93)));    // status 1
    EXPECT_NE(pixel(lit, at(53, 171)), pixel(unlit, at(53, 171)));
    ASSERT_NE(window.button(105), nullptr);
    EXPECT_TRUE(window.button(105)->isVisibleTo(&window));
    EXPECT_FALSE(window.button(114)->isVisibleTo(&window));
}

TEST_F(DeviceView, ClickOnThePanelOpensTheSettingsDialog) {
    SessionTestAccess::unit(*session).model = 19;
    SessionTestAccess::unit(*session).at(param::clockRate) = 0x10;
    PxRemoteWindow window(*session, nullptr);
    window.setModel(19);
    EXPECT_EQ(window.height(), 500);
    window.show();
    QString title;
    whenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        QTest::mouseClick(modal->findChild<QRadioButton*>(QString::number(id::clockWck)),
                          Qt::LeftButton);
        QTest::mouseClick(modal->findChild<QPushButton*>(QString::number(id::cancel)),
                          Qt::LeftButton);
    });
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE(title, QString("VARENTO.AES (SRC) Settings"));
    QTRY_VERIFY(window.model().dialogPosition().has_value());
    EXPECT_EQ(session->current().at(param::clockRate), 0x10);
}
