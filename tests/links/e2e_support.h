#pragma once

// What the end-to-end tests share: the emulated units, and a conversation that
// sends through sendFrame and waits for the reply of a given command.

#include "links/frame_link.h"
#include "links/send_path.h"
#include "protocol/frame_builders.h"
#include "protocol/handle_frame.h"
#include "support/emulator_process.h"
#include "support/frames.h"

#include <QList>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace varento::testing {

inline const DeviceUid kUnitA = uidOf(1);
inline const DeviceUid kUnitB = uidOf(9);

inline QString uidArg(const DeviceUid& uid) {
    QString text;
    for (const std::uint8_t b : uid.bytes) {
        text += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

// "--unit MODEL:UID:4.2[@DAEMON]"
inline QStringList unitArgs(int model, const DeviceUid& uid, int daemon = -1) {
    QString unit = QStringLiteral("%1:%2:4.2").arg(model).arg(uidArg(uid));
    if (daemon >= 0) {
        unit += QStringLiteral("@%1").arg(daemon);
    }
    return {QStringLiteral("--unit"), unit};
}

inline std::uint8_t commandOf(const QByteArray& frame) {
    return frame.size() > 17 ? static_cast<std::uint8_t>(frame[17]) : 0;
}

// How long a reply may take. Sanitized builds running beside other tests answer
// over JACK in seconds, not milliseconds.
#ifdef VARENTO_SANITIZED
inline constexpr int kReplyTimeoutMs = 10000;
#else
inline constexpr int kReplyTimeoutMs = 3000;
#endif

class Conversation {
public:
    Conversation(FrameLink& link, LinkFlags flags) : flags_(flags) {
        links_ = {&link, &link, &link};
        QObject::connect(&link, &FrameLink::frameReceived,
                         [this](const QByteArray& f) { received.push_back(f); });
    }

    // Sends the frame built into `buffer` and waits for a frame with `reply` as
    // its command; every frame received meanwhile stays in `received`.
    std::optional<QByteArray> ask(FrameBuffer& buffer, int length, std::uint8_t reply,
                                  int timeoutMs = kReplyTimeoutMs) {
        const qsizetype seen = received.size();
        if (const int r = sendFrame(buffer, length, true, flags_, links_); r != 0) {
            ADD_FAILURE() << "sendFrame gave " << r;
            return std::nullopt;
        }
        std::optional<QByteArray> answer;
        (void)QTest::qWaitFor(
            [&] {
                for (qsizetype i = seen; i < received.size(); ++i) {
                    if (commandOf(received[i]) == reply) {
                        answer = received[i];
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return answer;
    }

    // Discovery on the current daemon: the units it answers for. Asked again when
    // no answer comes, as the poll does: a port connected a moment ago (JACK under
    // a sanitizer beside other tests) may miss the first request.
    std::vector<DeviceUid> discover(int daemonIndex = 0) {
        FrameBuffer buffer{};
        std::optional<QByteArray> list;
        for (int attempt = 0; attempt < 3 && !list; ++attempt) {
            list = ask(buffer, buildDiscover(buffer), cmd::discover, kReplyTimeoutMs / 2);
        }
        if (!list) {
            return {};
        }
        DiscoveredList found;
        DeviceRecord current;
        DeviceRecord shadow;
        current.searchDaemonIndex = daemonIndex;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(list->constData());
        const FrameOutcome out = handleFrame(
            std::span(bytes, static_cast<std::size_t>(list->size())), current, shadow, found);
        EXPECT_EQ(out.changeCode, change::unitList);
        std::vector<DeviceUid> uids;
        for (const DeviceRecord& r : found) {
            EXPECT_EQ(r.daemonIndex, daemonIndex);
            uids.push_back(r.uid);
        }
        return uids;
    }

    // Asks one unit for its parameters; its model code, or nothing.
    std::optional<int> modelOf(const DeviceUid& uid) {
        DeviceRecord record;
        DeviceRecord shadow;
        DiscoveredList list;
        record.uid = uid;
        FrameBuffer buffer{};
        const int length = buildRequestParams(buffer, record);
        const auto reply = ask(buffer, length, cmd::paramsReply);
        if (!reply) {
            return std::nullopt;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(reply->constData());
        const FrameOutcome out = handleFrame(
            std::span(bytes, static_cast<std::size_t>(reply->size())), record, shadow, list);
        EXPECT_EQ(out.result, frame_result::accepted);
        return record.model;
    }

    QList<QByteArray> received;

private:
    LinkFlags flags_;
    SendLinks links_;
};

} // namespace varento::testing
