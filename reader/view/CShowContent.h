#pragma once

#include "reader/model/ReadingWindow.h"
#include "reader/reading/PageRequests.h"
#include "reader/reading/ShownPost.h"
#include "reader/view/ReadingWindowLink.h"
#include "store/ThreadRecords.h"

#include "skin/CSkinDialogEx.h"

#include <QHash>

#include <functional>

class CShowCtl;
class CStateDlg;
class CSkinButton;
class CTransparentStatic;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWebEngineView;

// What the follow list knows of a thread when it opens its reading window.
struct ReadingWindowSetup {
    int focusPageNo = 0;
    QString title;
    QString dbFile;    // the thread database
    QString starter;   // the thread starter's name
    int pageCount = 0; // pages when the thread was followed
    bool replyModule = true;
    bool pictureModule = true;
};

// The reading window of one followed thread: a screen of posts at a time in the post view,
// the navigation, the six filter modes, the page state strip, the reply panel, refresh now,
// the way to the thread on the forum and a discount recommendation at the side. It owns no
// posts: its model decides the screens, and it renders them.
class CShowContent : public CSkinDialogEx, public ReadingWindow {
    Q_OBJECT
public:
    CShowContent(const ReadingWindowSetup& setup, ReadingWindowLink* link,
                 QWidget* parent = nullptr);
    ~CShowContent() override;

    // Takes the model's mode, asks it to open and starts the side panel.
    void Open();
    void SetTitle(const QString& title);
    void SetUserName(const QString& name);
    // Asks the model for the screen that starts at `page` (a search hit, for one).
    void GotoPage(int page);
    // The post view's night colours, kept for every reading window in the settings file
    // with the post view's zoom.
    void SetNightMode(bool on);
    static constexpr const char* kComfortSection = "Reading";
    static constexpr const char* kZoomKey = "PostZoom";
    static constexpr const char* kNightKey = "NightMode";

    // --- from the model ---
    void OnReadingEvent(const ReadingEvent& event) override;
    void OnOperationDone(int operation, int result);
    void OnNewPages(int focusPageNo, int newestPage);

    // --- from the window registry ---
    // Closes from the event loop, as a posted close message would.
    void RequestClose() override;
    void HideWindow() override;

    // --- answers of the server, routed here by follow number ---
    void OnReplyAnswer(int result, const QString& message);
    void OnRefreshAnswer();
    void OnUserSetAnswer(int page);
    void OnPicturesStored(const QString& address, const QList<PicturePost>& posts);
    void OnReadNeedNextAnswer(int page);
    void OnReadNeedLastAnswer(int page);
    void OnAllNewestPages();

    // --- the post view's context menu, by command number ---
    void RunMenuCommand(int command);

    // Clock of the refresh button's comeback, in seconds (tests set their own).
    void SetClock(std::function<qint64()> now) { now_ = std::move(now); }

    // For the page requests and tests.
    ScreenEdges Edges() const;
    int ViewMode() const { return viewMode_; }
    int ReplyPanelSize() const { return replySize_; }
    const ShownPosts& ShownPostList() const { return shown_; }
    CShowCtl* PostView() const { return view_; }
    CStateDlg* Strip() const { return strip_; }
    QPushButton* Button(int id) const;
    CSkinButton* NightButton() const { return night_; }
    QAbstractButton* Radio(int mode) const;
    QPlainTextEdit* ReplyEditor() const { return editor_; }
    CTransparentStatic* RangeLabel() const { return rangeLabel_; }
    CTransparentStatic* LoginLabel() const { return loginLabel_; }
    const ReaderPageRequests& PageRequests() const { return requests_; }
    // True while a rendered screen is waiting for the document.
    bool RenderPending() const { return renderPending_; }

    // Radio button ids and the mode each stands for.
    static int ModeOfRadio(int radioId);
    static int RadioOfMode(int mode);

signals:
    // A screen or new posts are in the view (for benchmarks and tests).
    void ScreenRendered();
    void PostsAppended(int count);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void LayoutControls();
    void Navigate(int operation);
    void PreviousPage();
    void NextPage();
    void OnNewWindow(const QString& href);
    void OnRadioClicked(int mode);
    void ApplyMode(int mode);
    void SelectRadioOfMode(int mode);
    void RefreshNow();
    void OnRefreshTick();
    void GoToThread();
    void ToggleReplyPanel();
    void Reply();
    void PollRender();
    void BuildScreen();
    // The stored pictures of these posts, each with its local file in place of its address.
    QList<ThreadPicture> CollectPictures(const ShownPosts& posts);
    void InsertPictures(const QList<ThreadPicture>& pictures);
    QString LocalPicture(const QString& address);
    void AfterPosts(bool newScreen);
    void SetRange(int startPage, int endPage);
    void EnableNavigation();
    void ShowContextMenu(const QPoint& globalPosition);
    void ShowRecommendation();
    void OnSideNewWindow(const QString& href);
    void WatchViewInput();

    ReadingWindowSetup setup_;
    ReadingWindowLink* link_;
    ReaderPageRequests requests_;
    std::function<qint64()> now_;

    int viewMode_ = 0;
    ShownPosts shown_;
    int firstPage_ = 0;
    int lastPage_ = 0;
    int hasPrevious_ = 0;
    int hasNext_ = 0;
    qint64 refreshTime_ = 0;
    int replySize_ = 0;
    QString userName_;
    SideRecommendation recommendation_;
    QString delayedAddress_;
    QHash<QString, QString> localPictures_; // picture address -> file in Img/
    QList<ThreadPicture> screenPictures_;   // of the screen waiting for its document

    bool documentLoaded_ = false;
    bool renderPending_ = false;
    bool pollInFlight_ = false;
    quint64 renderGeneration_ = 0;

    CShowCtl* view_ = nullptr;
    CStateDlg* strip_ = nullptr;
    QWebEngineView* side_ = nullptr;
    CSkinButton* first_ = nullptr;
    CSkinButton* previous_ = nullptr;
    CSkinButton* next_ = nullptr;
    CSkinButton* latest_ = nullptr;
    CSkinButton* refresh_ = nullptr;
    CSkinButton* goThread_ = nullptr;
    CSkinButton* close_ = nullptr;
    CSkinButton* reply_ = nullptr;
    CSkinButton* toggle_ = nullptr;
    CSkinButton* night_ = nullptr;
    CTransparentStatic* rangeLabel_ = nullptr;
    CTransparentStatic* loginLabel_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    QPlainTextEdit* display_ = nullptr;
    QButtonGroup* radios_ = nullptr;
    QTimer* renderTimer_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QTimer* recommendTimer_ = nullptr;
    QObject* watchedViewInput_ = nullptr;
};
