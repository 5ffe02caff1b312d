#pragma once

#include "server/parse/HtmlDocument.h"

#include <QList>
#include <QString>

// One row of the maker's version table: the inner texts of its first five cells (cell 0 and 1
// are the range of program versions it applies to), then the first three link addresses of
// its sixth cell (empty when there are fewer).
struct VersionRow {
    QString cells[5];
    QString links[3];
};

inline constexpr int kMaxVersionRows = 10;

// The rows of the table "SoftVerUpdate"; true when there is at least one.
bool ReadVersionTable(const DocumentPtr& document, QList<VersionRow>* rows);
// The first row whose range holds `version` (compared as texts); false when none does.
bool FindUpdate(const QList<VersionRow>& rows, const QString& version, VersionRow* row);
