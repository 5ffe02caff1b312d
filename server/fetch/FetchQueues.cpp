#include "server/fetch/FetchQueues.h"

#include "common/Log.h"

#include <atomic>

namespace {

std::atomic<FetchQueues*> current{nullptr};

bool IsNotPicture(const WebpageInfo& request) {
    return request.task.type != TaskPicture;
}
bool IsLogin(const WebpageInfo& request) {
    return request.task.type == TaskLogin;
}

} // namespace

FetchQueues::FetchQueues() {
    previous_ = current.exchange(this);
}

FetchQueues::~FetchQueues() {
    FetchQueues* expected = this;
    current.compare_exchange_strong(expected, previous_);
}

FetchQueues* FetchQueues::Current() {
    return current.load();
}

void FetchQueues::SetPictureStore(DownloadHandler store) {
    std::lock_guard lock(mutex_);
    pictureStore_ = std::move(store);
}

DownloadHandler FetchQueues::PictureStore() const {
    std::lock_guard lock(mutex_);
    return pictureStore_;
}

void FetchQueues::SetLimits(const FetchLimits& limits) {
    std::lock_guard lock(mutex_);
    limits_ = limits;
}

FetchLimits FetchQueues::Limits() const {
    std::lock_guard lock(mutex_);
    return limits_;
}

RequestQueue& DirectQueue() {
    return FetchQueues::Current()->direct;
}

RequestQueue& NavigationQueue() {
    return FetchQueues::Current()->navigation;
}

RequestQueue& LoadedQueue() {
    return FetchQueues::Current()->loaded;
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
    request.OnDownloaded = FetchQueues::Current()->PictureStore();
    // A thread's pictures are queued when their page is stored and again when the reader
    // opens the thread; one download each is enough.
    const bool pushed =
        DirectQueue().PushUnlessQueued(request, false, [&request](const WebpageInfo& queued) {
            return queued.task.type == TaskPicture && queued.address == request.address &&
                   queued.task.databaseFile == request.task.databaseFile;
        });
    if (pushed)
        Log(QStringLiteral("PushWebpageInfoDirect   ") + request.address);
}

void SetPictureStore(DownloadHandler store) {
    FetchQueues::Current()->SetPictureStore(std::move(store));
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
