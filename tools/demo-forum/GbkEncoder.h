#pragma once

#include <QByteArray>
#include <QString>

// The text in the forum's old Chinese code page. A character outside it becomes "?",
// so an unexpected character costs one character, never the page.
QByteArray EncodeGbk(const QString& text);
// Bytes in that code page (or its GB18030 superset) as text; empty on a broken sequence.
QString DecodeGbk(const QByteArray& bytes);
