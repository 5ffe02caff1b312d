#pragma once

#include <QString>

// Reads the author and the post time from a post header such as
// "作者：somebody 日期：2012-1-5 8:03:07" (author "somebody", time "2012-01-05 08:03:07").
// The author runs from three characters after "作者" (from the third character when it is
// missing) to the first space (U+0020 or U+3000) of the text. The time is built from the digit
// groups from the first "2" after the author on. True when the time has 19 characters.
bool ParseAuthorTime(const QString& header, QString* author, QString* time);

// The newest layout's variant: the marker is "作者" or else "楼主" (false, outputs untouched,
// without either); the author ends at the first space after its start, and only the date and
// the time of day (up to the second space) are read.
bool ParseAuthorTimeLayout4(const QString& header, QString* author, QString* time);

// The time built from the digit groups of `text`: one-digit groups get a leading zero, groups
// are joined by "-" or ":" as written and by a space otherwise; a date alone gets " 00:00:00".
QString BuildTimeFromDigitGroups(const QString& text);
