#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TempHome.h"

#include <QFile>

#include <functional>
#include <gtest/gtest.h>

namespace {

// Every message the access layer composes begins with one of these.
const QStringList kDescribedPrefixes = {
    QStringLiteral("获取数据库文件失败："),     QStringLiteral("打开数据库文件失败："),
    QStringLiteral("执行SQL语句失败："),        QStringLiteral("启动事务失败："),
    QStringLiteral("插入数据失败："),           QStringLiteral("结束事务失败："),
    QStringLiteral("查询数据库文件准备失败："), QStringLiteral("清除查询数据失败："),
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QList<ThreadPost> Posts(int page) {
    QList<ThreadPost> posts;
    for (int i = 0; i < 40; ++i)
        posts.append(
            ThreadPost{page, QStringLiteral("author%1").arg(i),
                       QStringLiteral("2020-01-01 10:00:%1").arg(i, 2, 10, QLatin1Char('0')),
                       QString(300, QLatin1Char('a' + i % 26))});
    return posts;
}

struct Damage {
    const char* name;
    std::function<QByteArray(const QByteArray&)> apply;
};

class DamagedFilesTest : public ::testing::TestWithParam<Damage> {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureCatalogueFile());
        ASSERT_TRUE(AddFollowedThread("http://f/1", "t", "a", "x.db", 1));
        ASSERT_TRUE(CreateThreadDatabase(db));
        for (int page = 1; page <= 20; ++page)
            ASSERT_TRUE(SavePage(db, Posts(page), page, QStringLiteral("http://f/p%1").arg(page)));
        ASSERT_TRUE(SaveImageData(db, {ThreadPicture{1, "a", "t", 0, "http://f/a.png"}}));
        ASSERT_TRUE(RecordImageDownload(db, QStringLiteral("http://f/a.png"), true, "png"));
        catalogueBefore = ReadAll(home.File(kCatalogueName));
        damaged = GetParam().apply(ReadAll(home.File(db)));
        WriteAll(home.File(db), damaged);
        ClearLog();
    }

    TempHome home;
    QString db;
    QByteArray catalogueBefore;
    QByteArray damaged;
};

TEST_P(DamagedFilesTest, EveryOperationFailsWithADescribedMessageAndOtherFilesStayIntact) {
    const struct {
        const char* name;
        std::function<bool()> run;
    } operations[] = {
        {"ReadWebpageFromDB",
         [&] {
             QList<ThreadPost> posts;
             return ReadWebpageFromDB(db, 1, 20, posts) && posts.size() == 800;
         }},
        {"ListStoredPages",
         [&] {
             QList<int> pages;
             return ListStoredPages(db, pages) && pages.size() == 20;
         }},
        {"SavePage", [&] { return SavePage(db, Posts(21), 21, QStringLiteral("http://f/p21")); }},
        {"SaveSomeBodyList", [&] { return SaveSomeBodyList(db, {"x"}, 4); }},
        {"ExportAllImages",
         [&] { return ExportAllImages(db, home.File(QStringLiteral("out"))) == 1; }},
    };
    for (const auto& operation : operations) {
        ClearLog();
        EXPECT_FALSE(operation.run()) << operation.name;
        const QList<QString> errors = ErrorMessages();
        ASSERT_FALSE(errors.isEmpty()) << operation.name;
        bool described = false;
        for (const QString& prefix : kDescribedPrefixes)
            described = described || errors.first().startsWith(prefix);
        EXPECT_TRUE(described) << operation.name << ": " << errors.first().toStdString();
    }
    // Failed writes leave even the damaged file as it was.
    EXPECT_EQ(ReadAll(home.File(db)), damaged);
    EXPECT_EQ(ReadAll(home.File(kCatalogueName)), catalogueBefore);
    QList<FollowRecord> follows;
    ASSERT_TRUE(ListFollowedThreads(follows));
    EXPECT_EQ(follows.size(), 1);
}

const Damage kDamages[] = {
    {"NotADatabase",
     [](const QByteArray&) {
         return QByteArray("this is a text file, not a database\n").repeated(200);
     }},
    {"HeaderOverwritten",
     [](const QByteArray& bytes) { return QByteArray(100, '\x5a') + bytes.mid(100); }},
    {"TruncatedToHalf", [](const QByteArray& bytes) { return bytes.left(bytes.size() / 2); }},
    {"TruncatedToOnePage", [](const QByteArray& bytes) { return bytes.left(4096); }},
    {"InnerPagesOverwritten",
     [](const QByteArray& bytes) {
         QByteArray damaged = bytes;
         for (qsizetype i = 4096; i < damaged.size(); i += 4096)
             for (int j = 0; j < 64; ++j)
                 damaged[i + j] = static_cast<char>(0xff - j);
         return damaged;
     }},
};

INSTANTIATE_TEST_SUITE_P(Files, DamagedFilesTest, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
