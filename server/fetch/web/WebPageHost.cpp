#include "server/fetch/web/WebPageHost.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <future>

namespace {

// Scripts and pictures run as in a browser, but nothing may stop the page with a dialog or
// open a window nobody sees.
class SilentPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return true; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

} // namespace

WebPageHost::WebPageHost(const QString& profileDirectory, CompletionSink sink)
    : sink_(std::move(sink)), link_(std::make_shared<WebPageHostLink>()) {
    // A named profile keeps its cookies on disk, so a login survives a restart of the server.
    profile_ = new QWebEngineProfile(QStringLiteral("Quillmere"), this);
    profile_->setPersistentStoragePath(profileDirectory);
    profile_->setCachePath(profileDirectory + QStringLiteral("/cache"));
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    page_ = new SilentPage(profile_, this);
    QWebEngineSettings* settings = page_->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    connect(page_, &QWebEnginePage::loadFinished, this, &WebPageHost::OnLoadFinished);
    link_->host = this;
}

WebPageHost::~WebPageHost() {
    {
        std::lock_guard lock(link_->mutex);
        link_->host = nullptr;
    }
    // The page must go before its profile.
    delete page_;
    page_ = nullptr;
}

void WebPageHost::Navigate(const QString& address, quint64 navigation) {
    QPointer<WebPageHost> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, address, navigation] {
            if (!self)
                return;
            self->navigation_ = navigation;
            self->page_->load(QUrl::fromUserInput(address));
        },
        Qt::QueuedConnection);
}

void WebPageHost::OnLoadFinished(bool) {
    const quint64 navigation = navigation_;
    const QString url = page_->url().toString();
    QPointer<WebPageHost> self(this);
    page_->toHtml([self, navigation, url](const QString& html) {
        if (self && self->sink_)
            self->sink_(navigation, html, url);
    });
}

bool WebPageHost::Await(const std::shared_ptr<WebPageHostLink>& link, const Work& work,
                        int timeoutMs, QVariant* result) {
    auto promise = std::make_shared<std::promise<QVariant>>();
    auto answered = std::make_shared<std::atomic<bool>>(false);
    std::future<QVariant> future = promise->get_future();
    std::function<void(QVariant)> done = [promise, answered](QVariant value) {
        if (!answered->exchange(true))
            promise->set_value(std::move(value));
    };
    {
        std::lock_guard lock(link->mutex);
        WebPageHost* host = link->host;
        // Waiting on the GUI thread for the GUI thread would never end.
        if (!host || QThread::currentThread() == host->thread())
            return false;
        QPointer<WebPageHost> guard(host);
        if (!QMetaObject::invokeMethod(
                host,
                [guard, work, done] {
                    if (guard)
                        work(guard.data(), done);
                    else
                        done(QVariant());
                },
                Qt::QueuedConnection))
            return false;
    }
    if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return false;
    *result = future.get();
    return true;
}

bool WebPageHost::RunScript(const std::shared_ptr<WebPageHostLink>& link, const QString& script,
                            int timeoutMs, QVariant* result) {
    return Await(
        link,
        [script](WebPageHost* host, std::function<void(QVariant)> done) {
            host->page_->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                       [done](const QVariant& value) { done(value); });
        },
        timeoutMs, result);
}

bool WebPageHost::SerialisePage(const std::shared_ptr<WebPageHostLink>& link, int timeoutMs,
                                QString* html, QString* url) {
    QVariant value;
    if (!Await(
            link,
            [](WebPageHost* host, std::function<void(QVariant)> done) {
                const QString address = host->page_->url().toString();
                host->page_->toHtml([done, address](const QString& text) {
                    done(QStringList{text, address});
                });
            },
            timeoutMs, &value))
        return false;
    const QStringList parts = value.toStringList();
    if (parts.size() != 2)
        return false;
    *html = parts[0];
    *url = parts[1];
    return true;
}
