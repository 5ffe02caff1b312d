// The main window: tabs, the log corner, the dispatcher and the housekeeping checks.
#include "common/Log.h"
#include "common/Settings.h"
#include "common/Utilities.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/CHelpDlg.h"
#include "reader/CMainDlg.h"
#include "reader/CQuillmereDlg.h"
#include "reader/FollowModels.h"
#include "reader/ReaderState.h"
#include "reader/ServerLink.h"
#include "reader/model/ReadingModelRegistry.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCatalogueFile();
        TheLoginState() = {};
        TheHotRecommendList().Clear();
        link.Start({});
    }

    CMainDlg& open() {
        window = std::make_unique<CMainDlg>(&link, &models, &windows);
        window->SetFollowLimitDelayMs(3600000);
        window->SetStaleCheckDelayMs(3600000);
        window->Initialise();
        return *window;
    }

    void dispatch(const SmallMessage& small) {
        LargeMessage record{};
        std::memcpy(record.bytes, &small, sizeof small);
        link.OnCopyData(record, kSmallMessageSize);
    }
    template <typename Layout> void dispatch(const Layout& layout) {
        link.OnCopyData(ToLarge(layout), kLargeMessageSize);
    }

    TempHome home;
    CommandChannel channel;
    ServerLink link{&channel};
    // Ends before the channel, so a delivery in progress is never left waiting for it.
    FakeServer server;
    ReadingModelRegistry registry;
    FollowModels models{registry};
    FakeReadingWindows windows;
    MessageRecorder messages;
    std::unique_ptr<CMainDlg> window;
};

TEST_F(MainWindow, StartsOnTheForumTabWithoutFollowsAndOnTheListWithOne) {
    open();
    EXPECT_EQ(window->TabIndex(), CMainDlg::TabForum);
    EXPECT_TRUE(window->TabButton(CMainDlg::TabForum)->IsPressed());
    EXPECT_EQ(window->size(), QSize(1024, 700));
    EXPECT_EQ(window->minimumWidth(), 1024);
    window.reset();
    AddFollow(QStringLiteral("帖"), {1});
    open();
    EXPECT_EQ(window->TabIndex(), CMainDlg::TabFollows);
    EXPECT_TRUE(window->TabButton(CMainDlg::TabFollows)->IsPressed());
    EXPECT_FALSE(window->TabButton(CMainDlg::TabForum)->IsPressed());
}

TEST_F(MainWindow, TabButtonsStandInTheirOrderAndSwitchPages) {
    open();
    window->show();
    const int order[] = {CMainDlg::TabFollows, CMainDlg::TabFocus, CMainDlg::TabForum,
                         CMainDlg::TabDiscounts, CMainDlg::TabHelp};
    const char16_t* captions[] = {u"我的关注", u"天涯聚焦", u"天涯论坛", u"折扣精选", u"帮助"};
    for (int i = 0; i < 5; ++i) {
        CSkinButton* button = window->TabButton(order[i]);
        EXPECT_EQ(button->text(), QString::fromUtf16(captions[i]));
        if (i > 0) {
            EXPECT_GT(button->x(), window->TabButton(order[i - 1])->x());
        }
        button->click();
        EXPECT_EQ(window->TabIndex(), order[i]);
        for (int tab = 0; tab < 5; ++tab) {
            EXPECT_EQ(window->Page(tab)->isVisible(), tab == order[i]);
            EXPECT_EQ(window->TabButton(tab)->IsPressed(), tab == order[i]);
        }
    }
}

TEST_F(MainWindow, HelpTabLoadsOnceAndLowersItsCounter) {
    home.WriteFile(QStringLiteral("Quillmere.ini"), "[HelpTip]\nHelpDetail=5\nDelMyFocus=1\n");
    TheHelpTips().Read();
    open();
    window->TabButton(CMainDlg::TabHelp)->click();
    EXPECT_EQ(TheHelpTips().Value(HelpTips::HelpDetail), 1);
    window->TabButton(CMainDlg::TabFollows)->click();
    window->TabButton(CMainDlg::TabHelp)->click();
    EXPECT_EQ(window->HelpPage()->LoadCount(), 1);
    EXPECT_EQ(TheHelpTips().Value(HelpTips::HelpDetail), 0);
    EXPECT_TRUE(window->HelpPage()->VersionLabel()->text().endsWith(QStringLiteral("0.93")));
    TheHelpTips().WriteZeros();
    QFile ini(home.File(QStringLiteral("Quillmere.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("HelpDetail=0")));
    EXPECT_TRUE(text.contains(QStringLiteral("ClickToDown=0")));
}

TEST_F(MainWindow, RightClickInTheCornerWritesBothLogs) {
    open();
    window->show();
    struct Case {
        QPoint at;
        bool writes;
    } cases[] = {{{10, 50}, true},  {{0, 40}, true},   {{19, 66}, true},  {{25, 50}, false},
                 {{10, 70}, false}, {{20, 50}, false}, {{10, 67}, false}, {{10, 39}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1,%2").arg(c.at.x()).arg(c.at.y()).toStdString());
        QFile::remove(home.File(QStringLiteral("ClientLog.txt")));
        const int before = server.CountOf(CDTWriteLog);
        QTest::mouseClick(window.get(), Qt::RightButton, {}, c.at);
        server.Settle(c.writes ? 0 : 200);
        if (c.writes) {
            ASSERT_TRUE(PumpUntil([&] { return server.CountOf(CDTWriteLog) == before + 1; }, 5000));
        }
        EXPECT_EQ(QFile::exists(home.File(QStringLiteral("ClientLog.txt"))), c.writes);
        EXPECT_EQ(server.CountOf(CDTWriteLog), before + (c.writes ? 1 : 0));
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindow, RecordsForAReadingWindowReachTheWindowOfTheirFollow) {
    open();
    windows.Open(7, {}, 0, {});
    auto* seven = static_cast<FakeReadingWindows::Window*>(windows.Find(7));
    auto reply = MakeRecord<ReplyAnswer>(CDTReply);
    reply.focusPageNo.Set(7);
    reply.result.Set(1);
    reply.message.Set(QStringLiteral("回复成功"));
    dispatch(reply);
    dispatch(MakeSmall(CDTRefresh, 7));
    dispatch(MakeSmall(CDTUserSet, 7, 9, 0, 1));
    dispatch(MakeSmall(CDTUserSet, 7, 0, 0, 0));
    dispatch(MakeSmall(CDTReadNeedNext, 7, 11, 20, 1));
    dispatch(MakeSmall(CDTReadNeedLast, 7, 3, 5, 1));
    dispatch(MakeSmall(CDTGetAllNewestWebpage, 7));
    auto pictures = MakeRecord<GetImgMessage>(CDTGetImg);
    pictures.focusPageNo.Set(7);
    pictures.entryCount.Set(2);
    pictures.pictureAddress.Set(QStringLiteral("http://img/p.png"));
    dispatch(pictures);
    // The same records for a follow without a window go nowhere.
    dispatch(MakeSmall(CDTRefresh, 8));
    dispatch(MakeSmall(CDTGetAllNewestWebpage, 8));
    const QStringList expected = {
        QStringLiteral("reply 1 回复成功"), QStringLiteral("refresh"),
        QStringLiteral("chosen 9 1"),       QStringLiteral("chosen 0 0"),
        QStringLiteral("later 11 20"),      QStringLiteral("earlier 3 5"),
        QStringLiteral("newest"),           QStringLiteral("picture http://img/p.png 2")};
    EXPECT_EQ(seven->calls, expected);
}

TEST_F(MainWindow, SoftwareUpdateGoesToItsHandlerWithTheUpdateAllFlag) {
    home.WriteFile(QStringLiteral("Quillmere.ini"), "[Base]\nUpdateAll=1\n");
    QStringList seen;
    window = std::make_unique<CMainDlg>(&link, &models, &windows);
    window->SetSoftwareUpdateHandler([&](const SoftVersionInfo& info, int updateAll) {
        seen << info.updateKind + QStringLiteral(" ") + info.message + QStringLiteral(" ") +
                    QString::number(updateAll);
    });
    window->SetFollowLimitDelayMs(3600000);
    window->Initialise();
    auto update = MakeRecord<SoftVerUpdateMessage>(CDTSoftVerUpdate);
    update.updateKind.Set(QStringLiteral("必须"));
    update.message.Set(QStringLiteral("新版本"));
    dispatch(update);
    EXPECT_EQ(seen, QStringList{QStringLiteral("必须 新版本 1")});
}

TEST_F(MainWindow, RecommendationBatchesAddUp) {
    open();
    std::vector<HotRecommendItem> items(30);
    for (int i = 0; i < 30; ++i)
        items[i] = {QStringLiteral("<b>%1</b>").arg(i), QStringLiteral("http://z/%1").arg(i), 100,
                    50};
    const std::vector<LargeMessage> records = SplitHotRecommend(items);
    ASSERT_EQ(records.size(), 2u);
    link.OnCopyData(records[0], kLargeMessageSize);
    EXPECT_EQ(TheHotRecommendList().Count(), 25);
    link.OnCopyData(records[1], kLargeMessageSize);
    link.OnCopyData(records[0], kLargeMessageSize);
    EXPECT_EQ(TheHotRecommendList().Count(), 55);
    EXPECT_EQ(TheHotRecommendList().Copy()[26].text, QStringLiteral("http://z/26"));
}

TEST_F(MainWindow, ServerRunLogsInAgainOnlyWhenLoggedIn) {
    open();
    dispatch(MakeSmall(CDTSvrRun));
    server.Settle();
    EXPECT_EQ(server.CountOf(CDTLogin), 0);
    TheLoginState() = {QStringLiteral("demo"), QStringLiteral("demo123"), 1};
    dispatch(MakeSmall(CDTSvrRun));
    const LargeMessage* login = server.WaitFor(CDTLogin);
    ASSERT_NE(login, nullptr);
    const auto request = FromLarge<LoginRequest>(*login);
    EXPECT_EQ(request.userName.Get(), QStringLiteral("demo"));
    EXPECT_EQ(request.password.Get(), QStringLiteral("demo123"));
    EXPECT_TRUE(request.verifyCode.Get().isEmpty());
}

TEST_F(MainWindow, LoginAnswersSetTheLoginState) {
    open();
    TheLoginState() = {QStringLiteral("demo"), QStringLiteral("pw"), 0};
    auto answer = MakeRecord<LoginAnswer>(CDTLogin);
    answer.result.Set(1);
    dispatch(answer);
    EXPECT_EQ(TheLoginState().loggedIn, 1);
    EXPECT_EQ(ReadSettingText(QStringLiteral("Base"), QStringLiteral("UserName")),
              QStringLiteral("demo"));
    answer.result.Set(0);
    dispatch(answer);
    EXPECT_EQ(TheLoginState().loggedIn, 0);
}

TEST_F(MainWindow, AddFollowAnswers) {
    open();
    const int a = AddFollow(QStringLiteral("新帖"), {1, 2, 3});
    auto answer = MakeRecord<AddFocusAnswer>(CDTAddFocusWebpage);
    answer.focusPageNo.Set(a);
    answer.message.Set(QStringLiteral("\"新帖\"添加关注成功!"));

    // Result 0: one notice, nothing opened.
    answer.result.Set(0);
    dispatch(answer);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("\"新帖\"添加关注成功!")});
    EXPECT_TRUE(windows.calls.isEmpty());
    // The model was opened, so the row is there, temporary.
    ASSERT_EQ(window->FollowList()->List()->rowCount(), 1);
    EXPECT_EQ(window->FollowList()->List()->item(0, 4)->text(), QStringLiteral("临时阅读"));

    // Result 1 answered no: the question, nothing opened, the follow stays temporary.
    messages.shown.clear();
    messages.answers = {7};
    answer.result.Set(1);
    dispatch(answer);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, 4);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("\"新帖\"添加关注成功!"
                                                     "是否立即阅读？\n此贴为临时阅读状态，您可以在"
                                                     "\"我的关注\"选项卡里将此贴改为永久阅读。"));
    EXPECT_TRUE(windows.calls.isEmpty());
    EXPECT_EQ(window->FollowList()->List()->rowCount(), 1);

    // Yes opens the reading window with the catalogue's title.
    dispatch(answer);
    EXPECT_EQ(windows.calls, QStringList{QStringLiteral("open %1 新帖 3 ").arg(a)});
}

TEST_F(MainWindow, AGoneThreadIsDeletedOnYes) {
    const int a = AddFollow(QStringLiteral("旧帖"), {1}, 0);
    open();
    messages.answers = {7};
    dispatch(MakeSmall(CDTNoWebpage, a));
    EXPECT_EQ(window->FollowList()->List()->rowCount(), 1);
    dispatch(MakeSmall(CDTNoWebpage, a));
    EXPECT_EQ(
        messages.Texts(),
        (QStringList{QStringLiteral("\"旧帖\"已经从服务器删除，建议从您的关注删除！是否立即删除？"),
                     QStringLiteral("\"旧帖\"已经从服务器删除，建议从您的关注删除！是否立即删除？"),
                     QStringLiteral("删除成功！")}));
    EXPECT_EQ(window->FollowList()->List()->rowCount(), 0);
    // A follow number the catalogue does not know asks nothing.
    dispatch(MakeSmall(CDTNoWebpage, 999));
    EXPECT_EQ(messages.shown.size(), 3);
}

TEST_F(MainWindow, NewPageReportsAreQueuedAndFrontPageReloads) {
    const int a = AddFollow(QStringLiteral("帖"), {1});
    open();
    dispatch(MakeSmall(CDTNewGetWebpage, a, 4));
    dispatch(MakeSmall(CDTNewGetWebpage, a, 6));
    EXPECT_EQ(window->FollowList()->Queue().Copy(), (QList<QPair<int, int>>{{a, 6}}));
    EXPECT_FALSE(LogLinesContaining(
                     QStringLiteral("OnCopyData NewGetWebpage ulFocusIndex=%1 ulPageNO=6").arg(a))
                     .isEmpty());
}

TEST_F(MainWindow, NothingIsHandledOnceClosingBegan) {
    open();
    window->show();
    window->close();
    EXPECT_TRUE(link.IsClosing());
    messages.shown.clear();
    auto answer = MakeRecord<AddFocusAnswer>(CDTAddFocusWebpage);
    answer.result.Set(0);
    answer.message.Set(QStringLiteral("x"));
    dispatch(answer);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(windows.calls.contains(QStringLiteral("close all")));
    // The reader's window no longer takes records: a sender finds no peer.
    CommandChannel probe;
    probe.StartChannel(QString::fromLatin1(ServerLink::kReaderTitle));
    EXPECT_EQ(probe.FindPeer(), CommandChannel::PeerMissing);
}

TEST_F(MainWindow, StaleFollowCheck) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString fiveDaysAndHours = TimeText(now - 5 * 86400 - 5 * 3600);
    const QString sixDays = TimeText(now - 6 * 86400 - 60);
    const QString tenDays = TimeText(now - 10 * 86400 - 60);
    const QString today = TimeText(now - 60);
    // Follow A: noticed 5 days and some hours ago, quiet for ten: not examined.
    const int a = AddFollow(QStringLiteral("A"), {1}, 0, tenDays);
    SetNotifyDelTime(fiveDaysAndHours, a);
    // B: noticed six days ago, but its newest post is from today.
    const int b = AddFollow(QStringLiteral("B"), {1}, 0, today);
    SetNotifyDelTime(sixDays, b);
    // C and D: six days and quiet for ten days: asked.
    const int c = AddFollow(QStringLiteral("C"), {1, 2}, 0, tenDays);
    SetNotifyDelTime(sixDays, c);
    const int d = AddFollow(QStringLiteral("D"), {1}, 0, tenDays);
    SetNotifyDelTime(sixDays, d);
    // E: six days, no pages at all.
    const int e = AddFollow(QStringLiteral("E"), {}, 0);
    SetNotifyDelTime(sixDays, e);
    open();
    messages.answers = {6, 7};
    window->RunStaleFollowCheck();
    EXPECT_EQ(messages.Texts(),
              (QStringList{QStringLiteral("\"C\"已经10天未更新，是否从您的关注删除？"),
                           QStringLiteral("\"D\"已经10天未更新，是否从您的关注删除？")}));
    FollowRecord record;
    ReadFollowedThread(c, record);
    EXPECT_EQ(record.deleteFocus, 1);
    ReadFollowedThread(d, record);
    EXPECT_EQ(record.deleteFocus, 0);
    EXPECT_LE(std::abs(ParseTimeText(record.notifyDelTime) - now), 60);
    ReadFollowedThread(a, record);
    EXPECT_EQ(record.notifyDelTime, fiveDaysAndHours);
    // Answered no, D is not asked about again.
    messages.shown.clear();
    window->RunStaleFollowCheck();
    for (const QString& text : messages.Texts())
        EXPECT_FALSE(text.startsWith(QStringLiteral("\"D\""))) << text.toStdString();
}

TEST_F(MainWindow, StaleFollowCheckRunsByItselfAfterItsDelay) {
    const int c = AddFollow(QStringLiteral("C"), {1}, 0,
                            TimeText(QDateTime::currentSecsSinceEpoch() - 8 * 86400));
    SetNotifyDelTime(TimeText(QDateTime::currentSecsSinceEpoch() - 8 * 86400), c);
    window = std::make_unique<CMainDlg>(&link, &models, &windows);
    window->SetFollowLimitDelayMs(3600000);
    window->SetStaleCheckDelayMs(10);
    messages.answers = {7};
    window->Initialise();
    ASSERT_TRUE(PumpUntil([&] { return !messages.shown.isEmpty(); }, 5000));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("\"C\"已经8天未更新，是否从您的关注删除？"));
}

// A question that waits for the user longer than the channel's stall limit does not make the
// server deliver its record a second time.
TEST(ServerLinkDelivery, AQuestionHeldOpenDoesNotHoldTheSender) {
    TempHome home;
    CommandChannel readerChannel;
    ServerLink link(&readerChannel);
    link.SetStallLimitMs(200);
    ASSERT_TRUE(link.Start({}));
    int answers = 0;
    QObject::connect(&link, &ServerLink::threadGone, [&](int) {
        ++answers;
        Pump(800); // the user thinks
    });
    CommandChannel serverChannel;
    serverChannel.StartChannel(QString::fromLatin1(ServerLink::kReaderTitle));
    serverChannel.QueueSmall(MakeSmall(CDTNoWebpage, 3));
    ASSERT_TRUE(PumpUntil([&] { return answers > 0; }, 5000));
    Pump(1500);
    EXPECT_TRUE(serverChannel.WaitUntilIdle(100));
    EXPECT_EQ(answers, 1);
}

} // namespace
