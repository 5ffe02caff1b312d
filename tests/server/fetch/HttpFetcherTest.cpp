#include "server/fetch/HttpFetcher.h"
#include "common/Log.h"
#include "tests/server/fetch/EndlessAnswers.h"
#include "tests/server/fetch/LoopbackServer.h"
#include "tests/server/fetch/RawHttpServer.h"

#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

class HttpFetcherTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }

    std::vector<char> buffer_;
};

TEST_F(HttpFetcherTest, SplitsAddressLowerCasedAtFirstSlash) {
    struct Case {
        QString address;
        bool ok;
        QString host;
        QString path;
    };
    const Case cases[] = {
        {"http://Bbs.Forum.CN/Post/A_B.shtml", true, "bbs.forum.cn", "/post/a_b.shtml"},
        {"bbs.forum.cn/post", true, "bbs.forum.cn", "/post"},
        {"127.0.0.1:8080/", true, "127.0.0.1:8080", "/"},
        {"http://bbs.forum.cn", false, "", ""},
        {"http:///path", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        FetchTarget target;
        EXPECT_EQ(SplitFetchAddress(c.address, &target), c.ok) << c.address.toStdString();
        if (c.ok) {
            EXPECT_EQ(target.host, c.host);
            EXPECT_EQ(target.path, c.path);
        }
    }
}

TEST_F(HttpFetcherTest, RequestsLowerCasedPathWithOrWithoutScheme) {
    LoopbackServer server;
    std::vector<std::string> paths;
    std::mutex mutex;
    server.Http().Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex);
        paths.push_back(request.path);
        response.set_content("page", "text/html");
    });
    server.Start();

    QByteArray body;
    ASSERT_TRUE(FetchResource(server.Url("/Post/Thread-1.SHTML"), buffer_, false, &body));
    EXPECT_EQ(body, "page");
    ASSERT_TRUE(FetchResource(server.Host() + "/Other/X", buffer_, false, &body));
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], "/post/thread-1.shtml");
    EXPECT_EQ(paths[1], "/other/x");
}

TEST_F(HttpFetcherTest, AddressWithoutPathFailsWithoutRequestOrLog) {
    RawHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    QByteArray body;
    EXPECT_FALSE(FetchResource(QStringLiteral("http://127.0.0.1:%1").arg(server.Port()), buffer_,
                               false, &body));
    EXPECT_TRUE(body.isEmpty());
    EXPECT_TRUE(server.Requests().isEmpty());
    EXPECT_TRUE(LogEntries().isEmpty());
}

TEST_F(HttpFetcherTest, StatusDecidesSuccess) {
    LoopbackServer server;
    server.Http().Get(R"(/status/(\d+))",
                      [](const httplib::Request& request, httplib::Response& response) {
                          response.status = std::stoi(request.matches[1]);
                          if (response.status != 204)
                              response.set_content("answer", "text/html");
                      });
    server.Start();

    struct Case {
        int status;
        bool ok;
        QByteArray body;
    };
    const Case cases[] = {
        {200, true, "answer"}, {201, true, "answer"}, {204, true, ""},
        {404, false, ""},      {500, false, ""},      {403, false, ""},
    };
    for (const Case& c : cases) {
        ClearLog();
        QByteArray body = "stale";
        const QString address = server.Url(QStringLiteral("/status/%1").arg(c.status));
        EXPECT_EQ(FetchResource(address, buffer_, false, &body), c.ok) << c.status;
        EXPECT_EQ(body, c.body) << c.status;
        const QString errorLine =
            address + QStringLiteral(" download error, bQuery=1  dwStatusCode=%1").arg(c.status);
        EXPECT_EQ(LogLinesContaining(errorLine).size(), c.ok ? 0 : 1) << c.status;
        if (!c.ok) {
            EXPECT_EQ(LogEntries().last().level, LogError);
        }
    }
}

TEST_F(HttpFetcherTest, EmptyBodyIsZeroLengthAndZeroTerminated) {
    LoopbackServer server;
    server.Http().Get("/empty", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("", "text/html");
    });
    server.Start();
    QByteArray body = "stale";
    ASSERT_TRUE(FetchResource(server.Url("/empty"), buffer_, false, &body));
    EXPECT_EQ(body.size(), 0);
    EXPECT_EQ(body.constData()[0], '\0');
}

TEST_F(HttpFetcherTest, SendsExactlyTheBrowserHeadersInOrder) {
    RawHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.Port());
    const QString pictureAddress = QStringLiteral("http://") + host + "/Pic/Photo.JPG";
    QByteArray body;
    ASSERT_TRUE(FetchResource(host + "/Page.shtml", buffer_, false, &body));
    ASSERT_TRUE(FetchResource(pictureAddress, buffer_, true, &body));
    EXPECT_EQ(body, "ok");

    const QList<QByteArray> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    const QByteArray common =
        "Accept-Language: zh-cn\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)\r\n"
        "Connection: Keep-Alive\r\n\r\n";
    const QByteArray hostLine = "Host: " + host.toUtf8() + "\r\n";
    EXPECT_EQ(requests[0], "GET /page.shtml HTTP/1.1\r\n" + hostLine + "Accept: */*\r\n" + common);
    // The Referer is the address as given, letters unchanged; the request line is lower-cased.
    EXPECT_EQ(requests[1], "GET /pic/photo.jpg HTTP/1.1\r\n" + hostLine + "Accept: */*\r\n" +
                               "Referer: " + pictureAddress.toUtf8() + "\r\n" + common);
}

TEST_F(HttpFetcherTest, FollowsRedirectChainToFinalStatus) {
    LoopbackServer server;
    server.Http().Get("/a", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/b", 302);
    });
    server.Http().Get("/b", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/c", 301);
    });
    server.Http().Get("/c", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("final", "text/html");
    });
    server.Http().Get("/gone", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/missing", 302);
    });
    server.Http().Get("/loop", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/loop", 302);
    });
    server.Start();

    QByteArray body;
    ASSERT_TRUE(FetchResource(server.Url("/a"), buffer_, false, &body));
    EXPECT_EQ(body, "final");

    EXPECT_FALSE(FetchResource(server.Url("/gone"), buffer_, false, &body));
    EXPECT_EQ(
        LogLinesContaining(server.Url("/gone") + " download error, bQuery=1  dwStatusCode=404")
            .size(),
        1);

    // An endless redirect is a client error, not a hang.
    EXPECT_FALSE(FetchResource(server.Url("/loop"), buffer_, false, &body));
    EXPECT_EQ(LogLinesContaining("catch CInternetException").size(), 1);
}

TEST_F(HttpFetcherTest, BodyBoundIsOneByteBelowTheBuffer) {
    LoopbackServer server;
    server.Http().Get(R"(/size/(\d+))",
                      [](const httplib::Request& request, httplib::Response& response) {
                          std::string content(std::stoul(request.matches[1]), 'x');
                          content.front() = '<';
                          content.back() = '>';
                          response.set_content(content, "text/html");
                      });
    server.Start();

    QByteArray body;
    ASSERT_TRUE(FetchResource(server.Url("/size/2097151"), buffer_, false, &body));
    ASSERT_EQ(body.size(), 2097151);
    EXPECT_EQ(body.front(), '<');
    EXPECT_EQ(body.back(), '>');
    EXPECT_EQ(body.constData()[body.size()], '\0');

    ClearLog();
    body = "stale";
    EXPECT_FALSE(FetchResource(server.Url("/size/2097152"), buffer_, false, &body));
    EXPECT_TRUE(body.isEmpty());
    EXPECT_TRUE(LogEntries().isEmpty());
}

TEST_F(HttpFetcherTest, SilentServerFailsAfterReceiveLimitAndBufferStaysUsable) {
    RawHttpServer silent(QByteArray{});
    FetchLimits limits;
    limits.receiveStallMs = 1000;
    QElapsedTimer timer;
    timer.start();
    QByteArray body;
    EXPECT_FALSE(FetchResource(QStringLiteral("127.0.0.1:%1/page").arg(silent.Port()), buffer_,
                               false, &body, limits));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(LogLinesContaining("catch CInternetException").size(), 1);
    EXPECT_EQ(silent.Requests().size(), 1);

    LoopbackServer server;
    server.Http().Get("/next", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("next", "text/html");
    });
    server.Start();
    ASSERT_TRUE(FetchResource(server.Url("/next"), buffer_, false, &body, limits));
    EXPECT_EQ(body, "next");
}

// Answers that never end: each transfer ends at its overall deadline however it trickles, and
// at the body bound whatever its status, so no answer holds a fetch thread for long.
TEST_F(HttpFetcherTest, EndlessAnswersEndAtTheDeadlineOrTheSizeBound) {
    struct Case {
        const char* path;
        int totalMs;
        bool statusLine; // the error status is logged
    };
    const Case cases[] = {
        {"/trickle/200", 1500, false},
        {"/trickle/404", 1500, false},
        {"/endless/404", 600000, true}, // only the size bound can end it
        {"/endless/200", 600000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EndlessAnswers server;
        ClearLog();
        FetchLimits limits;
        limits.totalMs = c.totalMs;
        std::atomic<bool> done{false};
        bool fetched = true;
        QByteArray body;
        std::thread fetch([&] {
            fetched = FetchResource(server.Url(c.path), buffer_, false, &body, limits);
            done = true;
        });
        QElapsedTimer timer;
        timer.start();
        while (!done && timer.elapsed() < 30000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool ended = done.load();
        server.Release(); // lets a transfer that did not end finish, so the thread can be joined
        fetch.join();
        EXPECT_TRUE(ended) << "the transfer did not end";
        EXPECT_FALSE(fetched);
        EXPECT_TRUE(body.isEmpty());
        // What the server managed to push before the client stopped reading: the bound plus
        // what the socket buffers hold, far from gigabytes.
        EXPECT_LT(server.BytesSent(), 64LL * 1024 * 1024);
        EXPECT_EQ(LogLinesContaining(" download error, bQuery=1  dwStatusCode=404").size(),
                  c.statusLine ? 1 : 0);
    }
}

TEST_F(HttpFetcherTest, RefusedConnectionIsCaught) {
    QByteArray body;
    EXPECT_FALSE(FetchResource(QStringLiteral("http://127.0.0.1:%1/x").arg(ClosedLoopbackPort()),
                               buffer_, false, &body));
    EXPECT_TRUE(body.isEmpty());
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].message, "catch CInternetException");
    EXPECT_EQ(entries[0].level, LogError);
}

} // namespace
