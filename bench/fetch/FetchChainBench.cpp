// Speed of the download chain: QueueDownload -> direct fetch thread -> loaded queue -> page
// loader -> OnDocument, from a loopback server serving a typical 150 KB thread page.
#include "common/ProgramDirectory.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/DirectFetcher.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/FetchThreads.h"
#include "server/fetch/HttpFetcher.h"

#include "bench/parse/TypicalPages.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace {

// The home (for Show.html), the loopback server and the fetch threads, set up once.
class Chain {
public:
    static Chain& Instance() {
        static Chain chain;
        return chain;
    }

    QString PageUrl(int i) const {
        return QStringLiteral("http://127.0.0.1:%1/post-free-%2-1.shtml").arg(port_).arg(i);
    }

    // Queues `count` pages and waits until every one has reached its document handler.
    void LoadPages(int count) {
        {
            std::lock_guard lock(mutex_);
            remaining_ = count;
        }
        for (int i = 0; i < count; ++i) {
            PageTask task;
            task.type = TaskGuardRefresh;
            QueueDownload(
                PageUrl(i), task,
                [this](WebpageInfo& request, bool&, bool) {
                    benchmark::DoNotOptimize(request.Document.get());
                    std::lock_guard lock(mutex_);
                    if (--remaining_ == 0)
                        done_.notify_all();
                },
                false);
        }
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return remaining_ <= 0; });
    }

    ~Chain() {
        threads_.StopAll(15000);
        server_.stop();
        if (serverThread_.joinable())
            serverThread_.join();
    }

private:
    Chain() : page_(TypicalThreadPage(1)) {
        SetProgramDirectory(home_.path());
        EnsureDeliveredFiles();
        // The library listens with a backlog of 5, which seven fetch threads can overflow
        // while the accept thread waits for a core; a dropped attempt costs a 1 s retry.
        int listenSocket = -1;
        server_.set_socket_options([&listenSocket](int socket) {
            httplib::default_socket_options(socket);
            listenSocket = socket;
        });
        server_.Get(R"(/.*)", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(page_.constData(), size_t(page_.size()), "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (listenSocket >= 0)
            ::listen(listenSocket, SOMAXCONN);
        serverThread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        StartFetchThreads(threads_, nullptr, 0);
        // Let every consumer reach its idle wait, so the first measured page finds them asleep.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    QTemporaryDir home_;
    QByteArray page_;
    httplib::Server server_;
    std::thread serverThread_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable done_;
    int remaining_ = 0;
    FetchQueues queues_;
    ThreadRegistry threads_;
};

// Pages per second with seven fetch threads and four loaders busy.
void BM_ChainThroughput(benchmark::State& state) {
    Chain& chain = Chain::Instance();
    const int batch = int(state.range(0));
    for (auto _ : state)
        chain.LoadPages(batch);
    state.SetItemsProcessed(state.iterations() * batch);
    state.counters["pages/s"] =
        benchmark::Counter(double(state.iterations() * batch), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChainThroughput)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// The download alone, from as many threads as there are direct fetch threads: what the
// chain could reach if loading cost nothing.
void BM_DownloadAlone(benchmark::State& state) {
    Chain& chain = Chain::Instance();
    std::vector<char> buffer;
    QByteArray body;
    for (auto _ : state) {
        if (!FetchResource(chain.PageUrl(state.thread_index()), buffer, false, &body))
            state.SkipWithError("download failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DownloadAlone)->Threads(1)->Threads(7)->UseRealTime()->Unit(benchmark::kMillisecond);

// One page on an idle server: the consumers are asleep in their idle waits when it is queued.
void BM_IdlePageLatency(benchmark::State& state) {
    Chain& chain = Chain::Instance();
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        state.ResumeTiming();
        chain.LoadPages(1);
    }
}
BENCHMARK(BM_IdlePageLatency)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
