#pragma once

#include <QByteArray>
#include <QString>

// GB18030 text (a superset of the forum's GBK); invalid bytes become U+FFFD.
QString DecodeGb18030(const QByteArray& bytes);
// The same through glibc's iconv, which the Qt decoder falls back to when it lacks GB18030.
QString DecodeGb18030WithIconv(const QByteArray& bytes);
// UTF-8 text; invalid bytes become U+FFFD.
QString DecodeUtf8(const QByteArray& bytes);
