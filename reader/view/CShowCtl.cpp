#include "reader/view/CShowCtl.h"

#include "common/ProgramDirectory.h"
#include "reader/reading/PostHtml.h"

#include <QChildEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QPointer>
#include <QUrl>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWheelEvent>

#include <algorithm>

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

// The arguments of kAppendPost and kInsertPicture.
QJsonArray PostArguments(const ShownPost& post) {
    return {BuildPostHeader(post), post.content};
}

QJsonArray PictureArguments(const ThreadPicture& picture) {
    return {QStringLiteral("第%1页").arg(picture.pageNo), picture.author, picture.time,
            BuildPictureHtml(picture.imgUrl), PictureSource(picture.imgUrl)};
}

// `function` called once for each argument list of `items`, all in one script.
QString CallForEach(const char* function, const QJsonArray& items) {
    const QString list = QString::fromUtf8(QJsonDocument(items).toJson(QJsonDocument::Compact));
    return QStringLiteral("(function (f, items) {"
                          " for (var i = 0; i < items.length; ++i) f.apply(null, items[i]);"
                          " return items.length; })(%1, %2)")
        .arg(QLatin1String(function), list);
}

const QString kNightScriptName = QStringLiteral("QuillmereNight");
const QColor kNightPage(0x17, 0x18, 0x1B);

// The night colours over the document's own: dark page, light serif text, softer links and
// pictures a little dimmed so they do not glare.
const char* const kNightStyle = R"((function () {
  var s = document.getElementById('quillmere-night');
  if (!s) {
    s = document.createElement('style');
    s.id = 'quillmere-night';
    (document.head || document.documentElement).appendChild(s);
  }
  s.textContent = 'html{background:#17181b !important}' +
    'body{background:#222327 !important;color:#cdc8be !important}' +
    'a{color:#7fb4cf !important}' +
    'href img{filter:brightness(.85)}' +
    'font[color="#00A000"]{color:#6fbf73 !important}' +
    'font[color="#FF0000"]{color:#ef7b6f !important}' +
    '::selection{background:#44506a}';
  return 1;
})())";

const char* const kDayStyle = R"((function () {
  var s = document.getElementById('quillmere-night');
  if (s) s.parentNode.removeChild(s);
  return 1;
})())";

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

const char* const kInsertPicture = R"(function (page, author, time, html, src) {
  var b = document.body;
  if (!b) return 0;
  var kids = b.children;
  for (var i = 0; i < kids.length; ++i) {
    var t = kids[i].innerText || '';
    if (t.length <= 60 && t.indexOf(page) >= 0 && t.indexOf(author, 1) >= 1 &&
        t.indexOf(time, 1) >= 1) {
      var shown = kids[i].getElementsByTagName('img');
      for (var k = 0; k < shown.length; ++k)
        if (shown[k].getAttribute('src') === src) return 1;
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
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->installEventFilter(this);
    connect(page(), &QWebEnginePage::loadStarted, this, [this] { loading_ = true; });
    connect(page(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        loading_ = false;
        // A new document starts at the engine's default; the reader's zoom holds.
        setZoomFactor(zoom_ / 100.0);
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

int CShowCtl::NextZoom(int percent, int direction) {
    const auto begin = std::begin(kZoomSteps), end = std::end(kZoomSteps);
    if (direction > 0) {
        const auto next = std::upper_bound(begin, end, percent);
        return next == end ? *(end - 1) : *next;
    }
    const auto next = std::lower_bound(begin, end, percent);
    return next == begin ? *begin : *(next - 1);
}

void CShowCtl::SetZoomPercent(int percent) {
    percent = std::clamp(percent, kZoomSteps[0], *std::rbegin(kZoomSteps));
    setZoomFactor(percent / 100.0);
    if (percent == zoom_)
        return;
    zoom_ = percent;
    emit ZoomChanged(zoom_);
}

void CShowCtl::SetNightMode(bool on) {
    QWebEngineScriptCollection& scripts = page()->scripts();
    for (const QWebEngineScript& script : scripts.find(kNightScriptName))
        scripts.remove(script);
    night_ = on;
    if (on) {
        // Every load of the document gets the colours again, and the page behind it is dark
        // so no white shows while it loads.
        QWebEngineScript script;
        script.setName(kNightScriptName);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setInjectionPoint(QWebEngineScript::DocumentReady);
        script.setSourceCode(QString::fromLatin1(kNightStyle));
        scripts.insert(script);
    }
    page()->setBackgroundColor(on ? kNightPage : QColor(Qt::white));
    if (!loading_)
        RunScript(QString::fromLatin1(on ? kNightStyle : kDayStyle));
}

bool CShowCtl::event(QEvent* event) {
    // The engine's input widget is a child made by the engine; its wheel and keys are
    // watched for the zoom.
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child && child->isWidgetType())
            child->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool CShowCtl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta != 0)
                SetZoomPercent(NextZoom(zoom_, delta > 0 ? 1 : -1));
            return true;
        }
    } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier) {
            int step = 0;
            switch (key->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                step = 1;
                break;
            case Qt::Key_Minus:
                step = -1;
                break;
            case Qt::Key_0:
                step = 2;
                break;
            default:
                break;
            }
            if (step != 0) {
                if (event->type() == QEvent::ShortcutOverride) {
                    event->accept();
                    return true;
                }
                if (step == 2)
                    SetZoomPercent(100);
                else
                    SetZoomPercent(NextZoom(zoom_, step));
                return true;
            }
        }
    }
    return QWebEngineView::eventFilter(watched, event);
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
    if (posts.isEmpty())
        return;
    // One script for all of them, each post still added element by element: every script is
    // compiled and run on its own in the engine's process.
    QJsonArray items;
    for (const ShownPost& post : posts)
        items.append(PostArguments(post));
    RunScript(CallForEach(kAppendPost, items));
}

void CShowCtl::AppendPost(const ShownPost& post) {
    RunScript(Call(kAppendPost, PostArguments(post)));
}

void CShowCtl::InsertPictures(const QList<ThreadPicture>& pictures) {
    if (pictures.isEmpty())
        return;
    QJsonArray items;
    for (const ThreadPicture& picture : pictures)
        items.append(PictureArguments(picture));
    RunScript(CallForEach(kInsertPicture, items));
}

void CShowCtl::InsertPicture(const ThreadPicture& picture, std::function<void(bool)> done) {
    const QJsonArray arguments = PictureArguments(picture);
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
