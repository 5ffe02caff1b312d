// What the server makes of downloads and pages before it answers the reader.
#include "server/engine/FrontPages.h"
#include "server/engine/PictureDownloads.h"
#include "server/fetch/WebpageInfo.h"

#include "server/parse/HtmlDocument.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(GoodPictureDownload, Rule) {
    const struct {
        const char* name;
        QByteArray body;
        bool good;
    } cases[] = {
        {"empty", QByteArray(), false},
        {"ten bytes", QByteArray(10, 'x'), false},
        {"eleven bytes", QByteArray(11, 'x'), true},
        {"html page", QByteArray("<!DOCTYPE html><html><body>404</body></html>"), false},
        {"lower-case marker is a picture", QByteArray("<!doctype html><html></html>"), true},
        {"png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsGoodPictureDownload(c.body), c.good) << c.name;
}

TEST(GetImgMessage, CarriesThePostsAndStopsAtItsCapacity) {
    QList<PicturePost> posts;
    for (int i = 0; i < kMaxPicturePostEntries + 20; ++i)
        posts.append(
            {i + 1, QStringLiteral("作者'%1").arg(i), QStringLiteral("2012-01-05 08:03:07")});
    const QString address = QStringLiteral("http://img.forum.cn/pic/a'b.png");

    const auto few = FromLarge<GetImgMessage>(BuildGetImgMessage(7, address, posts.mid(0, 3)));
    EXPECT_EQ(few.code.Get(), CDTGetImg);
    EXPECT_EQ(few.focusPageNo.Get(), 7);
    EXPECT_EQ(few.pictureAddress.Get(), address);
    ASSERT_EQ(few.entryCount.Get(), 3);
    EXPECT_EQ(few.entries[2].pageNo.Get(), 3);
    EXPECT_EQ(few.entries[2].author.Get(), QStringLiteral("作者'2"));
    EXPECT_EQ(few.entries[2].time.Get(), QStringLiteral("2012-01-05 08:03:07"));

    const auto full = FromLarge<GetImgMessage>(BuildGetImgMessage(7, address, posts));
    ASSERT_EQ(full.entryCount.Get(), kMaxPicturePostEntries);
    EXPECT_EQ(full.entries[kMaxPicturePostEntries - 1].pageNo.Get(), kMaxPicturePostEntries);
}

TEST(QuoteClassAttributes, Rule) {
    const struct {
        const char* html;
        const char* quoted;
    } cases[] = {
        {"<td class=pic id=\"a\">x</td>", "<td class=\"pic\" id=\"a\">x</td>"},
        {"<td class=pic>x</td>", "<td class=\"pic\">x</td>"},
        {"<td class=\"pic\">x</td>", "<td class=\"pic\">x</td>"},
        {"<a class=l1 href=\"/a\"><img class=p2></a>",
         "<a class=\"l1\" href=\"/a\"><img class=\"p2\"></a>"},
        {"<td>no class</td>", "<td>no class</td>"},
        {"<td class=cut", "<td class=\"cut\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuoteClassAttributes(QString::fromUtf8(c.html)), QString::fromUtf8(c.quoted))
            << c.html;
}

// A discount page whose "main" holds `rows` rows of eight cells.
WebpageInfo DiscountPage(int rows, const QString& extraRow = {}) {
    QString html = QStringLiteral("<html><body><table><tbody id=\"main\">");
    for (int r = 0; r < rows; ++r) {
        html += QStringLiteral("<tr><td>0</td><td>1</td><td>2</td><td>3</td>"
                               "<td><a class=item href=\"/zhe/item.php?id=%1\">商品%1</a></td>"
                               "<td>说明 %1</td><td>%2</td><td>%3</td></tr>")
                    .arg(r)
                    .arg(100 + r)
                    .arg(200 + r);
    }
    html += extraRow + QStringLiteral("</tbody></table></body></html>");
    WebpageInfo request;
    request.address = QStringLiteral("http://zhe.quillmere.example/zhe/readadvert.php");
    request.Document = std::make_shared<HtmlDocument>(html, request.address, request.address);
    return request;
}

TEST(DiscountRows, ReadsAtMostFiftyRowsAndSplitsThemIntoRecords) {
    const struct {
        int rows;
        std::vector<int> recordCounts;
    } cases[] = {{0, {}}, {1, {1}}, {25, {25}}, {26, {25, 1}}, {50, {25, 25}}, {60, {25, 25}}};
    for (const auto& c : cases) {
        const auto items = ReadDiscountRows(DiscountPage(c.rows));
        ASSERT_EQ(int(items.size()), std::min(c.rows, kMaxDiscountRows)) << c.rows;
        const auto records = SplitHotRecommend(items);
        std::vector<int> counts;
        for (const auto& record : records)
            counts.push_back(int(HotRecommendItemsOf(record).size()));
        EXPECT_EQ(counts, c.recordCounts) << c.rows;
    }
}

TEST(DiscountRows, CellsBecomeFieldsAndAShortRowKeepsThePreviousValues) {
    const auto items = ReadDiscountRows(
        DiscountPage(2, QStringLiteral("<tr><td>a</td><td>b</td><td>c</td><td>d</td>"
                                       "<td><b>短</b></td></tr>")));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].html,
              QStringLiteral("<td><a class=\"item\" href=\"/zhe/item.php?id=1\">商品1</a></td>"));
    EXPECT_EQ(items[1].text, QStringLiteral("说明 1"));
    EXPECT_EQ(items[1].first, 101);
    EXPECT_EQ(items[1].second, 201);
    EXPECT_EQ(items[2].html, QStringLiteral("<td><b>短</b></td>"));
    EXPECT_EQ(items[2].text, items[1].text);
    EXPECT_EQ(items[2].first, 101);
    EXPECT_EQ(items[2].second, 201);
}

TEST(DiscountRows, NoMainElementGivesNothing) {
    WebpageInfo request;
    request.address = QStringLiteral("http://zhe.quillmere.example/zhe/readadvert.php");
    request.Document =
        std::make_shared<HtmlDocument>(QStringLiteral("<html><body><p>维护中</p></body></html>"),
                                       request.address, request.address);
    EXPECT_TRUE(ReadDiscountRows(request).empty());
}

} // namespace
