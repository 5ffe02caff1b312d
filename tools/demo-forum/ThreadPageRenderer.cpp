#include "tools/demo-forum/ThreadPageRenderer.h"

#include "tools/demo-forum/HtmlText.h"
#include "tools/demo-forum/ThreadAddress.h"

#include <QUrl>
#include <algorithm>

namespace {

QString link(const QString& href, const QString& text) {
    return QStringLiteral("<a href=\"") + HtmlEscape(href) + QStringLiteral("\">") +
           HtmlEscape(text) + QStringLiteral("</a>");
}

QString gbkMeta() {
    return QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">");
}

} // namespace

QString ThreadPageRenderer::Address(const ThreadPage& page, int number) const {
    return ThreadAddress(hosts_, page.site, page.board, page.id, number);
}

QString ThreadPageRenderer::PictureAddress(const DemoPicture& picture) const {
    return hosts_.Origin(DemoHost::Picture) + picture.path;
}

QString ThreadPageRenderer::ContentText(const DemoPost& post) {
    return post.lines.join(QLatin1Char('\n'));
}

QString ThreadPageRenderer::Content(const DemoPost& post) const {
    QStringList lines;
    for (const QString& line : post.lines)
        lines.append(HtmlEscape(line));
    QString html = lines.join(QStringLiteral("<br>"));
    // Pictures follow the last line directly, so they add nothing to the shown text.
    for (const DemoPicture& picture : post.pictures) {
        if (picture.late)
            html +=
                QStringLiteral("<img class=\"pic\" src=\"") +
                HtmlEscape(hosts_.Origin(DemoHost::Picture) + QStringLiteral("/pic/loading.png")) +
                QStringLiteral("\" original=\"") + HtmlEscape(PictureAddress(picture)) +
                QStringLiteral("\">");
        else
            html += QStringLiteral("<img class=\"pic\" src=\"") +
                    HtmlEscape(PictureAddress(picture)) + QStringLiteral("\">");
    }
    return html;
}

QString ThreadPageRenderer::AuthorLink(const QString& author) const {
    const QString href = hosts_.Origin(DemoHost::Www) +
                         QStringLiteral("/browse/listwriter.asp?vwriter=") +
                         QString::fromLatin1(QUrl::toPercentEncoding(author));
    return link(href, author);
}

QString ThreadPageRenderer::UserBar(const QString& user) const {
    if (user.isEmpty())
        return QStringLiteral("<div id=\"top_nav_login\">") +
               link(hosts_.Origin(DemoHost::Passport) + QStringLiteral("/login"),
                    QStringLiteral("登录")) +
               QStringLiteral("</div>");
    return QStringLiteral("<div id=\"top_nav_set\">欢迎，") + HtmlEscape(user) +
           link(hosts_.Origin(DemoHost::Passport) + QStringLiteral("/logout"),
                QStringLiteral("退出")) +
           QStringLiteral("</div>");
}

QString ThreadPageRenderer::ReplyBox(const ThreadPage& page, const QString& user) const {
    if (user.isEmpty())
        return QStringLiteral("<div id=\"replyLogin\">请") +
               link(hosts_.Origin(DemoHost::Passport) + QStringLiteral("/login"),
                    QStringLiteral("登录")) +
               QStringLiteral("后回复</div>");
    // UTF-8 even on the old code-page pages, so a reply never depends on the page's encoding.
    return QStringLiteral(
               "<form id=\"replyForm\" method=\"post\" accept-charset=\"UTF-8\" action=\"") +
           HtmlEscape(hosts_.Origin(HostOfSite(page.site)) + QStringLiteral("/reply")) +
           QStringLiteral("\"><input type=\"hidden\" name=\"thread\" value=\"") +
           QString::number(page.id) +
           QStringLiteral(
               "\"><textarea id=\"adsp_content_replybox_area\" name=\"content\" rows=\"6\" "
               "cols=\"80\"></textarea><input type=\"button\" id=\"submit2\" value=\"发表回复\" "
               "onclick=\"document.getElementById('replyForm').submit()\"></form>");
}

QString ThreadPageRenderer::GotoForm(const ThreadPage& page) const {
    return QStringLiteral("<form id=\"gotoForm\" method=\"get\" action=\"") +
           HtmlEscape(hosts_.Origin(HostOfSite(page.site)) + QStringLiteral("/goto")) +
           QStringLiteral("\"><input type=\"hidden\" name=\"thread\" value=\"") +
           QString::number(page.id) +
           QStringLiteral(
               "\">到第<input type=\"text\" id=\"idarticlekey\" name=\"page\" size=\"4\">页"
               "<input type=\"submit\" id=\"button2\" value=\"确定\"></form>");
}

QString ThreadPageRenderer::NumberedNavigation(const ThreadPage& page, const QString& id) const {
    const int c = page.page;
    const int n = page.pageCount;
    QString nav = QStringLiteral("<div id=\"") + id + QStringLiteral("\" class=\"pages\">");
    nav += link(Address(page, 1), QStringLiteral("首页"));
    if (c > 1)
        nav += link(Address(page, c - 1), QStringLiteral("上一页"));
    for (int p = std::max(1, c - 5); p <= std::min(n, c + 5); ++p) {
        if (p == c)
            nav += QStringLiteral("<span class=\"current\">%1</span>").arg(p);
        else
            nav += link(Address(page, p), QString::number(p));
    }
    if (c < n)
        nav += link(Address(page, c + 1), QStringLiteral("下一页"));
    nav += link(Address(page, n), QStringLiteral("末页"));
    nav += QStringLiteral("<span class=\"total\">共%1页</span></div>").arg(n);
    return nav;
}

QString ThreadPageRenderer::NewestNavigation(const ThreadPage& page) const {
    const int c = page.page;
    const int n = page.pageCount;
    if (n <= 1)
        return {};
    // The highest number shown is always the page count; the current page is no link.
    QString nav = QStringLiteral("<div class=\"atl-pages\">");
    if (c > 1)
        nav += link(Address(page, c - 1), QStringLiteral("上页"));
    int shown = 0;
    for (int p = 1; p <= n; ++p) {
        const bool near = p >= c - 2 && p <= c + 2;
        if (p != 1 && p != n && !near) {
            if (shown != p - 1)
                continue;
            nav += QStringLiteral("<span>…</span>");
            continue;
        }
        if (p == c)
            nav += QStringLiteral("<strong>%1</strong>").arg(p);
        else
            nav += link(Address(page, p), QString::number(p));
        shown = p;
    }
    if (c < n)
        nav += link(Address(page, c + 1), QStringLiteral("下页"));
    nav += QStringLiteral("</div>");
    return nav;
}

QString ThreadPageRenderer::Layout1(const ThreadPage& page, const QString& user) const {
    QString posts = QStringLiteral("<div id=\"pContentDiv\">");
    for (size_t i = 0; i < page.posts.size(); ++i) {
        const DemoPost& post = page.posts[i];
        // The opening post of the thread carries no header: the starter's line above holds it.
        if (!(page.page == 1 && i == 0))
            posts += QStringLiteral("<table class=\"hdr\"><tr><td>作者：") +
                     AuthorLink(post.author) + QStringLiteral("　回复日期：") +
                     WallTimeText(post.wallTime) + QStringLiteral("</td></tr></table>");
        posts += QStringLiteral("<div class=\"post\">") + Content(post) + QStringLiteral("</div>");
    }
    posts += QStringLiteral("</div>");
    const QString body = UserBar(user) +
                         QStringLiteral("<div id=\"adsp_content_title\"><h1 class=\"title\"><span "
                                        "id=\"adsp_content_title_left\">") +
                         HtmlEscape(page.title) +
                         QStringLiteral("</span></h1></div><div id=\"firstAuthor\">作者：") +
                         AuthorLink(page.starter) + QStringLiteral("　发表日期：") +
                         WallTimeText(page.starterTime) + QStringLiteral("</div>") +
                         NumberedNavigation(page, QStringLiteral("pageDivTop")) + posts +
                         GotoForm(page) + ReplyBox(page, user);
    return HtmlDocument(page.title, Utf8Meta(), body);
}

QString ThreadPageRenderer::Layout3(const ThreadPage& page, const QString& user) const {
    QString posts = QStringLiteral("<div id=\"pContentDiv\">");
    for (const DemoPost& post : page.posts)
        posts += QStringLiteral("<div class=\"item\"><div class=\"vcard\">作者：") +
                 AuthorLink(post.author) + QStringLiteral(" 日期：") +
                 ShortWallTimeText(post.wallTime) +
                 QStringLiteral("</div><div class=\"content\">") + Content(post) +
                 QStringLiteral("</div></div>");
    posts += QStringLiteral("</div>");
    const QString body = UserBar(user) +
                         QStringLiteral("<div id=\"content-container\"><h1><span id=\"hTitle\">") +
                         HtmlEscape(page.title) + QStringLiteral("</span></h1>") +
                         NumberedNavigation(page, QStringLiteral("pageForm")) + posts +
                         GotoForm(page) + QStringLiteral("</div>") + ReplyBox(page, user);
    return HtmlDocument(page.title, page.gbk ? gbkMeta() : Utf8Meta(), body);
}

QString ThreadPageRenderer::Layout4(const ThreadPage& page, const QString& user) const {
    QString items = QStringLiteral("<div class=\"atl-main\">");
    for (size_t i = 0; i < page.posts.size(); ++i) {
        const DemoPost& post = page.posts[i];
        items += QStringLiteral("<div class=\"atl-item\">");
        if (!(page.page == 1 && i == 0))
            items +=
                QStringLiteral("<div class=\"atl-head\"><span>作者：") + AuthorLink(post.author) +
                QStringLiteral("</span> <span>时间：") + WallTimeText(post.wallTime) +
                QStringLiteral("</span> <a class=\"reply\" href=\"#replyForm\">回复</a></div>");
        items += QStringLiteral("<div class=\"atl-content\">") + Content(post) +
                 QStringLiteral("</div></div>");
    }
    items += QStringLiteral("</div>");
    const int clicks = 1000 + page.id % 97 * 131;
    const QString head = QStringLiteral("<div id=\"post_head\"><h1 class=\"atl-title\"><span>") +
                         HtmlEscape(page.title) +
                         QStringLiteral("</span></h1><div class=\"atl-info\"><span>楼主：") +
                         AuthorLink(page.starter) + QStringLiteral("</span> <span>时间：") +
                         WallTimeText(page.starterTime) +
                         QStringLiteral("</span> <span>点击：%1</span> <span>回复：%2</span></div>")
                             .arg(clicks)
                             .arg(page.pageCount * ForumModel::PostsPerPage()) +
                         NewestNavigation(page) + QStringLiteral("</div>");
    const QString body = UserBar(user) + QStringLiteral("<div class=\"atl-wrap\">") + head + items +
                         QStringLiteral("</div>") + ReplyBox(page, user);
    return HtmlDocument(page.title, Utf8Meta(), body);
}

QString ThreadPageRenderer::Render(const ThreadPage& page, const QString& user) const {
    switch (page.layout) {
    case 3:
        return Layout3(page, user);
    case 4:
        return Layout4(page, user);
    default:
        return Layout1(page, user);
    }
}

QString ThreadPageRenderer::DeletedPage() const {
    return HtmlDocument(
        QStringLiteral("天涯社区"), Utf8Meta(),
        QStringLiteral(
            "<div class=\"error\"><p>对不起，您访问的页面不存在，该帖可能已被删除或更名。</p><p>") +
            link(hosts_.Origin(DemoHost::Www) + QStringLiteral("/bbs/index.shtml"),
                 QStringLiteral("返回社区首页")) +
            QStringLiteral("</p></div>"));
}

QString ThreadPageRenderer::NotFoundPage() {
    return HtmlDocument(QStringLiteral("404"), Utf8Meta(),
                        QStringLiteral("<h1>无法找到网页</h1><p>HTTP 404 - File not found</p>"));
}

QString ThreadPageRenderer::ServerErrorPage() {
    // Worded like the forum's own error pages, whose status line follows a heading.
    return HtmlDocument(QStringLiteral("500"), Utf8Meta(),
                        QStringLiteral("<h1>网页无法显示</h1><p>HTTP 500 - server error</p>"));
}
