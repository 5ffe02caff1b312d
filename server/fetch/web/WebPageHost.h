#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <mutex>

class QWebEngineProfile;
class QWebEnginePage;
class WebPageHost;

// What a live-page handle holds of its host: cleared when the host goes, so a handle that
// outlives the loader fails its calls instead of touching a deleted page.
struct WebPageHostLink {
    std::mutex mutex;
    WebPageHost* host = nullptr;
};

// The hidden engine page of the navigating loader. Lives on the GUI thread; other threads
// reach it only through Navigate and the awaited calls.
class WebPageHost : public QObject {
    Q_OBJECT
public:
    // A finished load of the top frame: the serialised page ("" when there is no document),
    // its address, and the navigation it belongs to.
    using CompletionSink =
        std::function<void(quint64 navigation, const QString& html, const QString& url)>;

    WebPageHost(const QString& profileDirectory, CompletionSink sink);
    ~WebPageHost() override;

    // Thread-safe: starts loading `address`; finished loads are reported with `navigation`.
    void Navigate(const QString& address, quint64 navigation);

    // Thread-safe, never from the GUI thread: runs a script in the page and waits for its
    // result. False when the host is gone or did not answer within `timeoutMs`.
    static bool RunScript(const std::shared_ptr<WebPageHostLink>& link, const QString& script,
                          int timeoutMs, QVariant* result);
    // Thread-safe, never from the GUI thread: the page serialised as it is now, and its address.
    static bool SerialisePage(const std::shared_ptr<WebPageHostLink>& link, int timeoutMs,
                              QString* html, QString* url);

    const std::shared_ptr<WebPageHostLink>& Link() const { return link_; }

private:
    using Work = std::function<void(WebPageHost* host, std::function<void(QVariant)> done)>;
    // Runs `work` on the host's thread and waits until it calls `done` with a value. The link
    // is held only while the call is posted, so the host can go away while a caller waits.
    static bool Await(const std::shared_ptr<WebPageHostLink>& link, const Work& work, int timeoutMs,
                      QVariant* result);
    void OnLoadFinished(bool ok);

    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    CompletionSink sink_;
    quint64 navigation_ = 0; // GUI thread only
    std::shared_ptr<WebPageHostLink> link_;
};
