// The follow list against a catalogue in a temporary home, with recorded reading windows.
#include "reader/CQuillmereDlg.h"
#include "reader/FollowModels.h"
#include "reader/ReaderState.h"
#include "reader/ServerLink.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/search/CSearchPanel.h"
#include "skin/CSkinListCtrl.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FollowList : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCatalogueFile();
        TheModuleFlags() = {};
        TheLoginState() = {};
        link.Start({});
    }

    // The list opened on what the catalogue holds now.
    CQuillmereDlg& open(int limitDelayMs = 3600000) {
        list = std::make_unique<CQuillmereDlg>(&link, &models, &windows);
        list->SetFollowLimitDelayMs(limitDelayMs);
        list->Initialise();
        list->resize(1000, 600);
        return *list;
    }

    QString text(int row, int column) const {
        const QTableWidgetItem* item = list->List()->item(row, column);
        return item ? item->text() : QString();
    }

    void select(const QList<int>& rows) {
        list->List()->clearSelection();
        for (int row : rows)
            list->List()->selectionModel()->select(list->List()->model()->index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
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
    std::unique_ptr<CQuillmereDlg> list;
};

TEST_F(FollowList, RowsShowTheCatalogueAndTheStoredPages) {
    const int a = AddFollow(QStringLiteral("第一帖"), {1, 2, 3, 4, 5, 6, 7, 10}, 1);
    const int b = AddFollow(QStringLiteral("第二帖"), {}, 0);
    open();
    EXPECT_EQ(list->FollowCount(), 2);
    ASSERT_EQ(list->List()->rowCount(), 2);
    EXPECT_EQ(text(0, 0), QString::number(a));
    EXPECT_EQ(text(0, 1), QStringLiteral("第一帖"));
    EXPECT_EQ(text(0, 2), QStringLiteral("楼主"));
    EXPECT_EQ(text(0, 3), QStringLiteral("8/10"));
    EXPECT_EQ(text(0, 4), QStringLiteral("临时阅读"));
    EXPECT_EQ(text(1, 0), QString::number(b));
    EXPECT_EQ(text(1, 3), QStringLiteral("0/0"));
    EXPECT_EQ(text(1, 4), QStringLiteral("永久阅读"));
    EXPECT_EQ(list->List()->horizontalHeaderItem(3)->text(), QStringLiteral("下载"));
    EXPECT_EQ(list->List()->verticalHeader()->defaultSectionSize(), 25);
}

TEST_F(FollowList, RepeatedReportsForOneThreadCollapseAndAreHandedOnePerTick) {
    const int a = AddFollow(QStringLiteral("甲"), {1});
    const int b = AddFollow(QStringLiteral("乙"), {1});
    open();
    for (int page : {3, 4, 5})
        list->QueueNewPage(a, page);
    list->QueueNewPage(b, 2);
    const QList<QPair<int, int>> expected = {{a, 5}, {b, 2}};
    EXPECT_EQ(list->Queue().Copy(), expected);

    // The server stores pages 2 to 5 of the first thread meanwhile.
    FollowRecord record;
    ReadFollowedThread(a, record);
    for (int page = 2; page <= 5; ++page)
        SavePage(record.dbFileName,
                 {{page, QStringLiteral("x"), QStringLiteral("2024-01-01 00:00:00"),
                   QStringLiteral("y")}},
                 page, record.webpageUrl);
    list->HandOneNewPage();
    EXPECT_TRUE(PumpUntil([&] { return text(0, 3) == QStringLiteral("5/5"); }, 5000))
        << text(0, 3).toStdString();
    EXPECT_EQ(list->Queue().Copy().size(), 1);
}

TEST_F(FollowList, PlainClickOpensShiftClickSelectsAnOpenWindowIsShownAgain) {
    const int a = AddFollow(QStringLiteral("甲"), {1});
    AddFollow(QStringLiteral("乙"), {1});
    open();
    list->show();
    const QRect second = list->List()->visualItemRect(list->List()->item(1, 1));
    QTest::mouseClick(list->List()->viewport(), Qt::LeftButton, Qt::ShiftModifier, second.center());
    Pump(50);
    EXPECT_TRUE(windows.calls.isEmpty());
    EXPECT_TRUE(list->List()->selectionModel()->isRowSelected(1, {}));

    const QRect first = list->List()->visualItemRect(list->List()->item(0, 1));
    QTest::mouseClick(list->List()->viewport(), Qt::LeftButton, {}, first.center());
    Pump(50);
    ASSERT_EQ(windows.calls.size(), 1);
    EXPECT_EQ(windows.calls[0], QStringLiteral("open %1 甲 1 ").arg(a));
    ASSERT_NE(server.WaitFor(CDTReadWebpage), nullptr);
    EXPECT_EQ(server.records.last()->Code(), CDTReadWebpage);

    QTest::mouseClick(list->List()->viewport(), Qt::LeftButton, {}, first.center());
    Pump(50);
    EXPECT_EQ(windows.calls.last(), QStringLiteral("show %1").arg(a));
    server.Settle();
    EXPECT_EQ(server.CountOf(CDTReadWebpage), 1);
}

TEST_F(FollowList, OpeningWithoutThePictureModuleSendsNothing) {
    const int a = AddFollow(QStringLiteral("甲"), {1});
    TheModuleFlags().getImg = 0;
    TheLoginState() = {QStringLiteral("demo"), QStringLiteral("pw"), 1};
    open();
    list->OpenReadingWindow(a, QString());
    EXPECT_EQ(windows.calls.value(0), QStringLiteral("open %1 甲 1 demo").arg(a));
    server.Settle();
    EXPECT_EQ(server.CountOf(CDTReadWebpage), 0);
    TheLoginState() = {};
}

TEST_F(FollowList, DeletingRowsTwoAndFiveOfSix) {
    QList<int> follows;
    for (int i = 0; i < 6; ++i)
        follows.append(AddFollow(QStringLiteral("帖%1").arg(i), {1}, 0));
    open();
    windows.Open(follows[5], {}, 0, {});
    windows.calls.clear();
    select({2, 5});
    list->RunMenuCommand(CQuillmereDlg::CmdDelete);
    ASSERT_EQ(list->List()->rowCount(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(text(row, 0), QString::number(follows[QList<int>{0, 1, 3, 4}[row]]));
    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("已删除2项关注，程序退出并重新运行后生效！")});
    FollowRecord record;
    ASSERT_TRUE(ReadFollowedThread(follows[2], record));
    EXPECT_EQ(record.deleteFocus, 1);
    ASSERT_TRUE(ReadFollowedThread(follows[0], record));
    EXPECT_EQ(record.deleteFocus, 0);
    // The open window of a deleted follow is closed and destroyed a second later.
    EXPECT_EQ(windows.calls, QStringList{QStringLiteral("close %1").arg(follows[5])});
    ASSERT_TRUE(PumpUntil([&] { return windows.calls.contains(QStringLiteral("destroy")); }, 3000));
    EXPECT_EQ(list->DeleteFollow(follows[5]), 0);
    EXPECT_EQ(list->DeleteFollow(follows[0]), 1);
}

TEST_F(FollowList, MakePermanentChangesOnlyTheFirstSelectedRow) {
    QList<int> follows;
    for (int i = 0; i < 4; ++i)
        follows.append(AddFollow(QStringLiteral("帖%1").arg(i), {1}, 1));
    open();
    select({1, 2, 3});
    list->RunMenuCommand(CQuillmereDlg::CmdMakePermanent);
    EXPECT_EQ(text(1, 4), QStringLiteral("永久阅读"));
    EXPECT_EQ(text(2, 4), QStringLiteral("临时阅读"));
    EXPECT_EQ(text(3, 4), QStringLiteral("临时阅读"));
    FollowRecord record;
    ReadFollowedThread(follows[1], record);
    EXPECT_EQ(record.deleteFocus, 0);
    ReadFollowedThread(follows[2], record);
    EXPECT_EQ(record.deleteFocus, 1);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("设置永久阅读成功！")});
}

TEST_F(FollowList, MenuCommandsWithoutASelectionDoNothing) {
    AddFollow(QStringLiteral("帖"), {1}, 1);
    open();
    list->List()->clearSelection();
    for (int command : {1233, 1230, 1231, 1234, 1235, 1232})
        list->RunMenuCommand(command);
    EXPECT_EQ(list->List()->rowCount(), 1);
    EXPECT_EQ(text(0, 4), QStringLiteral("临时阅读"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FollowList, AModelThatOpensAddsItsRowOnce) {
    open();
    const int a = AddFollow(QStringLiteral("新帖"), {1, 2});
    ASSERT_GT(a, 0);
    models.Open(a);
    ASSERT_TRUE(models.Exists(a));
    ASSERT_EQ(list->List()->rowCount(), 1);
    EXPECT_EQ(text(0, 3), QStringLiteral("2/2"));
    emit models.opened(a);
    EXPECT_EQ(list->List()->rowCount(), 1);
}

TEST_F(FollowList, FollowLimitNoticeAbove50) {
    for (int count : {50, 51}) {
        SCOPED_TRACE(count);
        QList<FollowRecord> all;
        ASSERT_TRUE(ListFollowedThreads(all));
        for (qsizetype i = all.size(); i < count; ++i)
            ASSERT_GT(AddBareFollow(QStringLiteral("帖")), 0);
        messages.shown.clear();
        open(50);
        Pump(300);
        if (count == 50) {
            EXPECT_TRUE(messages.shown.isEmpty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral(
                "您关注的网页已经达到51个，建议您从\"我的关注\"选项卡里删除不常阅读的帖！\n")));
        }
    }
}

// A thread followed with four pages to come: the progress cell follows the stored pages from
// 0 to 100 while the download text keeps its form.
TEST_F(FollowList, ProgressColumnFollowsThePagesAsTheyAreStored) {
    QString file;
    ASSERT_TRUE(CreateThreadDatabase(file));
    const QString address = QStringLiteral("http://www.forum.localhost/t/%1-1.shtml").arg(file);
    ASSERT_TRUE(
        AddFollowedThread(address, QStringLiteral("新帖"), QStringLiteral("楼主"), file, 4));
    const int followNo = FindFollowNumber(address);
    open();
    EXPECT_EQ(list->List()->horizontalHeaderItem(CQuillmereDlg::ColProgress)->text(),
              QStringLiteral("进度"));
    EXPECT_EQ(list->ProgressOf(followNo), 0);
    const struct {
        int page;
        int progress;
        const char* download;
    } steps[] = {{1, 25, "1/1"}, {2, 50, "2/2"}, {3, 75, "3/3"}, {4, 100, "4/4"}};
    for (const auto& step : steps) {
        SavePage(file,
                 {{step.page, QStringLiteral("作者"), QStringLiteral("2024-01-01 00:00:00"),
                   QStringLiteral("内容")}},
                 step.page, address);
        list->QueueNewPage(followNo, step.page);
        list->HandOneNewPage();
        EXPECT_TRUE(PumpUntil([&] { return list->ProgressOf(followNo) == step.progress; }, 5000))
            << step.page << ": " << list->ProgressOf(followNo);
        EXPECT_EQ(text(0, CQuillmereDlg::ColDownload), QString::fromUtf8(step.download));
    }
}

TEST_F(FollowList, ProgressValueTable) {
    const struct {
        QList<int> pages;
        int pageCount;
        int value;
    } cases[] = {
        {{}, 0, -1},             // nothing known yet
        {{}, 12, 0},             // followed, nothing stored
        {{1, 2, 3}, 12, 25},     // filling in
        {{1, 2, 3, 20}, 12, 20}, // the thread grew past the count known when followed
        {{1, 2, 3}, 3, 100},
        {{1, 2, 3, 4}, 2, 100}, // never beyond 100
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQuillmereDlg::ProgressValue(c.pages, c.pageCount), c.value)
            << c.pages.size() << " of " << c.pageCount;
}

// A search hit clicked opens its thread's reading window, then goes to the hit's page; the
// results stand in place of the list only while there are words to search.
TEST_F(FollowList, SearchHitOpensTheReadingWindowAtItsPage) {
    AddFollow(QStringLiteral("甲"), {1});
    const int b = AddFollow(QStringLiteral("乙"), {3, 7});
    open();
    list->show();
    CSearchPanel* panel = list->SearchPanel();
    ASSERT_TRUE(PumpUntil([&] { return panel->Idle(); }, 10000));
    EXPECT_FALSE(list->SearchShown());
    EXPECT_TRUE(list->List()->isVisible());
    EXPECT_FALSE(panel->Results()->isVisible());

    panel->ThreadFilter()->setCurrentIndex(panel->ThreadFilter()->findData(b));
    panel->WordsBox()->setText(QStringLiteral("内容"));
    panel->StartSearch();
    ASSERT_TRUE(PumpUntil([&] { return panel->Idle() && panel->Hits().size() == 2; }, 10000))
        << panel->Hits().size();
    EXPECT_TRUE(list->SearchShown());
    EXPECT_FALSE(list->List()->isVisible());
    EXPECT_TRUE(panel->Results()->isVisible());

    int row = -1;
    for (int i = 0; i < panel->Hits().size(); ++i)
        if (panel->Hits()[i].pageNo == 7)
            row = i;
    ASSERT_GE(row, 0);
    const QRect hit = panel->Results()->visualRect(panel->Results()->Model()->index(row, 0));
    QTest::mouseClick(panel->Results()->viewport(), Qt::LeftButton, {}, hit.center());
    Pump(50);
    const QStringList expected = {QStringLiteral("open %1 乙 2 ").arg(b),
                                  QStringLiteral("goto %1 7").arg(b)};
    EXPECT_EQ(windows.calls, expected);

    panel->WordsBox()->clear();
    EXPECT_FALSE(list->SearchShown());
    EXPECT_TRUE(list->List()->isVisible());
}

} // namespace
