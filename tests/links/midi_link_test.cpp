// The MIDI link's state, messages and bounded send against a scripted backend,
// and whole SysEx frames both ways over JACK virtual ports (dummy driver).
#include "links/midi_link.h"
#include "links/scripted_midi_backend.h"
#include "support/frames.h"
#include "support/jack_server.h"
#include "support/scripted_interaction.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <RtMidi.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace varento;
using namespace varento::testing;

namespace {

class MidiLinkTest : public ::testing::Test {
protected:
    MidiLinkTest() {
        auto b = std::make_unique<ScriptedBackend>();
        backend = b.get();
        link = std::make_unique<MidiLink>(ui, std::move(b));
    }

    ScriptedInteraction ui;
    ScriptedBackend* backend = nullptr;
    std::unique_ptr<MidiLink> link;
};

TEST_F(MidiLinkTest, ConnectOpensWhatIsNotOpenAndDisconnectClosesIt) {
    EXPECT_EQ(link->inputDevices(), (QStringList{"Unit In A", "Unit In B"}));
    EXPECT_EQ(link->outputDeviceCount(), 2);
    link->selectDevices(1, 0);
    EXPECT_EQ(link->endpointText(), "MIDI In: Unit In B | MIDI Out: Unit Out A");

    ASSERT_EQ(link->open(), 0);
    EXPECT_TRUE(link->isOpen());
    EXPECT_EQ(backend->openInputDevice, 1);
    EXPECT_EQ(backend->openOutputDevice, 0);
    EXPECT_EQ(link->open(), 0); // already open: nothing reopened
    EXPECT_EQ(backend->inputOpens, 1);

    link->close();
    EXPECT_FALSE(link->isOpen());
    EXPECT_FALSE(link->state().inputOpen);
    EXPECT_FALSE(link->state().outputOpen);
    EXPECT_EQ(backend->inputCloses, 1);
    EXPECT_EQ(backend->outputCloses, 1);
    link->close(); // not open: nothing
    EXPECT_EQ(backend->inputCloses, 1);
    EXPECT_TRUE(ui.messages.empty());

    link->selectDevices(5, -1); // no such devices: no names
    EXPECT_EQ(link->endpointText(), "MIDI In:  | MIDI Out: ");
}

TEST_F(MidiLinkTest, OpenFailuresShowTheBackendsTextUnderTheirTitles) {
    backend->inputOpenError = "input busy";
    EXPECT_EQ(link->open(), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "MIDI-Input Error");
    EXPECT_EQ(ui.messages[0].text, "input busy");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(link->state().inputOpen);

    backend->inputOpenError.clear();
    backend->outputOpenError = "output gone";
    EXPECT_EQ(link->open(), -1);
    EXPECT_EQ(ui.messages.back().title, "MIDI-Output Error");
    EXPECT_EQ(ui.messages.back().text, "output gone");
    EXPECT_TRUE(link->state().inputOpen); // the input that did open stays open
    EXPECT_FALSE(link->isOpen());

    backend->outputOpenError.clear();
    EXPECT_EQ(link->open(), 0);
    EXPECT_EQ(backend->inputOpens, 1); // not opened twice
}

TEST_F(MidiLinkTest, ADeviceWhoseCloseReportsAnErrorIsGoneAndConnectOpensItAgain) {
    ASSERT_EQ(link->open(), 0);
    backend->inputCloseError = "buffers still queued";
    link->close();
    EXPECT_FALSE(link->isOpen());
    EXPECT_FALSE(link->state().inputOpen); // the backend let the port go
    EXPECT_TRUE(link->state().outputOpen); // closing stopped at the input
    EXPECT_EQ(backend->outputCloses, 0);

    backend->inputCloseError.clear();
    ASSERT_EQ(link->open(), 0);
    EXPECT_EQ(backend->inputOpens, 2);
    EXPECT_EQ(backend->outputOpens, 1);
    const Bytes reply = frameOf(uidOf(1), 0x30, {0, 2});
    QSignalSpy frames(link.get(), &MidiLink::frameReceived);
    link->startInput();
    backend->receive(reply);
    EXPECT_TRUE(frames.wait(2000)); // connected means receiving again

    backend->outputCloseError = "device removed";
    link->close();
    EXPECT_FALSE(link->state().outputOpen);
    backend->outputCloseError.clear();
    ASSERT_EQ(link->open(), 0);
    EXPECT_EQ(backend->outputOpens, 2);
    EXPECT_EQ(link->send(frameOf(uidOf(1), 0x10)), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MidiLinkTest, ASendThatDoesNotFinishFailsAfterOneSecond) {
    ASSERT_EQ(link->open(), 0);
    const Bytes frame = frameOf(uidOf(1), 0x10);
    ASSERT_EQ(link->send(frame), 0);
    EXPECT_EQ(backend->sentCount(), 1u);

    backend->holdSends(true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(link->send(frame), 1);
    const qint64 waited = clock.elapsed();
    EXPECT_GE(waited, 990);
    EXPECT_LT(waited, 1500);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");

    // While the device still holds the message, further sends fail at once.
    clock.restart();
    EXPECT_EQ(link->send(frame), 1);
    EXPECT_LT(clock.elapsed(), 100);

    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return backend->sentCount() == 2; }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->send(frame) == 0; }, 2000));
}

TEST_F(MidiLinkTest, SendFailuresShowTheBackendsText) {
    const Bytes frame = frameOf(uidOf(1), 0x10);
    EXPECT_EQ(link->send(frame), 1); // output not open
    EXPECT_EQ(ui.messages.back().title, "Error!");
    ASSERT_EQ(link->open(), 0);
    backend->sendError = "device removed";
    EXPECT_EQ(link->send(frame), 1);
    EXPECT_EQ(ui.messages.back().title, "Error!");
    EXPECT_EQ(ui.messages.back().text, "device removed");
}

TEST_F(MidiLinkTest, InputReachesTheMainThreadAsWholeSysExOnlyWhileReceiving) {
    QSignalSpy frames(link.get(), &MidiLink::frameReceived);
    QThread* deliveredOn = nullptr;
    QObject::connect(link.get(), &MidiLink::frameReceived,
                     [&] { deliveredOn = QThread::currentThread(); });
    ASSERT_EQ(link->open(), 0);
    const Bytes reply = frameOf(uidOf(1), 0x30, {0, 2});
    backend->receive(reply); // connected but reception not started yet
    link->startInput();
    EXPECT_TRUE(link->isReceiving());
    backend->receive({0x90, 0x40, 0x7F}); // a note: not a frame
    backend->receive(Bytes(1100, 0x01));  // too long for any buffer
    backend->receive(reply);
    ASSERT_TRUE(frames.wait(2000));
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames.at(0).at(0).toByteArray(),
              QByteArray(reinterpret_cast<const char*>(reply.data()),
                         static_cast<qsizetype>(reply.size())));
    EXPECT_EQ(deliveredOn, QThread::currentThread());

    link->close();
    EXPECT_FALSE(link->isReceiving());
}

TEST_F(MidiLinkTest, TheDialogsChoiceClosesTheOldDevicesAndOpensTheNew) {
    link->selectDevices(0, 0);
    ASSERT_EQ(link->open(), 0);
    backend->outputOpenError = "in use";
    link->applyDeviceChoice(1, 1);
    EXPECT_EQ(backend->inputCloses, 1);
    EXPECT_EQ(backend->outputCloses, 1);
    EXPECT_EQ(backend->openInputDevice, 1);
    EXPECT_TRUE(link->state().inputOpen);
    EXPECT_FALSE(link->state().outputOpen);
    EXPECT_EQ(link->state().inputName, "Unit In B");
    EXPECT_EQ(link->state().outputName, "Unit Out B");
    EXPECT_EQ(ui.messages.back().title, "MIDI-Output Error");
}

TEST_F(MidiLinkTest, TheDialogsChoiceWaitsForASendStuckInTheOutput) {
    link->selectDevices(0, 0);
    ASSERT_EQ(link->open(), 0);
    const Bytes frame = frameOf(uidOf(1), 0x10);
    backend->holdSends(true);
    EXPECT_EQ(link->send(frame), 1); // past the bound, still inside the output
    backend->waitForSendInside();

    link->close();
    link->applyDeviceChoice(1, 1);
    EXPECT_EQ(backend->portsDestroyedDuringSend, 0);
    EXPECT_EQ(backend->openInputDevice, 1);
    EXPECT_TRUE(link->state().inputOpen);
    EXPECT_EQ(backend->outputOpensNow(), 1);
    EXPECT_EQ(link->post(frame), 1); // the old output takes nothing more

    // Once the send comes back the old output closes and the chosen one opens.
    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return backend->outputOpensNow() == 2; }, 3000));
    EXPECT_EQ(backend->portsDestroyedDuringSend, 0);
    EXPECT_EQ(backend->openOutputDevice, 1);
    EXPECT_TRUE(link->state().outputOpen);
    EXPECT_EQ(link->state().outputName, "Unit Out B");
    ASSERT_EQ(link->open(), 0);
    EXPECT_EQ(backend->outputOpens, 2);
    EXPECT_EQ(link->send(frame), 0);
}

TEST_F(MidiLinkTest, DisconnectClosesAnOutputWithASendInsideWhenTheSendComesBack) {
    ASSERT_EQ(link->open(), 0);
    QSignalSpy finished(link.get(), &MidiLink::sendFinished);
    backend->holdSends(true);
    ASSERT_EQ(link->post(frameOf(uidOf(1), 0x10)), MidiLink::kSendPending);
    backend->waitForSendInside();
    link->close();
    EXPECT_TRUE(link->state().outputOpen); // still held by the send
    EXPECT_EQ(backend->outputCloses, 0);
    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->state().outputOpen; }, 3000));
    EXPECT_EQ(backend->outputCloses, 1);
    EXPECT_EQ(backend->portsDestroyedDuringSend, 0);
    EXPECT_TRUE(finished.isEmpty()); // a frame of the closed link is not reported
    ASSERT_EQ(link->open(), 0);
    EXPECT_EQ(backend->outputOpens, 2);
}

TEST_F(MidiLinkTest, ConnectFailsWhileASendStillHoldsTheOutput) {
    ASSERT_EQ(link->open(), 0);
    backend->holdSends(true);
    ASSERT_EQ(link->post(frameOf(uidOf(1), 0x10)), MidiLink::kSendPending);
    backend->waitForSendInside();
    link->close();
    // Open now, every frame would be refused as "not open": it does not open.
    EXPECT_EQ(link->open(), -1);
    EXPECT_FALSE(link->state().linkOpen);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().title, "MIDI-Output Error");
    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->state().outputOpen; }, 3000));
    ASSERT_EQ(link->open(), 0);
    EXPECT_EQ(link->send(frameOf(uidOf(1), 0x10)), 0);
}

TEST_F(MidiLinkTest, PostedFramesReportInOrderWithTheSendsResultsAndMessages) {
    ASSERT_EQ(link->open(), 0);
    QSignalSpy finished(link.get(), &MidiLink::sendFinished);
    const Bytes frame = frameOf(uidOf(1), 0x10);
    backend->holdSends(true);
    ASSERT_EQ(link->post(frame), MidiLink::kSendPending);
    ASSERT_EQ(link->post(frame), MidiLink::kSendPending);
    EXPECT_TRUE(finished.isEmpty());
    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 2; }, 3000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
    EXPECT_EQ(finished.at(1).at(0).toInt(), 0);
    EXPECT_EQ(backend->sentCount(), 2u);

    finished.clear();
    backend->sendError = "device removed";
    ASSERT_EQ(link->post(frame), MidiLink::kSendPending);
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[0].text, "device removed");

    // Past the bound the frame fails with the overrun message, and so does one
    // queued behind it; nothing is sent until the stuck send comes back.
    finished.clear();
    backend->sendError.clear();
    backend->holdSends(true);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(link->post(frame), MidiLink::kSendPending);
    ASSERT_EQ(link->post(frame), MidiLink::kSendPending);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 2; }, 3000));
    EXPECT_GE(clock.elapsed(), 990);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
    EXPECT_EQ(finished.at(1).at(0).toInt(), 1);
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[1].text, "The MIDI output did not finish the message within one second.");
    EXPECT_EQ(ui.messages[2].text, "The MIDI output has not finished the previous message.");
    EXPECT_EQ(link->post(frame), 1);
    backend->holdSends(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->post(frame) == MidiLink::kSendPending; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return backend->sentCount() == 5; }, 3000));
}

// Whole frames over JACK virtual ports; the test plays the unit with its own ports.
class MidiOverJack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!jack.running()) {
            GTEST_SKIP() << "no JACK server: " << jack.problem();
        }
    }

    JackServer jack;
};

TEST_F(MidiOverJack, FramesTravelWholeBothWays) {
    struct Received {
        std::mutex mutex;
        std::vector<Bytes> messages;
    } unitGot;
    RtMidiIn unitIn(RtMidi::UNIX_JACK, "unit");
    unitIn.ignoreTypes(false, true, true);
    unitIn.setCallback(
        [](double, std::vector<unsigned char>* m, void* self) {
            auto* r = static_cast<Received*>(self);
            const std::lock_guard lock(r->mutex);
            r->messages.emplace_back(m->begin(), m->end());
        },
        &unitGot);
    unitIn.openVirtualPort("unit-in");
    RtMidiOut unitOut(RtMidi::UNIX_JACK, "unit");
    unitOut.openVirtualPort("unit-out");

    ScriptedInteraction ui;
    MidiLink link(ui, makeRtMidiBackend("jack"));
    const auto in = link.inputDevices().indexOf(QRegularExpression(".*unit-out$"));
    const auto out = link.outputDevices().indexOf(QRegularExpression(".*unit-in$"));
    ASSERT_GE(in, 0) << link.inputDevices().join(", ").toStdString();
    ASSERT_GE(out, 0) << link.outputDevices().join(", ").toStdString();
    link.selectDevices(static_cast<int>(in), static_cast<int>(out));
    ASSERT_EQ(link.open(), 0) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    link.startInput();
    QSignalSpy frames(&link, &MidiLink::frameReceived);

    Bytes routing = header(uidOf(1), 0x22);
    routing.resize(786, 0x11);
    routing.push_back(0xF7);
    ASSERT_EQ(link.send(routing), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::lock_guard lock(unitGot.mutex);
            return !unitGot.messages.empty();
        },
        3000));
    EXPECT_EQ(unitGot.messages.front(), routing);

    Bytes reply = header(uidOf(1), 0x32);
    reply.resize(786, 0x22);
    reply.push_back(0xF7);
    unitOut.sendMessage(&reply);
    ASSERT_TRUE(frames.wait(3000));
    EXPECT_EQ(frames.at(0).at(0).toByteArray(),
              QByteArray(reinterpret_cast<const char*>(reply.data()),
                         static_cast<qsizetype>(reply.size())));

    link.close();
    EXPECT_FALSE(link.state().inputOpen);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MidiOverJack, OpeningAMissingDeviceShowsTheBackendsText) {
    ScriptedInteraction ui;
    MidiLink link(ui, makeRtMidiBackend("jack"));
    link.selectDevices(40, 40);
    EXPECT_EQ(link.open(), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "MIDI-Input Error");
    EXPECT_FALSE(ui.messages[0].text.isEmpty());
}

} // namespace
