#pragma once

#include "server/fetch/RequestQueue.h"

#include <QStringList>

// The three process-wide queues of network work.
RequestQueue& DirectQueue();     // downloads for the direct fetch threads
RequestQueue& NavigationQueue(); // addresses for the navigating loader
RequestQueue& LoadedQueue();     // downloaded pages waiting for a page loader

// A page (or front, discount or version page) to download and then load into a document.
void QueueDownload(const QString& address, const PageTask& task, DocumentHandler onDocument,
                   bool atFront, LostHandler onLost = {});
// An address for the navigating loader.
void QueueBrowse(const QString& address, const PageTask& task, DocumentHandler onDocument,
                 bool atFront);
// A picture to download (type 16, at the back), stored by the handler set with SetPictureStore.
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
