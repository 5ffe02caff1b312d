#pragma once

#include <QByteArray>
#include <QString>

// GB18030 text (a superset of the forum's GBK); invalid bytes become U+FFFD.
QString DecodeGb18030(const QByteArray& bytes);
// UTF-8 text; invalid bytes become U+FFFD.
QString DecodeUtf8(const QByteArray& bytes);
