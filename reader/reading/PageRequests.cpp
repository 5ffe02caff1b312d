#include "reader/reading/PageRequests.h"

#include <algorithm>

bool FindLaterGap(const ScreenEdges& screen, const QList<int>& stored, PageGap* gap) {
    if (screen.hasNext != 0 || screen.firstPage == 0 ||
        static_cast<unsigned>(screen.lastPage - screen.firstPage) > 100u)
        return false;
    if (stored.isEmpty())
        return false;
    const int highest = stored.last();
    // Until the pages the thread had when it was followed are all stored, the server's own
    // download fills the gaps.
    if (highest < screen.pageCount)
        return false;
    int p = screen.lastPage;
    if (p >= highest)
        return false;
    auto next = std::lower_bound(stored.begin(), stored.end(), p);
    if (next != stored.end() && *next == p)
        ++next;
    while (next != stored.end() && *next == p + 1) {
        p = *next;
        ++next;
    }
    if (next == stored.end())
        return false;
    gap->from = screen.lastPage;
    gap->to = std::min(*next, p + 10);
    gap->runEdge = p;
    return true;
}

bool FindEarlierGap(const ScreenEdges& screen, const QList<int>& stored, PageGap* gap) {
    if (screen.hasPrevious != 0 || screen.firstPage <= 1)
        return false;
    // Pages up to the screen's first page, which must itself be stored.
    auto end = std::upper_bound(stored.begin(), stored.end(), screen.firstPage);
    if (end == stored.begin() || *(end - 1) != screen.firstPage)
        return false;
    auto at = end - 1;
    int p = screen.firstPage;
    int below = 1;
    while (at != stored.begin()) {
        --at;
        if (*at != p - 1) {
            below = *at;
            break;
        }
        p = *at;
    }
    int lower = below;
    if (p - below > 10)
        lower = p - 10;
    if (p <= 1 || screen.firstPage - p > 50 || screen.lastPage - p > 150)
        return false;
    gap->from = p;
    gap->to = lower;
    gap->runEdge = p;
    return true;
}

ReaderPageRequests::ReaderPageRequests(StoredPagesReader readStored, ServerRequestSink* sink)
    : readStored_(std::move(readStored)), sink_(sink) {}

bool ReaderPageRequests::RequestLaterPages(const ScreenEdges& screen) {
    if (screen.hasNext != 0 || screen.firstPage == 0)
        return false;
    QList<int> stored;
    if (!readStored_ || !readStored_(stored))
        return false;
    PageGap gap;
    if (!FindLaterGap(screen, stored, &gap))
        return false;
    // A request from a page at most 8 before the end of the stored run is still pending.
    std::lock_guard lock(mutex_);
    for (int e : later_)
        if (e <= gap.runEdge && gap.runEdge - e < 9)
            return false;
    if (sink_)
        sink_->QueueSmall({CDTReadNeedNext, screen.focusPageNo, gap.from, gap.to, 0});
    later_.append(gap.from);
    return true;
}

bool ReaderPageRequests::RequestEarlierPages(const ScreenEdges& screen) {
    if (screen.hasPrevious != 0 || screen.firstPage <= 1)
        return false;
    QList<int> stored;
    if (!readStored_ || !readStored_(stored))
        return false;
    PageGap gap;
    if (!FindEarlierGap(screen, stored, &gap))
        return false;
    std::lock_guard lock(mutex_);
    for (int e : earlier_)
        if (e >= gap.runEdge && e - gap.runEdge < 9)
            return false;
    if (sink_)
        sink_->QueueSmall({CDTReadNeedLast, screen.focusPageNo, gap.from, gap.to, 0});
    earlier_.append(gap.from);
    return true;
}

void ReaderPageRequests::Answered(int page) {
    std::lock_guard lock(mutex_);
    later_.removeOne(page);
    earlier_.removeOne(page);
}

QList<int> ReaderPageRequests::LaterRequests() const {
    std::lock_guard lock(mutex_);
    return later_;
}

QList<int> ReaderPageRequests::EarlierRequests() const {
    std::lock_guard lock(mutex_);
    return earlier_;
}
