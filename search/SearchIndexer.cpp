#include "search/SearchIndexer.h"

#include "common/Log.h"
#include "search/SearchIndex.h"

#include <QList>

#include <atomic>

namespace {
// The indexer of the running server, while it lives.
std::atomic<SearchIndexer*> current{nullptr};
} // namespace

SearchIndexer::SearchIndexer() {
    thread_ = std::thread([this] { Run(); });
    current = this;
}

SearchIndexer::~SearchIndexer() {
    current.store(nullptr);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFinishWaitMs);
    }
    wake_.notify_all();
    thread_.join();
}

void SearchIndexer::PageStored(int focusPageNo, const QString& dbFile, int pageNo) {
    if (SearchIndexer* indexer = current.load())
        indexer->Add(Page{focusPageNo, dbFile, pageNo});
    else
        IndexStoredPage(focusPageNo, dbFile, pageNo);
}

void SearchIndexer::Add(Page page) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(page));
    }
    wake_.notify_one();
}

void SearchIndexer::Flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void SearchIndexer::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty() || (stopping_ && std::chrono::steady_clock::now() >= deadline_)) {
            if (!queue_.empty())
                Log(QStringLiteral("search index: %1 stored pages left for the reader to index")
                        .arg(queue_.size()),
                    LogWarn);
            queue_.clear();
            idle_.notify_all();
            if (stopping_)
                return;
            continue;
        }
        // Pages queued for the follow at the front, a batch in one transaction.
        const Page first = queue_.front();
        QList<int> pages;
        for (auto it = queue_.begin(); it != queue_.end() && pages.size() < kPagesPerBatch;) {
            if (it->focusPageNo == first.focusPageNo && it->dbFile == first.dbFile) {
                if (!pages.contains(it->pageNo))
                    pages.append(it->pageNo);
                it = queue_.erase(it);
            } else {
                ++it;
            }
        }
        busy_ = true;
        lock.unlock();
        if (!IndexStoredPages(first.focusPageNo, first.dbFile, pages))
            Log(QStringLiteral("search index: pages of follow %1 not indexed")
                    .arg(first.focusPageNo),
                LogWarn);
        lock.lock();
        busy_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
}
