// The forum's pages read back with the server's own parsers: every generated post comes
// back with its author, time, content and pictures.
#include "common/Settings.h"
#include "common/Utilities.h"
#include "server/parse/CParseTianyaFocus.h"
#include "server/parse/CParseWebpage.h"
#include "server/parse/PageDocumentBuilder.h"
#include "tests/demo-forum/DemoForumProcess.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kShell =
    QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                   "<title>Quillmere</title>\n</head>\n<body>\n</body>\n</html>\n");

// What a page loader makes of downloaded bytes.
DocumentPtr loaderDocument(const std::string& bytes, const QString& address) {
    QString body;
    if (!CutPageBody(DecodePageText(QByteArray::fromStdString(bytes)), &body))
        return nullptr;
    return BuildPageDocument(kShell, body, address, QStringLiteral("file:///home/user/Show.html"));
}

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(forum.Ready());
        ReloadHosts(); // the forum wrote its hosts into this home's settings
    }

    QJsonObject Posts(int thread) const {
        const HttpAnswer a = HttpGet(forum.Port(), QStringLiteral("127.0.0.1"),
                                     QStringLiteral("/__control/posts?thread=%1").arg(thread));
        return QJsonDocument::fromJson(QByteArray::fromStdString(a.body)).object();
    }
    DocumentPtr Load(const QString& address) const {
        const HttpAnswer a = HttpGet(forum.Port(), HostOf(address), PathOf(address));
        return a.status == 200 ? loaderDocument(a.body, address) : nullptr;
    }

    TempHome home;
    DemoForumProcess forum{
        {QStringLiteral("--write-hosts"), home.File(QStringLiteral("Quillmere.ini"))}};
};

class ThreadRoundTrip : public RoundTripTest, public ::testing::WithParamInterface<int> {};

TEST_P(ThreadRoundTrip, EveryPostComesBackThroughTheLayoutParser) {
    const QJsonObject thread = Posts(GetParam());
    const int pages = thread.value(QStringLiteral("pages")).toInt();
    const QJsonArray expected = thread.value(QStringLiteral("posts")).toArray();
    ASSERT_GT(pages, 0);
    qsizetype next = 0;
    QString address = thread.value(QStringLiteral("firstPage")).toString();
    // Walk the thread the way the server does: from the first page by its next-page links.
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        ASSERT_FALSE(address.isEmpty());
        const DocumentPtr document = Load(address);
        ASSERT_TRUE(document);
        ParsedPageInfo info;
        QString requestAddress = address;
        ASSERT_TRUE(ReadPageInfo(document, &requestAddress, &info));
        EXPECT_EQ(info.layout, thread.value(QStringLiteral("layout")).toInt());
        EXPECT_EQ(info.currentPage, page);
        EXPECT_EQ(info.pageCount, pages);
        EXPECT_EQ(info.title, thread.value(QStringLiteral("title")).toString());
        auto parser = CreateParser(info.layout, document, requestAddress, info);
        ASSERT_TRUE(parser);
        if (page == 1) {
            QString author, time;
            ASSERT_TRUE(parser->GetFirstAuthor(&author, &time));
            EXPECT_EQ(author, expected[0].toObject().value(QStringLiteral("author")).toString());
            EXPECT_EQ(time, expected[0].toObject().value(QStringLiteral("time")).toString());
        }
        QList<PostRecord> posts;
        QList<PictureRecord> pictures;
        ASSERT_TRUE(parser->ParsePosts(page, &posts, &pictures));
        qsizetype pictureAt = 0;
        for (const PostRecord& post : posts) {
            ASSERT_LT(next, expected.size());
            const QJsonObject want = expected[next++].toObject();
            EXPECT_EQ(want.value(QStringLiteral("page")).toInt(), page);
            EXPECT_EQ(post.author, want.value(QStringLiteral("author")).toString());
            EXPECT_EQ(post.time, want.value(QStringLiteral("time")).toString());
            EXPECT_EQ(post.content.trimmed(), want.value(QStringLiteral("content")).toString());
            const QJsonArray wantPictures = want.value(QStringLiteral("pictures")).toArray();
            for (qsizetype k = 0; k < wantPictures.size(); ++k, ++pictureAt) {
                ASSERT_LT(pictureAt, pictures.size());
                const PictureRecord& picture = pictures[pictureAt];
                EXPECT_EQ(picture.address, wantPictures[k].toString());
                EXPECT_EQ(picture.index, k);
                EXPECT_EQ(picture.author, post.author);
                EXPECT_EQ(picture.time, post.time);
            }
        }
        EXPECT_EQ(pictureAt, pictures.size());
        EXPECT_EQ(info.nextPageAddress.isEmpty(), page == pages);
        address = info.nextPageAddress;
    }
    EXPECT_EQ(next, expected.size()) << "posts missing from the parsed pages";
}

// Layout 1 short, layout 4 long, layout 4 with pictures, layout 3 in UTF-8 and in the old
// code page, the growing layout 1 thread, and small threads of each layout.
INSTANTIATE_TEST_SUITE_P(Threads, ThreadRoundTrip,
                         ::testing::Values(1001, 1002, 1003, 1004, 1006, 1007, 2001, 2002, 2003));

TEST_F(RoundTripTest, NeighbourLinksOfAMiddlePageNameTheirPages) {
    const struct {
        int thread;
        int page;
    } cases[] = {{1001, 6}, {1007, 12}, {1002, 80}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thread);
        const QString first = Posts(c.thread).value(QStringLiteral("firstPage")).toString();
        QString address = first;
        address.replace(QRegularExpression(QStringLiteral("-1\\.shtml$")),
                        QStringLiteral("-%1.shtml").arg(c.page));
        const DocumentPtr document = Load(address);
        ASSERT_TRUE(document);
        ParsedPageInfo info;
        ASSERT_TRUE(ReadPageInfo(document, &address, &info));
        auto parser = CreateParser(info.layout, document, address, info);
        ASSERT_TRUE(parser);
        QList<PageLink> nextLinks, prevLinks;
        ASSERT_TRUE(parser->GetNextPageLinks(&nextLinks));
        ASSERT_TRUE(parser->GetPrevPageLinks(&prevLinks));
        ASSERT_FALSE(nextLinks.isEmpty());
        EXPECT_EQ(nextLinks.first().pageNo, c.page + 1);
        for (const PageLink& link : nextLinks) {
            if (link.pageNo == 0)
                continue;
            EXPECT_GT(link.pageNo, c.page);
            QString expected = first;
            expected.replace(QRegularExpression(QStringLiteral("-1\\.shtml$")),
                             QStringLiteral("-%1.shtml").arg(link.pageNo));
            EXPECT_EQ(link.address, expected);
        }
        bool sawPrevious = false;
        for (const PageLink& link : prevLinks) {
            EXPECT_LT(link.pageNo, c.page);
            sawPrevious = sawPrevious || link.pageNo == c.page - 1;
        }
        EXPECT_TRUE(sawPrevious);
        EXPECT_EQ(info.firstPageAddress, first);
    }
}

TEST_F(RoundTripTest, ErrorPagesAreToldFromThreadPages) {
    DemoForumProcess failing({QStringLiteral("--faults"), QStringLiteral("500"),
                              QStringLiteral("--fault-share"), QStringLiteral("100")});
    ASSERT_TRUE(failing.Ready());
    const QString www = QStringLiteral("/publicforum/content/free/1/");
    const struct {
        const DemoForumProcess* forum;
        QString path;
        int status;
        int errorClass;
    } cases[] = {
        {&forum, www + QStringLiteral("1005-1.shtml"), 200, 2}, // the deleted thread
        {&forum, www + QStringLiteral("9999-1.shtml"), 404, 2},
        {&failing, www + QStringLiteral("1001-1.shtml"), 500, 2},
        {&forum, www + QStringLiteral("1001-1.shtml"), 200, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const HttpAnswer a =
            HttpGet(c.forum->Port(), c.forum->Host(QStringLiteral("www.forum")), c.path);
        EXPECT_EQ(a.status, c.status);
        const DocumentPtr document = loaderDocument(a.body, QStringLiteral("http://x/"));
        ASSERT_TRUE(document);
        EXPECT_EQ(CParseHtml(document, QString()).ClassifyErrorPage(), c.errorClass);
        ParsedPageInfo info;
        QString address;
        EXPECT_EQ(ReadPageInfo(document, &address, &info), c.errorClass == 0);
    }
}

TEST_F(RoundTripTest, FrontPageGivesForumThreadsOnlyWithRepeatedLinksJoined) {
    const QString front =
        QStringLiteral("http://") + forum.Host(QStringLiteral("focus.forum")) + QStringLiteral("/");
    const DocumentPtr document = Load(front);
    ASSERT_TRUE(document);
    QList<FocusItem> items;
    ASSERT_TRUE(CParseTianyaFocus(document, front).Parse(&items));
    ASSERT_GT(items.size(), 20);
    const QString longThread = Posts(1002).value(QStringLiteral("firstPage")).toString();
    int longItems = 0;
    for (const FocusItem& item : items) {
        EXPECT_NE(ClassifyForumAddress(item.focusUrl), 0) << item.focusUrl.toStdString();
        EXPECT_FALSE(item.focusUrl.contains(QStringLiteral("quillmere.localhost")));
        if (item.focusUrl == longThread) {
            ++longItems;
            EXPECT_EQ(item.focusType, QStringLiteral("天涯头条"));
            EXPECT_TRUE(item.focusTitle.contains(QStringLiteral("--")));
        }
    }
    EXPECT_EQ(longItems, 1);
    EXPECT_EQ(items.first().focusType, QStringLiteral("天涯头条"));
}

TEST_F(RoundTripTest, LoginPageButtonIsFoundByItsValue) {
    const QString login = QStringLiteral("http://") + forum.Host(QStringLiteral("passport.forum")) +
                          QStringLiteral("/login");
    const DocumentPtr document = Load(login);
    ASSERT_TRUE(document);
    CParseHtml page(document, login);
    EXPECT_TRUE(CParseHtml::FindButtonByValue(page.GetElementById(QStringLiteral("loginForm")),
                                              QStringLiteral("登录")));
}

} // namespace
