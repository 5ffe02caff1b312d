#pragma once

#include "reader/export/ExportFormat.h"

#include <QString>
#include <QStringList>
#include <functional>

// Called as pages are written: pages done and pages to do (at least 1), ending with done == total
// when the export completes.
using ExportProgress = std::function<void(int done, int total)>;

// The file name of a thread's export: the title without \ / : * ? " < > |, then the extension.
// A title that is empty after that is replaced by the follow number; a name too long for the
// file system is cut (at whole characters) so that it can be created.
QString ExportFileName(const QString& title, int focusPageNo, ExportKind kind);
// The same with the extension given (".epub").
QString ExportFileName(const QString& title, int focusPageNo, const QString& extension);

// Writes the posts of pages firstPage..lastPage of the follow whose author is one of `authors`
// (compared exactly) into `folder`, replacing a file of the same name. The file appears only
// when complete: a read or write failure leaves any earlier file of that name as it was.
// Returns the number of posts written; 0 when the follow, its posts or the file cannot be used.
int ExportPosts(ExportKind kind, const QStringList& authors, int focusPageNo, int firstPage,
                int lastPage, const QString& folder, const ExportProgress& progress = {});
