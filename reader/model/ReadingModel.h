#pragma once

#include "reader/model/ReadingObserver.h"
#include "reader/model/ReadingTypes.h"
#include "store/Catalogue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// One followed thread as the reader reads it: its stored pages, the posts of the current
// screen with their colours, four markers around the screen, the filter mode with its
// lists, and the observers that hear about it. It never holds more than a screen of posts:
// posts are read from the thread database one run of at most `PageRun` pages at a time.
//
// Every public member may be called from any thread; each takes the model's recursive
// lock for its whole run, and the lists it hands out are copies. Reading operations
// normally run on the model's own short-lived worker threads (`StartReadOperation`, used
// by `ReadingModelRegistry::RequestReadOperation`), one at a time and in the order they
// were requested.
class ReadingModel {
public:
    explicit ReadingModel(int followNo);
    // Waits for the model's worker threads; a queued operation still runs first.
    ~ReadingModel();
    ReadingModel(const ReadingModel&) = delete;
    ReadingModel& operator=(const ReadingModel&) = delete;

    // Reads the catalogue row, the saved reading position (or chooses the mode from the
    // page count when there is none), the three filter lists and the stored pages. The
    // model is ready once this has succeeded.
    bool Load();
    bool IsReady() const;
    int FollowNumber() const { return followNo_; }

    // --- observers ---
    void AddObserver(ReadingObserver* observer);
    // When the observer is one of the model's: removes it, clears the opened flag and
    // empties the screen (the next `OpOpen` computes it again). False when it was not.
    // With `keepScreen` only the observer goes (an all-model observer leaving).
    bool RemoveObserver(ReadingObserver* observer, bool keepScreen = false);
    bool HasObserver(ReadingObserver* observer) const;
    // Sends UM_READ_OPENED to every observer (handled at once on the caller's thread).
    void NotifyOpened();

    // --- reading operations ---
    // Starts a worker thread ("HandShowLogic") that runs the operation under the lock and
    // then, when the requester still exists, posts it UM_READ_OP_DONE(operation, result).
    // The requester may be null (nobody is told). False when no thread could be started.
    bool StartReadOperation(ReadingObserver* requester, int operation, int value);
    // Runs one operation at once on the calling thread, under the lock; the result is
    // 1 (done) or 0 (nothing to show, or a database read failed).
    int RunReadOperation(int operation, int value = 0);
    // Worker threads started and not yet ended.
    int RunningOperations() const;

    // Folds page `newestPage`, just stored by the server, into the screen and posts
    // UM_READ_NEW_PAGES(follow number, newestPage) to the observers.
    void OnNewPagesStored(int newestPage);

    // --- mode, lists, position ---
    // The caller then requests `OpOpen` to rebuild the screen in the new mode.
    void SetViewMode(int mode);
    int GetViewMode() const;
    bool ReloadChosenPeople();  // list 2 (shared with mode 3)
    bool ReloadBlockedPeople(); // list 4
    bool ReloadChosenWords();   // list 5
    QStringList ChosenPeople() const;
    QStringList BlockedPeople() const;
    QStringList ChosenWords() const;
    // Stores the mode and the start post in the thread database; writes nothing while no
    // start post is chosen (page 0 or `LatestSentinelPage`) or its author or time is empty.
    bool SaveReadingPosition();

    // --- copies ---
    void GetScreen(ReadingScreen& screen) const;
    // The same copy in separate parts.
    void GetScreen(QList<ReadingPost>& posts, int& previousPage, int& nextPage, int& startPage,
                   int& endPage) const;
    void GetPageState(ReadingPageState& state) const;
    void GetPageState(QList<int>& storedPages, int& startPage, int& endPage) const;
    void GetStoredPages(QList<int>& pages) const;
    FollowRecord GetFollowRecord() const;
    QString StarterName() const;
    QString DatabaseFile() const;
    bool IsOpened() const;

    // The four markers whole (start may be page `LatestSentinelPage`), for tools and tests.
    struct Markers {
        ReadingPost next;
        ReadingPost previous;
        ReadingPost start;
        ReadingPost end;
    };
    Markers GetMarkers() const;

private:
    struct Run {
        int first = 0;
        int last = 0;
        bool capped = false; // the gapless stored pages go on beyond the run
    };
    struct ForwardResult {
        QList<ReadingPost> posts;
        ReadingPost next;
        ReadingPost end;
    };
    struct BackwardResult {
        QList<ReadingPost> posts;
        ReadingPost previous;
        ReadingPost first;
        ReadingPost startedAt; // the post the scan began from, the newest one it covers
    };

    bool Passes(const ReadingPost& post, QString& colour) const;
    bool ForwardRun(int firstPage, Run& run) const;
    bool BackwardRun(int lastPage, Run& run) const;
    bool ReadRun(const Run& run, QList<ReadingPost>& posts) const;
    bool ForwardScan(const ReadingPost& from, int limit, bool inclusive, ForwardResult& result);
    bool BackwardScan(const ReadingPost& from, int limit, bool inclusive, BackwardResult& result);
    bool RereadStoredPages();

    int ShowForward();
    int DoFirst();
    int DoPrevious();
    int DoNext();
    int DoLatest();
    int DoOpen();
    int DoGotoPage(int pageNo);
    void PostToObservers(int message, int wParam, int lParam);

    struct Worker {
        std::thread thread;
        std::atomic<bool> finished{false};
    };
    void RunWorker(Worker* worker, std::shared_ptr<ObserverLink> requester, int operation,
                   int value, unsigned long long ticket);
    void ReapFinishedWorkers();

    struct ObserverEntry {
        ReadingObserver* observer = nullptr; // identity only; reached through the link
        std::shared_ptr<ObserverLink> link;
    };

    const int followNo_;
    mutable std::recursive_mutex lock_;

    ReadingPost next_;
    ReadingPost previous_;
    ReadingPost start_;
    ReadingPost end_;
    ReadingPost searchAnchor_;
    ReadingPost searchOrigin_;
    int searchMode_ = -1;
    QList<int> pages_;
    QList<ReadingPost> screen_;
    QList<ObserverEntry> observers_;
    QStringList chosenWords_;
    QStringList chosenPeople_;
    QStringList blockedPeople_;
    bool ready_ = false;
    FollowRecord follow_;
    QString starter_;
    QString dbFile_;
    int viewMode_ = OnlyStarter;
    bool opened_ = false;

    // Worker threads, and the tickets that keep their operations in request order.
    mutable std::mutex workersMutex_;
    std::list<std::unique_ptr<Worker>> workers_;
    std::mutex turnMutex_;
    std::condition_variable turnChanged_;
    unsigned long long nextTicket_ = 0;
    unsigned long long servingTicket_ = 0;
};
