#include "reader/view/CShowContent.h"

#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "reader/reading/PostHtml.h"
#include "reader/reading/SomeBodyRules.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/CStateDlg.h"
#include "reader/view/ReaderNotice.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCRButton.h"
#include "skin/CTransparentStatic.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Context-menu commands.
enum : int {
    CmdCopy = 32772,
    CmdOnlySelectedContent = 32776,
    CmdAddToChosen = 32780,
    CmdAddToBlocked = 32781,
    CmdOnlyThisPerson = 32783,
};

constexpr int kMaxReplyLength = 5000;
constexpr int kRightColumn = 220;
constexpr qint64 kRefreshComeback = 30;

const int kRadioIds[6] = {1005, 1006, 1007, 1008, 1011, 1009};
const char* const kRadioCaptions[6] = {"只看楼主",   "高亮楼主",   "只看某些人",
                                       "高亮某些人", "屏蔽某些人", "只看某些内容"};

} // namespace

int CShowContent::ModeOfRadio(int radioId) {
    for (int mode = 0; mode < 6; ++mode)
        if (kRadioIds[mode] == radioId)
            return mode;
    return 0;
}

int CShowContent::RadioOfMode(int mode) {
    return mode >= 0 && mode < 6 ? kRadioIds[mode] : kRadioIds[0];
}

CShowContent::CShowContent(const ReadingWindowSetup& setup, ReadingWindowLink* link,
                           QWidget* parent)
    : CSkinDialogEx(parent), setup_(setup), link_(link),
      requests_(
          [dbFile = setup.dbFile](QList<int>& pages) { return ListStoredPages(dbFile, pages); },
          link),
      now_([] { return QDateTime::currentSecsSinceEpoch(); }) {
    SetSkinCaption(setup_.title);
    SetSkinIcon();
    SetMinimiseBox(true);
    SetMaximiseBox(true);
    SetResizable(true);
    setModal(false);
    BuildControls();
    SetMinTrackSize(900, 670);
    resize(900, 670);
}

CShowContent::~CShowContent() {
    StopReadingEvents();
    if (watchedViewInput_)
        watchedViewInput_->removeEventFilter(this);
}

void CShowContent::BuildControls() {
    auto button = [this](const QString& caption) {
        auto* b = new CSkinButton(caption, this);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    first_ = button(QStringLiteral("首页"));
    previous_ = button(QStringLiteral("上一页"));
    next_ = button(QStringLiteral("下一页"));
    latest_ = button(QStringLiteral("最新页"));
    refresh_ = button(QStringLiteral("立即刷新"));
    goThread_ = button(QStringLiteral("前往原帖"));
    close_ = button(QStringLiteral("关闭"));
    reply_ = button(QStringLiteral("回复"));
    toggle_ = button(QString());
    toggle_->setToolTip(QStringLiteral("回复"));
    toggle_->SetButtonBitmaps(CSkinButton::kToggleNormalBitmap, CSkinButton::kToggleHoverBitmap,
                              CSkinButton::kToggleHoverBitmap);
    previous_->setEnabled(false);
    next_->setEnabled(false);
    rangeLabel_ = new CTransparentStatic(QStringLiteral("View page"), this);
    rangeLabel_->setAlignment(Qt::AlignCenter);
    loginLabel_ = new CTransparentStatic(QStringLiteral("登录状态"), this);

    view_ = new CShowCtl(this);
    view_->SetZoomPercent(
        ReadSettingInt(QString::fromLatin1(kComfortSection), QString::fromLatin1(kZoomKey), 100));
    night_ = button(QStringLiteral("夜间"));
    SetNightMode(ReadSettingInt(QString::fromLatin1(kComfortSection),
                                QString::fromLatin1(kNightKey), 0) != 0);
    connect(night_, &QPushButton::clicked, this, [this] {
        SetNightMode(!view_->NightMode());
        WriteSettingText(QString::fromLatin1(kComfortSection), QString::fromLatin1(kNightKey),
                         view_->NightMode() ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(view_, &CShowCtl::ZoomChanged, this, [](int percent) {
        WriteSettingText(QString::fromLatin1(kComfortSection), QString::fromLatin1(kZoomKey),
                         QString::number(percent));
    });
    strip_ = new CStateDlg(setup_.focusPageNo, link_, this);
    side_ = new QWebEngineView(this);
    side_->setContextMenuPolicy(Qt::NoContextMenu);
    // An unreachable offer page leaves the panel blank rather than showing an error page.
    side_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);

    editor_ = new QPlainTextEdit(this);
    display_ = new QPlainTextEdit(this);
    display_->setReadOnly(true);
    editor_->installEventFilter(this);
    display_->installEventFilter(this);

    radios_ = new QButtonGroup(this);
    radios_->setExclusive(true);
    for (int mode = 0; mode < 6; ++mode) {
        auto* radio = new CSkinCRButton(CSkinCRButton::Kind::Radio,
                                        QString::fromUtf8(kRadioCaptions[mode]), this);
        radio->setFocusPolicy(Qt::NoFocus);
        radios_->addButton(radio, mode);
    }

    renderTimer_ = new QTimer(this);
    renderTimer_->setInterval(100);
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(1000);
    recommendTimer_ = new QTimer(this);
    recommendTimer_->setInterval(30000);

    connect(first_, &QPushButton::clicked, this, [this] { Navigate(OpFirst); });
    connect(latest_, &QPushButton::clicked, this, [this] { Navigate(OpLatest); });
    connect(previous_, &QPushButton::clicked, this, &CShowContent::PreviousPage);
    connect(next_, &QPushButton::clicked, this, &CShowContent::NextPage);
    connect(refresh_, &QPushButton::clicked, this, &CShowContent::RefreshNow);
    connect(goThread_, &QPushButton::clicked, this, &CShowContent::GoToThread);
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);
    connect(reply_, &QPushButton::clicked, this, &CShowContent::Reply);
    connect(toggle_, &QPushButton::clicked, this, &CShowContent::ToggleReplyPanel);
    connect(radios_, &QButtonGroup::idClicked, this, &CShowContent::OnRadioClicked);
    // Keys for reading without the mouse, wherever the focus is in the window; a disabled
    // button ignores its key as it ignores a click.
    const struct {
        QKeySequence key;
        QPushButton* button;
    } keys[] = {{QKeySequence(Qt::ALT | Qt::Key_Right), next_},
                {QKeySequence(Qt::ALT | Qt::Key_Left), previous_},
                {QKeySequence(Qt::ALT | Qt::Key_Home), first_},
                {QKeySequence(Qt::ALT | Qt::Key_End), latest_},
                {QKeySequence(Qt::Key_F5), refresh_}};
    for (const auto& [key, target] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, target, &QPushButton::click);
        target->setToolTip(key.toString(QKeySequence::NativeText));
    }
    connect(renderTimer_, &QTimer::timeout, this, &CShowContent::PollRender);
    connect(refreshTimer_, &QTimer::timeout, this, &CShowContent::OnRefreshTick);
    connect(recommendTimer_, &QTimer::timeout, this, &CShowContent::ShowRecommendation);
    connect(view_, &CShowCtl::NewWindowRequested, this, &CShowContent::OnNewWindow);
    // The document's load counts as a tick of the render poll.
    connect(view_, &CShowCtl::DocumentLoaded, this, [this](bool) {
        documentLoaded_ = true;
        WatchViewInput();
        PollRender();
    });
    connect(side_->page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                OnSideNewWindow(request.requestedUrl().toString());
            });
    connect(strip_, &CStateDlg::ReadPageRequested, this,
            [this](int page) { link_->RequestReadOperation(this, OpGotoPage, page); });
    connect(strip_, &CStateDlg::CellClicked, this, [this](int state) {
        if (state == CellMissing)
            link_->LowerHelpTip(QStringLiteral("ClickToDown"));
        else if (state == CellStored)
            link_->LowerHelpTip(QStringLiteral("ClickToRead"));
    });
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = editor_->toPlainText();
        if (text.size() <= kMaxReplyLength)
            return;
        QSignalBlocker block(editor_);
        editor_->setPlainText(CutText(text, kMaxReplyLength));
        editor_->moveCursor(QTextCursor::End);
    });

    if (!setup_.replyModule)
        toggle_->hide();
    display_->hide();
    LayoutControls();
}

void CShowContent::OnReadingEvent(const ReadingEvent& event) {
    if (event.Message() == UM_READ_OP_DONE)
        OnOperationDone(event.WParam(), event.LParam());
    else if (event.Message() == UM_READ_NEW_PAGES)
        OnNewPages(event.WParam(), event.LParam());
}

void CShowContent::RequestClose() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CShowContent::HideWindow() {
    hide();
}

void CShowContent::Open() {
    viewMode_ = link_->ModelViewMode();
    link_->RequestReadOperation(this, OpOpen, 0);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    editor_->setFocus();
    SelectRadioOfMode(viewMode_);
    if (!Hosts().discountSite.isEmpty())
        side_->load(QUrl(QStringLiteral("http://") + Hosts().discountSite +
                         QStringLiteral("/zhe/item.php")));
    recommendTimer_->start();
    LayoutControls();
}

void CShowContent::GotoPage(int page) {
    if (page > 0)
        link_->RequestReadOperation(this, OpGotoPage, page);
}

void CShowContent::SetNightMode(bool on) {
    view_->SetNightMode(on);
    night_->SetPressed(on);
    night_->setToolTip(on ? QStringLiteral("换回日间颜色") : QStringLiteral("夜间阅读：深色背景"));
}

void CShowContent::SetTitle(const QString& title) {
    setup_.title = title;
    SetSkinCaption(title);
}

void CShowContent::SetUserName(const QString& name) {
    userName_ = name;
    loginLabel_->setText(QStringLiteral("已登录账户：") + name);
}

QPushButton* CShowContent::Button(int id) const {
    switch (id) {
    case 6:
        return first_;
    case 3:
        return previous_;
    case 4:
        return next_;
    case 5:
        return latest_;
    case 1019:
        return refresh_;
    case 1018:
        return goThread_;
    case 1017:
        return close_;
    case 1016:
        return reply_;
    case 1029:
        return toggle_;
    default:
        return nullptr;
    }
}

QAbstractButton* CShowContent::Radio(int mode) const {
    return radios_->button(mode);
}

ScreenEdges CShowContent::Edges() const {
    return {setup_.focusPageNo, setup_.pageCount, firstPage_, lastPage_, hasPrevious_, hasNext_};
}

// --- layout ---

void CShowContent::resizeEvent(QResizeEvent* event) {
    CSkinDialogEx::resizeEvent(event);
    LayoutControls();
}

void CShowContent::LayoutControls() {
    // Inside the skin's frame and caption band.
    const QRect client = contentsRect();
    const int w = client.right() + 1, h = client.bottom() + 1;
    const int left = client.left() + 12, top = client.top() + 8, rowHeight = 28;
    const int columnX = w - kRightColumn;
    const int leftWidth = std::max(100, columnX - left - 8);

    // Narrow buttons leave the range label room for four-digit pages at the smallest size.
    int x = left;
    for (QPushButton* b : {first_, previous_, next_, latest_}) {
        b->setGeometry(x, top, 58, rowHeight);
        x += 62;
    }
    const int rightButtons = 2 * 84 + 54;
    rangeLabel_->setGeometry(x, top, std::max(60, left + leftWidth - x - rightButtons), rowHeight);
    night_->setGeometry(left + leftWidth - rightButtons + 4, top, 50, rowHeight);
    refresh_->setGeometry(left + leftWidth - 2 * 84 + 4, top, 80, rowHeight);
    goThread_->setGeometry(left + leftWidth - 84 + 4, top, 80, rowHeight);

    for (int mode = 0; mode < 6; ++mode)
        radios_->button(mode)->setGeometry(columnX + 4 + (mode % 2) * 106, top + (mode / 2) * 26,
                                           104, 24);
    const int stripY = top + 3 * 26 + 10;
    strip_->move(columnX + (kRightColumn - strip_->width()) / 2, stripY);
    const int sideY = stripY + strip_->height() + 10;
    side_->setGeometry(columnX + (kRightColumn - recommendation_.width) / 2, sideY,
                       recommendation_.width, recommendation_.height);

    const int viewTop = top + rowHeight + 8;
    const int open = setup_.replyModule ? replySize_ : 0;
    const int viewBottom = h - (open > 0 ? 120 * open + 22 : 12);
    view_->setGeometry(left, viewTop, leftWidth, std::max(50, viewBottom - viewTop));
    toggle_->setGeometry(left + (leftWidth - 70) / 2, viewBottom + 2, 70, 8);

    const bool panel = open > 0;
    const int editorTop = viewBottom + 12;
    const int editorHeight = std::max(30, h - 44 - editorTop);
    editor_->setGeometry(left, editorTop, leftWidth, editorHeight);
    display_->setGeometry(left, editorTop, leftWidth, editorHeight);
    loginLabel_->setGeometry(left, h - 36, leftWidth - 180, 28);
    close_->setGeometry(left + leftWidth - 172, h - 36, 80, 28);
    reply_->setGeometry(left + leftWidth - 84, h - 36, 80, 28);
    for (QWidget* widget : {static_cast<QWidget*>(loginLabel_), static_cast<QWidget*>(close_),
                            static_cast<QWidget*>(reply_)})
        widget->setVisible(panel);
    if (!panel) {
        editor_->hide();
        display_->hide();
    } else if (!editor_->isVisible() && !display_->isVisible()) {
        editor_->show();
    }
}

// --- screens ---

void CShowContent::SetRange(int startPage, int endPage) {
    rangeLabel_->setText(QStringLiteral("阅读范围：第%1页-第%2页").arg(startPage).arg(endPage));
    firstPage_ = startPage;
    lastPage_ = endPage;
}

void CShowContent::EnableNavigation() {
    previous_->setEnabled(hasPrevious_ != 0);
    next_->setEnabled(hasNext_ != 0);
}

void CShowContent::OnOperationDone(int, int result) {
    if (result == 0)
        return;
    ShownScreen screen;
    if (!link_->GetScreen(screen))
        return;
    shown_ = screen.posts;
    SetRange(screen.startPage, screen.endPage);
    ++renderGeneration_;
    renderPending_ = true;
    if (documentLoaded_) {
        view_->ResetView();
        view_->RefreshView();
    } else {
        view_->NavigateToShow();
    }
    renderTimer_->start();
    // Read while the document reloads in the engine's own process.
    screenPictures_ = CollectPictures(shown_);
    hasPrevious_ = screen.previousPage;
    hasNext_ = screen.nextPage;
    EnableNavigation();
    QList<int> stored;
    int start = 0, end = 0;
    if (link_->GetPageState(stored, start, end))
        strip_->RefreshForScreen(stored, start, end);
}

void CShowContent::PollRender() {
    if (!renderPending_ || pollInFlight_ || view_->IsLoading())
        return;
    pollInFlight_ = true;
    const quint64 generation = renderGeneration_;
    view_->IsDocumentReady([self = QPointer<CShowContent>(this), generation](bool ready) {
        if (!self)
            return;
        self->pollInFlight_ = false;
        if (ready && generation == self->renderGeneration_ && self->renderPending_)
            self->BuildScreen();
    });
}

void CShowContent::BuildScreen() {
    renderPending_ = false;
    renderTimer_->stop();
    view_->AppendPosts(shown_);
    InsertPictures(screenPictures_);
    screenPictures_.clear();
    view_->ResetView();
    AfterPosts(true);
    view_->RunScript(QStringLiteral("1"), [self = QPointer<CShowContent>(this)](const QVariant&) {
        if (self)
            emit self->ScreenRendered();
    });
}

void CShowContent::AfterPosts(bool newScreen) {
    if (hasNext_ != 0) {
        if (setup_.pictureModule)
            link_->QueueSmall({CDTReadPageNoRang, setup_.focusPageNo, firstPage_, lastPage_, 0});
        view_->AddNextLink();
    } else if (newScreen) {
        requests_.RequestLaterPages(Edges());
    }
    if (hasPrevious_ != 0)
        view_->AddPrevLink();
    else if (newScreen)
        requests_.RequestEarlierPages(Edges());
}

QString CShowContent::LocalPicture(const QString& address) {
    // Each screen would otherwise write every picture again into Img/.
    const auto known = localPictures_.constFind(address);
    if (known != localPictures_.constEnd() && QFile::exists(*known))
        return *known;
    const QString path =
        ExtractImage(setup_.dbFile, address, ProgramDirectory() + QStringLiteral("Img"));
    if (!path.isEmpty())
        localPictures_.insert(address, path);
    return path;
}

QList<ThreadPicture> CShowContent::CollectPictures(const ShownPosts& posts) {
    QList<ThreadPicture> found;
    if (posts.isEmpty())
        return found;
    int low = posts.first().pageNo, high = posts.first().pageNo;
    for (const ShownPost& post : posts) {
        low = std::min(low, post.pageNo);
        high = std::max(high, post.pageNo);
    }
    QList<ThreadPicture> pictures;
    if (!ListPageImages(setup_.dbFile, low, high, pictures))
        return found;
    for (ThreadPicture picture : pictures) {
        const bool onScreen = std::any_of(posts.begin(), posts.end(), [&](const ShownPost& post) {
            return post.pageNo == picture.pageNo && post.author == picture.author &&
                   post.time == picture.time;
        });
        if (!onScreen)
            continue;
        picture.imgUrl = LocalPicture(picture.imgUrl);
        if (!picture.imgUrl.isEmpty())
            found.append(picture);
    }
    return found;
}

void CShowContent::InsertPictures(const QList<ThreadPicture>& pictures) {
    view_->InsertPictures(pictures);
}

void CShowContent::OnNewPages(int, int newestPage) {
    if (!isVisible())
        return;
    if (!(hasPrevious_ != 0 && hasNext_ != 0)) {
        ShownScreen copy;
        if (link_->GetScreen(copy)) {
            if (hasNext_ == 0 || shown_.isEmpty()) {
                ShownPosts fresh;
                if (shown_.isEmpty()) {
                    fresh = copy.posts;
                } else {
                    const ShownPost& last = shown_.last();
                    for (qsizetype i = 0; i < copy.posts.size(); ++i)
                        if (copy.posts[i].SamePost(last)) {
                            fresh = copy.posts.mid(i + 1);
                            break;
                        }
                }
                if (!fresh.isEmpty()) {
                    shown_ += fresh;
                    // A screen still waiting for its document gets them with the rest.
                    if (renderPending_) {
                        screenPictures_ += CollectPictures(fresh);
                    } else {
                        view_->AppendPosts(fresh);
                        InsertPictures(CollectPictures(fresh));
                    }
                    QApplication::alert(this);
                    const int count = static_cast<int>(fresh.size());
                    view_->RunScript(QStringLiteral("1"),
                                     [self = QPointer<CShowContent>(this), count](const QVariant&) {
                                         if (self)
                                             emit self->PostsAppended(count);
                                     });
                }
            }
            SetRange(copy.startPage, copy.endPage);
            hasPrevious_ = copy.previousPage;
            hasNext_ = copy.nextPage;
            EnableNavigation();
            if (!renderPending_)
                AfterPosts(false);
        }
    }
    QList<int> stored;
    int start = 0, end = 0;
    if (link_->GetPageState(stored, start, end))
        strip_->RefreshForNewPages(stored, start, end, newestPage);
}

// --- navigation ---

void CShowContent::Navigate(int operation) {
    link_->RequestReadOperation(this, operation, 0);
}

void CShowContent::PreviousPage() {
    if (hasPrevious_ != 0)
        link_->RequestReadOperation(this, OpPrevious, 0);
    link_->LowerHelpTip(QStringLiteral("TurnReadContent"));
}

void CShowContent::NextPage() {
    if (hasNext_ != 0)
        link_->RequestReadOperation(this, OpNext, 0);
    link_->LowerHelpTip(QStringLiteral("TurnReadContent"));
}

void CShowContent::OnNewWindow(const QString& href) {
    if (IsNextLinkAddress(href))
        NextPage();
    else if (IsPrevLinkAddress(href))
        PreviousPage();
}

void CShowContent::OnUserSetAnswer(int page) {
    if (isVisible() && page != firstPage_)
        link_->RequestReadOperation(this, OpGotoPage, page);
}

// --- filter modes ---

void CShowContent::SelectRadioOfMode(int mode) {
    const int radioMode = ModeOfRadio(RadioOfMode(mode));
    radios_->button(radioMode)->setChecked(true);
}

void CShowContent::ApplyMode(int mode) {
    viewMode_ = mode;
    link_->SetModelViewMode(mode);
    link_->RequestReadOperation(this, OpOpen, 0);
}

void CShowContent::OnRadioClicked(int mode) {
    if (mode == 0 || mode == 1) {
        if (viewMode_ == mode)
            return;
        ApplyMode(mode);
        link_->LowerHelpTip(QStringLiteral("ChangeViewModel"));
        return;
    }
    if (link_->RunListDialog(this, mode, setup_.dbFile, setup_.starter, setup_.focusPageNo)) {
        if (mode == ChosenWordsList)
            link_->ReloadList(setup_.focusPageNo, ChosenWordsList);
        ApplyMode(mode);
    } else {
        SelectRadioOfMode(viewMode_);
    }
    link_->LowerHelpTip(QStringLiteral("ChangeViewModel"));
}

// --- refresh, the thread on the forum ---

void CShowContent::RefreshNow() {
    link_->QueueSmall({CDTRefresh, setup_.focusPageNo, 0, 0, 0});
    refreshTime_ = now_();
    refresh_->setEnabled(false);
    refreshTimer_->start();
}

void CShowContent::OnRefreshTick() {
    if (now_() - refreshTime_ > kRefreshComeback) {
        refreshTimer_->stop();
        refresh_->setEnabled(true);
    }
}

void CShowContent::OnRefreshAnswer() {
    refreshTimer_->stop();
    refresh_->setEnabled(true);
}

void CShowContent::GoToThread() {
    FollowRecord follow;
    if (!ReadFollowedThread(setup_.focusPageNo, follow)) {
        ShowNotice(this, QStringLiteral("获取原始网页地址失败！"));
        return;
    }
    link_->OpenAddress(follow.webpageUrl);
}

// --- reply ---

void CShowContent::ToggleReplyPanel() {
    if (!setup_.replyModule)
        return;
    replySize_ = replySize_ == 0 ? 1 : replySize_ == 1 ? 3 : 0;
    LayoutControls();
    if (replySize_ > 0)
        editor_->setFocus();
}

void CShowContent::Reply() {
    const QString text = editor_->toPlainText();
    if (text.isEmpty()) {
        ShowNotice(this, QStringLiteral("请在编辑框输入回复内容！"));
        return;
    }
    if (!link_->IsLoggedIn()) {
        link_->RunLogin(this);
        if (!link_->IsLoggedIn()) {
            link_->QueueSmall({CDTLoginCancel, 0, 0, 0, 0});
            return;
        }
    }
    link_->QueueReply(text);
    editor_->setEnabled(false);
    reply_->setEnabled(false);
}

void CShowContent::OnReplyAnswer(int result, const QString& message) {
    ShowNotice(this, message);
    editor_->setEnabled(true);
    reply_->setEnabled(true);
    if (result == 1) {
        editor_->clear();
        display_->clear();
    }
}

// --- answers about pages and pictures ---

void CShowContent::OnReadNeedNextAnswer(int page) {
    if (!isVisible())
        return;
    requests_.Answered(page);
    requests_.RequestLaterPages(Edges());
}

void CShowContent::OnReadNeedLastAnswer(int page) {
    if (!isVisible())
        return;
    requests_.Answered(page);
    requests_.RequestEarlierPages(Edges());
}

void CShowContent::OnAllNewestPages() {
    requests_.RequestEarlierPages(Edges());
}

void CShowContent::OnPicturesStored(const QString& address, const QList<PicturePost>& posts) {
    if (!isVisible())
        return;
    QString path;
    for (const PicturePost& post : posts) {
        // The entries come in page order: the first one off the screen ends the walk.
        if (post.pageNo < firstPage_ || post.pageNo > lastPage_)
            break;
        if (path.isEmpty())
            path = LocalPicture(address);
        if (path.isEmpty())
            continue;
        const ThreadPicture picture{post.pageNo, post.author, post.time, 0, path};
        // A screen still waiting for its document takes the picture with the rest.
        if (renderPending_) {
            const bool known = std::any_of(
                screenPictures_.begin(), screenPictures_.end(), [&](const ThreadPicture& p) {
                    return p.pageNo == picture.pageNo && p.author == picture.author &&
                           p.time == picture.time && p.imgUrl == picture.imgUrl;
                });
            if (!known)
                screenPictures_.append(picture);
        } else
            view_->InsertPicture(picture);
    }
}

// --- context menu ---

void CShowContent::WatchViewInput() {
    // The engine draws into a child widget of its own; right clicks are taken from it.
    QObject* input = view_->focusProxy();
    if (!input || input == watchedViewInput_)
        return;
    if (watchedViewInput_)
        watchedViewInput_->removeEventFilter(this);
    input->installEventFilter(this);
    watchedViewInput_ = input;
}

bool CShowContent::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedViewInput_) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                ShowContextMenu(mouse->globalPosition().toPoint());
                return true;
            }
        }
        if (event->type() == QEvent::ContextMenu)
            return true;
    } else if (watched == editor_ && event->type() == QEvent::FocusOut && replySize_ > 0) {
        display_->setPlainText(editor_->toPlainText());
        editor_->hide();
        display_->show();
    } else if (watched == display_ && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(50, this, [this] {
            display_->hide();
            editor_->show();
            editor_->setFocus();
        });
    }
    return CSkinDialogEx::eventFilter(watched, event);
}

void CShowContent::ShowContextMenu(const QPoint& globalPosition) {
    if (view_->selectedText().isEmpty())
        return;
    QMenu menu(this);
    const std::pair<int, const char*> items[] = {
        {CmdCopy, "复制"},
        {CmdOnlySelectedContent, "只看选择内容"},
        {CmdOnlyThisPerson, "只看此人"},
        {CmdAddToChosen, "添加到只看某些人"},
        {CmdAddToBlocked, "添加到屏蔽某些人"},
    };
    for (const auto& [command, caption] : items)
        menu.addAction(QString::fromUtf8(caption))->setData(command);
    if (QAction* chosen = menu.exec(globalPosition))
        RunMenuCommand(chosen->data().toInt());
}

void CShowContent::RunMenuCommand(int command) {
    const QString selected = view_->selectedText();
    MenuItemOutcome outcome;
    switch (command) {
    case CmdCopy:
        if (selected.isEmpty()) {
            ShowNotice(this, QStringLiteral("未选择任何文字！"));
        } else {
            QGuiApplication::clipboard()->clear();
            QGuiApplication::clipboard()->setText(selected);
        }
        return;
    case CmdOnlySelectedContent:
        outcome = OnlySelectedContent(setup_.dbFile, setup_.focusPageNo, selected, link_);
        break;
    case CmdOnlyThisPerson:
        outcome = OnlyThisPerson(setup_.dbFile, setup_.focusPageNo, selected, link_);
        break;
    case CmdAddToChosen:
        outcome = AddSelectionToList(setup_.dbFile, setup_.focusPageNo, selected, ChosenPeopleList,
                                     link_);
        break;
    case CmdAddToBlocked:
        outcome = AddSelectionToList(setup_.dbFile, setup_.focusPageNo, selected, BlockedPeopleList,
                                     link_);
        break;
    default:
        return;
    }
    if (!outcome.notice.isEmpty())
        ShowNotice(this, outcome.notice);
    if (outcome.switchToMode >= 0) {
        SelectRadioOfMode(outcome.switchToMode);
        ApplyMode(radios_->checkedId());
    }
}

// --- side panel ---

void CShowContent::ShowRecommendation() {
    SideRecommendation picked;
    if (!link_->PickRecommendation(picked))
        return;
    const QString json =
        QString::fromUtf8(QJsonDocument(QJsonArray{picked.html}).toJson(QJsonDocument::Compact));
    side_->page()->runJavaScript(
        QStringLiteral("(function(h){if(document.body)document.body.innerHTML=h[0];})(%1)")
            .arg(json),
        QWebEngineScript::ApplicationWorld);
    const bool resized =
        picked.width != recommendation_.width || picked.height != recommendation_.height;
    recommendation_ = picked;
    if (resized)
        LayoutControls();
}

void CShowContent::OnSideNewWindow(const QString& href) {
    if (href.isEmpty())
        return;
    link_->OpenAddress(href);
    if (recommendation_.followUpAddress.isEmpty())
        return;
    delayedAddress_ = recommendation_.followUpAddress;
    QTimer::singleShot(10000, this, [self = QPointer<CShowContent>(this)] {
        if (self && !self->delayedAddress_.isEmpty())
            self->link_->OpenAddress(self->delayedAddress_);
    });
}

// --- closing ---

void CShowContent::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    // The zoom keys work wherever the focus is in the window.
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            view_->ZoomIn();
            return;
        case Qt::Key_Minus:
            view_->ZoomOut();
            return;
        case Qt::Key_0:
            view_->SetZoomPercent(100);
            return;
        default:
            break;
        }
    }
    CSkinDialogEx::keyPressEvent(event);
}

void CShowContent::closeEvent(QCloseEvent* event) {
    // The registry destroys the window a moment later; until then it only hides.
    event->ignore();
    renderTimer_->stop();
    recommendTimer_->stop();
    view_->load(QUrl(QStringLiteral("about:blank")));
    side_->load(QUrl(QStringLiteral("about:blank")));
    link_->CloseRequested();
    hide();
}
