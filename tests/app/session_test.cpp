#include "app/session.h"
#include "links/demo_link.h"
#include "protocol/catalog.h"
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "support/session_access.h"
#include "unit/emulated_rack.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

using SessionTest = DemoSessionTest;

std::size_t count(const std::vector<std::uint8_t>& commands, std::uint8_t command) {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

} // namespace

TEST_F(SessionTest, GatheringReadsEveryUnitCompletely) {
    QSignalSpy units(session.get(), &Session::unitListChanged);
    QSignalSpy identified(session.get(), &Session::unitIdentified);
    connectToDemo();
    ASSERT_EQ(session->discovered().count(), 3);
    for (const emu::EmulatedUnit& unit : rack().units()) {
        // The current unit's state lives in the current record, not in its node.
        const DeviceRecord* node = unit.uid() == session->current().uid
                                       ? &session->current()
                                       : session->discovered().find(unit.uid());
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->model, unit.config().model);
        EXPECT_EQ(node->awaitingData, 0);
        EXPECT_TRUE(std::equal(node->routeSource.begin(), node->routeSource.begin() + 192,
                               unit.state().routeSource.begin()));
        EXPECT_EQ(node->inputGain, unit.state().inputGain);
        EXPECT_EQ(node->channelGain, unit.state().channelGain);
        EXPECT_EQ(node->at(param::clockRate), unit.parameterValue(param::clockRate));
    }
    // Each unit was asked for parameters, routing and gains once while gathering.
    const auto commands = recorder->commands();
    EXPECT_GE(count(commands, 0x0E), 1u);
    EXPECT_GE(count(commands, 0x12), 3u);
    EXPECT_GE(count(commands, 0x13), 3u);
    ASSERT_GE(units.count(), 1);
    const QStringList items = units.last().at(0).toStringList();
    ASSERT_EQ(items.size(), 3);
    EXPECT_TRUE(items[0].startsWith("VARENTO 2 - "));
    // The first unit is current, and its windows were asked for once gathered.
    EXPECT_EQ(session->current().uid, rack().units()[0].uid());
    ASSERT_EVENTUALLY(identified.count() >= 1, 3000);
    EXPECT_EQ(identified.last().at(0).toInt(), 12);
}

TEST_F(SessionTest, SteadyPollingCycle) {
    connectToDemo({12});
    const std::size_t start = recorder->sent.size();
    ASSERT_EVENTUALLY(recorder->sent.size() >= start + 40, 10000);
    std::string letters;
    for (std::size_t i = start; i < recorder->sent.size(); ++i) {
        switch (recorder->sent[i].frame[17]) {
        case 0x10:
            letters += 'P';
            break;
        case 0x11:
            letters += 'L';
            break;
        case 0x12:
            letters += 'R';
            break;
        case 0x13:
            letters += 'G';
            break;
        default:
            letters += '?';
            break;
        }
    }
    EXPECT_NE(letters.find("PLLLLLPLLLLLLLLLLG"), std::string::npos) << letters;
}

TEST_F(SessionTest, SelectingAnotherUnit) {
    connectToDemo();
    const DeviceUid second = rack().units()[1].uid();
    QSignalSpy params(session.get(), &Session::parametersChanged);
    session->command(command_id::deviceCombo, 1);
    EXPECT_EQ(session->current().uid, second);
    EXPECT_EQ(session->current().model, 14);
    EXPECT_EQ(session->selectedUnitIndex(), 1);
    const std::size_t before = recorder->sent.size();
    ASSERT_EVENTUALLY(recorder->sent.size() > before + 2, 3000);
    const auto& last = recorder->sent.back().frame;
    EXPECT_TRUE(std::equal(second.bytes.begin(), second.bytes.end(), last.begin() + 1));
}

TEST_F(SessionTest, SupervisionReportsSilenceAndRecovery) {
    connectToDemo({12});
    QSignalSpy texts(session.get(), &Session::statusTextChanged);
    QSignalSpy alarm(session.get(), &Session::statusAlarmChanged);
    session->supervisionTick(); // replies were seen
    EXPECT_EQ(texts.last().at(1).toString(), "\tConnected");

    session->demoLink()->setAnswering(false);
    QTest::qWait(300);          // let the last replies drain
    session->supervisionTick(); // clears the reply-seen flag
    session->supervisionTick();
    EXPECT_EQ(texts.last().at(1).toString(), "\tNo Response!");
    EXPECT_TRUE(alarm.last().at(0).toBool());
    EXPECT_TRUE(session->state().isConnected);

    session->demoLink()->setAnswering(true);
    ASSERT_EVENTUALLY((session->supervisionTick(), texts.last().at(1).toString() == "\tConnected"),
                      3000);
    EXPECT_FALSE(alarm.last().at(0).toBool());
}

TEST_F(SessionTest, AnotherProgramsDiscoveryLeavesTheChosenUnit) {
    connectToDemo();
    session->command(command_id::deviceCombo, 1);
    const DeviceUid chosen = session->current().uid;
    QSignalSpy lists(session.get(), &Session::unitListChanged);

    // Every unit's answer to a discovery reaches every program on the network.
    FrameBuffer buffer{};
    const int length = buildDiscover(buffer);
    for (const auto& reply : rack().receive({buffer.data(), static_cast<std::size_t>(length)})) {
        session->frameReceived(reply);
    }
    EXPECT_EQ(session->current().uid, chosen);
    EXPECT_EQ(session->selectedUnitIndex(), 1);
    EXPECT_TRUE(lists.isEmpty());
}

TEST_F(SessionTest, FirmwareWarningOncePerRun) {
    connectToDemo({12});
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 6;
    SessionTestAccess::unit(*session).at(param::firmwareMinor) = 5;
    session->supervisionTick();
    ASSERT_EQ(ui.firmwareWarnings.size(), 1u);
    EXPECT_TRUE(ui.firmwareWarnings[0].endsWith("version 6.6 or higher."));
    EXPECT_TRUE(session->resumeTimer().isActive()); // polling resumes 10 ms later
    ASSERT_EVENTUALLY(session->pollTimer().isActive(), 1000);
    session->supervisionTick();
    session->supervisionTick();
    EXPECT_EQ(ui.firmwareWarnings.size(), 1u);
}

TEST_F(SessionTest, DontShowAgainTurnsTheCheckOff) {
    ui.dontShowFirmwareAgain = true;
    connectToDemo({12});
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 5;
    session->supervisionTick();
    EXPECT_EQ(ui.firmwareWarnings.size(), 1u);
    EXPECT_FALSE(session->state().displayFwWarning);
    EXPECT_EQ(session->persistedSettings().DisplayFwWarning, 0);
}

TEST_F(SessionTest, GainBurstSendsOneFramePerEditAndResumesAfterTheLast) {
    connectToDemo({11});
    QTest::qWait(50);
    const std::size_t before = recorder->sent.size();
    for (int i = 0; i < 5; ++i) {
        session->editor().setInputGain(3, static_cast<std::uint8_t>(20 + i));
        EXPECT_FALSE(session->pollTimer().isActive());
        EXPECT_TRUE(session->resumeTimer().isActive());
        QTest::qWait(100); // faster than the 250 ms resume
    }
    const std::size_t afterEdits = recorder->sent.size();
    ASSERT_GE(afterEdits - before, 5u);
    std::size_t gainFrames = 0;
    for (std::size_t i = before; i < afterEdits; ++i) {
        gainFrames += recorder->sent[i].frame[17] == 0x23 ? 1u : 0u;
        // No poll request slipped in between the edits.
        EXPECT_EQ(recorder->sent[i].frame[17], 0x23);
    }
    EXPECT_EQ(gainFrames, 5u);
    EXPECT_EQ(recorder->sent[afterEdits - 1].frame[21], 24);
    ASSERT_EVENTUALLY(session->pollTimer().isActive(), 1000);
    ASSERT_EVENTUALLY(rack().units()[0].state().inputGain[3] == 24, 1000);
    EXPECT_FALSE(session->state().gainsSaved);
}

TEST_F(SessionTest, RoutingEditOfUpperOutputsSendsOneRangeFrame) {
    connectToDemo({12});
    RoutingTable table = RoutingTable::of(session->current());
    table.sources[40] = 7;
    const std::size_t before = recorder->sent.size();
    session->editor().setRoutingRange(32, 63, table);
    ASSERT_EQ(recorder->sent.size(), before + 1);
    const auto& frame = recorder->sent.back().frame;
    EXPECT_EQ(frame[17], 0x22);
    EXPECT_EQ(frame.size(), 19u + 4u * 32u);
    EXPECT_EQ(frame[18 + 1], 32);
    EXPECT_EQ(session->pollEngine().phase(), PollPhase::Routing);
    // Outputs from 192 on send the whole table.
    session->editor().setRoutingRange(192, 200, table);
    EXPECT_EQ(recorder->sent.back().frame.size(), 787u);
    ASSERT_EVENTUALLY(rack().units()[0].state().routeSource[40] == 7, 1000);
}

TEST_F(SessionTest, FactoryResetKeepsItsPausesWithoutStallingTheLoop) {
    connectToDemo({12});
    const std::size_t before = recorder->sent.size();
    qint64 longestGap = 0;
    QElapsedTimer loop;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, loop.restart()); });
    loop.start();
    probe.start(1);
    session->command(command_id::factoryDefaults);
    EXPECT_FALSE(session->pollTimer().isActive());
    // The 10 ms lead and 20 ms after each of the 64 gain frames, as planned.
    EXPECT_GE(session->sendQueue().plannedMs(), 10 + 64 * 20);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 10000);
    probe.stop();

    std::vector<RecordingLink::Sent> frames(
        recorder->sent.begin() + static_cast<std::ptrdiff_t>(before), recorder->sent.end());
    // Settings (11), the routing table, 32 x (gain, switches), then the GPO bits.
    ASSERT_GE(frames.size(), 11u + 1u + 64u + 1u);
    EXPECT_EQ(frames[0].frame[18], 0); // clock rate first
    EXPECT_EQ(frames[11].frame.size(), 787u);
    for (int i = 0; i < 64; ++i) {
        const auto& f = frames[12 + static_cast<std::size_t>(i)].frame;
        ASSERT_EQ(f[17], 0x23);
        EXPECT_EQ(f[19], (i % 2 == 0 ? 0 : 32) + i / 2);
    }
    // Timers never fire early, so this lower bound holds on a busy machine; a
    // sleep on the loop would show as a gap as long as the whole sequence.
    EXPECT_GE(frames[75].atMs - frames[12].atMs, 63 * 20 - 5);
    EXPECT_LT(longestGap, 600);
    ASSERT_EVENTUALLY(session->pollTimer().isActive(), 2000);
    EXPECT_EQ(rack().units()[0].state().at(param::fanSlowTemp), 30);
}

TEST_F(SessionTest, NoPollRequestDuringABulkTransfer) {
    connectToDemo({12});
    session->state().bulkTransfer = true;
    const std::size_t before = recorder->sent.size();
    for (int i = 0; i < 20; ++i) {
        session->pollTick();
    }
    EXPECT_EQ(recorder->sent.size(), before);
    session->state().bulkTransfer = false;
}

TEST_F(SessionTest, DisconnectEmptiesTheSelectorAndMarksUnitsOffline) {
    connectToDemo();
    QSignalSpy units(session.get(), &Session::unitListChanged);
    session->connectOrDisconnect();
    EXPECT_FALSE(session->state().isConnected);
    EXPECT_FALSE(session->pollTimer().isActive());
    ASSERT_GE(units.count(), 1);
    EXPECT_TRUE(units.last().at(0).toStringList().isEmpty());
    EXPECT_EQ(session->deviceList().onlineCount(), 0);
    EXPECT_EQ(session->deviceList().count(), 3);
    const std::size_t after = recorder->sent.size();
    QTest::qWait(250);
    EXPECT_EQ(recorder->sent.size(), after); // nothing more reaches the units
}

TEST_F(SessionTest, FailedSendDisconnects) {
    connectToDemo({12});
    recorder->failWith = -1;
    ASSERT_EVENTUALLY(!session->state().isConnected, 2000);
}

TEST_F(SessionTest, FailedOpenLeavesTheSessionDisconnected) {
    // The serial link with no port chosen cannot open.
    QSignalSpy failed(session.get(), &Session::connectFailed);
    session->connectOrDisconnect();
    EXPECT_FALSE(session->state().isConnected);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toInt(), command_id::selectSerialPort);
    EXPECT_FALSE(ui.messages.empty());
}

TEST_F(SessionTest, OfflineModelsSwitchDirectly) {
    QSignalSpy identified(session.get(), &Session::unitIdentified);
    session->command(command_id::offlineBase);
    EXPECT_EQ(session->state().offlineModel, OfflineModel::Base);
    EXPECT_EQ(session->current().model, 12);
    session->command(command_id::offlineLc);
    EXPECT_EQ(session->state().offlineModel, OfflineModel::Lc);
    EXPECT_EQ(session->current().model, 11);
    EXPECT_EQ(session->current().at(param::firmwareMajor), 3);
    EXPECT_EQ(session->current().levelCodes[5], 0);
    EXPECT_EQ(identified.count(), 2);
    session->command(command_id::offlineLc);
    EXPECT_EQ(session->state().offlineModel, OfflineModel::None);
    EXPECT_EQ(session->current().awaitingData, 1);
}

// A firmware warning resumes polling after 10 ms; the next edit waits 250 ms
// again, or routing replies would overwrite the matrix during a drag.
TEST_F(SessionTest, EditsAfterAFirmwareWarningResumeAfterTheFullPause) {
    connectToDemo({12});
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 5;
    session->supervisionTick();
    ASSERT_EQ(ui.firmwareWarnings.size(), 1u);
    EXPECT_EQ(session->resumeTimer().interval(), Session::kResumeAfterWarningMs);
    ASSERT_EVENTUALLY(session->pollTimer().isActive(), 1000);
    session->editor().setRoute(3, 9);
    EXPECT_EQ(session->resumeTimer().interval(), Session::kResumeMs);
    session->editor().setInputGain(0, 30);
    EXPECT_EQ(session->resumeTimer().interval(), Session::kResumeMs);
}

// While a question from a tick is open, a reply that arrives is handled only
// after it has been answered, and no tick runs meanwhile.
TEST_F(SessionTest, NothingChangesTheUnitUnderAnOpenQuestion) {
    connectToDemo({12});
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 5;
    QSignalSpy parameters(session.get(), &Session::parametersChanged);
    qsizetype parametersDuringQuestion = -1;
    std::size_t sentDuringQuestion = 0;
    ui.whileWarning = [&] {
        const std::size_t before = recorder->sent.size();
        const auto reply = rack().units()[0].parameterReply();
        session->frameReceived(reply);
        session->pollTick();
        parametersDuringQuestion = parameters.count();
        sentDuringQuestion = recorder->sent.size() - before;
    };
    session->supervisionTick();
    EXPECT_EQ(parametersDuringQuestion, 0);
    EXPECT_EQ(sentDuringQuestion, 0u);
    ASSERT_EVENTUALLY(parameters.count() > 0, 1000);
}

// A long queued transfer (here the factory reset) keeps polling silent; the unit
// is not "No Response!" for that.
TEST_F(SessionTest, SupervisionCountsFromTheEndOfAQueuedTransfer) {
    connectToDemo({12});
    QSignalSpy alarm(session.get(), &Session::statusAlarmChanged);
    session->command(command_id::factoryDefaults);
    ASSERT_TRUE(session->sendQueue().busy());
    session->supervisionTick();
    session->supervisionTick();
    for (const auto& call : alarm) {
        EXPECT_FALSE(call.at(0).toBool());
    }
}

// The last unit's gains reply is lost: gathering ends all the same, with the
// first unit current again and named by the selector.
TEST_F(SessionTest, GatheringEndsWhenTheLastGainsReplyIsLost) {
    session->useDemoUnits({12, 14});
    recorder = std::make_unique<RecordingLink>(*session->demoLink());
    session->useLinkOverride(recorder.get());
    int gainsRequests = 0;
    recorder->lose = [&](std::span<const std::uint8_t> frame) {
        return frame.size() > 17 && frame[17] == 0x13 && ++gainsRequests == 2;
    };
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    EXPECT_GE(gainsRequests, 2);
    EXPECT_EQ(session->selectedUnitIndex(), 0);
    DeviceUid first;
    ASSERT_EQ(session->deviceList().onlineId(1, first), 0);
    EXPECT_EQ(session->current().uid, first);
}
