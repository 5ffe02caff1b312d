#pragma once

#include "server/fetch/HttpFetcher.h"
#include "server/fetch/RequestQueue.h"

#include <QStringList>

#include <mutex>

// What the fetch threads share: the three queues of network work, the picture store that
// every picture request carries, and the limits of the direct fetch threads. The server's
// owner holds one; while it lives, the functions below work on it.
class FetchQueues {
public:
    FetchQueues();
    ~FetchQueues();
    FetchQueues(const FetchQueues&) = delete;
    FetchQueues& operator=(const FetchQueues&) = delete;

    // The queues of the running program, or null when none live.
    static FetchQueues* Current();

    RequestQueue direct;
    RequestQueue navigation;
    RequestQueue loaded;

    void SetPictureStore(DownloadHandler store);
    DownloadHandler PictureStore() const;
    void SetLimits(const FetchLimits& limits);
    FetchLimits Limits() const;

private:
    mutable std::mutex mutex_; // guards the picture store and the limits
    DownloadHandler pictureStore_;
    FetchLimits limits_;
    FetchQueues* previous_ = nullptr;
};

// The queues of the current FetchQueues.
RequestQueue& DirectQueue();     // downloads for the direct fetch threads
RequestQueue& NavigationQueue(); // addresses for the navigating loader
RequestQueue& LoadedQueue();     // downloaded pages waiting for a page loader

// A page (or front, discount or version page) to download and then load into a document.
void QueueDownload(const QString& address, const PageTask& task, DocumentHandler onDocument,
                   bool atFront, LostHandler onLost = {});
// An address for the navigating loader.
void QueueBrowse(const QString& address, const PageTask& task, DocumentHandler onDocument,
                 bool atFront);
// A picture to download (type 16, at the back; nothing when the same picture of the same
// thread is already queued), stored by the handler set with SetPictureStore.
void QueuePicture(const QString& address, const PageTask& task);
// The picture store that every QueuePicture request carries; set once at start by the engine.
void SetPictureStore(DownloadHandler store);

void PushDirect(const WebpageInfo& request, bool atFront);
void PushBrowser(const WebpageInfo& request, bool atFront);
// Appends a downloaded request to the loaded queue (the OnDownloaded of QueueDownload requests).
void PushLoaded(const WebpageInfo& request);
// Moves the queued downloads of these addresses ahead of the others.
void PromotePictures(const QStringList& addresses);

// Pages before pictures: the first request that is not a picture, else (when
// `mayTakePicture`) the first picture.
bool PopDirect(WebpageInfo* request, bool mayTakePicture = true);
// Waits until a request other than a picture is queued (or the time is up).
bool WaitForDirectPage(int milliseconds);
bool PopBrowser(WebpageInfo* request);
// The first login request, leaving the others in place.
bool PopBrowserLogin(WebpageInfo* request);
bool PopLoaded(WebpageInfo* request);

// Empties all three queues (exit, tests).
void ClearFetchQueues();
// Releases every consumer waiting on a queue, so a stop is seen at once.
void WakeFetchQueueWaiters();
