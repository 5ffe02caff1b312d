#include "reader/export/ExportFormat.h"

namespace {

const QString kHtmlHead = QStringLiteral(
    "<html>\n<head>\n<style type=\"text/css\">\n#main { width:950px; margin:0 auto; }\n"
    "\t\t\t\t\t\t .title { text-align: center; color: #080;}\n.name { text-align: center; }\n"
    ".webpageurl { text-align: center; }\n\t\t\t\t\t\t .sign { color:#fff; }\n</style>\n"
    "</head>\n<div id=\"main\">\n");
const QString kNbsp5 = QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");

} // namespace

QString EscapeExportHtml(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8 + 16);
    const QChar* data = text.constData();
    const qsizetype size = text.size();
    qsizetype run = 0; // start of the characters not yet copied
    for (qsizetype i = 0; i < size; ++i) {
        QLatin1String entity;
        switch (data[i].unicode()) {
        case '&':
            entity = QLatin1String("&amp;");
            break;
        case '<':
            entity = QLatin1String("&lt;");
            break;
        case '>':
            entity = QLatin1String("&gt;");
            break;
        case '"':
            entity = QLatin1String("&quot;");
            break;
        case '\n':
            entity = QLatin1String("<br>");
            break;
        default:
            continue;
        }
        out.append(data + run, i - run);
        out += entity;
        run = i + 1;
    }
    out.append(data + run, size - run);
    return out;
}

ExportFormat::ExportFormat(ExportKind kind, const QString& makerSiteHost)
    : kind_(kind), textSignature_(QStringLiteral("【Fenwold整理 -- ") + makerSiteHost +
                                  QStringLiteral("】\n\n")),
      htmlSignature_(QStringLiteral("<br><div class=\"sign\">【Fenwold整理 -- ") +
                     EscapeExportHtml(makerSiteHost) + QStringLiteral("】</div></div>\n")) {}

QString ExportFormat::Extension() const {
    return kind_ == ExportKind::Text ? QStringLiteral(".txt") : QStringLiteral(".html");
}

void ExportFormat::AppendHead(QString& out, const FollowRecord& follow) const {
    if (kind_ == ExportKind::Text)
        return;
    out += kHtmlHead;
    out += QLatin1String("<h2 class=\"name\">");
    out += EscapeExportHtml(follow.webpageName);
    out += QLatin1String("</h2>\n<div class=\"webpageurl\">");
    out += QStringLiteral("原帖网址：");
    out += EscapeExportHtml(follow.webpageUrl);
    out += QLatin1String("</div><br><br>\n");
}

void ExportFormat::AppendPost(QString& out, const ThreadPost& post) const {
    if (kind_ == ExportKind::Text) {
        out += QStringLiteral("          第");
        out += QString::number(post.pageNo);
        out += QStringLiteral("页     作者：");
        out += post.author;
        out += QStringLiteral("     发表日期：");
        out += post.time;
        out += QLatin1Char('\n');
        out += post.content;
        out += QLatin1Char('\n');
        out += textSignature_;
        return;
    }
    out += QStringLiteral("<div class=\"title\">第");
    out += QString::number(post.pageNo);
    out += QStringLiteral("页") + kNbsp5 + QStringLiteral("作者：");
    out += EscapeExportHtml(post.author);
    out += kNbsp5 + QStringLiteral("发表日期：");
    out += EscapeExportHtml(post.time);
    out += QLatin1String("</div>\n<br><div class=\"content\">");
    out += EscapeExportHtml(post.content);
    out += htmlSignature_;
}

void ExportFormat::AppendTail(QString& out) const {
    if (kind_ == ExportKind::Html)
        out += QLatin1String("</div>\n</html>\n");
}
