#include "server/fetch/FetchQueues.h"

#include "common/Log.h"

#include <mutex>

namespace {

std::mutex pictureStoreMutex;
DownloadHandler pictureStore;

bool IsNotPicture(const WebpageInfo& request) {
    return request.task.type != TaskPicture;
}
bool IsLogin(const WebpageInfo& request) {
    return request.task.type == TaskLogin;
}

} // namespace

RequestQueue& DirectQueue() {
    static RequestQueue queue;
    return queue;
}

RequestQueue& NavigationQueue() {
    static RequestQueue queue;
    return queue;
}

RequestQueue& LoadedQueue() {
    static RequestQueue queue;
    return queue;
}

void QueueDownload(const QString& address, const PageTask& task, DocumentHandler onDocument,
                   bool atFront, LostHandler onLost) {
    WebpageInfo request;
    request.address = address;
    request.task = task;
    request.OnDocument = std::move(onDocument);
    request.OnLost = std::move(onLost);
    request.OnDownloaded = [](WebpageInfo& downloaded) { PushLoaded(downloaded); };
    PushDirect(request, atFront);
}

void QueueBrowse(const QString& address, const PageTask& task, DocumentHandler onDocument,
                 bool atFront) {
    WebpageInfo request;
    request.address = address;
    request.task = task;
    request.OnDocument = std::move(onDocument);
    PushBrowser(request, atFront);
}

void QueuePicture(const QString& address, const PageTask& task) {
    WebpageInfo request;
    request.address = address;
    request.task = task;
    request.task.type = TaskPicture;
    {
        std::lock_guard lock(pictureStoreMutex);
        request.OnDownloaded = pictureStore;
    }
    PushDirect(request, false);
}

void SetPictureStore(DownloadHandler store) {
    std::lock_guard lock(pictureStoreMutex);
    pictureStore = std::move(store);
}

void PushDirect(const WebpageInfo& request, bool atFront) {
    DirectQueue().Push(request, atFront);
    Log(QStringLiteral("PushWebpageInfoDirect   ") + request.address);
}

void PushBrowser(const WebpageInfo& request, bool atFront) {
    NavigationQueue().Push(request, atFront);
    Log(QStringLiteral("PushWebpageInfoEx   ") + request.address);
}

void PushLoaded(const WebpageInfo& request) {
    LoadedQueue().Push(request, false);
}

void PromotePictures(const QStringList& addresses) {
    if (!DirectQueue().MayHaveWork())
        return;
    DirectQueue().Promote(addresses);
}

bool PopDirect(WebpageInfo* request, bool mayTakePicture) {
    if (!DirectQueue().MayHaveWork())
        return false;
    if (!DirectQueue().Take(request, IsNotPicture, mayTakePicture))
        return false;
    Log(QStringLiteral("PopWebpageInfoDirect   ") + request->address);
    return true;
}

bool WaitForDirectPage(int milliseconds) {
    return DirectQueue().WaitForMatch(IsNotPicture, milliseconds);
}

bool PopBrowser(WebpageInfo* request) {
    if (!NavigationQueue().MayHaveWork())
        return false;
    if (!NavigationQueue().TakeFirst(request))
        return false;
    Log(QStringLiteral("PopWebpageInfoEx   ") + request->address);
    return true;
}

bool PopBrowserLogin(WebpageInfo* request) {
    if (!NavigationQueue().MayHaveWork())
        return false;
    if (!NavigationQueue().Take(request, IsLogin, false))
        return false;
    Log(QStringLiteral("PopWebpageInfoEx   ") + request->address);
    return true;
}

bool PopLoaded(WebpageInfo* request) {
    if (!LoadedQueue().MayHaveWork())
        return false;
    return LoadedQueue().TakeFirst(request);
}

void ClearFetchQueues() {
    DirectQueue().Clear();
    NavigationQueue().Clear();
    LoadedQueue().Clear();
}

void WakeFetchQueueWaiters() {
    DirectQueue().WakeAll();
    NavigationQueue().WakeAll();
    LoadedQueue().WakeAll();
}
