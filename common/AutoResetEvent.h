#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that releases one waiter per signal and then resets itself; a signal given
// while nobody waits is kept until the next wait.
class AutoResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_one();
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
    }

    // True when signalled within the time, false on time-out.
    bool WaitFor(int milliseconds) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [this] { return signalled_; }))
            return false;
        signalled_ = false;
        return true;
    }

    bool IsSignalled() const {
        std::lock_guard lock(mutex_);
        return signalled_;
    }

    void Reset() {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};
