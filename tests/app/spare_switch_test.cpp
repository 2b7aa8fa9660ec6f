// The spare-microphone switch-over as Session runs it for the trigger window, its
// menu item and the command line.
#include "app/session.h"
#include "files/preset_block.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "protocol/catalog.h"
#include "support/demo_session.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr int kLc = 11;   // has microphone inputs
constexpr int kBase = 12; // has none

class SpareSwitchTest : public DemoSessionTest {
protected:
    std::vector<std::vector<std::uint8_t>> routingFramesSince(std::size_t from) const {
        std::vector<std::vector<std::uint8_t>> frames;
        for (std::size_t i = from; i < recorder->sent.size(); ++i) {
            if (recorder->sent[i].frame[17] == 0x22) {
                frames.push_back(recorder->sent[i].frame);
            }
        }
        return frames;
    }

    // Outputs 0 and 100 also take analog input 4 (source 35); the spare input 6
    // (source 37) feeds nothing, as a spare should.
    void routeMicrophoneFour() {
        RoutingTable table = RoutingTable::of(session->current());
        table.sources[0] = 35;
        table.sources[100] = 35;
        table.sources[37] = kNoSource;
        session->editor().setRoutingRange(0, 100, table);
        ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    }

    const std::array<std::uint8_t, kRouteSlots>& unitRoutes(int unit = 0) {
        return rack().units()[static_cast<std::size_t>(unit)].state().routeSource;
    }

    void writePreset(const QString& path, std::uint8_t type, std::span<const std::uint8_t> data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const auto bytes = encodePresetFile(type, data);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
};

} // namespace

// Spare list on "6", channel button 4: every output of source 35 goes to 37 in one
// routing frame from output 0, and pressing it again brings them back.
TEST_F(SpareSwitchTest, TripMovesEveryRouteOfTheChannelToTheSpareAndUntripBack) {
    connectToDemo({kLc});
    routeMicrophoneFour();
    QSignalSpy tripped(session.get(), &Session::trippedChannelChanged);
    std::size_t before = recorder->sent.size();

    ASSERT_TRUE(session->spareSwitch(SpareStep::Trip, 3, 5));
    EXPECT_EQ(session->trippedChannel(), 3);
    const auto trip = routingFramesSince(before);
    ASSERT_EQ(trip.size(), 1u);
    EXPECT_EQ(trip[0].size(), 19u + 4u * 101u); // outputs 0..100, the highest one moved
    for (const int output : {0, 35, 100}) {
        EXPECT_EQ(session->current().routeSource[static_cast<std::size_t>(output)], 37) << output;
    }
    EXPECT_EQ(session->current().routeSource[36], 36);
    ASSERT_EVENTUALLY(unitRoutes()[100] == 37 && unitRoutes()[0] == 37, 2000);
    EXPECT_FALSE(session->state().matrixSaved);

    ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    before = recorder->sent.size();
    ASSERT_TRUE(session->spareSwitch(SpareStep::Untrip, 3, 5));
    EXPECT_EQ(session->trippedChannel(), -1);
    EXPECT_EQ(routingFramesSince(before).size(), 1u);
    ASSERT_EVENTUALLY(unitRoutes()[0] == 35 && unitRoutes()[35] == 35 && unitRoutes()[100] == 35,
                      2000);
    EXPECT_EQ(unitRoutes()[37], kNoSource);
    ASSERT_EQ(tripped.count(), 2);
    EXPECT_EQ(tripped.at(1).at(0).toInt(), -1);
}

// A press must always reach the unit: with nothing to move, output 0 alone goes.
TEST_F(SpareSwitchTest, AChannelThatFeedsNothingStillSendsOneFrame) {
    connectToDemo({kLc});
    RoutingTable table = RoutingTable::of(session->current());
    table.sources[40] = kNoSource; // analog input 9 feeds nothing now
    session->editor().setRoutingRange(40, 40, table);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 2000);
    const std::size_t before = recorder->sent.size();
    ASSERT_TRUE(session->spareSwitch(SpareStep::Trip, 8, 20));
    const auto frames = routingFramesSince(before);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].size(), 19u + 4u);
    EXPECT_EQ(session->trippedChannel(), 8);
}

TEST_F(SpareSwitchTest, RefusedWithoutMicrophoneInputsOrOutOfRange) {
    connectToDemo({kBase, kLc});
    const std::size_t sent = recorder->sent.size();
    EXPECT_FALSE(session->spareSwitch(SpareStep::Trip, 3, 5));
    session->selectUnit(1);
    ASSERT_TRUE(hasMicInputs(session->current().model));
    EXPECT_FALSE(session->spareSwitch(SpareStep::Trip, 32, 5));
    EXPECT_FALSE(session->spareSwitch(SpareStep::Trip, 3, -1));
    EXPECT_EQ(session->trippedChannel(), -1);
    EXPECT_EQ(routingFramesSince(sent).size(), 0u);
    EXPECT_EQ(session->current().routeSource[35], 35);
}

// A routing loaded while a channel is tripped keeps the failed microphone off the
// air: its routes go to the spare again, and reach the unit.
TEST_F(SpareSwitchTest, LoadedRoutingIsSwitchedOverAgain) {
    connectToDemo({kLc, kBase});
    session->state().lastEmergencyChannel = 5;
    DeviceRecord preset = session->current();
    preset.routeSource[7] = 35;
    const QString matrix = dir.filePath("show.vpf");
    writePreset(matrix, kPresetFileType, buildPresetBlock(preset));
    const QString project = dir.filePath("show.vrj");
    const std::vector<std::pair<DeviceUid, PresetBlock>> units{
        {preset.uid, buildPresetBlock(preset)},
        {session->discovered().at(1)->uid, buildPresetBlock(*session->discovered().at(1))}};
    writePreset(project, kProjectFileType, encodeProjectData(units));

    // Nothing tripped: a load is taken as it is.
    ui.files.push_back(matrix);
    session->command(command_id::loadMatrix);
    ASSERT_EVENTUALLY(!session->bulkTransfer() && unitRoutes()[7] == 35, 2000);

    ASSERT_TRUE(session->spareSwitch(SpareStep::Trip, 3, 5));
    ui.files.push_back(matrix);
    session->command(command_id::loadMatrix);
    EXPECT_EQ(session->current().routeSource[7], 37);
    EXPECT_EQ(session->current().routeSource[35], 37);
    ASSERT_EVENTUALLY(!session->bulkTransfer() && unitRoutes()[7] == 37 && unitRoutes()[35] == 37,
                      2000);

    ui.files.push_back(project);
    session->command(command_id::loadProject);
    ASSERT_EVENTUALLY(!session->bulkTransfer(), 3000);
    EXPECT_EQ(session->current().uid, preset.uid);
    EXPECT_EQ(session->current().routeSource[7], 37);
    ASSERT_EVENTUALLY(unitRoutes()[7] == 37 && unitRoutes()[35] == 37, 2000);
    EXPECT_EQ(unitRoutes(1)[35], 35); // the other unit has no microphones to switch
    EXPECT_EQ(session->trippedChannel(), 3);
}
