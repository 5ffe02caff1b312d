// The reading window over a real reading model and thread database: what the model decides
// is what the post view shows.
#include "reader/model/ReadingModelRegistry.h"
#include "reader/reading/PostHtml.h"
#include "reader/view/CShowContent.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/ModelReadingWindowLink.h"
#include "tests/reader/model/ModelTestThread.h"
#include "tests/reader/view/ViewTestSupport.h"
#include "tests/support/TempHome.h"

#include <QAbstractButton>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class TestLink : public ModelReadingWindowLink {
public:
    using ModelReadingWindowLink::ModelReadingWindowLink;
    void QueueSmall(const SmallMessage& message) override { sent.append(message.code); }
    void QueueReply(const QString&) override {}
    bool IsLoggedIn() override { return false; }
    void RunLogin(QWidget*) override {}
    void LowerHelpTip(const QString&) override {}
    void OpenAddress(const QString&) override {}
    bool PickRecommendation(SideRecommendation&) override { return false; }
    void CloseRequested() override {}
    QList<int> sent;
};

class ModelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Five posts a page, the starter's first.
        thread.StorePages(1, 30, [](int) { return QStringList{"楼主", "甲", "乙", "丙", "丁"}; });
        ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
        link = std::make_unique<TestLink>(models, thread.FollowNo());
        window = std::make_unique<CShowContent>(
            ReadingWindowSetup{thread.FollowNo(), QStringLiteral("测试帖子"), thread.DbFile(),
                               thread.Starter(), 100, true, true},
            link.get());
        models.AddModelObserver(thread.FollowNo(), window.get());
        QObject::connect(window.get(), &CShowContent::ScreenRendered, [this] { ++rendered; });
        window->show();
    }
    void TearDown() override {
        models.RemoveModelObserver(thread.FollowNo(), window.get());
        window.reset();
        models.CloseAllReadingModels();
    }

    void WaitForScreen(const std::function<void()>& action) {
        const int before = rendered;
        action();
        ASSERT_TRUE(SpinUntil([&] { return rendered > before; }));
    }

    QVariant Eval(const QString& script) {
        bool answered = false;
        QVariant value;
        window->PostView()->RunScript(script, [&](const QVariant& v) {
            value = v;
            answered = true;
        });
        EXPECT_TRUE(SpinUntil([&] { return answered; }));
        return value;
    }

    // The header lines in the view, in order.
    QStringList Headers() {
        return Eval(QStringLiteral("Array.from(document.body.children).map(function(e){return "
                                   "e.innerText;}).filter(function(t){return "
                                   "t.indexOf('发表日期')>=0;})"))
            .toStringList();
    }

    // The view's headers name the model's screen, post by post.
    void ExpectViewShowsTheModelScreen() {
        ReadingScreen screen;
        models.FindReadingModel(thread.FollowNo())->GetScreen(screen);
        const QStringList headers = Headers();
        ASSERT_EQ(headers.size(), screen.posts.size());
        for (qsizetype i = 0; i < headers.size(); ++i) {
            const ReadingPost& post = screen.posts[i];
            EXPECT_TRUE(headers[i].contains(QStringLiteral("第%1页").arg(post.pageNo)) &&
                        headers[i].contains(post.author) && headers[i].contains(post.time))
                << headers[i].toStdString();
        }
        const int links = Eval(QStringLiteral("document.links.length")).toInt();
        EXPECT_EQ(links, (screen.previousPage ? 1 : 0) + (screen.nextPage ? 1 : 0));
    }

    TempHome home;
    ModelTestThread thread;
    ReadingModelRegistry models;
    std::unique_ptr<TestLink> link;
    std::unique_ptr<CShowContent> window;
    int rendered = 0;
};

TEST_F(ModelWindowTest, ReadsTheThreadScreenByScreenInTwoModes) {
    // Thirty pages and no saved position: the newest of the starter's posts.
    WaitForScreen([&] { window->Open(); });
    EXPECT_EQ(window->ViewMode(), 0);
    ExpectViewShowsTheModelScreen();
    EXPECT_EQ(Headers().size(), 12);
    EXPECT_TRUE(Headers().last().contains(QStringLiteral("第30页")));

    WaitForScreen([&] { window->Button(6)->click(); }); // "首页"
    ExpectViewShowsTheModelScreen();
    EXPECT_TRUE(Headers().first().contains(QStringLiteral("第1页")));
    EXPECT_TRUE(window->Button(4)->isEnabled());
    EXPECT_FALSE(window->Button(3)->isEnabled());

    // The "下一页" link at the bottom acts as the button.
    WaitForScreen([&] { emit window->PostView()->NewWindowRequested(kNextPageSentinelUrl + "/"); });
    ExpectViewShowsTheModelScreen();
    EXPECT_TRUE(Headers().first().contains(QStringLiteral("第13页")));

    // Highlighting the starter: every post, 30 to a screen, from the same start post.
    WaitForScreen([&] { window->Radio(1)->click(); });
    ExpectViewShowsTheModelScreen();
    EXPECT_EQ(Headers().size(), 30);
    EXPECT_EQ(
        Eval(QStringLiteral("document.querySelectorAll('font[color=\"#FF0000\"]').length")).toInt(),
        6);
}

} // namespace
