#include "server/fetch/FetchQueues.h"
#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/DirectFetcher.h"
#include "server/fetch/FetchThreads.h"
#include "tests/server/fetch/EndlessAnswers.h"
#include "tests/server/fetch/FetchMachineryTest.h"
#include "tests/server/fetch/LoopbackServer.h"
#include "tests/support/TempHome.h"

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

namespace {

WebpageInfo Request(const QString& address, int type) {
    WebpageInfo request;
    request.address = address;
    request.task.type = type;
    return request;
}

QStringList DrainDirect() {
    QStringList order;
    WebpageInfo request;
    while (PopDirect(&request))
        order.append(request.address);
    return order;
}

using FetchQueuesTest = FetchMachineryTest;

TEST_F(FetchQueuesTest, PagesGoBeforePicturesAndPicturesKeepTheirOrder) {
    PushDirect(Request("pic1", TaskPicture), false);
    PushDirect(Request("pic2", TaskPicture), false);
    PushDirect(Request("pic3", TaskPicture), false);
    PushDirect(Request("page", TaskGuardRefresh), false);
    EXPECT_EQ(DrainDirect(), QStringList({"page", "pic1", "pic2", "pic3"}));
    EXPECT_FALSE(DirectQueue().MayHaveWork());
}

TEST_F(FetchQueuesTest, AtFrontPushesPutTheLatestFirst) {
    PushDirect(Request("back", TaskBatchPage), false);
    PushDirect(Request("front1", TaskBatchPage), true);
    PushDirect(Request("front2", TaskBatchPage), true);
    EXPECT_EQ(DrainDirect(), QStringList({"front2", "front1", "back"}));
}

TEST_F(FetchQueuesTest, PromotePicturesMovesMatchesAheadInOrder) {
    for (const char* address : {"p1", "p2", "p3", "p4", "p5"})
        QueuePicture(address, PageTask());
    PromotePictures({"p4", "p2", "absent"});
    EXPECT_EQ(DrainDirect(), QStringList({"p2", "p4", "p1", "p3", "p5"}));
    // On an empty queue it is a no-op.
    PromotePictures({"p1"});
    EXPECT_EQ(DirectQueue().Size(), 0);
}

TEST_F(FetchQueuesTest, APictureIsQueuedOnceWhileItWaits) {
    PageTask one, other;
    one.databaseFile = QStringLiteral("one.db");
    other.databaseFile = QStringLiteral("other.db");
    // Stored pages queue their pictures, then the opened thread queues every one not yet
    // fetched again; another thread's picture at the same address is its own download.
    for (const char* address : {"p1", "p2"})
        QueuePicture(address, one);
    for (const char* address : {"p1", "p2", "p3"})
        QueuePicture(address, one);
    QueuePicture("p1", other);
    EXPECT_EQ(DrainDirect(), QStringList({"p1", "p2", "p3", "p1"}));
    // Once taken it can be queued again: a picture that failed is asked for anew when its
    // thread is next opened.
    QueuePicture("p1", one);
    EXPECT_EQ(DirectQueue().Size(), 1);
}

TEST_F(FetchQueuesTest, QueuePictureUsesTheRegisteredStoreAndPictureType) {
    int stored = 0;
    SetPictureStore([&](WebpageInfo&) { ++stored; });
    PageTask task;
    task.type = TaskUserPage;
    task.followNumber = 7;
    QueuePicture("pic", task);
    WebpageInfo request;
    ASSERT_TRUE(PopDirect(&request));
    EXPECT_EQ(request.task.type, TaskPicture);
    EXPECT_EQ(request.task.followNumber, 7);
    EXPECT_FALSE(request.OnDocument);
    ASSERT_TRUE(request.OnDownloaded);
    request.OnDownloaded(request);
    EXPECT_EQ(stored, 1);
    SetPictureStore(nullptr);
}

TEST_F(FetchQueuesTest, BrowserQueueTakesFirstOrFirstLogin) {
    QueueBrowse("user", PageTask(), nullptr, false);
    PageTask login;
    login.type = TaskLogin;
    QueueBrowse("login1", login, nullptr, false);
    QueueBrowse("login2", login, nullptr, false);

    WebpageInfo request;
    ASSERT_TRUE(PopBrowserLogin(&request));
    EXPECT_EQ(request.address, "login1");
    ASSERT_TRUE(PopBrowser(&request));
    EXPECT_EQ(request.address, "user");
    ASSERT_TRUE(PopBrowserLogin(&request));
    EXPECT_EQ(request.address, "login2");
    EXPECT_FALSE(PopBrowserLogin(&request));
    EXPECT_FALSE(PopBrowser(&request));
    EXPECT_FALSE(NavigationQueue().MayHaveWork());

    QueueBrowse("user2", PageTask(), nullptr, false);
    EXPECT_FALSE(PopBrowserLogin(&request)) << "a non-login request is left in place";
    EXPECT_EQ(NavigationQueue().Size(), 1);
}

TEST_F(FetchQueuesTest, PushesAndPopsWriteTheirLogLines) {
    QueueDownload("http://h/a", PageTask(), nullptr, false);
    QueueBrowse("http://h/b", PageTask(), nullptr, false);
    WebpageInfo request;
    ASSERT_TRUE(PopDirect(&request));
    ASSERT_TRUE(PopBrowser(&request));
    QStringList messages;
    for (const LogEntry& entry : LogEntries())
        messages.append(entry.message);
    EXPECT_EQ(messages,
              QStringList({"PushWebpageInfoDirect   http://h/a", "PushWebpageInfoEx   http://h/b",
                           "PopWebpageInfoDirect   http://h/a", "PopWebpageInfoEx   http://h/b"}));
}

TEST_F(FetchQueuesTest, QueueDownloadHandsTheDownloadToTheLoadedQueue) {
    int documents = 0;
    QueueDownload(
        "http://h/page", PageTask(), [&](WebpageInfo&, bool&, bool) { ++documents; }, false);
    WebpageInfo request;
    ASSERT_TRUE(PopDirect(&request));
    ASSERT_TRUE(request.OnDownloaded);
    request.body = "<body>x</body>";
    request.bodyLength = int32_t(request.body.size());
    request.OnDownloaded(request);
    WebpageInfo loaded;
    ASSERT_TRUE(PopLoaded(&loaded));
    EXPECT_EQ(loaded.address, "http://h/page");
    EXPECT_EQ(loaded.body, "<body>x</body>");
    bool busy = false;
    loaded.OnDocument(loaded, busy, false);
    EXPECT_EQ(documents, 1);
    EXPECT_FALSE(PopLoaded(&loaded));
}

class DirectFetchTest : public FetchQueuesTest {
protected:
    void SetUp() override {
        FetchQueuesTest::SetUp();
        server_.Http().Get("/ok", [this](const httplib::Request&, httplib::Response& response) {
            ++hits_;
            response.set_content("body", "text/html");
        });
        server_.Http().Get("/empty", [this](const httplib::Request&, httplib::Response& response) {
            ++hits_;
            response.set_content("", "text/html");
        });
        server_.Http().Get("/missing",
                           [this](const httplib::Request&, httplib::Response& response) {
                               ++hits_;
                               response.status = 404;
                           });
        server_.Start();
    }

    LoopbackServer server_;
    std::atomic<int> hits_{0};
    std::vector<char> buffer_;
};

TEST_F(DirectFetchTest, OutcomesOfOneRequest) {
    struct Case {
        const char* path;
        int type;
        int attempts;
        int handlerCalls;
        int handlerLength;
        bool errorLine;
    };
    const Case cases[] = {
        {"/ok", TaskGuardRefresh, 1, 1, 4, false},
        {"/ok", TaskPicture, 1, 1, 4, false},
        {"/empty", TaskGuardRefresh, 1, 0, 0, false}, // a zero-byte page is dropped
        {"/missing", TaskGuardRefresh, 2, 0, 0, true},
        {"/missing", TaskPicture, 2, 1, 0, true}, // the failed picture is still recorded
    };
    for (const Case& c : cases) {
        hits_ = 0;
        ClearLog();
        int calls = 0;
        int length = -1;
        WebpageInfo request = Request(server_.Url(c.path), c.type);
        request.OnDownloaded = [&](WebpageInfo& done) {
            ++calls;
            length = done.bodyLength;
            EXPECT_EQ(done.body.size(), done.bodyLength);
        };
        ProcessDirectRequest(request, buffer_);
        SCOPED_TRACE(std::string(c.path) + " type " + std::to_string(c.type));
        EXPECT_EQ(hits_.load(), c.attempts);
        EXPECT_EQ(calls, c.handlerCalls);
        if (c.handlerCalls) {
            EXPECT_EQ(length, c.handlerLength);
        }
        const auto errorLines =
            LogLinesContaining("Get url resource error: " + server_.Url(c.path));
        EXPECT_EQ(errorLines.size(), c.errorLine ? 1 : 0);
    }
}

TEST_F(DirectFetchTest, StopFlagDropsAFailedRequestWithoutRetry) {
    StopAllThreads(10);
    int calls = 0;
    WebpageInfo request = Request(server_.Url("/missing"), TaskPicture);
    request.OnDownloaded = [&](WebpageInfo&) { ++calls; };
    ProcessDirectRequest(request, buffer_);
    EXPECT_EQ(hits_.load(), 1);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(LogLinesContaining("Get url resource error").isEmpty());
}

TEST_F(DirectFetchTest, IdleThreadWakesAtOnceAndEndsSoonAfterStop) {
    StartDirectFetchThread(threads_);
    ASSERT_TRUE(WaitUntil([] { return RunningThreadCount() == 1; }));
    // Let the thread fall asleep on the empty queue first.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));

    std::atomic<bool> downloaded{false};
    WebpageInfo request = Request(server_.Url("/ok"), TaskGuardRefresh);
    request.OnDownloaded = [&](WebpageInfo&) { downloaded = true; };
    QElapsedTimer timer;
    timer.start();
    PushDirect(request, false);
    ASSERT_TRUE(WaitUntil([&] { return downloaded.load(); }));
    // Well below the one-second idle period that a sleeping poll would cost.
    EXPECT_LT(timer.elapsed(), 500);

    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    timer.restart();
    EXPECT_TRUE(StopAllThreads(3000));
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_EQ(RunningThreadCount(), 0);
}

// Pictures that trickle for ever never take the last direct fetch thread: a page queued after
// them is downloaded while they are still arriving.
TEST_F(FetchQueuesTest, APageFindsAThreadWhilePicturesTrickle) {
    EndlessAnswers pictures;
    LoopbackServer pages;
    pages.Http().Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("page", "text/html");
    });
    pages.Start();
    constexpr int kThreads = 3;
    for (int i = 0; i < kThreads; ++i)
        StartDirectFetchThread(threads_);
    ASSERT_TRUE(WaitUntil([] { return RunningThreadCount() == kThreads; }));

    SetPictureStore([](WebpageInfo&) {});
    PageTask picture;
    for (int i = 0; i < 8; ++i)
        QueuePicture(pictures.Url(QStringLiteral("/trickle/200/%1.jpg").arg(i)), picture);
    ASSERT_TRUE(WaitUntil([&] { return pictures.Started() == kThreads - 1; }));

    std::atomic<bool> downloaded{false};
    WebpageInfo request;
    request.address = pages.Url("/page");
    request.task.type = TaskGuardRefresh;
    request.OnDownloaded = [&](WebpageInfo& done) { downloaded = done.body == "page"; };
    QElapsedTimer waited;
    waited.start();
    PushDirect(request, false);
    EXPECT_TRUE(WaitUntil([&] { return downloaded.load(); }, 10000));
    std::cout << "the page waited " << waited.elapsed() << " ms behind trickling pictures\n";
    EXPECT_EQ(pictures.Started(), kThreads - 1) << "pictures took the page's thread";
    EXPECT_EQ(DirectQueue().Size(), 8 - (kThreads - 1));

    pictures.Release();
    StopAllThreads(5000);
    SetPictureStore({});
}

TEST_F(FetchQueuesTest, ThreadsStartLoadersThenNavigatorThenFetchers) {
    std::atomic<int> loadersAtNavigatorStart{-1};
    StartFetchThreads(
        threads_, [&] { loadersAtNavigatorStart = RunningThreadCount(); }, 50);
    ASSERT_TRUE(
        WaitUntil([] { return RunningThreadCount() == kPageLoaderThreads + kDirectFetchThreads; }));
    EXPECT_EQ(loadersAtNavigatorStart.load(), kPageLoaderThreads);

    // A thread counts itself before it writes its begin line.
    QStringList begins;
    ASSERT_TRUE(WaitUntil([&] {
        begins.clear();
        for (const LogEntry& entry : LogEntries())
            if (entry.message.contains("begin!"))
                begins.append(entry.message.section(' ', 0, 0));
        return begins.size() == kPageLoaderThreads + kDirectFetchThreads;
    }));
    for (int i = 0; i < begins.size(); ++i)
        EXPECT_EQ(begins[i],
                  i < kPageLoaderThreads ? "BeginGetWebpageBase" : "BeginGetWebpageDirect")
            << i;
    EXPECT_TRUE(StopAllThreads(5000));
}

} // namespace
