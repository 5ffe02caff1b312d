#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The directory, then "/" unless it already ends in one, then the name.
QString JoinPath(const QString& directory, const QString& name);

// The text after the last "/"; the whole text when there is none or the only one is first.
QString FileNameOfPath(const QString& path);

// The text after the last "."; "jpg" when there is none or the only one is first.
QString PictureExtension(const QString& nameOrAddress);

// True for a non-empty text of "0" to "9" only.
bool IsAllDigits(const QString& text);

// Every occurrence replaced, scanning on from the end of each replacement.
QString ReplaceAll(const QString& text, const QString& search, const QString& replacement);

// Local time as "%04d-%02d-%02d %02d:%02d:%02d".
QString TimeText(int64_t secondsSinceEpoch);

// The time value a `TimeText` names in local time; -1 when the text is not in that form.
int64_t ParseTimeText(const QString& text);

QByteArray Utf8OfText(const QString& text);

// Without leading and trailing spaces and tabs.
QString TrimBlanks(const QString& text);

// Without any of \ / : * ? " < > |
QString RemoveForbiddenFileChars(const QString& text);

// `ProgramDirectory` joined with "Img".
QString PictureDirectory();

// The forum class 0 to 4 of an address, by its prefix.
int ClassifyForumAddress(const QString& address);

// The page number the reader uses for "newest posts, no start post chosen".
inline constexpr int LatestSentinelPage = 90000;
