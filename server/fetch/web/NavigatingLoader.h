#pragma once

#include "common/ThreadRegistry.h"
#include "server/fetch/WebpageInfo.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class WebPageHost;
struct WebPageHostLink;

struct NavigatingLoaderOptions {
    int tickMs = 500;          // the longest wait between two looks at the queue and the clock
    int timeLimitSeconds = 90; // a page that keeps the loader busy longer is reported as timed out
    int callTimeoutMs = 10000; // how long one live-page action or snapshot may take
    QString profileDirectory;  // empty: "WebProfile" in the home
    // Set by the server when the reader's login dialog closed without a login.
    std::atomic<int>* loginCancelFlag = nullptr;
};

// Lets the web engine load addresses itself, with scripts and pictures, and hands each loaded
// page to its request on this loader's own thread. The engine page lives on the GUI thread;
// this object is created, run and destroyed on the loader's thread.
class NavigatingLoader {
public:
    explicit NavigatingLoader(NavigatingLoaderOptions options = {});
    ~NavigatingLoader();
    NavigatingLoader(const NavigatingLoader&) = delete;
    NavigatingLoader& operator=(const NavigatingLoader&) = delete;

    // Works until the stop flag is set or End is called.
    void Run();
    // Thread-safe: ends Run at its next turn.
    void End();

    bool Busy() const { return busy_.load(); }
    // "SpiderDlg busy" or "SpiderDlg no busy".
    QString StatusText() const;

private:
    struct Completion {
        quint64 navigation = 0;
        QString html;
        QString url;
    };
    // What other threads hand this loader; shared with them so that a late completion from
    // the GUI thread never reaches a loader that has gone.
    struct Inbox {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Completion> completions;
        bool woken = false;
        bool ended = false;
        void Wake();
    };

    void Tick();
    void HandleCompletion(const Completion& completion);
    // Calls the current request's handler with a document of the page as it is now.
    void CallHandler(WebpageInfo& request, const DocumentHandler& handler, DocumentPtr document,
                     bool timedOut);
    void SetBusy(bool busy);
    bool LoginCancelled() const;

    NavigatingLoaderOptions options_;
    WebPageHost* host_ = nullptr; // owned; deleted on the GUI thread
    std::shared_ptr<WebPageHostLink> link_;
    std::shared_ptr<LivePage> live_;

    std::shared_ptr<Inbox> inbox_ = std::make_shared<Inbox>();
    mutable std::mutex statusMutex_;

    std::atomic<bool> busy_{false};
    qint64 busySince_ = 0; // whole seconds
    qint64 lastRepollSecond_ = -1;
    quint64 navigation_ = 0;
    WebpageInfo current_;
    QString status_ = QStringLiteral("Info");
};

// Sets what the web engine needs before the application object is created.
void PrepareWebEngine();

// The navigating loader thread (`BeginGetWebpageEx`); not restarted when it ends.
void RunNavigatingLoaderThread(NavigatingLoaderOptions options);
bool StartNavigatingLoaderThread(ThreadRegistry& threads, NavigatingLoaderOptions options = {});
