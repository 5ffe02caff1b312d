#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The server's side of the search index: pages are handed over as they are stored and
// indexed on this object's own thread, several at a time in one transaction, so storing a
// page only waits for a queue. The server holds one for its whole run, created before and
// destroyed after the threads that store pages. Pages still queued when it is destroyed are
// indexed within a short wait; what is left then is caught up by the reader's next
// synchronisation (SynchroniseSearchIndex).
class SearchIndexer {
public:
    // At most this long is spent at destruction on pages still queued.
    static constexpr int kFinishWaitMs = 3000;
    // Pages of one follow indexed in one transaction at most, so the index's lock is never
    // held long.
    static constexpr int kPagesPerBatch = 8;

    SearchIndexer();
    ~SearchIndexer();
    SearchIndexer(const SearchIndexer&) = delete;
    SearchIndexer& operator=(const SearchIndexer&) = delete;

    // A page of a follow was stored in its thread file. Goes to the process's indexer when
    // one lives; without one the page is indexed at once on the calling thread.
    static void PageStored(int focusPageNo, const QString& dbFile, int pageNo);

    // Waits until every page handed over so far is indexed (or failed); for tests and tools.
    void Flush();

private:
    struct Page {
        int focusPageNo;
        QString dbFile;
        int pageNo;
    };
    void Add(Page page);
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Page> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::thread thread_;
};
