#include "server/engine/PageWalk.h"

#include "server/parse/CParseHtml.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "search/SearchIndexer.h"
#include "server/engine/EngineState.h"
#include "server/engine/FollowedThreads.h"
#include "server/engine/PictureDownloads.h"
#include "server/engine/WalkPlanner.h"
#include "server/engine/WalkTracker.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/WebpageInfo.h"
#include "server/parse/CParseWebpage.h"
#include "store/ThreadDatabase.h"

namespace {

// The gap filler of a thread runs once none of its walk requests is left in flight.
void endWalkRequest(const QString& db) {
    if (const auto task = WalkTracker::Instance().End(db)) {
        WebpageInfo request;
        request.task = *task;
        FillGaps(request);
    }
}

QList<NavLink> navLinks(const QList<PageLink>& links) {
    QList<NavLink> result;
    result.reserve(links.size());
    for (const PageLink& link : links)
        result.append({link.pageNo, link.address});
    return result;
}

// Queues a batch: the chain step keeps the task, the leaves become type 9. True when
// anything was queued.
bool queueBatch(const std::vector<PlannedStep>& steps, const PageTask& task) {
    for (const PlannedStep& step : steps) {
        PageTask next = task;
        if (!step.chain)
            next.type = TaskBatchPage;
        QueueWalk(step.link.address, next);
    }
    return !steps.empty();
}

bool forwardBatch(const WebpageInfo& request, const ParsedPageInfo& info, int target) {
    auto parser = CreateParser(info.layout, request.Document, request.address, info);
    QList<PageLink> links;
    if (!parser || !parser->GetNextPageLinks(&links))
        return false;
    return queueBatch(ForwardBatch(navLinks(links), target), request.task);
}

bool backwardBatch(const WebpageInfo& request, const ParsedPageInfo& info, int target) {
    auto parser = CreateParser(info.layout, request.Document, request.address, info);
    QList<PageLink> links;
    if (!parser || !parser->GetPrevPageLinks(&links))
        return false;
    return queueBatch(BackwardBatch(navLinks(links), target), request.task);
}

void sendSmall(int code, int a, int b = 0, int c = 0, int d = 0, bool atFront = false) {
    CommandChannel::Process().QueueSmall(MakeSmall(code, a, b, c, d), atFront);
}

// The address a refresh of this follow starts from: its newest stored page, else its own.
bool newestAddress(const FollowRecord& row, QString* address) {
    QString url;
    if (!GetLastPageUrl(row.dbFileName, url))
        return false;
    *address = url.isEmpty() ? row.webpageUrl : url;
    return true;
}

PageTask taskFor(const FollowRecord& row, int type) {
    PageTask task;
    task.followNumber = row.focusPageNo;
    task.type = type;
    task.databaseFile = row.dbFileName;
    return task;
}

// A walk down to the newest pages that the previous run did not finish (it was killed, or
// the machine went down) is taken up again from the newest stored page; the gap filler
// leaves such holes to the reader, so without this a thread could stay without some of its
// newest pages. Once per start, so a page that never loads costs at most one walk per start.
void resumeNewestPages(const FollowRecord& row, const QString& newestPageAddress) {
    QList<int> stored;
    if (!ListStoredPages(row.dbFileName, stored))
        return;
    const int target = NewestPagesResumeTarget(stored);
    if (target == 0)
        return;
    PageTask task = taskFor(row, TaskNewestPages);
    task.SetPayloadNumber(0, target);
    QueueWalk(newestPageAddress, task);
}

} // namespace

bool LoadFollowedThreads() {
    return FollowedThreads::Instance().Load();
}

void RefreshAllOnStart() {
    for (const FollowRecord& row : FollowedThreads::Instance().Rows()) {
        QString address;
        if (!newestAddress(row, &address)) {
            LogFormat(LogError, "Focus %d get last url error!", row.focusPageNo);
            continue;
        }
        QueueWalk(address, taskFor(row, TaskStartupRefresh));
        resumeNewestPages(row, address);
    }
}

void QueueGuardPass() {
    FollowedThreads::Instance().ForEach([](const FollowRecord& row) {
        QString address;
        if (newestAddress(row, &address))
            QueueWalk(address, taskFor(row, TaskGuardRefresh), true);
    });
}

bool StartRenovateGuardThread(ThreadRegistry& threads, int intervalMs) {
    return threads.Start([&threads, intervalMs] {
        ThreadBegin(QStringLiteral("RenovateGuardThread"));
        for (;;) {
            threads.GuardWake().WaitFor(intervalMs);
            if (StopRequested())
                break;
            QueueGuardPass();
        }
        ThreadEnd(QStringLiteral("RenovateGuardThread"));
    });
}

void RefreshOne(int focusPageNo) {
    const auto row = FollowedThreads::Instance().Find(focusPageNo);
    if (!row)
        return;
    QString url;
    if (!GetLastPageUrl(row->dbFileName, url) || url.isEmpty()) {
        LogFormat(LogError, "Focus %d get last url error!", focusPageNo);
        return;
    }
    QueueWalk(url, taskFor(*row, TaskReaderRefresh), true);
}

void StartNewFollow(const WebpageInfo& request) {
    LoadFollowedThreads();
    for (const FollowRecord& row : FollowedThreads::Instance().Rows()) {
        if (row.webpageUrl.compare(request.address, Qt::CaseInsensitive) != 0)
            continue;
        PageTask task = request.task;
        task.type = TaskFollowFirstPage;
        task.followNumber = row.focusPageNo;
        task.databaseFile = row.dbFileName;
        QueueWalk(row.webpageUrl, task, true);
        return;
    }
}

bool StorePage(const WebpageInfo& request, const ParsedPageInfo& info, bool picturesOn) {
    auto parser = CreateParser(info.layout, request.Document, request.address, info);
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    if (!parser || !parser->ParsePosts(info.currentPage, &posts, &pictures))
        return false;
    const QString& db = request.task.databaseFile;
    QList<ThreadPost> rows;
    rows.reserve(posts.size());
    for (const PostRecord& post : posts)
        rows.append({info.currentPage, post.author, post.time, post.content});
    QList<ThreadPicture> shown;
    if (picturesOn) {
        shown.reserve(pictures.size());
        for (const PictureRecord& p : pictures)
            shown.append({p.pageNo, p.author, p.time, p.index, p.address});
    }
    QStringList fresh;
    if (!SavePage(db, rows, shown, info.currentPage, request.address, &fresh))
        return false;
    // The search index follows every stored page; a miss is caught up by the reader.
    SearchIndexer::PageStored(request.task.followNumber, db, info.currentPage);
    for (const QString& address : fresh)
        QueueThreadPicture(address, request.task.followNumber, db);
    return true;
}

void QueueWalk(const QString& address, const PageTask& task, bool atFront) {
    WalkTracker::Instance().Begin(task.databaseFile);
    QueueDownload(
        address, task,
        [](WebpageInfo& request, bool& busy, bool timedOut) {
            // Ended even when the walk throws, or the thread's gap filler would wait for ever.
            const QString db = request.task.databaseFile;
            struct Ending {
                QString db;
                ~Ending() { endWalkRequest(db); }
            } ending{db};
            WalkPage(request, busy, timedOut);
        },
        atFront, [](const WebpageInfo& request) { endWalkRequest(request.task.databaseFile); });
}

bool FillGaps(const WebpageInfo& request) {
    const QString& db = request.task.databaseFile;
    QList<int> stored;
    if (!ListStoredPages(db, stored))
        return false;
    const GapFill fill = PlanGapFill(stored);
    if (fill.kind == GapFill::Nothing)
        return false;
    QString address;
    if (fill.useThreadAddress) {
        const auto row = FollowedThreads::Instance().Find(request.task.followNumber);
        if (!row)
            return false;
        address = row->webpageUrl;
    } else if (!GetPageUrl(db, fill.fromPage, address)) {
        return false;
    }
    PageTask task = request.task;
    task.type = fill.type;
    task.SetPayloadNumber(0, fill.target);
    QueueWalk(address, task);
    return true;
}

void WalkPage(WebpageInfo& request, bool&, bool) {
    ParsedPageInfo info;
    QString address = request.address;
    if (!ReadPageInfo(request.Document, &address, &info)) {
        // The chain ends here either way; a forum error page (a thread deleted or moved, a
        // server fault) is worth a line, so a follow that stopped growing can be explained.
        if (CParseHtml(request.Document, request.address).ClassifyErrorPage() != 0) {
            LogFormat(LogError, "FocusIndex=%d failed get webpage! \n", request.task.followNumber);
            Log(QStringLiteral("RetryGetWebpage = ") + request.address, LogError);
        }
        return;
    }
    request.address = address;
    Log(info.title + QString::asprintf("   %d", info.currentPage));

    PageTask& task = request.task;
    const int current = info.currentPage;
    const int last = info.pageCount;
    if (task.type == TaskFollowFirstPage) {
        if (last <= kNewestPagesOfNewFollow) {
            task.type = TaskWalkToPage;
            task.SetPayloadNumber(0, last);
        } else {
            // The newest pages come first; page 1 is stored later by the gap filler.
            task.type = TaskNewestPages;
            task.SetPayloadNumber(0, last - kNewestPagesOfNewFollow);
            QueueWalk(info.lastPageAddress, task);
            return;
        }
    }

    if (!StorePage(request, info, EngineState::Current().picturesOn.load())) {
        // Nothing was stored, so the reader is not told and the chain ends; the next
        // refresh starts again from the newest stored page.
        Log(QStringLiteral("Store webpage failed: ") + request.address, LogError);
        return;
    }
    sendSmall(CDTNewGetWebpage, task.followNumber, current, 0, 0, true);

    bool queuedMore = false;
    switch (task.type) {
    case TaskStartupRefresh:
        if (info.nextPageAddress.isEmpty())
            break;
        if (static_cast<unsigned>(last - current) <= static_cast<unsigned>(kStartupJumpDistance)) {
            task.type = TaskWalkToPage;
            task.SetPayloadNumber(0, last);
            QueueWalk(info.nextPageAddress, task);
        } else {
            task.type = TaskJumpToLast;
            task.SetLabel(current, info.nextPageAddress);
            QueueWalk(info.lastPageAddress, task);
        }
        queuedMore = true;
        break;
    case TaskJumpToLast: {
        const int from = task.PayloadNumber(0);
        if (from < current && current - from >= 2 && current - from <= 99) {
            const QString nextOfFrom = task.Label();
            task.type = TaskWalkToPage;
            task.SetPayloadNumber(0, current - 1);
            QueueWalk(nextOfFrom, task);
            queuedMore = true;
        } else if (from < current && current - from >= 100) {
            task.type = TaskNewestPages;
            task.SetPayloadNumber(0, current - kNewestPagesOfNewFollow);
            QueueWalk(info.prevPageAddress, task);
            queuedMore = true;
        }
        break;
    }
    case TaskWalkToPage: {
        const int target = task.PayloadNumber(0);
        if (static_cast<unsigned>(current) < static_cast<unsigned>(target))
            queuedMore = forwardBatch(request, info, target);
        break;
    }
    case TaskNewestPages: {
        const int target = task.PayloadNumber(0);
        if (target < current) {
            queuedMore = backwardBatch(request, info, target);
        } else {
            QList<int> stored;
            if (ListStoredPages(task.databaseFile, stored) && !stored.isEmpty() &&
                stored.last() - current == kNewestPagesOfNewFollow)
                sendSmall(CDTGetAllNewestWebpage, task.followNumber);
        }
        break;
    }
    case TaskGuardRefresh:
    case TaskReaderRefresh:
        if (last == current + 1) {
            QueueWalk(info.nextPageAddress, task);
            queuedMore = true;
        } else if (task.type == TaskReaderRefresh) {
            sendSmall(CDTRefresh, task.followNumber);
        }
        break;
    case TaskEarlierPages: {
        const int first = task.PayloadNumber(0);
        const int wantedLast = task.PayloadNumber(1);
        if (wantedLast < current)
            queuedMore = backwardBatch(request, info, wantedLast);
        if (!queuedMore)
            sendSmall(CDTReadNeedLast, task.followNumber, first, current, 1);
        break;
    }
    case TaskLaterPages: {
        const int first = task.PayloadNumber(0);
        const int wantedLast = task.PayloadNumber(1);
        if (current < wantedLast)
            queuedMore = forwardBatch(request, info, wantedLast);
        if (!queuedMore)
            sendSmall(CDTReadNeedNext, task.followNumber, first, current, 1);
        break;
    }
    default:
        break;
    }

    const int type = task.type;
    if (!queuedMore && type != TaskGuardRefresh && type != TaskUserPage && type != TaskBatchPage &&
        type != TaskReaderRefresh)
        WalkTracker::Instance().WantGapFill(task);
}
