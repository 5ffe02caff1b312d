#pragma once

#include <QList>
#include <QPair>

#include <mutex>
#include <optional>

// The server's new-page reports waiting to be handed to the reading models: at most one pair
// (follow number, page) per follow, a newer report replacing the page of a waiting one.
class NewPageQueue {
public:
    void Put(int followNo, int page);
    std::optional<QPair<int, int>> Take();
    QList<QPair<int, int>> Copy() const;

private:
    mutable std::mutex mutex_;
    QList<QPair<int, int>> pairs_;
};
