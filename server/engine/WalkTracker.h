#pragma once

#include "server/fetch/PageTask.h"

#include <QHash>
#include <QString>

#include <mutex>
#include <optional>

// Counts the walk requests of each thread that are queued, downloading or being loaded.
// The gap filler plans from the pages stored so far; run while pages of the same batch are
// still on their way it sees holes that are about to close, plans nothing or fetches pages
// twice, and a new follow can end without its first pages. So a walk's wish to fill gaps is
// kept until the thread's last request in flight has ended.
class WalkTracker {
public:
    // The running server's tracker (its EngineState).
    static WalkTracker& Instance();

    void Begin(const QString& databaseFile);
    // The thread's gap filler should run when its requests have ended (with this task's
    // follow number and file).
    void WantGapFill(const PageTask& task);
    // One request of the thread has ended (walked, or lost on the way); the task to fill gaps
    // for when it was the last one and a fill is wanted.
    std::optional<PageTask> End(const QString& databaseFile);

private:
    struct Thread {
        int inFlight = 0;
        bool gapFillWanted = false;
        PageTask task;
    };
    std::mutex mutex_;
    QHash<QString, Thread> threads_;
};
