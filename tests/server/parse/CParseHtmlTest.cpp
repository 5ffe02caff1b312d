#include "server/parse/CParseHtml.h"
#include "server/parse/PageDocumentBuilder.h"

#include <gtest/gtest.h>

namespace {

CParseHtml Page(const QString& body,
                const QString& address = "http://bbs.example.test/post/a-1.shtml") {
    return CParseHtml(BuildPageDocument("<html><head></head><body></body></html>", body, address,
                                        "file:///home/u/Show.html"),
                      address);
}

TEST(ExtractImageUrl, Rule) {
    struct Case {
        const char* html;
        const char* expected;
    } cases[] = {
        {"<img src=\"http://p.test/a.jpg\">", "http://p.test/a.jpg"},
        {"<img src=\"http://p.test/small.jpg\" original=\"http://p.test/Big.JPG\">",
         "http://p.test/Big.JPG"},
        {"<IMG SRC=\"http://p.test/Case.Jpg\">",
         "http://p.test/Case.Jpg"}, // found in lower case, cut as written
        {"<img original=\"\" src=\"http://p.test/b.jpg\">", "http://p.test/b.jpg"},
        {"<img src='http://p.test/a.jpg'>", ""},
        {"<img alt=\"x\">", ""},
        {"<img src=\"http://p.test/a.jpg?x=1&amp;y=2\">", "http://p.test/a.jpg?x=1&y=2"},
        {"<img src=\"http://p.test/unterminated>", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CParseHtml::ExtractImageUrl(QString::fromUtf8(c.html)).toStdString(), c.expected)
            << c.html;
}

TEST(CParseHtml, ListImageUrlsInOrderWithoutEmpty) {
    CParseHtml page =
        Page("<div id=p><img src=\"http://p.test/1.jpg\"><p><img original=\"http://p.test/2.jpg\" "
             "src=\"http://p.test/loading.gif\"></p><img alt=none><img src=\"3.jpg\"></div>");
    EXPECT_EQ(CParseHtml::ListImageUrls(page.GetElementById("p")),
              QStringList({"http://p.test/1.jpg", "http://p.test/2.jpg",
                           "http://bbs.example.test/post/3.jpg"}));
    EXPECT_TRUE(CParseHtml::ListImageUrls(nullptr).isEmpty());
}

TEST(CParseHtml, FindByClassNameMatchesWholeClass) {
    CParseHtml page =
        Page("<div id=r><div class=\"post second\">a</div><div class=\"post\">b</div></div>");
    auto found = CParseHtml::FindByClassName(page.GetElementById("r"), "post");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(CParseHtml::GetInnerText(found), "b");
    EXPECT_EQ(CParseHtml::FindByClassName(page.GetElementById("r"), "second"), nullptr);
    EXPECT_EQ(CParseHtml::FindByClassName(nullptr, "post"), nullptr);
}

TEST(CParseHtml, ChildNodes) {
    CParseHtml page =
        Page("<div id=r>\n  <p>one</p>\n  text<span>two</span>\n</div><div id=e></div>");
    auto root = page.GetElementById("r");
    EXPECT_EQ(CParseHtml::GetInnerText(CParseHtml::GetFirstChildNode(root)), "one");
    EXPECT_EQ(CParseHtml::GetInnerText(CParseHtml::GetChildNode(root, 0)), "one");
    EXPECT_EQ(CParseHtml::GetChildNode(root, 1), nullptr); // a text node is not an element
    EXPECT_EQ(CParseHtml::GetInnerText(CParseHtml::GetChildNode(root, 2)), "two");
    EXPECT_EQ(CParseHtml::GetChildNode(root, 3), nullptr); // n equal to the number of children
    EXPECT_EQ(CParseHtml::GetChildNode(root, -1), nullptr);
    EXPECT_EQ(CParseHtml::GetFirstChildNode(page.GetElementById("e")), nullptr);
    auto all = CParseHtml::GetAll(root);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(CParseHtml::GetItem(all, 1)->Tag(), "span");
    EXPECT_EQ(CParseHtml::GetItem(all, 2), nullptr);
}

TEST(CParseHtml, LinksAndButtons) {
    CParseHtml page =
        Page("<div id=n><a href=\"a-1.shtml\">首页</a><a href=\"a-2.shtml\"><b>2</b></a>"
             "<a>no href</a><a href=\"x\"></a><a href=\"a-3.shtml\">下一页</a>"
             "<input type=text value=\"登录\"><input type=button value=\"登录\" id=b></div>");
    auto nav = page.GetElementById("n");
    QString href;
    EXPECT_TRUE(CParseHtml::GetAnchorHrefByText(nav, "下一页", &href));
    EXPECT_EQ(href, "http://bbs.example.test/post/a-3.shtml");
    EXPECT_FALSE(CParseHtml::GetAnchorHrefByText(nav, "末页", &href));
    EXPECT_EQ(CParseHtml::FindAnchorByText(nav, "下一"), nullptr); // whole text only

    QList<LinkItem> links{{"stale", "stale"}};
    CParseHtml::ListAnchors(nav, &links);
    ASSERT_EQ(links.size(), 3);
    EXPECT_EQ(links[1].text, "2");
    EXPECT_EQ(links[1].address, "http://bbs.example.test/post/a-2.shtml");

    auto button = CParseHtml::FindButtonByValue(nav, "登录");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Id(), "b");
    EXPECT_EQ(page.GetDocumentUrl(), "file:///home/u/Show.html");
}

TEST(CParseHtml, MissingPartsGiveEmpty) {
    CParseHtml none(nullptr, "http://x.test/");
    EXPECT_EQ(none.GetElementById("a"), nullptr);
    EXPECT_EQ(CParseHtml::GetInnerText(nullptr), "");
    EXPECT_EQ(CParseHtml::GetOuterHtml(nullptr), "");
    EXPECT_EQ(CParseHtml::GetClassName(nullptr), "");
    EXPECT_EQ(CParseHtml::GetHref(nullptr), "");
    EXPECT_EQ(none.GetDocumentUrl(), "");
    EXPECT_EQ(none.ClassifyErrorPage(), 1);
}

TEST(ClassifyErrorPage, Classes) {
    const QString filler(1100, QChar(u'字'));
    struct Case {
        const char* name;
        QString body;
        int expected;
    } cases[] = {
        {"normal", "<p>一个正常的帖子</p>", 0},
        {"browser cannot display",
         "<p>此程序无法显示网页</p><p>未连接到 "
         "Internet</p><p>该网站遇到了问题</p><p>在地址中可能存在键入错误</p>",
         3},
        {"navigation cancelled",
         "<p>已取消到该网页的导航</p><p>您可以尝试以下操作：</p><p>刷新该网页。</p>", 3},
        {"server error", "<h1>错误</h1><p>HTTP 500 - server error</p>", 2},
        {"server error too long", "<p>x" + QString(300, u'y') + " HTTP 500 - server error</p>", 0},
        {"not found", "<p>Error: HTTP 404 - File not found</p>", 2},
        {"not found at the very start", "HTTP 404 - File not found", 0},
        {"removed thread", "<p>对不起，您访问的页面不存在，可能已被删除或更名。</p>", 2},
        {"removed words at the start", "页面不存在，删除 更名", 0},
        {"long page whatever it says",
         "<p>页面不存在 删除 更名 HTTP 404 - File not found " + filler + "</p>", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Page(c.body).ClassifyErrorPage(), c.expected) << c.name;
}

TEST(DecimalValue, LeadingDigits) {
    EXPECT_EQ(DecimalValue("12"), 12);
    EXPECT_EQ(DecimalValue(" 7页"), 7);
    EXPECT_EQ(DecimalValue("上一页"), 0);
    EXPECT_EQ(DecimalValue(""), 0);
    EXPECT_EQ(DecimalValue("2147483647"), 2147483647);
    EXPECT_EQ(DecimalValue("2147483648"), -1);
    EXPECT_EQ(DecimalValue("000000000000012"), 12);
}

} // namespace
