// The server's owner of its workers: an exit() while every worker waits, an orderly stop, and
// a runtime created and destroyed twice in one process.
#include "common/Log.h"
#include "common/Settings.h"
#include "common/ThreadRegistry.h"
#include "server/engine/EngineState.h"
#include "server/engine/ServerRuntime.h"
#include "server/fetch/FetchThreads.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <thread>

namespace {

class ServerLifetime : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }

    // Runs the helper to its end; false when it had to be killed.
    bool runHelper(const QStringList& extra, QByteArray* output, int* exitCode) {
        QProcess helper;
        helper.setProcessChannelMode(QProcess::MergedChannels);
        helper.start(BinaryPath(QStringLiteral("server_exit_helper")),
                     QStringList{QStringLiteral("--home"), home.Path()} + extra);
        if (!helper.waitForStarted(5000))
            return false;
        // Starting takes a while (the web engine); ending must not.
        QElapsedTimer timer;
        timer.start();
        while (!helper.waitForFinished(100)) {
            output->append(helper.readAll());
            const bool announced = output->contains("waiting\n") || output->contains("stopped ");
            if (timer.elapsed() > 60000 ||
                (announced && endTimer_.isValid() && endTimer_.elapsed() > kEndLimitMs)) {
                helper.kill();
                helper.waitForFinished(5000);
                return false;
            }
            if (announced && !endTimer_.isValid())
                endTimer_.start();
        }
        output->append(helper.readAll());
        *exitCode = helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
        return true;
    }

    static constexpr int kEndLimitMs = 10000;
    QElapsedTimer endTimer_;
    TempHome home;
};

// exit() runs the static destructors while the workers still wait: none of them may wait on
// anything those destructors take away, or the process never ends (and keeps its lock).
TEST_F(ServerLifetime, ExitWhileEveryWorkerWaitsEndsTheProcess) {
    QByteArray output;
    int exitCode = -2;
    ASSERT_TRUE(runHelper({}, &output, &exitCode))
        << "the process hung in exit(): " << output.toStdString();
    EXPECT_TRUE(output.contains("waiting\n")) << output.toStdString();
    EXPECT_EQ(exitCode, 0) << output.toStdString();
}

TEST_F(ServerLifetime, OrderlyStopJoinsEveryWorkerWithinTheBound) {
    QByteArray output;
    int exitCode = -2;
    ASSERT_TRUE(runHelper({QStringLiteral("--stop")}, &output, &exitCode)) << output.toStdString();
    EXPECT_TRUE(output.contains("stopped 1 in ")) << output.toStdString();
    EXPECT_EQ(exitCode, 0) << output.toStdString();
}

// Without the web engine: what a test (or a second run in one process) sees of the owner.
TEST_F(ServerLifetime, RuntimeCreatedAndDestroyedTwiceStartsFresh) {
    // Every address fails at once: nothing leaves the machine.
    for (const char* key : {"ForumFocusHost", "MakerSiteHost", "DiscountSiteHost"})
        WriteSettingText(QStringLiteral("Hosts"), QString::fromLatin1(key),
                         QStringLiteral("127.0.0.1:9"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ClearLog();
        ServerRuntime runtime;
        EXPECT_FALSE(StopRequested());
        EXPECT_EQ(&EngineState::Current(), &runtime.Engine());
        EXPECT_EQ(&CommandChannel::Process(), &runtime.Channel());
        EXPECT_EQ(runtime.Engine().loginCancel.load(), 0);
        EXPECT_EQ(runtime.Engine().follows.Rows().size(), 0);
        runtime.Engine().loginCancel = 1;
        ServerRuntimeOptions options;
        options.navigatingLoader = false;
        options.fetchPauseMs = 0;
        options.versionTries = 1;
        runtime.Start(options);
        const int workers = kPageLoaderThreads + kDirectFetchThreads;
        QElapsedTimer timer;
        timer.start();
        while (RunningThreadCount() < workers && timer.elapsed() < 10000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_GE(RunningThreadCount(), workers);
        EXPECT_TRUE(runtime.Stop(15000));
        EXPECT_EQ(RunningThreadCount(), 0);
        EXPECT_EQ(LogLinesContaining(QStringLiteral("All thread exit")).size(), 1);
        // A worker started after the stop is refused rather than left running.
        EXPECT_FALSE(runtime.Threads().Start([] {}));
    }
    EXPECT_EQ(ThreadRegistry::Current(), nullptr);
}

} // namespace
