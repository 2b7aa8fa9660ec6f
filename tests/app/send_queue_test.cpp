#include "app/send_queue.h"
#include "support/wait.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;

namespace {

SequenceStep step(std::uint8_t tag, int pause) {
    return {{0xF0, tag, 0xF7}, pause};
}

struct Recorder {
    std::vector<std::uint8_t> tags;
    std::vector<qint64> times;
    QElapsedTimer clock;
    int failOnTag = -1;
    int failure = -1;

    SendQueue::SendFunction function() {
        clock.start();
        return [this](std::span<const std::uint8_t> frame) {
            tags.push_back(frame[1]);
            times.push_back(clock.elapsed());
            return frame[1] == failOnTag ? failure : 0;
        };
    }
};

} // namespace

TEST(SendQueue, FirstFrameLeavesAtOnceAndPausesAreKept) {
    Recorder rec;
    SendQueue queue(rec.function());
    QSignalSpy busy(&queue, &SendQueue::busyChanged);
    int doneResult = -99;
    queue.enqueue({step(1, 20), step(2, 50), step(3, 20)}, [&](int r) { doneResult = r; });
    ASSERT_EQ(rec.tags, (std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(queue.busy());
    ASSERT_EVENTUALLY(!queue.busy(), 2000);
    EXPECT_EQ(rec.tags, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_GE(rec.times[1] - rec.times[0], 19);
    EXPECT_GE(rec.times[2] - rec.times[1], 49);
    EXPECT_EQ(doneResult, 0);
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
}

TEST(SendQueue, SequencesRunInOrderWithoutBlockingTheLoop) {
    Recorder rec;
    SendQueue queue(rec.function());
    queue.enqueue({step(1, 30), step(2, 30)});
    queue.enqueue({step(3, 0)});
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(5);
    ASSERT_EVENTUALLY(!queue.busy(), 2000);
    EXPECT_EQ(rec.tags, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_GE(ticks, 5); // the loop kept running during the pauses
}

TEST(SendQueue, FailureEndsOnlyItsOwnSequence) {
    Recorder rec;
    rec.failOnTag = 2;
    rec.failure = 104;
    SendQueue queue(rec.function());
    QSignalSpy failed(&queue, &SendQueue::sendFailed);
    int first = -99;
    int second = -99;
    queue.enqueue({step(1, 10), step(2, 10), step(3, 10)}, [&](int r) { first = r; });
    queue.enqueue({step(4, 0)}, [&](int r) { second = r; });
    ASSERT_EVENTUALLY(!queue.busy(), 2000);
    EXPECT_EQ(rec.tags, (std::vector<std::uint8_t>{1, 2, 4}));
    EXPECT_EQ(first, 104);
    EXPECT_EQ(second, 0);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toInt(), 104);
}

TEST(SendQueue, PauseAndClear) {
    Recorder rec;
    SendQueue queue(rec.function());
    queue.enqueuePause(40);
    queue.enqueue({step(1, 0)});
    EXPECT_TRUE(rec.tags.empty());
    ASSERT_EVENTUALLY(rec.tags.size() == std::size_t{1}, 2000);
    EXPECT_GE(rec.times[0], 39);

    queue.enqueue({step(2, 100), step(3, 0)});
    queue.clear();
    EXPECT_FALSE(queue.busy());
    QTest::qWait(150);
    EXPECT_EQ(rec.tags, (std::vector<std::uint8_t>{1, 2}));
}

TEST(SendQueue, DoneMayQueueMore) {
    Recorder rec;
    SendQueue queue(rec.function());
    queue.enqueue({step(1, 0)}, [&](int) { queue.enqueue({step(2, 0)}); });
    ASSERT_EVENTUALLY(!queue.busy(), 2000);
    EXPECT_EQ(rec.tags, (std::vector<std::uint8_t>{1, 2}));
}
