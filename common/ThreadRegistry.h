#pragma once

#include "common/AutoResetEvent.h"

#include <QString>

// Called as the first and the last statement of every registered worker thread.
void ThreadBegin(const QString& name);
void ThreadEnd(const QString& name);

// The process-wide stop flag: 0 running, 1 stopping. Every worker loop ends when it is 1.
int StopFlag();
inline bool StopRequested() {
    return StopFlag() == 1;
}

// Number of registered threads now running.
int RunningThreadCount();

// The refresh guard waits on this; StopAllThreads signals it so the guard ends at once.
AutoResetEvent& GuardWakeEvent();

// Sets the stop flag, wakes the guard and waits for every registered thread to end.
// Returns true when all ended within the wait.
bool StopAllThreads(int timeoutMs = 15000);

// True when the all-threads-ended event is signalled (consumed by StopAllThreads).
bool AllThreadsEndedSignalled();

// Back to a running state, for tests that stop and start again in one process.
void ResetThreadRegistry();
