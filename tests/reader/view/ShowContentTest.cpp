#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "reader/model/ReadingTypes.h"
#include "reader/reading/PostHtml.h"
#include "reader/view/CShowContent.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/CStateDlg.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/view/ViewTestSupport.h"
#include "tests/support/TempHome.h"

#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <QAbstractButton>
#include <gtest/gtest.h>

#include <vector>

namespace {

const int kFocus = 77;

QString TimeOf(int page, int n) {
    return QStringLiteral("2020-05-%1 10:%2:00")
        .arg(page % 28 + 1, 2, 10, QChar(u'0'))
        .arg(n, 2, 10, QChar(u'0'));
}

ThreadPost PostOf(int page, int n) {
    return {page, n == 0 ? QStringLiteral("楼主") : QStringLiteral("网友%1").arg(n),
            TimeOf(page, n), QStringLiteral("第%1页的第%2个帖子").arg(page).arg(n)};
}

// The reader around a reading window, recorded.
class FakeLink : public ReadingWindowLink {
public:
    void QueueSmall(const SmallMessage& message) override { sent.push_back(message); }
    void ReloadList(int, int listNo) override { reloads.append(listNo); }
    int RequestReadOperation(ReadingObserver*, int operation, int value) override {
        operations.push_back({operation, value});
        return 1;
    }
    bool GetScreen(ShownScreen& out) override {
        out = screen;
        return hasModel;
    }
    bool GetPageState(QList<int>& stored, int& start, int& end) override {
        stored = storedPages;
        start = screen.startPage;
        end = screen.endPage;
        return hasModel;
    }
    int ModelViewMode() override { return mode; }
    void SetModelViewMode(int m) override { modesSet.append(m); }
    void QueueReply(const QString& text) override { replies.append(text); }
    bool IsLoggedIn() override { return loggedIn; }
    void RunLogin(QWidget*) override {
        ++logins;
        loggedIn = loginSucceeds;
    }
    bool RunListDialog(QWidget*, int m, const QString&, const QString&, int) override {
        dialogs.append(m);
        return dialogAnswer;
    }
    void LowerHelpTip(const QString& name) override { tips.append(name); }
    void OpenAddress(const QString& address) override { opened.append(address); }
    bool PickRecommendation(SideRecommendation&) override { return false; }
    void CloseRequested() override { ++closeRequests; }

    int Count(int code) const {
        return static_cast<int>(std::count_if(
            sent.begin(), sent.end(), [code](const SmallMessage& m) { return m.code == code; }));
    }

    ShownScreen screen;
    QList<int> storedPages;
    bool hasModel = true;
    int mode = 1;
    bool loggedIn = false, loginSucceeds = false, dialogAnswer = true;
    int logins = 0, closeRequests = 0;
    std::vector<SmallMessage> sent;
    std::vector<std::pair<int, int>> operations;
    QList<int> reloads, modesSet, dialogs;
    QStringList replies, tips, opened;
};

class ShowContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateThreadDatabase(db));
        for (int page = 1; page <= 40; ++page)
            if (page <= 20 || page > 30) {
                link.storedPages.append(page);
                ASSERT_TRUE(SavePage(db, {PostOf(page, 0), PostOf(page, 1)}, page,
                                     QStringLiteral("http://bbs.test/p-%1.shtml").arg(page)));
            }
    }

    std::unique_ptr<CShowContent> MakeWindow(bool replyModule = true, bool pictureModule = true) {
        ReadingWindowSetup setup{
            kFocus,       QStringLiteral("测试帖"), db, QStringLiteral("楼主"), 35, replyModule,
            pictureModule};
        auto window = std::make_unique<CShowContent>(setup, &link);
        window->show();
        return window;
    }

    // A screen of pages first..last (two posts each) with the given neighbours.
    void SetScreen(int first, int last, int previous, int next) {
        link.screen = {};
        for (int page = first; page <= last; ++page)
            for (int n = 0; n < 2; ++n)
                link.screen.posts.append(
                    ShownPostOf(PostOf(page, n), n == 0 ? "#FF0000" : "#808080"));
        link.screen.previousPage = previous;
        link.screen.nextPage = next;
        link.screen.startPage = first;
        link.screen.endPage = last;
    }

    void Render(CShowContent& window) {
        bool rendered = false;
        auto c = QObject::connect(&window, &CShowContent::ScreenRendered, [&] { rendered = true; });
        window.OnOperationDone(3, 1);
        ASSERT_TRUE(SpinUntil([&] { return rendered; }));
        QObject::disconnect(c);
    }

    QVariant Eval(CShowContent& window, const QString& script) {
        bool answered = false;
        QVariant value;
        window.PostView()->RunScript(script, [&](const QVariant& v) {
            value = v;
            answered = true;
        });
        EXPECT_TRUE(SpinUntil([&] { return answered; }));
        return value;
    }

    int Headers(CShowContent& window) {
        return Eval(window, QStringLiteral(
                                "Array.from(document.body.children).filter("
                                "function(e){return e.innerText.indexOf('发表日期')>=0;}).length"))
            .toInt();
    }

    TempHome home;
    QString db;
    FakeLink link;
    NoticeRecorder notices;
};

TEST_F(ShowContentTest, AScreenAtTheEdgeOfTheStoredPagesAsksForTheGap) {
    auto window = MakeWindow();
    SetScreen(15, 20, 14, 0);
    Render(*window);
    EXPECT_EQ(Headers(*window), 12);
    EXPECT_EQ(window->RangeLabel()->text(), QStringLiteral("阅读范围：第15页-第20页"));
    EXPECT_TRUE(window->Button(3)->isEnabled());
    EXPECT_FALSE(window->Button(4)->isEnabled());
    EXPECT_EQ(Eval(*window, "document.links.length").toInt(), 1); // only "上一页"
    ASSERT_EQ(link.Count(CDTReadNeedNext), 1);
    EXPECT_EQ(link.Count(CDTReadPageNoRang), 0);
    const SmallMessage& request = link.sent.back();
    EXPECT_EQ(request.a, kFocus);
    EXPECT_EQ(request.b, 20);
    EXPECT_EQ(request.c, 30);
    EXPECT_EQ(window->Strip()->Core().Cells()[14], CellReading);

    // Rendering again sends nothing until the answer arrives; the answer looks again.
    Render(*window);
    EXPECT_EQ(link.Count(CDTReadNeedNext), 1);
    window->OnReadNeedNextAnswer(20);
    EXPECT_EQ(link.Count(CDTReadNeedNext), 2);
}

TEST_F(ShowContentTest, AScreenInTheMiddleAsksForItsPicturesFirst) {
    for (bool pictures : {true, false}) {
        link.sent.clear();
        auto window = MakeWindow(true, pictures);
        SetScreen(5, 6, 4, 7);
        Render(*window);
        EXPECT_EQ(link.Count(CDTReadPageNoRang), pictures ? 1 : 0);
        if (pictures) {
            EXPECT_EQ(link.sent.back().b, 5);
            EXPECT_EQ(link.sent.back().c, 6);
        }
        EXPECT_EQ(Eval(*window, "document.links.length").toInt(), 2);
        EXPECT_EQ(link.Count(CDTReadNeedNext) + link.Count(CDTReadNeedLast), 0);
    }
}

TEST_F(ShowContentTest, GotoPageAsksTheModelForThatPage) {
    auto window = MakeWindow();
    link.operations.clear();
    window->GotoPage(7);
    window->GotoPage(0); // no such page: nothing asked
    EXPECT_EQ(link.operations, (std::vector<std::pair<int, int>>{{OpGotoPage, 7}}));
}

// The zoom (Ctrl with the wheel or the keys) and the night colours are written to the
// settings file and a window opened later starts with them.
TEST_F(ShowContentTest, ZoomAndNightColoursAreKeptForTheNextWindow) {
    const QString section = QString::fromLatin1(CShowContent::kComfortSection);
    const QString zoomKey = QString::fromLatin1(CShowContent::kZoomKey);
    const QString nightKey = QString::fromLatin1(CShowContent::kNightKey);
    const QString bodyColour = QStringLiteral("getComputedStyle(document.body).backgroundColor");
    {
        auto window = MakeWindow();
        SetScreen(1, 2, 0, 3);
        Render(*window);
        CShowCtl* view = window->PostView();
        EXPECT_EQ(view->ZoomPercent(), 100);
        EXPECT_FALSE(view->NightMode());
        QWidget* input = view->focusProxy();
        ASSERT_NE(input, nullptr);
        QWheelEvent up(QPointF(20, 20), view->mapToGlobal(QPointF(20, 20)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(input, &up);
        EXPECT_EQ(view->ZoomPercent(), 110);
        QKeyEvent plus(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier, QStringLiteral("="));
        QApplication::sendEvent(input, &plus);
        EXPECT_EQ(view->ZoomPercent(), 125);
        // Elsewhere in the window (the reply editor, the buttons) the keys work too.
        QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::ControlModifier, QStringLiteral("-"));
        QApplication::sendEvent(window.get(), &minus);
        EXPECT_EQ(view->ZoomPercent(), 110);
        EXPECT_EQ(ReadSettingInt(section, zoomKey, 0), 110);

        EXPECT_EQ(Eval(*window, bodyColour).toString(), QStringLiteral("rgb(255, 254, 251)"));
        window->NightButton()->click();
        EXPECT_TRUE(view->NightMode());
        EXPECT_TRUE(window->NightButton()->IsPressed());
        EXPECT_EQ(ReadSettingInt(section, nightKey, 0), 1);
        EXPECT_EQ(Eval(*window, bodyColour).toString(), QStringLiteral("rgb(34, 35, 39)"));
    }

    auto window = MakeWindow();
    SetScreen(1, 2, 0, 3);
    Render(*window);
    EXPECT_EQ(window->PostView()->ZoomPercent(), 110);
    EXPECT_NEAR(window->PostView()->zoomFactor(), 1.1, 0.001);
    EXPECT_TRUE(window->PostView()->NightMode());
    EXPECT_TRUE(window->NightButton()->IsPressed());
    EXPECT_EQ(Eval(*window, bodyColour).toString(), QStringLiteral("rgb(34, 35, 39)"));
    window->NightButton()->click();
    EXPECT_EQ(ReadSettingInt(section, nightKey, 1), 0);
    EXPECT_EQ(Eval(*window, bodyColour).toString(), QStringLiteral("rgb(255, 254, 251)"));
}

TEST_F(ShowContentTest, ZoomStepsStayWithinTheirRange) {
    const struct {
        int from, direction, to;
    } cases[] = {{100, 1, 110}, {100, -1, 90},  {300, 1, 300}, {50, -1, 50},
                 {105, 1, 110}, {105, -1, 100}, {10, -1, 50},  {999, 1, 300}};
    for (const auto& c : cases)
        EXPECT_EQ(CShowCtl::NextZoom(c.from, c.direction), c.to) << c.from << " " << c.direction;
}

TEST_F(ShowContentTest, NextButtonAndLinkFollowTheModel) {
    auto window = MakeWindow();
    SetScreen(31, 32, 30, 0);
    Render(*window);
    link.operations.clear();
    window->Button(4)->click(); // disabled: nothing
    emit window->PostView()->NewWindowRequested(kNextPageSentinelUrl + "/");
    EXPECT_TRUE(link.operations.empty());
    emit window->PostView()->NewWindowRequested(kPrevPageSentinelUrl + "/");
    emit window->PostView()->NewWindowRequested(kPrevPageSentinelUrl); // not the engine's form
    ASSERT_EQ(link.operations.size(), 1u);
    EXPECT_EQ(link.operations[0].first, 2);

    SetScreen(31, 32, 30, 33);
    Render(*window);
    link.operations.clear();
    window->Button(4)->click();
    emit window->PostView()->NewWindowRequested(kNextPageSentinelUrl + "/");
    window->Button(6)->click();
    window->Button(5)->click();
    EXPECT_EQ(link.operations, (std::vector<std::pair<int, int>>{{4, 0}, {4, 0}, {1, 0}, {5, 0}}));
    EXPECT_EQ(link.tips.count(QStringLiteral("TurnReadContent")), 4);
}

TEST_F(ShowContentTest, KeysTurnTheScreens) {
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int operation; // -1: none
    } cases[] = {
        {Qt::Key_Right, Qt::AltModifier, 4}, {Qt::Key_Left, Qt::AltModifier, 2},
        {Qt::Key_Home, Qt::AltModifier, 1},  {Qt::Key_End, Qt::AltModifier, 5},
        {Qt::Key_Right, Qt::NoModifier, -1},
    };
    for (bool atTheEnds : {false, true}) {
        // At the ends of the thread "上一页" and "下一页" are off, and so are their keys.
        SetScreen(31, 32, atTheEnds ? 0 : 30, atTheEnds ? 0 : 33);
        Render(*window);
        for (const auto& c : cases) {
            link.operations.clear();
            QTest::keyClick(window.get(), c.key, c.modifiers);
            const bool turns = c.operation == 1 || c.operation == 5 || !atTheEnds;
            if (c.operation >= 0 && turns) {
                EXPECT_EQ(link.operations, (std::vector<std::pair<int, int>>{{c.operation, 0}}))
                    << c.key << " " << atTheEnds;
            } else {
                EXPECT_TRUE(link.operations.empty()) << c.key << " " << atTheEnds;
            }
        }
    }
    // F5 is "立即刷新", which then waits for its answer.
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(link.Count(CDTRefresh), 1);
    EXPECT_FALSE(window->Button(1019)->isEnabled());
}

TEST_F(ShowContentTest, ARenderOfNothingKeepsTheScreen) {
    auto window = MakeWindow();
    SetScreen(31, 32, 30, 0);
    Render(*window);
    window->OnOperationDone(4, 0);
    link.hasModel = false;
    window->OnOperationDone(4, 1);
    EXPECT_FALSE(window->RenderPending());
    EXPECT_EQ(Headers(*window), 4);
}

TEST_F(ShowContentTest, NewPostsAreAppendedWithoutReloading) {
    auto window = MakeWindow();
    SetScreen(38, 38, 37, 0);
    Render(*window);
    Eval(*window, "document.body.setAttribute('data-mark', 'kept')");
    SetScreen(38, 40, 37, 0);
    int appended = 0;
    QObject::connect(window.get(), &CShowContent::PostsAppended, [&](int n) { appended = n; });
    window->OnNewPages(kFocus, 40);
    ASSERT_TRUE(SpinUntil([&] { return appended != 0; }));
    EXPECT_EQ(appended, 4);
    EXPECT_EQ(Headers(*window), 6);
    EXPECT_EQ(Eval(*window, "document.body.getAttribute('data-mark')").toString(),
              QStringLiteral("kept"));
    EXPECT_EQ(window->RangeLabel()->text(), QStringLiteral("阅读范围：第38页-第40页"));

    // Hidden windows ignore new pages.
    window->hide();
    SetScreen(38, 40, 37, 0);
    link.screen.posts.append(ShownPostOf(PostOf(41, 0)));
    window->OnNewPages(kFocus, 41);
    EXPECT_EQ(window->ShownPostList().size(), 6);
}

TEST_F(ShowContentTest, RadioButtonsFollowTheModeRules) {
    link.mode = 3;
    auto window = MakeWindow();
    window->Open();
    EXPECT_TRUE(window->Radio(3)->isChecked());
    link.operations.clear();

    window->Radio(3)->click(); // people dialog of mode 3 opens, OK: mode 3 again
    window->Radio(0)->click(); // mode 0 from 3
    window->Radio(0)->click(); // already in force: nothing
    link.dialogAnswer = false;
    window->Radio(4)->click(); // cancelled: back to mode 0's radio
    EXPECT_TRUE(window->Radio(0)->isChecked());
    link.dialogAnswer = true;
    window->Radio(5)->click();
    EXPECT_EQ(link.dialogs, (QList<int>{3, 4, 5}));
    EXPECT_EQ(link.modesSet, (QList<int>{3, 0, 5}));
    EXPECT_EQ(link.reloads, QList<int>{5});
    EXPECT_EQ(link.operations, (std::vector<std::pair<int, int>>{{3, 0}, {3, 0}, {3, 0}}));
    EXPECT_EQ(window->ViewMode(), 5);
    EXPECT_EQ(link.tips.count(QStringLiteral("ChangeViewModel")), 4);
    EXPECT_EQ(CShowContent::RadioOfMode(9), 1005);
    EXPECT_EQ(CShowContent::ModeOfRadio(1011), 4);
}

TEST_F(ShowContentTest, RefreshNowComesBackOnTheAnswerOrAfterThirtySeconds) {
    auto window = MakeWindow();
    qint64 now = 1000;
    window->SetClock([&] { return now; });
    QPushButton* refresh = window->Button(1019);
    refresh->click();
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_EQ(link.Count(CDTRefresh), 1);
    EXPECT_EQ(link.sent.back().a, kFocus);
    window->OnRefreshAnswer();
    EXPECT_TRUE(refresh->isEnabled());

    refresh->click();
    now += 30;
    QCoreApplication::processEvents();
    EXPECT_FALSE(SpinUntil([&] { return refresh->isEnabled(); }, 1500));
    now += 1;
    EXPECT_TRUE(SpinUntil([&] { return refresh->isEnabled(); }, 5000));
}

TEST_F(ShowContentTest, ReplyPanelAndReplies) {
    auto window = MakeWindow();
    QPushButton* toggle = window->Button(1029);
    std::vector<int> sizes;
    for (int i = 0; i < 4; ++i) {
        toggle->click();
        sizes.push_back(window->ReplyPanelSize());
    }
    EXPECT_EQ(sizes, (std::vector<int>{1, 3, 0, 1}));
    EXPECT_TRUE(window->Button(1016)->isVisible());

    window->Button(1016)->click();
    EXPECT_EQ(notices.notices, QStringList{QStringLiteral("请在编辑框输入回复内容！")});

    // Not logged in, and the login dialog closed without a login.
    window->ReplyEditor()->setPlainText(QString(5001, QChar(u'字')));
    EXPECT_EQ(window->ReplyEditor()->toPlainText().size(), 5000);
    window->Button(1016)->click();
    EXPECT_EQ(link.logins, 1);
    EXPECT_EQ(link.Count(CDTLoginCancel), 1);
    EXPECT_TRUE(link.replies.isEmpty());

    link.loginSucceeds = true;
    window->Button(1016)->click();
    ASSERT_EQ(link.replies.size(), 1);
    EXPECT_EQ(link.replies[0].size(), 5000);
    EXPECT_FALSE(window->ReplyEditor()->isEnabled());
    window->OnReplyAnswer(0, QStringLiteral("回复失败"));
    EXPECT_TRUE(window->ReplyEditor()->isEnabled());
    EXPECT_EQ(window->ReplyEditor()->toPlainText().size(), 5000);
    window->OnReplyAnswer(1, QStringLiteral("回复成功"));
    EXPECT_TRUE(window->ReplyEditor()->toPlainText().isEmpty());
    EXPECT_EQ(notices.notices.mid(1), (QStringList{"回复失败", "回复成功"}));
}

TEST_F(ShowContentTest, WithoutTheReplyModuleThePanelNeverOpens) {
    auto window = MakeWindow(false);
    EXPECT_FALSE(window->Button(1029)->isVisible());
    window->Button(1029)->click();
    EXPECT_EQ(window->ReplyPanelSize(), 0);
    EXPECT_FALSE(window->Button(1016)->isVisible());
}

TEST_F(ShowContentTest, PicturesAnnouncedByTheServerFollowTheWalkRule) {
    // A picture of the starter's post on page 32.
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QString address = QStringLiteral("http://img.test/p.png");
    const ThreadPost post = PostOf(32, 0);
    ASSERT_TRUE(SaveImageData(db, {{32, post.author, post.time, 0, address}}));
    ASSERT_TRUE(WriteImageData(db, address, png));

    auto window = MakeWindow();
    SetScreen(31, 32, 30, 0);
    Render(*window);
    const QString images = QStringLiteral("document.images.length");
    // The first entry lies before the screen: the walk ends at once.
    window->OnPicturesStored(address, {{5, post.author, post.time}, {32, post.author, post.time}});
    EXPECT_EQ(Eval(*window, images).toInt(), 0);
    window->OnPicturesStored(address, {{32, post.author, post.time}, {33, post.author, post.time}});
    EXPECT_EQ(Eval(*window, images).toInt(), 1);

    // A new screen lists the stored pictures of its posts itself.
    ASSERT_TRUE(SaveImageInfo(db, {{32, post.author, post.time, 0, address}}));
    Render(*window);
    EXPECT_EQ(Eval(*window, images).toInt(), 1);
    EXPECT_EQ(QDir(home.File("Img")).entryList(QDir::Files).size(), 1); // written once
}

TEST_F(ShowContentTest, ContextMenuItemsFillTheListsAndSwitchTheMode) {
    auto window = MakeWindow();
    SetScreen(31, 31, 30, 0);
    Render(*window);
    // Select the second post's author name in its header.
    bool changed = false;
    QObject::connect(window->PostView()->page(), &QWebEnginePage::selectionChanged,
                     [&] { changed = true; });
    const QString js =
        Eval(*window,
             "(function(){var w=document.createTreeWalker(document.body,NodeFilter.SHOW_TEXT);"
             "var t;while((t=w.nextNode())&&t.data.indexOf('网友')<0){}"
             "var s=t.data.indexOf('网友');var r=document.createRange();"
             "r.setStart(t,s);r.setEnd(t,s+3);var sel=window.getSelection();"
             "sel.removeAllRanges();sel.addRange(r);return sel.toString();})()")
            .toString();
    ASSERT_EQ(js, QStringLiteral("网友1"));
    ASSERT_TRUE(
        SpinUntil([&] { return changed && !window->PostView()->selectedText().isEmpty(); }, 3000));
    EXPECT_EQ(window->PostView()->selectedText(), QStringLiteral("网友1"));

    link.operations.clear();
    window->RunMenuCommand(32780);
    QStringList chosen;
    ReadSomeBodyList(db, 2, chosen);
    EXPECT_EQ(chosen, QStringList{QStringLiteral("网友1")});
    EXPECT_EQ(notices.notices.last(), QStringLiteral("添加成功!"));
    EXPECT_TRUE(link.operations.empty()); // the mode stays

    window->RunMenuCommand(32783);
    EXPECT_TRUE(window->Radio(2)->isChecked());
    EXPECT_EQ(link.modesSet.last(), 2);
    EXPECT_EQ(link.operations, (std::vector<std::pair<int, int>>{{3, 0}}));

    window->RunMenuCommand(32776);
    EXPECT_TRUE(window->Radio(5)->isChecked());
    QStringList words;
    ReadSomeBodyList(db, 5, words);
    EXPECT_EQ(words, QStringList{QStringLiteral("网友1")});
    EXPECT_EQ(link.reloads, (QList<int>{2, 2, 5}));
}

TEST_F(ShowContentTest, ARightClickWithoutSelectionShowsNoMenu) {
    auto window = MakeWindow();
    SetScreen(31, 31, 30, 0);
    Render(*window);
    QWidget* input = window->PostView()->focusProxy();
    ASSERT_NE(input, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50),
                      input->mapToGlobal(QPointF(50, 50)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    // Nothing selected: no menu (a menu shown here would wait for a user).
    QCoreApplication::sendEvent(input, &press);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    window->RunMenuCommand(32772);
    EXPECT_EQ(notices.notices, QStringList{QStringLiteral("未选择任何文字！")});
}

TEST_F(ShowContentTest, GoingToTheThreadAndClosing) {
    auto window = MakeWindow();
    window->Button(1018)->click(); // no catalogue row for the thread
    EXPECT_EQ(notices.notices, QStringList{QStringLiteral("获取原始网页地址失败！")});
    EXPECT_TRUE(link.opened.isEmpty());

    window->Button(1017)->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(link.closeRequests, 0);
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(link.closeRequests, 1);
}

} // namespace
