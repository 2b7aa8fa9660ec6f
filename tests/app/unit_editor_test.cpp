#include "app/cp1252.h"
#include "app/session.h"
#include "links/demo_link.h"
#include "support/demo_session.h"
#include "unit/emulated_rack.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace varento;
using namespace varento::testing;

namespace {

using UnitEditorTest = DemoSessionTest;

enum class Saved { Settings, Matrix, Gains, None };

struct EditCase {
    const char* name;
    std::function<void(UnitEditor&, const DeviceRecord&)> edit;
    UnitEdit::Kind kind;
    std::uint8_t frameCommand; // command byte of the frame it sends
    Saved marks;
    std::function<bool(const DeviceRecord&)> changed;
};

bool saved(const AppState& state, Saved which) {
    switch (which) {
    case Saved::Settings:
        return state.settingsSaved;
    case Saved::Matrix:
        return state.matrixSaved;
    case Saved::Gains:
        return state.gainsSaved;
    case Saved::None:
        return state.allSaved();
    }
    return true;
}

} // namespace

// Every typed edit changes the record, says what changed, marks the right part
// unsaved and queues the frame the unit expects for it.
TEST_F(UnitEditorTest, EachEditChangesAnnouncesMarksAndSends) {
    connectToDemo({12});
    const std::array<std::uint8_t, kInputCount> gains{40, 41, 42};
    const std::array<std::uint8_t, kChannelGainCount> levels{3, 2, 1};
    const std::vector<EditCase> cases{
        {"parameter", [](UnitEditor& e, const DeviceRecord&) { e.setParameter(6, 44); },
         UnitEdit::Kind::Parameter, 0x20, Saved::Settings,
         [](const DeviceRecord& r) { return r.at(6) == 44; }},
        {"LED dim follows its edit copy",
         [](UnitEditor& e, const DeviceRecord&) { e.setParameter(param::ledDim1, 0x08); },
         UnitEdit::Kind::Parameter, 0x20, Saved::Settings,
         [](const DeviceRecord& r) { return r.ledDimEdit1 == 0x08; }},
        {"matrix mode",
         [](UnitEditor& e, const DeviceRecord&) { e.toggleFlag(UnitFlag::MatrixMode); },
         UnitEdit::Kind::Flag, 0x20, Saved::Settings,
         [](const DeviceRecord& r) { return r.flag(UnitFlag::MatrixMode); }},
        {"bank", [](UnitEditor& e, const DeviceRecord&) { e.setFlag(UnitFlag::UpperBank, true); },
         UnitEdit::Kind::Flag, 0x20, Saved::Matrix,
         [](const DeviceRecord& r) { return r.flag(UnitFlag::UpperBank); }},
        {"mute all outputs",
         [](UnitEditor& e, const DeviceRecord&) { e.setFlag(UnitFlag::OutputsMuted, true); },
         UnitEdit::Kind::Flag, 0x20, Saved::Gains,
         [](const DeviceRecord& r) { return r.flag(UnitFlag::OutputsMuted); }},
        {"route", [](UnitEditor& e, const DeviceRecord&) { e.setRoute(40, 7); },
         UnitEdit::Kind::RoutingRange, 0x22, Saved::Matrix,
         [](const DeviceRecord& r) { return r.routeSource[40] == 7; }},
        {"routing table",
         [](UnitEditor& e, const DeviceRecord& r) {
             RoutingTable t = RoutingTable::of(r);
             t.sources[3] = 9;
             e.setRoutingTable(t);
         },
         UnitEdit::Kind::RoutingTable, 0x22, Saved::Matrix,
         [](const DeviceRecord& r) { return r.routeSource[3] == 9; }},
        {"input gain", [](UnitEditor& e, const DeviceRecord&) { e.setInputGain(2, 50); },
         UnitEdit::Kind::InputGain, 0x23, Saved::Gains,
         [](const DeviceRecord& r) { return r.inputGain[2] == 50; }},
        {"input switch", [](UnitEditor& e, const DeviceRecord&) { e.setInputSwitch(2, 3); },
         UnitEdit::Kind::InputSwitch, 0x23, Saved::Gains,
         [](const DeviceRecord& r) { return r.inputSwitch[2] == 3; }},
        {"GPO bits", [](UnitEditor& e, const DeviceRecord&) { e.setGpoBits(0x03); },
         UnitEdit::Kind::GpoBits, 0x20, Saved::Gains,
         [](const DeviceRecord& r) { return r.at(param::srcEnable) == 0x03; }},
        {"all input gains", [&](UnitEditor& e, const DeviceRecord&) { e.setInputGains(gains); },
         UnitEdit::Kind::InputGains, 0x23, Saved::Gains,
         [](const DeviceRecord& r) { return r.inputGain[1] == 41; }},
        {"channel gain", [](UnitEditor& e, const DeviceRecord&) { e.setChannelGain(5, 250); },
         UnitEdit::Kind::ChannelGain, 0x23, Saved::Gains,
         [](const DeviceRecord& r) { return r.channelGain[5] == 250; }},
        {"all channel gains",
         [&](UnitEditor& e, const DeviceRecord&) { e.setChannelGains(levels); },
         UnitEdit::Kind::ChannelGains, 0x23, Saved::Gains,
         [](const DeviceRecord& r) { return r.channelGain[0] == 3; }},
        {"bus levels", [](UnitEditor& e, const DeviceRecord&) { e.setBusLevels(0x21, 0x43); },
         UnitEdit::Kind::BusLevels, 0x20, Saved::None,
         [](const DeviceRecord& r) { return r.ledDimEdit1 == 0x21 && r.ledDimEdit2 == 0x43; }},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        session->state().settingsSaved = session->state().matrixSaved =
            session->state().gainsSaved = true;
        QSignalSpy edits(session.get(), &Session::edited);
        QSignalSpy parameters(session.get(), &Session::parametersChanged);
        QSignalSpy routing(session.get(), &Session::routingChanged);
        QSignalSpy gainsSpy(session.get(), &Session::gainsChanged);
        const std::size_t before = recorder->sent.size();
        UnitEditor editor = session->editor();
        c.edit(editor, session->current());
        EXPECT_TRUE(c.changed(session->current()));
        ASSERT_EQ(edits.count(), 1);
        const auto edit = edits.at(0).at(0).value<UnitEdit>();
        EXPECT_EQ(edit.kind, c.kind);
        // The view showing that part hears of it at once.
        const UnitPart part = edit.part();
        EXPECT_EQ(parameters.count() > 0, part == UnitPart::Parameters);
        EXPECT_EQ(routing.count() > 0, part == UnitPart::Routing);
        EXPECT_EQ(gainsSpy.count() > 0, part == UnitPart::Gains);
        EXPECT_EQ(saved(session->state(), c.marks), c.marks == Saved::None);
        ASSERT_EQ(recorder->sent.size(), before + 1);
        EXPECT_EQ(recorder->sent.back().frame[17], c.frameCommand);
        ASSERT_EVENTUALLY(!session->sendQueue().busy(), 2000);
    }
    // What was sent reached the unit.
    ASSERT_EVENTUALLY(rack().units()[0].state().routeSource[40] == 7, 2000);
    EXPECT_EQ(rack().units()[0].state().inputGain[1], 41);
}

TEST_F(UnitEditorTest, LabelsAreStoredAndHandedToTheViews) {
    session->command(command_id::offlineBase);
    QSignalSpy labels(session.get(), &Session::labelsChanged);
    session->editor().setLabel(192, QStringLiteral("Main L"));
    EXPECT_EQ(labelText(session->current().labels[192]), "Main L");
    EXPECT_EQ(labels.count(), 1);
    session->editor().setLabel(kLabelCount, QStringLiteral("past the end"));
    EXPECT_EQ(labels.count(), 1);
}
