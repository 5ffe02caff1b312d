#pragma once

#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/DirectFetcher.h"
#include "server/fetch/FetchQueues.h"
#include "tests/support/TempHome.h"

#include <QElapsedTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

// Waits for a condition polled every few milliseconds; false after `limitMs`.
template <typename Condition> bool WaitUntil(Condition condition, int limitMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Empty queues, log and thread registry before each test; every thread the test started is
// stopped and the fetch limits restored after it, in a home of its own.
class FetchMachineryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearFetchQueues();
        ClearLog();
        ResetThreadRegistry();
    }
    void TearDown() override {
        StopAllThreads(5000);
        ClearFetchQueues();
        ResetThreadRegistry();
        SetDirectFetchLimits(FetchLimits());
    }
    TempHome home_;
};
