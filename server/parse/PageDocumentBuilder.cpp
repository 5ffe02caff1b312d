#include "server/parse/PageDocumentBuilder.h"

#include "server/parse/TextDecoding.h"

namespace {

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

DocumentPtr BuildPageDocument(const QString& shellHtml, const QString& bodyHtml,
                              const QString& pageAddress, const QString& documentUrl) {
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
    return std::make_shared<const HtmlDocument>(html, pageAddress, pageAddress);
}
