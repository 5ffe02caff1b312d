#include "server/engine/PictureDownloads.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/WebpageInfo.h"
#include "store/ThreadDatabase.h"

bool IsGoodPictureDownload(const QByteArray& body) {
    return body.size() > 10 && !body.startsWith("<!DOCTYPE");
}

LargeMessage BuildGetImgMessage(int focusPageNo, const QString& address,
                                const QList<PicturePost>& posts) {
    auto record = MakeRecord<GetImgMessage>(CDTGetImg);
    record.focusPageNo.Set(focusPageNo);
    record.pictureAddress.Set(address);
    const int count = std::min<int>(static_cast<int>(posts.size()), kMaxPicturePostEntries);
    record.entryCount.Set(count);
    for (int i = 0; i < count; ++i) {
        record.entries[i].pageNo.Set(posts[i].pageNo);
        record.entries[i].author.Set(posts[i].author);
        record.entries[i].time.Set(posts[i].time);
    }
    return ToLarge(record);
}

void PictureDownloaded(WebpageInfo& request) {
    const QString& db = request.task.databaseFile;
    if (!IsGoodPictureDownload(request.body)) {
        RecordImageDownload(db, request.address, false, {});
        return;
    }
    bool stored = false;
    const bool recorded = RecordImageDownload(db, request.address, true, request.body, &stored);
    request.body.clear();
    // The reader reads the picture from the file as soon as it hears of it: a picture that
    // could not be written stays not downloaded and is not announced. One that an earlier
    // download stored (it was queued again meanwhile) was announced then.
    if (!recorded || !stored) {
        if (!recorded)
            Log(QStringLiteral("Store picture failed: ") + request.address, LogError);
        return;
    }
    QList<PicturePost> posts;
    FindImagePosts(db, request.address, posts);
    CommandChannel::Process().QueueLarge(
        BuildGetImgMessage(request.task.followNumber, request.address, posts));
}

void QueueThreadPicture(const QString& address, int focusPageNo, const QString& dbFile) {
    PageTask task;
    task.followNumber = focusPageNo;
    task.type = TaskPicture;
    task.databaseFile = dbFile;
    QueuePicture(address, task);
}
