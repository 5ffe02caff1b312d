// The loopback sample forum: every page the reader and the server read from the forum
// and the maker's sites, generated from a seed, on one port.
#include "tools/demo-forum/DemoOptions.h"
#include "tools/demo-forum/ForumModel.h"
#include "tools/demo-forum/ForumServer.h"

#include <QCoreApplication>
#include <QTextStream>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

// Grows the growing thread on a timer until stopped.
class GrowTimer {
public:
    GrowTimer(ForumModel& model, int seconds) : model_(model), seconds_(seconds) {
        if (seconds_ > 0)
            thread_ = std::thread([this] { Run(); });
    }
    ~GrowTimer() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::seconds(seconds_), [this] { return stop_; }))
            model_.Grow(DemoThreads::Growing);
    }

    ForumModel& model_;
    int seconds_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DemoOptions options;
    QString error;
    if (!ParseDemoOptions(app.arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "%s\n%s", qPrintable(error), qPrintable(DemoUsage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(DemoUsage()), stdout);
        return 0;
    }

    // Termination stopSignals are taken by one waiting thread, which stops the server cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ForumModel model(options.seed);
    ForumServer server(model, options);
    const int port = server.Bind(options.port);
    if (port < 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    if (options.printHosts)
        std::fputs(server.Hosts().SettingsSection().toUtf8().constData(), stdout);
    if (!options.writeHosts.isEmpty() && !server.Hosts().WriteSettings(options.writeHosts)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(options.writeHosts));
        return 1;
    }
    std::printf("ready %d\n", port);
    std::fflush(stdout);

    std::thread([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    }).detach();
    if (options.exitOnStdinEof)
        std::thread([&server] {
            char buffer[256];
            while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
            }
            server.Stop();
        }).detach();

    GrowTimer grow(model, options.growEverySeconds);
    server.Serve();
    return 0;
}
