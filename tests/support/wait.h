#pragma once

#include <QTest>

#include <gtest/gtest.h>

// Runs the event loop until the condition holds; fails the test when it does not
// within the time (QTRY_* would only report to QTest, not to GoogleTest).
#define EXPECT_EVENTUALLY(condition, timeoutMs)                                                  \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs))     \
        << "never became true: " #condition
#define ASSERT_EVENTUALLY(condition, timeoutMs)                                                  \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs))     \
        << "never became true: " #condition
