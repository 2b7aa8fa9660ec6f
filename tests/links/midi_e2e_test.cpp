// The MIDI link against varento-emu's virtual port on a private JACK server with
// the dummy driver.
#include "e2e_support.h"
#include "links/midi_link.h"
#include "support/jack_server.h"
#include "support/scripted_interaction.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

constexpr LinkFlags kMidi{1, 0};

TEST(MidiE2e, DiscoveryParametersAndRoutingOverVirtualPorts) {
    JackServer jack;
    if (!jack.running()) {
        GTEST_SKIP() << "no JACK server: " << jack.problem();
    }
    EmulatorProcess emulator;
    ASSERT_TRUE(emulator.start(QStringList{"midi", "Unit Rack", "--api", "jack"} +
                               unitArgs(24, kUnitA) + unitArgs(11, kUnitB)))
        << emulator.problem();

    ScriptedInteraction ui;
    MidiLink link(ui, makeRtMidiBackend("jack"));
    const auto in = link.inputDevices().indexOf(QRegularExpression(".*Unit Rack.*"));
    const auto out = link.outputDevices().indexOf(QRegularExpression(".*Unit Rack.*"));
    ASSERT_GE(in, 0) << link.inputDevices().join(", ").toStdString();
    ASSERT_GE(out, 0) << link.outputDevices().join(", ").toStdString();
    link.selectDevices(static_cast<int>(in), static_cast<int>(out));
    ASSERT_EQ(link.open(), 0) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    link.startInput();

    Conversation talk(link, kMidi);
    EXPECT_EQ(talk.discover(), (std::vector<DeviceUid>{kUnitA, kUnitB}));
    EXPECT_EQ(talk.modelOf(kUnitA), 24);
    EXPECT_EQ(talk.modelOf(kUnitB), 11);

    DeviceRecord record;
    record.uid = kUnitB;
    FrameBuffer buffer{};
    const auto routing = talk.ask(buffer, buildRequestRouting(buffer, record), cmd::routingReply);
    ASSERT_TRUE(routing.has_value());
    EXPECT_EQ(routing->size(), 787);
    EXPECT_EQ(buffer[0], 0xF0); // the MIDI path leaves the frame in the buffer

    link.close();
    EXPECT_FALSE(link.state().inputOpen);
    EXPECT_FALSE(link.state().outputOpen);
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
