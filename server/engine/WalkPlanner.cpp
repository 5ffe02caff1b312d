#include "server/engine/WalkPlanner.h"

#include <algorithm>

std::vector<PlannedStep> ForwardBatch(QList<NavLink> nextLinks, int target) {
    while (!nextLinks.isEmpty() && nextLinks.last().pageNo > target)
        nextLinks.removeLast();
    std::vector<PlannedStep> steps;
    if (nextLinks.isEmpty())
        return steps;
    steps.push_back({nextLinks.last(), true});
    for (qsizetype i = 0; i + 1 < nextLinks.size(); ++i)
        steps.push_back({nextLinks[i], false});
    return steps;
}

std::vector<PlannedStep> BackwardBatch(QList<NavLink> prevLinks, int target) {
    while (!prevLinks.isEmpty() && prevLinks.first().pageNo < target)
        prevLinks.removeFirst();
    std::vector<PlannedStep> steps;
    if (prevLinks.isEmpty())
        return steps;
    steps.push_back({prevLinks.first(), true});
    for (qsizetype i = prevLinks.size() - 1; i >= 1; --i)
        steps.push_back({prevLinks[i], false});
    return steps;
}

int NewestPagesLow(int lastPage) {
    return lastPage <= kNewestPagesOfNewFollow ? 1 : lastPage - kNewestPagesOfNewFollow;
}

int NewestPagesResumeTarget(const QList<int>& stored) {
    if (stored.isEmpty())
        return 0;
    const int last = stored.last();
    const int low = NewestPagesLow(last);
    const auto inRun =
        std::count_if(stored.begin(), stored.end(), [low](int page) { return page >= low; });
    return inRun == last - low + 1 ? 0 : low;
}

GapFill PlanGapFill(const QList<int>& stored) {
    GapFill fill;
    if (stored.isEmpty())
        return fill;
    const int last = stored.last();
    const int low = NewestPagesLow(last);

    // The newest run of consecutive pages, walked down from the newest page.
    qsizetype i = stored.size() - 1;
    bool reachedLow = stored[i] == low;
    while (!reachedLow && i > 0 && stored[i - 1] == stored[i] - 1) {
        --i;
        reachedLow = stored[i] == low;
    }
    const bool endedAtGap = !reachedLow && i > 0;
    int prev = 0;
    if (endedAtGap) {
        const int bottom = stored[i];
        prev = stored[i - 1];
        const int missing = bottom - prev - 1;
        if (missing >= 2 && missing <= 4) {
            fill.kind = GapFill::RepairBelowNewest;
            fill.fromPage = bottom;
            fill.type = 4;
            fill.target = std::max(prev + 2, low);
            return fill;
        }
    }

    // The first pages, once the thread has more than the newest pages stored.
    if (stored.size() <= kNewestPagesOfNewFollow)
        return fill;
    int p = 1;
    int e = 0;
    if (stored.first() == 1) {
        qsizetype j = 0;
        while (j + 1 < stored.size() && stored[j + 1] == stored[j] + 1)
            ++j;
        p = stored[j];
        if (j + 1 >= stored.size())
            return fill; // every stored page follows page 1 without a gap
        e = stored[j + 1] - 1;
    } else {
        e = endedAtGap ? prev + 1 : kFirstPagesToComplete;
    }
    if (p >= kFirstPagesToComplete)
        return fill;
    fill.kind = GapFill::CompleteFirstPages;
    fill.fromPage = p;
    fill.useThreadAddress = p == 1;
    fill.type = 3;
    fill.target = std::min(e, kFirstPagesToComplete);
    return fill;
}
