#include "common/CrashHandler.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

namespace {

TEST(Crash, DumpNameFollowsTheLocalStartTime) {
    std::tm local{};
    local.tm_year = 2012 - 1900;
    local.tm_mon = 5;
    local.tm_mday = 30;
    local.tm_hour = 8;
    local.tm_min = 5;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    EXPECT_EQ(CrashDumpFileName(static_cast<int64_t>(std::mktime(&local))),
              QStringLiteral("515_2012-06-30_08-05-09.dmp"));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CrashProcessTest : public ::testing::TestWithParam<bool> {};

TEST_P(CrashProcessTest, LeavesTheDumpAndTellsTheUser) {
    TempHome home;
    home.WriteFile(QStringLiteral("Quillmere.ini"),
                   "[Hosts]\nSupportMailAddress=help@quillmere.example\n");
    const QString script = home.File(QStringLiteral("notice.sh"));
    home.WriteFile(
        QStringLiteral("notice.sh"),
        "#!/bin/sh\nprintf '%s\\n%s\\n' \"$1\" \"$2\" > \"$(dirname \"$0\")/notice.tmp\"\n"
        "mv \"$(dirname \"$0\")/notice.tmp\" \"$(dirname \"$0\")/notice.txt\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_CRASH_NOTICE"), script);
    helper.setProcessEnvironment(env);
    QStringList args{QStringLiteral("--home"), home.Path()};
    if (GetParam())
        args << QStringLiteral("--replace-handler");
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    helper.start(BinaryPath(QStringLiteral("crash_helper")), args);
    ASSERT_TRUE(helper.waitForFinished(10000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
    const int64_t after = static_cast<int64_t>(std::time(nullptr));

    const QStringList dumps =
        QDir(home.Path()).entryList({QStringLiteral("515_*.dmp")}, QDir::Files);
    ASSERT_EQ(dumps.size(), 1);
    bool nameMatches = false;
    for (int64_t t = before; t <= after; ++t)
        nameMatches = nameMatches || dumps[0] == CrashDumpFileName(t);
    EXPECT_TRUE(nameMatches) << dumps[0].toStdString();

    const QByteArray dump = readAll(home.File(dumps[0]));
    EXPECT_TRUE(dump.contains("signal: 11 SIGSEGV")) << dump.left(200).toStdString();
    EXPECT_TRUE(dump.contains("address: 0x0"));
    EXPECT_TRUE(dump.contains("backtrace:"));
    EXPECT_TRUE(dump.contains("memory map:"));
    EXPECT_TRUE(dump.contains("crash_helper")); // the map names the program

    const QString noticeFile = home.File(QStringLiteral("notice.txt"));
    for (int i = 0; i < 300 && !QFile::exists(noticeFile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const QList<QByteArray> notice = readAll(noticeFile).split('\n');
    ASSERT_GE(notice.size(), 2);
    EXPECT_EQ(QString::fromUtf8(notice[0]), home.Path() + dumps[0]);
    EXPECT_EQ(notice[1], "help@quillmere.example");
}

// false: the hook as installed; true: after another handler replaced it for a while.
INSTANTIATE_TEST_SUITE_P(Handlers, CrashProcessTest, ::testing::Bool());

} // namespace
