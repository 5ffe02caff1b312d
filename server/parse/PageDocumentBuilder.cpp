#include "server/parse/PageDocumentBuilder.h"

#include "common/Log.h"
#include "server/parse/TextDecoding.h"

namespace {

// Elements that never hold children, or whose end tag may be left out because the next
// sibling closes them: neither deepens a page that is merely sloppy.
bool CountsForNesting(QStringView name) {
    static constexpr QLatin1StringView kNotCounted[] = {
        // void
        QLatin1StringView("area"), QLatin1StringView("base"), QLatin1StringView("br"),
        QLatin1StringView("col"), QLatin1StringView("embed"), QLatin1StringView("hr"),
        QLatin1StringView("img"), QLatin1StringView("input"), QLatin1StringView("link"),
        QLatin1StringView("meta"), QLatin1StringView("param"), QLatin1StringView("source"),
        QLatin1StringView("track"), QLatin1StringView("wbr"), QLatin1StringView("image"),
        // end tag optional
        QLatin1StringView("p"), QLatin1StringView("li"), QLatin1StringView("dt"),
        QLatin1StringView("dd"), QLatin1StringView("td"), QLatin1StringView("th"),
        QLatin1StringView("tr"), QLatin1StringView("tbody"), QLatin1StringView("thead"),
        QLatin1StringView("tfoot"), QLatin1StringView("option"), QLatin1StringView("optgroup"),
        QLatin1StringView("rb"), QLatin1StringView("rt"), QLatin1StringView("rp"),
        QLatin1StringView("colgroup"), QLatin1StringView("caption"), QLatin1StringView("html"),
        QLatin1StringView("head"), QLatin1StringView("body")};
    for (QLatin1StringView other : kNotCounted)
        if (name.size() == other.size() && name.compare(other, Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

// Refuses (with a log line) what the tree builder would take minutes over.
bool NestsTooDeeply(QStringView html, const QString& pageAddress) {
    if (MarkupNestingDepth(html) <= kMaxMarkupNesting)
        return false;
    Log(QStringLiteral("Page nested too deeply, not loaded: ") + pageAddress, LogWarn);
    return true;
}

// The declaration rule needs the text only up to the first "</head>", and ASCII characters of
// the decoded text come from the same bytes in the same order. So the head alone is decoded to
// decide, unless the unquoted declaration appears after it (then the whole text decides).
bool BytesDeclareUtf8(const QByteArray& bytes) {
    const qsizetype headEnd = bytes.indexOf("</head>");
    if (headEnd < 0)
        return false;
    const qsizetype prefixLength = headEnd + 7;
    if (bytes.indexOf("charset=utf-8", prefixLength) < 0) {
        const QString head = DecodeGb18030(bytes.left(prefixLength));
        if (head.endsWith(QLatin1String("</head>")))
            return DeclaresUtf8(head);
    }
    return DeclaresUtf8(DecodeGb18030(bytes));
}

} // namespace

QString DecodePageText(const QByteArray& bytes) {
    return BytesDeclareUtf8(bytes) ? DecodeUtf8(bytes) : DecodeGb18030(bytes);
}

bool DeclaresUtf8(const QString& text) {
    const qsizetype headEnd = text.indexOf(QLatin1String("</head>"));
    if (headEnd < 0)
        return false;
    qsizetype charset = text.indexOf(QLatin1String("charset=utf-8"));
    if (charset < 0)
        charset = text.indexOf(QLatin1String("charset=\"utf-8\""));
    if (charset <= 0 || charset >= headEnd)
        return false;
    const qsizetype tagStart = text.lastIndexOf(u'<', charset);
    if (tagStart <= 0)
        return false;
    const qsizetype meta = text.indexOf(QLatin1String("meta"), tagStart);
    return meta >= 0 && meta < charset;
}

bool CutPageBody(const QString& text, QString* body) {
    const qsizetype open = text.indexOf(QLatin1String("<body"));
    if (open < 0)
        return false;
    const qsizetype openEnd = text.indexOf(u'>', open);
    if (openEnd < 0)
        return false;
    const qsizetype close = text.indexOf(QLatin1String("</body"), openEnd + 1);
    if (close < 0)
        return false;
    if (body)
        *body = text.mid(openEnd + 1, close - openEnd - 1);
    return true;
}

int MarkupNestingDepth(QStringView html) {
    int depth = 0;
    int deepest = 0;
    const qsizetype size = html.size();
    qsizetype i = 0;
    while (i < size) {
        const qsizetype open = html.indexOf(u'<', i);
        if (open < 0 || open + 1 >= size)
            break;
        i = open + 1;
        if (html.mid(i).startsWith(QLatin1String("!--"))) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i + 3);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        const bool closing = html[i] == u'/';
        if (closing)
            ++i;
        const qsizetype nameStart = i;
        while (i < size && IsNameChar(html[i]))
            ++i;
        if (i == nameStart || !html[nameStart].isLetter())
            continue;
        const QStringView name = html.mid(nameStart, i - nameStart);
        const qsizetype tagEnd = html.indexOf(u'>', i);
        if (tagEnd < 0)
            break;
        const bool selfClosing = tagEnd > i && html[tagEnd - 1] == u'/';
        i = tagEnd + 1;
        const bool rawText = name.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0 ||
                             name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0 ||
                             name.compare(QLatin1String("textarea"), Qt::CaseInsensitive) == 0;
        if (!closing && rawText) {
            // Their text is never markup: skip to the end tag.
            const qsizetype end =
                html.indexOf(QStringLiteral("</") + name.toString(), i, Qt::CaseInsensitive);
            if (end < 0)
                break;
            i = end;
            continue;
        }
        if (!CountsForNesting(name))
            continue;
        if (closing)
            depth = std::max(0, depth - 1);
        else if (!selfClosing)
            deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

DocumentPtr BuildPageDocument(const QString& shellHtml, const QString& bodyHtml,
                              const QString& pageAddress, const QString& documentUrl) {
    if (NestsTooDeeply(bodyHtml, pageAddress))
        return nullptr;
    // Splicing the content into the shell's text and parsing the whole gives the tree that
    // replacing the body's inner HTML gives, without a second parse.
    QString html;
    const qsizetype open = shellHtml.indexOf(QLatin1String("<body"));
    const qsizetype openEnd = open >= 0 ? shellHtml.indexOf(u'>', open) : -1;
    const qsizetype close = openEnd >= 0 ? shellHtml.indexOf(QLatin1String("</body"), openEnd) : -1;
    if (close >= 0) {
        html.reserve(shellHtml.size() + bodyHtml.size());
        html += QStringView(shellHtml).left(openEnd + 1);
        html += bodyHtml;
        html += QStringView(shellHtml).mid(close);
    } else {
        // A shell without a usable body still gives a document with the content as body.
        html = QStringLiteral("<!DOCTYPE html><html><head></head><body>") + bodyHtml +
               QStringLiteral("</body></html>");
    }
    return std::make_shared<const HtmlDocument>(html, pageAddress, documentUrl);
}

DocumentPtr ParseSnapshotDocument(const QString& html, const QString& pageAddress) {
    if (NestsTooDeeply(html, pageAddress))
        return nullptr;
    return std::make_shared<const HtmlDocument>(html, pageAddress, pageAddress);
}
