#pragma once

#include "reader/reading/ShownPost.h"
#include "store/ThreadRecords.h"

#include <QString>

// The HTML pieces of the post view, kept apart from the view so they can be checked without
// a display. The view adds them element by element; a screen is never one HTML string.

// The blank reading document in the home, filled by the post view.
inline const QString kShowFileName = QStringLiteral("Show.html");

// Two host-only addresses that lead nowhere; they only mark the links to the neighbouring
// screens. The engine reports them with a trailing "/".
inline const QString kNextPageSentinelUrl = QStringLiteral("http://next-page.quillmere.invalid");
inline const QString kPrevPageSentinelUrl = QStringLiteral("http://prev-page.quillmere.invalid");

// The red-author header only for exactly "#FF0000"; any other colour gets the plain one.
// Author and time are escaped: a name is shown as its characters, never read as markup.
QString BuildPostHeader(const ShownPost& post);
// The picture's address as its img element carries it.
QString PictureSource(const QString& localPath);
QString BuildPictureHtml(const QString& localPath);
QString NextLinkHtml();
QString PrevLinkHtml();

// Whether a new-window address is the next or the previous sentinel link (exact compare).
bool IsNextLinkAddress(const QString& href);
bool IsPrevLinkAddress(const QString& href);
