// MIDI sends leave the event loop running: the sender reports back instead of
// the main thread waiting for each frame to leave the port.
#include "links/midi_send_stall.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento::testing;

namespace {

TEST(MidiSendStall, ARoutingTableAndAGainBurstAtMidiSpeedHardlyStallTheEventLoop) {
    const MidiSendStall figure = measureMidiSendStall();
    ASSERT_TRUE(figure.finished) << "sent " << figure.framesSent << " frames";
    // The wire time alone is about 250 ms for the table and 7 ms per gain frame.
    EXPECT_GE(figure.totalMs, 250);
    EXPECT_LT(figure.longestStallMs, 100);
    EXPECT_GE(figure.framesSent, 1u + kStallGainFrames);
    EXPECT_EQ(figure.messages, 0u);
}

} // namespace

namespace {

// A session on a MIDI link with a test backend, connected.
class MidiSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<ScriptedBackend>();
        backend = owned.get();
        link = std::make_unique<varento::MidiLink>(ui, std::move(owned));
        ASSERT_EQ(link->open(), 0);
        session = std::make_unique<varento::Session>(
            ui, varento::SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
        session->useLinkOverride(link.get());
    }
    void TearDown() override { session.reset(); }

    QStringList texts() const {
        QStringList out;
        for (const auto& m : ui.messages) {
            out << m.title + ": " + m.text;
        }
        return out;
    }

    QTemporaryDir dir;
    ScriptedInteraction ui;
    ScriptedBackend* backend = nullptr;
    std::unique_ptr<varento::MidiLink> link;
    std::unique_ptr<varento::Session> session;
};

TEST_F(MidiSessionTest, APollRequestThatFailsOnItsWayDisconnects) {
    backend->sendError = "device removed";
    session->connectOrDisconnect();
    ASSERT_TRUE(session->state().isConnected);
    QSignalSpy connected(session.get(), &varento::Session::connectedChanged);
    ASSERT_TRUE(connected.wait(3000));
    EXPECT_FALSE(session->state().isConnected);
    EXPECT_EQ(texts(), QStringList{"Error!: device removed"});
}

TEST_F(MidiSessionTest, ASequenceFrameThatFailsOnItsWayIsReportedAndEndsTheSequence) {
    session->connectOrDisconnect();
    ASSERT_TRUE(session->state().isConnected);
    session->pollTimer().stop();
    const std::size_t before = backend->sentCount();
    backend->sendError = "device removed";
    session->sendAllSettings();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->sendQueue().busy(); }, 3000));
    EXPECT_EQ(backend->sentCount(), before + 1); // nothing after the failed frame
    EXPECT_EQ(texts(), (QStringList{"Error!: device removed", "Error: An unknown error occured!"}));
}

} // namespace
