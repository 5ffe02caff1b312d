#include "reader/search/SearchWorker.h"

void SearchWorker::Synchronise() {
    SearchSyncReport report;
    const bool ok = SynchroniseSearchIndex(&report, cancel_);
    QList<FollowRecord> follows;
    ListFollowedThreads(follows);
    emit Synchronised(ok, report.pagesIndexed, follows);
}

void SearchWorker::Search(quint64 serial, const SearchRequest& request) {
    if (cancel_->load())
        return;
    emit Searched(serial, request, SearchPosts(request));
}
