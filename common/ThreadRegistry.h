#pragma once

#include "common/AutoResetEvent.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A program's worker threads: the running-thread counter, the stop flag, the guard wake-up
// and all-threads-ended events, and the threads it started, which it joins. Each program's
// owner holds one; while it lives it is the registry that ThreadBegin, ThreadEnd and
// StopRequested speak to. Nothing here outlives the owner, so the program's end never waits
// on an event that static destructors have taken away.
class ThreadRegistry {
public:
    ThreadRegistry();
    // Stops every thread it started and joins them, however long they take; owners that
    // must keep the 15 s bound call StopAll first.
    ~ThreadRegistry();
    ThreadRegistry(const ThreadRegistry&) = delete;
    ThreadRegistry& operator=(const ThreadRegistry&) = delete;

    // The registry of the running program, or null when none lives.
    static ThreadRegistry* Current();

    // Starts a worker thread owned by this registry; false (nothing started) once stopping.
    bool Start(std::function<void()> work);

    void Begin(const QString& name);
    void End(const QString& name);

    int StopFlag() const { return stopFlag_.load(); }
    int Running() const { return running_.load(); }
    // The refresh guard sleeps on this; a stop signals it.
    AutoResetEvent& GuardWake() { return guardWake_; }
    bool AllEndedSignalled() const { return allEnded_.IsSignalled(); }

    // Called by a stop, after the flag is set (waiters elsewhere are woken by it).
    void AddStopListener(std::function<void()> listener);

    // Sets the stop flag, wakes the guard and the stop listeners, waits up to `timeoutMs` for
    // every registered thread to end and logs the outcome. The threads this registry started
    // are joined when all ended. True when all ended in time.
    bool StopAll(int timeoutMs = 15000);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void JoinAll();

    std::atomic<int> running_{0};
    std::atomic<int> stopFlag_{0};
    AutoResetEvent allEnded_;
    AutoResetEvent guardWake_;
    std::mutex mutex_; // guards the workers and the listeners
    std::vector<Worker> workers_;
    std::vector<std::function<void()>> stopListeners_;
    ThreadRegistry* previous_ = nullptr;
};

// Called as the first and the last statement of every registered worker thread.
void ThreadBegin(const QString& name);
void ThreadEnd(const QString& name);

// The stop flag of the current registry: 0 running, 1 stopping (0 when there is none).
int StopFlag();
inline bool StopRequested() {
    return StopFlag() == 1;
}

// Number of registered threads now running.
int RunningThreadCount();

// StopAll on the current registry (true when there is none).
bool StopAllThreads(int timeoutMs = 15000);

// True when the all-threads-ended event is signalled (consumed by StopAllThreads).
bool AllThreadsEndedSignalled();
