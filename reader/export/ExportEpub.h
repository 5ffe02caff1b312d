#pragma once

#include "reader/export/ExportPosts.h"

#include <QString>
#include <QStringList>

// "导出电子书(EPUB)": an EPUB 3 book of one followed thread. The title and starter are its
// metadata; every page with posts kept becomes a chapter named in the table of contents; the
// downloaded pictures of a post follow its text. The same thread and choice give the same bytes.

// Writes the book of pages firstPage..lastPage, posts by one of `authors` only, into `folder`
// as "<title>.epub", replacing a file of that name only when complete. Returns the number of
// posts written; 0 (and no file) when the follow or its posts cannot be read, the file cannot
// be written, or no post is kept.
int ExportEpub(const QStringList& authors, int focusPageNo, int firstPage, int lastPage,
               const QString& folder, const ExportProgress& progress = {});

// Text made safe inside XML content and attribute values: & < > " ' as entities, and the
// characters XML cannot carry (controls other than tab and line feed, lone surrogates,
// U+FFFE, U+FFFF) left out.
QString EscapeXml(const QString& text);
