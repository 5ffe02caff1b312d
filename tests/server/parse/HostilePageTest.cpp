#include "common/Log.h"
#include "server/parse/CParseWebpage.h"
#include "tests/server/parse/PageFixtures.h"

#include <gtest/gtest.h>

namespace {

const QString kAddress = "http://bbs.forum.test/post-free-1-1.shtml";

TEST(HostilePages, TenThousandPostsAreAllRead) {
    QString body = "<div id=hTitle>大帖</div><div id=firstAuthor>作者：甲 2012-1-1 "
                   "1:01:01</div><div id=pContentDiv>";
    for (int i = 0; i < 10000; ++i)
        body += QString("<table><tr><td>作者：u%1 日期：2012-1-2 3:04:05</td></tr></table><div "
                        "class=post>帖%1</div>")
                    .arg(i);
    body += "</div>";
    DocumentPtr document = LoaderDocument(
        ("<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>").toUtf8(),
        kAddress);
    QString address = kAddress;
    ParsedPageInfo info;
    ASSERT_TRUE(ReadPageInfo(document, &address, &info));
    auto parser = CreateParser(info.layout, document, address, info);
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(parser->ParsePosts(1, &posts, &pictures));
    ASSERT_EQ(posts.size(), 10000);
    EXPECT_EQ(posts.last().author, "u9999");
    EXPECT_EQ(posts.last().content, "帖9999");
}

TEST(HostilePages, NoBodyOrGarbageIsRefusedWithoutCrash) {
    EXPECT_EQ(LoaderDocument("<html><head></head></html>", kAddress), nullptr);

    QByteArray garbage(500000, '\0');
    quint32 state = 12345;
    for (char& c : garbage) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 24);
    }
    garbage.insert(1000, "<body>");
    garbage.append("</body>");
    DocumentPtr document = LoaderDocument(garbage, kAddress);
    ASSERT_NE(document, nullptr);
    QString address = kAddress;
    ParsedPageInfo info;
    EXPECT_FALSE(ReadPageInfo(document, &address, &info));
    EXPECT_EQ(CParseHtml(document, address).ClassifyErrorPage(), 0);
}

// Nesting far beyond any forum page is refused before the tree builder sees it (it takes
// quadratic time there: minutes for a couple of megabytes), as a page that failed to load.
TEST(HostilePages, DeeplyNestedMarkupIsRefusedBeforeParsing) {
    ClearLog();
    auto page = [](const QString& body) {
        return ("<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>")
            .toUtf8();
    };
    auto nested = [](const QString& open, int times) {
        QString text;
        for (int i = 0; i < times; ++i)
            text += open;
        return text;
    };
    // What a sloppy but real page nests: unclosed cells, paragraphs and list items, void
    // elements, and tags inside scripts and comments, none of which deepen the tree.
    const QString sloppy = nested("<tr><td><p><li><br><img src=x><hr/>", 5000) + "<script>" +
                           nested("<div>", 5000) + "</script><!--" + nested("<div>", 5000) + "-->" +
                           nested("<div>x</div>", 5000);
    EXPECT_EQ(MarkupNestingDepth(sloppy), 1);
    EXPECT_EQ(MarkupNestingDepth(nested("<div><p>", 999) + "<br/><span/>"), 999);
    ASSERT_NE(LoaderDocument(page(nested("<div>", kMaxMarkupNesting)), kAddress), nullptr);

    struct Case {
        const char* name;
        QString body;
    } cases[] = {
        {"divs", nested("<div>", kMaxMarkupNesting + 1)},
        {"tables", nested("<table><tr><td><div class=post>", 2000)},
        {"mixed case", nested("<DiV><Span>", 600)},
    };
    for (const Case& c : cases) {
        ClearLog();
        EXPECT_EQ(LoaderDocument(page(c.body), kAddress), nullptr) << c.name;
        EXPECT_FALSE(
            LogLinesContaining("Page nested too deeply, not loaded: " + kAddress).isEmpty())
            << c.name;
        EXPECT_EQ(ParseSnapshotDocument(QString::fromUtf8(page(c.body)), kAddress), nullptr)
            << c.name;
    }
}

} // namespace
