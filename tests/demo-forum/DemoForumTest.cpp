#include "tests/demo-forum/DemoForumProcess.h"
#include "tests/demo-forum/HtmlTree.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"
#include "tools/demo-forum/GbkEncoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QThread>
#include <gtest/gtest.h>
#include <set>

namespace {

const QString kUtf8Marker = QStringLiteral("charset=utf-8");

QJsonObject postsOf(const DemoForumProcess& forum, int thread) {
    const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QStringLiteral("www.forum")),
                                 QStringLiteral("/__control/posts?thread=%1").arg(thread));
    return QJsonDocument::fromJson(QByteArray::fromStdString(a.body)).object();
}

// The page's address for page n, from the thread's first-page address.
QString pageAddress(const QJsonObject& thread, int page) {
    QString first = thread.value(QStringLiteral("firstPage")).toString();
    return first.replace(QRegularExpression(QStringLiteral("-1\\.shtml$")),
                         QStringLiteral("-%1.shtml").arg(page));
}

struct ExpectedPost {
    QString author, time, content;
    QStringList pictures;
};

std::vector<ExpectedPost> expectedOnPage(const QJsonObject& thread, int page) {
    std::vector<ExpectedPost> result;
    for (const QJsonValue& v : thread.value(QStringLiteral("posts")).toArray()) {
        const QJsonObject p = v.toObject();
        if (p.value(QStringLiteral("page")).toInt() != page)
            continue;
        QStringList pictures;
        for (const QJsonValue& pic : p.value(QStringLiteral("pictures")).toArray())
            pictures << pic.toString();
        result.push_back({p.value(QStringLiteral("author")).toString(),
                          p.value(QStringLiteral("time")).toString(),
                          p.value(QStringLiteral("content")).toString(), pictures});
    }
    return result;
}

// The time a post header shows, with every digit group padded to two digits, read from
// the first "2" after the author: what the reader's header rule makes of it.
QString headerTime(const QString& header, const QString& author) {
    const qsizetype at = header.indexOf(author);
    if (at < 0)
        return {};
    QString rest = header.mid(at + author.size());
    rest = rest.mid(rest.indexOf(QLatin1Char('2')));
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2}) (\\d{1,2}):(\\d{2}):(\\d{2})"));
    const QRegularExpressionMatch m = shape.match(rest);
    if (!m.hasMatch())
        return {};
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(m.captured(1))
        .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(4).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(5), m.captured(6));
}

// Addresses of the pictures of one post body, the late-loading address first.
QStringList pictureAddresses(const HtmlTree& tree, const GumboNode* body) {
    QStringList result;
    for (const GumboNode* img : tree.ByTag(body, GUMBO_TAG_IMG)) {
        const QString late = HtmlTree::Attribute(img, "original");
        result << (late.isEmpty() ? HtmlTree::Attribute(img, "src") : late);
    }
    return result;
}

bool noBlankChildren(const GumboNode* node) {
    for (const GumboNode* child : HtmlTree::ChildNodes(node))
        if (child->type != GUMBO_NODE_ELEMENT)
            return false;
    return true;
}

class DemoForumTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(forum.Ready()) << "the forum did not start"; }

    HttpAnswer Get(const QString& address, const QString& cookie = {}) const {
        return HttpGet(forum.Port(), HostOf(address), PathOf(address), cookie);
    }

    TempHome home;
    DemoForumProcess forum;
};

// ---- thread pages ----

enum class Where { First, Middle, Last };

struct PageCase {
    int thread;
    int layout;
    Where where;
};

class ThreadPageTest : public DemoForumTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(ThreadPageTest, PageCarriesWhatTheLayoutReaderNeedsAndTheThreadsPosts) {
    const PageCase c = GetParam();
    const QJsonObject thread = postsOf(forum, c.thread);
    ASSERT_EQ(thread.value(QStringLiteral("layout")).toInt(), c.layout);
    const int count = thread.value(QStringLiteral("pages")).toInt();
    const int page = c.where == Where::First ? 1 : c.where == Where::Last ? count : count / 2;
    const HttpAnswer answer = Get(pageAddress(thread, page));
    ASSERT_TRUE(answer.ok);
    ASSERT_EQ(answer.status, 200);
    const bool gbk = answer.Header("Content-Type").find("GBK") != std::string::npos;
    const std::string html =
        gbk ? DecodeGbk(QByteArray::fromStdString(answer.body)).toStdString() : answer.body;
    HtmlTree tree(html);
    const QString title = thread.value(QStringLiteral("title")).toString();
    const std::vector<ExpectedPost> expected = expectedOnPage(thread, page);
    ASSERT_FALSE(expected.empty());

    struct Seen {
        QString header, content;
        QStringList pictures;
    };
    std::vector<Seen> seen;
    const auto neighbour = [&](int p) { return pageAddress(thread, p); };
    std::vector<std::pair<QString, QString>> navLinks;

    if (c.layout == 1 || c.layout == 3) {
        const QString navId =
            c.layout == 1 ? QStringLiteral("pageDivTop") : QStringLiteral("pageForm");
        EXPECT_TRUE(tree.ById(c.layout == 1 ? QStringLiteral("firstAuthor")
                                            : QStringLiteral("content-container")));
        if (c.layout == 3) {
            EXPECT_FALSE(tree.ById(QStringLiteral("firstAuthor")));
        }
        const GumboNode* titleNode = tree.ById(
            c.layout == 1 ? QStringLiteral("adsp_content_title_left") : QStringLiteral("hTitle"));
        ASSERT_TRUE(titleNode);
        EXPECT_EQ(HtmlTree::Text(titleNode->parent), title);
        const GumboNode* nav = tree.ById(navId);
        ASSERT_TRUE(nav);
        EXPECT_TRUE(noBlankChildren(nav));
        const auto current = tree.ByClass(nav, QStringLiteral("current"));
        ASSERT_EQ(current.size(), 1u);
        EXPECT_EQ(HtmlTree::Text(current[0]), QString::number(page));
        const QString navText = HtmlTree::Text(nav);
        const qsizetype total = navText.indexOf(QStringLiteral("共"));
        ASSERT_GE(total, 0);
        EXPECT_EQ(navText.mid(total + 1, navText.indexOf(QStringLiteral("页"), total) - total - 1),
                  QString::number(count));
        navLinks = HtmlTree::Links(nav);
        // The link just before the current page leads to the page before it.
        if (page > 1) {
            const GumboNode* before = nullptr;
            for (const GumboNode* child : HtmlTree::ChildNodes(nav)) {
                if (child == current[0])
                    break;
                before = child;
            }
            ASSERT_TRUE(HtmlTree::IsTag(before, GUMBO_TAG_A));
            EXPECT_EQ(HtmlTree::Attribute(before, "href"), neighbour(page - 1));
        }
        const GumboNode* posts = tree.ById(QStringLiteral("pContentDiv"));
        ASSERT_TRUE(posts);
        EXPECT_TRUE(noBlankChildren(posts));
        if (c.layout == 1) {
            const QString starter = HtmlTree::Text(tree.ById(QStringLiteral("firstAuthor")));
            QString header = starter; // the opening post has no header of its own
            for (const GumboNode* child : HtmlTree::ChildNodes(posts)) {
                if (HtmlTree::IsTag(child, GUMBO_TAG_TABLE))
                    header = HtmlTree::Text(child);
                else if (HtmlTree::Attribute(child, "class") == QLatin1String("post"))
                    seen.push_back({header, HtmlTree::Text(child), pictureAddresses(tree, child)});
                else
                    ADD_FAILURE() << "unexpected child in the post area";
            }
        } else {
            for (const GumboNode* block : HtmlTree::ChildNodes(posts)) {
                const auto parts = HtmlTree::ChildNodes(block);
                ASSERT_EQ(parts.size(), 2u) << "a post block is its header and its body";
                seen.push_back({HtmlTree::Text(parts[0]), HtmlTree::Text(parts[1]),
                                pictureAddresses(tree, parts[1])});
            }
        }
        EXPECT_TRUE(tree.ById(QStringLiteral("idarticlekey")));
        EXPECT_TRUE(tree.ById(QStringLiteral("button2")));
    } else {
        const GumboNode* head = tree.ById(QStringLiteral("post_head"));
        ASSERT_TRUE(head);
        EXPECT_FALSE(tree.ById(QStringLiteral("firstAuthor")));
        EXPECT_FALSE(tree.ById(QStringLiteral("content-container")));
        const auto headChildren = HtmlTree::ChildNodes(head);
        ASSERT_FALSE(headChildren.empty());
        EXPECT_EQ(HtmlTree::Text(headChildren[0]), title);
        const auto info = tree.ByClass(head, QStringLiteral("atl-info"));
        ASSERT_EQ(info.size(), 1u);
        navLinks = HtmlTree::Links(head);
        // The highest number in the navigation is the page count, the one that is no link
        // the current page.
        int highest = 0, plain = 0;
        for (const auto& [text, href] : navLinks)
            if (text.toInt() > 0)
                highest = std::max(highest, text.toInt());
        for (const GumboNode* strong : tree.ByTag(head, GUMBO_TAG_STRONG))
            plain = HtmlTree::Text(strong).toInt();
        if (count > 1) {
            EXPECT_EQ(std::max(highest, plain), count);
            EXPECT_EQ(plain, page);
        }
        const auto main = tree.ByClass(head->parent, QStringLiteral("atl-main"));
        ASSERT_EQ(main.size(), 1u);
        EXPECT_TRUE(noBlankChildren(main[0]));
        bool firstItem = true;
        for (const GumboNode* item : HtmlTree::ChildNodes(main[0])) {
            ASSERT_EQ(HtmlTree::Attribute(item, "class"), QStringLiteral("atl-item"));
            const auto itemHead = tree.ByClass(item, QStringLiteral("atl-head"));
            const auto body = tree.ByClass(item, QStringLiteral("atl-content"));
            ASSERT_EQ(body.size(), 1u);
            QString header;
            if (page == 1 && firstItem)
                header = HtmlTree::Text(info[0]);
            else if (itemHead.size() == 1)
                header = HtmlTree::Text(itemHead[0]);
            else
                ADD_FAILURE() << "a post without its header";
            seen.push_back({header, HtmlTree::Text(body[0]), pictureAddresses(tree, body[0])});
            firstItem = false;
        }
    }

    // Neighbouring pages by their link texts.
    const QString previousText = c.layout == 4 ? QStringLiteral("上页") : QStringLiteral("上一页");
    const QString nextText = c.layout == 4 ? QStringLiteral("下页") : QStringLiteral("下一页");
    QString previous, next;
    for (const auto& [text, href] : navLinks) {
        if (text == previousText)
            previous = href;
        if (text == nextText)
            next = href;
    }
    EXPECT_EQ(previous, page > 1 ? neighbour(page - 1) : QString());
    EXPECT_EQ(next, page < count ? neighbour(page + 1) : QString());

    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(seen[i].header.contains(QStringLiteral("：") + expected[i].author));
        EXPECT_EQ(headerTime(seen[i].header, expected[i].author), expected[i].time);
        EXPECT_EQ(seen[i].content, expected[i].content);
        EXPECT_EQ(seen[i].pictures, expected[i].pictures);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ThreadPageTest,
    ::testing::Values(PageCase{1001, 1, Where::First}, PageCase{1001, 1, Where::Middle},
                      PageCase{1001, 1, Where::Last}, PageCase{1007, 3, Where::First},
                      PageCase{1007, 3, Where::Middle}, PageCase{1007, 3, Where::Last},
                      PageCase{1006, 3, Where::Middle}, PageCase{1002, 4, Where::First},
                      PageCase{1002, 4, Where::Middle}, PageCase{1002, 4, Where::Last},
                      PageCase{1003, 4, Where::Middle}));

TEST_F(DemoForumTest, ThreadListHasTheThreadKindsTheTestsAndTheDemoNeed) {
    const HttpAnswer a =
        HttpGet(forum.Port(), QStringLiteral("127.0.0.1"), QStringLiteral("/__control/threads"));
    std::map<QString, QJsonObject> byKind;
    for (const QJsonValue& v : QJsonDocument::fromJson(QByteArray::fromStdString(a.body)).array())
        byKind[v.toObject().value(QStringLiteral("kind")).toString()] = v.toObject();
    EXPECT_LE(byKind[QStringLiteral("short")].value(QStringLiteral("pages")).toInt(), 20);
    EXPECT_GE(byKind[QStringLiteral("long")].value(QStringLiteral("pages")).toInt(), 150);
    for (const char* kind : {"pictures", "growing", "deleted", "gbk", "layout3"})
        EXPECT_TRUE(byKind.count(QString::fromLatin1(kind))) << kind;
}

TEST_F(DemoForumTest, PicturePostsCarrySeveralPicturesSomeLoadingLateAndAllAreServed) {
    const QJsonObject thread = postsOf(forum, 1003);
    const HttpAnswer page = Get(pageAddress(thread, 1));
    HtmlTree tree(page.body);
    int late = 0, plain = 0;
    for (const GumboNode* img : tree.ByTag(tree.Root(), GUMBO_TAG_IMG))
        (HtmlTree::Attribute(img, "original").isEmpty() ? plain : late)++;
    EXPECT_GT(late, 0);
    EXPECT_GT(plain, 0);
    QSet<QString> addresses;
    int multi = 0;
    for (const ExpectedPost& post : expectedOnPage(thread, 1)) {
        multi += post.pictures.size() >= 2;
        for (const QString& p : post.pictures)
            addresses.insert(p);
    }
    EXPECT_GT(multi, 0);
    for (const QString& address : addresses) {
        const HttpAnswer picture = Get(address);
        ASSERT_EQ(picture.status, 200) << address.toStdString();
        EXPECT_EQ(picture.Header("Content-Type"), "image/png");
        EXPECT_GT(picture.body.size(), 10u);
        EXPECT_EQ(picture.body.substr(0, 4), "\x89PNG");
    }
}

TEST_F(DemoForumTest, UnknownAddressesAnswerNotFound) {
    const struct {
        const char* host;
        const char* path;
    } cases[] = {
        {"www.forum", "/publicforum/content/free/1/9999-1.shtml"},  // no such thread
        {"www.forum", "/publicforum/content/free/1/1001-13.shtml"}, // past the last page
        {"www.forum", "/publicforum/content/news/1/1001-1.shtml"},  // wrong board
        {"bbs.forum", "/publicforum/content/free/1/1001-1.shtml"},  // wrong host
        {"img.forum", "/pic/../../etc/passwd"},
        {"focus.forum", "/nothing"},
    };
    for (const auto& c : cases) {
        const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QString::fromLatin1(c.host)),
                                     QString::fromLatin1(c.path));
        EXPECT_EQ(a.status, 404) << c.host << c.path;
    }
}

TEST_F(DemoForumTest, AddressesAreReadIgnoringLetterCase) {
    const QJsonObject thread = postsOf(forum, 1003);
    const HttpAnswer a = Get(pageAddress(thread, 2).toUpper().replace(QStringLiteral("HTTP://"),
                                                                      QStringLiteral("http://")));
    EXPECT_EQ(a.status, 200);
}

TEST_F(DemoForumTest, GotoFormLeadsToTheWantedPageWithinTheThread) {
    const QJsonObject thread = postsOf(forum, 1001);
    const QString host = forum.Host(QStringLiteral("www.forum"));
    const struct {
        const char* page;
        int expected;
    } cases[] = {{"5", 5}, {"0", 1}, {"999", 12}, {"x", 1}};
    for (const auto& c : cases) {
        const HttpAnswer a =
            HttpGet(forum.Port(), host,
                    QStringLiteral("/goto?thread=1001&page=") + QString::fromLatin1(c.page));
        EXPECT_EQ(a.status, 302);
        EXPECT_EQ(QString::fromStdString(a.Header("Location")), pageAddress(thread, c.expected))
            << c.page;
    }
}

// ---- the deleted thread and the old code page ----

TEST_F(DemoForumTest, DeletedThreadAnswersTheForumsShortNoticePage) {
    const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QStringLiteral("www.forum")),
                                 QStringLiteral("/publicforum/content/free/1/1005-1.shtml"));
    EXPECT_EQ(a.status, 200);
    HtmlTree tree(a.body);
    const QString text = HtmlTree::Text(tree.ByTag(tree.Root(), GUMBO_TAG_BODY).at(0)).trimmed();
    EXPECT_LT(text.size(), 512);
    for (const QString& word :
         {QStringLiteral("页面不存在"), QStringLiteral("删除"), QStringLiteral("更名")})
        EXPECT_GT(text.indexOf(word), 0) << word.toStdString();
    EXPECT_FALSE(tree.ById(QStringLiteral("firstAuthor")));
}

TEST_F(DemoForumTest, GbkThreadIsServedInTheOldCodePageWithoutUtf8Declaration) {
    const QJsonObject thread = postsOf(forum, 1006);
    const HttpAnswer a = Get(pageAddress(thread, 1));
    ASSERT_EQ(a.status, 200);
    EXPECT_EQ(a.body.find(kUtf8Marker.toStdString()), std::string::npos);
    EXPECT_EQ(a.body.find("charset=\"utf-8\""), std::string::npos);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8(QByteArray::fromStdString(a.body));
    EXPECT_TRUE(utf8.hasError()) << "the bytes must not be UTF-8";
    const QString decoded = DecodeGbk(QByteArray::fromStdString(a.body));
    EXPECT_TRUE(decoded.contains(thread.value(QStringLiteral("title")).toString()));
    EXPECT_TRUE(decoded.contains(QStringLiteral("<body")));
    EXPECT_TRUE(decoded.contains(QStringLiteral("</body")));
}

TEST_F(DemoForumTest, Utf8PagesDeclareTheirEncodingInTheHead) {
    const QJsonObject thread = postsOf(forum, 1001);
    const HttpAnswer a = Get(pageAddress(thread, 1));
    const size_t head = a.body.find("</head>");
    const size_t declared = a.body.find(kUtf8Marker.toStdString());
    ASSERT_NE(declared, std::string::npos);
    EXPECT_LT(declared, head);
    EXPECT_NE(a.body.rfind("<meta", declared), std::string::npos);
}

// ---- front page, maker's sites ----

TEST_F(DemoForumTest, FrontPageHasTheTwentyBlocksWithRepeatedAndOutsideLinks) {
    const QStringList ids = {
        QStringLiteral("header_news"), QStringLiteral("头条文字链"), QStringLiteral("热点推荐"),
        QStringLiteral("社会文字链"),  QStringLiteral("深度文字链"), QStringLiteral("公益"),
        QStringLiteral("文学文字链"),  QStringLiteral("财经文字链"), QStringLiteral("汽车文字链"),
        QStringLiteral("it文字链"),    QStringLiteral("数码文字链"), QStringLiteral("女人文字链"),
        QStringLiteral("时尚文字链"),  QStringLiteral("情感文字链"), QStringLiteral("旅游文字链"),
        QStringLiteral("房产文字链"),  QStringLiteral("游戏文字链"), QStringLiteral("娱乐文字链"),
        QStringLiteral("体育文字链"),  QStringLiteral("校园文字链")};
    const HttpAnswer a =
        HttpGet(forum.Port(), forum.Host(QStringLiteral("focus.forum")), QStringLiteral("/"));
    ASSERT_EQ(a.status, 200);
    HtmlTree tree(a.body);
    const QString forumPrefix = QStringLiteral("http://") + forum.Host(QStringLiteral("www.forum"));
    const QString bbsPrefix = QStringLiteral("http://") + forum.Host(QStringLiteral("bbs.forum"));
    std::map<QString, std::set<QString>> blocksOfAddress;
    int outside = 0;
    for (const QString& id : ids) {
        const GumboNode* block = tree.ById(id);
        ASSERT_TRUE(block) << id.toStdString();
        const auto links = HtmlTree::Links(block);
        EXPECT_FALSE(links.empty()) << id.toStdString();
        for (const auto& [text, href] : links) {
            EXPECT_FALSE(text.isEmpty());
            if (!href.startsWith(forumPrefix) && !href.startsWith(bbsPrefix))
                ++outside;
            else
                EXPECT_EQ(Get(href).status, 200) << href.toStdString();
            blocksOfAddress[href].insert(id);
        }
    }
    EXPECT_GT(outside, 0);
    bool repeated = false;
    for (const auto& [href, blocks] : blocksOfAddress)
        repeated = repeated || blocks.size() > 1;
    EXPECT_TRUE(repeated);
    // The page's own block order is not the reader's order.
    QStringList pageOrder;
    for (const GumboNode* node : tree.ByClass(tree.Root(), QStringLiteral("blk")))
        pageOrder << HtmlTree::Attribute(node, "id");
    EXPECT_NE(pageOrder, ids);
}

TEST_F(DemoForumTest, VersionPageTableHasSixCellRowsAndARowForTheReadersVersion) {
    const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QStringLiteral("www.quillmere")),
                                 QStringLiteral("/Quillmere/SoftVer.html"));
    ASSERT_EQ(a.status, 200);
    HtmlTree tree(a.body);
    const GumboNode* table = tree.ById(QStringLiteral("SoftVerUpdate"));
    ASSERT_TRUE(table);
    const auto bodyNodes = HtmlTree::ChildNodes(table);
    ASSERT_FALSE(bodyNodes.empty());
    ASSERT_TRUE(HtmlTree::IsTag(bodyNodes[0], GUMBO_TAG_TBODY));
    bool covers = false;
    for (const GumboNode* row : HtmlTree::ChildNodes(bodyNodes[0])) {
        const auto cells = HtmlTree::ChildNodes(row);
        ASSERT_EQ(cells.size(), 6u);
        EXPECT_EQ(HtmlTree::Links(cells[5]).size(), 3u);
        const QString from = HtmlTree::Text(cells[0]), to = HtmlTree::Text(cells[1]);
        covers = covers || (QStringLiteral("0.93") >= from && QStringLiteral("0.93") <= to);
    }
    EXPECT_TRUE(covers);
}

TEST_F(DemoForumTest, VersionOfferNoneLeavesTheReadersVersionUncovered) {
    DemoForumProcess none({QStringLiteral("--version-offer"), QStringLiteral("none")});
    ASSERT_TRUE(none.Ready());
    const HttpAnswer a = HttpGet(none.Port(), none.Host(QStringLiteral("www.quillmere")),
                                 QStringLiteral("/Quillmere/SoftVer.html"));
    HtmlTree tree(a.body);
    const GumboNode* body = HtmlTree::ChildNodes(tree.ById(QStringLiteral("SoftVerUpdate"))).at(0);
    for (const GumboNode* row : HtmlTree::ChildNodes(body)) {
        const auto cells = HtmlTree::ChildNodes(row);
        EXPECT_FALSE(QStringLiteral("0.93") >= HtmlTree::Text(cells[0]) &&
                     QStringLiteral("0.93") <= HtmlTree::Text(cells[1]));
    }
}

TEST_F(DemoForumTest, DiscountListRowsHaveEightCellsWithNumbersInTheLastTwo) {
    const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QStringLiteral("zhe.quillmere")),
                                 QStringLiteral("/zhe/readadvert.php"));
    ASSERT_EQ(a.status, 200);
    HtmlTree tree(a.body);
    const GumboNode* main = tree.ById(QStringLiteral("main"));
    ASSERT_TRUE(main);
    const auto rows = HtmlTree::ChildNodes(main);
    EXPECT_GE(rows.size(), 26u); // more than one record's worth
    for (const GumboNode* row : rows) {
        const auto cells = HtmlTree::ChildNodes(row);
        ASSERT_EQ(cells.size(), 8u);
        EXPECT_FALSE(HtmlTree::Links(cells[4]).empty());
        EXPECT_FALSE(HtmlTree::Text(cells[5]).isEmpty());
        bool ok6 = false, ok7 = false;
        HtmlTree::Text(cells[6]).toInt(&ok6);
        HtmlTree::Text(cells[7]).toInt(&ok7);
        EXPECT_TRUE(ok6 && ok7);
    }
}

TEST_F(DemoForumTest, BrowsingTabPagesAreServed) {
    const struct {
        const char* host;
        const char* path;
        const char* contains;
    } cases[] = {
        {"www.forum", "/bbs/index.shtml", "target=\"_blank\""},
        {"zhe.quillmere", "/zhe/", "item.php?id="},
        {"zhe.quillmere", "/zhe/item.php?id=3", "class=\"item\""},
        {"www.quillmere", "/Quillmere/SoftHelp.html", "Quillmere"},
    };
    for (const auto& c : cases) {
        const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QString::fromLatin1(c.host)),
                                     QString::fromLatin1(c.path));
        EXPECT_EQ(a.status, 200) << c.path;
        EXPECT_NE(a.body.find(c.contains), std::string::npos) << c.path;
    }
}

TEST_F(DemoForumTest, BareHostForwardsItsThreadAddressesToTheBbsHost) {
    const HttpAnswer a = HttpGet(forum.Port(), forum.Host(QStringLiteral("forum")),
                                 QStringLiteral("/bbs/post-free-1002-3.shtml"));
    EXPECT_EQ(a.status, 302);
    EXPECT_EQ(QString::fromStdString(a.Header("Location")),
              QStringLiteral("http://") + forum.Host(QStringLiteral("bbs.forum")) +
                  QStringLiteral("/post-free-1002-3.shtml"));
}

// ---- login and reply ----

QString sessionCookie(const HttpAnswer& a) {
    const QString setCookie = QString::fromStdString(a.Header("Set-Cookie"));
    return setCookie.section(QLatin1Char(';'), 0, 0);
}

TEST_F(DemoForumTest, LoginAcceptsTheTestAccountAndRefusesAWrongCode) {
    const QString passport = forum.Host(QStringLiteral("passport.forum"));
    const HttpAnswer first = HttpGet(forum.Port(), passport, QStringLiteral("/login"));
    {
        HtmlTree tree(first.body);
        for (const char* id : {"loginForm", "userName", "password", "rmflag"})
            EXPECT_TRUE(tree.ById(QString::fromLatin1(id))) << id;
        EXPECT_FALSE(tree.ById(QStringLiteral("errMsg")));
        bool button = false;
        for (const GumboNode* input :
             tree.ByTag(tree.ById(QStringLiteral("loginForm")), GUMBO_TAG_INPUT))
            button = button || (HtmlTree::Attribute(input, "type") == QLatin1String("button") &&
                                HtmlTree::Attribute(input, "value") == QStringLiteral("登录"));
        EXPECT_TRUE(button);
    }
    const auto submit = [&](const char* user, const char* password, const QString& code) {
        return HttpPost(forum.Port(), passport, QStringLiteral("/login"),
                        {{QStringLiteral("userName"), QString::fromLatin1(user)},
                         {QStringLiteral("password"), QString::fromLatin1(password)},
                         {QStringLiteral("vc"), code}});
    };
    // A wrong password: the forum answers and from now on asks for a code.
    const HttpAnswer wrong = submit("demo", "nope", QStringLiteral("ABCD"));
    {
        HtmlTree tree(wrong.body);
        ASSERT_TRUE(tree.ById(QStringLiteral("errMsg")));
        EXPECT_FALSE(HtmlTree::Text(tree.ById(QStringLiteral("errMsg"))).isEmpty());
        EXPECT_TRUE(tree.ById(QStringLiteral("vc")));
        const GumboNode* img = tree.ById(QStringLiteral("imgCode"));
        ASSERT_TRUE(img);
        EXPECT_LE(HtmlTree::Attribute(img, "width").toInt() *
                      HtmlTree::Attribute(img, "height").toInt() * 4,
                  50000);
        const HttpAnswer picture = Get(HtmlTree::Attribute(img, "src"));
        EXPECT_EQ(picture.body.substr(0, 4), "\x89PNG");
        bool another = false;
        for (const auto& [text, href] : HtmlTree::Links(tree.ById(QStringLiteral("loginForm"))))
            another = another || text == QStringLiteral("换一张");
        EXPECT_TRUE(another);
        EXPECT_FALSE(tree.ById(QStringLiteral("top_nav_set")));
        EXPECT_TRUE(sessionCookie(wrong).isEmpty());
    }
    // The right account with a wrong code is refused.
    const QString code = QString::fromStdString(
        HttpGet(forum.Port(), passport, QStringLiteral("/__control/vcode")).body);
    const QString wrongCode =
        code == QLatin1String("1000") ? QStringLiteral("1001") : QStringLiteral("1000");
    const HttpAnswer refused = submit("demo", "demo123", wrongCode);
    {
        HtmlTree tree(refused.body);
        ASSERT_TRUE(tree.ById(QStringLiteral("errMsg")));
        EXPECT_TRUE(
            HtmlTree::Text(tree.ById(QStringLiteral("errMsg"))).contains(QStringLiteral("验证码")));
        EXPECT_FALSE(tree.ById(QStringLiteral("top_nav_set")));
        EXPECT_TRUE(sessionCookie(refused).isEmpty());
    }
    // A refusal draws a new code; the current one logs in.
    const QString newCode = QString::fromStdString(
        HttpGet(forum.Port(), passport, QStringLiteral("/__control/vcode")).body);
    const HttpAnswer accepted = submit("demo", "demo123", newCode);
    HtmlTree tree(accepted.body);
    EXPECT_TRUE(tree.ById(QStringLiteral("top_nav_set")));
    const QString cookie = sessionCookie(accepted);
    ASSERT_FALSE(cookie.isEmpty());
    EXPECT_NE(accepted.Header("Set-Cookie").find("Domain=forum.localhost"), std::string::npos);
    // The session shows as logged in on the login page itself.
    HtmlTree again(HttpGet(forum.Port(), passport, QStringLiteral("/login"), cookie).body);
    EXPECT_TRUE(again.ById(QStringLiteral("top_nav_set")));
}

class ReplyTest : public DemoForumTest {
protected:
    QString LogIn() {
        const HttpAnswer a = HttpPost(forum.Port(), forum.Host(QStringLiteral("passport.forum")),
                                      QStringLiteral("/login"),
                                      {{QStringLiteral("userName"), QStringLiteral("demo")},
                                       {QStringLiteral("password"), QStringLiteral("demo123")}});
        return sessionCookie(a);
    }
    HttpAnswer PostReply(const QJsonObject& thread, const QString& text, const QString& cookie) {
        const QString first = thread.value(QStringLiteral("firstPage")).toString();
        return HttpPost(forum.Port(), HostOf(first), QStringLiteral("/reply"),
                        {{QStringLiteral("thread"),
                          QString::number(thread.value(QStringLiteral("thread")).toInt())},
                         {QStringLiteral("content"), text}},
                        cookie);
    }
};

TEST_F(ReplyTest, ReplyFormIsOfferedOnlyToALoggedInUser) {
    const QJsonObject thread = postsOf(forum, 1001);
    HtmlTree anonymous(Get(pageAddress(thread, 1)).body);
    EXPECT_FALSE(anonymous.ById(QStringLiteral("adsp_content_replybox_area")));
    const QString cookie = LogIn();
    ASSERT_FALSE(cookie.isEmpty());
    HtmlTree member(Get(pageAddress(thread, 1), cookie).body);
    EXPECT_TRUE(member.ById(QStringLiteral("adsp_content_replybox_area")));
    const GumboNode* submit = member.ById(QStringLiteral("submit2"));
    ASSERT_TRUE(submit);
    EXPECT_FALSE(HtmlTree::Attribute(submit, "onclick").isEmpty());
}

TEST_F(ReplyTest, ReplyIsAppendedAsTheThreadsNewestPostAndShownEscaped) {
    const struct {
        int thread;
    } cases[] = {{1001}, {1002}, {1006}}; // layouts 1, 4 and the old code page
    const QString cookie = LogIn();
    ASSERT_FALSE(cookie.isEmpty());
    const QString text = QStringLiteral("回复一下 <b>不是标签</b> & \"引号\"\n第二行");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thread);
        const QJsonObject before = postsOf(forum, c.thread);
        const int postsBefore = before.value(QStringLiteral("posts")).toArray().size();
        const HttpAnswer a = PostReply(before, text, cookie);
        EXPECT_EQ(a.status, 303);
        const QJsonObject after = postsOf(forum, c.thread);
        const QJsonArray posts = after.value(QStringLiteral("posts")).toArray();
        ASSERT_EQ(posts.size(), postsBefore + 1);
        const QJsonObject reply = posts.last().toObject();
        EXPECT_EQ(reply.value(QStringLiteral("author")).toString(), QStringLiteral("demo"));
        EXPECT_EQ(reply.value(QStringLiteral("content")).toString(), text);
        const int pages = after.value(QStringLiteral("pages")).toInt();
        EXPECT_EQ(QString::fromStdString(a.Header("Location")), pageAddress(after, pages));
        // A later fetch of the newest page (without the session, as the fetcher does) shows it.
        const HttpAnswer page = Get(pageAddress(after, pages));
        const bool gbk = page.Header("Content-Type").find("GBK") != std::string::npos;
        const QString html = gbk ? DecodeGbk(QByteArray::fromStdString(page.body))
                                 : QString::fromStdString(page.body);
        EXPECT_TRUE(html.contains(
            QStringLiteral("&lt;b&gt;不是标签&lt;/b&gt; &amp; &quot;引号&quot;<br>第二行")));
        EXPECT_FALSE(html.contains(QStringLiteral("<b>不是标签")));
    }
}

TEST_F(ReplyTest, ReplyOnAFullLastPageStartsANewPage) {
    const QString cookie = LogIn();
    const QJsonObject before = postsOf(forum, 1001); // every page full
    const int pages = before.value(QStringLiteral("pages")).toInt();
    ASSERT_EQ(PostReply(before, QStringLiteral("新的一页"), cookie).status, 303);
    EXPECT_EQ(postsOf(forum, 1001).value(QStringLiteral("pages")).toInt(), pages + 1);
    HtmlTree oldLast(Get(pageAddress(before, pages)).body);
    bool next = false;
    for (const auto& [t, href] : HtmlTree::Links(oldLast.ById(QStringLiteral("pageDivTop"))))
        next = next || (t == QStringLiteral("下一页") && href == pageAddress(before, pages + 1));
    EXPECT_TRUE(next);
}

TEST_F(ReplyTest, ReplyOfTheFullAllowedLengthIsAccepted) {
    const QString cookie = LogIn();
    const QJsonObject before = postsOf(forum, 1001);
    const QString text(5000, QChar(0x597d)); // 45 KB once url-encoded
    ASSERT_EQ(PostReply(before, text, cookie).status, 303);
    const QJsonArray posts = postsOf(forum, 1001).value(QStringLiteral("posts")).toArray();
    EXPECT_EQ(posts.last().toObject().value(QStringLiteral("content")).toString(), text);
}

TEST_F(ReplyTest, RefusedRepliesAddNothing) {
    const QJsonObject thread = postsOf(forum, 1001);
    const int postsBefore = thread.value(QStringLiteral("posts")).toArray().size();
    const QString cookie = LogIn();
    const struct {
        QString text;
        QString cookie;
        int status;
    } cases[] = {
        {QStringLiteral("没有登录"), QString(), 403},
        {QStringLiteral("没有登录"), QStringLiteral("qm_session=forged"), 403},
        {QStringLiteral("   "), cookie, 400},
        {QString(5001, QChar(0x597d)), cookie, 400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PostReply(thread, c.text, c.cookie).status, c.status);
        EXPECT_EQ(postsOf(forum, 1001).value(QStringLiteral("posts")).toArray().size(),
                  postsBefore);
    }
}

// ---- growth ----

TEST_F(DemoForumTest, GrowingThreadGainsAPageOnTheControlRequest) {
    const QJsonObject before = postsOf(forum, 1004);
    const int pages = before.value(QStringLiteral("pages")).toInt();
    EXPECT_EQ(Get(pageAddress(before, pages + 1)).status, 404);
    const HttpAnswer grow = HttpGet(forum.Port(), QStringLiteral("127.0.0.1"),
                                    QStringLiteral("/__control/grow?thread=1004"));
    ASSERT_EQ(grow.status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(grow.body))
                  .object()
                  .value(QStringLiteral("pages"))
                  .toInt(),
              pages + 1);
    const HttpAnswer newPage = Get(pageAddress(before, pages + 1));
    ASSERT_EQ(newPage.status, 200);
    HtmlTree tree(newPage.body);
    EXPECT_EQ(HtmlTree::ChildNodes(tree.ById(QStringLiteral("pContentDiv"))).size(),
              20u); // 10 headers, 10 posts
    const QJsonArray posts = postsOf(forum, 1004).value(QStringLiteral("posts")).toArray();
    EXPECT_GT(posts.last().toObject().value(QStringLiteral("time")).toString(),
              before.value(QStringLiteral("posts"))
                  .toArray()
                  .last()
                  .toObject()
                  .value(QStringLiteral("time"))
                  .toString());
    EXPECT_EQ(HttpGet(forum.Port(), QStringLiteral("127.0.0.1"),
                      QStringLiteral("/__control/grow?thread=1005"))
                  .status,
              404);
}

TEST_F(DemoForumTest, GrowingThreadGrowsOnItsTimer) {
    DemoForumProcess timed({QStringLiteral("--grow-every"), QStringLiteral("1")});
    ASSERT_TRUE(timed.Ready());
    const int start = postsOf(timed, 1004).value(QStringLiteral("pages")).toInt();
    QElapsedTimer wait;
    wait.start();
    int now = start;
    while (now == start && wait.elapsed() < 10000) {
        QThread::msleep(100);
        now = postsOf(timed, 1004).value(QStringLiteral("pages")).toInt();
    }
    EXPECT_GT(now, start);
}

// ---- determinism ----

QString withoutPort(QString text, int port) {
    return text.replace(QString::number(port), QStringLiteral("PORT"));
}

TEST_F(DemoForumTest, SameSeedGivesTheSameForumAndAnotherSeedAnother) {
    DemoForumProcess same({QStringLiteral("--seed"), QStringLiteral("1")});
    DemoForumProcess other({QStringLiteral("--seed"), QStringLiteral("2")});
    ASSERT_TRUE(same.Ready() && other.Ready());
    const auto dump = [](const DemoForumProcess& f, int thread) {
        return withoutPort(QString::fromUtf8(QJsonDocument(postsOf(f, thread)).toJson()), f.Port());
    };
    const auto page = [](const DemoForumProcess& f, const char* host, const QString& path) {
        return withoutPort(
            QString::fromStdString(HttpGet(f.Port(), f.Host(QString::fromLatin1(host)), path).body),
            f.Port());
    };
    for (int thread : {1001, 1002, 1003, 1006, 2005}) {
        EXPECT_EQ(dump(forum, thread), dump(same, thread)) << thread;
        EXPECT_NE(dump(forum, thread), dump(other, thread)) << thread;
    }
    const QString front = QStringLiteral("/");
    EXPECT_EQ(page(forum, "focus.forum", front), page(same, "focus.forum", front));
    EXPECT_NE(page(forum, "focus.forum", front), page(other, "focus.forum", front));
    const QString picture = QStringLiteral("/pic/1003/4-1.png");
    EXPECT_EQ(HttpGet(forum.Port(), forum.Host(QStringLiteral("img.forum")), picture).body,
              HttpGet(same.Port(), same.Host(QStringLiteral("img.forum")), picture).body);
}

// ---- faults ----

TEST_F(DemoForumTest, FaultModesBreakAnswersAsNamed) {
    const QString path = QStringLiteral("/publicforum/content/free/1/1001-2.shtml");
    const struct {
        const char* mode;
        bool complete; // a whole answer arrives
        int status;
    } cases[] = {{"500", true, 500}, {"drop", false, 0}, {"truncate", false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        DemoForumProcess faulty({QStringLiteral("--faults"), QString::fromLatin1(c.mode),
                                 QStringLiteral("--fault-share"), QStringLiteral("100")});
        ASSERT_TRUE(faulty.Ready());
        const HttpAnswer a = HttpGet(faulty.Port(), faulty.Host(QStringLiteral("www.forum")), path);
        EXPECT_EQ(a.ok, c.complete);
        if (c.complete) {
            EXPECT_EQ(a.status, c.status);
        }
        // The control addresses keep working for the test that steers the forum.
        EXPECT_EQ(HttpGet(faulty.Port(), faulty.Host(QStringLiteral("www.forum")),
                          QStringLiteral("/__control/threads"))
                      .status,
                  200);
    }
}

TEST_F(DemoForumTest, SlowModeDelaysTheAnswerButDeliversIt) {
    DemoForumProcess slow({QStringLiteral("--faults"), QStringLiteral("slow"),
                           QStringLiteral("--fault-share"), QStringLiteral("100"),
                           QStringLiteral("--fault-delay-ms"), QStringLiteral("300")});
    ASSERT_TRUE(slow.Ready());
    QElapsedTimer timer;
    timer.start();
    const HttpAnswer a = HttpGet(slow.Port(), slow.Host(QStringLiteral("www.forum")),
                                 QStringLiteral("/publicforum/content/free/1/1001-2.shtml"));
    EXPECT_GE(timer.elapsed(), 300);
    EXPECT_EQ(a.status, 200);
}

TEST_F(DemoForumTest, FaultShareHitsTheSameAddressesForOneSeedAndOnlyTheFirstHitsWhenAsked) {
    const QStringList args = {QStringLiteral("--faults"),      QStringLiteral("500"),
                              QStringLiteral("--fault-share"), QStringLiteral("50"),
                              QStringLiteral("--seed"),        QStringLiteral("3")};
    DemoForumProcess a(args), b(args);
    DemoForumProcess once(QStringList(args)
                          << QStringLiteral("--fault-first") << QStringLiteral("1"));
    ASSERT_TRUE(a.Ready() && b.Ready() && once.Ready());
    int failed = 0;
    for (int page = 1; page <= 12; ++page) {
        const QString path = QStringLiteral("/publicforum/content/free/1/1001-%1.shtml").arg(page);
        const int sa = HttpGet(a.Port(), a.Host(QStringLiteral("www.forum")), path).status;
        EXPECT_EQ(sa, HttpGet(b.Port(), b.Host(QStringLiteral("www.forum")), path).status) << page;
        failed += sa == 500;
        const int first = HttpGet(once.Port(), once.Host(QStringLiteral("www.forum")), path).status;
        EXPECT_EQ(first, sa);
        EXPECT_EQ(HttpGet(once.Port(), once.Host(QStringLiteral("www.forum")), path).status, 200);
    }
    EXPECT_GT(failed, 0);
    EXPECT_LT(failed, 12);
}

// ---- command line ----

TEST_F(DemoForumTest, WriteHostsKeepsOtherSettingsAndEveryForumHostContainsTheBareHost) {
    home.WriteFile(QStringLiteral("Quillmere.ini"),
                   "[Base]\nUpdateAll=1\n[Hosts]\nForumWwwHost=old\nExtra=keep\n");
    DemoForumProcess writer({QStringLiteral("--write-hosts"),
                             home.File(QStringLiteral("Quillmere.ini")),
                             QStringLiteral("--print-hosts")});
    ASSERT_TRUE(writer.Ready());
    EXPECT_TRUE(writer.Preamble().startsWith(QStringLiteral("[Hosts]\n")));
    QFile file(home.File(QStringLiteral("Quillmere.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString ini = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(ini.contains(QStringLiteral("UpdateAll=1")));
    EXPECT_TRUE(ini.contains(QStringLiteral("Extra=keep")));
    EXPECT_FALSE(ini.contains(QStringLiteral("ForumWwwHost=old")));
    std::map<QString, QString> keys;
    for (const QString& line : writer.Preamble().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.contains(QLatin1Char('=')))
            keys[line.section(QLatin1Char('='), 0, 0)] = line.section(QLatin1Char('='), 1);
    const QString bare = keys[QStringLiteral("ForumBareHost")];
    ASSERT_FALSE(bare.isEmpty());
    for (const char* key :
         {"ForumWwwHost", "ForumBbsHost", "ForumCityHost", "ForumPassportHost", "ForumFocusHost"}) {
        EXPECT_TRUE(keys[QString::fromLatin1(key)].contains(bare)) << key;
        EXPECT_TRUE(ini.contains(QString::fromLatin1(key) + QLatin1Char('=') +
                                 keys[QString::fromLatin1(key)]));
    }
    EXPECT_FALSE(keys[QStringLiteral("MakerSiteHost")].contains(bare));
    EXPECT_TRUE(keys[QStringLiteral("ForumWwwHost")].endsWith(QStringLiteral(":") +
                                                              QString::number(writer.Port())));
}

TEST_F(DemoForumTest, BadOptionsAndABusyPortStopWithAnError) {
    const QStringList cases[] = {
        {QStringLiteral("--port"), QStringLiteral("abc")},
        {QStringLiteral("--faults"), QStringLiteral("sometimes")},
        {QStringLiteral("--bogus")},
        {QStringLiteral("--port"), QString::number(forum.Port())}, // taken by the fixture's forum
    };
    for (const QStringList& args : cases) {
        QProcess p;
        p.start(BinaryPath(QStringLiteral("QuillmereDemoForum")), args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_NE(p.exitCode(), 0) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(p.readAllStandardOutput().contains("ready"));
    }
}

} // namespace

namespace {

TEST(DemoForumStop, TerminationAndClosedInputStopTheForumCleanly) {
    const struct {
        const char* how;
        bool closeInput;
    } cases[] = {{"terminate", false}, {"close input", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        QProcess p;
        p.start(
            BinaryPath(QStringLiteral("QuillmereDemoForum")),
            {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--exit-on-stdin-eof")});
        ASSERT_TRUE(p.waitForStarted(5000));
        while (!p.canReadLine() && p.waitForReadyRead(5000)) {
        }
        ASSERT_TRUE(p.readLine().startsWith("ready "));
        if (c.closeInput)
            p.closeWriteChannel();
        else
            p.terminate();
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
    }
}

} // namespace
