#pragma once

#include "reader/reading/ShownPost.h"
#include "store/ThreadRecords.h"

#include <QWebEngineView>

#include <functional>

class QKeyEvent;

// The post view: the reading document Show.html in the home, edited by small scripts that
// add each post's header and content, the pictures under their posts and the links to the
// neighbouring screens. Post content is set as text, never as markup.
//
// The engine runs scripts in the order they are issued, so the operations may follow each
// other without waiting; answers that are needed come back through callbacks.
class CShowCtl : public QWebEngineView {
    Q_OBJECT
public:
    explicit CShowCtl(QWidget* parent = nullptr);

    // Loads Show.html from the home (copied there first when the home lacks it).
    void NavigateToShow();
    // Reloads the document, which drops the screen built in it.
    void RefreshView();
    // Whether a load is under way (the document is then never ready).
    bool IsLoading() const { return loading_; }

    // Ready: the document has a body whose first child node is an element.
    void IsDocumentReady(std::function<void(bool)> done);
    // Back to the top; the link flags are cleared.
    void ResetView();
    void AppendPosts(const ShownPosts& posts);
    void AppendPost(const ShownPost& post);
    // `picture.imgUrl` is the local file. Under the first header of the post (page text,
    // author and time within 60 characters), once: a picture already there is not added again;
    // `done` tells whether the post was found.
    void InsertPicture(const ThreadPicture& picture, std::function<void(bool)> done = {});
    // The same for several pictures, in one script.
    void InsertPictures(const QList<ThreadPicture>& pictures);
    void AddNextLink();
    void AddPrevLink();

    bool NextLinkAdded() const { return nextLinkAdded_; }
    bool PrevLinkAdded() const { return prevLinkAdded_; }

    // Zoom of the posts in percent. Ctrl with the wheel, Ctrl + and Ctrl - step it through
    // `kZoomSteps`, Ctrl 0 sets 100.
    static constexpr int kZoomSteps[] = {50,  67,  75,  80,  90,  100, 110,
                                         125, 150, 175, 200, 250, 300};
    // The step after `percent` upwards (direction > 0) or downwards, within the steps.
    static int NextZoom(int percent, int direction);
    int ZoomPercent() const { return zoom_; }
    // Clamped to the steps' range; emits ZoomChanged when the zoom changes.
    void SetZoomPercent(int percent);
    void ZoomIn() { SetZoomPercent(NextZoom(zoom_, 1)); }
    void ZoomOut() { SetZoomPercent(NextZoom(zoom_, -1)); }

    // The night colours: light text on a dark page, kept across reloads of the document.
    bool NightMode() const { return night_; }
    void SetNightMode(bool on);

    // Runs a script in the view's own script world; for the reading window and tests.
    void RunScript(const QString& script, std::function<void(const QVariant&)> done = {});

signals:
    // A link asked for a new window, which is never opened; `href` is its address.
    void NewWindowRequested(const QString& href);
    // A load of the document ended.
    void DocumentLoaded(bool ok);
    void ZoomChanged(int percent);

protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override { return nullptr; }
    bool event(QEvent* event) override;
    // Ctrl with the wheel or with +, - and 0 on the engine's own input widget.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddLink(bool next);

    int zoom_ = 100;
    bool night_ = false;
    bool loading_ = false;
    bool nextLinkAdded_ = false;
    bool prevLinkAdded_ = false;
};
