// The matrix window without drawing: banks per model, switches, bus levels, the
// preset button, labels, the edits and their undo, as frames on the demo link.
#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/frame.h"
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "support/session_access.h"
#include "ui/models/matrix_model.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <map>

using namespace varento;
using namespace varento::testing;
namespace mc = varento::matrix_command;

namespace {

class MatrixModelTest : public DemoSessionTest {
protected:
    DeviceRecord& unit() { return SessionTestAccess::unit(*session); }

    // A unit known to the session without a link: its parameters are in.
    MatrixModel& offline(int model, int major = 6, int minor = 2, bool extended = false) {
        resetToPowerOnDefaults(unit());
        unit().model = static_cast<std::uint8_t>(model);
        unit().at(param::firmwareMajor) = static_cast<std::uint8_t>(major);
        unit().at(param::firmwareMinor) = static_cast<std::uint8_t>(minor);
        unit().setFlag(UnitFlag::MatrixMode, true);
        unit().setFlag(UnitFlag::ExtendedRouting, extended);
        unit().awaitingData = 0;
        matrix = std::make_unique<MatrixModel>(*session);
        return *matrix;
    }

    // What a parameters reply would announce after the unit changed.
    void unitReports() { emit session->parametersChanged(); }

    // Visible buttons by command, with their x.
    std::map<int, int> visible() const {
        std::map<int, int> out;
        for (const BankButton& b : matrix->bankButtons()) {
            if (b.visible) {
                out[b.command] = b.x;
            }
        }
        return out;
    }

    std::vector<RecordingLink::Sent> routingFramesSince(std::size_t from) const {
        std::vector<RecordingLink::Sent> out;
        for (std::size_t k = from; k < recorder->sent.size(); ++k) {
            const auto& frame = recorder->sent[k].frame;
            if (frame.size() > 17 && frame[17] == cmd::setRouting) {
                out.push_back(recorder->sent[k]);
            }
        }
        return out;
    }

    std::size_t rangeFrameLength(int lowest, int highest) const {
        FrameBuffer buffer{};
        return static_cast<std::size_t>(
            buildSetRoutingRange(buffer, session->current(), packRoutingRange(lowest, highest)));
    }

    void edit(GridCell start, GridCell end, std::optional<LineDirection> drag) {
        matrix->press(start);
        matrix->release(end, drag);
    }

    std::unique_ptr<MatrixModel> matrix;
};

} // namespace

// ---- banks --------------------------------------------------------------------------------------

TEST_F(MatrixModelTest, BankButtonsFollowModelFirmwareAndExtendedRouting) {
    offline(12, 6, 2);
    EXPECT_EQ(visible(), (std::map<int, int>{{104, 225},
                                             {105, 329},
                                             {106, 432},
                                             {112, 536},
                                             {100, 225},
                                             {101, 329},
                                             {102, 432},
                                             {113, 536}}));
    // Extended routing brings the MADI2 banks and moves the row together.
    unit().setFlag(UnitFlag::ExtendedRouting, true);
    unitReports();
    EXPECT_EQ(visible().at(mc::sourceMadi2First), 417);
    EXPECT_EQ(visible().at(mc::outputMadi2Second), 507);
    EXPECT_EQ(visible().at(mc::outputSum), 617);

    // Firmware 6.1 has no summing buses, even on a model that offers them.
    offline(12, 6, 1);
    EXPECT_FALSE(visible().contains(mc::sourceSum));
    EXPECT_FALSE(visible().contains(mc::outputSum));
    offline(14, 5, 9);
    EXPECT_FALSE(visible().contains(mc::outputSum));
    offline(14, 7, 0);
    EXPECT_TRUE(visible().contains(mc::outputSum));

    // The AES models name banks 0 and 1 by channels; the output row's first
    // button sits one pixel left of the source row's.
    offline(18, 2, 1, true);
    EXPECT_EQ(matrix->bankButton(mc::sourceAes)->caption, "AES 1..32");
    EXPECT_EQ(matrix->bankButton(mc::outputAnalog)->caption, "AES 33..64");
    EXPECT_EQ(visible().at(mc::sourceAes), 92);
    EXPECT_EQ(visible().at(mc::outputAes), 91);
    EXPECT_FALSE(visible().contains(mc::outputSum));

    // The converters offer ANALOG on one side only.
    offline(20);
    EXPECT_TRUE(visible().contains(mc::sourceAnalog));
    EXPECT_FALSE(visible().contains(mc::outputAnalog));
    offline(21);
    EXPECT_FALSE(visible().contains(mc::sourceAnalog));
    EXPECT_TRUE(visible().contains(mc::outputAnalog));

    // A model without its own row keeps the window's first layout.
    offline(22, 9, 9, true);
    EXPECT_EQ(visible(), (std::map<int, int>{{104, 132},
                                             {105, 252},
                                             {106, 372},
                                             {107, 492},
                                             {100, 132},
                                             {101, 252},
                                             {102, 372},
                                             {103, 492}}));
    EXPECT_EQ(matrix->bankButton(mc::sourceAes)->caption, "AES");
    EXPECT_EQ(matrix->bankButton(mc::sourceAnalog)->caption, "ANALOG");
}

TEST_F(MatrixModelTest, OwnBankCommandsReplaceBanksTheUnitLacks) {
    struct Case {
        const char* name;
        int model;
        bool extended;
        int outputCommand, sourceCommand;
        Banks expected;
    };
    const Case cases[] = {
        {"AES bank on a base model", 12, true, mc::outputAes, mc::sourceMadi2, {1, 2}},
        {"MADI2 without extended routing",
         11,
         false,
         mc::outputMadi2,
         mc::sourceMadi2First,
         {1, 2}},
        {"MADI2 with extended routing", 11, true, mc::outputMadi2First, mc::sourceMadi2, {4, 3}},
        {"PX without the MADI2 half key", 9, false, mc::outputMadi2First, mc::sourceAes, {1, 0}},
        {"PX2 without extended routing", 14, false, mc::outputAes, mc::sourceMadi2Second, {1, 2}},
        {"AES model beyond bank 3", 19, false, mc::outputSum, mc::sourceAes, {1, 2}},
        {"AES model with extended routing", 19, true, mc::outputMadi2First, mc::sourceAes, {4, 0}},
        {"no ANALOG outputs on 20", 20, false, mc::outputAnalog, mc::sourceMadi2, {2, 2}},
        {"ANALOG sources on 20", 20, false, mc::outputMadi2, mc::sourceAnalog, {3, 1}},
        {"no ANALOG sources on 21", 21, false, mc::outputMadi2, mc::sourceAnalog, {2, 2}},
        {"ANALOG outputs on 21", 21, false, mc::outputAnalog, mc::sourceMadi2, {1, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Chosen on a unit that has every bank, then the unit changes.
        offline(14, 7, 0, true);
        matrix->command(c.outputCommand);
        matrix->command(c.sourceCommand);
        unit().model = static_cast<std::uint8_t>(c.model);
        unit().setFlag(UnitFlag::ExtendedRouting, c.extended);
        emit session->matrixModeChanged(true);
        EXPECT_EQ(matrix->banks(), c.expected);
        const auto buttons = matrix->bankButtons();
        EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(),
                                [](const BankButton& b) { return b.pressed; }),
                  2);
    }
}

TEST_F(MatrixModelTest, BanksBehaveAsRadioButtonsAndSumNeverFacesSum) {
    offline(12);
    EXPECT_EQ(matrix->banks(), (Banks{1, 2}));
    auto pressed = [&] {
        std::vector<int> out;
        for (const BankButton& b : matrix->bankButtons()) {
            if (b.pressed) {
                out.push_back(b.command);
            }
        }
        return out;
    };
    EXPECT_EQ(pressed(), (std::vector<int>{mc::sourceMadi1, mc::outputAnalog}));
    QSignalSpy layout(matrix.get(), &MatrixModel::layoutChanged);
    EXPECT_FALSE(matrix->busLevelsVisible());
    ASSERT_TRUE(matrix->command(mc::outputSum));
    EXPECT_TRUE(matrix->busLevelsVisible());
    EXPECT_EQ(pressed(), (std::vector<int>{mc::sourceMadi1, mc::outputSum}));
    // SUM against SUM: the press springs back, nothing else changes.
    ASSERT_TRUE(matrix->command(mc::sourceSum));
    EXPECT_EQ(matrix->banks(), (Banks{kSumBank, 2}));
    EXPECT_EQ(pressed(), (std::vector<int>{mc::sourceMadi1, mc::outputSum}));
    EXPECT_EQ(layout.count(), 2); // the spring-back is redrawn
    matrix->command(mc::outputMadi2);
    EXPECT_FALSE(matrix->busLevelsVisible());
    matrix->command(mc::sourceSum);
    EXPECT_EQ(matrix->banks(), (Banks{3, kSumBank}));
    EXPECT_FALSE(matrix->command(114));
}

TEST_F(MatrixModelTest, CaptionsGainAndLoseTheirSumMarker) {
    offline(12);
    matrix->command(mc::outputSum);
    matrix->command(mc::sourceMadi2); // bank 3
    EXPECT_EQ(matrix->bankButton(mc::sourceMadi2)->caption, "MADI 33..64");
    edit({2, 5}, {2, 5}, std::nullopt);
    EXPECT_EQ(unit().routeFlags[101], 0x08);
    EXPECT_EQ(matrix->bankButton(mc::sourceMadi2)->caption, "MADI 33..64 +");
    EXPECT_EQ(matrix->bankButton(mc::outputMadi2)->caption, "MADI 33..64");
    EXPECT_EQ(matrix->sourceCaption(2), "MADI 1..32");
    edit({0, 6}, {0, 6}, std::nullopt);
    edit({2, 5}, {2, 5}, std::nullopt);
    EXPECT_EQ(matrix->bankButton(mc::sourceMadi2)->caption, "MADI 33..64 +");
    edit({0, 6}, {0, 6}, std::nullopt);
    EXPECT_EQ(matrix->bankButton(mc::sourceMadi2)->caption, "MADI 33..64");

    // On the AES models the channel names take the marker without a space.
    offline(19);
    unit().routeFlags[40] = 0x02;
    emit session->routingChanged();
    EXPECT_EQ(matrix->bankButton(mc::sourceAnalog)->caption, "AES 33..64+");
    EXPECT_EQ(matrix->bankButton(mc::sourceAes)->caption, "AES 1..32");
}

// ---- switches, levels, preset, labels -----------------------------------------------------------

TEST_F(MatrixModelTest, SwitchesFollowTheUnitAndEditThroughTheEditor) {
    offline(13, 4, 0);
    EXPECT_EQ(matrix->matrixMode(), (CheckBoxState{true, true, true}));
    EXPECT_EQ(matrix->extendedRouting(), (CheckBoxState{false, true, true}));
    QSignalSpy edits(session.get(), &Session::edited);
    matrix->setExtendedRouting(true);
    EXPECT_TRUE(session->current().flag(UnitFlag::ExtendedRouting));
    // The edit lays the row out again: MADI2 appears.
    EXPECT_TRUE(matrix->bankButton(mc::sourceMadi2First)->visible);
    matrix->command(mc::matrixMode);
    EXPECT_FALSE(session->current().flag(UnitFlag::MatrixMode));
    EXPECT_EQ(matrix->extendedRouting(), (CheckBoxState{true, false, true}));
    // Greyed out, it cannot be clicked.
    matrix->setExtendedRouting(false);
    EXPECT_TRUE(session->current().flag(UnitFlag::ExtendedRouting));
    EXPECT_EQ(edits.count(), 2);

    offline(9, 9, 9);
    EXPECT_FALSE(matrix->extendedRouting().visible);
    offline(13, 3, 9);
    EXPECT_FALSE(matrix->extendedRouting().visible);
}

// The bus levels share their bytes with the LED dim level (bit 3): "Bright" must
// neither blank a selector nor be dropped by a bus level change.
TEST_F(MatrixModelTest, BusLevelsLeaveTheLedDimBitAlone) {
    offline(12);
    unit().ledDimEdit1 = 0x08 | 0x20; // LED high bit, BUS 2 -12dB
    unit().ledDimEdit2 = 0x08 | 0x07; // LED low bit, BUS 3 -42dB
    EXPECT_EQ(matrix->busLevel(0), 0);
    EXPECT_EQ(matrix->busLevel(1), 2);
    EXPECT_EQ(matrix->busLevel(2), 7);
    EXPECT_EQ(matrix->busLevel(3), 0);
    QSignalSpy edits(session.get(), &Session::edited);
    matrix->setBusLevel(0, 1);
    EXPECT_EQ(unit().ledDimEdit1, 0x29);
    matrix->setBusLevel(3, 7);
    EXPECT_EQ(unit().ledDimEdit2, 0x7F);
    matrix->setBusLevel(4, 1);
    matrix->setBusLevel(0, 8);
    EXPECT_EQ(edits.count(), 2);
}

// A bus level changed on the unit (a reply) or by another front end reaches the
// selectors: the layout is compared with what was last shown, not with the record
// that has already changed.
TEST_F(MatrixModelTest, BusLevelsSetElsewhereReachTheSelectors) {
    offline(12);
    QSignalSpy layouts(matrix.get(), &MatrixModel::layoutChanged);
    unit().ledDimEdit1 = 0x02; // BUS 1 -12dB, as a parameters reply stores it
    unitReports();
    EXPECT_EQ(layouts.count(), 1);
    EXPECT_EQ(matrix->busLevel(0), 2);
    session->editor().setBusLevels(0x02, 0x30);
    EXPECT_EQ(layouts.count(), 2);
    EXPECT_EQ(matrix->busLevel(3), 3);
    unitReports(); // nothing new
    EXPECT_EQ(layouts.count(), 2);
}

TEST_F(MatrixModelTest, PresetCaptionReadFromTheProgramFolder) {
    const QString path = dir.path() + "/PresetLabel.txt";
    auto captionOf = [&](const std::optional<QByteArray>& content) {
        QFile::remove(path);
        if (content) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*content);
        }
        return MatrixModel(*session).presetLabel();
    };
    EXPECT_EQ(captionOf(std::nullopt), "Preset");
    EXPECT_EQ(captionOf(QByteArray("Studio A\r\nsecond line")), "Studio A");
    EXPECT_EQ(captionOf(QByteArray("Caf\xe9 B")), QString::fromUtf8("Café B"));
    EXPECT_EQ(captionOf(QByteArray()), "");
    EXPECT_EQ(captionOf(QByteArray("\r\nlater")), "");
    EXPECT_EQ(captionOf(QByteArray(300, 'x')).size(), 256);
}

TEST_F(MatrixModelTest, PresetButtonStoresThenLoadsAndIsReleasedWhenStoringFails) {
    offline(12);
    EXPECT_FALSE(matrix->presetStored());
    matrix->presetClick(false);
    EXPECT_TRUE(matrix->presetStored());
    EXPECT_TRUE(QFile::exists(session->routingPresetPath()));
    matrix->press({0, 0});
    matrix->release({0, 0}, std::nullopt);
    ASSERT_NE(session->current().routeSource[32], 32);
    matrix->presetClick(false); // loads
    EXPECT_EQ(session->current().routeSource[32], 32);
    EXPECT_TRUE(matrix->presetStored());

    // The preset file cannot be written: the button is released, so the next
    // click stores again.
    ASSERT_TRUE(QFile::remove(session->routingPresetPath()));
    ASSERT_TRUE(QDir(dir.path()).mkdir("_Preset.vpf"));
    matrix->presetClick(true);
    EXPECT_FALSE(matrix->presetStored());
    auto fresh = std::make_unique<MatrixModel>(*session);
    fresh->presetClick(false);
    EXPECT_FALSE(fresh->presetStored());
}

TEST_F(MatrixModelTest, LabelsOfTheShownBanks) {
    offline(12);
    EXPECT_EQ(matrix->sourceLabelIndex(0), 64);
    EXPECT_EQ(matrix->outputLabelIndex(31), 255);
    matrix->command(mc::outputSum);
    matrix->command(mc::sourceMadi2First);
    EXPECT_EQ(matrix->outputLabelIndex(3), 387);
    EXPECT_EQ(matrix->outputLabelIndex(4), -1);
    EXPECT_EQ(matrix->sourceLabelIndex(31), 159);
    matrix->command(mc::outputMadi2Second);
    matrix->command(mc::sourceSum);
    EXPECT_EQ(matrix->outputLabelIndex(0), 352);
    EXPECT_EQ(matrix->sourceLabelIndex(2), 386);
    EXPECT_EQ(matrix->sourceLabelIndex(4), -1);

    QSignalSpy labels(matrix.get(), &MatrixModel::labelsChanged);
    matrix->editLabel(matrix->outputLabelIndex(1), "Main R");
    EXPECT_EQ(labelText(session->current().labels[353]), "Main R");
    EXPECT_EQ(matrix->labelText(353), "Main R");
    EXPECT_EQ(labels.count(), 1);
    EXPECT_EQ(matrix->labelText(-1), "");
}

// ---- edits
// ---------------------------------------------------------------------------------------

TEST_F(MatrixModelTest, ClicksWithoutDragEditingEditTheStartCell) {
    offline(12);
    session->state().matrixDraggingMode = false;
    QSignalSpy grid(matrix.get(), &MatrixModel::gridChanged);
    matrix->press({4, 7});
    EXPECT_FALSE(matrix->dragDirection());
    EXPECT_EQ(matrix->release({20, 20}, LineDirection::DownRight), (RoutedRange{36, 36}));
    EXPECT_EQ(session->current().routeSource[36], 71);
    EXPECT_EQ(session->current().routeSource[37], 37);
    EXPECT_EQ(matrix->grid().cell(71, 36), kCellRouted);
    EXPECT_GE(grid.count(), 1);
    // A release without a press, or after one outside the grid, does nothing.
    EXPECT_FALSE(matrix->release({4, 7}, std::nullopt));
    matrix->press({4, 7});
    matrix->cancelPress();
    EXPECT_FALSE(matrix->release({4, 7}, std::nullopt));
    EXPECT_EQ(session->current().routeSource[36], 71);
}

TEST_F(MatrixModelTest, DragPreviewFollowsTheMouse) {
    offline(12);
    matrix->press({3, 3});
    EXPECT_EQ(matrix->dragDirection(), LineDirection::DownRight);
    EXPECT_EQ(matrix->dragPreview().size(), 1u);
    matrix->move({8, 3});
    EXPECT_EQ(matrix->dragDirection(), LineDirection::Right);
    EXPECT_EQ(matrix->dragPreview().size(), 6u);
    matrix->move({3, 10});
    EXPECT_EQ(matrix->dragDirection(), LineDirection::DownRight); // no vertical line here
    matrix->command(mc::outputSum);
    matrix->press({1, 3});
    matrix->move({1, 10});
    EXPECT_EQ(matrix->dragDirection(), LineDirection::Down);
    EXPECT_EQ(matrix->dragPreview().size(), 8u);
}

TEST_F(MatrixModelTest, SumBankIgnoresStartsBeyondTheBusesAndClampsTheRelease) {
    offline(12);
    matrix->command(mc::outputSum);
    const RoutingTable before = RoutingTable::of(session->current());
    QSignalSpy edits(session.get(), &Session::edited);
    matrix->press({5, 0});
    EXPECT_FALSE(matrix->release({2, 0}, LineDirection::Left));
    EXPECT_EQ(RoutingTable::of(session->current()), before);
    EXPECT_EQ(edits.count(), 0);
    EXPECT_FALSE(matrix->canUndo());

    // Released far right, the line ends on BUS 4.
    matrix->press({1, 0});
    const auto range = matrix->release({25, 0}, LineDirection::Right);
    ASSERT_TRUE(range);
    EXPECT_TRUE(range->wholeTable());
    EXPECT_EQ(session->current().routeFlags[64], 0x04 | 0x08 | 0x10);

    // With the buses as sources, rows past the fourth are as dead.
    matrix->command(mc::outputMadi1);
    matrix->command(mc::sourceSum);
    matrix->press({0, 6});
    EXPECT_FALSE(matrix->release({0, 6}, std::nullopt));
    matrix->press({0, 0});
    // The four bus rows end the line; the frame covers the columns up to the release.
    EXPECT_EQ(matrix->release({9, 9}, LineDirection::DownRight), (RoutedRange{64, 73}));
    EXPECT_EQ(session->current().routeSource[67], 195);
    EXPECT_EQ(session->current().routeSource[68], 68);
}

// ---- undo and redo on the demo link
// --------------------------------------------------------------

TEST_F(MatrixModelTest, FullDiagonalSendsOneRangeAndUndoRedoRestoreExactly) {
    connectToDemo({12});
    matrix = std::make_unique<MatrixModel>(*session);
    const RoutingTable original = RoutingTable::of(session->current());
    QSignalSpy history(matrix.get(), &MatrixModel::historyChanged);
    std::size_t mark = recorder->sent.size();

    matrix->press({0, 0});
    ASSERT_EQ(matrix->startValue(), kCellFree);
    matrix->move({31, 31});
    EXPECT_EQ(matrix->release({31, 31}, matrix->dragDirection()), (RoutedRange{32, 63}));
    auto frames = routingFramesSince(mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame.size(), rangeFrameLength(32, 63));
    EXPECT_EQ(frames[0].frame.size() - rangeFrameLength(32, 32), 31u * 4);
    const RoutingTable routed = RoutingTable::of(session->current());
    for (int k = 0; k < kBankSize; ++k) {
        EXPECT_EQ(routed.sources[static_cast<std::size_t>(32 + k)], 64 + k);
    }
    EXPECT_TRUE(matrix->canUndo());
    EXPECT_FALSE(matrix->canRedo());
    ASSERT_EVENTUALLY(rack().units()[0].state().routeSource[63] == 95, 3000);

    mark = recorder->sent.size();
    matrix->undo();
    EXPECT_EQ(RoutingTable::of(session->current()), original);
    frames = routingFramesSince(mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame.size(), rangeFrameLength(32, 63));
    EXPECT_FALSE(matrix->canUndo());
    EXPECT_TRUE(matrix->canRedo());
    EXPECT_EQ(matrix->grid().cell(64, 32), kCellFree);
    ASSERT_EVENTUALLY(rack().units()[0].state().routeSource[63] == original.sources[63], 3000);

    mark = recorder->sent.size();
    matrix->redo();
    EXPECT_EQ(RoutingTable::of(session->current()), routed);
    EXPECT_EQ(routingFramesSince(mark).size(), 1u);

    // Load Matrix cancelled in its file dialog loaded nothing: the history stays.
    ui.answers.push_back(Answer::Yes);
    session->command(command_id::loadMatrix); // no file given: the dialog is cancelled
    EXPECT_TRUE(matrix->canUndo());
    EXPECT_EQ(matrix->grid().cell(64, 32), kCellRouted);
    EXPECT_GE(history.count(), 3);

    // A new edit after an undo drops what could be redone.
    matrix->undo();
    edit({5, 5}, {5, 5}, std::nullopt);
    EXPECT_FALSE(matrix->canRedo());
    // An edit that changes nothing still goes out, but leaves no step to undo.
    matrix->undo();
    mark = recorder->sent.size();
    edit({7, 12}, {7, 3}, LineDirection::DownRight);
    EXPECT_EQ(routingFramesSince(mark).size(), 1u);
    EXPECT_FALSE(matrix->canUndo());
    EXPECT_EQ(RoutingTable::of(session->current()), original);
}

TEST_F(MatrixModelTest, SumEditsAndTheirUndoSendTheWholeTable) {
    connectToDemo({12});
    matrix = std::make_unique<MatrixModel>(*session);
    matrix->command(mc::outputSum);
    const RoutingTable original = RoutingTable::of(session->current());
    std::size_t mark = recorder->sent.size();
    matrix->press({2, 3});
    matrix->move({2, 8});
    ASSERT_EQ(matrix->dragDirection(), LineDirection::Down);
    matrix->release({2, 8}, matrix->dragDirection());
    auto frames = routingFramesSince(mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame.size(), rangeFrameLength(0, kWireRouteSlots - 1));
    for (int s = 67; s <= 72; ++s) {
        EXPECT_EQ(session->current().routeFlags[static_cast<std::size_t>(s)], 0x08);
    }

    // An ordinary edit afterwards, then both undone, newest first.
    matrix->command(mc::outputAnalog);
    edit({0, 0}, {0, 0}, std::nullopt);
    mark = recorder->sent.size();
    matrix->undo();
    frames = routingFramesSince(mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame.size(), rangeFrameLength(32, 32));
    mark = recorder->sent.size();
    matrix->undo();
    frames = routingFramesSince(mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].frame.size(), rangeFrameLength(0, kWireRouteSlots - 1));
    EXPECT_EQ(RoutingTable::of(session->current()), original);
    ASSERT_EVENTUALLY(rack().units()[0].state().routeFlags[70] == original.flags[70], 3000);
}

TEST_F(MatrixModelTest, UndoPutsBackOnlyWhatTheStepChanged) {
    offline(12);
    matrix->command(mc::outputSum);
    edit({0, 0}, {0, 0}, std::nullopt); // source 64 onto BUS 1: the whole table goes out
    // The unit meanwhile reports another routing.
    unit().routeSource[40] = 6;
    emit session->routingChanged();
    ASSERT_TRUE(matrix->canUndo());
    matrix->undo();
    EXPECT_EQ(session->current().routeFlags[64], 0);
    EXPECT_EQ(session->current().routeSource[40], 6);
    matrix->redo();
    EXPECT_EQ(session->current().routeFlags[64], 0x02);
    EXPECT_EQ(session->current().routeSource[40], 6);
}

TEST_F(MatrixModelTest, HistoryBelongsToTheUnitAndEndsWithALoad) {
    connectToDemo({12, 14});
    matrix = std::make_unique<MatrixModel>(*session);
    // Routing replies of the same unit keep it.
    edit({0, 0}, {3, 3}, LineDirection::DownRight);
    ASSERT_TRUE(matrix->canUndo());
    // Another client routes output 100; the unit's next routing reply says so.
    DeviceRecord other = session->current();
    other.routeSource[100] = 7;
    FrameBuffer buffer{};
    const int length = buildSetRoutingRange(buffer, other, packRoutingRange(100, 100));
    rack()
        .find(session->current().uid)
        ->receive(std::span(buffer.data(), static_cast<std::size_t>(length)));
    ASSERT_EVENTUALLY(session->current().routeSource[100] == 7, 5000);
    EXPECT_TRUE(matrix->canUndo());

    // Another unit: nothing to undo there, nothing to redo on return.
    QSignalSpy history(matrix.get(), &MatrixModel::historyChanged);
    session->selectUnit(1);
    EXPECT_FALSE(matrix->canUndo());
    EXPECT_EQ(history.count(), 1);
    session->selectUnit(0);
    EXPECT_FALSE(matrix->canUndo());

    // A preset load replaces the routing the steps were made against.
    edit({0, 0}, {0, 0}, std::nullopt);
    ASSERT_TRUE(matrix->canUndo());
    ASSERT_TRUE(session->storeRoutingPreset());
    ASSERT_TRUE(matrix->canUndo());
    ASSERT_TRUE(session->loadRoutingPreset());
    EXPECT_FALSE(matrix->canUndo());
    EXPECT_FALSE(matrix->canRedo());

    // So does a reset to factory defaults.
    edit({0, 0}, {0, 0}, std::nullopt);
    session->editor().resetToFactoryDefaults();
    EXPECT_FALSE(matrix->canUndo());
}

// Whatever bank was chosen on one unit, after a switch to another every selected
// bank has its key shown there: no SUM grid on a unit without buses, no MADI2 on
// a unit without it.
TEST_F(MatrixModelTest, AfterAUnitSwitchEverySelectedBankHasItsKey) {
    const std::vector<int> models{12, 11, 9, 14, 20};
    connectToDemo(models);
    matrix = std::make_unique<MatrixModel>(*session);
    const auto keyShown = [&](bool sourceRow) {
        const int bank = sourceRow ? matrix->sourceBank() : matrix->outputBank();
        for (const BankButton& b : matrix->bankButtons()) {
            if (b.visible && b.sourceRow == sourceRow && b.pressed) {
                return true;
            }
        }
        return bank < 0;
    };
    for (int from = 0; from < static_cast<int>(models.size()); ++from) {
        session->selectUnit(from);
        std::vector<int> commands;
        for (const BankButton& b : matrix->bankButtons()) {
            if (b.visible) {
                commands.push_back(b.command);
            }
        }
        for (const int command : commands) {
            for (int to = 0; to < static_cast<int>(models.size()); ++to) {
                session->selectUnit(from);
                matrix->command(command);
                session->selectUnit(to);
                EXPECT_TRUE(keyShown(false) && keyShown(true))
                    << "model " << models[static_cast<std::size_t>(from)] << " key " << command
                    << " then model " << models[static_cast<std::size_t>(to)] << ": banks "
                    << matrix->outputBank() << "/" << matrix->sourceBank();
            }
        }
    }
}
