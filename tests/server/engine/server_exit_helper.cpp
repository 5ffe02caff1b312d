// Starts every worker of the server as the program does (fetch threads, navigating loader,
// start-up thread, refresh guard), waits until each of them waits for work, then calls exit()
// the way a library does when the display goes away. Prints "waiting" just before; with
// "--stop" it stops the runtime in order instead and prints the result.
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "server/engine/ServerRuntime.h"
#include "server/fetch/FetchThreads.h"
#include "store/CatalogueFile.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool allWaiting(int threads) {
    if (RunningThreadCount() != threads)
        return false;
    if (LogLinesContaining(QStringLiteral("RenovateGuardThread")).filter("begin!").isEmpty() ||
        LogLinesContaining(QStringLiteral("BeginRenovateTianya")).filter("end!").isEmpty())
        return false;
    return DirectQueue().Size() == 0 && LoadedQueue().Size() == 0 && NavigationQueue().Size() == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!InitProgramDirectory(argc, argv))
        return 2;
    bool orderly = false;
    for (int i = 1; i < argc; ++i)
        orderly = orderly || std::strcmp(argv[i], "--stop") == 0;
    // Every address fails at once: nothing leaves the machine.
    for (const char* key :
         {"ForumWwwHost", "ForumBareHost", "ForumBbsHost", "ForumCityHost", "ForumPassportHost",
          "ForumFocusHost", "MakerSiteHost", "DiscountSiteHost"})
        WriteSettingText(QStringLiteral("Hosts"), QString::fromLatin1(key),
                         QStringLiteral("127.0.0.1:9"));

    ServerRuntime runtime;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngine();
    QApplication app(argc, argv);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    ServerRuntimeOptions options;
    options.fetchPauseMs = 0;
    options.versionTries = 1;
    options.guardIntervalMs = 600000;
    runtime.Start(options);

    const int threads = kPageLoaderThreads + 1 + kDirectFetchThreads + 1;
    QElapsedTimer timer;
    timer.start();
    while (!allWaiting(threads)) {
        if (timer.elapsed() > 60000) {
            std::printf("not all waiting: %d threads\n", RunningThreadCount());
            return 3;
        }
        app.processEvents(QEventLoop::AllEvents, 20);
    }
    // Long enough for every loop to be inside its wait.
    timer.restart();
    while (timer.elapsed() < 300)
        app.processEvents(QEventLoop::AllEvents, 20);

    if (orderly) {
        timer.restart();
        const bool stopped = runtime.Stop(15000);
        std::printf("stopped %d in %lld ms\n", stopped ? 1 : 0, timer.elapsed());
        std::fflush(stdout);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return stopped ? 0 : 4;
    }
    std::printf("waiting\n");
    std::fflush(stdout);
    std::exit(0);
}
