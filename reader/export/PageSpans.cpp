#include "reader/export/PageSpans.h"

#include "store/ThreadDatabase.h"

#include <algorithm>

QList<PageSpan> PlanPageSpans(const QList<int>& stored, int firstPage, int lastPage) {
    QList<int> inRange;
    for (int page : stored)
        if (page >= firstPage && page <= lastPage)
            inRange.append(page);
    QList<PageSpan> spans;
    int from = firstPage;
    for (qsizetype i = kExportPagesPerStep - 1; i < inRange.size() - 1; i += kExportPagesPerStep) {
        spans.append(PageSpan{from, inRange[i], kExportPagesPerStep});
        from = inRange[i] + 1;
    }
    const int left = static_cast<int>(inRange.size() % kExportPagesPerStep);
    spans.append(
        PageSpan{from, lastPage, inRange.isEmpty() ? 0 : (left == 0 ? kExportPagesPerStep : left)});
    return spans;
}

bool PlanThreadExport(int focusPageNo, int firstPage, int lastPage, ThreadExportPlan& plan) {
    if (!ReadFollowedThread(focusPageNo, plan.follow))
        return false;
    QList<int> stored;
    if (!ListStoredPages(plan.follow.dbFileName, stored))
        return false;
    plan.spans = PlanPageSpans(stored, firstPage, lastPage);
    int totalPages = 0;
    for (const PageSpan& span : plan.spans)
        totalPages += span.storedPages;
    plan.totalPages = std::max(totalPages, 1);
    return true;
}
