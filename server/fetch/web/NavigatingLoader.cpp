#include "server/fetch/web/NavigatingLoader.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/web/WebLivePage.h"
#include "server/fetch/web/WebPageHost.h"
#include "server/parse/PageDocumentBuilder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

namespace {

const QString kThreadName = QStringLiteral("BeginGetWebpageEx");

qint64 NowSeconds() {
    return QDateTime::currentSecsSinceEpoch();
}

// Runs `work` on the application's thread and waits for it (directly when already there).
void RunOnGuiThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        work();
    else
        QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

} // namespace

void PrepareWebEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

NavigatingLoader::NavigatingLoader(NavigatingLoaderOptions options) : options_(std::move(options)) {
    if (options_.profileDirectory.isEmpty())
        options_.profileDirectory = ProgramDirectory() + QStringLiteral("WebProfile");
    auto sink = [inbox = inbox_](quint64 navigation, const QString& html, const QString& url) {
        {
            std::lock_guard lock(inbox->mutex);
            inbox->completions.push_back({navigation, html, url});
        }
        inbox->Wake();
    };
    RunOnGuiThread([&] { host_ = new WebPageHost(options_.profileDirectory, sink); });
    link_ = host_->Link();
    live_ = std::make_shared<WebLivePage>(link_, options_.callTimeoutMs);
    NavigationQueue().SetPushListener([inbox = inbox_] { inbox->Wake(); });
}

NavigatingLoader::~NavigatingLoader() {
    NavigationQueue().SetPushListener(nullptr);
    {
        // No more completions may reach this object once it starts going away.
        std::lock_guard lock(link_->mutex);
        link_->host = nullptr;
    }
    WebPageHost* host = host_;
    if (QCoreApplication::instance())
        QMetaObject::invokeMethod(
            host, [host] { delete host; }, Qt::QueuedConnection);
}

void NavigatingLoader::Inbox::Wake() {
    {
        std::lock_guard lock(mutex);
        woken = true;
    }
    wake.notify_one();
}

void NavigatingLoader::End() {
    {
        std::lock_guard lock(inbox_->mutex);
        inbox_->ended = true;
    }
    inbox_->wake.notify_one();
}

QString NavigatingLoader::StatusText() const {
    std::lock_guard lock(statusMutex_);
    return status_;
}

bool NavigatingLoader::LoginCancelled() const {
    return options_.loginCancelFlag && options_.loginCancelFlag->load() != 0;
}

void NavigatingLoader::SetBusy(bool busy) {
    if (busy_.load() == busy)
        return;
    busy_ = busy;
    if (busy) {
        busySince_ = NowSeconds();
        lastRepollSecond_ = -1;
    } else {
        current_ = WebpageInfo();
    }
    std::lock_guard lock(statusMutex_);
    status_ = busy ? QStringLiteral("SpiderDlg busy") : QStringLiteral("SpiderDlg no busy");
}

void NavigatingLoader::Run() {
    // Stop is looked at in slices as well, since nothing signals it.
    const int sliceMs = std::min(options_.tickMs, 100);
    auto nextTick = std::chrono::steady_clock::now();
    while (true) {
        std::deque<Completion> completions;
        {
            Inbox& inbox = *inbox_;
            std::unique_lock lock(inbox.mutex);
            while (!inbox.woken && !inbox.ended && inbox.completions.empty() && !StopRequested() &&
                   std::chrono::steady_clock::now() < nextTick)
                inbox.wake.wait_for(lock, std::chrono::milliseconds(sliceMs));
            if (inbox.ended)
                return;
            inbox.woken = false;
            completions.swap(inbox.completions);
        }
        if (StopRequested())
            return;
        for (const Completion& completion : completions)
            HandleCompletion(completion);
        Tick();
        nextTick = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.tickMs);
    }
}

void NavigatingLoader::CallHandler(WebpageInfo& request, const DocumentHandler& handler,
                                   DocumentPtr document, bool timedOut) {
    request.Document = std::move(document);
    request.Live = live_;
    // The loader stays busy only while the handler says so: a handler that has finished (a
    // login that succeeded) must free the loader for the next page, not hold it for 90 s.
    bool busy = false;
    if (handler)
        handler(request, busy, timedOut);
    request.Document.reset();
    SetBusy(busy);
}

void NavigatingLoader::HandleCompletion(const Completion& completion) {
    // A page nobody waits for, or a late answer of a page that was left behind.
    if (!busy_.load() || completion.navigation != navigation_)
        return;
    Log(QStringLiteral("Document complete!   ") + current_.address);
    if (completion.html.isEmpty()) {
        SetBusy(false);
        return;
    }
    WebpageInfo request = current_;
    CallHandler(request, request.OnDocument, ParseSnapshotDocument(completion.html, completion.url),
                false);
    if (busy_.load())
        current_ = request; // keeps what the handler set (AwaitNext, RepollSeconds)
}

void NavigatingLoader::Tick() {
    if (!busy_.load()) {
        WebpageInfo next;
        if (PopBrowser(&next)) {
            SetBusy(true);
            current_ = next;
            host_->Navigate(current_.address, ++navigation_);
            if (current_.task.type == TaskLogin && options_.loginCancelFlag)
                options_.loginCancelFlag->store(0);
        }
        return;
    }

    const qint64 elapsed = NowSeconds() - busySince_;
    const int period = current_.RepollSeconds;
    // Once per whole second at most, however often the loader is woken.
    if (period > 0 && elapsed > period && elapsed % period == 0 && elapsed != lastRepollSecond_) {
        lastRepollSecond_ = elapsed;
        WebpageInfo request = current_;
        CallHandler(request, request.OnDocument, live_->Snapshot(), false);
        if (!busy_.load())
            return;
        current_ = request;
    }

    if (current_.task.type == TaskLogin && current_.AwaitNext) {
        if (LoginCancelled()) {
            SetBusy(false);
            return;
        }
        WebpageInfo next;
        if (!PopBrowserLogin(&next))
            return;
        const DocumentHandler handler = current_.OnDocument;
        current_.AwaitNext = false;
        // The user's new input starts a new wait on the same page.
        busySince_ = NowSeconds();
        lastRepollSecond_ = -1;
        CallHandler(next, handler, live_->Snapshot(), false);
        if (busy_.load())
            current_ = next;
        return;
    }

    if (elapsed > options_.timeLimitSeconds) {
        WebpageInfo request = current_;
        CallHandler(request, request.OnDocument, live_->Snapshot(), true);
        SetBusy(false);
    }
}

void RunNavigatingLoaderThread(NavigatingLoaderOptions options) {
    ThreadBegin(kThreadName);
    {
        NavigatingLoader loader(std::move(options));
        loader.Run();
    }
    ThreadEnd(kThreadName);
}

bool StartNavigatingLoaderThread(ThreadRegistry& threads, NavigatingLoaderOptions options) {
    return threads.Start([options = std::move(options)]() mutable {
        RunNavigatingLoaderThread(std::move(options));
    });
}
