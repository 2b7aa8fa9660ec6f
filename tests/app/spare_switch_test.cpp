// The spare-microphone switch-over as the session runs it for the trigger window
// and the command line: built from the routing the unit has, proven by the
// routing read back, given back exactly, and kept apart per unit.
#include "app/session.h"
#include "app/switch_over_store.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "protocol/catalog.h"
#include "protocol/handle_frame.h"
#include "support/demo_session.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr int kLc = 11;   // has microphone inputs
constexpr int kBase = 12; // has none
constexpr std::uint8_t kSetRouting = 0x22;

class SpareSwitchTest : public DemoSessionTest {
protected:
    SpareSwitcher& switcher() { return session->spareSwitcher(); }
    const DeviceUid& shown() { return session->currentUnit(); }

    std::vector<std::vector<std::uint8_t>> routingFramesSince(std::size_t from) const {
        std::vector<std::vector<std::uint8_t>> frames;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            if (recorder->sent[i].frame[17] == kSetRouting) {
                frames.push_back(recorder->sent[i].frame);
            }
        }
        return frames;
    }

    // Routes set on the emulated unit behind the program's back, as its front
    // panel or another computer would.
    void routeOnUnit(int unit, std::vector<std::pair<int, std::uint8_t>> routes) {
        emu::EmulatedUnit& u = rack().units()[static_cast<std::size_t>(unit)];
        DeviceRecord record = u.state();
        for (const auto& [output, source] : routes) {
            record.routeSource[static_cast<std::size_t>(output)] = source;
        }
        FrameBuffer buffer{};
        const int length = buildSetRoutingAll(buffer, record);
        u.receive({buffer.data(), static_cast<std::size_t>(length)});
    }

    // Outputs 0 and 100 take analog input 4 (source 35) as well; output 37 keeps
    // its own input, the spare 6 (source 37).
    void routeMicrophoneFour(int unit = 0) {
        routeOnUnit(unit, {{0, 35}, {100, 35}, {37, 37}});
        session->editor(session->discovered().at(unit)->uid).setRoute(0, 35); // read again
        ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    }

    const std::array<std::uint8_t, kRouteSlots>& unitRoutes(int unit = 0) {
        return rack().units()[static_cast<std::size_t>(unit)].state().routeSource;
    }

    void waitForTheStep(const DeviceUid& unit) { ASSERT_EVENTUALLY(!switcher().busy(unit), 5000); }

    std::vector<JournalEntry> journaled(JournalKind kind) const {
        std::vector<JournalEntry> out;
        for (const JournalEntry& e : session->journal().entries()) {
            if (e.kind == journalKindWord(kind)) {
                out.push_back(e);
            }
        }
        return out;
    }

    void writePreset(const QString& path, std::uint8_t type, std::span<const std::uint8_t> data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const auto bytes = encodePresetFile(type, data);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    // The sources a whole-table routing frame carries, read as the unit reads it.
    static RoutingTable sourcesIn(std::vector<std::uint8_t> frame) {
        frame[17] = cmd::routingReply; // the same entries as the unit's own reply
        DeviceRecord r;
        DeviceRecord shadow;
        std::copy_n(frame.begin() + 1, r.uid.bytes.size(), r.uid.bytes.begin());
        DiscoveredList none;
        EXPECT_EQ(handleFrame(frame, r, shadow, none).result, frame_result::accepted);
        return RoutingTable::of(r);
    }

    std::vector<std::string> said;
    void listen() {
        QObject::connect(
            &switcher(), &SpareSwitcher::said,
            [this](const DeviceUid&, const QString& t) { said.push_back(t.toStdString()); });
    }
};

} // namespace

// Spare 6, channel 4: the routing is read first, so a change made on the unit
// meanwhile stays; one frame moves exactly the channel's outputs; the key is lit
// only once the read-back shows them; the way back leaves the spare's own output.
TEST_F(SpareSwitchTest, TripIsConfirmedByTheUnitAndUntripGivesBackOnlyWhatItMoved) {
    connectToDemo({kLc});
    routeMicrophoneFour();
    routeOnUnit(0, {{50, 35}, {60, 61}}); // the program does not know these yet
    const DeviceUid unit = shown();
    std::size_t before = recorder->sent.size();

    ASSERT_TRUE(switcher().trip(unit, 3, 5));
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::Switching);
    waitForTheStep(unit);
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::Switched);
    const auto trip = routingFramesSince(before);
    ASSERT_EQ(trip.size(), 1u);
    EXPECT_EQ(trip[0].size(), 19u + 4u * 101u); // outputs 0..100
    for (const int output : {0, 35, 50, 100}) {
        EXPECT_EQ(unitRoutes()[static_cast<std::size_t>(output)], 37) << output;
    }
    EXPECT_EQ(unitRoutes()[60], 61); // not reverted from an old copy
    EXPECT_EQ(switcher().switchOver(unit)->outputs, (std::vector<int>{0, 35, 50, 100}));
    EXPECT_EQ(SwitchOverStore(dir.path().toStdString()).find(unit), switcher().switchOver(unit));
    EXPECT_EQ(journaled(JournalKind::SwitchOver).size(), 1u);
    EXPECT_EQ(journaled(JournalKind::SwitchConfirmed).size(), 1u);

    before = recorder->sent.size();
    ASSERT_TRUE(switcher().untrip(unit, 3));
    waitForTheStep(unit);
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::None);
    EXPECT_EQ(routingFramesSince(before).size(), 1u);
    for (const int output : {0, 35, 50, 100}) {
        EXPECT_EQ(unitRoutes()[static_cast<std::size_t>(output)], 35) << output;
    }
    EXPECT_EQ(unitRoutes()[37], 37); // "AN 6 OUT" keeps its own input
    EXPECT_FALSE(switcher().switchOver(unit));
    EXPECT_FALSE(SwitchOverStore(dir.path().toStdString()).find(unit));
    EXPECT_EQ(journaled(JournalKind::SwitchBack).size(), 1u);
}

// The trip frame lost on the way: the read-back shows the old routing, so the
// failure is shown and there is nothing to switch back.
TEST_F(SpareSwitchTest, ALostTripFrameIsAFailureAndLeavesNothingToSwitchBack) {
    connectToDemo({kLc});
    routeMicrophoneFour();
    listen();
    const DeviceUid unit = shown();
    recorder->lose = [](std::span<const std::uint8_t> f) { return f[17] == kSetRouting; };
    ASSERT_TRUE(switcher().trip(unit, 3, 5));
    waitForTheStep(unit);
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::Failed);
    EXPECT_FALSE(switcher().switchOver(unit));
    ASSERT_FALSE(said.empty());
    EXPECT_NE(said.back().find("did not switch input 4 over"), std::string::npos) << said.back();
    EXPECT_EQ(journaled(JournalKind::SwitchFailed).size(), 1u);

    recorder->lose = {};
    const std::size_t before = recorder->sent.size();
    EXPECT_FALSE(switcher().untrip(unit, 3));
    EXPECT_TRUE(routingFramesSince(before).empty());
    EXPECT_EQ(unitRoutes()[35], 35);
    EXPECT_EQ(unitRoutes()[37], 37);
}

// A send that fails: the key shows the failure, nothing is recorded as switched,
// and once the link carries frames again the same press switches over.
TEST_F(SpareSwitchTest, AFailedSendIsNeverShownAsSwitched) {
    connectToDemo({kLc});
    session->setReconnectAutomatically(true);
    routeMicrophoneFour();
    const DeviceUid unit = shown();
    recorder->failOnly = [](std::span<const std::uint8_t> f) { return f[17] == kSetRouting; };
    recorder->failWith = -1;
    ASSERT_TRUE(switcher().trip(unit, 3, 5));
    waitForTheStep(unit);
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::Failed);
    recorder->failWith = 0;
    ASSERT_EVENTUALLY(session->state().isConnected && session->unitsGathered(), 15000);
    EXPECT_NE(switcher().phase(unit), SwitchPhase::Switched);
    EXPECT_FALSE(switcher().switchOver(unit));
    EXPECT_EQ(unitRoutes()[35], 35);

    ASSERT_TRUE(switcher().trip(unit, 3, 5));
    waitForTheStep(unit);
    EXPECT_EQ(switcher().phase(unit), SwitchPhase::Switched);
    EXPECT_EQ(unitRoutes()[35], 37);
}

// Two LC units: a switch-over on one neither shows on nor changes the other, and
// a load into the other takes its table as it is.
TEST_F(SpareSwitchTest, EachUnitHasItsOwnSwitchOver) {
    connectToDemo({kLc, kLc});
    const DeviceUid a = shown();
    const DeviceUid b = session->discovered().at(1)->uid;
    ASSERT_TRUE(switcher().trip(a, 3, 5));
    waitForTheStep(a);
    ASSERT_EQ(switcher().phase(a), SwitchPhase::Switched);

    session->selectUnit(1);
    ASSERT_EQ(shown(), b);
    EXPECT_EQ(switcher().phase(b), SwitchPhase::None);
    EXPECT_EQ(switcher().channel(b), -1);
    DeviceRecord preset = session->current();
    preset.routeSource[7] = 35;
    const QString matrix = dir.filePath("b.vpf");
    writePreset(matrix, kPresetFileType, buildPresetBlock(preset));
    ui.answers.push_back(Answer::Yes);
    ui.files.push_back(matrix);
    session->command(command_id::loadMatrix);
    ASSERT_EVENTUALLY(!session->bulkTransfer() && unitRoutes(1)[7] == 35, 2000);
    EXPECT_EQ(unitRoutes(1)[35], 35);
    EXPECT_EQ(switcher().phase(a), SwitchPhase::Switched);
    EXPECT_EQ(unitRoutes(0)[35], 37);
}

// A load while a channel is switched over: the table that goes out already has
// the failed microphone on the spare, so it is never back on the air.
TEST_F(SpareSwitchTest, ALoadIsSwitchedOverBeforeItIsSent) {
    connectToDemo({kLc, kBase});
    const DeviceUid unit = shown();
    ASSERT_TRUE(switcher().trip(unit, 3, 5));
    waitForTheStep(unit);
    DeviceRecord preset = session->current();
    preset.routeSource[7] = 35;
    preset.routeSource[35] = 35;
    const QString matrix = dir.filePath("show.vpf");
    writePreset(matrix, kPresetFileType, buildPresetBlock(preset));
    const QString project = dir.filePath("show.vrj");
    const std::vector<std::pair<DeviceUid, PresetBlock>> units{
        {preset.uid, buildPresetBlock(preset)},
        {session->discovered().at(1)->uid, buildPresetBlock(*session->discovered().at(1))}};
    writePreset(project, kProjectFileType, encodeProjectData(units));

    for (const auto& [file, command] :
         {std::pair(matrix, command_id::loadMatrix), std::pair(project, command_id::loadProject)}) {
        const std::size_t before = recorder->sent.size();
        ui.answers.push_back(Answer::Yes);
        ui.files.push_back(file);
        session->command(command);
        ASSERT_EVENTUALLY(!session->bulkTransfer() && !switcher().busy(unit), 3000);
        for (const auto& frame : routingFramesSince(before)) {
            if (std::equal(unit.bytes.begin(), unit.bytes.end(), frame.begin() + 1)) {
                const RoutingTable sent = sourcesIn(frame);
                EXPECT_EQ(sent.sources[7], 37) << file.toStdString();
                EXPECT_EQ(sent.sources[35], 37) << file.toStdString();
            }
        }
        EXPECT_EQ(switcher().phase(unit), SwitchPhase::Switched) << file.toStdString();
        EXPECT_EQ(switcher().switchOver(unit)->outputs, (std::vector<int>{7, 35}));
    }
    EXPECT_EQ(unitRoutes(1)[35], 35); // the other unit has no microphones to switch

    // The way back gives the loaded table's outputs back.
    ASSERT_TRUE(switcher().untrip(unit, 3));
    waitForTheStep(unit);
    EXPECT_EQ(unitRoutes()[7], 35);
    EXPECT_EQ(unitRoutes()[35], 35);
}

TEST_F(SpareSwitchTest, WhatIsRefusedSendsNothing) {
    connectToDemo({kBase, kLc});
    listen();
    const std::size_t sent = recorder->sent.size();
    EXPECT_FALSE(switcher().trip(shown(), 3, 5)); // no microphone inputs
    session->selectUnit(1);
    const DeviceUid lc = shown();
    EXPECT_FALSE(switcher().trip(lc, 3, -1));
    EXPECT_EQ(said.back(), "Choose the spare input first");
    EXPECT_FALSE(switcher().trip(lc, 5, 5));
    EXPECT_FALSE(switcher().trip(lc, 32, 5));
    EXPECT_FALSE(switcher().untrip(lc, 3)); // nothing recorded
    EXPECT_TRUE(routingFramesSince(sent).empty());

    ASSERT_TRUE(switcher().trip(lc, 3, 5));
    EXPECT_FALSE(switcher().trip(lc, 3, 5)); // still running
    waitForTheStep(lc);
    switcher().press(lc, 9, 5); // another channel while 4 is switched over
    EXPECT_NE(said.back().find("Input 4 is switched over"), std::string::npos) << said.back();
    EXPECT_EQ(routingFramesSince(sent).size(), 1u);
}

// A switch-over recorded by an earlier run (or the command line) is checked
// against the unit's routing when the unit is read: still switched is shown as
// such, one the unit no longer has is cleared.
TEST_F(SpareSwitchTest, RecordedSwitchOversAreCheckedWhenTheUnitsAreRead) {
    session->useDemoUnits({kLc, kLc});
    const auto& units = rack().units();
    const DeviceUid held = units[0].uid();
    const DeviceUid gone = units[1].uid();
    routeOnUnit(0, {{35, 37}, {90, 37}});
    const SwitchOverStore store(dir.path().toStdString());
    ASSERT_TRUE(store.store(held, SwitchOver{3, 5, {35, 90}}).isEmpty());
    ASSERT_TRUE(store.store(gone, SwitchOver{3, 5, {35}}).isEmpty());
    session = std::make_unique<Session>(
        ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
    session->useDemoUnits({kLc, kLc});
    routeOnUnit(0, {{35, 37}, {90, 37}});
    recorder = std::make_unique<RecordingLink>(*session->demoLink());
    session->useLinkOverride(recorder.get());
    // The demo units take the ids of the stored ones.
    ASSERT_EQ(rack().units()[0].uid(), held);
    EXPECT_EQ(switcher().phase(held), SwitchPhase::Unconfirmed);
    session->connectOrDisconnect();
    ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    EXPECT_EQ(switcher().phase(held), SwitchPhase::Switched);
    EXPECT_EQ(switcher().phase(gone), SwitchPhase::None);
    EXPECT_FALSE(store.find(gone));
    EXPECT_EQ(journaled(JournalKind::SwitchCleared).size(), 1u);
}

TEST(SwitchOverStore, AFileThatIsNotUnderstoodIsKeptAside) {
    QTemporaryDir dir;
    const SwitchOverStore store(dir.path().toStdString());
    QFile file(QString::fromStdString(store.path().string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"units\": {\"0102\": 7");
    file.close();
    QString problem;
    EXPECT_TRUE(store.read(&problem).empty());
    EXPECT_FALSE(problem.isEmpty());
    DeviceUid unit;
    unit.bytes.fill(3);
    ASSERT_TRUE(store.store(unit, SwitchOver{1, 2, {4}}).isEmpty());
    EXPECT_TRUE(QFile::exists(file.fileName() + ".bad"));
    EXPECT_EQ(store.find(unit), (SwitchOver{1, 2, {4}}));
}
