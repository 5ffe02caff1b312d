#include "common/ThreadRegistry.h"

#include "common/Log.h"

#include <atomic>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<int> runningThreads{0};
std::atomic<int> stopFlag{0};
AutoResetEvent allEnded;

int currentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

} // namespace

void ThreadBegin(const QString& name) {
    const int n = ++runningThreads;
    Log(name + QString::asprintf("     Thread %d begin! Thread num=%d  ", currentThreadId(), n));
}

void ThreadEnd(const QString& name) {
    const int n = --runningThreads;
    if (n == 0 && stopFlag.load() == 1)
        allEnded.Set();
    Log(name + QString::asprintf("     Thread %d end! Thread num=%d  ", currentThreadId(), n));
}

int StopFlag() {
    return stopFlag.load();
}

int RunningThreadCount() {
    return runningThreads.load();
}

AutoResetEvent& GuardWakeEvent() {
    static AutoResetEvent event;
    return event;
}

bool StopAllThreads(int timeoutMs) {
    stopFlag.store(1);
    GuardWakeEvent().Set();
    if (runningThreads.load() != 0)
        allEnded.WaitFor(timeoutMs);
    if (runningThreads.load() != 0) {
        Log(QStringLiteral("Some thread no exit ........................................."),
            LogWarn);
        return false;
    }
    Log(QStringLiteral("All thread exit ....................................................."));
    return true;
}

bool AllThreadsEndedSignalled() {
    return allEnded.IsSignalled();
}

void ResetThreadRegistry() {
    stopFlag.store(0);
    allEnded.Reset();
    GuardWakeEvent().Reset();
}
