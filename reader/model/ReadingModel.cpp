#include "reader/model/ReadingModel.h"

#include "common/ThreadRegistry.h"
#include "store/ThreadDatabase.h"

#include <algorithm>
#include <system_error>

namespace {

const QString kWorkerName = QStringLiteral("HandShowLogic");

ReadingPost PostOf(const ThreadPost& post) {
    return ReadingPost{post.pageNo, post.author, post.time, post.content, QString()};
}

ReadingPost PostOf(const ViewPosition& position) {
    return ReadingPost{position.pageNo, position.author, position.time, QString(), QString()};
}

ReadingPost SentinelStart() {
    ReadingPost start;
    start.pageNo = LatestSentinelPage;
    return start;
}

int ReportedStart(const ReadingPost& start) {
    return start.pageNo == LatestSentinelPage ? 0 : start.pageNo;
}

} // namespace

ReadingModel::ReadingModel(int followNo) : followNo_(followNo) {
    start_ = SentinelStart();
}

ReadingModel::~ReadingModel() {
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard guard(workersMutex_);
        workers.swap(workers_);
    }
    for (auto& worker : workers)
        worker->thread.join();
}

// --- loading ---

bool ReadingModel::Load() {
    std::lock_guard guard(lock_);
    FollowRecord follow;
    if (!ReadFollowedThread(followNo_, follow))
        return false;
    follow_ = follow;
    starter_ = follow.webpageAuthor;
    dbFile_ = follow.dbFileName;

    ViewPosition position;
    if (ReadViewPosition(dbFile_, position)) {
        viewMode_ = position.viewMode;
        start_ = PostOf(position);
    } else {
        if (!ReadFollowedThread(followNo_, follow))
            return false;
        viewMode_ = follow.pageCount <= 5 ? HighlightStarter : OnlyStarter;
        start_ = SentinelStart();
    }
    if (!ReadSomeBodyList(dbFile_, 2, chosenPeople_) ||
        !ReadSomeBodyList(dbFile_, 5, chosenWords_) ||
        !ReadSomeBodyList(dbFile_, 4, blockedPeople_))
        return false;
    if (!ListStoredPages(dbFile_, pages_))
        return false;
    ready_ = true;
    return true;
}

bool ReadingModel::IsReady() const {
    std::lock_guard guard(lock_);
    return ready_;
}

// --- observers ---

void ReadingModel::AddObserver(ReadingObserver* observer) {
    if (!observer)
        return;
    std::lock_guard guard(lock_);
    // An entry of a destroyed observer may carry the same address as a new one.
    observers_.removeIf([](const ObserverEntry& entry) { return !entry.link->IsAlive(); });
    for (const ObserverEntry& entry : observers_)
        if (entry.observer == observer)
            return;
    observers_.append(ObserverEntry{observer, observer->Link()});
}

bool ReadingModel::RemoveObserver(ReadingObserver* observer, bool keepScreen) {
    std::lock_guard guard(lock_);
    const auto removed = observers_.removeIf(
        [observer](const ObserverEntry& entry) { return entry.observer == observer; });
    if (removed == 0)
        return false;
    if (keepScreen)
        return true;
    opened_ = false;
    screen_.clear();
    return true;
}

bool ReadingModel::HasObserver(ReadingObserver* observer) const {
    std::lock_guard guard(lock_);
    return std::any_of(observers_.begin(), observers_.end(), [observer](const ObserverEntry& e) {
        return e.observer == observer && e.link->IsAlive();
    });
}

void ReadingModel::NotifyOpened() {
    std::lock_guard guard(lock_);
    // A handler may add or remove observers: work on a copy.
    const QList<ObserverEntry> observers = observers_;
    for (const ObserverEntry& entry : observers)
        entry.link->Send(UM_READ_OPENED, followNo_, 0);
}

void ReadingModel::PostToObservers(int message, int wParam, int lParam) {
    for (const ObserverEntry& entry : observers_)
        entry.link->Post(message, wParam, lParam);
}

// --- filter ---

bool ReadingModel::Passes(const ReadingPost& post, QString& colour) const {
    colour.clear();
    switch (viewMode_) {
    case OnlyStarter:
        return post.author == starter_;
    case HighlightStarter:
        colour = post.author == starter_ ? HighlightColour : PlainColour;
        return true;
    case OnlyChosen:
        return chosenPeople_.contains(post.author);
    case HighlightChosen:
        colour = chosenPeople_.contains(post.author) ? HighlightColour : PlainColour;
        return true;
    case BlockChosen:
        return !blockedPeople_.contains(post.author);
    case OnlyWords:
        return std::any_of(chosenWords_.begin(), chosenWords_.end(),
                           [&post](const QString& word) { return post.content.contains(word); });
    default:
        return false;
    }
}

// --- page runs ---

bool ReadingModel::ForwardRun(int firstPage, Run& run) const {
    const auto it = std::lower_bound(pages_.begin(), pages_.end(), firstPage);
    if (it == pages_.end() || *it != firstPage)
        return false;
    qsizetype index = it - pages_.begin();
    int last = firstPage;
    while (index + 1 < pages_.size() && pages_[index + 1] == last + 1 &&
           last + 1 <= firstPage + PageRun - 1) {
        ++last;
        ++index;
    }
    run.first = firstPage;
    run.last = last;
    run.capped = last == firstPage + PageRun - 1 && index + 1 < pages_.size() &&
                 pages_[index + 1] == last + 1;
    return true;
}

bool ReadingModel::BackwardRun(int lastPage, Run& run) const {
    if (pages_.isEmpty())
        return false;
    if (lastPage > pages_.last())
        lastPage = pages_.last();
    const auto it = std::lower_bound(pages_.begin(), pages_.end(), lastPage);
    if (lastPage < pages_.first() || it == pages_.end() || *it != lastPage)
        return false;
    qsizetype index = it - pages_.begin();
    const int lowest = std::max(1, lastPage - PageRun + 1);
    int first = lastPage;
    while (index > 0 && pages_[index - 1] == first - 1 && first - 1 >= lowest) {
        --first;
        --index;
    }
    run.first = first;
    run.last = lastPage;
    run.capped = first == lastPage - PageRun + 1 && index > 0 && pages_[index - 1] == first - 1 &&
                 first - 1 >= 1;
    return true;
}

bool ReadingModel::ReadRun(const Run& run, QList<ReadingPost>& posts) const {
    QList<ThreadPost> stored;
    posts.clear();
    if (!ReadWebpageFromDB(dbFile_, run.first, run.last, stored))
        return false;
    posts.reserve(stored.size());
    for (const ThreadPost& post : stored)
        posts.append(PostOf(post));
    return true;
}

// --- scans ---

bool ReadingModel::ForwardScan(const ReadingPost& from, int limit, bool inclusive,
                               ForwardResult& result) {
    result = ForwardResult();
    QString colour;
    for (int runStart = from.pageNo;; runStart += PageRun) {
        Run run;
        if (!ForwardRun(runStart, run))
            break;
        QList<ReadingPost> posts;
        if (!ReadRun(run, posts))
            return false;
        if (posts.isEmpty())
            break;
        const qsizetype count = posts.size();
        qsizetype begin = -1; // -1: this run gives nothing
        if (from.pageNo < posts.first().pageNo) {
            begin = 0;
        } else if (from.pageNo <= posts.last().pageNo) {
            for (qsizetype i = 0; i < count; ++i) {
                if (posts[i].SamePost(from)) {
                    begin = inclusive ? i : i + 1;
                    break;
                }
            }
        }
        if (begin >= 0) {
            qsizetype i = begin;
            for (; i < count && result.posts.size() < limit; ++i) {
                if (Passes(posts[i], colour)) {
                    posts[i].colour = colour;
                    result.posts.append(posts[i]);
                }
            }
            for (; i < count; ++i) {
                if (Passes(posts[i], colour)) {
                    result.next = posts[i];
                    result.next.colour = colour;
                    // The next marker opening a run keeps the end from the run before.
                    if (i > 0)
                        result.end = posts[i - 1];
                    return true;
                }
            }
        }
        result.end = posts.last();
        if (!run.capped)
            break;
    }
    return true;
}

bool ReadingModel::BackwardScan(const ReadingPost& from, int limit, bool inclusive,
                                BackwardResult& result) {
    result = BackwardResult();
    QString colour;
    ReadingPost lastRunFirst;
    int runEnd = from.pageNo;
    for (;;) {
        Run run;
        if (!BackwardRun(runEnd, run))
            break;
        QList<ReadingPost> posts;
        if (!ReadRun(run, posts))
            return false;
        if (posts.isEmpty())
            break;
        lastRunFirst = posts.first();
        qsizetype begin = -1; // -1: this run gives nothing
        if (from.pageNo > posts.last().pageNo) {
            begin = posts.size() - 1;
        } else if (from.pageNo >= posts.first().pageNo) {
            for (qsizetype i = posts.size() - 1; i >= 0; --i) {
                if (posts[i].SamePost(from)) {
                    begin = inclusive ? i : i - 1;
                    break;
                }
            }
        }
        bool found = false;
        if (begin >= 0) {
            if (result.startedAt.IsNone())
                result.startedAt = posts[begin];
            qsizetype i = begin;
            for (; i >= 0 && result.posts.size() < limit; --i) {
                if (Passes(posts[i], colour)) {
                    posts[i].colour = colour;
                    result.posts.prepend(posts[i]);
                }
            }
            for (; i >= 0; --i) {
                if (Passes(posts[i], colour)) {
                    result.previous = posts[i];
                    result.previous.colour = colour;
                    found = true;
                    break;
                }
            }
        }
        // Step down from the run actually read: when the marker lay above the last stored
        // page the run was clamped there, and stepping from the marker's page would read
        // part of this run again.
        if (found || !run.capped || run.last <= PageRun)
            break;
        runEnd = run.last - PageRun;
    }
    if (!result.posts.isEmpty())
        result.first = result.posts.first();
    else
        result.first = lastRunFirst;
    return true;
}

bool ReadingModel::RereadStoredPages() {
    QList<int> pages;
    if (!ListStoredPages(dbFile_, pages))
        return false;
    pages_ = pages;
    return true;
}

// --- operations ---

int ReadingModel::ShowForward() {
    start_ = next_;
    ForwardResult forward;
    if (!ForwardScan(start_, ScreenSize(viewMode_), true, forward))
        return 0;
    screen_ = forward.posts;
    next_ = forward.next;
    end_ = forward.end;
    BackwardResult backward;
    if (!BackwardScan(start_, 0, false, backward))
        return 0;
    previous_ = backward.previous;
    return 1;
}

int ReadingModel::DoFirst() {
    ThreadPost first;
    if (!ReadFirstPost(dbFile_, first))
        return 0;
    start_ = PostOf(first);
    if (pages_.isEmpty())
        return 1;
    next_ = start_;
    return ShowForward();
}

int ReadingModel::DoPrevious() {
    // With no earlier screen there is nothing to go back to: a request queued behind one
    // that reached the first screen must not blank it.
    if (previous_.IsNone())
        return 0;
    BackwardResult backward;
    if (!BackwardScan(previous_, ScreenSize(viewMode_), true, backward))
        return 0;
    screen_ = backward.posts;
    if (start_.pageNo == LatestSentinelPage) {
        end_ = previous_;
        next_ = ReadingPost();
    } else {
        end_ = start_;
        next_ = start_;
    }
    start_ = backward.first;
    previous_ = backward.previous;
    return 1;
}

int ReadingModel::DoNext() {
    // Likewise a request queued behind one that reached the last screen.
    if (next_.IsNone())
        return 0;
    return ShowForward();
}

int ReadingModel::DoLatest() {
    ThreadPost last;
    if (!ReadLastPost(dbFile_, last))
        return 0;
    previous_ = PostOf(last);
    start_.pageNo = LatestSentinelPage;
    return DoPrevious();
}

int ReadingModel::DoOpen() {
    opened_ = true;
    if (start_.pageNo == LatestSentinelPage) {
        if (!RereadStoredPages())
            return 0;
        if (pages_.isEmpty())
            return 1;
        const int result = pages_.first() == 1 && pages_.last() < 20 ? DoFirst() : DoLatest();
        return result;
    }
    if (pages_.isEmpty())
        return 1;
    next_ = start_;
    return ShowForward();
}

int ReadingModel::DoGotoPage(int pageNo) {
    QList<ThreadPost> posts;
    if (!ReadWebpageFromDB(dbFile_, pageNo, pageNo, posts) || posts.isEmpty())
        return 0;
    if (!RereadStoredPages())
        return 0;
    start_ = PostOf(posts.first());
    if (pages_.isEmpty())
        return 1;
    next_ = start_;
    return ShowForward();
}

int ReadingModel::RunReadOperation(int operation, int value) {
    std::lock_guard guard(lock_);
    switch (operation) {
    case OpFirst:
        return DoFirst();
    case OpPrevious:
        return DoPrevious();
    case OpOpen:
        return DoOpen();
    case OpNext:
        return DoNext();
    case OpLatest:
        return DoLatest();
    case OpGotoPage:
        return DoGotoPage(value);
    default:
        return 0;
    }
}

// --- worker threads ---

bool ReadingModel::StartReadOperation(ReadingObserver* requester, int operation, int value) {
    std::shared_ptr<ObserverLink> link = requester ? requester->Link() : nullptr;
    std::lock_guard guard(workersMutex_);
    ReapFinishedWorkers();
    // Tickets are handed out only here, under the workers' lock, so a ticket whose thread
    // could not start can be taken back before anyone else draws one.
    unsigned long long ticket = 0;
    {
        std::lock_guard turn(turnMutex_);
        ticket = nextTicket_++;
    }
    auto worker = std::make_unique<Worker>();
    Worker* raw = worker.get();
    try {
        worker->thread = std::thread(&ReadingModel::RunWorker, this, raw, std::move(link),
                                     operation, value, ticket);
    } catch (const std::system_error&) {
        std::lock_guard turn(turnMutex_);
        --nextTicket_;
        return false;
    }
    workers_.push_back(std::move(worker));
    return true;
}

void ReadingModel::RunWorker(Worker* worker, std::shared_ptr<ObserverLink> requester, int operation,
                             int value, unsigned long long ticket) {
    ThreadBegin(kWorkerName);
    {
        std::unique_lock turn(turnMutex_);
        turnChanged_.wait(turn, [&] { return servingTicket_ == ticket; });
    }
    const int result = RunReadOperation(operation, value);
    // The lock is released here; the requester hears before the next operation's turn so
    // that results arrive in the order of the requests.
    if (requester)
        requester->Post(UM_READ_OP_DONE, operation, result);
    {
        std::lock_guard turn(turnMutex_);
        ++servingTicket_;
    }
    turnChanged_.notify_all();
    worker->finished = true;
    ThreadEnd(kWorkerName);
}

void ReadingModel::ReapFinishedWorkers() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

int ReadingModel::RunningOperations() const {
    std::lock_guard guard(workersMutex_);
    return static_cast<int>(std::count_if(workers_.begin(), workers_.end(),
                                          [](const auto& worker) { return !worker->finished; }));
}

// --- new pages ---

void ReadingModel::OnNewPagesStored(int newestPage) {
    std::lock_guard guard(lock_);
    if (!opened_) {
        // Always read again: pages arrive out of order and a page may be reported twice, so
        // a report of the last known page can still follow pages stored in a gap.
        RereadStoredPages();
        PostToObservers(UM_READ_NEW_PAGES, followNo_, newestPage);
        return;
    }
    if (!RereadStoredPages())
        return;
    if (start_.pageNo == LatestSentinelPage && end_.pageNo == 0) {
        // No screen was ever computed: choose one now.
        if (RereadStoredPages() && !pages_.isEmpty()) {
            if (pages_.first() == 1)
                DoFirst();
            else
                DoLatest();
        }
        PostToObservers(UM_READ_NEW_PAGES, followNo_, newestPage);
        return;
    }
    if ((!previous_.IsNone() && newestPage < end_.pageNo) ||
        (!next_.IsNone() && start_.pageNo < newestPage)) {
        PostToObservers(UM_READ_NEW_PAGES, followNo_, newestPage);
        return;
    }
    if (newestPage < start_.pageNo) {
        if (!screen_.isEmpty()) {
            // Look for an earlier screen, going on from where the last look stopped.
            if (viewMode_ != searchMode_ || start_.pageNo != searchAnchor_.pageNo) {
                searchMode_ = viewMode_;
                searchAnchor_ = start_;
                searchOrigin_ = start_;
            }
            BackwardResult backward;
            if (BackwardScan(searchOrigin_, 0, false, backward)) {
                previous_ = backward.previous;
                searchOrigin_ = backward.first;
            }
        } else {
            BackwardResult backward;
            if (BackwardScan(start_, ScreenSize(viewMode_), false, backward)) {
                previous_ = backward.previous;
                if (!backward.first.IsNone())
                    start_ = backward.first;
                screen_.append(backward.posts);
                // A start beyond the stored pages left no end marker; without one the
                // pages that arrive next would never reach this screen.
                if (end_.IsNone())
                    end_ = backward.startedAt;
            }
        }
    }
    if (newestPage >= end_.pageNo) {
        // Top the screen up; a full screen only learns its next marker.
        const int limit = std::max<int>(0, ScreenSize(viewMode_) - int(screen_.size()));
        const ReadingPost from = end_;
        ForwardResult forward;
        if (ForwardScan(from, limit, false, forward)) {
            screen_.append(forward.posts);
            next_ = forward.next;
            end_ = forward.end;
        }
    }
    PostToObservers(UM_READ_NEW_PAGES, followNo_, newestPage);
}

// --- mode, lists, position ---

void ReadingModel::SetViewMode(int mode) {
    std::lock_guard guard(lock_);
    viewMode_ = mode;
}

int ReadingModel::GetViewMode() const {
    std::lock_guard guard(lock_);
    return viewMode_;
}

bool ReadingModel::ReloadChosenPeople() {
    std::lock_guard guard(lock_);
    return ReadSomeBodyList(dbFile_, 2, chosenPeople_);
}

bool ReadingModel::ReloadBlockedPeople() {
    std::lock_guard guard(lock_);
    return ReadSomeBodyList(dbFile_, 4, blockedPeople_);
}

bool ReadingModel::ReloadChosenWords() {
    std::lock_guard guard(lock_);
    return ReadSomeBodyList(dbFile_, 5, chosenWords_);
}

QStringList ReadingModel::ChosenPeople() const {
    std::lock_guard guard(lock_);
    return chosenPeople_;
}

QStringList ReadingModel::BlockedPeople() const {
    std::lock_guard guard(lock_);
    return blockedPeople_;
}

QStringList ReadingModel::ChosenWords() const {
    std::lock_guard guard(lock_);
    return chosenWords_;
}

bool ReadingModel::SaveReadingPosition() {
    std::lock_guard guard(lock_);
    if (start_.pageNo == 0 || start_.pageNo == LatestSentinelPage || start_.author.isEmpty() ||
        start_.time.isEmpty())
        return false;
    return SaveViewPosition(dbFile_, start_.author, start_.time, viewMode_, start_.pageNo);
}

// --- copies ---

void ReadingModel::GetScreen(ReadingScreen& screen) const {
    std::lock_guard guard(lock_);
    screen.posts = screen_;
    screen.previousPage = previous_.pageNo;
    screen.nextPage = next_.pageNo;
    screen.startPage = ReportedStart(start_);
    screen.endPage = end_.pageNo;
}

void ReadingModel::GetScreen(QList<ReadingPost>& posts, int& previousPage, int& nextPage,
                             int& startPage, int& endPage) const {
    ReadingScreen screen;
    GetScreen(screen);
    posts = screen.posts;
    previousPage = screen.previousPage;
    nextPage = screen.nextPage;
    startPage = screen.startPage;
    endPage = screen.endPage;
}

void ReadingModel::GetPageState(QList<int>& storedPages, int& startPage, int& endPage) const {
    ReadingPageState state;
    GetPageState(state);
    storedPages = state.storedPages;
    startPage = state.startPage;
    endPage = state.endPage;
}

void ReadingModel::GetPageState(ReadingPageState& state) const {
    std::lock_guard guard(lock_);
    state.storedPages = pages_;
    state.startPage = ReportedStart(start_);
    state.endPage = end_.pageNo;
}

void ReadingModel::GetStoredPages(QList<int>& pages) const {
    std::lock_guard guard(lock_);
    pages = pages_;
}

FollowRecord ReadingModel::GetFollowRecord() const {
    std::lock_guard guard(lock_);
    return follow_;
}

QString ReadingModel::StarterName() const {
    std::lock_guard guard(lock_);
    return starter_;
}

QString ReadingModel::DatabaseFile() const {
    std::lock_guard guard(lock_);
    return dbFile_;
}

bool ReadingModel::IsOpened() const {
    std::lock_guard guard(lock_);
    return opened_;
}

ReadingModel::Markers ReadingModel::GetMarkers() const {
    std::lock_guard guard(lock_);
    return Markers{next_, previous_, start_, end_};
}
