#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Starts the helper with a command in this test's home.
std::unique_ptr<QProcess> StartHelper(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(BinaryPath(QStringLiteral("store_test_helper")), arguments);
    EXPECT_TRUE(process->waitForStarted(10000)) << process->errorString().toStdString();
    return process;
}

QString RunHelper(const QStringList& arguments, int* exitCode = nullptr) {
    auto process = StartHelper(arguments);
    EXPECT_TRUE(process->waitForFinished(60000));
    if (exitCode)
        *exitCode = process->exitCode();
    return QString::fromUtf8(process->readAllStandardOutput());
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateThreadDatabase(db));
        ClearLog();
    }

    TempHome home;
    QString db;
};

TEST_F(ProcessTest, AnotherProcessHoldingTheLockFailsTheCallUntilItIsKilled) {
    auto holder = StartHelper({QStringLiteral("hold-lock"), home.Path(), db});
    ASSERT_TRUE(holder->waitForReadyRead(10000));
    ASSERT_EQ(holder->readLine().trimmed(), QByteArray("locked"));

    DbError error;
    error.code = 777;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(
        ExecuteSql(QStringLiteral("insert into PageInfo values( 1, 'u');"), db, error, 200));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(error.message, QStringLiteral("获取数据库文件失败：") + db);
    EXPECT_EQ(error.code, 777);
    EXPECT_TRUE(LoggedErrorStartingWith(QStringLiteral("获取数据库文件失败：") + db));

    // A holder that dies without unlocking frees the lock at once.
    ::kill(static_cast<pid_t>(holder->processId()), SIGKILL);
    ASSERT_TRUE(holder->waitForFinished(10000));
    EXPECT_TRUE(ExecuteSql(QStringLiteral("insert into PageInfo values( 1, 'u');"), db, error, 0))
        << error.message.toStdString();
    QList<int> pages;
    ASSERT_TRUE(ListStoredPages(db, pages));
    EXPECT_EQ(pages, QList<int>{1});
}

TEST_F(ProcessTest, AWriterAndAReaderOnOneFileNeverSeeHalfABatchOrFail) {
    constexpr int kPages = 120;
    constexpr int kPerPage = 25;
    auto writer = StartHelper({QStringLiteral("writer"), home.Path(), db, QString::number(kPages),
                               QString::number(kPerPage)});
    auto reader = StartHelper({QStringLiteral("reader"), home.Path(), db, QStringLiteral("300"),
                               QString::number(kPerPage)});
    ASSERT_TRUE(writer->waitForFinished(90000));
    ASSERT_TRUE(reader->waitForFinished(90000));
    EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardOutput().toStdString();
    EXPECT_EQ(reader->exitCode(), 0) << reader->readAllStandardOutput().toStdString();

    QList<ThreadPost> posts;
    ASSERT_TRUE(ReadWebpageFromDB(db, 1, kPages, posts));
    EXPECT_EQ(posts.size(), kPages * kPerPage);
    ViewPosition position;
    EXPECT_TRUE(ReadViewPosition(db, position));
}

TEST_F(ProcessTest, EachServerRunNumbersItsFilesFromOne) {
    int code = -1;
    const QString first = RunHelper({QStringLiteral("create"), home.Path()}, &code).trimmed();
    ASSERT_EQ(code, 0);
    const QString second = RunHelper({QStringLiteral("create"), home.Path()}, &code).trimmed();
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(first.startsWith(QStringLiteral("1-"))) << first.toStdString();
    // A second run within the same second must not reuse the first run's file.
    if (first.mid(2) == second.mid(2))
        EXPECT_TRUE(second.startsWith(QStringLiteral("2-"))) << second.toStdString();
    else
        EXPECT_TRUE(second.startsWith(QStringLiteral("1-"))) << second.toStdString();
    EXPECT_TRUE(QFile::exists(home.File(first)));
    EXPECT_TRUE(QFile::exists(home.File(second)));
}

TEST_F(ProcessTest, AReadOnlyHomeFailsEveryWriteWithItsMessageAndKeepsTheFiles) {
    ASSERT_TRUE(SavePage(db, {ThreadPost{1, "a", "2020-01-01 10:00:00", "kept"}}, 1,
                         QStringLiteral("http://x/1")));
    ASSERT_TRUE(SaveImageData(db, {ThreadPicture{1, "a", "t", 0, "http://x/a.png"}}));
    ASSERT_TRUE(RecordImageDownload(db, QStringLiteral("http://x/a.png"), true, QByteArray("png")));
    QFile original(home.File(db));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();

    // Everything readable, nothing writable; the existing lock file stays usable.
    const QString path = QDir(home.Path()).absolutePath();
    ASSERT_EQ(::chmod(QFile::encodeName(home.File(db)).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(home.File(QStringLiteral("lock/") + db)).constData(), 0666),
              0);
    ASSERT_EQ(::chmod(QFile::encodeName(home.File(QStringLiteral("lock"))).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0555), 0);

    int code = -1;
    const QString output = RunHelper({QStringLiteral("read-only"), home.Path(), db}, &code);
    ::chmod(QFile::encodeName(path).constData(), 0755);
    ::chmod(QFile::encodeName(home.File(QStringLiteral("lock"))).constData(), 0755);
    ASSERT_EQ(code, 0) << output.toStdString();

    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const auto has = [&](const QString& line) { return lines.contains(line); };
    const auto logged = [&](const QString& prefix) {
        for (const QString& line : lines)
            if (line.startsWith(QStringLiteral("LOG:") + prefix))
                return true;
        return false;
    };
    EXPECT_TRUE(has("ListStoredPages=1")) << output.toStdString();
    EXPECT_TRUE(has("ReadWebpageFromDB=1"));
    EXPECT_TRUE(has("SavePage=0"));
    EXPECT_TRUE(has("SaveSomeBodyList=0"));
    EXPECT_TRUE(has("CreateThreadDatabase=0"));
    EXPECT_TRUE(has("ExtractImage=0"));
    EXPECT_TRUE(logged(QStringLiteral("插入数据失败：")));
    EXPECT_TRUE(logged(QStringLiteral("执行SQL语句失败：delete from somebody")));
    // A new file cannot even get its lock file in a read-only home.
    EXPECT_TRUE(logged(QStringLiteral("获取数据库文件失败：")));

    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), before);
}

} // namespace
