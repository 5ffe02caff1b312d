#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <thread>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }
    TempHome home;
};

TEST_F(LogTest, LineHasTimeTagAndMessageWithoutPercent) {
    Log(QStringLiteral("page %d of %s"), LogWarn);
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].message, QStringLiteral("page %d of %s"));
    EXPECT_EQ(entries[0].level, LogWarn);
    const QString& line = entries[0].line;
    ASSERT_GE(line.size(), 8);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(line.left(8)).hasMatch())
        << line.toStdString();
    EXPECT_EQ(line.mid(8), QStringLiteral("  WarnSysInfoLog   page d of s"));
}

TEST_F(LogTest, LevelTags) {
    const struct {
        int level;
        const char* tag;
    } cases[] = {{0, "  NormalSysInfoLog   "},
                 {1, "  WarnSysInfoLog   "},
                 {2, "  ErrorSysInfoLog   "},
                 {7, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(BuildLogLine(0, c.level, QStringLiteral("x")).mid(8),
                  QString::fromLatin1(c.tag) + QStringLiteral("x"))
            << c.level;
}

TEST_F(LogTest, LongLineIsCutTo256BeforePercentRemoval) {
    Log(QString(300, QLatin1Char('a')));
    EXPECT_EQ(LogEntries().last().line.size(), 256);
    // The cut comes first, so percent signs inside the first 256 characters shorten the line.
    const QString withPercents = QString(10, QLatin1Char('%')) + QString(300, QLatin1Char('b'));
    EXPECT_EQ(BuildLogLine(0, 0, withPercents).size(), 246);
}

// A thread whose title runs to millions of characters is logged on every refresh: each entry
// keeps only what its line can show, in its text and in the memory behind it.
TEST_F(LogTest, HugeMessagesAreCutWhenLogged) {
    const QString title(1900000, QChar(0x5E16));
    for (int i = 0; i < 120; ++i)
        Log(title + QStringLiteral("   %d").arg(i));
    for (const LogEntry& entry : LogEntries()) {
        EXPECT_EQ(entry.message, title.left(kMaxLogLineLength));
        EXPECT_LE(entry.message.capacity(), kMaxLogLineLength);
        EXPECT_EQ(entry.line.size(), kMaxLogLineLength);
        EXPECT_LE(entry.line.capacity(), kMaxLogLineLength);
    }
    // A character outside the basic plane is not split in two.
    Log(QString(kMaxLogLineLength - 1, QLatin1Char('a')) + QStringLiteral("\U0001F600tail"));
    EXPECT_EQ(LogEntries().last().message, QString(kMaxLogLineLength - 1, QLatin1Char('a')));
}

TEST_F(LogTest, KeepsNewest10000Entries) {
    for (int i = 0; i <= kMaxLogEntries; ++i)
        Log(QString::number(i));
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), kMaxLogEntries);
    EXPECT_EQ(entries.first().message, QStringLiteral("1"));
    EXPECT_EQ(entries.last().message, QString::number(kMaxLogEntries));
}

TEST_F(LogTest, WritingTwiceGivesTheSameFile) {
    Log(QStringLiteral("第一行 one"));
    Log(QStringLiteral("second"), LogError);
    ASSERT_TRUE(WriteLogFile(QStringLiteral("SvrLog.txt")));
    const QByteArray first = readFile(home.File(QStringLiteral("SvrLog.txt")));
    ASSERT_TRUE(WriteLogFile(QStringLiteral("SvrLog.txt")));
    EXPECT_EQ(readFile(home.File(QStringLiteral("SvrLog.txt"))), first);
    const QList<QByteArray> lines = first.split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest after the last break
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("  NormalSysInfoLog   第一行 one").toUtf8()));
    EXPECT_TRUE(lines[1].endsWith("  ErrorSysInfoLog   second"));
    EXPECT_FALSE(first.contains('\r'));
}

TEST_F(LogTest, UnwritableFileLeavesTheLogAlone) {
    Log(QStringLiteral("kept"));
    EXPECT_FALSE(WriteLogFile(QStringLiteral("no/such/folder/SvrLog.txt")));
    EXPECT_EQ(LogEntries().size(), 1);
}

TEST_F(LogTest, ThreadRegistryCountsAndStops) {
    ThreadRegistry registry;
    std::thread([] {
        ThreadBegin(QStringLiteral("Worker"));
        ThreadEnd(QStringLiteral("Worker"));
    }).join();
    auto begins = LogLinesContaining(QStringLiteral("begin!"));
    auto ends = LogLinesContaining(QStringLiteral("end!"));
    ASSERT_EQ(begins.size(), 1);
    ASSERT_EQ(ends.size(), 1);
    EXPECT_TRUE(begins[0].contains(QStringLiteral("Worker     Thread ")));
    EXPECT_TRUE(begins[0].endsWith(QStringLiteral("begin! Thread num=1  ")));
    EXPECT_TRUE(ends[0].endsWith(QStringLiteral("end! Thread num=0  ")));
    // A thread ending during normal running does not signal the all-ended event.
    EXPECT_FALSE(AllThreadsEndedSignalled());

    // A worker that watches the stop flag ends when StopAllThreads asks.
    std::atomic<bool> started{false};
    std::thread worker([&] {
        ThreadBegin(QStringLiteral("Loop"));
        started = true;
        while (!StopRequested())
            registry.GuardWake().WaitFor(5000);
        ThreadEnd(QStringLiteral("Loop"));
    });
    while (!started)
        std::this_thread::yield();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(StopAllThreads(15000));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    worker.join();
    EXPECT_EQ(LogLinesContaining(QStringLiteral("All thread exit")).size(), 1);
}

TEST_F(LogTest, StopAllThreadsWarnsAboutAThreadThatStaysAlive) {
    ThreadRegistry registry;
    std::atomic<bool> release{false};
    std::thread stubborn([&] {
        ThreadBegin(QStringLiteral("Stubborn"));
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ThreadEnd(QStringLiteral("Stubborn"));
    });
    while (RunningThreadCount() == 0)
        std::this_thread::yield();
    EXPECT_FALSE(StopAllThreads(100));
    EXPECT_EQ(LogLinesContaining(QStringLiteral("Some thread no exit")).size(), 1);
    release = true;
    stubborn.join();
}

} // namespace
