#include "server/parse/CParseTianya_1.h"
#include "server/parse/CParseTianya_2.h"
#include "server/parse/CParseTianya_3.h"
#include "server/parse/CParseTianya_4.h"
#include "tests/server/parse/PageFixtures.h"

#include "common/Settings.h"
#include "tests/support/TempHome.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

const QString kDir1 = "http://www.forum.test/publicforum/content/free/1/";
const QString kAddress1 = kDir1 + "100.shtml";
const QString kDir3 = "http://www.forum.test/techforum/content/9/";
const QString kDir4 = "http://bbs.forum.test/";

struct Parsed {
    DocumentPtr document;
    QString address;
    ParsedPageInfo info;
    bool ok = false;
};

Parsed Read(DocumentPtr document, const QString& address) {
    Parsed parsed{std::move(document), address, {}, false};
    parsed.ok = ReadPageInfo(parsed.document, &parsed.address, &parsed.info);
    return parsed;
}

Parsed ReadFixture(const QString& name, const QString& address) {
    DocumentPtr document = FixtureDocument(name, address);
    EXPECT_NE(document, nullptr) << name.toStdString();
    return Read(document, address);
}

std::unique_ptr<CParseWebpage> ParserOf(const Parsed& parsed) {
    return CreateParser(parsed.info.layout, parsed.document, parsed.address, parsed.info);
}

DocumentPtr Inline(const QString& body, const QString& address = kAddress1) {
    return LoaderDocument(
        ("<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>").toUtf8(),
        address);
}

QString Describe(const QList<PageLink>& links) {
    QStringList parts;
    for (const PageLink& link : links)
        parts << QString("%1=%2").arg(link.pageNo).arg(link.address);
    return parts.join(' ');
}

QString Describe(const QList<PostRecord>& posts) {
    QStringList parts;
    for (const PostRecord& post : posts)
        parts << QString("%1|%2|%3|%4").arg(post.pageNo).arg(post.author, post.time, post.content);
    return parts.join('\n');
}

QString Describe(const QList<PictureRecord>& pictures) {
    QStringList parts;
    for (const PictureRecord& picture : pictures)
        parts << QString("%1|%2|%3|%4|%5")
                     .arg(picture.pageNo)
                     .arg(picture.author, picture.time)
                     .arg(picture.index)
                     .arg(picture.address);
    return parts.join('\n');
}

class RecordingControl : public PageControl {
public:
    bool SetValueById(const QString& id, const QString& value) override {
        calls << "set " + id + "=" + value;
        return true;
    }
    bool ClickById(const QString& id) override {
        calls << "click " + id;
        return true;
    }
    QStringList calls;
};

TEST(DetectLayout, ByIdsInOrder) {
    struct Case {
        const char* body;
        int layout;
    } cases[] = {
        {"<div id=firstAuthor></div>", 1},
        {"<div id=content-container></div>", 3},
        {"<div id=post_head></div>", 4},
        {"<div id=post_head></div><div id=firstAuthor></div>", 1},
        {"<div id=post_head></div><div id=content-container></div>", 3},
        {"<div id=content-container></div><div id=firstAuthor></div>", 1},
        {"<div id=pContentDiv></div>", 0},
    };
    for (const Case& c : cases) {
        ParsedPageInfo info;
        info.layout = 9;
        EXPECT_EQ(DetectLayout(Inline(c.body), &info), c.layout) << c.body;
        EXPECT_EQ(info.layout, c.layout == 0 ? 9 : c.layout) << c.body;
    }
    ParsedPageInfo info;
    QString address = kAddress1;
    EXPECT_FALSE(ReadPageInfo(Inline("<p>not a thread</p>"), &address, &info));
    EXPECT_EQ(CreateParser(0, Inline("<p></p>"), kAddress1, info), nullptr);
    EXPECT_EQ(CreateParser(5, Inline("<p></p>"), kAddress1, info), nullptr);
}

TEST(Layout1, FirstPage) {
    Parsed page = ReadFixture("layout1-first.html", kAddress1);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.layout, 1);
    EXPECT_EQ(page.info.currentPage, 1);
    EXPECT_EQ(page.info.pageCount, 3);
    EXPECT_EQ(page.info.title, "我的长帖子");
    EXPECT_EQ(page.info.firstPageAddress, kAddress1);
    EXPECT_EQ(page.info.prevPageAddress, "");
    EXPECT_EQ(page.info.nextPageAddress, kDir1 + "100-2.shtml");
    EXPECT_EQ(page.info.lastPageAddress, kDir1 + "100-3.shtml");
    EXPECT_EQ(page.address, kAddress1); // a poured document has no http address of its own

    auto parser = ParserOf(page);
    QString author, time;
    EXPECT_TRUE(parser->GetFirstAuthor(&author, &time));
    EXPECT_EQ(author, "楼主甲");
    EXPECT_EQ(time, "2012-01-05 08:03:07");

    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(parser->ParsePosts(1, &posts, &pictures));
    EXPECT_EQ(Describe(posts), "1|楼主甲|2012-01-05 08:03:07|第一帖\n第二行\n"
                               "1|乙|2012-01-06 09:10:11|乙的回复\n"
                               "1|楼主甲|2012-01-07 00:00:00|楼主的补充");
    EXPECT_EQ(Describe(pictures), "1|楼主甲|2012-01-05 08:03:07|0|http://img.forum.test/1.jpg\n"
                                  "1|楼主甲|2012-01-05 08:03:07|1|http://img.forum.test/2.jpg\n"
                                  "1|乙|2012-01-06 09:10:11|0|http://img.forum.test/3.jpg");

    QList<PageLink> links;
    EXPECT_TRUE(parser->GetNextPageLinks(&links));
    EXPECT_EQ(Describe(links), "2=" + kDir1 + "100-2.shtml 3=" + kDir1 + "100-3.shtml");
    EXPECT_TRUE(parser->GetPrevPageLinks(&links));
    EXPECT_EQ(Describe(links), "");
}

TEST(Layout1, MiddlePageWithUnreadableHeader) {
    Parsed page = ReadFixture("layout1-middle.html", kDir1 + "100-2.shtml");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.layout, 1); // its stray "post_head" does not matter
    EXPECT_EQ(page.info.currentPage, 2);
    EXPECT_EQ(page.info.pageCount, 3);
    EXPECT_EQ(page.info.firstPageAddress, kAddress1);
    EXPECT_EQ(page.info.prevPageAddress, kAddress1);
    EXPECT_EQ(page.info.nextPageAddress, kDir1 + "100-3.shtml");
    EXPECT_EQ(page.info.lastPageAddress, kDir1 + "100-3.shtml");

    auto parser = ParserOf(page);
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(parser->ParsePosts(2, &posts, &pictures));
    // The unreadable header keeps the previous author and leaves the time empty.
    EXPECT_EQ(Describe(posts), "2|丙|2012-02-01 10:00:00|丙说\n2|丙||帖头坏了的回复");
    EXPECT_EQ(Describe(pictures), "2|丙|2012-02-01 10:00:00|0|http://img.forum.test/4.jpg\n"
                                  "2|丙|2012-02-01 10:00:00|1|http://img.forum.test/5.jpg");

    QList<PageLink> links;
    EXPECT_TRUE(parser->GetPrevPageLinks(&links));
    EXPECT_EQ(Describe(links), "0=" + kAddress1 + " 1=" + kAddress1);
    EXPECT_TRUE(parser->GetNextPageLinks(&links));
    EXPECT_EQ(Describe(links), "3=" + kDir1 + "100-3.shtml");
}

TEST(Layout1, LastPage) {
    Parsed page = ReadFixture("layout1-last.html", kDir1 + "100-3.shtml");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.currentPage, 3);
    EXPECT_EQ(page.info.pageCount, 3);
    EXPECT_EQ(page.info.title, "我的长帖子"); // from "hTitle"
    EXPECT_EQ(page.info.prevPageAddress, kDir1 + "100-2.shtml");
    EXPECT_EQ(page.info.nextPageAddress, "");
    EXPECT_EQ(page.info.lastPageAddress, kAddress1); // no "末页": the first page's address

    QList<PageLink> links{{7, "stale"}};
    EXPECT_TRUE(ParserOf(page)->GetNextPageLinks(&links));
    EXPECT_TRUE(links.isEmpty());
}

TEST(Layout1, NavigationEdgeCases) {
    const QString head =
        "<div id=hTitle>题</div><div id=firstAuthor>作者：甲 2012-1-1 1:01:01</div>";
    struct Case {
        const char* name;
        QString navigation;
        bool ok;
        int current;
        int count;
        QString next;
    } cases[] = {
        {"no total keeps count at the current page",
         "<div id=pageDivTop><a href=100.shtml>1</a><span class=current>2</span><a "
         "href=100-3.shtml>下一页</a></div>",
         true, 2, 2, ""},
        {"missing next link fails the reader",
         "<div id=pageDivTop><span class=current>1</span><a href=100-2.shtml>2</a>共3页</div>",
         false, 0, 0, ""},
        {"total without page word keeps the current page",
         "<div id=pageDivTop><span class=current>1</span>共3</div>", true, 1, 1, ""},
        {"no navigation is a single page", "", true, 1, 1, ""},
        {"the largest integer page count is read whole",
         "<div id=pageDivTop><span class=current>2147483647</span>共2147483647页</div>", true,
         2147483647, 2147483647, ""},
        {"a page count beyond the integer range fails, never cut",
         "<div id=pageDivTop><span class=current>1</span><a href=100-2.shtml>下一页</a>"
         "共2147483648页</div>",
         false, 0, 0, ""},
        {"a current page beyond the integer range fails",
         "<div id=pageDivTop><span class=current>99999999999</span>共3页</div>", false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        Parsed page = Read(Inline(head + c.navigation), kAddress1);
        EXPECT_EQ(page.ok, c.ok) << c.name;
        if (!c.ok)
            continue;
        EXPECT_EQ(page.info.currentPage, c.current) << c.name;
        EXPECT_EQ(page.info.pageCount, c.count) << c.name;
        EXPECT_EQ(page.info.nextPageAddress, c.next) << c.name;
        EXPECT_EQ(page.info.firstPageAddress, kAddress1) << c.name;
    }
    EXPECT_FALSE(
        Read(Inline("<div id=firstAuthor>作者：甲 2012-1-1 1:01:01</div><div id=hTitle></div>"),
             kAddress1)
            .ok)
        << "an empty title fails";
}

TEST(Layout1, BrokenStarterHeaderFailsThePage) {
    Parsed page = Read(Inline("<div id=hTitle>题</div><div id=firstAuthor>作者：甲 日期不详</div>"
                              "<div id=pContentDiv><div class=post>x</div></div>"),
                       kAddress1);
    ASSERT_TRUE(page.ok);
    auto parser = ParserOf(page);
    QString author, time;
    EXPECT_FALSE(parser->GetFirstAuthor(&author, &time));
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    EXPECT_FALSE(parser->ParsePosts(1, &posts, &pictures));
    EXPECT_TRUE(posts.isEmpty());
}

TEST(Layout1, LoadedPageAddressReplacesRequestAddress) {
    const QString loaded = kDir1 + "100-2.shtml";
    DocumentPtr snapshot =
        ParseSnapshotDocument("<html><body><div id=hTitle>题</div><div id=firstAuthor>作者：甲 "
                              "2012-1-1 1:01:01</div></body></html>",
                              loaded);
    Parsed page = Read(snapshot, kAddress1);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.address, loaded);
}

TEST(Layout1And3, GotoPageUsesThePageBox) {
    RecordingControl control;
    Parsed page =
        Read(Inline("<div id=hTitle>题</div><div id=firstAuthor>作者：甲 2012-1-1 1:01:01</div>"
                    "<input id=idarticlekey><input type=button id=button2>"),
             kAddress1);
    QString address = "stale";
    EXPECT_TRUE(ParserOf(page)->GotoPage(&control, 5, &address));
    EXPECT_EQ(address, "");
    EXPECT_EQ(control.calls, QStringList({"set idarticlekey=5", "click button2"}));

    RecordingControl unused;
    Parsed without = Read(
        Inline("<div id=content-container><div id=hTitle>题</div><input id=idarticlekey></div>"),
        kAddress1);
    ASSERT_EQ(without.info.layout, 3);
    EXPECT_FALSE(ParserOf(without)->GotoPage(&unused, 5, &address));
    EXPECT_TRUE(unused.calls.isEmpty());
}

TEST(Layout3, FirstPage) {
    Parsed page = ReadFixture("layout3-first.html", kDir3 + "200.shtml");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.layout, 3);
    EXPECT_EQ(page.info.currentPage, 1);
    EXPECT_EQ(page.info.pageCount, 2);
    EXPECT_EQ(page.info.title, "三号版式的帖子");
    EXPECT_EQ(page.info.nextPageAddress, kDir3 + "200-2.shtml");
    EXPECT_EQ(page.info.lastPageAddress, kDir3 + "200-2.shtml");

    auto parser = ParserOf(page);
    QString author, time;
    EXPECT_TRUE(parser->GetFirstAuthor(&author, &time));
    EXPECT_EQ(author + " " + time, "楼主乙 2011-12-31 23:59:59");

    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(parser->ParsePosts(1, &posts, &pictures));
    // The block with one child node is skipped; the ones after it are still read.
    ASSERT_EQ(posts.size(), 3);
    EXPECT_EQ(Describe(posts.mid(0, 2)),
              "1|楼主乙|2011-12-31 23:59:59|新年快乐\n1|戊|2012-01-01 00:00:01|同乐");
    EXPECT_EQ(posts[2].content, "无时间");
    EXPECT_EQ(posts[2].time, "");
    EXPECT_EQ(Describe(pictures), "1|楼主乙|2011-12-31 23:59:59|0|http://img.forum.test/a.jpg\n"
                                  "1|楼主乙|2011-12-31 23:59:59|1|http://img.forum.test/b.jpg");

    QList<PageLink> links;
    EXPECT_TRUE(parser->GetNextPageLinks(&links));
    EXPECT_EQ(Describe(links), "2=" + kDir3 + "200-2.shtml");
}

TEST(Layout3, LastPage) {
    Parsed page = ReadFixture("layout3-last.html", kDir3 + "200-2.shtml");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.layout, 3);
    EXPECT_EQ(page.info.currentPage, 2);
    EXPECT_EQ(page.info.pageCount, 2);
    EXPECT_EQ(page.info.firstPageAddress, kDir3 + "200.shtml");
    EXPECT_EQ(page.info.prevPageAddress, kDir3 + "200.shtml");
    EXPECT_EQ(page.info.nextPageAddress, "");

    QList<PageLink> links;
    EXPECT_TRUE(ParserOf(page)->GetPrevPageLinks(&links));
    EXPECT_EQ(Describe(links), "0=" + kDir3 + "200.shtml 1=" + kDir3 + "200.shtml");
    EXPECT_FALSE(ParserOf(Read(Inline("<div id=content-container></div>"), kAddress1))
                     ->GetFirstAuthor(nullptr, nullptr));
}

TEST(Layout2, ShellReadsNothingAndSucceeds) {
    DocumentPtr document =
        Inline("<div id=post_head><a href=\"p-1.shtml\">1</a><a href=\"p-3.shtml\">3</a></div>");
    ParsedPageInfo info;
    info.title = "kept";
    QString address = kAddress1;
    EXPECT_TRUE(CParseTianya_2::ReadPageInfo(CParseHtml(document, address), &address, &info));
    EXPECT_EQ(info.layout, 2);
    EXPECT_EQ(info.currentPage, 2);
    EXPECT_EQ(info.firstPageAddress, kDir1 + "p-1.shtml");
    EXPECT_EQ(info.title, "kept");
    EXPECT_FALSE(
        CParseTianya_2::ReadPageInfo(CParseHtml(Inline("<p></p>"), address), &address, &info));

    auto parser = CreateParser(2, document, kAddress1, info);
    ASSERT_NE(parser, nullptr);
    QString author = "a";
    EXPECT_FALSE(parser->GetFirstAuthor(&author, nullptr));
    EXPECT_EQ(author, "a");
    QList<PostRecord> posts{{1, "x", "y", "z"}};
    QList<PictureRecord> pictures;
    QList<PageLink> links;
    EXPECT_TRUE(parser->ParsePosts(1, &posts, &pictures));
    EXPECT_EQ(posts.size(), 1);
    EXPECT_TRUE(parser->GetNextPageLinks(&links));
    EXPECT_TRUE(parser->GetPrevPageLinks(&links));
    EXPECT_TRUE(links.isEmpty());
    QString target = "t";
    EXPECT_TRUE(parser->GotoPage(nullptr, 3, &target));
    EXPECT_EQ(target, "t");
}

TEST(Layout4, FirstPage) {
    const QString address = kDir4 + "post-free-300-1.shtml";
    Parsed page = ReadFixture("layout4-first.html", address);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.layout, 4);
    EXPECT_EQ(page.info.title, "四号版式的帖子");
    EXPECT_EQ(page.info.currentPage, 1);
    EXPECT_EQ(page.info.pageCount, 10);
    EXPECT_EQ(page.info.firstPageAddress, address);
    EXPECT_EQ(page.info.prevPageAddress, "");
    EXPECT_EQ(page.info.nextPageAddress, kDir4 + "post-free-300-2.shtml");
    EXPECT_EQ(page.info.lastPageAddress, kDir4 + "post-free-300-10.shtml");

    auto parser = ParserOf(page);
    QString author, time;
    EXPECT_TRUE(parser->GetFirstAuthor(&author, &time));
    EXPECT_EQ(author + " " + time, "天涯客 2012-11-26 04:39:23");
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(parser->ParsePosts(1, &posts, &pictures));
    EXPECT_EQ(Describe(posts),
              "1|天涯客|2012-11-26 04:39:23|楼主的话\n1|甲|2012-11-27 10:00:00|沙发");
    EXPECT_EQ(Describe(pictures), "1|天涯客|2012-11-26 04:39:23|0|http://img.forum.test/c.jpg\n"
                                  "1|甲|2012-11-27 10:00:00|0|http://img.forum.test/d.jpg\n"
                                  "1|甲|2012-11-27 10:00:00|1|http://img.forum.test/e.jpg");
}

TEST(Layout4, MiddlePage) {
    const QString address = kDir4 + "post-free-300-3.shtml";
    Parsed page = ReadFixture("layout4-middle.html", address);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.currentPage, 3);
    EXPECT_EQ(page.info.pageCount, 10);
    EXPECT_EQ(page.info.firstPageAddress, kDir4 + "post-free-300-1.shtml");
    EXPECT_EQ(page.info.prevPageAddress, kDir4 + "post-free-300-2.shtml");
    EXPECT_EQ(page.info.nextPageAddress, kDir4 + "post-free-300-4.shtml");
    EXPECT_EQ(page.info.lastPageAddress, kDir4 + "post-free-300-10.shtml");

    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    ASSERT_TRUE(ParserOf(page)->ParsePosts(3, &posts, &pictures));
    EXPECT_EQ(Describe(posts),
              "3|乙|2012-11-28 01:02:03|第三页第一帖\n3|丙|2012-11-28 04:05:06|第三页第二帖");
    EXPECT_TRUE(pictures.isEmpty());
}

TEST(Layout4, LastPageAndUnreadableHeader) {
    const QString address = kDir4 + "post-free-300-10.shtml";
    Parsed page = ReadFixture("layout4-last.html", address);
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.info.currentPage, 10);
    EXPECT_EQ(page.info.pageCount, 10);
    EXPECT_EQ(page.info.nextPageAddress, "");
    EXPECT_EQ(page.info.prevPageAddress, kDir4 + "post-free-300-9.shtml");
    // The current page is the highest number shown: the last page is the page itself.
    EXPECT_EQ(page.info.lastPageAddress, address);

    // One unreadable header makes the whole page fail, so none of its posts is stored.
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    EXPECT_FALSE(ParserOf(page)->ParsePosts(10, &posts, &pictures));
    EXPECT_TRUE(posts.isEmpty());
}

TEST(Layout4, StructuralFailures) {
    struct Case {
        const char* name;
        const char* body;
        int pageNo;
    } cases[] = {
        {"no atl-main",
         "<div><div id=post_head><h1>t</h1><div class=atl-info>楼主：a 2012-1-1 "
         "1:01:01</div></div></div>",
         2},
        {"starter unreadable on page 1",
         "<div><div id=post_head><h1>t</h1><div class=atl-info>无</div></div><div "
         "class=atl-main></div></div>",
         1},
        {"item without content",
         "<div><div id=post_head><h1>t</h1></div><div class=atl-main><div class=atl-item><div "
         "class=atl-head>作者：a 2012-1-1 1:01:01</div></div></div></div>",
         2},
    };
    for (const Case& c : cases) {
        Parsed page =
            Read(Inline(c.body, kDir4 + "post-free-300-2.shtml"), kDir4 + "post-free-300-2.shtml");
        ASSERT_TRUE(page.ok) << c.name;
        QList<PostRecord> posts;
        QList<PictureRecord> pictures;
        EXPECT_FALSE(ParserOf(page)->ParsePosts(c.pageNo, &posts, &pictures)) << c.name;
    }
    EXPECT_FALSE(Read(Inline("<div id=post_head></div>"), kDir4).ok) << "empty title";
}

TEST(Layout4, NeighbourLinksFromTheAddress) {
    struct Case {
        int current;
        int count;
        const char* next;
        const char* prev;
    } cases[] = {
        {3, 10, "4 5 6 7 8 9", "1 2"}, {8, 10, "9 10", "3 4 5 6 7"}, {1, 1, "", ""},
        {1, 20, "2 3 4 5 6 7", ""},    {10, 10, "", "5 6 7 8 9"},
    };
    for (const Case& c : cases) {
        ParsedPageInfo info;
        info.layout = 4;
        info.currentPage = c.current;
        info.pageCount = c.count;
        const QString address = kDir4 + QString("post-free-300-%1.shtml").arg(c.current);
        auto parser = CreateParser(4, Inline("<div id=post_head></div>"), address, info);
        QList<PageLink> links;
        auto numbers = [&] {
            QStringList parts;
            for (const PageLink& link : links) {
                EXPECT_EQ(link.address, kDir4 + QString("post-free-300-%1.shtml").arg(link.pageNo));
                parts << QString::number(link.pageNo);
            }
            return parts.join(' ').toStdString();
        };
        EXPECT_TRUE(parser->GetNextPageLinks(&links));
        EXPECT_EQ(numbers(), c.next) << c.current << "/" << c.count;
        EXPECT_TRUE(parser->GetPrevPageLinks(&links));
        EXPECT_EQ(numbers(), c.prev) << c.current << "/" << c.count;
    }
}

TEST(Layout4, GotoPageAndAddressRepair) {
    ParsedPageInfo info;
    auto parser =
        CreateParser(4, Inline("<div id=post_head></div>"), kDir4 + "post-free-300-3.shtml", info);
    QString address;
    EXPECT_TRUE(parser->GotoPage(nullptr, 7, &address));
    EXPECT_EQ(address, kDir4 + "post-free-300-7.shtml");
    auto noNumber =
        CreateParser(4, Inline("<div id=post_head></div>"), "http://bbs.forum.test/list", info);
    EXPECT_FALSE(noNumber->GotoPage(nullptr, 7, &address));

    TempHome home;
    home.WriteFile("Quillmere.ini", "[Hosts]\nForumBbsHost=bbs.forum.test:8080\n");
    ReloadHosts();
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"file:///C:/Program/post-free-300-2.shtml",
         "http://bbs.forum.test:8080/Program/post-free-300-2.shtml"},
        {"http://bbs.forum.test:8080/post-free-300-2.shtml",
         "http://bbs.forum.test:8080/post-free-300-2.shtml"},
        {"https://bbs.forum.test/post-1.shtml", "https://bbs.forum.test/post-1.shtml"},
        {"file:post-1.shtml", "file:post-1.shtml"}, // its ":" stands too early
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RepairForumAddress(c.in).toStdString(), c.out) << c.in;
    ReloadHosts();
}

TEST(LoaderPath, GbkPageWithoutDeclarationParsesTheSame) {
    QString text = QString::fromUtf8(FixtureBytes("layout1-first.html"));
    text.remove("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    QStringEncoder encoder("GB18030");
    const QByteArray gbk = encoder.encode(text);
    ASSERT_NE(gbk, text.toUtf8());

    Parsed utf8Page = ReadFixture("layout1-first.html", kAddress1);
    Parsed gbkPage = Read(LoaderDocument(gbk, kAddress1), kAddress1);
    ASSERT_TRUE(gbkPage.ok);
    EXPECT_EQ(gbkPage.info.title, "我的长帖子");
    QList<PostRecord> a, b;
    QList<PictureRecord> pa, pb;
    ASSERT_TRUE(ParserOf(utf8Page)->ParsePosts(1, &a, &pa));
    ASSERT_TRUE(ParserOf(gbkPage)->ParsePosts(1, &b, &pb));
    EXPECT_EQ(Describe(a), Describe(b));
}

} // namespace
