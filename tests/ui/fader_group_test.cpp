#include "ui/models/fader_group.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace varento;

namespace {

using Kind = FaderModel::Kind;

// Eight gain faders at unity in a group on a manual clock; the log is what the
// owner would send.
struct Row {
    qint64 now = 0;
    std::vector<std::unique_ptr<FaderModel>> faders;
    FaderGroup group{[this] { return now; }};
    QStringList sent;

    Row() {
        std::vector<FaderModel*> raw;
        for (int id = 0; id < 8; ++id) {
            faders.push_back(std::make_unique<FaderModel>(Kind::Gain, id));
            faders.back()->setPosition(95);
            raw.push_back(faders.back().get());
        }
        group.attach(raw);
        QObject::connect(&group, &FaderGroup::commitOne,
                         [this](int i) { sent << QStringLiteral("one %1").arg(i); });
        QObject::connect(&group, &FaderGroup::commitAll, [this] { sent << "all"; });
    }

    FaderModel& at(int i) { return *faders[static_cast<size_t>(i)]; }

    // Drags fader i by `steps` moves of `pixels` each, `msPerStep` apart, and lets go.
    void drag(int i, int steps, int pixels, int msPerStep) {
        FaderModel& f = at(i);
        f.advanceTo(now);
        const int grabY = f.position() + 10;
        f.leftPress(grabY, {});
        for (int s = 1; s <= steps; ++s) {
            now += msPerStep;
            f.advanceTo(now);
            group.runDue();
            f.pointerMove(grabY + s * pixels);
        }
        f.leftRelease();
    }
};

} // namespace

TEST(FaderGroup, GroupDragMovesTheOthersAndSendsOneMessageAfterTheLastStep) {
    Row row;
    row.group.add(3);
    row.group.selectRange(6); // 3..6, anchor 6
    ASSERT_EQ(row.group.anchor(), 6);

    row.drag(4, 3, 3, 120); // about 9 pixels in three steps; the fader commits every 100 ms
    const int moved = row.at(4).position();
    EXPECT_GE(moved, 95 + 9);
    for (int i : {3, 5, 6}) {
        EXPECT_EQ(row.at(i).position(), moved) << i;
    }
    EXPECT_EQ(row.at(2).position(), 95);
    EXPECT_EQ(row.at(7).position(), 95);
    EXPECT_TRUE(row.sent.isEmpty()) << row.sent.join(", ").toStdString();
    EXPECT_TRUE(row.group.groupMovePending());

    row.now += FaderGroup::kGroupCommitDelayMs - 1;
    row.group.runDue();
    EXPECT_TRUE(row.sent.isEmpty());
    row.now += 1;
    row.group.runDue();
    EXPECT_EQ(row.sent, QStringList{"all"});
    EXPECT_FALSE(row.group.groupMovePending());

    // Afterwards a single fader commits on its own again.
    row.group.clearSelection();
    row.at(0).advanceTo(row.now);
    row.at(0).wheel(FaderModel::kWheelNotch);
    EXPECT_EQ(row.sent.last(), "one 0");
}

TEST(FaderGroup, AFollowerStopsAtItsOwnLimit) {
    Row row;
    row.at(1).setPosition(185);
    row.group.add(1);
    row.group.add(2);
    row.drag(2, 1, 30, 10);
    EXPECT_GE(row.at(2).position(), 125);
    EXPECT_EQ(row.at(1).position(), 185); // already at its bottom
}

TEST(FaderGroup, AMoveWithoutOtherSelectedFadersCommitsSingly) {
    Row row;
    row.group.add(2);
    row.drag(2, 2, 3, 120);
    EXPECT_FALSE(row.group.groupMovePending());
    EXPECT_TRUE(row.sent.contains("one 2"));
    EXPECT_FALSE(row.sent.contains("all"));
}

TEST(FaderGroup, FaderClicksDriveTheSelection) {
    Row row;
    int focused = -1;
    QObject::connect(&row.group, &FaderGroup::focusRequested, [&](int i) { focused = i; });

    row.at(1).leftPress(5, {}); // a plain click: clear, anchor with focus
    row.at(1).leftRelease();
    EXPECT_EQ(focused, 1);
    row.at(4).leftPress(5, Qt::ShiftModifier);
    row.at(4).leftRelease();
    EXPECT_EQ(row.group.selection(),
              (std::vector<bool>{false, true, true, true, true, false, false, false}));
    EXPECT_TRUE(row.at(3).selected());

    row.at(2).leftPress(5, Qt::ControlModifier); // toggles out
    row.at(2).leftRelease();
    EXPECT_FALSE(row.group.isSelected(2));
    EXPECT_FALSE(row.at(2).selected());

    row.at(6).leftPress(5, {}); // a click outside the selection starts a new one
    row.at(6).leftRelease();
    EXPECT_EQ(row.group.selection(),
              (std::vector<bool>{false, false, false, false, false, false, true, false}));

    row.at(6).keyPress(Qt::Key_Right, {});
    EXPECT_EQ(focused, 7);
    EXPECT_TRUE(row.group.isSelected(7));
    EXPECT_FALSE(row.group.isSelected(6));
}

// Hidden faders take no part: the arrow keys skip them, a range and select-all
// leave them out, and a group drag does not move them.
TEST(FaderGroup, HiddenFadersAreSkippedEverywhere) {
    Row row;
    row.group.setShown({true, true, false, false, true, true, true, false});
    int focused = -1;
    QObject::connect(&row.group, &FaderGroup::focusRequested, [&](int i) { focused = i; });
    row.at(1).leftPress(5, {});
    row.at(1).leftRelease();
    row.at(1).keyPress(Qt::Key_Right, {});
    EXPECT_EQ(focused, 4);
    row.at(6).leftPress(5, {});
    row.at(6).leftRelease();
    row.at(6).keyPress(Qt::Key_Right, {});
    EXPECT_EQ(focused, 6);
    row.at(0).leftPress(5, Qt::ShiftModifier);
    row.at(0).leftRelease();
    EXPECT_EQ(row.group.selection(),
              (std::vector<bool>{true, true, false, false, true, true, true, false}));
    row.group.selectAll();
    EXPECT_EQ(row.group.anchor(), 6);
    EXPECT_FALSE(row.group.isSelected(7));
    row.drag(4, 3, 6, 40);
    EXPECT_EQ(row.at(2).position(), 95);
    EXPECT_EQ(row.at(7).position(), 95);
}

TEST(FaderGroup, RestoringAPageSetsTheFramesAndIgnoresABadAnchor) {
    Row row;
    row.group.restoreSelection({true, false, true}, 42);
    EXPECT_TRUE(row.at(0).selected());
    EXPECT_TRUE(row.at(2).selected());
    EXPECT_FALSE(row.at(5).selected());
    EXPECT_FALSE(row.group.anchor().has_value());
    row.group.selectRange(3); // no anchor: just this one
    EXPECT_EQ(row.group.selection(),
              (std::vector<bool>{false, false, false, true, false, false, false, false}));
}

TEST(FaderGroup, APendingMoveCanBeSentAtOnceOrDropped) {
    for (const bool commit : {true, false}) {
        Row row;
        row.group.add(1);
        row.group.add(2);
        row.drag(2, 1, 6, 10);
        ASSERT_TRUE(row.group.groupMovePending());
        row.group.finishGroupMove(commit);
        EXPECT_FALSE(row.group.groupMovePending());
        EXPECT_EQ(row.sent, commit ? QStringList{"all"} : QStringList{});
        // Nothing follows when the delay would have run out.
        row.now += FaderGroup::kGroupCommitDelayMs;
        row.group.runDue();
        EXPECT_EQ(row.sent.size(), commit ? 1 : 0);
    }
}
