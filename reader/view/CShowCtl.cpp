#include "reader/view/CShowCtl.h"

#include "common/ProgramDirectory.h"
#include "reader/reading/PostHtml.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QUrl>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>

namespace {

// The reading document never runs scripts of its own; ours run in a world apart.
class SilentShowPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

// `(function body)(arguments)`, the arguments written as JSON literals so that no text can
// change the script.
QString Call(const char* function, const QJsonArray& arguments) {
    QString args = QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact));
    args = args.mid(1, args.size() - 2); // without the array's brackets
    return QStringLiteral("(%1)(%2)").arg(QLatin1String(function), args);
}

const char* const kIsReady = R"(function () {
  var b = document.body;
  return !!(b && b.childNodes.length > 0 && b.childNodes[0].nodeType === 1);
})";

const char* const kReset = R"(function () {
  window.scrollTo(0, 0);
  return 1;
})";

const char* const kAppendPost = R"(function (header, content) {
  var b = document.body;
  if (!b) return 0;
  var h = document.createElement('href');
  h.innerHTML = header;
  b.appendChild(h);
  var c = document.createElement('href');
  c.innerText = content;
  b.appendChild(c);
  return 1;
})";

const char* const kInsertPicture = R"(function (page, author, time, html) {
  var b = document.body;
  if (!b) return 0;
  var kids = b.children;
  for (var i = 0; i < kids.length; ++i) {
    var t = kids[i].innerText || '';
    if (t.length <= 60 && t.indexOf(page) >= 0 && t.indexOf(author, 1) >= 1 &&
        t.indexOf(time, 1) >= 1) {
      var e = document.createElement('href');
      e.innerHTML = html;
      kids[i].appendChild(e);
      return 1;
    }
  }
  return 0;
})";

const char* const kAddLink = R"(function (html, atEnd) {
  var b = document.body;
  if (!b) return 0;
  var e = document.createElement('href');
  e.innerHTML = html;
  if (atEnd || !b.firstChild) b.appendChild(e);
  else b.insertBefore(e, b.firstChild);
  return 1;
})";

} // namespace

CShowCtl::CShowCtl(QWidget* parent) : QWebEngineView(parent) {
    setPage(new SilentShowPage(this));
    QWebEngineSettings* settings = page()->settings();
    // Page scripts stay off: a picture or a name can never run anything.
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(page(), &QWebEnginePage::loadStarted, this, [this] { loading_ = true; });
    connect(page(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        loading_ = false;
        emit DocumentLoaded(ok);
    });
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                // Not opened: the request is left unanswered.
                emit NewWindowRequested(request.requestedUrl().toString());
            });
}

void CShowCtl::NavigateToShow() {
    EnsureDeliveredFiles();
    loading_ = true;
    load(QUrl::fromLocalFile(ProgramDirectory() + kShowFileName));
}

void CShowCtl::RefreshView() {
    loading_ = true;
    // A fresh load of the file rather than a reload, which would bring back the old scroll.
    load(QUrl::fromLocalFile(ProgramDirectory() + kShowFileName));
}

void CShowCtl::RunScript(const QString& script, std::function<void(const QVariant&)> done) {
    if (done)
        page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                              [done = std::move(done)](const QVariant& v) { done(v); });
    else
        page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void CShowCtl::IsDocumentReady(std::function<void(bool)> done) {
    if (loading_) {
        done(false);
        return;
    }
    RunScript(Call(kIsReady, {}),
              [done = std::move(done)](const QVariant& v) { done(v.toBool()); });
}

void CShowCtl::ResetView() {
    RunScript(Call(kReset, {}));
    nextLinkAdded_ = false;
    prevLinkAdded_ = false;
}

void CShowCtl::AppendPosts(const ShownPosts& posts) {
    for (const ShownPost& post : posts)
        AppendPost(post);
}

void CShowCtl::AppendPost(const ShownPost& post) {
    RunScript(Call(kAppendPost, {BuildPostHeader(post), post.content}));
}

void CShowCtl::InsertPicture(const ThreadPicture& picture, std::function<void(bool)> done) {
    const QJsonArray arguments{QStringLiteral("第%1页").arg(picture.pageNo), picture.author,
                               picture.time, BuildPictureHtml(picture.imgUrl)};
    if (done)
        RunScript(Call(kInsertPicture, arguments),
                  [done = std::move(done)](const QVariant& v) { done(v.toInt() == 1); });
    else
        RunScript(Call(kInsertPicture, arguments));
}

void CShowCtl::AddLink(bool next) {
    bool& added = next ? nextLinkAdded_ : prevLinkAdded_;
    if (added)
        return;
    // Set at once so that a second call before the script has run adds nothing; a script
    // that finds no document clears it again.
    added = true;
    RunScript(Call(kAddLink, {next ? NextLinkHtml() : PrevLinkHtml(), next}),
              [self = QPointer<CShowCtl>(this), next](const QVariant& v) {
                  if (self && v.toInt() != 1)
                      (next ? self->nextLinkAdded_ : self->prevLinkAdded_) = false;
              });
}

void CShowCtl::AddNextLink() {
    AddLink(true);
}

void CShowCtl::AddPrevLink() {
    AddLink(false);
}
