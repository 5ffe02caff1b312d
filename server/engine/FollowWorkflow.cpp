#include "server/engine/FollowWorkflow.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/Utilities.h"
#include "server/engine/EngineState.h"
#include "server/engine/PageWalk.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/WebpageInfo.h"
#include "server/parse/CParseWebpage.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <mutex>

namespace {

// A page that is not the first but names itself (or nothing) as the first page would be
// fetched for ever.
bool firstPageIsItself(const ParsedPageInfo& info, const QString& loaded, const QString& address) {
    return info.firstPageAddress.isEmpty() || info.firstPageAddress == loaded ||
           info.firstPageAddress == address;
}

void runFollow(WebpageInfo& request, const ParsedPageInfo& info, const QString& loaded) {
    if (info.currentPage != 1) {
        if (firstPageIsItself(info, loaded, request.address)) {
            AnswerFollow(request, kFollowParseFailed, 0);
            return;
        }
        QueueDownload(info.firstPageAddress, request.task, FollowPageDone, false);
        return;
    }

    // Two follows of one thread handled at the same time on two loaders must not both pass
    // the "already followed" check: the check and the insert run under this lock.
    std::unique_lock lock(EngineState::Current().followLock);
    if (IsThreadFollowed(request.address)) {
        lock.unlock();
        AnswerFollow(request, kFollowAlreadyFollowed, 0);
        return;
    }
    auto parser = CreateParser(info.layout, request.Document, request.address, info);
    QString author;
    QString time;
    if (!parser || !parser->GetFirstAuthor(&author, &time)) {
        lock.unlock();
        AnswerFollow(request, kFollowParseFailed, 0);
        return;
    }
    QString dbFile;
    if (!CreateThreadDatabase(dbFile)) {
        // A file without all its tables would only be left behind.
        RemoveThreadDatabase(dbFile);
        lock.unlock();
        AnswerFollow(request, kFollowCreateDbFailed, 0);
        return;
    }
    if (!AddFollowedThread(request.address, info.title, author, dbFile, info.pageCount)) {
        RemoveThreadDatabase(dbFile);
        lock.unlock();
        AnswerFollow(request, kFollowSaveFailed, 0);
        return;
    }
    lock.unlock();
    AnswerFollow(request, kFollowSucceeded, 1);
    StartNewFollow(request);
}

} // namespace

void StartFollow(const LargeMessage& record) {
    const auto add = FromLarge<AddFocusRequest>(record);
    PageTask task;
    task.type = TaskFollowFirstPage;
    task.SetLabel(0, add.label.Get());
    const QString address = add.address.Get();
    if (ClassifyForumAddress(address) == 2)
        QueueBrowse(address, task, FollowPageDone, true);
    else
        QueueDownload(address, task, FollowPageDone, true);
}

void FollowPageDone(WebpageInfo& request, bool& busy, bool timedOut) {
    if (timedOut) {
        AnswerFollow(request, kFollowTimedOut, 0);
        return;
    }
    ParsedPageInfo info;
    QString address = request.address;
    if (!ReadPageInfo(request.Document, &address, &info)) {
        AnswerFollow(request, kFollowParseFailed, 0);
        return;
    }
    const QString loaded = request.address;
    request.address = address;
    if (info.layout != 2) {
        runFollow(request, info, loaded);
        return;
    }
    // The oldest layout: the browser shows the page it was sent to next.
    if (info.currentPage == 1) {
        busy = true;
        return;
    }
    if (firstPageIsItself(info, loaded, address)) {
        AnswerFollow(request, kFollowParseFailed, 0);
        return;
    }
    QueueBrowse(info.firstPageAddress, request.task, FollowPageDone, false);
}

void AnswerFollow(const WebpageInfo& request, const QString& message, int result) {
    auto answer = MakeRecord<AddFocusAnswer>(CDTAddFocusWebpage);
    answer.result.Set(result);
    answer.focusPageNo.Set(FindFollowNumber(request.address));
    answer.message.Set(request.task.Label() + message);
    CommandChannel::Process().QueueLarge(ToLarge(answer));
}
