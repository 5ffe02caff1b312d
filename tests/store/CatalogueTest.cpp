#include "store/Catalogue.h"
#include "common/Utilities.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TempHome.h"

#include <QFile>

#include <ctime>
#include <gtest/gtest.h>

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureCatalogueFile());
        ClearLog();
    }

    static FollowRecord Follow(int number) {
        FollowRecord follow;
        EXPECT_TRUE(ReadFollowedThread(number, follow)) << number;
        return follow;
    }

    TempHome home;
};

// Column names and declared types of a catalogue table, in order.
QList<QString> Columns(const QString& table) {
    DbRowList rows;
    DbError error;
    EXPECT_TRUE(QueryRows(QStringLiteral("pragma table_info(") + table + QStringLiteral(");"), rows,
                          error, kCatalogueName));
    QList<QString> columns;
    for (const DbRow& row : rows)
        columns.append(row[1] + QLatin1Char(' ') + row[2].toLower() +
                       (row[5] == QLatin1String("1") ? QStringLiteral(" key") : QString()));
    return columns;
}

TEST_F(CatalogueTest, DeliveredFileHasBothTablesEmptyWithTheirColumnsInOrder) {
    EXPECT_EQ(Columns(QStringLiteral("WebpageBaseInfo")),
              (QList<QString>{"FocusPageNo integer key", "WebpageUrl text", "WebpageName text",
                              "NotifyDelTime text", "WebpageAuthor text", "DBFileName text",
                              "RenovateSpan integer", "DeleteFocus integer", "PageCount integer"}));
    EXPECT_EQ(Columns(QStringLiteral("TianyaFocusInfo")),
              (QList<QString>{"TianyaFocusNo integer key", "FocusType text", "FocusTitle text",
                              "FocusUrl text"}));
    QList<FollowRecord> follows;
    QList<FocusItem> items;
    EXPECT_TRUE(ListFollowedThreads(follows));
    EXPECT_TRUE(ListFrontPageItems(items));
    EXPECT_TRUE(follows.isEmpty());
    EXPECT_TRUE(items.isEmpty());
}

TEST_F(CatalogueTest, AnExistingCatalogueIsNeverReplaced) {
    ASSERT_TRUE(AddFollowedThread("http://a/1", "t", "u", "1.db", 3));
    ASSERT_TRUE(EnsureCatalogueFile());
    QList<FollowRecord> follows;
    ASSERT_TRUE(ListFollowedThreads(follows));
    EXPECT_EQ(follows.size(), 1);
}

TEST_F(CatalogueTest, ANewFollowIsStoredAsATemporaryReadingWithItsTextsIntact) {
    const QString title = QStringLiteral("it's \"天涯\"; -- 😀\t'');");
    const QString author = QStringLiteral("O'Brien");
    const qint64 before = std::time(nullptr);
    ASSERT_TRUE(
        AddFollowedThread("http://Forum/Post-1.shtml", title, author, "1-20200101-000000.db", 42));

    QList<FollowRecord> follows;
    ASSERT_TRUE(ListFollowedThreads(follows));
    ASSERT_EQ(follows.size(), 1);
    const FollowRecord& f = follows.first();
    EXPECT_GT(f.focusPageNo, 0);
    EXPECT_EQ(f.webpageUrl, QStringLiteral("http://Forum/Post-1.shtml"));
    EXPECT_EQ(f.webpageName, title);
    EXPECT_EQ(f.webpageAuthor, author);
    EXPECT_EQ(f.dbFileName, QStringLiteral("1-20200101-000000.db"));
    EXPECT_EQ(f.renovateSpan, 300);
    EXPECT_EQ(f.deleteFocus, 1);
    EXPECT_EQ(f.pageCount, 42);
    const qint64 followed = ParseTimeText(f.notifyDelTime);
    EXPECT_GE(followed, before);
    EXPECT_LE(followed, static_cast<qint64>(std::time(nullptr)));

    EXPECT_EQ(Follow(f.focusPageNo).webpageName, title);
}

TEST_F(CatalogueTest, FindingAFollowByAddress) {
    ASSERT_TRUE(AddFollowedThread("http://forum/a-1.shtml", "A", "x", "1.db", 1));
    ASSERT_TRUE(AddFollowedThread("http://forum/B-2.shtml", "B", "y", "2.db", 1));
    const struct {
        const char* address;
        bool followed;
        int number;
    } cases[] = {
        {"http://forum/a-1.shtml", true, 1},
        {"HTTP://FORUM/A-1.SHTML", true, 0}, // followed, but the number needs the exact text
        {"http://forum/B-2.shtml", true, 2},
        {"http://forum/b-2.shtml", true, 0},
        {"http://forum/c-3.shtml", false, 0},
        {"' or '1'='1", false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsThreadFollowed(QString::fromUtf8(c.address)), c.followed) << c.address;
        EXPECT_EQ(FindFollowNumber(QString::fromUtf8(c.address)), c.number) << c.address;
    }
}

TEST_F(CatalogueTest, ReaderMarksAndRemovesFollowsByNumber) {
    ASSERT_TRUE(AddFollowedThread("http://f/1", "one", "a", "1.db", 1));
    ASSERT_TRUE(AddFollowedThread("http://f/2", "two", "b", "2.db", 1));

    ASSERT_TRUE(MarkFollowPermanent(1));
    EXPECT_EQ(Follow(1).deleteFocus, 0);
    EXPECT_EQ(Follow(2).deleteFocus, 1);
    ASSERT_TRUE(MarkFollowDeleted(1));
    EXPECT_EQ(Follow(1).deleteFocus, 1);

    ASSERT_TRUE(SetNotifyDelTime(QStringLiteral("2021-02-03 04:05:06"), 2));
    EXPECT_EQ(Follow(2).notifyDelTime, QStringLiteral("2021-02-03 04:05:06"));
    EXPECT_NE(Follow(1).notifyDelTime, QStringLiteral("2021-02-03 04:05:06"));

    ASSERT_TRUE(DeleteFollowedThread(2));
    FollowRecord gone;
    EXPECT_FALSE(ReadFollowedThread(2, gone));
    EXPECT_FALSE(ReadFollowedThread(99, gone));
    EXPECT_TRUE(ErrorMessages().isEmpty()); // a missing row is not a database failure

    // A removed follow's number is not given to the next thread.
    ASSERT_TRUE(AddFollowedThread("http://f/3", "three", "c", "3.db", 1));
    EXPECT_EQ(FindFollowNumber("http://f/3"), 3);
}

TEST_F(CatalogueTest, FrontPageItemsAreReplacedInOrder) {
    const QList<FocusItem> first = {{"推荐", "a'1", "http://a/1"}, {"热帖", "b", "http://b/2"}};
    ASSERT_TRUE(ReplaceFrontPageItems(first));
    const QList<FocusItem> second = {
        {"x", "c", "http://c/3"}, {"y", "d", "http://d/4"}, {"z", "e", "http://e/5"}};
    ASSERT_TRUE(ReplaceFrontPageItems(second));
    QList<FocusItem> items;
    ASSERT_TRUE(ListFrontPageItems(items));
    ASSERT_EQ(items.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].focusType, second[i].focusType);
        EXPECT_EQ(items[i].focusTitle, second[i].focusTitle);
        EXPECT_EQ(items[i].focusUrl, second[i].focusUrl);
    }
    ASSERT_TRUE(ReplaceFrontPageItems({}));
    ASSERT_TRUE(ListFrontPageItems(items));
    EXPECT_TRUE(items.isEmpty());
}

TEST(CatalogueWithoutFileTest, OperationsFailWhenTheTablesAreMissing) {
    TempHome home; // no EnsureCatalogueFile: nothing creates the tables at run time
    ClearLog();
    QList<FollowRecord> follows;
    EXPECT_FALSE(ListFollowedThreads(follows));
    EXPECT_FALSE(IsThreadFollowed("http://f/1"));
    EXPECT_FALSE(AddFollowedThread("http://f/1", "t", "a", "1.db", 1));
    EXPECT_TRUE(LoggedErrorStartingWith(QStringLiteral("查询数据库文件准备失败：no such table")));
    EXPECT_TRUE(
        LoggedErrorStartingWith(QStringLiteral("执行SQL语句失败：insert into WebpageBaseInfo")));
}

} // namespace
