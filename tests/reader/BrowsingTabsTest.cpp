// The forum-focus list, the follow question and the browser pages.
#include "reader/CHotRecommend.h"
#include "reader/CTianyaFocusDlg.h"
#include "reader/CTianyaForumDlg.h"
#include "reader/OpenInBrowser.h"
#include "reader/ServerLink.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"

#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

class BrowsingTabs : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCatalogueFile();
        link.Start({});
        SetBrowserOpener([this](const QString& address) { opened << address; });
    }
    void TearDown() override { SetBrowserOpener({}); }

    QStringList row(const CTianyaFocusDlg& page, int r) const {
        QStringList cells;
        for (int c = 0; c < 5; ++c) {
            const QTableWidgetItem* item = page.List()->item(r, c);
            cells << (item ? item->text() : QString());
        }
        return cells;
    }

    TempHome home;
    CommandChannel channel;
    ServerLink link{&channel};
    // Ends before the channel, so a delivery in progress is never left waiting for it.
    FakeServer server;
    MessageRecorder messages;
    QStringList opened;
};

TEST_F(BrowsingTabs, RecommendationsPairTwoToARowWithinACategory) {
    ASSERT_TRUE(ReplaceFrontPageItems(
        {{QStringLiteral("娱乐"), QStringLiteral("a1"), QStringLiteral("u1")},
         {QStringLiteral("娱乐"), QStringLiteral("a2"), QStringLiteral("u2")},
         {QStringLiteral("娱乐"), QStringLiteral("a3"), QStringLiteral("u3")},
         {QStringLiteral("经济"), QStringLiteral("b1"), QStringLiteral("v1")},
         {QStringLiteral("经济"), QStringLiteral("b2"), QStringLiteral("v2")},
         {QStringLiteral("体育"), QStringLiteral("c1"), QStringLiteral("w1")}}));
    CTianyaFocusDlg page(&link);
    ASSERT_EQ(page.List()->rowCount(), 4);
    const QList<QStringList> expected = {
        {QStringLiteral("娱乐"), QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("u1"),
         QStringLiteral("u2")},
        {QStringLiteral("娱乐"), QStringLiteral("a3"), QString(), QStringLiteral("u3"), QString()},
        {QStringLiteral("经济"), QStringLiteral("b1"), QStringLiteral("b2"), QStringLiteral("v1"),
         QStringLiteral("v2")},
        {QStringLiteral("体育"), QStringLiteral("c1"), QString(), QStringLiteral("w1"), QString()}};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(row(page, r), expected[r]) << r;
    EXPECT_TRUE(page.List()->isColumnHidden(3));
    EXPECT_TRUE(page.List()->isColumnHidden(4));

    // The server stored a new front page: the list reloads.
    ASSERT_TRUE(ReplaceFrontPageItems(
        {{QStringLiteral("新"), QStringLiteral("n1"), QStringLiteral("x1")}}));
    page.Fill();
    EXPECT_EQ(page.List()->rowCount(), 1);
}

TEST_F(BrowsingTabs, AClickTakesTheItemOfItsHalfOfTheRow) {
    ASSERT_TRUE(ReplaceFrontPageItems(
        {{QStringLiteral("娱乐"), QStringLiteral("a1"), QStringLiteral("http://t/1")},
         {QStringLiteral("娱乐"), QStringLiteral("a2"), QStringLiteral("http://t/2")},
         {QStringLiteral("娱乐"), QStringLiteral("a3"), QStringLiteral("http://t/3")}}));
    CTianyaFocusDlg page(&link);
    struct Case {
        int row, column;
        const char* asked; // empty: nothing asked
    } cases[] = {{0, 0, "a1"}, {0, 1, "a1"}, {0, 2, "a2"}, {0, 3, "a2"},
                 {0, 4, "a2"}, {1, 1, "a3"}, {1, 2, ""},   {5, 1, ""}};
    for (const Case& c : cases) {
        messages.shown.clear();
        messages.answers = {7};
        page.OnClick(c.row, c.column);
        if (QString::fromUtf8(c.asked).isEmpty()) {
            EXPECT_TRUE(messages.shown.isEmpty()) << c.row << "," << c.column;
        } else {
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].text,
                      QStringLiteral("是否将\"%1\"添加为关注？").arg(QString::fromUtf8(c.asked)));
        }
    }
    // Every "no" opened the address in the browser and sent nothing.
    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://t/1"), QStringLiteral("http://t/1"),
                                   QStringLiteral("http://t/2"), QStringLiteral("http://t/2"),
                                   QStringLiteral("http://t/2"), QStringLiteral("http://t/3")}));
    server.Settle();
    EXPECT_EQ(server.CountOf(CDTAddFocusWebpage), 0);

    // Yes sends the follow request with the link text as its label.
    messages.answers = {6};
    page.OnClick(0, 2);
    const LargeMessage* sent = server.WaitFor(CDTAddFocusWebpage);
    ASSERT_NE(sent, nullptr);
    const auto request = FromLarge<AddFocusRequest>(*sent);
    EXPECT_EQ(request.address.Get(), QStringLiteral("http://t/2"));
    EXPECT_EQ(request.label.Get(), QStringLiteral("\"a2\""));
    EXPECT_EQ(opened.size(), 6);
}

TEST_F(BrowsingTabs, ForumNewWindowLinksAreOfferedForFollowing) {
    CTianyaForumDlg page(&link);
    messages.answers = {6, 7};
    page.OnNewWindow(QStringLiteral("http://www.forum.localhost/t/5-1.shtml"));
    page.OnNewWindow(QStringLiteral("http://www.forum.localhost/t/6-1.shtml"));
    EXPECT_EQ(messages.Texts(),
              (QStringList{
                  QStringLiteral("是否将\"http://www.forum.localhost/t/5-1.shtml\"添加为关注？"),
                  QStringLiteral("是否将\"http://www.forum.localhost/t/6-1.shtml\"添加为关注？")}));
    const LargeMessage* sent = server.WaitFor(CDTAddFocusWebpage);
    ASSERT_NE(sent, nullptr);
    const auto request = FromLarge<AddFocusRequest>(*sent);
    EXPECT_EQ(request.address.Get(), QStringLiteral("http://www.forum.localhost/t/5-1.shtml"));
    EXPECT_EQ(request.label.Get(), QStringLiteral("\"http://www.forum.localhost/t/5-1.shtml\""));
    EXPECT_EQ(opened, QStringList{QStringLiteral("http://www.forum.localhost/t/6-1.shtml")});
}

TEST_F(BrowsingTabs, PagesLoadWhenFirstShownOnly) {
    CTianyaForumDlg forum(&link);
    CHotRecommend discounts;
    EXPECT_FALSE(forum.Loaded());
    EXPECT_FALSE(discounts.Loaded());
    forum.ShowPage();
    forum.ShowPage();
    EXPECT_EQ(forum.LoadCount(), 1);
    EXPECT_FALSE(discounts.Loaded());
    EXPECT_TRUE(forum.Address().endsWith(QStringLiteral("/bbs/index.shtml")));
    EXPECT_TRUE(discounts.Address().endsWith(QStringLiteral("/zhe/")));
}

} // namespace
