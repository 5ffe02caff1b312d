#include "server/fetch/PageLoader.h"
#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"
#include "tests/server/fetch/FetchMachineryTest.h"
#include "tests/support/TempHome.h"

#include <QElapsedTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

struct Seen {
    int calls = 0;
    QString bodyText;
    QString documentUrl;
    QString firstHref;
};

WebpageInfo Downloaded(const QByteArray& bytes, Seen* seen,
                       const QString& address = "http://bbs.forum.cn/post/1.shtml") {
    WebpageInfo request;
    request.address = address;
    request.body = bytes;
    request.bodyLength = int32_t(bytes.size());
    request.OnDownloaded = [](WebpageInfo&) {};
    request.OnDocument = [seen](WebpageInfo& loaded, bool&, bool timedOut) {
        EXPECT_FALSE(timedOut);
        ASSERT_TRUE(loaded.Document);
        const HtmlDocument& document = *loaded.Document;
        ++seen->calls;
        seen->bodyText = document.InnerText(document.Body());
        seen->documentUrl = document.DocumentUrl();
        for (const HtmlNode* element : document.Body()->DescendantElements()) {
            if (element->HasTag("a")) {
                seen->firstHref = document.ResolvedHref(element);
                break;
            }
        }
    };
    return request;
}

using PageLoaderTest = FetchMachineryTest;

TEST_F(PageLoaderTest, DecodesByTheDeclarationAndPoursTheBodyIntoTheShell) {
    // "中文" as GBK bytes and as UTF-8 bytes.
    const QByteArray gbk("\xD6\xD0\xCE\xC4");
    const QByteArray utf8 = QString::fromUtf8("中文").toUtf8();
    struct Case {
        const char* name;
        QByteArray page;
        QString text;
    };
    const Case cases[] = {
        {"utf-8 meta in head",
         "<html><head><meta charset=utf-8></head><body>" + utf8 + "</body></html>", "中文"},
        {"no declaration: GB18030", "<html><head></head><body>" + gbk + "</body></html>", "中文"},
        {"declaration after head stays GB18030",
         "<html><head></head><body><meta charset=utf-8>" + gbk + "</body></html>", "中文"},
    };
    PageLoader loader;
    for (const Case& c : cases) {
        Seen seen;
        WebpageInfo request = Downloaded(c.page, &seen);
        EXPECT_TRUE(loader.HandHtml(request)) << c.name;
        EXPECT_EQ(seen.calls, 1) << c.name;
        EXPECT_EQ(seen.bodyText.trimmed(), c.text) << c.name;
        EXPECT_FALSE(request.Document) << "the loader releases the document after the call";
    }
}

TEST_F(PageLoaderTest, DocumentIsTheLocalShellWithLinksOfThePage) {
    PageLoader loader;
    Seen seen;
    WebpageInfo request = Downloaded("<body><a href=\"next/2.shtml\">next</a></body>", &seen);
    ASSERT_TRUE(loader.HandHtml(request));
    EXPECT_EQ(seen.documentUrl, QUrl::fromLocalFile(home_.File("Show.html")).toString());
    EXPECT_FALSE(seen.documentUrl.startsWith("http"));
    EXPECT_EQ(seen.firstHref, "http://bbs.forum.cn/post/next/2.shtml");
}

TEST_F(PageLoaderTest, QueuedPagesThatCannotBeLoaded) {
    PageLoader loader;
    Seen seen;
    PushLoaded(Downloaded("<HTML><BODY>shouting</BODY></HTML>", &seen));
    PushLoaded(Downloaded("<html>no body tag at all</html>", &seen));
    WebpageInfo withoutHandler = Downloaded("<body>x</body>", &seen);
    withoutHandler.OnDownloaded = nullptr;
    PushLoaded(withoutHandler);
    WebpageInfo empty = Downloaded("", &seen);
    PushLoaded(empty);
    ASSERT_TRUE(loader.LoadQueuedPages());
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(LogLinesContaining("HandHtml error!\n").size(), 2);
    EXPECT_EQ(LoadedQueue().Size(), 0) << "one pass empties the queue";
}

TEST_F(PageLoaderTest, HugeAndBrokenPagesStillGiveDocuments) {
    QByteArray huge = "<html><head></head><body>";
    while (huge.size() < 2097000)
        huge += "<div class=\"post\"><p>text <b>bold</b> "
                "tail</p><table><tr><td>c</td></tr></table></div>\n";
    huge += "</body></html>";
    const QByteArray broken =
        "<body><div><<table><td><p>\">\x01\xff<a href='x\n<div></span></body>";
    PageLoader loader;
    for (const QByteArray& page : {huge, broken}) {
        Seen seen;
        WebpageInfo request = Downloaded(page, &seen);
        EXPECT_TRUE(loader.HandHtml(request));
        EXPECT_EQ(seen.calls, 1);
    }
}

TEST_F(PageLoaderTest, LoaderThreadWakesOnAPageAndIsReplacedAfterAFailingHandler) {
    std::mutex mutex;
    QStringList handled;
    auto page = [&](const QString& address, bool fail) {
        WebpageInfo request;
        request.address = address;
        request.body = "<body>page</body>";
        request.bodyLength = int32_t(request.body.size());
        request.OnDownloaded = [](WebpageInfo&) {};
        request.OnDocument = [&, fail](WebpageInfo& loaded, bool&, bool) {
            if (fail)
                throw std::runtime_error("handler fault");
            std::lock_guard lock(mutex);
            handled.append(loaded.address);
        };
        return request;
    };
    StartPageLoaderThread(threads_);
    ASSERT_TRUE(WaitUntil([] { return RunningThreadCount() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));

    QElapsedTimer timer;
    timer.start();
    PushLoaded(page("http://h/1", false));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return handled.size() == 1;
    }));
    // Far below the two-second tick a polling loader would wait.
    EXPECT_LT(timer.elapsed(), 500);

    PushLoaded(page("http://h/bad", true));
    ASSERT_TRUE(WaitUntil([] { return !LogLinesContaining("HandHtml exception").isEmpty(); }));
    PushLoaded(page("http://h/2", false));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return handled.size() == 2;
    }));
    EXPECT_EQ(handled, QStringList({"http://h/1", "http://h/2"}));
    EXPECT_EQ(RunningThreadCount(), 1) << "the cancelled loader was replaced by exactly one";
    EXPECT_EQ(LogLinesContaining("BeginGetWebpageBase").filter("begin!").size(), 2);

    timer.restart();
    EXPECT_TRUE(StopAllThreads(3000));
    EXPECT_LT(timer.elapsed(), 1000) << "a waiting loader sees the stop flag soon";
}

} // namespace
