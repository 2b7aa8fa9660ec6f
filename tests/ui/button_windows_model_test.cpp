// The commissioning panel and the trigger window without widgets, over emulated
// units: what a click sends, how the buttons look after it, and what stays.
#include "app/cp1252.h"
#include "app/session.h"
#include "support/demo_session.h"
#include "ui/models/button_window_model.h"
#include "ui/models/dr_trigger_model.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr int kLc = 11; // the units with microphone inputs
constexpr int kOn = 2;
constexpr int kOff = 0;

#ifdef VARENTO_SANITIZED
constexpr qint64 kMaxStallMs = 45; // still below one pause: a sleep would show
#else
constexpr qint64 kMaxStallMs = 20;
#endif

using BM = ButtonWindowModel;

class ButtonWindowTest : public DemoSessionTest {
protected:
    void SetUp() override {
        DemoSessionTest::SetUp();
        panel = std::make_unique<BM>(*session, [this](int id) { mainWindow.push_back(id); });
    }

    std::vector<RecordingLink::Sent> gainFramesSince(std::size_t from) const {
        std::vector<RecordingLink::Sent> frames;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            if (recorder->sent[i].frame[17] == 0x23) {
                frames.push_back(recorder->sent[i]);
            }
        }
        return frames;
    }

    std::unique_ptr<BM> panel;
    std::vector<int> mainWindow;
};

} // namespace

// "Gain MAX" of the third group: channels 17..24 at 63 in eight frames at least
// 50 ms apart, while the event loop serves timers; the button lights and "Gain
// MIN" of the group goes off.
TEST_F(ButtonWindowTest, GainMaxOfAGroupSendsEightPacedFramesAndLightsItself) {
    connectToDemo({kLc});
    panel->click(BM::gainMin + 2, kOn);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    EXPECT_EQ(panel->look(BM::gainMin + 2), kOn);
    const auto gainsBefore = session->current().inputGain;
    const std::size_t before = recorder->sent.size();

    qint64 longestGap = 0;
    QElapsedTimer loop;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, loop.restart()); });
    QElapsedTimer action;
    action.start();
    loop.start();
    probe.start(1);
    // A plain event loop until the queue is done: the waiting macros sleep between
    // their checks and would show as gaps of their own.
    QEventLoop wait;
    QObject::connect(&session->sendQueue(), &SendQueue::busyChanged, &wait,
                     [&](bool busy) { busy ? void() : wait.quit(); });
    QTimer::singleShot(3000, &wait, &QEventLoop::quit);
    panel->click(BM::gainMax + 2, kOn);
    const qint64 clickMs = action.elapsed();
    EXPECT_EQ(panel->look(BM::gainMax + 2), kOn);
    EXPECT_EQ(panel->look(BM::gainMin + 2), kOff);
    wait.exec();
    probe.stop();
    ASSERT_FALSE(session->sendQueue().busy());
    std::cout << "group action: click returned after " << clickMs << " ms, longest event-loop gap "
              << longestGap << " ms\n";
    EXPECT_LT(clickMs, kMaxStallMs);
    EXPECT_LT(longestGap, kMaxStallMs);

    const auto frames = gainFramesSince(before);
    ASSERT_EQ(frames.size(), 8u);
    std::cout << "eight frames over " << frames.back().atMs - frames.front().atMs << " ms\n";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].frame[19], 16 + static_cast<int>(i)); // gain entry of the channel
        if (i > 0) {
            EXPECT_GE(frames[i].atMs - frames[i - 1].atMs, BM::kGroupPauseMs);
        }
    }
    const auto& gains = session->current().inputGain;
    for (std::size_t c = 0; c < gains.size(); ++c) {
        EXPECT_EQ(gains[c], c >= 16 && c < 24 ? BM::kGainMax : gainsBefore[c]) << c;
    }
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain[23] == BM::kGainMax, 2000);
    EXPECT_FALSE(session->state().gainsSaved);
    ASSERT_EVENTUALLY(session->pollTimer().isActive(), 2000); // polling comes back after
}

// P48 and PAD change only their own bit of the group's eight inputs, on and off.
TEST_F(ButtonWindowTest, SwitchesChangeTheirBitOfTheGroupOnly) {
    connectToDemo({kLc});
    const auto before = session->current().inputSwitch;
    panel->click(BM::p48 + 1, kOn);
    panel->click(BM::pad + 3, kOn);
    EXPECT_EQ(panel->look(BM::p48 + 1), kOn);
    const auto& switches = session->current().inputSwitch;
    for (std::size_t c = 0; c < switches.size(); ++c) {
        std::uint8_t expected = before[c];
        expected |= c >= 8 && c < 16 ? 0x02 : 0;
        expected |= c >= 24 ? 0x01 : 0;
        EXPECT_EQ(switches[c], expected) << c;
    }
    panel->click(BM::p48 + 1, kOff);
    EXPECT_EQ(panel->look(BM::p48 + 1), kOff);
    EXPECT_EQ(switches[8] & 0x02, 0);
    EXPECT_EQ(switches[24] & 0x01, 1);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 4000);
    EXPECT_EQ(rack().units()[0].state().inputSwitch[9], switches[9]);
    EXPECT_EQ(rack().units()[0].state().inputSwitch[31], switches[31]);
}

TEST_F(ButtonWindowTest, GpoButtonsSetAndClearTheirBit) {
    connectToDemo({kLc});
    const std::uint8_t before = session->current().at(param::srcEnable);
    panel->click(BM::gpo2, kOn);
    EXPECT_EQ(session->current().at(param::srcEnable), before | 0x20);
    panel->click(BM::gpo1, kOn);
    panel->click(BM::gpo2, kOff);
    EXPECT_EQ(session->current().at(param::srcEnable), (before | 0x10) & ~0x20);
    EXPECT_EQ(panel->look(BM::gpo1), kOn);
    EXPECT_EQ(panel->look(BM::gpo2), kOff);
}

TEST_F(ButtonWindowTest, FactoryPresetAsksAndOnlyYesLoadsIt) {
    connectToDemo({kLc});
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    const std::size_t before = recorder->sent.size();
    ui.answers = {Answer::No};
    panel->click(BM::factoryPreset, kOn);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Load Factory Preset");
    EXPECT_EQ(ui.messages[0].text, "Do you really want to load factory defaults?");
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(panel->look(BM::factoryPreset), kOff);
    EXPECT_TRUE(mainWindow.empty());
    for (std::size_t i = before; i < recorder->sent.size(); ++i) {
        EXPECT_NE(recorder->sent[i].frame[17], 0x20); // polls only, no settings
    }

    ui.answers = {Answer::Yes};
    panel->click(BM::factoryPreset, kOn);
    EXPECT_EQ(mainWindow, std::vector<int>{command_id::factoryDefaults});
    EXPECT_EQ(panel->look(BM::factoryPreset), kOff);
}

// ---- the trigger window ----------------------------------------------------------------------

namespace {

class DrTriggerTest : public DemoSessionTest {
protected:
    std::unique_ptr<DrTriggerModel> makeWindow() {
        return std::make_unique<DrTriggerModel>(
            *session, [this](int id, int param) { mainWindow.emplace_back(id, param); });
    }

    // Until the unit shown has answered the step and a new press is taken.
    void waitForTheUnit() {
        ASSERT_EVENTUALLY(!session->spareSwitcher().busy(session->currentUnit()), 3000);
        QTest::qWait(SpareSwitcher::kPressGuardMs);
    }

    std::size_t routingFrames() const {
        const auto commands = recorder->commands();
        return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), 0x22));
    }

    std::vector<std::pair<int, int>> mainWindow;
};

} // namespace

// The list on "6", button 4 (channel 3): marked while the unit is asked, lit once
// its routing shows the switch, and the lit button brings the routes back. The
// switch outlives the window.
TEST_F(DrTriggerTest, PressSwitchesOverAndTheLitButtonSwitchesBack) {
    connectToDemo({kLc});
    auto window = makeWindow();
    window->selectSpare(5);
    EXPECT_EQ(mainWindow, (std::vector<std::pair<int, int>>{{command_id::setEmergencyChannel, 5}}));
    session->command(mainWindow[0].first, mainWindow[0].second); // as the dispatcher does
    EXPECT_EQ(session->state().lastEmergencyChannel, 5);

    window->press(3);
    EXPECT_EQ(window->look(3), kOff);
    EXPECT_EQ(window->mark(3), DrTriggerModel::Mark::Pending);
    waitForTheUnit();
    EXPECT_EQ(session->current().routeSource[35], 37);
    EXPECT_EQ(window->look(3), kOn);
    EXPECT_EQ(window->mark(3), DrTriggerModel::Mark::None);
    EXPECT_EQ(window->look(4), kOff);
    EXPECT_FALSE(window->spareSelectable());

    // Closed and opened again: the same channel is lit and the spare kept.
    window = makeWindow();
    EXPECT_EQ(window->look(3), kOn);
    EXPECT_EQ(window->spareChannel(), 5);
    window->press(3);
    waitForTheUnit();
    EXPECT_EQ(session->current().routeSource[35], 35);
    EXPECT_EQ(session->current().routeSource[37], 37); // the spare's own output stays
    EXPECT_EQ(window->look(3), kOff);
    EXPECT_TRUE(window->spareSelectable());
}

// A double click, or a second press at once: one switch-over, no way back.
TEST_F(DrTriggerTest, ASecondPressWithinAMomentIsNotTaken) {
    connectToDemo({kLc});
    session->state().lastEmergencyChannel = 5;
    auto window = makeWindow();
    const std::size_t before = routingFrames();
    window->press(3);
    ASSERT_EVENTUALLY(!session->spareSwitcher().busy(session->currentUnit()), 3000);
    window->press(3);
    EXPECT_EQ(window->statusText(), "A second press within 0.3 s is not taken.");
    QTest::qWait(100);
    EXPECT_EQ(routingFrames() - before, 1u);
    EXPECT_EQ(window->look(3), kOn);
}

// While a channel is switched over the spare cannot change, and another channel's
// key does nothing: the way back gives the spare's outputs to the tripped channel.
TEST_F(DrTriggerTest, AnotherKeyOrSpareWhileAChannelIsSwitchedOverIsRefused) {
    connectToDemo({kLc});
    session->state().lastEmergencyChannel = 5;
    auto window = makeWindow();
    window->press(3);
    waitForTheUnit();
    QSignalSpy looks(window.get(), &DrTriggerModel::looksChanged);
    window->selectSpare(9);
    EXPECT_EQ(window->spareChannel(), 5);
    EXPECT_TRUE(mainWindow.empty());
    EXPECT_EQ(looks.count(), 1); // the list goes back to "6"
    const std::size_t before = routingFrames();
    window->press(10);
    EXPECT_EQ(window->statusText(), "Input 4 is switched over to the spare: switch it back first.");
    QTest::qWait(100);
    EXPECT_EQ(routingFrames(), before);
    EXPECT_EQ(window->look(3), kOn);
    EXPECT_EQ(window->look(10), kOff);
}

TEST_F(DrTriggerTest, NoSpareIsChosenUntilTheUserPicksOne) {
    for (const int remembered : {-1, 32, 99}) {
        session->state().lastEmergencyChannel = remembered;
        EXPECT_EQ(makeWindow()->spareChannel(), -1) << remembered;
    }
    session->state().lastEmergencyChannel = 0;
    EXPECT_EQ(makeWindow()->spareChannel(), 0);

    connectToDemo({kLc});
    session->state().lastEmergencyChannel = -1;
    auto window = makeWindow();
    const std::size_t before = recorder->sent.size();
    window->press(3);
    EXPECT_EQ(window->statusText(), "Choose the spare input first");
    EXPECT_EQ(recorder->sent.size(), before);
    EXPECT_EQ(window->look(3), kOff);
}

TEST_F(DrTriggerTest, ButtonsShowTheAnalogInputLabelsAndNeedMicrophones) {
    connectToDemo({12, kLc});
    auto window = makeWindow();
    EXPECT_EQ(window->look(0), 4); // no microphone inputs on the first unit
    window->press(0);
    EXPECT_EQ(session->spareSwitcher().phase(session->currentUnit()), SwitchPhase::None);
    QSignalSpy labels(window.get(), &DrTriggerModel::labelsChanged);
    session->selectUnit(1);
    EXPECT_GE(labels.count(), 1);
    EXPECT_EQ(window->look(0), kOff);
    session->editor().setLabel(32 + 4, QStringLiteral("Vox Lead"));
    const QStringList texts = window->drTriggerLabels();
    ASSERT_EQ(texts.size(), 32);
    EXPECT_EQ(texts[4], "Vox Lead");
    EXPECT_EQ(texts[0], labelText(session->current().labels[32]));
}
