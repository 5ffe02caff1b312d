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

// Each test gets its own thread registry and fetch queues (created before it, stopped and
// destroyed after it), an empty log and a home of its own.
class FetchMachineryTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }
    void TearDown() override { threads_.StopAll(5000); }
    TempHome home_;
    FetchQueues queues_;
    // Last, so its threads are joined before the queues go.
    ThreadRegistry threads_;
};
