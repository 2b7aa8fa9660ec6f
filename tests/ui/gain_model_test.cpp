// The gain window's own rules over an offline VARENTO.LC: the Switch Device column
// and its selection pages, the buttons, the display options and the project texts.
// The group move itself is FaderGroup's and tested there; here only what the
// window adds to it (refreshes during a move, the one all-gains edit).
#include "app/cp1252.h"
#include "app/session.h"
#include "protocol/catalog.h"
#include "support/scripted_interaction.h"
#include "ui/models/gain_model.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace varento;
using namespace varento::testing;

namespace {

DeviceUid uidOf(int n) {
    DeviceUid uid;
    uid.bytes.fill(static_cast<std::uint8_t>(n & 0x0F));
    return uid;
}

class GainModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const std::string path = dir.path().toStdString();
        session = std::make_unique<Session>(ui, SessionPaths{path, path});
        session->command(command_id::offlineLc);
        ASSERT_TRUE(capabilities(session->current().model).micInputs);
        // Mid-travel gains, every switch off.
        std::array<std::uint8_t, kInputCount> gains;
        gains.fill(30);
        session->editor().setInputGains(gains);
        for (int c = 0; c < kInputCount; ++c) {
            session->editor().setInputSwitch(c, 0);
        }
        makeModel();
        QObject::connect(session.get(), &Session::edited,
                         [this](const UnitEdit& edit) { edits.push_back(edit); });
    }

    void makeModel() {
        model.reset(); // detaches from the faders before they go
        faders.clear();
        std::vector<FaderModel*> raw;
        for (int c = 0; c < GainModel::kChannels; ++c) {
            faders.push_back(std::make_unique<FaderModel>(FaderModel::Kind::Gain, c));
            raw.push_back(faders.back().get());
        }
        model = std::make_unique<GainModel>(*session, [this] { return now; });
        model->attach(raw);
        model->setCommandSink([this](int id, int param) { commands.push_back({id, param}); });
    }

    void addUnit(int n, const char* type, const char* name, bool online) {
        KnownDevice* entry = session->deviceList().addOrRefresh(uidOf(n), type, 3, 1);
        ASSERT_NE(entry, nullptr);
        entry->userName = name;
        entry->presence = online ? presence::online : presence::offline;
    }

    FaderModel& fader(int c) { return *faders[static_cast<size_t>(c)]; }

    // Drags fader c by `steps` moves of 3 pixels, 20 ms apart, and lets go.
    void drag(int c, int steps) {
        FaderModel& f = fader(c);
        f.advanceTo(now);
        const int grabY = f.position() + 10;
        f.leftPress(grabY, {});
        for (int s = 1; s <= steps; ++s) {
            now += 20;
            f.advanceTo(now);
            f.pointerMove(grabY + 3 * s);
        }
        f.leftRelease();
    }

    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
    qint64 now = 0;
    std::vector<std::unique_ptr<FaderModel>> faders;
    std::unique_ptr<GainModel> model;
    std::vector<UnitEdit> edits;
    std::vector<std::pair<int, int>> commands;
};

} // namespace

TEST_F(GainModelTest, SwitchDeviceCountsOnlyOnlineMicrophoneUnitsAndSelectsTheOneItShows) {
    addUnit(1, "VARENTO.LC", "Stage left rack", true);
    addUnit(2, "VARENTO.PX", "Matrix", true); // another model between them
    addUnit(3, "VARENTO.LC Corvel", "Corvel", true);
    addUnit(4, "VARENTO.LC", "Stored away", false);
    addUnit(5, "VARENTO.LC", "Drums", true);
    addUnit(6, "VARENTO.LC", "Brass", true);
    addUnit(7, "VARENTO.LC", "Fifth", true);

    EXPECT_EQ(model->refresh(), 4);
    EXPECT_EQ(model->switchDeviceText(0), "Stage left r"); // twelve characters
    EXPECT_EQ(model->switchDeviceText(1), "Corvel");
    EXPECT_EQ(model->switchDeviceText(2), "Drums");
    EXPECT_EQ(model->switchDeviceText(3), "Brass");

    // Button 2 shows the second microphone unit, third in the unit selector.
    model->clickSwitchDevice(1);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], std::make_pair(int{command_id::selectUnitByIndex}, 2));
    EXPECT_TRUE(model->switchDeviceOn(1));

    // The unit that became current lights its own button and page.
    model->selectUnit(uidOf(5));
    EXPECT_TRUE(model->switchDeviceOn(2));
    EXPECT_EQ(model->currentGainPage(), 2);
    // A unit beyond the fourth lights none and keeps the page.
    model->selectUnit(uidOf(7));
    for (int n = 0; n < GainModel::kPages; ++n) {
        EXPECT_FALSE(model->switchDeviceOn(n)) << n;
    }
    EXPECT_EQ(model->currentGainPage(), 2);
}

TEST_F(GainModelTest, AButtonWithoutAUnitStaysOffAndChangesNothing) {
    addUnit(1, "VARENTO.LC", "Only one", true);
    EXPECT_EQ(model->refresh(), 1);
    model->selectUnit(uidOf(1));
    EXPECT_EQ(model->switchDeviceText(1), "N/A");

    model->clickSwitchDevice(1);
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(model->switchDeviceOn(0));
    EXPECT_FALSE(model->switchDeviceOn(1));

    // A button keeps the name of a unit that went offline, but cannot select it.
    addUnit(2, "VARENTO.LC", "Second", true);
    model->refresh();
    session->deviceList().find(uidOf(2))->presence = presence::offline;
    model->refresh();
    EXPECT_EQ(model->switchDeviceText(1), "Second");
    model->clickSwitchDevice(1);
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(model->switchDeviceOn(0));
}

TEST_F(GainModelTest, EachUnitKeepsItsOwnSelection) {
    addUnit(1, "VARENTO.LC", "A", true);
    addUnit(2, "VARENTO.LC", "B", true);
    model->refresh();
    model->selectUnit(uidOf(1));
    model->group().add(3);
    model->group().selectRange(6);

    model->selectUnit(uidOf(2));
    EXPECT_EQ(model->currentGainPage(), 1);
    EXPECT_FALSE(model->group().isSelected(4));
    EXPECT_FALSE(fader(4).selected());
    model->group().add(20);

    model->selectUnit(uidOf(1));
    for (int c = 0; c < GainModel::kChannels; ++c) {
        EXPECT_EQ(model->group().isSelected(c), c >= 3 && c <= 6) << c;
    }
    EXPECT_EQ(model->group().anchor(), 6);
    model->selectUnit(uidOf(2));
    EXPECT_TRUE(model->group().isSelected(20));
    EXPECT_EQ(model->group().anchor(), 20);
}

TEST_F(GainModelTest, AGroupMoveIsOneAllGainsEditAndRefreshesDoNotUndoIt) {
    model->group().add(3);
    model->group().selectRange(6);
    const int before = fader(4).position();
    drag(4, 3);
    const int moved = fader(4).position();
    ASSERT_GT(moved, before);
    EXPECT_TRUE(edits.empty());

    // A gains reply arrives while the move is pending: the record still has the
    // old gains, the faders keep the new ones.
    model->refresh();
    for (int c : {3, 4, 5, 6}) {
        EXPECT_EQ(fader(c).position(), moved) << c;
    }

    now += FaderGroup::kGroupCommitDelayMs;
    model->group().runDue();
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].kind, UnitEdit::Kind::InputGains);
    for (int c = 0; c < GainModel::kChannels; ++c) {
        EXPECT_EQ(session->current().inputGain[static_cast<size_t>(c)], fader(c).gainValue()) << c;
    }
    // Afterwards a reply with other gains moves the faders again.
    model->refresh();
    EXPECT_EQ(fader(4).position(), FaderModel::gainPosition(fader(4).gainValue()));
}

TEST_F(GainModelTest, ASingleFaderCommitsItsOwnGain) {
    drag(9, 2);
    now += 200;
    fader(9).advanceTo(now);
    ASSERT_FALSE(edits.empty());
    EXPECT_EQ(edits.back(), (UnitEdit{UnitEdit::Kind::InputGain, 9}));
    EXPECT_EQ(session->current().inputGain[9], fader(9).gainValue());
}

TEST_F(GainModelTest, SwitchesAndGposEditTheirBitsOnly) {
    model->setP48(2, true);
    model->setPad(2, true);
    EXPECT_EQ(session->current().inputSwitch[2], 0x03);
    model->setP48(2, false);
    EXPECT_EQ(session->current().inputSwitch[2], 0x01);
    EXPECT_TRUE(model->pad(2));
    EXPECT_FALSE(model->p48(2));
    EXPECT_EQ(edits.back(), (UnitEdit{UnitEdit::Kind::InputSwitch, 2}));

    for (auto which : {GainModel::Gpo::One, GainModel::Gpo::Two, GainModel::Gpo::Invert}) {
        model->setGpo(which, false);
    }
    const std::uint8_t rates = session->current().at(param::srcEnable);
    model->setGpo(GainModel::Gpo::Two, true);
    model->toggleGpo(GainModel::Gpo::Invert);
    EXPECT_EQ(session->current().at(param::srcEnable), rates | 0x60);
    model->toggleGpo(GainModel::Gpo::Two);
    EXPECT_EQ(session->current().at(param::srcEnable), rates | 0x40);
    EXPECT_TRUE(model->gpo(GainModel::Gpo::Invert));
    EXPECT_EQ(edits.back().kind, UnitEdit::Kind::GpoBits);
}

TEST_F(GainModelTest, PadAddsThirtyToTheShownValue) {
    const int shown = fader(7).valueText().toInt();
    model->setPad(7, true);
    EXPECT_EQ(fader(7).valueText().toInt(), shown + 30);
    // The referenced form counts down from the reference level.
    model->setReferenceLevel(4);
    model->setGainValueShown(true);
    EXPECT_EQ(fader(7).valueText().toInt(), 4 - (shown + 30));
}

TEST_F(GainModelTest, DisplayOptionsAndReferenceLevelLiveInTheSettings) {
    model->setPeakHold(true);
    model->setGainValueShown(true);
    model->setReferenceLevel(12);
    EXPECT_EQ(session->state().gainDisplayOptions, 0x11);
    EXPECT_EQ(session->state().gainReferenceLevel, 12);
    model->setReferenceLevel(31); // not in the list
    EXPECT_EQ(model->referenceLevel(), 12);

    // The next window starts from them; a damaged level counts as none.
    session->state().gainReferenceLevel = 99;
    makeModel();
    EXPECT_TRUE(model->peakHold());
    EXPECT_EQ(fader(0).displayFlags(), 1);
    EXPECT_EQ(model->referenceLevel(), 0);
}

TEST_F(GainModelTest, ProjectTexts) {
    EXPECT_EQ(model->projectText(), GainModel::kNoProject);
    EXPECT_EQ(model->snapshotText(), GainModel::kNoSnapshot);
    EXPECT_FALSE(model->saveLit());

    model->setProject("Sound check.vrj", "C:\\Shows\\Festival\\Sound check.vrj", false);
    EXPECT_EQ(model->snapshotText(), "Sound check");
    EXPECT_EQ(model->projectText(), "Festival");
    EXPECT_FALSE(model->saveLit());

    // A change after saving: Save lights until it is used.
    emit session->projectChanged("Sound check.vrj*", "/home/fo/Festival/Sound check.vrj", true);
    EXPECT_EQ(model->projectText(), "Festival");
    EXPECT_TRUE(model->saveLit());
    model->save();
    EXPECT_FALSE(model->saveLit());
    EXPECT_EQ(commands.back(), std::make_pair(int{command_id::saveProject}, 0));

    // The project of the last run shows at start-up with Save lit.
    session->state().lastSnapshotFileName = "Sound check.vrj";
    session->state().lastSnapshotFileDirectory = "/home/fo/Festival/Sound check.vrj";
    makeModel();
    EXPECT_EQ(model->projectText(), "Festival");
    EXPECT_TRUE(model->saveLit());

    EXPECT_EQ(GainModel::projectTexts("nodot", "/a/b/nodot").snapshot, "");
    EXPECT_EQ(GainModel::projectTexts("", "/a/b/x.vrj").project, "/a/b/x.vrj");
}

TEST_F(GainModelTest, AnEditedFaderLabelBecomesTheChannelLabel) {
    fader(3).labelEdited("Kick in");
    EXPECT_EQ(labelText(session->current().labels[32 + 3]), "Kick in");
    EXPECT_EQ(edits.back(), (UnitEdit{UnitEdit::Kind::ChannelLabel, 35}));
    // Labels imported or edited elsewhere reach the faders.
    session->editor().setLabel(32 + 4, "Snare");
    EXPECT_EQ(fader(4).label(), "Snare");
}

TEST(GainLayout, ChannelNumbersCountOnAcrossTheFourUnits) {
    using gain_layout::channelNumber;
    EXPECT_EQ(channelNumber(0, 0).number, 1);
    EXPECT_EQ(channelNumber(0, 1).number, 33);
    EXPECT_EQ(channelNumber(31, 3).number, 128);
    // Two digits stand further left than one would; from 100 on smaller and lower.
    using gain_layout::stripX;
    EXPECT_LT(channelNumber(9, 0).at.x() - channelNumber(8, 0).at.x(), stripX(9) - stripX(8));
    EXPECT_EQ(channelNumber(10, 0).at.x() - channelNumber(9, 0).at.x(), stripX(10) - stripX(9));
    EXPECT_FALSE(channelNumber(2, 3).small);
    EXPECT_TRUE(channelNumber(3, 3).small);
    EXPECT_GT(channelNumber(3, 3).at.y(), channelNumber(2, 3).at.y());
}

TEST(GainLayout, ScrollingFollowsTheFocus) {
    using namespace gain_layout;
    // A strip left of the view, in it, right of it.
    EXPECT_EQ(focusScroll(1, 200, 600), -1);
    EXPECT_EQ(focusScroll(12, 200, 600), 0);
    EXPECT_EQ(focusScroll(31, 200, 600), 1);
}
