#pragma once

#include "reader/reading/ServerRequestSink.h"

#include <QList>
#include <QString>

#include <functional>
#include <mutex>

// What a reading window knows of its screen when it looks for a gap in the stored pages.
struct ScreenEdges {
    int focusPageNo = 0;
    int pageCount = 0; // the thread's page count when it was followed
    int firstPage = 0; // 0 while the newest posts are shown without a chosen start
    int lastPage = 0;
    int hasPrevious = 0;
    int hasNext = 0;
};

// A request for the pages of a gap: b and c of the record, and the page of the stored run's
// edge that the pending requests are checked against.
struct PageGap {
    int from = 0;
    int to = 0;
    int runEdge = 0;
};

// The gap after the screen's stored run, or nothing to ask for (`stored` ascending).
bool FindLaterGap(const ScreenEdges& screen, const QList<int>& stored, PageGap* gap);
// The gap before the screen's stored run, or nothing to ask for.
bool FindEarlierGap(const ScreenEdges& screen, const QList<int>& stored, PageGap* gap);

// A reading window's requests for missing pages around its screen, with the pages asked for
// and not answered yet, so that an unanswered request is not repeated for nearby pages.
class ReaderPageRequests {
public:
    using StoredPagesReader = std::function<bool(QList<int>&)>;

    // `readStored` gives the stored pages afresh on every call; `sink` takes the requests.
    ReaderPageRequests(StoredPagesReader readStored, ServerRequestSink* sink);

    // Each returns whether a request was queued.
    bool RequestLaterPages(const ScreenEdges& screen);
    bool RequestEarlierPages(const ScreenEdges& screen);

    // An answer echoing `page`: its first equal entry leaves both lists.
    void Answered(int page);

    QList<int> LaterRequests() const;
    QList<int> EarlierRequests() const;

private:
    StoredPagesReader readStored_;
    ServerRequestSink* sink_;
    mutable std::mutex mutex_;
    QList<int> later_;
    QList<int> earlier_;
};
