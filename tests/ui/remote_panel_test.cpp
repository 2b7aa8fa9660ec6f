// The remote windows without drawing: blinking, the clicks that open the settings
// dialog, what is sent around it, and the base window's buttons.
#include "app/session.h"
#include "links/demo_link.h"
#include "settings_test_support.h"
#include "support/recording_link.h"
#include "support/scripted_interaction.h"
#include "support/session_access.h"
#include "ui/models/remote_panel_model.h"
#include "ui/models/settings_ids.h"
#include "ui/models/settings_model.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
using panel::PanelKind;
namespace id = varento::settings_id;

namespace {

class RemotePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataDir.isValid());
        const std::string path = dataDir.path().toStdString();
        session = std::make_unique<Session>(ui, SessionPaths{path, path});
        resetToPowerOnDefaults(SessionTestAccess::unit(*session));
    }

    // An offline unit of `model` with its parameters in.
    RemotePanelModel& offline(PanelKind kind, int model) {
        DeviceRecord& r = SessionTestAccess::unit(*session);
        r.model = static_cast<std::uint8_t>(model);
        r.awaitingData = 0;
        return make(kind);
    }

    // A demo unit of `model`, connected and gathered, behind a recorder.
    RemotePanelModel& connected(PanelKind kind, int model) {
        session->useDemoUnits({model});
        recorder = std::make_unique<RecordingLink>(*session->demoLink());
        session->useLinkOverride(recorder.get());
        session->connectOrDisconnect();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return session->discovered().count() > 0 && !session->gathering() &&
                       SessionTestAccess::unit(*session).awaitingData == 0 &&
                       SessionTestAccess::unit(*session).model == model;
            },
            10000));
        return make(kind);
    }

    RemotePanelModel& make(PanelKind kind) {
        panel = std::make_unique<RemotePanelModel>(kind, *session);
        panel->setModel(session->current().model);
        return *panel;
    }

    // Counts set-parameter frames sent after `from`.
    int setParamFrames(std::size_t from = 0) const {
        const auto commands = recorder->commands();
        return static_cast<int>(
            std::count(commands.begin() + static_cast<long>(from), commands.end(), 0x20));
    }

    bool queueIdle() const { return !session->sendQueue().busy(); }

    QTemporaryDir dataDir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<RecordingLink> recorder;
    std::unique_ptr<RemotePanelModel> panel;
};

} // namespace

TEST_F(RemotePanelTest, RefreshStartsAndStopsTheBlink) {
    auto& p = offline(PanelKind::Base, 12);
    SessionTestAccess::unit(*session).at(param::syncStatus) = 0x01;
    ASSERT_TRUE(p.command(remote_command::refresh));
    ASSERT_TRUE(p.blinkTimer().isActive());
    EXPECT_EQ(p.blinkTimer().interval(), 300);
    EXPECT_FALSE(p.blinking()); // until the first tick

    QSignalSpy repaints(&p, &RemotePanelModel::repaintRequested);
    ASSERT_TRUE(repaints.wait(2000));
    EXPECT_TRUE(p.blinking());
    EXPECT_TRUE(p.blinkPhase());
    EXPECT_EQ(repaints.last().at(0).toRect(), QRect(120, 78, 210, 122));
    EXPECT_EQ(p.state().look(panel::Lamp::SyncMadi1), panel::Look::Lit);
    ASSERT_TRUE(repaints.wait(2000));
    EXPECT_FALSE(p.blinkPhase());

    SessionTestAccess::unit(*session).at(param::syncStatus) = 0x03;
    ASSERT_TRUE(p.command(remote_command::refresh));
    EXPECT_FALSE(p.blinkTimer().isActive());
    EXPECT_FALSE(p.blinking());
    EXPECT_FALSE(p.blinkPhase());
}

TEST_F(RemotePanelTest, ExtendedWindowHasNoBaseButtons) {
    auto& p = offline(PanelKind::Extended, 9);
    EXPECT_FALSE(p.command(remote_command::matrixMode));
    EXPECT_FALSE(p.command(remote_command::bank));
    EXPECT_FALSE(p.command(remote_command::resetRouting));
    EXPECT_TRUE(p.command(remote_command::sendIdentify));
}

TEST_F(RemotePanelTest, ClickAreasOpenTheDialog) {
    struct Case {
        PanelKind kind;
        int model;
        QPoint at;
        bool opens;
    };
    const Case cases[] = {
        {PanelKind::Base, 12, {21, 51}, true},        {PanelKind::Base, 12, {20, 100}, false},
        {PanelKind::Base, 12, {499, 199}, true},      {PanelKind::Base, 12, {500, 100}, false},
        {PanelKind::Base, 12, {169, 229}, true},      {PanelKind::Base, 12, {170, 229}, false},
        {PanelKind::Base, 12, {100, 200}, false},     {PanelKind::Base, 12, {100, 250}, false},
        {PanelKind::Extended, 9, {100, 299}, true},   {PanelKind::Extended, 9, {100, 330}, false},
        {PanelKind::Extended, 9, {654, 236}, true},   {PanelKind::Extended, 9, {655, 236}, false},
        {PanelKind::Extended, 9, {600, 260}, false},  {PanelKind::Extended, 10, {100, 369}, true},
        {PanelKind::Extended, 14, {100, 330}, true},  {PanelKind::Extended, 14, {100, 370}, false},
        {PanelKind::Extended, 19, {21, 469}, true},   {PanelKind::Extended, 19, {20, 400}, false},
        {PanelKind::Extended, 18, {100, 330}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.model << " " << c.at.x() << "," << c.at.y());
        EXPECT_EQ(offline(c.kind, c.model).opensSettings(c.at), c.opens);
    }
}

TEST_F(RemotePanelTest, NoDialogWhileParametersAreAwaited) {
    auto& p = offline(PanelKind::Base, 12);
    int runs = 0;
    p.setDialogRunner([&](SettingsModel&) {
        ++runs;
        return 0;
    });
    SessionTestAccess::unit(*session).awaitingData = 1;
    EXPECT_TRUE(p.click({100, 100}));
    EXPECT_EQ(runs, 0);
    SessionTestAccess::unit(*session).awaitingData = 0;
    EXPECT_FALSE(p.click({600, 350}));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(p.click({100, 100}));
    EXPECT_EQ(runs, 1);
}

TEST_F(RemotePanelTest, DialogPositionIsRememberedBetweenOpenings) {
    auto& p = offline(PanelKind::Extended, 14);
    p.setScreenOrigin([] { return QPoint(100, 200); });
    std::vector<QPoint> seen;
    p.setDialogRunner([&](SettingsModel& d) {
        seen.push_back(d.position().value_or(QPoint(-1, -1)));
        d.setPosition(QPoint(5, 6));
        d.press(id::cancel);
        return 0;
    });
    p.command(remote_command::openSettings);
    p.command(remote_command::openSettings);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], QPoint(700, 280));
    EXPECT_EQ(seen[1], QPoint(5, 6));
    EXPECT_EQ(p.dialogPosition(), QPoint(5, 6));
}

TEST_F(RemotePanelTest, BaseWindowSendsAfterOkOnlyAndPausesPolling) {
    auto& p = connected(PanelKind::Base, 12);
    bool pollingDuringDialog = true;
    p.setDialogRunner([&](SettingsModel& d) {
        pollingDuringDialog = session->pollTimer().isActive();
        d.click(id::madi56, true);
        d.press(id::cancel);
        return 0;
    });
    QTRY_VERIFY(queueIdle());
    std::size_t mark = recorder->sent.size();
    p.command(remote_command::openSettings);
    EXPECT_FALSE(pollingDuringDialog);
    EXPECT_TRUE(session->pollTimer().isActive());
    QTest::qWait(100); // anything queued would have left by now
    EXPECT_EQ(setParamFrames(mark), 0);

    p.setDialogRunner([&](SettingsModel& d) {
        d.click(id::madi56, true);
        d.press(id::ok);
        return 1;
    });
    mark = recorder->sent.size();
    p.command(remote_command::openSettings);
    QTRY_COMPARE_WITH_TIMEOUT(setParamFrames(mark), 11, 3000);
    EXPECT_EQ(session->current().at(param::madiFormat) & 0x01, 0);
}

TEST_F(RemotePanelTest, ExtendedWindowSendsAfterCancelToo) {
    auto& p = connected(PanelKind::Extended, 14);
    const std::uint8_t before = session->current().at(param::madiFormat);
    p.setDialogRunner([&](SettingsModel& d) {
        d.click(id::madi56, (before & 0x01) != 0);
        d.press(id::apply); // the unit has the change now ...
        d.press(id::cancel);
        return 0;
    });
    QTRY_VERIFY(queueIdle());
    const std::size_t mark = recorder->sent.size();
    p.command(remote_command::openSettings);
    // ... and gets its old settings back after Cancel.
    QTRY_COMPARE_WITH_TIMEOUT(setParamFrames(mark), 22, 3000);
    EXPECT_EQ(session->current().at(param::madiFormat), before);
}

TEST_F(RemotePanelTest, IdentifySendsTheRemoteByteAtOnce) {
    auto& p = connected(PanelKind::Base, 12);
    p.setDialogRunner([&](SettingsModel& d) {
        d.press(id::identify);
        d.press(id::cancel);
        return 0;
    });
    QTRY_VERIFY(queueIdle());
    const std::size_t mark = recorder->sent.size();
    p.command(remote_command::openSettings);
    QTRY_COMPARE_WITH_TIMEOUT(setParamFrames(mark), 1, 3000);
    EXPECT_EQ(session->current().at(param::remoteOptions) & 0x08, 0x08);
}

TEST_F(RemotePanelTest, UsbEmbedderChangeRestartsDiscovery) {
    auto& p = connected(PanelKind::Base, 12);
    p.setDialogRunner([&](SettingsModel& d) {
        d.click(id::usbEmbedder, true);
        d.press(id::ok);
        return 1;
    });
    ASSERT_GT(session->discovered().count(), 0);
    p.command(remote_command::openSettings);
    EXPECT_EQ(ui.messages.back().title, "USB Embedder Warning");
    // The units are searched for again; the one shown keeps its record meanwhile.
    EXPECT_EQ(session->pollEngine().phase(), PollPhase::Discover);
    EXPECT_NE(session->unit(session->currentUnit()), nullptr);
}

TEST_F(RemotePanelTest, UnchangedUsbEmbedderKeepsTheUnitList) {
    auto& p = offline(PanelKind::Extended, 19);
    p.setDialogRunner([&](SettingsModel& d) {
        d.click(id::usbEmbedder, true);
        d.press(id::cancel);
        return 0;
    });
    session->pollEngine().askRoutingNext();
    p.command(remote_command::openSettings);
    EXPECT_EQ(session->pollEngine().phase(), PollPhase::Routing);
    EXPECT_EQ(session->current().at(param::ioOptions) & 0x20, 0);
}

TEST_F(RemotePanelTest, MatrixModeAndBankButtons) {
    auto& p = offline(PanelKind::Base, 12);
    DeviceRecord& r = SessionTestAccess::unit(*session);
    r.at(param::routingB) = 0x0A;
    r.at(param::routingA) = 0x1B;
    QSignalSpy matrix(session.get(), &Session::matrixModeChanged);
    EXPECT_EQ(p.resetButton(), (ButtonLook{false, 4}));

    ASSERT_TRUE(p.command(remote_command::matrixMode));
    EXPECT_EQ(r.at(param::routingB), 0x4A);
    ASSERT_EQ(matrix.count(), 1);
    EXPECT_TRUE(matrix.at(0).at(0).toBool());
    EXPECT_EQ(p.bankButton(), (ButtonLook{false, 4}));
    EXPECT_EQ(p.resetButton(), (ButtonLook{true, 0}));
    // A parameter refresh does not free the bank in matrix mode.
    p.command(remote_command::refresh);
    EXPECT_EQ(p.bankButton(), (ButtonLook{false, 4}));

    ASSERT_TRUE(p.command(remote_command::matrixMode));
    EXPECT_EQ(p.bankButton(), (ButtonLook{true, 0}));
    EXPECT_EQ(p.resetButton(), (ButtonLook{false, 4}));

    ASSERT_TRUE(p.command(remote_command::bank));
    EXPECT_EQ(r.at(param::routingA), 0x5B);
    r.at(param::clockRate) = 0x30;
    p.command(remote_command::refresh);
    EXPECT_EQ(p.bankButton(), (ButtonLook{false, 4}));
}

TEST_F(RemotePanelTest, ResetRoutingAsksFirst) {
    auto& p = offline(PanelKind::Base, 12);
    auto& source = SessionTestAccess::unit(*session).routeSource;
    source.fill(7);
    ui.answers.push_back(Answer::No);
    ASSERT_TRUE(p.command(remote_command::resetRouting));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Reset Routing?");
    EXPECT_EQ(ui.messages[0].text, "Do you really want to reset the audio routing to 1:1?");
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(source[5], 7);

    QSignalSpy routing(session.get(), &Session::routingChanged);
    QSignalSpy repaint(&p, &RemotePanelModel::repaintRequested);
    ASSERT_TRUE(p.command(remote_command::resetRouting));
    // Every window showing the routing hears of it now, not with the next reply.
    EXPECT_EQ(routing.count(), 1);
    EXPECT_EQ(repaint.count(), 1);
    EXPECT_FALSE(session->state().matrixSaved);
    EXPECT_EQ(source[0], 0);
    EXPECT_EQ(source[31], 31);
    EXPECT_EQ(source[32], 64);
    EXPECT_EQ(source[63], 95);
    EXPECT_EQ(source[64], 64);
    EXPECT_EQ(source[127], 127);
    EXPECT_EQ(source[128], 7); // beyond the reset range
}

TEST_F(RemotePanelTest, SetModelChoosesTheImages) {
    auto& base = offline(PanelKind::Base, 0);
    EXPECT_EQ(base.images(), (panel::PanelImages{100, 120, 123}));
    base.setModel(21);
    EXPECT_EQ(base.images(), (panel::PanelImages{159, 160, 158}));
    base.setModel(14); // not a base model: unchanged
    EXPECT_EQ(base.images(), (panel::PanelImages{159, 160, 158}));
    auto& px = offline(PanelKind::Extended, 18);
    EXPECT_EQ(px.images(), (panel::PanelImages{194, 197, 164}));
}
