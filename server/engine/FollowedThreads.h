#pragma once

#include "store/Catalogue.h"

#include <QList>

#include <functional>
#include <mutex>
#include <optional>

// The server's copy of the catalogue's follows, guarded by the follow-list lock. Rows the
// reader deletes stay here until the next reload.
class FollowedThreads {
public:
    // The running server's list (its EngineState).
    static FollowedThreads& Instance();

    // Replaces the list with the catalogue's rows; false (list unchanged) when it cannot be read.
    bool Load();
    // The row with this follow number.
    std::optional<FollowRecord> Find(int focusPageNo) const;
    // Calls `visit` for each row while holding the lock (only queueing belongs in it).
    void ForEach(const std::function<void(const FollowRecord&)>& visit) const;
    QList<FollowRecord> Rows() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    QList<FollowRecord> rows_;
};
