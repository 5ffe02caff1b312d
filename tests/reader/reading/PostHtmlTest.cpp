#include "reader/reading/PostHtml.h"

#include <gtest/gtest.h>

namespace {

TEST(PostHtmlTest, HeadersFollowTheColour) {
    const ShownPost red{
        3, QStringLiteral("甲"), QStringLiteral("2020-01-02 03:04:05"), {}, "#FF0000"};
    EXPECT_EQ(BuildPostHeader(red),
              QStringLiteral(
                  "<p></p><center><font color=#00A000>第3页&nbsp&nbsp&nbsp&nbsp\t\t\t作者：<font "
                  "color=#FF0000>甲</font>&nbsp&nbsp&nbsp&nbsp\t\t\t发表日期：2020-01-02 "
                  "03:04:05</font></center><p></p>"));
    const QString plain = QStringLiteral(
        "<p></p><center><font color=#00A000>第3页&nbsp&nbsp&nbsp&nbsp\t\t\t\t\t   作者：甲"
        "&nbsp&nbsp&nbsp&nbsp\t\t\t\t\t   发表日期：2020-01-02 03:04:05</font></center><p></p>");
    for (const char* colour : {"#808080", "", "#ff0000", "#FF0000 "}) {
        ShownPost post = red;
        post.colour = QString::fromLatin1(colour);
        EXPECT_EQ(BuildPostHeader(post), plain) << colour;
    }
}

TEST(PostHtmlTest, AuthorsAreNeverMarkup) {
    const ShownPost post{
        1, QStringLiteral("<img src=x onerror=alert(1)>&"), QStringLiteral("%1"), {}, {}};
    const QString header = BuildPostHeader(post);
    EXPECT_TRUE(header.contains(QStringLiteral("&lt;img src=x onerror=alert(1)&gt;&amp;")));
    EXPECT_FALSE(header.contains(QStringLiteral("<img")));
    EXPECT_TRUE(header.contains(QStringLiteral("发表日期：%1</font>")));
}

TEST(PostHtmlTest, PictureAndLinks) {
    EXPECT_EQ(BuildPictureHtml(QStringLiteral("/home/u/Img/123.jpg")),
              QStringLiteral("<img src=\"/home/u/Img/123.jpg\"   /></p>"));
    EXPECT_EQ(BuildPictureHtml(QStringLiteral("/h/a#b \"c/1.png")),
              QStringLiteral("<img src=\"/h/a%23b%20%22c/1.png\"   /></p>"));
    EXPECT_EQ(NextLinkHtml(), QStringLiteral("<p></p><center><a target=\"_blank\" href=\"") +
                                  kNextPageSentinelUrl + QStringLiteral("\">下一页</a></center>"));
    EXPECT_EQ(PrevLinkHtml(), QStringLiteral("<p></p><center><a target=\"_blank\" href=\"") +
                                  kPrevPageSentinelUrl + QStringLiteral("\">上一页</a></center>"));
    EXPECT_TRUE(IsNextLinkAddress(kNextPageSentinelUrl + "/"));
    EXPECT_FALSE(IsNextLinkAddress(kNextPageSentinelUrl));
    EXPECT_FALSE(IsNextLinkAddress(kPrevPageSentinelUrl + "/"));
    EXPECT_TRUE(IsPrevLinkAddress(kPrevPageSentinelUrl + "/"));
}

} // namespace
