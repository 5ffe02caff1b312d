#pragma once

#include "reader/reading/ShownPost.h"
#include "store/ThreadRecords.h"

#include <QWebEngineView>

#include <functional>

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
    // author and time within 60 characters); `done` tells whether one was found.
    void InsertPicture(const ThreadPicture& picture, std::function<void(bool)> done = {});
    void AddNextLink();
    void AddPrevLink();

    bool NextLinkAdded() const { return nextLinkAdded_; }
    bool PrevLinkAdded() const { return prevLinkAdded_; }

    // Runs a script in the view's own script world; for the reading window and tests.
    void RunScript(const QString& script, std::function<void(const QVariant&)> done = {});

signals:
    // A link asked for a new window, which is never opened; `href` is its address.
    void NewWindowRequested(const QString& href);
    // A load of the document ended.
    void DocumentLoaded(bool ok);

protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override { return nullptr; }

private:
    void AddLink(bool next);

    bool loading_ = false;
    bool nextLinkAdded_ = false;
    bool prevLinkAdded_ = false;
};
