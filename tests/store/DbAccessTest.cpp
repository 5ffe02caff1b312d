#include "store/DbAccess.h"
#include "common/FileLock.h"
#include "common/ProgramDirectory.h"
#include "store/SqlText.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

const QString kDb = QStringLiteral("Access.db");

class DbAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog();
        Run("create table T( k Integer primary key, a TEXT, b TEXT );");
    }

    void Run(const char* statement) {
        DbError error;
        ASSERT_TRUE(ExecuteSql(QString::fromUtf8(statement), kDb, error))
            << error.message.toStdString();
    }

    DbRowList Select(const QString& statement) {
        DbRowList rows;
        DbError error;
        EXPECT_TRUE(QueryRows(statement, rows, error, kDb)) << error.message.toStdString();
        return rows;
    }

    TempHome home;
};

TEST(SqlTextTest, FormatsNumbersAndQuotesEveryText) {
    struct Case {
        const char* pattern;
        std::initializer_list<SqlArg> args;
        QString expected;
    };
    const Case cases[] = {
        {"update X set a='%s' where n=%d;",
         {QStringLiteral("it's"), 7},
         QStringLiteral("update X set a='it''s' where n=7;")},
        // A value is never read as a pattern: its "%s" and "%d" stay text.
        {"values( '%s', '%s' );",
         {QStringLiteral("%s%d"), QStringLiteral("b")},
         QStringLiteral("values( '%s%d', 'b' );")},
        {"x='%s';",
         {QStringLiteral("'; drop table T; --")},
         QStringLiteral("x='''; drop table T; --';")},
        {"n=%d;", {-42}, QStringLiteral("n=-42;")},
        {"100%;", {}, QStringLiteral("100%;")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSql(c.pattern, c.args), c.expected) << c.pattern;
    EXPECT_EQ(EscapeSqlText(QStringLiteral("''")), QStringLiteral("''''"));
}

TEST_F(DbAccessTest, RelativeNameLivesInHomeAndAbsoluteNameWhereItSays) {
    EXPECT_TRUE(QFile::exists(home.File(kDb)));
    EXPECT_TRUE(QFile::exists(LockDirectory() + kDb));

    QTemporaryDir elsewhere;
    const QString absolute = elsewhere.path() + QStringLiteral("/Other.db");
    DbError error;
    ASSERT_TRUE(ExecuteSql(QStringLiteral("create table Y( a );"), absolute, error));
    EXPECT_TRUE(QFile::exists(absolute));
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("Other.db"))));
    // The lock is named by the file name alone.
    EXPECT_TRUE(QFile::exists(LockDirectory() + QStringLiteral("Other.db")));
}

TEST_F(DbAccessTest, DuplicateKeysAreSkippedAndTheRestOfTheBatchIsStored) {
    Run("insert into T values( 1, 'first', 'x' );");
    DbError error;
    // A duplicate through ExecuteSql succeeds and changes nothing.
    EXPECT_TRUE(
        ExecuteSql(QStringLiteral("insert into T values( 1, 'changed', 'y' );"), kDb, error));

    const DbRowList rows = {DbRow{"2", "new", "it's"}, DbRow{"1", "dup", "dup"},
                            DbRow{"3", "'quoted'", "a''b"}};
    ASSERT_TRUE(InsertRows(rows, kDb, QStringLiteral("T"), false, 3, 60, error));

    const DbRowList stored = Select(QStringLiteral("select k, a, b from T order by k;"));
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0][1], QStringLiteral("first"));
    EXPECT_EQ(stored[1][2], QStringLiteral("it's"));
    EXPECT_EQ(stored[2][1], QStringLiteral("'quoted'"));
    EXPECT_EQ(stored[2][2], QStringLiteral("a''b"));
    EXPECT_TRUE(ErrorMessages().isEmpty());
}

TEST_F(DbAccessTest, AutoIdNumbersRowsAndOnlyTheGivenColumnsAreUsed) {
    DbError error;
    DbRow row{"a", "b", "ignored"};
    ASSERT_TRUE(InsertRows({row, row}, kDb, QStringLiteral("T"), true, 2, 60, error));
    const DbRowList stored = Select(QStringLiteral("select k, a, b from T order by k;"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0][0], QStringLiteral("1"));
    EXPECT_EQ(stored[1][0], QStringLiteral("2"));
    EXPECT_EQ(stored[1][2], QStringLiteral("b"));
}

TEST_F(DbAccessTest, EmptyBatchCommitsAndSucceeds) {
    DbError error;
    EXPECT_TRUE(InsertRows({}, kDb, QStringLiteral("T"), false, 3, 60, error));
    EXPECT_TRUE(Select(QStringLiteral("select * from T;")).isEmpty());
}

TEST_F(DbAccessTest, AFailingRowDiscardsTheWholeBatch) {
    Run("insert into T values( 1, 'kept', '' );");
    // A run-time error (not a constraint) on one value only.
    Run("create trigger Boom before insert on T when NEW.a = 'boom' "
        "begin select abs(-9223372036854775807 - 1); end;");
    const DbRowList rows = {DbRow{"2", "fine", ""}, DbRow{"3", "boom", ""},
                            DbRow{"4", "never", ""}};
    DbError error;
    EXPECT_FALSE(InsertRows(rows, kDb, QStringLiteral("T"), false, 3, 60, error));
    EXPECT_TRUE(error.message.startsWith(QStringLiteral("插入数据失败：")))
        << error.message.toStdString();
    EXPECT_TRUE(error.message.contains(QStringLiteral("integer overflow")));
    EXPECT_EQ(error.code, SQLITE_ERROR);
    EXPECT_TRUE(LoggedErrorStartingWith(QStringLiteral("插入数据失败：")));

    const DbRowList stored = Select(QStringLiteral("select a from T order by k;"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0], QStringLiteral("kept"));
    // The connection closed cleanly: the file takes the next batch.
    EXPECT_TRUE(
        InsertRows({DbRow{"5", "later", ""}}, kDb, QStringLiteral("T"), false, 3, 60, error));
}

TEST_F(DbAccessTest, QueriesDeliverAtMostTenColumnsAndNullAsEmpty) {
    DbRowList rows = {DbRow{"stale"}};
    DbError error;
    ASSERT_TRUE(QueryRows(QStringLiteral("select 0,1,2,3,4,5,6,7,8,9,10,11;"), rows, error, kDb));
    ASSERT_EQ(rows.size(), 1);
    for (int i = 0; i < DbRow::kColumns; ++i)
        EXPECT_EQ(rows[0][i], QString::number(i));

    ASSERT_TRUE(QueryRows(QStringLiteral("select * from T;"), rows, error, kDb));
    EXPECT_TRUE(rows.isEmpty());

    Run("insert into T values( 1, null, 'x' );");
    rows = Select(QStringLiteral("select a, b from T;"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows[0][0].isEmpty());
    EXPECT_EQ(rows[0][1], QStringLiteral("x"));
}

TEST_F(DbAccessTest, FailuresComposeTheirMessagesAndLogThemAsErrors) {
    DbError error;
    const QString bad = QStringLiteral("insert into Missing values( 1 );");
    EXPECT_FALSE(ExecuteSql(bad, kDb, error));
    EXPECT_EQ(error.message, QStringLiteral("执行SQL语句失败：") + bad +
                                 QStringLiteral("   no such table: Missing"));
    EXPECT_EQ(error.code, SQLITE_ERROR);

    DbRowList rows;
    EXPECT_FALSE(QueryRows(QStringLiteral("select x from Missing;"), rows, error, kDb));
    EXPECT_EQ(error.message, QStringLiteral("查询数据库文件准备失败：no such table: Missing"));

    // A step error shows at finalize.
    EXPECT_FALSE(
        QueryRows(QStringLiteral("select abs(-9223372036854775807 - 1);"), rows, error, kDb));
    EXPECT_EQ(error.message, QStringLiteral("清除查询数据失败：integer overflow"));

    const QString unreachable = QStringLiteral("/nonexistent-folder/sub/X.db");
    EXPECT_FALSE(ExecuteSql(QStringLiteral("select 1;"), unreachable, error));
    EXPECT_TRUE(error.message.startsWith(QStringLiteral("打开数据库文件失败：") + unreachable +
                                         QStringLiteral("   ")))
        << error.message.toStdString();
    EXPECT_EQ(error.code, SQLITE_CANTOPEN);

    EXPECT_EQ(ErrorMessages().size(), 4);
}

TEST_F(DbAccessTest, ALockHeldElsewhereFailsAfterTheWaitAndKeepsTheCode) {
    FileLock holder;
    ASSERT_TRUE(holder.Lock(LockDirectory() + kDb, 0));
    const QString expected = QStringLiteral("获取数据库文件失败：") + kDb;

    struct Case {
        const char* name;
        std::function<bool(DbError&)> call;
    };
    const Case cases[] = {
        {"ExecuteSql",
         [](DbError& e) { return ExecuteSql(QStringLiteral("select 1;"), kDb, e, 50); }},
        {"QueryRows",
         [](DbError& e) {
             DbRowList rows;
             return QueryRows(QStringLiteral("select 1;"), rows, e, kDb, 50);
         }},
        {"InsertRows",
         [](DbError& e) {
             return InsertRows({DbRow{"9"}}, kDb, QStringLiteral("T"), false, 1, 0, e);
         }},
    };
    for (const Case& c : cases) {
        ClearLog();
        DbError error;
        error.code = 12345;
        EXPECT_FALSE(c.call(error)) << c.name;
        EXPECT_EQ(error.message, expected) << c.name;
        EXPECT_EQ(error.code, 12345) << c.name;
        EXPECT_EQ(ErrorMessages(), QList<QString>{expected}) << c.name;
    }
    holder.Unlock();
    DbError error;
    EXPECT_TRUE(ExecuteSql(QStringLiteral("select 1;"), kDb, error, 50));
}

TEST_F(DbAccessTest, ThreadsOfOneProcessTakeTurnsOnOneFile) {
    // Each writer's batch is one transaction: a reader sees all of it or none of it.
    constexpr int kBatches = 40, kRowsPerBatch = 10;
    std::atomic<int> failures{0}, torn{0};
    const auto writer = [&](int first) {
        for (int b = 0; b < kBatches; ++b) {
            DbRowList rows;
            for (int r = 0; r < kRowsPerBatch; ++r)
                rows.append(DbRow{QString::number(first + b * kRowsPerBatch + r), "x", ""});
            DbError error;
            if (!InsertRows(rows, kDb, QStringLiteral("T"), false, 3, 60, error))
                ++failures;
        }
    };
    std::thread a(writer, 0), b(writer, 100000);
    std::thread reader([&] {
        for (int i = 0; i < 100; ++i) {
            DbRowList rows;
            DbError error;
            if (!QueryRows(QStringLiteral("select count(*) from T;"), rows, error, kDb))
                ++failures;
            else if (rows.first().Int(0) % kRowsPerBatch != 0)
                ++torn;
        }
    });
    a.join();
    b.join();
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(Select(QStringLiteral("select count(*) from T;")).first()[0],
              QString::number(2 * kBatches * kRowsPerBatch));
}

TEST_F(DbAccessTest, StatementTextAfterTheFirstQueryIsNotRun) {
    // A query runs only its first statement, so nothing tacked on behind it takes effect.
    DbRowList rows;
    DbError error;
    ASSERT_TRUE(QueryRows(QStringLiteral("select 1; drop table T;"), rows, error, kDb));
    EXPECT_EQ(Select(QStringLiteral("select count(*) from T;")).size(), 1);
}

} // namespace
