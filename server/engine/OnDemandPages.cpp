#include "server/engine/OnDemandPages.h"
#include "server/engine/EngineState.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/Utilities.h"
#include "server/engine/FollowedThreads.h"
#include "server/engine/LivePageControl.h"
#include "server/engine/LoginReply.h"
#include "server/engine/PageWalk.h"
#include "server/engine/PictureDownloads.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/WebpageInfo.h"
#include "server/parse/CParseWebpage.h"
#include "store/ThreadDatabase.h"

namespace {

PageTask rangeTask(const FollowRecord& row, int type, int first, int second) {
    PageTask task;
    task.followNumber = row.focusPageNo;
    task.type = type;
    task.databaseFile = row.dbFileName;
    task.SetPayloadNumber(0, first);
    task.SetPayloadNumber(1, second);
    task.SetPayloadNumber(2, 0);
    return task;
}

void sendSmall(int code, int a, int b = 0, int c = 0, int d = 0, bool atFront = false) {
    CommandChannel::Process().QueueSmall(MakeSmall(code, a, b, c, d), atFront);
}

void chosenPageDone(WebpageInfo& request, bool& busy) {
    ParsedPageInfo info;
    QString address = request.address;
    if (!ReadPageInfo(request.Document, &address, &info))
        return;
    request.address = address;
    const int wanted = request.task.PayloadNumber(0);
    if (info.currentPage < wanted) {
        // A jump that gained nothing (a page past the last one: the forum shows its last page
        // again) would be tried for ever; it ends with the failed answer instead.
        const int before = request.task.PayloadNumber(2);
        if (before > 0 && info.currentPage <= before) {
            LogFormat(LogWarn, "User set page not reached, stopped at %d", info.currentPage);
            sendSmall(CDTUserSet, request.task.followNumber, 0, 0, 0);
            return;
        }
        request.task.SetPayloadNumber(2, info.currentPage);
        auto parser = CreateParser(info.layout, request.Document, request.address, info);
        if (!parser)
            return;
        LivePageControl control(request.Live);
        QString target;
        if (!parser->GotoPage(request.Live ? &control : nullptr, wanted, &target))
            return;
        if (target.isEmpty()) {
            // The live page was made to navigate; its next document comes back here.
            busy = true;
            return;
        }
        // A page that cannot be had (past the last page, the forum answers 404) gets the
        // failed answer, so the reader does not wait for it.
        QueueDownload(target, request.task, BrowserPageDone, true, [](const WebpageInfo& lost) {
            sendSmall(CDTUserSet, lost.task.followNumber, 0, 0, 0);
        });
        return;
    }
    if (!StorePage(request, info, EngineState::Current().picturesOn.load()))
        return;
    sendSmall(CDTNewGetWebpage, request.task.followNumber, info.currentPage, 0, 0, true);
    if (info.currentPage == wanted)
        sendSmall(CDTUserSet, request.task.followNumber, wanted, 0, 1);
}

} // namespace

void FetchChosenPage(int focusPageNo, int wantedPage, int wantedAgain) {
    const auto row = FollowedThreads::Instance().Find(focusPageNo);
    if (!row)
        return;
    LogFormat(LogNormal, "User set get webpage  %d  %d \n", wantedPage, wantedAgain);
    QueueBrowse(row->webpageUrl, rangeTask(*row, TaskUserPage, wantedPage, 0), BrowserPageDone,
                true);
}

void FetchNeededPages(int type, int focusPageNo, int firstPage, int lastPage) {
    const auto row = FollowedThreads::Instance().Find(focusPageNo);
    if (!row)
        return;
    QString address;
    if (!GetPageUrl(row->dbFileName, firstPage, address))
        return;
    LogFormat(LogNormal, "Read need get webpage  %d  %d \n", firstPage, lastPage);
    QueueWalk(address, rangeTask(*row, type, firstPage, lastPage), true);
}

void FetchThreadPictures(int focusPageNo) {
    const auto row = FollowedThreads::Instance().Find(focusPageNo);
    if (!row)
        return;
    QStringList addresses;
    if (!ListMissingImages(row->dbFileName, 1, LatestSentinelPage, addresses))
        return;
    for (const QString& address : addresses)
        QueueThreadPicture(address, row->focusPageNo, row->dbFileName);
}

void PrioritisePictures(int focusPageNo, int firstPage, int lastPage) {
    const auto row = FollowedThreads::Instance().Find(focusPageNo);
    if (!row)
        return;
    QStringList addresses;
    if (ListMissingImages(row->dbFileName, firstPage, lastPage, addresses) && !addresses.isEmpty())
        PromotePictures(addresses);
}

void BrowserPageDone(WebpageInfo& request, bool& busy, bool timedOut) {
    const int type = request.task.type;
    if (timedOut) {
        if (type == TaskUserPage)
            sendSmall(CDTUserSet, request.task.followNumber, 0, 0, 0);
        else if (type == TaskReply)
            AnswerReply(request.task.followNumber, false);
        return;
    }
    if (CParseHtml(request.Document, request.address).ClassifyErrorPage() != 0) {
        LogFormat(LogError, "FocusIndex=%d failed get webpage! \n", request.task.followNumber);
        Log(QStringLiteral("RetryGetWebpage = ") + request.address, LogError);
        return;
    }
    switch (type) {
    case TaskUserPage:
        chosenPageDone(request, busy);
        break;
    case TaskLogin:
        LoginPageDone(request, busy);
        break;
    case TaskReply:
        ReplyPageDone(request, busy);
        break;
    default:
        break;
    }
}
