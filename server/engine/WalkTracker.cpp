#include "server/engine/WalkTracker.h"

#include "server/engine/EngineState.h"

WalkTracker& WalkTracker::Instance() {
    return EngineState::Current().walks;
}

void WalkTracker::Begin(const QString& databaseFile) {
    std::lock_guard lock(mutex_);
    ++threads_[databaseFile].inFlight;
}

void WalkTracker::WantGapFill(const PageTask& task) {
    std::lock_guard lock(mutex_);
    Thread& thread = threads_[task.databaseFile];
    thread.gapFillWanted = true;
    thread.task = task;
}

std::optional<PageTask> WalkTracker::End(const QString& databaseFile) {
    std::lock_guard lock(mutex_);
    const auto it = threads_.find(databaseFile);
    if (it == threads_.end())
        return std::nullopt;
    if (it->inFlight > 0)
        --it->inFlight;
    if (it->inFlight > 0)
        return std::nullopt;
    std::optional<PageTask> fill;
    if (it->gapFillWanted)
        fill = it->task;
    threads_.erase(it);
    return fill;
}
