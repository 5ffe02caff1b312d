// The login, reply and page-jump forms worked the way the server's navigating loader works
// them: in the browser engine, with scripts, clicks and fired events.
#include "tests/demo-forum/DemoForumProcess.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 20000;

// One browser page with an in-memory profile, driven step by step.
class BrowserSession {
public:
    BrowserSession() : page_(&profile_) {}

    // Runs `action` (which starts a navigation) and waits for the page to finish loading.
    bool WaitForLoad(const std::function<void()>& action) {
        QEventLoop loop;
        bool ok = false;
        const auto connection =
            QObject::connect(&page_, &QWebEnginePage::loadFinished, &loop, [&](bool finished) {
                ok = finished;
                loop.quit();
            });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        action();
        loop.exec();
        QObject::disconnect(connection);
        return ok;
    }
    bool Load(const QString& address) {
        return WaitForLoad([&] { page_.load(QUrl(address)); });
    }
    QVariant Run(const QString& script) {
        QEventLoop loop;
        QVariant result;
        page_.runJavaScript(script, [&](const QVariant& v) {
            result = v;
            loop.quit();
        });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        return result;
    }
    bool Has(const char* id) {
        return Run(QStringLiteral("document.getElementById('%1') !== null").arg(QLatin1String(id)))
            .toBool();
    }
    QString Url() const { return page_.url().toString(); }

private:
    QWebEngineProfile profile_; // off the record: cookies live in memory only
    QWebEnginePage page_;
};

const QString kFillLogin = QStringLiteral(
    "document.getElementById('userName').value = '%1';"
    "document.getElementById('password').value = '%2';"
    "if (document.getElementById('vc')) document.getElementById('vc').value = '%3';"
    "document.getElementById('rmflag').checked = false;"
    "for (const b of document.getElementById('loginForm').getElementsByTagName('input'))"
    "  if (b.value === '登录') b.click();");

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(forum.Ready()); }
    QString Origin(const char* host) const {
        return QStringLiteral("http://") + forum.Host(QString::fromLatin1(host));
    }

    TempHome home;
    DemoForumProcess forum;
    BrowserSession browser;
};

TEST_F(BrowserTest, LoginThenReplyInTheBrowserAppendsThePost) {
    const QString login = Origin("passport.forum") + QStringLiteral("/login");
    ASSERT_TRUE(browser.Load(login));
    ASSERT_TRUE(browser.WaitForLoad([&] { browser.Run(kFillLogin.arg("demo", "wrong", "")); }));
    EXPECT_TRUE(browser.Has("errMsg"));
    ASSERT_TRUE(browser.Has("imgCode"));
    // The verification picture has loaded, so it can be drawn for the reader.
    EXPECT_GT(
        browser.Run(QStringLiteral("document.getElementById('imgCode').naturalWidth")).toInt(), 0);

    const QString code =
        QString::fromStdString(HttpGet(forum.Port(), forum.Host(QStringLiteral("passport.forum")),
                                       QStringLiteral("/__control/vcode"))
                                   .body);
    ASSERT_TRUE(browser.WaitForLoad([&] { browser.Run(kFillLogin.arg("demo", "demo123", code)); }));
    ASSERT_TRUE(browser.Has("top_nav_set"));

    // The session reaches the other forum hosts.
    const QString thread =
        Origin("www.forum") + QStringLiteral("/publicforum/content/free/1/1001-1.shtml");
    ASSERT_TRUE(browser.Load(thread));
    ASSERT_TRUE(browser.Has("adsp_content_replybox_area"));
    ASSERT_TRUE(browser.WaitForLoad([&] {
        browser.Run(QStringLiteral(
            "document.getElementById('adsp_content_replybox_area').value = '浏览器里的回复';"
            "const e = document.createEvent('MouseEvents'); e.initEvent('click', true, true);"
            "document.getElementById('submit2').dispatchEvent(e);"));
    }));
    EXPECT_TRUE(browser.Url().endsWith(QStringLiteral("/1001-13.shtml")))
        << browser.Url().toStdString();
    const HttpAnswer last = HttpGet(forum.Port(), forum.Host(QStringLiteral("www.forum")),
                                    QStringLiteral("/publicforum/content/free/1/1001-13.shtml"));
    EXPECT_NE(last.body.find("浏览器里的回复"), std::string::npos);
}

TEST_F(BrowserTest, PageJumpFormReachesTheWantedPage) {
    const struct {
        const char* address;
        const char* expectedEnd;
    } cases[] = {
        {"/publicforum/content/free/1/1001-1.shtml", "/1001-7.shtml"},
        {"/techforum/content/it/1/1007-2.shtml", "/1007-7.shtml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ASSERT_TRUE(browser.Load(Origin("www.forum") + QString::fromLatin1(c.address)));
        ASSERT_TRUE(browser.WaitForLoad([&] {
            browser.Run(QStringLiteral("document.getElementById('idarticlekey').value = '7';"
                                       "document.getElementById('button2').click();"));
        }));
        EXPECT_TRUE(browser.Url().endsWith(QString::fromLatin1(c.expectedEnd)))
            << browser.Url().toStdString();
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
