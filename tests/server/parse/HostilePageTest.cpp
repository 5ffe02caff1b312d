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

TEST(HostilePages, DeeplyNestedTablesInEveryLayout) {
    QString nested;
    while (nested.size() < 2 * 1024 * 1024)
        nested += "<table><tr><td><div class=post>";
    for (const char* marker : {"firstAuthor", "content-container", "post_head"}) {
        const QString body =
            QString("<div id=%1>作者：a 2012-1-1 1:01:01</div><div id=pContentDiv>%2</div>")
                .arg(marker, nested);
        DocumentPtr document = LoaderDocument(
            ("<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>")
                .toUtf8(),
            kAddress);
        ASSERT_NE(document, nullptr);
        QString address = kAddress;
        ParsedPageInfo info;
        ReadPageInfo(document, &address, &info); // the outcome may be either; it must return
        auto parser = CreateParser(DetectLayout(document, &info), document, address, info);
        ASSERT_NE(parser, nullptr) << marker;
        QList<PostRecord> posts;
        QList<PictureRecord> pictures;
        parser->ParsePosts(2, &posts, &pictures);
        QList<PageLink> links;
        parser->GetNextPageLinks(&links);
        parser->GetPrevPageLinks(&links);
    }
}

} // namespace
