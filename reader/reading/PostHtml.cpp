#include "reader/reading/PostHtml.h"

#include <QUrl>

namespace {

const QString kHighlightColour = QStringLiteral("#FF0000");
const QString kLinkHead = QStringLiteral("<p></p><center><a target=\"_blank\" href=\"");

} // namespace

QString BuildPostHeader(const ShownPost& post) {
    if (post.colour == kHighlightColour)
        return QStringLiteral("<p></p><center><font color=#00A000>第%1页&nbsp&nbsp&nbsp&nbsp\t\t\t"
                              "作者：<font color=#FF0000>%2</font>&nbsp&nbsp&nbsp&nbsp\t\t\t"
                              "发表日期：%3</font></center><p></p>")
            .arg(post.pageNo)
            .arg(post.author.toHtmlEscaped(), post.time.toHtmlEscaped());
    return QStringLiteral(
               "<p></p><center><font color=#00A000>第%1页&nbsp&nbsp&nbsp&nbsp\t\t\t\t\t   "
               "作者：%2&nbsp&nbsp&nbsp&nbsp\t\t\t\t\t   发表日期：%3</font></center><p></p>")
        .arg(post.pageNo)
        .arg(post.author.toHtmlEscaped(), post.time.toHtmlEscaped());
}

QString PictureSource(const QString& localPath) {
    // Percent-encoded so that a "#", "?" or quote in the home's path stays part of the path.
    return QString::fromLatin1(QUrl::toPercentEncoding(localPath, "/"));
}

QString BuildPictureHtml(const QString& localPath) {
    return QStringLiteral("<img src=\"%1\"   /></p>").arg(PictureSource(localPath));
}

QString NextLinkHtml() {
    return kLinkHead + kNextPageSentinelUrl + QStringLiteral("\">下一页</a></center>");
}

QString PrevLinkHtml() {
    return kLinkHead + kPrevPageSentinelUrl + QStringLiteral("\">上一页</a></center>");
}

bool IsNextLinkAddress(const QString& href) {
    return href == kNextPageSentinelUrl + QLatin1Char('/');
}

bool IsPrevLinkAddress(const QString& href) {
    return href == kPrevPageSentinelUrl + QLatin1Char('/');
}
