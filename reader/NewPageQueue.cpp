#include "reader/NewPageQueue.h"

void NewPageQueue::Put(int followNo, int page) {
    std::lock_guard lock(mutex_);
    for (auto& pair : pairs_) {
        if (pair.first == followNo) {
            pair.second = page;
            return;
        }
    }
    pairs_.append({followNo, page});
}

std::optional<QPair<int, int>> NewPageQueue::Take() {
    std::lock_guard lock(mutex_);
    if (pairs_.isEmpty())
        return std::nullopt;
    return pairs_.takeFirst();
}

QList<QPair<int, int>> NewPageQueue::Copy() const {
    std::lock_guard lock(mutex_);
    return pairs_;
}
