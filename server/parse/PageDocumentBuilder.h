#pragma once

#include "server/parse/HtmlDocument.h"

#include <QByteArray>
#include <QString>

// Turning a downloaded page into a document tree. Pure functions: no GUI, no network.

// Decodes the bytes as GB18030; when that text declares UTF-8 (`DeclaresUtf8`), decodes them
// again as UTF-8.
QString DecodePageText(const QByteArray& bytes);

// True when a meta tag in the head declares "charset=utf-8" (or charset="utf-8"), matched
// exactly and case-sensitively; a page without "</head>" never declares it.
bool DeclaresUtf8(const QString& text);

// The content between "<body...>" and "</body", tags matched case-sensitively; false when
// "<body", its ">" or "</body" is missing.
bool CutPageBody(const QString& text, QString* body);

// How deep the markup nests elements that a browser keeps open until their end tag (void
// elements and those whose end tag may be left out do not count), scanned without parsing.
int MarkupNestingDepth(QStringView html);
// The forum's pages nest far less; the tree builder takes quadratic time on deeper ones.
inline constexpr int kMaxMarkupNesting = 1000;

// The shell page with its body content replaced by `bodyHtml`, parsed like a browser. Links
// resolve against `pageAddress`; the document's own address is `documentUrl`. None (with a
// log line) for content nested deeper than kMaxMarkupNesting.
DocumentPtr BuildPageDocument(const QString& shellHtml, const QString& bodyHtml,
                              const QString& pageAddress, const QString& documentUrl);

// A whole serialised page; links resolve against `pageAddress`, which is also its address.
// None for a page nested too deeply, as above.
DocumentPtr ParseSnapshotDocument(const QString& html, const QString& pageAddress);
