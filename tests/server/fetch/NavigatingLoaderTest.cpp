#include "server/fetch/web/NavigatingLoader.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/forms/LoginForm.h"
#include "server/fetch/forms/ReplyForm.h"
#include "server/fetch/forms/VerificationPicture.h"
#include "server/parse/CParseHtml.h"
#include "tests/server/fetch/LoopbackServer.h"
#include "tests/server/fetch/RawHttpServer.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

// Runs a navigating loader on a thread of its own while the test thread serves the GUI.
class LoaderRun {
public:
    explicit LoaderRun(NavigatingLoaderOptions options) {
        thread_ = std::thread([this, options] {
            NavigatingLoader loader(options);
            loader_ = &loader;
            started_ = true;
            loader.Run();
            loader_ = nullptr;
        });
        SpinUntil([this] { return started_.load(); }, 20000);
    }
    ~LoaderRun() {
        if (NavigatingLoader* loader = loader_.load())
            loader->End();
        // The loader's destructor posts the page's deletion to the GUI thread.
        while (!thread_joinable_done()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        thread_.join();
        // The page and its profile go on the GUI thread, after the loader; let them finish
        // writing the profile before the home is removed.
        SpinUntil([] { return false; }, 300);
    }

    // Serves GUI events until `condition` holds; false after `limitMs`.
    template <typename Condition> static bool SpinUntil(Condition condition, int limitMs = 15000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > limitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

private:
    bool thread_joinable_done() const { return loader_.load() == nullptr; }

    std::atomic<NavigatingLoader*> loader_{nullptr};
    std::atomic<bool> started_{false};
    std::thread thread_;
};

QByteArray CodePicturePng() {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 10));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

class NavigatingLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        options_.tickMs = 100;
        options_.timeLimitSeconds = 1;
        options_.loginCancelFlag = &loginCancel_;
    }
    void TearDown() override { QDir(home_.File("WebProfile")).removeRecursively(); }

    TempHome home_;
    FetchQueues queues_;
    ThreadRegistry threads_;
    NavigatingLoaderOptions options_;
    std::atomic<int> loginCancel_{0};
    std::mutex mutex_;
};

TEST_F(NavigatingLoaderTest, RunsScriptsAndReportsTheTopFrameOnce) {
    LoopbackServer server;
    server.Http().Get("/script", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            "<html><body><div id=\"out\">before</div><iframe src=\"/frame\"></iframe>"
            "<script>document.getElementById('out').textContent='ran';</script></body></html>",
            "text/html");
    });
    server.Http().Get("/frame", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body>inner frame</body></html>", "text/html");
    });
    server.Start();

    std::atomic<int> calls{0};
    QString text;
    QString documentUrl;
    options_.timeLimitSeconds = 60;
    LoaderRun run(options_);
    PageTask task;
    task.type = TaskUserPage;
    QueueBrowse(
        server.Url("/script"), task,
        [&](WebpageInfo& request, bool& busy, bool timedOut) {
            EXPECT_FALSE(timedOut);
            std::lock_guard lock(mutex_);
            ++calls;
            CParseHtml page(request.Document, request.address);
            text = CParseHtml::GetInnerText(page.GetElementById("out"));
            documentUrl = page.GetDocumentUrl();
            EXPECT_TRUE(request.Live);
            busy = false;
        },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return calls.load() > 0; }));
    // Time for the inner frame's load to arrive if it were (wrongly) reported.
    LoaderRun::SpinUntil([] { return false; }, 800);
    EXPECT_EQ(calls.load(), 1);
    std::lock_guard lock(mutex_);
    EXPECT_EQ(text, "ran");
    EXPECT_EQ(documentUrl, server.Url("/script"));
}

TEST_F(NavigatingLoaderTest, SetsAFieldAndClicksAButtonWhoseScriptNavigates) {
    LoopbackServer server;
    std::string landedWith;
    server.Http().Get("/form", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            "<html><body><input id=\"field\" type=\"text\">"
            "<input id=\"go\" type=\"button\" value=\"go\" onclick=\"location.href='/landed?v='"
            "+encodeURIComponent(document.getElementById('field').value)\"></body></html>",
            "text/html");
    });
    server.Http().Get("/landed", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex_);
        landedWith = request.get_param_value("v");
        response.set_content("<html><body><p id=\"done\">landed</p></body></html>", "text/html");
    });
    server.Start();

    std::atomic<int> calls{0};
    std::atomic<bool> acted{false};
    std::atomic<bool> landed{false};
    QString secondUrl;
    LoaderRun run(options_);
    QueueBrowse(
        server.Url("/form"), PageTask(),
        [&](WebpageInfo& request, bool& busy, bool timedOut) {
            EXPECT_FALSE(timedOut);
            if (++calls == 1) {
                acted = request.Live->SetValue(SelectorForId("field"), "hello 你好") &&
                        request.Live->Click(SelectorForId("go"));
                busy = true;
                return;
            }
            {
                std::lock_guard lock(mutex_);
                secondUrl = CParseHtml(request.Document, request.address).GetDocumentUrl();
            }
            landed = true;
            busy = false;
        },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return landed.load(); }));
    EXPECT_TRUE(acted.load());
    std::lock_guard lock(mutex_);
    EXPECT_EQ(landedWith, "hello 你好");
    EXPECT_TRUE(secondUrl.startsWith(server.Url("/landed"))) << secondUrl.toStdString();
}

TEST_F(NavigatingLoaderTest, APageThatNeverCompletesIsReportedAsTimedOut) {
    RawHttpServer silent(QByteArray{});
    std::atomic<int> timedOutCalls{0};
    std::atomic<int> otherCalls{0};
    LoaderRun run(options_);
    QElapsedTimer timer;
    timer.start();
    QueueBrowse(
        QStringLiteral("http://127.0.0.1:%1/never").arg(silent.Port()), PageTask(),
        [&](WebpageInfo&, bool&, bool timedOut) { ++(timedOut ? timedOutCalls : otherCalls); },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return timedOutCalls.load() > 0; }));
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_EQ(otherCalls.load(), 0);
    EXPECT_EQ(timedOutCalls.load(), 1);
}

// The login flow as the server drives it: the first request submits the form and waits;
// the reader's next request, with a new code, works on the same page without a navigation.
TEST_F(NavigatingLoaderTest, LoginWithWrongThenRightCode) {
    LoopbackServer server;
    std::atomic<int> loginPageHits{0};
    const QByteArray png = CodePicturePng();
    const std::string form =
        "<form id=\"loginForm\" action=\"/dologin\" method=\"get\">"
        "<input id=\"userName\" name=\"userName\" type=\"text\">"
        "<input id=\"password\" name=\"password\" type=\"password\">"
        "<input id=\"rmflag\" name=\"rmflag\" type=\"checkbox\" checked>"
        "<input id=\"vc\" name=\"vc\" type=\"text\"><img id=\"imgCode\" src=\"/code.png\">"
        "<a href=\"#\">换一张</a>"
        "<input type=\"button\" value=\"登录\" onclick=\"this.form.submit()\"></form>";
    server.Http().Get("/login", [&](const httplib::Request&, httplib::Response& response) {
        ++loginPageHits;
        response.set_content("<html><body>" + form + "</body></html>", "text/html; charset=utf-8");
    });
    server.Http().Get("/code.png", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(png.toStdString(), "image/png");
    });
    std::vector<std::string> submissions;
    server.Http().Get("/dologin", [&](const httplib::Request& request,
                                      httplib::Response& response) {
        const std::string code = request.get_param_value("vc");
        {
            std::lock_guard lock(mutex_);
            submissions.push_back(request.get_param_value("userName") + "/" +
                                  request.get_param_value("password") + "/" + code + "/" +
                                  (request.has_param("rmflag") ? "remember" : "forget"));
        }
        if (code == "7K3P")
            response.set_content(
                "<html><body><div id=\"top_nav_set\">欢迎</div><div id=\"errMsg\">登录成功</div>"
                "</body></html>",
                "text/html; charset=utf-8");
        else
            response.set_content("<html><body><div id=\"errMsg\">验证码错误</div>" + form +
                                     "</body></html>",
                                 "text/html; charset=utf-8");
    });
    server.Start();

    std::mutex answersMutex;
    QStringList answers;
    std::atomic<bool> loggedIn{false};
    DocumentHandler handler = [&](WebpageInfo& request, bool& busy, bool timedOut) {
        if (timedOut) {
            busy = false;
            return;
        }
        if (IsLoggedIn(request.Document)) {
            loggedIn = true;
            busy = false;
            return;
        }
        if (!request.AwaitNext) {
            LoginFormElements elements;
            if (!FindLoginForm(request.Document, &elements) || !SubmitLogin(request, elements)) {
                busy = false;
                return;
            }
            request.AwaitNext = true;
            busy = true;
            return;
        }
        QString message;
        ReadLoginAnswer(request, request.Document, &message, &busy);
        std::lock_guard lock(answersMutex);
        answers.append(message);
    };
    options_.timeLimitSeconds = 30;
    LoaderRun run(options_);
    PageTask wrong;
    wrong.type = TaskLogin;
    wrong.SetLogin("reader", "secret", "XXXX");
    QueueBrowse(server.Url("/login"), wrong, handler, false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] {
        std::lock_guard lock(answersMutex);
        return !answers.isEmpty() && !answers.last().isEmpty();
    }));
    {
        std::lock_guard lock(answersMutex);
        EXPECT_EQ(answers.last(), "验证码错误");
    }
    const VerificationPicture picture = CurrentVerificationPicture();
    EXPECT_EQ(picture.width, 60);
    EXPECT_EQ(picture.height, 30);
    ASSERT_EQ(picture.length, 60 * 30 * 4);
    // Blue, green, red, alpha of the drawn picture's first pixel.
    EXPECT_EQ(quint8(picture.bits[0]), 10);
    EXPECT_EQ(quint8(picture.bits[1]), 40);
    EXPECT_EQ(quint8(picture.bits[2]), 200);
    EXPECT_EQ(quint8(picture.bits[3]), 255);

    PageTask right;
    right.type = TaskLogin;
    right.SetLogin("reader", "secret", "7K3P");
    QueueBrowse(server.Url("/login"), right, handler, false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return loggedIn.load(); }));
    EXPECT_EQ(loginPageHits.load(), 1) << "the second login works on the loaded page";
    std::lock_guard lock(mutex_);
    EXPECT_EQ(submissions,
              std::vector<std::string>({"reader/secret/XXXX/forget", "reader/secret/7K3P/forget"}));
}

TEST_F(NavigatingLoaderTest, LoginCancelEndsTheWaitForTheNextRequest) {
    LoopbackServer server;
    server.Http().Get("/login", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body><p>form</p></body></html>", "text/html");
    });
    server.Start();
    options_.timeLimitSeconds = 30;
    std::atomic<int> calls{0};
    LoaderRun run(options_);
    PageTask login;
    login.type = TaskLogin;
    loginCancel_ = 1; // left over from an earlier dialog: taking the request clears it
    QueueBrowse(
        server.Url("/login"), login,
        [&](WebpageInfo& request, bool& busy, bool) {
            ++calls;
            request.AwaitNext = true;
            busy = true;
        },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return calls.load() == 1; }));
    EXPECT_EQ(loginCancel_.load(), 0);
    LoaderRun::SpinUntil([] { return false; }, 300);
    // Still waiting for the reader; a cancel frees the loader for the next request.
    std::atomic<int> nextCalls{0};
    loginCancel_ = 1;
    QueueBrowse(
        server.Url("/login"), PageTask(),
        [&](WebpageInfo&, bool& busy, bool) {
            ++nextCalls;
            busy = false;
        },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return nextCalls.load() == 1; }));
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(NavigatingLoaderTest, ReplyAppearsAsANewPost) {
    LoopbackServer server;
    std::vector<std::string> posts = {"第一楼"};
    auto page = [&] {
        std::string html = "<html><body><div id=\"posts\">";
        for (const std::string& post : posts)
            html += "<div class=\"post\">" + post + "</div>";
        return html +
               "</div><textarea id=\"adsp_content_replybox_area\"></textarea>"
               "<input id=\"submit2\" type=\"button\" value=\"发表\" "
               "onclick=\"location.href='/reply?text='+"
               "encodeURIComponent(document.getElementById('adsp_content_replybox_area').value)\">"
               "</body></html>";
    };
    server.Http().Get("/thread", [&](const httplib::Request&, httplib::Response& response) {
        std::lock_guard lock(mutex_);
        response.set_content(page(), "text/html; charset=utf-8");
    });
    server.Http().Get("/reply", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex_);
        posts.push_back(request.get_param_value("text"));
        response.set_content(page(), "text/html; charset=utf-8");
    });
    server.Start();

    std::atomic<int> calls{0};
    std::atomic<bool> posted{false};
    std::atomic<bool> reloaded{false};
    QStringList postsSeen;
    options_.timeLimitSeconds = 30;
    LoaderRun run(options_);
    PageTask reply;
    reply.type = TaskReply;
    reply.SetReplyText("楼主辛苦了");
    QueueBrowse(
        server.Url("/thread"), reply,
        [&](WebpageInfo& request, bool& busy, bool) {
            if (++calls == 1) {
                posted = PostReply(request, request.Document);
                busy = true;
                return;
            }
            CParseHtml parsed(request.Document, request.address);
            QStringList seen;
            for (const HtmlNode* element : parsed.GetElementById("posts")->ChildElements())
                seen.append(CParseHtml::GetInnerText(element));
            {
                std::lock_guard lock(mutex_);
                postsSeen = seen;
            }
            reloaded = true;
            busy = false;
        },
        false);
    ASSERT_TRUE(LoaderRun::SpinUntil([&] { return reloaded.load(); }));
    EXPECT_TRUE(posted.load());
    std::lock_guard lock(mutex_);
    EXPECT_EQ(postsSeen, QStringList({"第一楼", "楼主辛苦了"}));
}

} // namespace

int main(int argc, char** argv) {
    PrepareWebEngine();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
