// sendFrame's choice of link and its results, and the error reporter's table.
#include "links/error_reporter.h"
#include "links/send_path.h"
#include "support/fake_link.h"
#include "support/scripted_interaction.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

namespace {

class SendPath : public ::testing::Test {
protected:
    SendPath() {
        for (int i = 0; i < 19; ++i) {
            buffer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x10 + i);
        }
    }

    int send(bool connected, std::int32_t midi, std::int32_t network) {
        return sendFrame(buffer, 19, connected, {midi, network}, {&midi_, &network_, &serial_});
    }

    int sentTo(const FakeLink& l) const { return static_cast<int>(l.sent.size()); }

    FrameBuffer buffer{};
    FakeLink midi_, network_, serial_;
};

TEST_F(SendPath, TheLinkFlagsPickTheLinkAsTheyAlwaysHave) {
    struct Case {
        std::int32_t midi, network;
        const FakeLink* expected;
    };
    for (const Case c :
         {Case{1, 0, &midi_}, Case{1, 1, &midi_}, Case{0, 0, &serial_}, Case{0, 1, &network_},
          Case{2, 1, &network_}, Case{2, 0, nullptr}, Case{0, 2, nullptr}}) {
        for (FakeLink* l : {&midi_, &network_, &serial_}) {
            l->sent.clear();
        }
        EXPECT_EQ(send(true, c.midi, c.network), 0);
        for (const FakeLink* l : {&midi_, &network_, &serial_}) {
            EXPECT_EQ(sentTo(*l), l == c.expected ? 1 : 0)
                << "midi " << c.midi << " network " << c.network;
        }
    }
}

TEST_F(SendPath, NothingLeavesWhileNotConnected) {
    network_.result = -1;
    for (const auto& flags : {LinkFlags{1, 0}, LinkFlags{0, 0}, LinkFlags{0, 1}}) {
        EXPECT_EQ(sendFrame(buffer, 19, false, flags, {&midi_, &network_, &serial_}), 0);
    }
    EXPECT_EQ(sentTo(midi_) + sentTo(network_) + sentTo(serial_), 0);
}

TEST_F(SendPath, TheFrameGoesOutWithItsLengthAndTheLinksResultComesBack) {
    midi_.result = 1;
    EXPECT_EQ(send(true, 1, 0), 1);
    ASSERT_EQ(sentTo(midi_), 1);
    EXPECT_EQ(midi_.sent[0].size(), 19);
    EXPECT_EQ(static_cast<std::uint8_t>(midi_.sent[0][18]), 0x22);
    network_.result = -1;
    EXPECT_EQ(send(true, 0, 1), -1);
    serial_.result = 104;
    EXPECT_EQ(send(true, 0, 0), 104);

    EXPECT_EQ(sendFrame(buffer, 5000, true, {1, 0}, {&midi_, &network_, &serial_}), 1);
    EXPECT_EQ(midi_.sent.last().size(), kSendBufferSize); // never past the buffer
}

TEST_F(SendPath, OnlyASerialWriteClearsTheSharedBuffer) {
    const FrameBuffer frame = buffer;
    EXPECT_EQ(send(true, 1, 0), 0);
    EXPECT_EQ(buffer, frame);
    EXPECT_EQ(send(true, 0, 1), 0);
    EXPECT_EQ(buffer, frame);

    serial_.open = false; // port not open: nothing written, nothing cleared
    EXPECT_EQ(send(true, 0, 0), 0);
    EXPECT_EQ(sentTo(serial_), 0);
    EXPECT_EQ(buffer, frame);

    serial_.open = true;
    serial_.result = 104; // the write never started
    EXPECT_EQ(send(true, 0, 0), 104);
    EXPECT_EQ(buffer, frame);

    serial_.result = -1;
    EXPECT_EQ(send(true, 0, 0), -1);
    EXPECT_EQ(buffer, FrameBuffer{});
}

TEST(ErrorReporter, ShowsEachCodesTextUnderErrorAndNothingForMinusOne) {
    ScriptedInteraction ui;
    reportError(ui, -1);
    EXPECT_TRUE(ui.messages.empty());

    const std::pair<int, const char*> table[] = {
        {10, "Failed to allocate memory. Insufficient memory available!"},
        {20, "Failed to install Thread!"},
        {30, "Invalid Checkbox index!"},
        {100, "Invalid COM Port!"},
        {101, "Failed to open Serial COM port!"},
        {102, "Com Port opened!"},
        {103, "Com Port closed!"},
        {104, "Error while writing to COM port!"},
        {105, "COM Input timeout. No data received!"},
        {201, "Invalid data in input buffer"},
        {202, "Invalid message header"},
        {203, "Invalid message size (exceeds 300 Bytes)"},
        {1, "An unknown error occured!"},
        {0, "An unknown error occured!"},
        {-2, "An unknown error occured!"},
    };
    for (const auto& [code, text] : table) {
        reportError(ui, code);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().title, "Error");
        EXPECT_EQ(ui.messages.back().text, text) << code;
        EXPECT_EQ(ui.messages.back().icon, MessageIcon::Error);
    }
    EXPECT_EQ(ui.messages.size(), std::size(table));
}

TEST(ErrorReporter, SystemErrorsGoUnderErrorBangAndOptionallyToStandardError) {
    ScriptedInteraction ui;
    ::testing::internal::CaptureStderr();
    showSystemError(ui, "Access is denied.", AlsoToStderr::Yes);
    showSystemError(ui, "The device is not ready.", AlsoToStderr::No);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: Access is denied.\n");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[1].text, "The device is not ready.");
}

} // namespace
