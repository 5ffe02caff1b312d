#include "server/parse/HtmlDocument.h"
#include "server/parse/PageDocumentBuilder.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

DocumentPtr Parse(const QString& body,
                  const QString& address = "http://bbs.example.test/a/b.shtml") {
    return BuildPageDocument("<html><head></head><body></body></html>", body, address,
                             "file:///home/u/Show.html");
}

struct InnerTextCase {
    const char* name;
    const char* html; // the content of an element with id "x"
    const char* expected;
};

// The inner-text rule, case by case; the element under test is always <div id="x">.
const InnerTextCase kInnerTextCases[] = {
    {"plain", "hello", "hello"},
    {"inline elements join", "a<b>b</b><i>c</i>", "abc"},
    {"br breaks a line", "a<br>b", "a\nb"},
    {"two br give an empty line", "a<br><br>b", "a\n\nb"},
    {"space before br dropped", "a  <br>  b", "a\nb"},
    {"leading br kept", "<br>a", "\na"},
    {"blocks on their own lines", "a<div>b</div>c", "a\nb\nc"},
    {"neighbouring blocks merge breaks", "<div>a</div><div>b</div><p>c</p>", "a\nb\nc"},
    {"nested blocks give one break", "<div><div><p>a</p></div></div><div>b</div>", "a\nb"},
    {"no break at either end", "<p>a</p>", "a"},
    {"list items", "<ul><li>one</li><li>two</li></ul>", "one\ntwo"},
    {"headings", "<h1>T</h1>text", "T\ntext"},
    {"cells separated by tab", "<table><tr><td>a</td><td>b</td><td>c</td></tr></table>", "a\tb\tc"},
    {"rows on their own lines",
     "<table><tr><td>a</td><td>b</td></tr><tr><th>c</th><td>d</td></tr></table>", "a\tb\nc\td"},
    {"white space collapses", "  a \t\n  b   c  ", "a b c"},
    {"space across elements collapses", "a <span> b</span>", "a b"},
    {"pre keeps white space", "<pre>a  b\n  c</pre>", "a  b\n  c"},
    {"pre inside text on own line", "x<pre>a  b</pre>y", "x\na  b\ny"},
    {"script and style give nothing",
     "a<script>var x = 1;</script><style>p{}</style><noscript>n</noscript>b", "ab"},
    {"comments give nothing", "a<!-- c -->b", "ab"},
    {"nbsp stays", "a&nbsp;&nbsp;b", "a\u00a0\u00a0b"},
    {"nbsp not trimmed", "&nbsp;a", "\u00a0a"},
    {"entities decoded", "&lt;&amp;&gt;&quot;", "<&>\""},
    {"chinese text", "作者：张三　日期：2012-1-5", "作者：张三　日期：2012-1-5"},
    {"empty", "", ""},
};

class InnerTextRule : public testing::TestWithParam<InnerTextCase> {};

TEST_P(InnerTextRule, MatchesBrowserLikeText) {
    const InnerTextCase& c = GetParam();
    DocumentPtr doc = Parse(QString("<div id=\"x\">%1</div>").arg(QString::fromUtf8(c.html)));
    const HtmlNode* x = doc->ElementById("x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(doc->InnerText(x).toStdString(), std::string(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, InnerTextRule, testing::ValuesIn(kInnerTextCases),
                         [](const testing::TestParamInfo<InnerTextCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(InnerText, OfTextNodeAndOfSilentElement) {
    DocumentPtr doc =
        Parse("<div id=\"x\">  title  words <b>b</b></div><script id=\"s\">x</script>");
    const HtmlNode* first = doc->ElementById("x")->ChildNodes().front();
    ASSERT_TRUE(first->IsText());
    EXPECT_EQ(doc->InnerText(first), "title words");
    EXPECT_EQ(doc->InnerText(doc->ElementById("s")), "");
    EXPECT_EQ(doc->InnerText(nullptr), "");
}

TEST(HtmlDocument, TreeShapeAndOrder) {
    DocumentPtr doc =
        Parse("<div id=\"a\" class=\"post big\">t1<p id=\"b\">t2</p> <span id=\"c\"></span></div>");
    const HtmlNode* a = doc->ElementById("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Tag(), "div");
    EXPECT_EQ(a->ClassName(), "post big");
    EXPECT_EQ(a->Parent(), doc->Body());
    // Child nodes keep text nodes; the significant list drops layout white space only.
    EXPECT_EQ(a->ChildNodes().size(), 4u);
    EXPECT_EQ(a->SignificantChildNodes().size(), 3u);
    ASSERT_EQ(a->ChildElements().size(), 2u);
    EXPECT_EQ(a->ChildElements()[1]->Id(), "c");
    const auto descendants = a->DescendantElements();
    ASSERT_EQ(descendants.size(), 2u);
    EXPECT_EQ(descendants[0]->Id(), "b");
    EXPECT_EQ(descendants[1]->Id(), "c");
    EXPECT_EQ(doc->ElementById("missing"), nullptr);
}

TEST(HtmlDocument, FirstElementWinsForDuplicateIds) {
    DocumentPtr doc = Parse("<p id=\"d\">one</p><p id=\"d\">two</p>");
    EXPECT_EQ(doc->InnerText(doc->ElementById("d")), "one");
}

TEST(HtmlDocument, OuterHtmlQuotesAndEscapes) {
    DocumentPtr doc =
        Parse("<div id=x><img src='a.jpg?x=1&amp;y=2' alt=\"say &quot;hi&quot;\">a&lt;b<br></div>");
    EXPECT_EQ(
        doc->OuterHtml(doc->ElementById("x")),
        "<div id=\"x\"><img src=\"a.jpg?x=1&amp;y=2\" alt=\"say &quot;hi&quot;\">a&lt;b<br></div>");
    EXPECT_EQ(doc->OuterHtml(nullptr), "");
}

TEST(HtmlDocument, HrefResolvesAgainstPageAddress) {
    DocumentPtr doc = Parse("<a id=a1 href=\"post-2.shtml\">x</a><a id=a2 href=\"/b/c.shtml\">x</a>"
                            "<a id=a3 href=\"http://other.test/z\">x</a><a id=a4>x</a><a id=a5 "
                            "href=\"javascript:void(0)\">x</a>",
                            "http://bbs.example.test/post/list-1.shtml");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a1")),
              "http://bbs.example.test/post/post-2.shtml");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a2")), "http://bbs.example.test/b/c.shtml");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a3")), "http://other.test/z");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a4")), "");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a5")), "javascript:void(0)");
    EXPECT_EQ(doc->DocumentUrl(), "file:///home/u/Show.html");
}

TEST(HtmlDocument, SharedAcrossThreads) {
    DocumentPtr doc = Parse("<div id=x><p>a</p><p>b</p></div>");
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                if (doc->InnerText(doc->ElementById("x")) == "a\nb")
                    ++good;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good.load(), 800);
}

} // namespace
