#pragma once

#include "skin/CSkinButton.h"
#include "skin/CSkinDialogEx.h"

#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

class CHelpDlg;
class CHotRecommend;
class CQuillmereDlg;
class CTianyaFocusDlg;
class CTianyaForumDlg;
class FollowModels;
class ReadingWindows;
class ServerLink;
struct LoginAnswerInfo;
struct SoftVersionInfo;

// The reader's top-level window: five tab pages, the dispatcher of the server's records and
// the reader's housekeeping timers. The server finds the reader by this window's title.
class CMainDlg : public CSkinDialogEx {
    Q_OBJECT
public:
    enum Tab { TabFollows = 0, TabDiscounts = 1, TabFocus = 2, TabForum = 3, TabHelp = 4 };
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 700;
    static constexpr int kFindServerMs = 120000;
    static constexpr int kStaleCheckDelayMs = 450000;
    static constexpr int kStaleDays = 5;
    // The spot left of the tab row whose right-click writes both logs.
    static QRect LogCorner() { return QRect(QPoint(0, 40), QPoint(19, 66)); }

    using SoftwareUpdateHandler = std::function<void(const SoftVersionInfo&, int updateAll)>;

    CMainDlg(ServerLink* link, FollowModels* models, ReadingWindows* windows,
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Seams, set before `Initialise`.
    void SetStaleCheckDelayMs(int ms) { staleDelayMs_ = ms; }
    void SetFollowLimitDelayMs(int ms) { followLimitDelayMs_ = ms; }
    void SetSoftwareUpdateHandler(SoftwareUpdateHandler handler) {
        softwareUpdate_ = std::move(handler);
    }

    // The window's opening: pages, start tab, size, timers.
    void Initialise();
    void SwitchTab(int index);
    int TabIndex() const { return tabIndex_; }
    bool IsClosing() const { return closing_; }

    CQuillmereDlg* FollowList() const { return followList_; }
    CTianyaFocusDlg* FocusPage() const { return focusPage_; }
    CTianyaForumDlg* ForumPage() const { return forumPage_; }
    CHotRecommend* DiscountPage() const { return discountPage_; }
    CHelpDlg* HelpPage() const { return helpPage_; }
    CSkinButton* TabButton(int index) const { return tabButtons_[index]; }
    QWidget* Page(int index) const;

    // One run of the check for follows that have gone quiet, its questions included.
    void RunStaleFollowCheck();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The main window does not close on Esc.
    void reject() override {}

private:
    struct StaleFollow {
        int followNo = 0;
        QString title;
        int days = 0;
    };

    void ConnectLink();
    void OnFollowAnswered(int result, int followNo, const QString& message);
    void OnLoginAnswered(const LoginAnswerInfo& answer);
    void OnThreadGone(int followNo);
    void OnServerRunning();
    void AskAboutStaleFollows(const QList<StaleFollow>& follows);
    static QList<StaleFollow> FindStaleFollows(const std::atomic<bool>& stop);
    void Arrange();

    ServerLink* link_;
    FollowModels* models_;
    ReadingWindows* windows_;
    CQuillmereDlg* followList_ = nullptr;
    CHotRecommend* discountPage_ = nullptr;
    CTianyaFocusDlg* focusPage_ = nullptr;
    CTianyaForumDlg* forumPage_ = nullptr;
    CHelpDlg* helpPage_ = nullptr;
    CSkinButton* tabButtons_[5] = {};
    int tabIndex_ = 0;
    int updateAll_ = 0;
    bool closing_ = false;
    bool opened_ = false;
    QSize lastSize_;
    QTimer findServerTimer_;
    int staleDelayMs_ = kStaleCheckDelayMs;
    int followLimitDelayMs_ = -1;
    SoftwareUpdateHandler softwareUpdate_;
    std::thread staleThread_;
    std::atomic<bool> stopping_{false};
};
