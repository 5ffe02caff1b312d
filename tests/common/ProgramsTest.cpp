// The two programs as real processes: single instance, start and end together.
#include "common/ChannelSocketPath.h"
#include "common/CommandChannel.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

template <typename Condition> bool waitFor(Condition condition, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// Pids of running processes whose command line holds `program` and `home`.
QList<qint64> processesOf(const QString& program, const QString& home) {
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z "))
            continue; // a zombie waiting for its parent is gone for our purposes
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        if (args.isEmpty() || !args[0].endsWith(program.toUtf8()))
            continue;
        for (const QByteArray& arg : args)
            if (QString::fromUtf8(arg).startsWith(home)) {
                pids.append(pid);
                break;
            }
    }
    return pids;
}

// An X server of the test's own, on a free display, ended when the test says so.
class XServer {
public:
    XServer() {
        process_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(10000))
            display_ = QStringLiteral(":") + QString::fromLatin1(process_.readLine().trimmed());
    }
    ~XServer() { End(); }
    bool Ready() const { return display_.size() > 1; }
    const QString& Display() const { return display_; }
    void End() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

private:
    QProcess process_;
    QString display_;
};

class ProgramsTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const QString& program :
             {QStringLiteral("Quillmere"), QStringLiteral("QuillmereServer")})
            for (qint64 pid : processesOf(program, homePath()))
                ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    QString homePath() const {
        QString path = home.Path();
        path.chop(1);
        return path;
    }
    // Starts a program detached (as the user would) with this home.
    void startDetached(const QString& program) const {
        ASSERT_TRUE(
            QProcess::startDetached(BinaryPath(program), {QStringLiteral("--home"), homePath()}));
    }
    // Starts the reader on an X display, with the platform a desktop sets; the server it
    // starts inherits both.
    void startOnDisplay(const XServer& x) const {
        QProcess reader;
        reader.setProgram(BinaryPath(QStringLiteral("Quillmere")));
        reader.setArguments({QStringLiteral("--home"), homePath()});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), x.Display());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        reader.setProcessEnvironment(environment);
        ASSERT_TRUE(reader.startDetached());
    }
    bool bothRunning() const {
        return processesOf(QStringLiteral("Quillmere"), homePath()).size() == 1 &&
               processesOf(QStringLiteral("QuillmereServer"), homePath()).size() == 1 &&
               channelTo(QStringLiteral("Quillmere")) &&
               channelTo(QStringLiteral("QuillmereServerMainDlg"));
    }
    static bool channelTo(const QString& title) {
        CommandChannel probe;
        probe.StartChannel(title);
        return probe.FindPeer() == CommandChannel::PeerFound;
    }
    static ino_t inodeOf(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    }
    // Runs a second copy in the foreground; it must end at once.
    void expectSecondCopyEndsAtOnce(const QString& program) const {
        QProcess second;
        const auto started = Clock::now();
        second.start(BinaryPath(program), {QStringLiteral("--home"), homePath()});
        ASSERT_TRUE(second.waitForFinished(5000));
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(3));
    }

    TempHome home;
};

TEST_F(ProgramsTest, ReaderStartsTheServerAndClosingItEndsBoth) {
    startDetached(QStringLiteral("Quillmere"));
    ASSERT_TRUE(waitFor([&] { return bothRunning(); }, 15000));
    const ino_t readerSocket = inodeOf(ChannelSocketPath(QStringLiteral("Quillmere")));
    const ino_t serverSocket = inodeOf(ChannelSocketPath(QStringLiteral("QuillmereServerMainDlg")));

    expectSecondCopyEndsAtOnce(QStringLiteral("Quillmere"));
    expectSecondCopyEndsAtOnce(QStringLiteral("QuillmereServer"));
    EXPECT_TRUE(bothRunning());
    EXPECT_EQ(inodeOf(ChannelSocketPath(QStringLiteral("Quillmere"))), readerSocket);
    EXPECT_EQ(inodeOf(ChannelSocketPath(QStringLiteral("QuillmereServerMainDlg"))), serverSocket);

    // The server writes its log when asked.
    CommandChannel channel;
    channel.StartChannel(QStringLiteral("QuillmereServerMainDlg"));
    channel.QueueSmall(MakeSmall(CDTWriteLog));
    ASSERT_TRUE(channel.WaitUntilIdle(5000));
    QFile log(home.File(QStringLiteral("SvrLog.txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("SendData = CDTSvrRun"));
    EXPECT_TRUE(text.contains("OnCopyData = CDTWriteLog"));

    // Closing the reader (as the system asks it to) ends the server too.
    for (qint64 pid : processesOf(QStringLiteral("Quillmere"), homePath()))
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    EXPECT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("Quillmere"), homePath()).isEmpty(); }, 5000));
    EXPECT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("QuillmereServer"), homePath()).isEmpty(); },
        5000));
}

TEST_F(ProgramsTest, KilledProgramsDoNotBlockTheNextStartAndAnOrphanedServerEnds) {
    startDetached(QStringLiteral("Quillmere"));
    ASSERT_TRUE(waitFor([&] { return bothRunning(); }, 15000));
    for (const QString& program : {QStringLiteral("Quillmere"), QStringLiteral("QuillmereServer")})
        for (qint64 pid : processesOf(program, homePath()))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("QuillmereServer"), homePath()).isEmpty(); },
        5000));

    startDetached(QStringLiteral("Quillmere"));
    ASSERT_TRUE(waitFor([&] { return bothRunning(); }, 15000));

    // A reader that dies without a word leaves a server that notices and ends.
    for (qint64 pid : processesOf(QStringLiteral("Quillmere"), homePath()))
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("QuillmereServer"), homePath()).isEmpty(); },
        8000));
}

} // namespace

namespace {

// The desktop's display goes away under the running programs (the session ends, the X server
// dies): the reader dies with it, and the server, which shows nothing, must end by itself and
// free its lock, so that the next reader start gets a working server.
TEST_F(ProgramsTest, DisplayEndedUnderTheProgramsLeavesNoServerBehind) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        GTEST_SKIP() << "no Xvfb";
    XServer first;
    ASSERT_TRUE(first.Ready());
    startOnDisplay(first);
    ASSERT_TRUE(waitFor([&] { return bothRunning(); }, 20000));
    const QList<qint64> firstServer = processesOf(QStringLiteral("QuillmereServer"), homePath());

    first.End();
    EXPECT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("Quillmere"), homePath()).isEmpty(); }, 5000));
    EXPECT_TRUE(waitFor(
        [&] { return processesOf(QStringLiteral("QuillmereServer"), homePath()).isEmpty(); }, 8000))
        << "the server outlived the display";

    XServer second;
    ASSERT_TRUE(second.Ready());
    startOnDisplay(second);
    ASSERT_TRUE(waitFor([&] { return bothRunning(); }, 20000));
    EXPECT_NE(processesOf(QStringLiteral("QuillmereServer"), homePath()), firstServer);
}

} // namespace
