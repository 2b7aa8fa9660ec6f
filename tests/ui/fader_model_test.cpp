#include "ui/models/fader_model.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace varento;

namespace {

using Kind = FaderModel::Kind;

// What the owner sees, in order.
struct Owner {
    QStringList log;

    explicit Owner(FaderModel& fader) {
        QObject::connect(&fader, &FaderModel::moved,
                         [this](int delta) { log << QStringLiteral("moved %1").arg(delta); });
        QObject::connect(&fader, &FaderModel::commit, [this] { log << "commit"; });
        QObject::connect(&fader, &FaderModel::labelChanged, [this] { log << "label"; });
        QObject::connect(&fader, &FaderModel::clearSelectionRequested, [this] { log << "clear"; });
        QObject::connect(&fader, &FaderModel::selectAnchorRequested, [this] { log << "anchor"; });
        QObject::connect(&fader, &FaderModel::extendSelectionRequested,
                         [this] { log << "extend"; });
        QObject::connect(&fader, &FaderModel::toggleSelectionRequested,
                         [this] { log << "toggle"; });
        QObject::connect(&fader, &FaderModel::selectAllRequested, [this] { log << "all"; });
        QObject::connect(&fader, &FaderModel::neighbourRequested,
                         [this](int id) { log << QStringLiteral("neighbour %1").arg(id); });
    }

    QStringList take() { return std::exchange(log, {}); }
};

// Grabs the knob 10 pixels below its top edge.
void grab(FaderModel& fader) {
    fader.leftPress(fader.position() + 10, {});
}

} // namespace

TEST(FaderModel, GainEndsReadSixtyThreeAndEightAtBothNeighbouringPositions) {
    EXPECT_EQ(FaderModel::gainAt(20), 63);
    EXPECT_EQ(FaderModel::gainAt(21), 63);
    EXPECT_EQ(FaderModel::gainAt(185), 8);
    EXPECT_EQ(FaderModel::gainAt(186), 8);
    for (int gain = 8; gain <= 63; ++gain) {
        EXPECT_EQ(FaderModel::gainAt(FaderModel::gainPosition(gain)), gain) << gain;
    }
    EXPECT_EQ(FaderModel::gainPosition(63), 20);
    EXPECT_EQ(FaderModel::gainPosition(5), 185);
    EXPECT_EQ(FaderModel::gainPosition(70), 20);
}

TEST(FaderModel, DraggedPastTheEndsAGainFaderSnapsToTwentyOneAndOneEightySix) {
    FaderModel fader(Kind::Gain, 3);
    fader.setPosition(95);
    grab(fader);
    fader.pointerMove(1000);
    EXPECT_EQ(fader.position(), 186);
    EXPECT_EQ(fader.gainValue(), 8);
    EXPECT_EQ(fader.valueText(), "0");
    fader.pointerMove(-1000);
    EXPECT_EQ(fader.position(), 21);
    EXPECT_EQ(fader.gainValue(), 63);
}

TEST(FaderModel, UnityGainStandsAtTheUnityPositionAndReadsZeroWithPad) {
    FaderModel fader(Kind::Gain, 0);
    fader.setPosition(FaderModel::gainPosition(38));
    EXPECT_EQ(fader.position(), fader.unityPosition());
    EXPECT_EQ(fader.valueText(), "-30");
    fader.setPad(true);
    EXPECT_EQ(fader.valueText(), "0");
}

TEST(FaderModel, ReferencedFormCountsFromTheReferenceLevel) {
    FaderModel fader(Kind::Gain, 0);
    fader.setPosition(FaderModel::gainPosition(8));
    fader.setDisplayFlags(1);
    fader.setReferenceLevel(4);
    EXPECT_EQ(fader.valueText(), "4");
    fader.setPad(true);
    EXPECT_EQ(fader.valueText(), "-26");
}

TEST(FaderModel, LevelFaderReadsOffOnlyAtItsBottom) {
    FaderModel fader(Kind::Level, 5000);
    fader.setPosition(fader.bottomLimit());
    EXPECT_EQ(fader.valueText(), "OFF");
    fader.setPosition(fader.bottomLimit() - 1);
    EXPECT_EQ(fader.valueText(), "-90");
    fader.setPosition(21);
    EXPECT_EQ(fader.valueText(), "18");
    // The two scales meet with a jump: 194 still reads -68, 195 already -72.
    EXPECT_EQ(FaderModel::levelAt(194), -68);
    EXPECT_EQ(FaderModel::levelAt(195), -72);
    for (const int level : {18, 0, -1, -68, -72, -90, -91}) {
        EXPECT_EQ(FaderModel::levelAt(FaderModel::levelPosition(level)), level) << level;
    }
    // Values off the scale stand at its ends or the nearest reading.
    EXPECT_EQ(FaderModel::levelPosition(24), 21);
    EXPECT_EQ(FaderModel::levelPosition(-144), 214);
    // The three levels inside the gap read back as their neighbours.
    EXPECT_EQ(FaderModel::levelAt(FaderModel::levelPosition(-69)), -72);
    EXPECT_EQ(FaderModel::levelAt(FaderModel::levelPosition(-70)), -68);
    EXPECT_EQ(FaderModel::levelAt(FaderModel::levelPosition(-71)), -68);
}

TEST(FaderModel, DoubleClickTwiceReturnsToWhereTheFaderWas) {
    for (const Kind kind : {Kind::Gain, Kind::Level}) {
        FaderModel fader(kind, kind == Kind::Gain ? 0 : 5000);
        Owner owner(fader);
        fader.setPosition(150);
        fader.doubleClick(160);
        EXPECT_EQ(fader.position(), fader.unityPosition());
        EXPECT_EQ(
            owner.take(),
            QStringList({QStringLiteral("moved %1").arg(fader.unityPosition() - 150), "commit"}));
        fader.doubleClick(fader.unityPosition() + 1);
        EXPECT_EQ(fader.position(), 150);
        EXPECT_EQ(
            owner.take(),
            QStringList({QStringLiteral("moved %1").arg(150 - fader.unityPosition()), "commit"}));
    }
}

TEST(FaderModel, DoubleClickOffTheKnobOrAtUnityWithoutHistoryGoesNowhereStrange) {
    FaderModel fader(Kind::Gain, 0);
    Owner owner(fader);
    fader.setPosition(150);
    fader.doubleClick(150); // the knob's top edge is not inside it
    fader.doubleClick(186);
    EXPECT_EQ(fader.position(), 150);
    EXPECT_TRUE(owner.log.isEmpty());

    FaderModel atUnity(Kind::Gain, 0);
    atUnity.setPosition(atUnity.unityPosition());
    atUnity.doubleClick(atUnity.unityPosition() + 5);
    EXPECT_EQ(atUnity.position(), atUnity.unityPosition());
}

TEST(FaderModel, ArrowUpAtTwentyOneReachesTwentyWithoutSnappingAndStops) {
    FaderModel fader(Kind::Gain, 0);
    Owner owner(fader);
    fader.setPosition(21);
    EXPECT_TRUE(fader.keyPress(Qt::Key_Up, {}));
    EXPECT_EQ(fader.position(), 20);
    EXPECT_EQ(owner.take(), QStringList({"commit", "moved -1"}));
    fader.keyPress(Qt::Key_Up, {});
    EXPECT_EQ(fader.position(), 20);
    EXPECT_EQ(fader.gainValue(), 63);
    fader.keyPress(Qt::Key_Down, {});
    EXPECT_EQ(fader.position(), 23);
}

TEST(FaderModel, NumPadZeroReportsTheFullTravelWhereverTheKnobWas) {
    FaderModel gain(Kind::Gain, 0);
    Owner gainOwner(gain);
    gain.setPosition(170);
    EXPECT_TRUE(gain.keyPress(Qt::Key_0, Qt::KeypadModifier));
    EXPECT_EQ(gain.position(), 185);
    EXPECT_EQ(gainOwner.take(), QStringList({"moved 165", "commit"}));

    FaderModel level(Kind::Level, 5001);
    Owner levelOwner(level);
    level.keyPress(Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(level.position(), 214);
    EXPECT_EQ(levelOwner.take(), QStringList({"moved 194", "commit"}));

    // The 0 of the main keyboard is no value key.
    level.setPosition(57);
    EXPECT_FALSE(level.keyPress(Qt::Key_0, {}));
    EXPECT_EQ(level.position(), 57);
}

TEST(FaderModel, InactiveFaderIgnoresClicksDragsWheelAndValueKeys) {
    FaderModel fader(Kind::Level, 5010);
    Owner owner(fader);
    fader.setPosition(57);
    fader.setActive(false);
    grab(fader);
    fader.pointerMove(120);
    fader.leftRelease();
    fader.doubleClick(60);
    fader.wheel(120);
    fader.keyPress(Qt::Key_Up, {});
    fader.keyPress(Qt::Key_0, Qt::KeypadModifier);
    fader.keyPress(Qt::Key_Return, {});
    EXPECT_FALSE(fader.rightPress(5));
    fader.advanceTo(10'000);
    EXPECT_EQ(fader.position(), 57);
    EXPECT_FALSE(fader.popupVisible());
    EXPECT_TRUE(owner.log.isEmpty()) << owner.log.join(", ").toStdString();
    // Moving between faders and the selection keys still work.
    fader.keyPress(Qt::Key_Left, {});
    fader.keyPress(Qt::Key_A, {});
    EXPECT_EQ(owner.take(), QStringList({"neighbour 5009", "all"}));
}

TEST(FaderModel, TurningInactiveDuringADragEndsIt) {
    FaderModel fader(Kind::Gain, 0);
    Owner owner(fader);
    fader.setPosition(95);
    grab(fader);
    fader.pointerMove(120);
    owner.take();
    fader.setActive(false);
    fader.advanceTo(1000);
    fader.setActive(true);
    fader.pointerMove(160);
    fader.leftRelease();
    EXPECT_EQ(fader.position(), 111);
    EXPECT_TRUE(owner.log.isEmpty()) << owner.log.join(", ").toStdString();
}

TEST(FaderModel, DragCommitsEveryHundredMillisecondsOnlyOnceTheKnobMoved) {
    FaderModel fader(Kind::Gain, 4);
    Owner owner(fader);
    fader.setPosition(95);
    fader.advanceTo(1000);
    fader.leftPress(100, {}); // grab offset 5
    EXPECT_EQ(owner.take(), QStringList({"clear", "anchor"}));
    fader.advanceTo(1250); // grabbed but not moved: nothing to send
    EXPECT_TRUE(owner.log.isEmpty());

    fader.pointerMove(110); // 105 -> snapped to 105
    EXPECT_EQ(fader.position(), 105);
    fader.pointerMove(114); // 109 -> 108
    EXPECT_EQ(fader.position(), 108);
    EXPECT_EQ(owner.take(), QStringList({"moved 10", "moved 3"}));
    fader.advanceTo(1299);
    EXPECT_TRUE(owner.log.isEmpty());
    // Held still after the step: one commit, not one every 100 ms.
    fader.advanceTo(1300);
    fader.advanceTo(1500);
    EXPECT_EQ(owner.take(), QStringList({"commit"}));
    fader.pointerMove(120);
    fader.advanceTo(1600);
    EXPECT_EQ(owner.take(), QStringList({"moved 6", "commit"}));

    fader.leftRelease(); // nothing moved since
    EXPECT_TRUE(owner.log.isEmpty());
    fader.advanceTo(5000);
    EXPECT_TRUE(owner.log.isEmpty());
}

// A commit without a move sends nothing: a fader standing at -70 dB, where the
// scale has no mark, keeps it when clicked.
TEST(FaderModel, ClickWithoutMovingCommitsNothing) {
    FaderModel gain(Kind::Gain, 0);
    Owner gainOwner(gain);
    gain.setPosition(95);
    grab(gain);
    gain.leftRelease();
    EXPECT_EQ(gainOwner.take(), QStringList({"clear", "anchor"}));

    FaderModel level(Kind::Level, 5000);
    Owner levelOwner(level);
    level.leftPress(240, {}); // off the knob
    level.leftRelease();
    EXPECT_EQ(levelOwner.take(), QStringList({"clear", "anchor"}));
    level.setPosition(FaderModel::levelPosition(-70));
    grab(level);
    level.leftRelease();
    level.leftPress(5, Qt::ControlModifier); // the label box
    level.leftRelease();
    EXPECT_FALSE(levelOwner.take().contains("commit"));

    // A double-click commits its move once; its own release adds nothing.
    level.setPosition(101);
    level.doubleClick(110);
    level.leftRelease();
    EXPECT_EQ(levelOwner.take(), QStringList({"moved -44", "commit"}));
    gain.setPosition(120);
    gain.doubleClick(130);
    gain.leftRelease();
    EXPECT_EQ(gainOwner.take(), QStringList({"moved -25", "commit"}));
}

TEST(FaderModel, PressAsksTheOwnersSelectionByModifier) {
    FaderModel fader(Kind::Gain, 7);
    Owner owner(fader);
    fader.leftPress(5, Qt::ControlModifier | Qt::ShiftModifier);
    fader.leftRelease();
    fader.leftPress(5, Qt::ShiftModifier);
    fader.leftRelease();
    fader.setSelected(true);
    fader.leftPress(5, {});
    fader.leftRelease();
    EXPECT_EQ(owner.take(), QStringList({"toggle", "extend", "anchor"}));
}

TEST(FaderModel, PopupHidesAfterTwoAndAHalfSecondsForPointerAndOneAndAHalfForKeys) {
    FaderModel fader(Kind::Level, 5000);
    fader.setPosition(57);
    fader.advanceTo(100);
    fader.wheel(120);
    EXPECT_EQ(fader.position(), 55);
    EXPECT_TRUE(fader.popupVisible());
    EXPECT_EQ(fader.nextDeadline(), 2600);
    fader.advanceTo(2599);
    EXPECT_TRUE(fader.popupVisible());
    fader.advanceTo(2600);
    EXPECT_FALSE(fader.popupVisible());

    fader.keyPress(Qt::Key_Down, {});
    EXPECT_TRUE(fader.popupVisible());
    fader.advanceTo(2600 + 1499);
    EXPECT_TRUE(fader.popupVisible());
    fader.advanceTo(2600 + 1500);
    EXPECT_FALSE(fader.popupVisible());
    EXPECT_EQ(fader.nextDeadline(), std::nullopt);
}

TEST(FaderModel, HoverOverTheKnobShowsThePopupOnceThePointerRests) {
    FaderModel fader(Kind::Gain, 0);
    fader.setPosition(95);
    fader.pointerEnter(30);
    fader.advanceTo(FaderModel::kHoverFirstMs);
    EXPECT_FALSE(fader.popupVisible()); // resting above the knob
    fader.pointerMove(100);
    fader.advanceTo(FaderModel::kHoverFirstMs + 150);
    fader.pointerMove(101); // still moving: the rest starts again
    fader.advanceTo(FaderModel::kHoverFirstMs + 349);
    EXPECT_FALSE(fader.popupVisible());
    fader.advanceTo(FaderModel::kHoverFirstMs + 350);
    EXPECT_TRUE(fader.popupVisible());
    fader.advanceTo(FaderModel::kHoverFirstMs + 350 + 2500);
    EXPECT_FALSE(fader.popupVisible());
}

TEST(FaderModel, WheelSnapsTheGainFaderAndReportsMoveThenCommit) {
    FaderModel fader(Kind::Gain, 0);
    Owner owner(fader);
    fader.setPosition(20); // set from gain 63
    fader.wheel(-120);
    EXPECT_EQ(fader.position(), 24); // 23 snaps to 24
    fader.wheel(120);
    fader.wheel(120);
    EXPECT_EQ(fader.position(), 21); // 18 clamps to 20, snaps to 21
    EXPECT_EQ(owner.take(), QStringList({"moved 4", "commit", "moved -3", "commit", "moved 0"}));
}

// A touchpad swipe: 30 deltas of 10 are two and a half notches, so two steps
// and two commits; turning back drops the half notch.
TEST(FaderModel, WheelDeltasAddUpToWholeNotches) {
    FaderModel fader(Kind::Level, 5000);
    Owner owner(fader);
    fader.setPosition(101);
    for (int i = 0; i < 30; ++i) {
        fader.wheel(10);
    }
    EXPECT_EQ(fader.position(), 97);
    EXPECT_EQ(owner.take().count("commit"), 2);
    fader.wheel(-100);
    EXPECT_EQ(fader.position(), 97);
    fader.wheel(-20);
    EXPECT_EQ(fader.position(), 99);
}

TEST(FaderModel, FollowersClampWithoutSnapping) {
    FaderModel fader(Kind::Gain, 0);
    fader.setPosition(180);
    fader.addOffset(10);
    EXPECT_EQ(fader.position(), 185);
    EXPECT_TRUE(fader.popupVisible());
    FaderModel level(Kind::Level, 5000);
    level.addOffset(-100);
    EXPECT_EQ(level.position(), 21);
}

TEST(FaderModel, EnterOnTheLevelFaderTogglesUnityAndCommitsOnce) {
    FaderModel fader(Kind::Level, 5000);
    Owner owner(fader);
    fader.setPosition(101);
    EXPECT_TRUE(fader.keyPress(Qt::Key_Return, {}));
    EXPECT_EQ(fader.position(), 57);
    EXPECT_EQ(owner.take(), QStringList({"moved -44", "commit"}));

    FaderModel gain(Kind::Gain, 0);
    Owner gainOwner(gain);
    gain.setPosition(101);
    EXPECT_FALSE(gain.keyPress(Qt::Key_Return, {}));
    EXPECT_EQ(gain.position(), 101);
}

TEST(FaderModel, LeftAndRightStopAtTheOwnersFirstAndLastFader) {
    FaderModel first(Kind::Gain, 0);
    FaderModel last(Kind::Gain, 31);
    FaderModel longLast(Kind::Level, 5063);
    Owner a(first), b(last), c(longLast);
    first.keyPress(Qt::Key_Left, {});
    first.keyPress(Qt::Key_Right, {});
    last.keyPress(Qt::Key_Right, {});
    last.keyPress(Qt::Key_Left, {});
    longLast.keyPress(Qt::Key_Right, {});
    longLast.keyPress(Qt::Key_C, {});
    EXPECT_EQ(a.take(), QStringList({"neighbour 1"}));
    EXPECT_EQ(b.take(), QStringList({"neighbour 30"}));
    EXPECT_EQ(c.take(), QStringList({"clear"}));
    // A and C mean nothing to the gain fader.
    EXPECT_FALSE(first.keyPress(Qt::Key_A, {}));
}

TEST(FaderModel, LabelKeepsSixteenCharactersAndOnlyTheUsersEditNotifies) {
    FaderModel fader(Kind::Gain, 0);
    Owner owner(fader);
    fader.setLabel(QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(fader.label(), "ABCDEFGHIJKLMNOP");
    EXPECT_TRUE(owner.log.isEmpty());
    EXPECT_TRUE(fader.rightPress(20));
    EXPECT_FALSE(fader.rightPress(21));
    fader.labelEdited(fader.label());
    EXPECT_EQ(owner.take(), QStringList({"label"}));
}
