#include "common/ThreadRegistry.h"

#include "common/Log.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<ThreadRegistry*> current{nullptr};

int currentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

} // namespace

ThreadRegistry::ThreadRegistry() {
    previous_ = current.exchange(this);
}

ThreadRegistry::~ThreadRegistry() {
    stopFlag_.store(1);
    guardWake_.Set();
    std::vector<std::function<void()>> listeners;
    {
        std::lock_guard lock(mutex_);
        listeners = stopListeners_;
    }
    for (const auto& listener : listeners)
        listener();
    JoinAll();
    ThreadRegistry* expected = this;
    current.compare_exchange_strong(expected, previous_);
}

ThreadRegistry* ThreadRegistry::Current() {
    return current.load();
}

bool ThreadRegistry::Start(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    if (stopFlag_.load() != 0)
        return false;
    // Threads that ended during normal running (a replaced loader, the start-up thread).
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([work = std::move(work), finished] {
        work();
        finished->store(true);
    });
    workers_.push_back({std::move(thread), std::move(finished)});
    return true;
}

void ThreadRegistry::JoinAll() {
    // Start refuses new threads once the flag is set, so the list stays empty after this.
    std::vector<Worker> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (Worker& worker : workers)
        worker.thread.join();
}

void ThreadRegistry::Begin(const QString& name) {
    const int n = ++running_;
    Log(name + QString::asprintf("     Thread %d begin! Thread num=%d  ", currentThreadId(), n));
}

void ThreadRegistry::End(const QString& name) {
    const int n = --running_;
    if (n == 0 && stopFlag_.load() == 1)
        allEnded_.Set();
    Log(name + QString::asprintf("     Thread %d end! Thread num=%d  ", currentThreadId(), n));
}

void ThreadRegistry::AddStopListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    stopListeners_.push_back(std::move(listener));
}

bool ThreadRegistry::StopAll(int timeoutMs) {
    std::vector<std::function<void()>> listeners;
    {
        std::lock_guard lock(mutex_);
        stopFlag_.store(1);
        listeners = stopListeners_;
    }
    guardWake_.Set();
    for (const auto& listener : listeners)
        listener();
    if (running_.load() != 0)
        allEnded_.WaitFor(timeoutMs);
    if (running_.load() != 0) {
        Log(QStringLiteral("Some thread no exit ........................................."),
            LogWarn);
        return false;
    }
    Log(QStringLiteral("All thread exit ....................................................."));
    // Every started thread is past its ThreadEnd; joining only waits for its last return.
    JoinAll();
    return true;
}

void ThreadBegin(const QString& name) {
    if (ThreadRegistry* registry = ThreadRegistry::Current())
        registry->Begin(name);
}

void ThreadEnd(const QString& name) {
    if (ThreadRegistry* registry = ThreadRegistry::Current())
        registry->End(name);
}

int StopFlag() {
    ThreadRegistry* registry = ThreadRegistry::Current();
    return registry ? registry->StopFlag() : 0;
}

int RunningThreadCount() {
    ThreadRegistry* registry = ThreadRegistry::Current();
    return registry ? registry->Running() : 0;
}

bool StopAllThreads(int timeoutMs) {
    ThreadRegistry* registry = ThreadRegistry::Current();
    return registry ? registry->StopAll(timeoutMs) : true;
}

bool AllThreadsEndedSignalled() {
    ThreadRegistry* registry = ThreadRegistry::Current();
    return registry && registry->AllEndedSignalled();
}
