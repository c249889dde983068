// Waiting in a widget test until something has happened, as a GoogleTest
// assertion. Qt's QTRY_ macros report to a QTest run, which these programs are
// not: a QTRY_ that timed out would end the test early and let it pass.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

// Processes events until condition holds; fails the test (and returns from the
// function) when it does not within timeoutMs.
#define ASSERT_EVENTUALLY(condition, timeoutMs)                                                    \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs))          \
        << "still not true after " << (timeoutMs) << " ms: " #condition
