#pragma once

#include "server/fetch/WebpageInfo.h"

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// One process-wide list of requests with its own lock and a may-be-non-empty flag that
// consumers may test without the lock (a hint only: every decision is taken under the lock).
// Consumers that find it empty wait on it instead of sleeping a whole period, so a push
// wakes them at once.
class RequestQueue {
public:
    // Inserts a copy at the front or the back, sets the flag and wakes one waiter, or all of
    // them while some wait for a particular kind of request.
    void Push(const WebpageInfo& request, bool atFront);
    // The same, unless a queued request already matches `queued`; true when it was pushed.
    bool PushUnlessQueued(const WebpageInfo& request, bool atFront,
                          const std::function<bool(const WebpageInfo&)>& queued);

    // Takes the first request for which `choose` returns true. When `fallbackToFirst` is set
    // and none matches, takes the first request. Clears the flag when the queue is found or
    // left empty.
    bool Take(WebpageInfo* request, const std::function<bool(const WebpageInfo&)>& choose,
              bool fallbackToFirst);
    bool TakeFirst(WebpageInfo* request);

    // Moves every request whose address is one of `addresses` ahead of the others, keeping
    // the order within both parts.
    void Promote(const QStringList& addresses);

    // Waits until the queue holds something, `milliseconds` pass, WakeAll is called or the
    // stop flag is set.
    // True when there may be work.
    bool WaitForWork(int milliseconds);
    // The same, but only a request for which `wanted` returns true ends the wait early.
    bool WaitForMatch(const std::function<bool(const WebpageInfo&)>& wanted, int milliseconds);
    // Releases every waiter (shutdown).
    void WakeAll();

    // Called after every push, outside the lock (a consumer that waits elsewhere).
    void SetPushListener(std::function<void()> listener);

    bool MayHaveWork() const { return flag_.load(); }
    int Size() const;
    QStringList Addresses() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<WebpageInfo> items_;
    std::atomic<bool> flag_{false};
    uint64_t wakeGeneration_ = 0;
    int choosyWaiters_ = 0; // waiting in WaitForMatch with a condition, under mutex_
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};
