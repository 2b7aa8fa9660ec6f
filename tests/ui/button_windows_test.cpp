// The two windows of bitmap keys in the program: reached by F12 and the Command
// menu, clicked with the mouse, over emulated units.
#include "app/app_settings.h"
#include "app/session.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "gui/top_bar.h"
#include "links/demo_link.h"
#include "support/app_environment.h"
#include "support/scripted_interaction.h"
#include "ui/controls/my_button.h"
#include "ui/views/button_window.h"
#include "ui/views/dr_trigger_window.h"
#include "unit/emulated_rack.h"

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace cid = varento::command_id;

namespace {

constexpr int kLc = 11;

class ButtonWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        PersistedSettings s;
        s.NetworkMode = 1; // no port dialog
        s.lastEmergencyChannel = 5;
        settings = std::make_unique<AppSettings>(folder.path() + "/settings.ini");
        settings->save(s, ui);
        session = std::make_unique<Session>(
            ui, SessionPaths{(folder.path() + "/data").toStdString(), folder.path().toStdString()});
        window = std::make_unique<MainWindow>(*session, *settings, ui);
        window->start(settings->load());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void connectDemo(const std::vector<int>& models) {
        window->setDemo(true);
        session->useDemoUnits(models);
        window->command(cid::connect);
        QTRY_VERIFY_WITH_TIMEOUT(session->state().isConnected && session->unitsGathered() &&
                                     window->deviceSelector()->isEnabled(),
                                 10000);
    }

    const DeviceRecord& unit() { return session->demoLink()->rack().units()[0].state(); }

    QTemporaryDir folder;
    ScriptedInteraction ui;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(ButtonWindowsTest, F12ShowsTheCommissioningPanelAndItsKeysReachTheUnit) {
    connectDemo({kLc});
    window->command(cid::buttonViewKey);
    EXPECT_EQ(session->state().viewMode, ViewMode::Button);
    auto* panel = qobject_cast<ButtonWindow*>(window->view(ViewSlot::Button));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), QPoint(0, TopBar::kHeight));

    MyButton* gainMax = panel->button(ButtonWindowModel::gainMax);
    MyButton* gainMin = panel->button(ButtonWindowModel::gainMin);
    QTest::mouseClick(gainMin, Qt::LeftButton);
    QTest::mouseClick(gainMax, Qt::LeftButton);
    EXPECT_EQ(gainMax->state() & ~1, MyButton::On);
    EXPECT_EQ(gainMin->state() & ~1, MyButton::Off);
    QTRY_VERIFY_WITH_TIMEOUT(unit().inputGain[7] == 63 && !session->bulkTransfer(), 3000);
    EXPECT_EQ(unit().inputGain[8], session->current().inputGain[8]);

    // The push button asks first and stays off.
    ui.answers = {Answer::No};
    MyButton* factory = panel->button(ButtonWindowModel::factoryPreset);
    QTest::mouseClick(factory, Qt::LeftButton);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().title, "Load Factory Preset");
    EXPECT_EQ(factory->state() & ~1, MyButton::Off);

    // A narrow window scrolls the panel; the wheel away from the user goes left.
    window->resize(400, window->height());
    QTRY_COMPARE_WITH_TIMEOUT(panel->width(), 400, 2000);
    const QPoint at = gainMax->pos();
    QWheelEvent down(QPointF(50, 50), panel->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel, &down);
    EXPECT_EQ(panel->scrollOffset(), ButtonWindowModel::kScrollStep);
    EXPECT_EQ(gainMax->pos(), at - QPoint(ButtonWindowModel::kScrollStep, 0));

    window->command(cid::buttonViewKey);
    EXPECT_EQ(session->state().viewMode, ViewMode::Device);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(ButtonWindowsTest, TheMenuShowsTheTriggerWindowWhoseSwitchOutlivesIt) {
    QAction* menu = window->action(cid::drSpareMicSwitch);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(), "DR Spare Mic Switch...");
    EXPECT_FALSE(menu->isEnabled());
    // Created at start-up, not shown.
    QPointer<QWidget> created = window->view(ViewSlot::DrTrigger);
    ASSERT_FALSE(created.isNull());
    EXPECT_FALSE(created->isVisible());

    connectDemo({kLc});
    EXPECT_TRUE(menu->isEnabled());
    menu->trigger();
    QPointer<DrTriggerWindow> trigger =
        qobject_cast<DrTriggerWindow*>(window->view(ViewSlot::DrTrigger));
    ASSERT_FALSE(trigger.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trigger.data()));
    EXPECT_TRUE(trigger->isWindow());
    EXPECT_EQ(trigger->size(), DrTriggerWindow::kSize);
    EXPECT_EQ(trigger->minimumSize(), trigger->maximumSize());
    EXPECT_EQ(trigger->spareList()->currentText(), "6"); // the remembered spare
    EXPECT_EQ(trigger->button(3)->text(), "AN 4 IN");
    // The list's choice reaches the main window's remembered channel (154).
    for (const int item : {8, 5}) {
        trigger->spareList()->setCurrentIndex(item);
        emit trigger->spareList()->activated(item);
        EXPECT_EQ(session->state().lastEmergencyChannel, item);
    }

    // A double click switches over once; the key is marked until the unit's
    // routing shows the switch, then lit.
    QTest::mouseDClick(trigger->button(3), Qt::LeftButton);
    EXPECT_TRUE(trigger->button(3)->mark().isValid());
    QTRY_VERIFY_WITH_TIMEOUT((trigger->button(3)->state() & ~1) == MyButton::On, 2000);
    EXPECT_FALSE(trigger->button(3)->mark().isValid());
    EXPECT_FALSE(trigger->spareList()->isEnabled());
    EXPECT_EQ(unit().routeSource[35], 37);
    QTest::qWait(SpareSwitcher::kPressGuardMs);

    trigger->close();
    QTRY_VERIFY_WITH_TIMEOUT(trigger.isNull(), 2000); // closing destroys it
    menu->trigger();
    auto* again = qobject_cast<DrTriggerWindow*>(window->view(ViewSlot::DrTrigger));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->button(3)->state() & ~1, MyButton::On);
    QTest::mouseClick(again->button(3), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(unit().routeSource[35] == 35, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!session->spareSwitcher().busy(session->currentUnit()), 2000);
    EXPECT_EQ(again->button(3)->state() & ~1, MyButton::Off);
    EXPECT_FALSE(again->button(3)->mark().isValid());

    window->command(cid::connect); // disconnect
    EXPECT_FALSE(menu->isEnabled());
}
