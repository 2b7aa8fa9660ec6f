// Every unit keeps its own record: reading the units again, the device manager,
// a lost link and a shutdown never let an edit or a view reach another unit than
// the one shown, and nothing reaches a unit once the front end is gone.
#include "app/session.h"
#include "protocol/frame.h"
#include "support/demo_session.h"
#include "support/session_access.h"
#include "support/unit_selector.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

DeviceUid addressOf(const std::vector<std::uint8_t>& frame) {
    DeviceUid uid;
    std::copy_n(frame.begin() + 1, uid.bytes.size(), uid.bytes.begin());
    return uid;
}

bool isEdit(const std::vector<std::uint8_t>& frame) {
    const std::uint8_t command = frame.size() > kCommandOffset ? frame[kCommandOffset] : 0;
    return command == cmd::setParams || command == cmd::setRouting || command == cmd::setGains;
}

class UnitOwnership : public DemoSessionTest {
protected:
    // Connects and returns as soon as the units are being read.
    void connectUntilGathering(const std::vector<int>& models) {
        session->useDemoUnits(models);
        recorder = std::make_unique<RecordingLink>(*session->demoLink());
        session->useLinkOverride(recorder.get());
        session->connectOrDisconnect();
        ASSERT_EVENTUALLY(session->unitsDiscovered() && session->gathering(), 5000);
    }
};

} // namespace

TEST_F(UnitOwnership, ReadingTheUnitsAgainKeepsTheUnitShownAndItsEdits) {
    connectToDemo({12, 14, 11});
    const int lc = selectorIndexOf(*session, "VARENTO.LC");
    ASSERT_GE(lc, 0);
    session->command(command_id::deviceCombo, lc);
    const DeviceUid shown = session->currentUnit();
    ASSERT_EQ(session->current().model, 11);

    QSignalSpy switched(session.get(), &Session::currentUnitChanged);
    std::vector<DeviceUid> levelsShownFrom;
    QObject::connect(session.get(), &Session::levelsChanged, session.get(),
                     [&] { levelsShownFrom.push_back(session->current().uid); });
    const std::size_t mark = recorder->sent.size();
    session->restartDiscovery();
    ASSERT_EVENTUALLY(session->gathering(), 5000);
    ASSERT_TRUE(session->editor().setInputGain(4, 30));
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);

    EXPECT_TRUE(switched.isEmpty());
    EXPECT_EQ(session->currentUnit(), shown);
    int edits = 0;
    int toOthers = 0;
    for (std::size_t i = mark; i < recorder->sent.size(); ++i) {
        const auto& frame = recorder->sent[i].frame;
        if (isEdit(frame)) {
            ++edits;
            EXPECT_EQ(addressOf(frame), shown) << "edit frame " << i;
        } else if (addressOf(frame) != shown && addressOf(frame) != DeviceUid::broadcast()) {
            ++toOthers;
        }
    }
    EXPECT_EQ(edits, 1);
    EXPECT_GT(toOthers, 0); // the other units were read meanwhile, into their own records
    for (const DeviceUid& uid : levelsShownFrom) {
        EXPECT_EQ(uid, shown);
    }
    EXPECT_EQ(rack().find(shown)->state().inputGain[4], 30);
    EXPECT_EQ(session->current().inputGain[4], 30);
}

TEST_F(UnitOwnership, AnEditForAUnitThatIsGoneGoesNowhere) {
    connectToDemo({12, 14});
    const DeviceUid first = session->currentUnit();
    session->command(command_id::deviceCombo, 1);
    ASSERT_NE(session->currentUnit(), first);
    UnitEditor bound = session->editor(first);
    // A unit that left: its editor refuses, the unit shown is not touched.
    session->disconnect();
    session->connectOrDisconnect();
    session->demoLink()->rack().units().erase(session->demoLink()->rack().units().begin());
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    ASSERT_EQ(session->unit(first), nullptr);
    const std::uint8_t before = session->current().inputGain[0];
    QSignalSpy status(session.get(), &Session::statusTextChanged);
    const std::size_t mark = recorder->sent.size();
    EXPECT_FALSE(bound.setInputGain(0, 40));
    EXPECT_EQ(session->current().inputGain[0], before);
    for (std::size_t i = mark; i < recorder->sent.size(); ++i) {
        EXPECT_FALSE(isEdit(recorder->sent[i].frame));
    }
    ASSERT_FALSE(status.isEmpty());
    EXPECT_TRUE(status.last().at(1).toString().contains("no longer found"));
}

TEST_F(UnitOwnership, UnitsBeingReadAreNotReadyAndTheDeviceManagerKeepsTheUnitShown) {
    connectUntilGathering({12, 14, 11});
    const DeviceUid shown = session->currentUnit();
    EXPECT_FALSE(session->unitReady(shown)); // labels would be stored over unread data

    // OK in the device manager while the units are read: the selector names the
    // unit shown, then and after the reading.
    session->deviceManagerAccepted();
    const auto named = [&] {
        DeviceUid uid;
        return session->deviceList().onlineId(session->selectedUnitIndex() + 1, uid) == 0 &&
               uid == session->currentUnit();
    };
    EXPECT_TRUE(named());
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    EXPECT_TRUE(named());
    EXPECT_EQ(session->currentUnit(), shown);
    EXPECT_TRUE(session->unitReady(shown));
}

TEST_F(UnitOwnership, NothingGoesOutAfterShutDownDuringRetries) {
    connectToDemo({12});
    recorder->failWith = 1; // the link fails at the next poll: retries begin
    ASSERT_EVENTUALLY(session->reconnecting(), 3000);
    recorder->failWith = 0;
    session->shutDown();
    const std::size_t mark = recorder->sent.size();
    QTest::qWait(static_cast<int>(Session::kReconnectMs * 1.5));
    EXPECT_EQ(recorder->sent.size(), mark);
    EXPECT_FALSE(session->reconnecting());
    EXPECT_FALSE(session->pollTimer().isActive());
}

TEST_F(UnitOwnership, ALinkLostDuringTheFirmwareQuestionLeavesTheTimersStopped) {
    connectToDemo({12});
    session->setReconnectAutomatically(false);
    SessionTestAccess::unit(*session).at(param::firmwareMajor) = 5;
    // The connection ends while the question is open (a daemon withdrawing
    // takes the same way out).
    ui.whileWarning = [&] { session->command(command_id::connect); };
    session->supervisionTick();
    ASSERT_EQ(ui.firmwareWarnings.size(), 1u);
    EXPECT_FALSE(session->state().isConnected);
    QTest::qWait(Session::kResumeMs);
    EXPECT_FALSE(session->pollTimer().isActive());
    EXPECT_FALSE(session->supervisionTimer().isActive());
}

// A link that opens again but fails before any unit answers is one more failed
// try: quiet, no message, and no regained / lost pair in the journal every two
// seconds. The link counts as regained once a unit answers.
TEST_F(UnitOwnership, ALinkIsRegainedOnlyWhenAUnitAnswers) {
    connectToDemo({12});
    recorder->failWith = 1;
    ASSERT_EVENTUALLY(session->reconnecting(), 3000);
    const std::size_t messages = ui.messages.size();
    QTest::qWait(static_cast<int>(Session::kReconnectMs * 2.5)); // two more tries fail
    EXPECT_EQ(ui.messages.size(), messages);
    const auto count = [&](JournalKind kind) {
        const auto all = session->journal().entries();
        return std::count_if(all.begin(), all.end(), [&](const JournalEntry& e) {
            return e.kind == journalKindWord(kind);
        });
    };
    EXPECT_EQ(count(JournalKind::LinkLost), 1);
    EXPECT_EQ(count(JournalKind::LinkRegained), 0);
    recorder->failWith = 0;
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    EXPECT_EQ(count(JournalKind::LinkRegained), 1);
    EXPECT_EQ(ui.messages.size(), messages);
}
