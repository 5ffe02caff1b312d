#include "server/fetch/RequestQueue.h"

#include "common/ThreadRegistry.h"

#include <algorithm>
#include <chrono>

void RequestQueue::Push(const WebpageInfo& request, bool atFront) {
    PushUnlessQueued(request, atFront, nullptr);
}

bool RequestQueue::PushUnlessQueued(const WebpageInfo& request, bool atFront,
                                    const std::function<bool(const WebpageInfo&)>& queued) {
    bool wakeAll = false;
    {
        std::lock_guard lock(mutex_);
        if (queued && std::any_of(items_.begin(), items_.end(), queued))
            return false;
        if (atFront)
            items_.push_front(request);
        else
            items_.push_back(request);
        flag_.store(true);
        // A waiter that wants only some requests may not take this one: then all wake.
        wakeAll = choosyWaiters_ > 0;
    }
    if (wakeAll)
        cv_.notify_all();
    else
        cv_.notify_one();
    std::function<void()> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = listener_;
    }
    if (listener)
        listener();
    return true;
}

bool RequestQueue::Take(WebpageInfo* request, const std::function<bool(const WebpageInfo&)>& choose,
                        bool fallbackToFirst) {
    std::lock_guard lock(mutex_);
    if (items_.empty()) {
        flag_.store(false);
        return false;
    }
    auto chosen = items_.end();
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (!choose || choose(*it)) {
            chosen = it;
            break;
        }
    }
    if (chosen == items_.end()) {
        if (!fallbackToFirst)
            return false;
        chosen = items_.begin();
    }
    *request = std::move(*chosen);
    items_.erase(chosen);
    if (items_.empty())
        flag_.store(false);
    return true;
}

bool RequestQueue::TakeFirst(WebpageInfo* request) {
    return Take(request, nullptr, true);
}

void RequestQueue::Promote(const QStringList& addresses) {
    std::lock_guard lock(mutex_);
    std::deque<WebpageInfo> first;
    std::deque<WebpageInfo> rest;
    for (auto& item : items_) {
        if (addresses.contains(item.address))
            first.push_back(std::move(item));
        else
            rest.push_back(std::move(item));
    }
    for (auto& item : rest)
        first.push_back(std::move(item));
    items_ = std::move(first);
}

bool RequestQueue::WaitForWork(int milliseconds) {
    return WaitForMatch(nullptr, milliseconds);
}

bool RequestQueue::WaitForMatch(const std::function<bool(const WebpageInfo&)>& wanted,
                                int milliseconds) {
    // The stop flag has no way to signal this queue, so it is looked at in short slices.
    constexpr int kStopSliceMs = 100;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(mutex_);
    const uint64_t generation = wakeGeneration_;
    const auto found = [&] {
        return wanted ? std::any_of(items_.begin(), items_.end(), wanted) : !items_.empty();
    };
    if (wanted)
        ++choosyWaiters_;
    while (!found() && wakeGeneration_ == generation && !StopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        cv_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(kStopSliceMs)));
    }
    if (wanted)
        --choosyWaiters_;
    return found();
}

void RequestQueue::WakeAll() {
    {
        std::lock_guard lock(mutex_);
        ++wakeGeneration_;
    }
    cv_.notify_all();
}

void RequestQueue::SetPushListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

int RequestQueue::Size() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

QStringList RequestQueue::Addresses() const {
    std::lock_guard lock(mutex_);
    QStringList list;
    for (const auto& item : items_)
        list.append(item.address);
    return list;
}

void RequestQueue::Clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
    flag_.store(false);
}
