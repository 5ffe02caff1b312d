#include "server/parse/CParseTianyaFocus.h"
#include "tests/server/parse/PageFixtures.h"

#include "common/Log.h"
#include "common/Settings.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

class FrontPage : public testing::Test {
protected:
    void SetUp() override {
        home_.WriteFile("Quillmere.ini",
                        "[Hosts]\nForumWwwHost=www.forum.test\nForumBareHost=forum.test\n"
                        "ForumBbsHost=bbs.forum.test\nForumCityHost=city.forum.test\n");
        ReloadHosts();
        ClearLog();
    }
    void TearDown() override { ReloadHosts(); }

    QList<FocusItem> Parse(const QString& body) {
        CParseTianyaFocus parser(
            LoaderDocument(
                ("<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>")
                    .toUtf8(),
                "http://focus.forum.test/"),
            "http://focus.forum.test/");
        QList<FocusItem> items{{"stale", "stale", "stale"}};
        EXPECT_TRUE(parser.Parse(&items));
        return items;
    }

    TempHome home_;
};

QString Describe(const QList<FocusItem>& items) {
    QStringList parts;
    for (const FocusItem& item : items)
        parts << item.focusType + "|" + item.focusTitle + "|" + item.focusUrl;
    return parts.join('\n');
}

TEST_F(FrontPage, TableOrderLabelsAndMerging) {
    // The page shows the blocks in another order than the table reads them.
    const QList<FocusItem> items = Parse(
        "<div id=\"体育文字链\"><a href=\"http://bbs.forum.test/post-a-1.shtml\">球赛</a></div>"
        "<div id=\"header_news\"><a href=\"http://bbs.forum.test/post-b-1.shtml\">头条</a>"
        "<a href=\"http://www.forum.test/publicforum/content/free/1/9.shtml\">旧版</a>"
        "<a href=\"\">空</a><a href=\"http://bbs.forum.test/post-c-1.shtml\"></a></div>"
        "<div id=\"it文字链\"><p><a "
        "href=\"http://bbs.forum.test/post-b-1.shtml\">又是头条</a></p></div>"
        "<div id=\"unknown\"><a href=\"http://bbs.forum.test/post-d-1.shtml\">不在表里</a></div>");
    EXPECT_EQ(Describe(items),
              "天涯头条|头条--又是头条|http://bbs.forum.test/post-b-1.shtml\n"
              "天涯头条|旧版|http://www.forum.test/publicforum/content/free/1/9.shtml\n"
              "体育|球赛|http://bbs.forum.test/post-a-1.shtml");
    // An empty href is the page itself, as in a browser, which is no thread.
    const QList<QString> logged = LogLinesContaining("No support focus webpage");
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].endsWith("No support focus webpage: http://focus.forum.test/"));
}

TEST_F(FrontPage, OutsideLinksAreLoggedAndDropped) {
    const QList<FocusItem> items =
        Parse("<div id=\"财经文字链\"><a href=\"http://ads.example.com/x\">广告</a>"
              "<a href=\"http://news.example.com/y\">新闻</a></div>");
    EXPECT_TRUE(items.isEmpty());
    const QList<LogEntry> entries = LogEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].message, "No support focus webpage: http://ads.example.com/x");
    EXPECT_EQ(entries[0].level, LogNormal);
    EXPECT_EQ(entries[1].message, "No support focus webpage: http://news.example.com/y");
}

TEST_F(FrontPage, PageWithoutBlocksGivesEmptyList) {
    EXPECT_TRUE(Parse("<p>维护中</p>").isEmpty());
}

} // namespace
