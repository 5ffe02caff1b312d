#include "reader/CExplorer1.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

namespace {

class ExplorerPage : public QWebEnginePage {
public:
    ExplorerPage(bool silent, QObject* parent) : QWebEnginePage(parent), silent_(silent) {}

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (!silent_)
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
    void javaScriptAlert(const QUrl& origin, const QString& message) override {
        if (!silent_)
            QWebEnginePage::javaScriptAlert(origin, message);
    }
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
        return silent_ ? false : QWebEnginePage::javaScriptConfirm(origin, message);
    }
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& value,
                          QString* result) override {
        return silent_ ? false : QWebEnginePage::javaScriptPrompt(origin, message, value, result);
    }

private:
    bool silent_;
};

} // namespace

CExplorer1::CExplorer1(bool silent, QWidget* parent) : QWebEngineView(parent) {
    auto* page = new ExplorerPage(silent, this);
    setPage(page);
    // Not taken up, the request opens no window.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                const QString address = request.requestedUrl().toString();
                if (!address.isEmpty())
                    emit newWindowAddress(address);
            });
}
