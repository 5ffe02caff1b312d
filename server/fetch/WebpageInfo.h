#pragma once

#include "server/fetch/PageTask.h"
#include "server/parse/HtmlDocument.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class LivePage;
struct WebpageInfo;

// Called on a loader thread with `Document` set. Setting `busy` keeps the navigating loader
// on its page; `timedOut` is true when the navigating loader gave up waiting.
using DocumentHandler = std::function<void(WebpageInfo& request, bool& busy, bool timedOut)>;
// Called on the direct fetch thread after a download (body empty for a failed picture).
using DownloadHandler = std::function<void(WebpageInfo& request)>;
// Called when a page request ends without reaching its OnDocument: the download failed or
// was empty, or the page had no body to load.
using LostHandler = std::function<void(const WebpageInfo& request)>;

// One request of network work. Copied by value into and out of every queue, so no two
// threads ever share one.
struct WebpageInfo {
    QString address;
    DocumentPtr Document;
    // The page as it lives in the navigating loader, for form work; empty for downloaded pages.
    std::shared_ptr<LivePage> Live;
    DocumentHandler OnDocument;
    DownloadHandler OnDownloaded;
    LostHandler OnLost;
    QByteArray body; // the downloaded bytes (QByteArray keeps a zero byte after them)
    int32_t bodyLength = 0;
    bool AwaitNext = false;
    int32_t RepollSeconds = 0;
    PageTask task;
};
