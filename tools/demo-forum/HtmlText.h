#pragma once

#include <QString>
#include <cstdint>

// Text made safe for element content and double-quoted attribute values.
QString HtmlEscape(const QString& text);
// A complete page: head with an optional charset declaration and a title, then the body.
// `charsetMeta` is the whole meta tag or empty.
QString HtmlDocument(const QString& title, const QString& charsetMeta, const QString& body);
QString Utf8Meta();
// "yyyy-MM-dd HH:mm:ss" of a wall-clock value, and the unpadded "yyyy-M-d H:mm:ss" the
// older pages show.
QString WallTimeText(int64_t wallTime);
QString ShortWallTimeText(int64_t wallTime);
