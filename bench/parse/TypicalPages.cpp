#include "bench/parse/TypicalPages.h"

#include <QString>

namespace {

QString PostText(int post, int length) {
    static const QString words = QStringLiteral(
        "今天我们继续说这个故事，楼主慢慢更新，大家不要着急。后来的事情谁也没有想到，"
        "他在车站等了整整一夜，第二天早上才看见那封信。");
    QString text;
    int line = 0;
    while (text.size() < length) {
        text += words.mid((post + line) % 20) + QStringLiteral("<br>\n　　");
        ++line;
    }
    return text;
}

QString Header(int post) {
    return QStringLiteral("作者：网友%1 日期：2012-1-%2 8:%3:07")
        .arg(post)
        .arg(post % 28 + 1)
        .arg(post % 60, 2, 10, QChar(u'0'));
}

QString Pictures(int post) {
    if (post % 5 != 0)
        return {};
    return QStringLiteral("<img src=\"http://img.forum.test/s/%1.jpg\" "
                          "original=\"http://img.forum.test/%1.jpg\">"
                          "<img src=\"http://img.forum.test/%1b.jpg\">")
        .arg(post);
}

} // namespace

QByteArray TypicalThreadPage(int layout, int posts, int targetBytes) {
    // Chinese text is three bytes a character in UTF-8.
    const int postChars = qMax(40, (targetBytes - 6000) / posts / 3);
    QString html = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>帖子</title>"
        "<script>var pageData = {a: 1};</script><style>.post{}</style></head><body>\n");
    const QString nav = QStringLiteral(
        "<a href=\"t-1.shtml\">首页</a><a href=\"t-1.shtml\">上一页</a><a href=\"t-1.shtml\">1</a>"
        "<span class=\"current\">2</span><a href=\"t-3.shtml\">3</a><a href=\"t-4.shtml\">4</a>"
        "<a href=\"t-3.shtml\">下一页</a><a href=\"t-10.shtml\">末页</a> 共10页");
    if (layout == 1 || layout == 3) {
        if (layout == 3)
            html += QStringLiteral("<div id=\"content-container\">");
        html += QStringLiteral("<div class=\"title\"><span "
                               "id=\"adsp_content_title_left\"></span>一个很长的帖子</div>\n");
        html += QStringLiteral("<div id=\"%1\">%2</div>\n")
                    .arg(layout == 1 ? "pageDivTop" : "pageForm", nav);
        if (layout == 1)
            html += QStringLiteral("<div id=\"firstAuthor\">%1</div>\n").arg(Header(0));
        html += QStringLiteral("<div id=\"pContentDiv\">\n");
        for (int post = 0; post < posts; ++post) {
            if (layout == 1)
                html += QStringLiteral("<table class=\"head\"><tr><td>%1</td><td><a "
                                       "href=\"#\">回复</a></td></tr></table>\n"
                                       "<div class=\"post\">%2%3</div>\n")
                            .arg(Header(post), PostText(post, postChars), Pictures(post));
            else
                html += QStringLiteral("<div class=\"item\"><div class=\"vcard\">%1</div><div "
                                       "class=\"text\">%2%3</div></div>\n")
                            .arg(Header(post), PostText(post, postChars), Pictures(post));
        }
        html += QStringLiteral("</div>\n");
        if (layout == 3)
            html += QStringLiteral("</div>");
    } else {
        html += QStringLiteral(
            "<div id=\"doc\"><div id=\"post_head\"><h1 "
            "class=\"atl-title\"><span>一个很长的帖子</span></h1>"
            "<div class=\"atl-menu\"><div class=\"atl-info\"><span>楼主：网友0</span> "
            "<span>时间：2012-11-26 04:39:23</span></div></div>"
            "<div class=\"atl-pages\"><a href=\"post-free-1-1.shtml\">上页</a><a "
            "href=\"post-free-1-1.shtml\">1</a>"
            "<strong>2</strong><a href=\"post-free-1-3.shtml\">3</a><a "
            "href=\"post-free-1-10.shtml\">10</a>"
            "<a href=\"post-free-1-3.shtml\">下页</a></div></div>\n<div class=\"atl-main\">\n");
        for (int post = 0; post < posts; ++post)
            html += QStringLiteral(
                        "<div class=\"atl-item\"><div class=\"atl-head\"><span>作者：网友%1</span> "
                        "<span>时间：2012-11-26 04:%2:23</span> <a href=\"#\">回复</a></div>"
                        "<div class=\"atl-content\">%3%4</div></div>\n")
                        .arg(post)
                        .arg(post % 60, 2, 10, QChar(u'0'))
                        .arg(PostText(post, postChars), Pictures(post));
        html += QStringLiteral("</div></div>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html.toUtf8();
}
