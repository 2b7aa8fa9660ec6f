// The meterbridge's rules over demo units: layout by unit, faders from the unit's
// levels and switches, and the user's fader moves turned into unit edits.
#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "ui/models/meterbridge_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace varento;
using namespace varento::testing;
namespace mb = varento::meterbridge;

namespace {

using Kind = UnitEdit::Kind;

TEST(MeterbridgeLayout, TwoGroupUnitsShowOnlyTheAnalogStripsPackedToTheLeft) {
    const auto two = meterbridgeLayout(2);
    ASSERT_TRUE(two);
    for (int k = 0; k < mb::kMeterCount; ++k) {
        const bool analog = (k >= 32 && k < 64) || k >= 96;
        EXPECT_EQ(two->meterX(k).has_value(), analog) << k;
    }
    for (int j = 0; j < mb::kFaderCount; ++j) {
        EXPECT_EQ(two->faderX(j).has_value(), j >= 32) << j;
    }
    EXPECT_EQ(two->meterX(32), mb::stripX(0, 0));
    EXPECT_EQ(two->maxWidth, 1700);
    EXPECT_FALSE(meterbridgeLayout(0));
    EXPECT_FALSE(meterbridgeLayout(3));
}

TEST(MeterbridgeLayout, StripsNeverOverlapAndFadersStandUnderTheirMeters) {
    for (const int groups : {4, 2}) {
        const auto layout = meterbridgeLayout(groups);
        ASSERT_TRUE(layout);
        std::set<int> edges;
        for (int k = 0; k < mb::kMeterCount; ++k) {
            if (const auto x = layout->meterX(k)) {
                EXPECT_TRUE(edges.insert(*x).second) << k;
                EXPECT_GE(*x, 0);
                EXPECT_LE(*x + 25, layout->scrollRange);
            }
        }
        for (int a = 0; a + 1 < static_cast<int>(edges.size()); ++a) {
            EXPECT_GE(*std::next(edges.begin(), a + 1) - *std::next(edges.begin(), a), 25);
        }
        for (int j = 0; j < mb::kFaderCount; ++j) {
            EXPECT_EQ(layout->faderX(j), layout->meterX(j)) << j;
        }
        EXPECT_LE(layout->maxWidth, mb::kSurfaceWidth);
        EXPECT_GE(layout->maxWidth, layout->scrollRange);
    }
    // Every strip shows its own channel's label: the outputs over the faders'
    // groups, the inputs over the others.
    std::set<int> labels;
    for (int group = 0; group < 4; ++group) {
        for (int strip = 0; strip < mb::kGroupStrips; ++strip) {
            labels.insert(mb::labelIndex(group, strip));
        }
    }
    EXPECT_EQ(labels.size(), 128u);
    EXPECT_EQ(*labels.begin(), 0);
    EXPECT_EQ(*labels.rbegin(), 255);
    EXPECT_EQ(mb::labelIndex(0, 7), mb::kFirstOutputLabel + 7);
}

class MeterbridgeModelTest : public DemoSessionTest {
protected:
    // A meterbridge over demo units (the first one current) whose replies the
    // test hands in itself.
    void open(int model, std::vector<int> more = {}) {
        more.insert(more.begin(), model);
        connectToDemo(more);
        session->stopTimers();
        bridge = std::make_unique<MeterbridgeModel>(*session, [this] { return now; });
        std::vector<FaderModel*> raw;
        for (int j = 0; j < mb::kFaderCount; ++j) {
            faders.push_back(
                std::make_unique<FaderModel>(FaderModel::Kind::Level, mb::kFirstFaderId + j));
            raw.push_back(faders.back().get());
        }
        bridge->attach(raw);
        bridge->relayout();
        bridge->applyLabels();
        bridge->refresh();
        QObject::connect(session.get(), &Session::edited,
                         [this](const UnitEdit& edit) { edits.push_back(edit); });
    }

    emu::EmulatedUnit& unit() { return *rack().find(session->current().uid); }
    FaderModel& fader(int j) { return *faders[static_cast<size_t>(j)]; }
    int level(int j) const {
        return static_cast<std::int8_t>(session->current().channelGain[static_cast<size_t>(j)]);
    }

    // The unit's output level j changes on its own (another remote, its panel)
    // and the next gains reply tells.
    void unitSetsLevel(int j, int value) {
        DeviceRecord r = unit().state();
        r.uid = session->current().uid;
        r.channelGain[static_cast<size_t>(j)] = static_cast<std::uint8_t>(value);
        FrameBuffer buffer{};
        const int length = buildSetChannelGain(buffer, r, j);
        unit().receive(std::span<const std::uint8_t>(buffer.data(), static_cast<size_t>(length)));
        gainsReply();
    }
    void gainsReply() { session->frameReceived(unit().gainsReply()); }

    void enableGains() {
        bridge->setGainsEnabled(true);
        edits.clear();
    }

    // Drags fader j by `steps` moves of `pixels`, 40 ms apart, and lets go.
    void drag(int j, int steps, int pixels) {
        FaderModel& f = fader(j);
        f.advanceTo(now);
        const int grabY = f.position() + 10;
        f.leftPress(grabY, {});
        for (int s = 1; s <= steps; ++s) {
            now += 40;
            f.advanceTo(now);
            bridge->group().runDue();
            f.pointerMove(grabY + s * pixels);
        }
        f.leftRelease();
    }

    int count(Kind kind) const {
        return static_cast<int>(std::count_if(
            edits.begin(), edits.end(), [kind](const UnitEdit& e) { return e.kind == kind; }));
    }

    qint64 now = 0;
    std::unique_ptr<MeterbridgeModel> bridge;
    std::vector<std::unique_ptr<FaderModel>> faders;
    std::vector<UnitEdit> edits;
};

} // namespace

TEST_F(MeterbridgeModelTest, TheUnitDecidesTheLayout) {
    open(12);
    ASSERT_TRUE(bridge->layout());
    EXPECT_EQ(bridge->layout()->groups, (std::vector<int>{1, 3}));
    EXPECT_EQ(bridge->unitLayout()->maxWidth, bridge->layout()->maxWidth);
}

// A two-group unit hides faders 0..31: the keys and select-all stop at the shown
// ones, so no edit ever reaches a hidden output.
TEST_F(MeterbridgeModelTest, NavigationAndSelectAllStopAtTheShownFaders) {
    open(12);
    FaderGroup& group = bridge->group();
    EXPECT_FALSE(group.isShown(31));
    group.add(32);
    fader(32).keyPress(Qt::Key_Left, {});
    EXPECT_TRUE(group.isSelected(32));
    EXPECT_FALSE(group.isSelected(31));
    fader(40).keyPress(Qt::Key_A, {});
    for (int j = 0; j < mb::kFaderCount; ++j) {
        EXPECT_EQ(group.isSelected(j), j >= 32) << j;
    }
    fader(63).keyPress(Qt::Key_Right, {}); // the last one: nowhere to go
    EXPECT_EQ(group.anchor(), 63);
}

TEST_F(MeterbridgeModelTest, WithGainsDisabledNoFaderTakesInput) {
    open(14);
    bridge->setGainsEnabled(false);
    EXPECT_FALSE(session->current().flag(UnitFlag::GainsEnabled));
    EXPECT_EQ(count(Kind::Flag), 1);
    for (const auto& f : faders) {
        EXPECT_FALSE(f->active()) << f->id();
    }
    edits.clear();
    fader(0).wheel(120);
    fader(63).keyPress(Qt::Key_Up, {});
    EXPECT_TRUE(edits.empty());

    bridge->setGainsEnabled(true);
    for (const auto& f : faders) {
        EXPECT_TRUE(f->active()) << f->id();
    }
    // The unit's own reply keeps them so: it took the switch.
    edits.clear();
    session->frameReceived(unit().parameterReply());
    EXPECT_TRUE(fader(5).active());
    fader(5).wheel(120);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0], (UnitEdit{Kind::ChannelGain, 5}));
    EXPECT_EQ(level(5), fader(5).levelValue());
}

TEST_F(MeterbridgeModelTest, MuteAllOutputsSwitchesTheUnitsBit) {
    open(14);
    bridge->setOutputsMuted(true);
    EXPECT_TRUE(bridge->outputsMuted());
    bridge->setOutputsMuted(false);
    EXPECT_FALSE(session->current().flag(UnitFlag::OutputsMuted));
    EXPECT_EQ(count(Kind::Flag), 2);
}

TEST_F(MeterbridgeModelTest, AGroupMoveSendsOneMessageForAllLevelsAfterTheLastStep) {
    open(14);
    enableGains();
    for (const int j : {3, 4, 5, 6, 20}) {
        ASSERT_EQ(level(j), 0);
    }
    bridge->group().add(3);
    bridge->group().selectRange(6);
    drag(6, 6, 4); // 24 pixels down: 12 dB less on every selected fader
    EXPECT_TRUE(bridge->group().groupMovePending());
    EXPECT_TRUE(edits.empty()); // not even the release's commit

    now += FaderGroup::kGroupCommitDelayMs - 1;
    bridge->group().runDue();
    EXPECT_TRUE(edits.empty());
    now += 1;
    bridge->group().runDue();
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].kind, Kind::ChannelGains);
    for (const int j : {3, 4, 5, 6}) {
        EXPECT_EQ(level(j), -12) << j;
        EXPECT_EQ(fader(j).levelValue(), -12) << j;
    }
    EXPECT_EQ(level(20), 0);
}

TEST_F(MeterbridgeModelTest, AReplyDuringAGroupMoveLeavesTheMovingFadersAlone) {
    open(14);
    enableGains();
    bridge->group().selectAll();
    drag(0, 3, 10);
    ASSERT_TRUE(bridge->group().groupMovePending());
    const int moved = fader(0).position();
    gainsReply(); // still the old levels: the new ones have not been sent
    EXPECT_EQ(fader(0).position(), moved);
    EXPECT_EQ(fader(40).position(), moved);

    now += FaderGroup::kGroupCommitDelayMs;
    bridge->group().runDue();
    EXPECT_EQ(level(40), fader(40).levelValue());
    // Once sent, the unit's word counts again.
    unitSetsLevel(40, 6);
    EXPECT_EQ(fader(40).levelValue(), 6);
}

TEST_F(MeterbridgeModelTest, AGroupMoveOnAUnitThatIsNoLongerCurrentIsDropped) {
    open(14, {14});
    enableGains();
    const DeviceUid first = session->current().uid;
    bridge->group().selectAll();
    drag(0, 3, 10);
    ASSERT_TRUE(bridge->group().groupMovePending());
    session->selectUnit(1);
    ASSERT_NE(session->current().uid, first);
    edits.clear();
    now += FaderGroup::kGroupCommitDelayMs;
    bridge->group().runDue();
    EXPECT_EQ(count(Kind::ChannelGains), 0);
    // The faders show the unit now current.
    EXPECT_EQ(fader(0).levelValue(), level(0));
}

TEST_F(MeterbridgeModelTest, UnitLevelsPlaceTheFadersWhereTheyReadBack) {
    open(14);
    enableGains();
    for (int value = -91; value <= 18; ++value) {
        unitSetsLevel(9, value);
        const int shown = fader(9).levelValue();
        // The scale has no place for -69..-71: they read as their neighbours.
        const int expected = value == -69 ? -72 : (value == -70 || value == -71 ? -68 : value);
        EXPECT_EQ(shown, expected) << value;
        EXPECT_EQ(fader(9).position(), FaderModel::levelPosition(value)) << value;
    }
    // A commit sends what the fader reads.
    edits.clear();
    fader(9).keyPress(Qt::Key_Down, {});
    EXPECT_EQ(count(Kind::ChannelGain), 1);
    EXPECT_EQ(level(9), fader(9).levelValue());
}

TEST_F(MeterbridgeModelTest, AGroupMoveLeavesOtherOutputsInTheScalesGapAsTheyWere) {
    open(14);
    enableGains();
    unitSetsLevel(10, -70);
    unitSetsLevel(11, -69);
    bridge->group().add(0);
    bridge->group().add(1);
    drag(1, 2, 2);
    now += FaderGroup::kGroupCommitDelayMs;
    bridge->group().runDue();
    ASSERT_EQ(count(Kind::ChannelGains), 1);
    EXPECT_EQ(level(10), -70);
    EXPECT_EQ(level(11), -69);
}

TEST_F(MeterbridgeModelTest, ARenamedFaderRenamesItsOutput) {
    open(14);
    enableGains();
    ASSERT_TRUE(fader(5).rightPress(5));
    fader(5).labelEdited(QStringLiteral("Kick In"));
    EXPECT_EQ(labelText(session->current().labels[mb::kFirstOutputLabel + 5]), "Kick In");
    EXPECT_EQ(count(Kind::ChannelLabel), 1);
    EXPECT_EQ(bridge->label(mb::kFirstOutputLabel + 5), "Kick In");
    // Labels edited elsewhere reach the faders.
    session->editor().setLabel(mb::kFirstOutputLabel + 63, QStringLiteral("Spare"));
    EXPECT_EQ(fader(63).label(), "Spare");
}

TEST_F(MeterbridgeModelTest, KeysSelectAllAndClearOnTheOutputFaders) {
    open(14);
    enableGains();
    fader(10).keyPress(Qt::Key_A, {});
    EXPECT_EQ(bridge->group().anchor(), 63);
    EXPECT_TRUE(
        std::all_of(faders.begin(), faders.end(), [](const auto& f) { return f->selected(); }));
    fader(10).keyPress(Qt::Key_C, {});
    EXPECT_TRUE(
        std::none_of(faders.begin(), faders.end(), [](const auto& f) { return f->selected(); }));
}
