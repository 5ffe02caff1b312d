#include "server/fetch/PageLoader.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"
#include "server/parse/PageDocumentBuilder.h"

#include <QFile>
#include <QUrl>
#include <exception>

namespace {

const QString kThreadName = QStringLiteral("BeginGetWebpageBase");
const QString kShellName = QStringLiteral("Show.html");
// Used only when the home has lost its delivered shell: any page with a body serves.
const QString kFallbackShell =
    QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                   "<title>Quillmere</title>\n</head>\n<body>\n</body>\n</html>\n");

} // namespace

PageLoader::PageLoader() {
    EnsureDeliveredFiles();
    const QString shellPath = ProgramDirectory() + kShellName;
    QFile shell(shellPath);
    if (shell.open(QIODevice::ReadOnly))
        shellHtml_ = QString::fromUtf8(shell.readAll());
    if (!shellHtml_.contains(QStringLiteral("<body"))) {
        Log(QStringLiteral("Show.html missing, blank page used"), LogWarn);
        shellHtml_ = kFallbackShell;
    }
    documentUrl_ = QUrl::fromLocalFile(shellPath).toString();
}

bool PageLoader::HandHtml(WebpageInfo& request) {
    const QString text = DecodePageText(request.body);
    QString body;
    if (!CutPageBody(text, &body))
        return false;
    request.Document = BuildPageDocument(shellHtml_, body, request.address, documentUrl_);
    if (!request.Document)
        return false;
    bool busy = false;
    if (request.OnDocument)
        request.OnDocument(request, busy, false);
    request.Document.reset();
    return true;
}

bool PageLoader::LoadQueuedPages() {
    WebpageInfo request;
    while (PopLoaded(&request)) {
        if (request.OnDownloaded && request.bodyLength > 0) {
            try {
                if (!HandHtml(request)) {
                    Log(QStringLiteral("HandHtml error!\n"));
                    if (request.OnLost)
                        request.OnLost(request);
                }
            } catch (const std::exception& error) {
                // A handler that throws must not take the loader down with it unnoticed.
                Log(QStringLiteral("HandHtml exception: ") + QString::fromUtf8(error.what()),
                    LogError);
                return false;
            } catch (...) {
                Log(QStringLiteral("HandHtml exception"), LogError);
                return false;
            }
        }
        request = WebpageInfo(); // frees the downloaded bytes
    }
    return true;
}

int PageLoader::Run() {
    while (true) {
        if (StopRequested())
            return kLoaderEndedByStop;
        if (!LoadQueuedPages())
            return kLoaderCancelled;
        if (StopRequested())
            return kLoaderEndedByStop;
        LoadedQueue().WaitForWork(kPageLoaderTickMs);
    }
}

void RunPageLoaderThread(ThreadRegistry& threads) {
    ThreadBegin(kThreadName);
    int result = kLoaderEndedByStop;
    {
        PageLoader loader;
        result = loader.Run();
    }
    // Started before this one ends, so the registry never sees the loaders drop to zero.
    if (result == kLoaderCancelled && !StopRequested())
        StartPageLoaderThread(threads);
    ThreadEnd(kThreadName);
}

bool StartPageLoaderThread(ThreadRegistry& threads) {
    return threads.Start([&threads] { RunPageLoaderThread(threads); });
}
