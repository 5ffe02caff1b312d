#include "tools/demo-forum/HtmlText.h"

#include <QDateTime>
#include <QTimeZone>

QString HtmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Utf8Meta() {
    return QStringLiteral(
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
}

QString HtmlDocument(const QString& title, const QString& charsetMeta, const QString& body) {
    // The style sheet only spaces out what the structure keeps free of blank text nodes.
    return QStringLiteral("<!DOCTYPE html>\n<html><head>") + charsetMeta +
           QStringLiteral("<title>") + HtmlEscape(title) +
           QStringLiteral("</title><style>a,span,strong{margin:0 4px}.atl-item,.post,.item{"
                          "margin:8px 0;border-bottom:1px solid #ddd}</style></head>\n<body>") +
           body + QStringLiteral("</body></html>\n");
}

namespace {

QDateTime wallClock(int64_t wallTime) {
    return QDateTime::fromSecsSinceEpoch(wallTime, QTimeZone::utc());
}

} // namespace

QString WallTimeText(int64_t wallTime) {
    return wallClock(wallTime).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ShortWallTimeText(int64_t wallTime) {
    return wallClock(wallTime).toString(QStringLiteral("yyyy-M-d H:mm:ss"));
}
