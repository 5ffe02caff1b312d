#include "server/engine/FollowedThreads.h"

#include "server/engine/EngineState.h"

FollowedThreads& FollowedThreads::Instance() {
    return EngineState::Current().follows;
}

bool FollowedThreads::Load() {
    QList<FollowRecord> rows;
    if (!ListFollowedThreads(rows))
        return false;
    std::lock_guard lock(mutex_);
    rows_ = std::move(rows);
    return true;
}

std::optional<FollowRecord> FollowedThreads::Find(int focusPageNo) const {
    std::lock_guard lock(mutex_);
    for (const FollowRecord& row : rows_)
        if (row.focusPageNo == focusPageNo)
            return row;
    return std::nullopt;
}

void FollowedThreads::ForEach(const std::function<void(const FollowRecord&)>& visit) const {
    std::lock_guard lock(mutex_);
    for (const FollowRecord& row : rows_)
        visit(row);
}

QList<FollowRecord> FollowedThreads::Rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

void FollowedThreads::Clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
}
