#include "reader/CMainDlg.h"

#include "common/Log.h"
#include "common/Settings.h"
#include "common/Utilities.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/CHelpDlg.h"
#include "reader/CHotRecommend.h"
#include "reader/CLoginDlg.h"
#include "reader/CQuillmereDlg.h"
#include "reader/CTianyaFocusDlg.h"
#include "reader/CTianyaForumDlg.h"
#include "reader/FollowModels.h"
#include "reader/ReaderLook.h"
#include "reader/ReaderState.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "reader/SoftUpdate.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// The tab buttons from left to right: caption and tab index.
struct TabButtonSpec {
    const char16_t* caption;
    int tab;
};
constexpr TabButtonSpec kTabButtons[] = {{u"我的关注", CMainDlg::TabFollows},
                                         {u"天涯聚焦", CMainDlg::TabFocus},
                                         {u"天涯论坛", CMainDlg::TabForum},
                                         {u"折扣精选", CMainDlg::TabDiscounts},
                                         {u"帮助", CMainDlg::TabHelp}};

constexpr int kTabTop = 40;
constexpr int kTabHeight = 28;
constexpr int kTabWidth = 104;
constexpr int kPageTop = kTabTop + kTabHeight;

// Whole days from a stored time to now; -1 when the text is not a time.
int WholeDaysSince(const QString& timeText) {
    const int64_t then = ParseTimeText(timeText);
    if (then < 0)
        return -1;
    return static_cast<int>((QDateTime::currentSecsSinceEpoch() - then) / 86400);
}

} // namespace

CMainDlg::CMainDlg(ServerLink* link, FollowModels* models, ReadingWindows* windows, QWidget* parent)
    : CSkinDialogEx(parent), link_(link), models_(models), windows_(windows) {
    SetSkinCaption(QStringLiteral("Quillmere"));
    SetSkinIcon();
    SetMinimiseBox(true);
    SetMaximiseBox(true);
    SetResizable(true);
    followList_ = new CQuillmereDlg(link_, models_, windows_, this);
    discountPage_ = new CHotRecommend(this);
    focusPage_ = new CTianyaFocusDlg(link_, this);
    forumPage_ = new CTianyaForumDlg(link_, this);
    helpPage_ = new CHelpDlg(this);
    for (QWidget* page : {static_cast<QWidget*>(followList_), static_cast<QWidget*>(discountPage_),
                          static_cast<QWidget*>(focusPage_), static_cast<QWidget*>(forumPage_),
                          static_cast<QWidget*>(helpPage_)})
        page->hide();
    for (const TabButtonSpec& entry : kTabButtons) {
        auto* button = new CSkinButton(QString::fromUtf16(entry.caption), this);
        button->UseTabBitmaps();
        button->setCursor(Qt::PointingHandCursor);
        tabButtons_[entry.tab] = button;
        const int tab = entry.tab;
        // A pressed tab stays pressed: a click on it only shows it again.
        connect(button, &CSkinButton::clicked, this, [this, tab] {
            SwitchTab(tab);
            if (tab == TabHelp)
                TheHelpTips().Lower(HelpTips::HelpDetail);
        });
    }
    findServerTimer_.setInterval(kFindServerMs);
    connect(&findServerTimer_, &QTimer::timeout, this, [this] { link_->FindServer(); });
    ConnectLink();
}

CMainDlg::~CMainDlg() {
    stopping_ = true;
    if (staleThread_.joinable())
        staleThread_.join();
}

QWidget* CMainDlg::Page(int index) const {
    switch (index) {
    case TabFollows:
        return followList_;
    case TabDiscounts:
        return discountPage_;
    case TabFocus:
        return focusPage_;
    case TabForum:
        return forumPage_;
    case TabHelp:
        return helpPage_;
    default:
        return nullptr;
    }
}

void CMainDlg::ConnectLink() {
    connect(link_, &ServerLink::followAnswered, this, &CMainDlg::OnFollowAnswered);
    connect(link_, &ServerLink::pageStored, this,
            [this](int followNo, int page) { followList_->QueueNewPage(followNo, page); });
    connect(link_, &ServerLink::loginAnswered, this, &CMainDlg::OnLoginAnswered);
    connect(link_, &ServerLink::replyAnswered, this,
            [this](int followNo, int result, const QString& message) {
                if (ReadingWindowEvents* window = windows_->Find(followNo))
                    window->OnReplyAnswer(result, message);
            });
    connect(link_, &ServerLink::refreshDone, this, [this](int followNo) {
        if (ReadingWindowEvents* window = windows_->Find(followNo))
            window->OnRefreshDone();
    });
    connect(link_, &ServerLink::chosenPageFetched, this,
            [this](int followNo, int page, bool stored) {
                if (ReadingWindowEvents* window = windows_->Find(followNo))
                    window->OnChosenPageFetched(page, stored);
            });
    connect(link_, &ServerLink::frontPageRefreshed, this, [this] { focusPage_->Fill(); });
    connect(link_, &ServerLink::threadGone, this, &CMainDlg::OnThreadGone);
    connect(link_, &ServerLink::laterPagesStored, this,
            [this](int followNo, int firstWanted, int lastParsed) {
                if (ReadingWindowEvents* window = windows_->Find(followNo))
                    window->OnLaterPagesStored(firstWanted, lastParsed);
            });
    connect(link_, &ServerLink::earlierPagesStored, this,
            [this](int followNo, int firstWanted, int lastParsed) {
                if (ReadingWindowEvents* window = windows_->Find(followNo))
                    window->OnEarlierPagesStored(firstWanted, lastParsed);
            });
    connect(link_, &ServerLink::newestPagesStored, this, [this](int followNo) {
        if (ReadingWindowEvents* window = windows_->Find(followNo))
            window->OnNewestPagesStored();
    });
    connect(link_, &ServerLink::serverRunning, this, &CMainDlg::OnServerRunning);
    connect(link_, &ServerLink::pictureStored, this, [this](const PictureStoredInfo& info) {
        if (ReadingWindowEvents* window = windows_->Find(info.followNo))
            window->OnPictureStored(info.address, info.posts);
    });
    connect(link_, &ServerLink::softwareUpdateOffered, this, [this](const SoftVersionInfo& info) {
        if (softwareUpdate_)
            softwareUpdate_(info, updateAll_);
        else
            OnSoftVersion(info, updateAll_, DesktopSoftUpdateSeams(this, &ShowMessage));
    });
    connect(link_, &ServerLink::hotRecommendArrived, this,
            [](const QList<HotRecommendItem>& items) { TheHotRecommendList().Append(items); });
}

void CMainDlg::Initialise() {
    updateAll_ = ReadSettingInt(QStringLiteral("Base"), QStringLiteral("UpdateAll"), 0);
    if (followLimitDelayMs_ >= 0)
        followList_->SetFollowLimitDelayMs(followLimitDelayMs_);
    followList_->Initialise();
    SwitchTab(followList_->FollowCount() > 0 ? TabFollows : TabForum);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(kWidth, kHeight);
    setMinimumSize(kWidth, std::min(kHeight, screenSize.height()));
    resize(kWidth, kHeight);
    move((screenSize.width() - kWidth) / 2, (screenSize.height() - kHeight) / 2);
    opened_ = true;
    Arrange();
    findServerTimer_.start();
    QTimer::singleShot(staleDelayMs_, this, [this] {
        if (staleThread_.joinable() || closing_)
            return;
        staleThread_ = std::thread([this] {
            QList<StaleFollow> stale = FindStaleFollows(stopping_);
            if (!stopping_)
                QMetaObject::invokeMethod(
                    this, [this, stale] { AskAboutStaleFollows(stale); }, Qt::QueuedConnection);
        });
    });
}

void CMainDlg::SwitchTab(int index) {
    if (index < 0 || index > TabHelp)
        return;
    if (QWidget* current = Page(tabIndex_))
        current->hide();
    tabButtons_[tabIndex_]->SetPressed(false);
    tabButtons_[tabIndex_]->update();
    QWidget* page = Page(index);
    page->show();
    tabButtons_[index]->SetPressed(true);
    tabIndex_ = index;
    if (index == TabDiscounts)
        discountPage_->ShowPage();
    else if (index == TabForum)
        forumPage_->ShowPage();
    else if (index == TabHelp)
        helpPage_->ShowPage();
}

void CMainDlg::OnFollowAnswered(int result, int followNo, const QString& message) {
    if (followNo > 0)
        models_->Open(followNo);
    if (CAddFocusWebpageDlg* dialog = followList_->AddFollowDialog())
        dialog->ShowAddFollowResult();
    if (result == 0) {
        ShowMessage(MessageNotice, this, message);
    } else if (result == 1) {
        const QString question = message + QStringLiteral("是否立即阅读？") + QStringLiteral("\n") +
                                 QStringLiteral("此贴为临时阅读状态，您可以在") +
                                 QStringLiteral("\"我的关注\"") +
                                 QStringLiteral("选项卡里将此贴改为永久阅读。");
        if (ShowMessage(MessageQuestion, this, question) == ResultYes)
            followList_->OpenReadingWindow(followNo, QString());
    }
}

void CMainDlg::OnLoginAnswered(const LoginAnswerInfo& answer) {
    if (CLoginDlg* dialog = CLoginDlg::OpenDialog())
        dialog->ShowLoginResult(answer);
    LoginState& state = TheLoginState();
    if (answer.result == 1) {
        if (state.loggedIn == 0) {
            state.loggedIn = 1;
            WriteSettingText(QStringLiteral("Base"), QStringLiteral("UserName"), state.userName);
        }
    } else {
        state.loggedIn = 0;
    }
}

void CMainDlg::OnThreadGone(int followNo) {
    FollowRecord record;
    if (!ReadFollowedThread(followNo, record))
        return;
    const QString question = QLatin1Char('"') + record.webpageName + QLatin1Char('"') +
                             QStringLiteral("已经从服务器删除，建议从您的关注删除！是否立即删除？");
    if (ShowMessage(MessageQuestion, this, question) != ResultYes)
        return;
    const bool deleted = followList_->DeleteFollow(followNo) == 1;
    ShowMessage(MessageNotice, this,
                deleted ? QStringLiteral("删除成功！") : QStringLiteral("删除失败！"));
}

void CMainDlg::OnServerRunning() {
    const LoginState& state = TheLoginState();
    if (state.loggedIn == 1)
        link_->Login(state.userName, state.password, QString());
}

QList<CMainDlg::StaleFollow> CMainDlg::FindStaleFollows(const std::atomic<bool>& stop) {
    QList<StaleFollow> stale;
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return stale;
    for (const FollowRecord& follow : follows) {
        if (stop)
            break;
        if (WholeDaysSince(follow.notifyDelTime) <= kStaleDays)
            continue;
        QList<int> pages;
        if (!ListStoredPages(follow.dbFileName, pages) || pages.isEmpty())
            continue;
        QList<ThreadPost> posts;
        if (!ReadWebpageFromDB(follow.dbFileName, pages.last(), pages.last(), posts) ||
            posts.isEmpty())
            continue;
        const int days = WholeDaysSince(posts.last().time);
        if (days <= kStaleDays)
            continue;
        stale.append({follow.focusPageNo, follow.webpageName, days});
    }
    return stale;
}

void CMainDlg::AskAboutStaleFollows(const QList<StaleFollow>& follows) {
    for (const StaleFollow& follow : follows) {
        if (closing_)
            return;
        const QString question =
            QLatin1Char('"') + follow.title + QLatin1Char('"') +
            QStringLiteral("已经%1天未更新，是否从您的关注删除？").arg(follow.days);
        if (ShowMessage(MessageQuestion, this, question) == ResultYes)
            followList_->DeleteFollow(follow.followNo);
        else
            SetNotifyDelTime(TimeText(QDateTime::currentSecsSinceEpoch()), follow.followNo);
    }
}

void CMainDlg::RunStaleFollowCheck() {
    std::atomic<bool> never{false};
    AskAboutStaleFollows(FindStaleFollows(never));
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        link_->SetClosing();
        findServerTimer_.stop();
        followList_->CloseAll();
    }
    CSkinDialogEx::closeEvent(event);
    event->accept();
}

void CMainDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && LogCorner().contains(event->position().toPoint())) {
        WriteLogFile(QStringLiteral("ClientLog.txt"));
        link_->WriteServerLog();
        event->accept();
        return;
    }
    CSkinDialogEx::mouseReleaseEvent(event);
}

void CMainDlg::Arrange() {
    if (!opened_)
        return;
    for (int i = 0; i < 5; ++i)
        tabButtons_[kTabButtons[i].tab]->setGeometry(20 + i * (kTabWidth + 4), kTabTop, kTabWidth,
                                                     kTabHeight);
    // The pages fill the client area below the tab row, inside the frame line.
    const QRect pageRect(1, kPageTop, std::max(0, width() - 2),
                         std::max(0, height() - kPageTop - 1));
    for (int i = 0; i < 5; ++i)
        Page(i)->setGeometry(pageRect);
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    CSkinDialogEx::resizeEvent(event);
    if (event->size() == lastSize_)
        return;
    lastSize_ = event->size();
    Arrange();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    CSkinDialogEx::keyPressEvent(event);
}
