#pragma once

#include <QString>

#include <initializer_list>

// The text with every "'" doubled, ready to sit between single quotes in a statement.
QString EscapeSqlText(const QString& text);

// One value for FormatSql: a number for "%d", a text for "%s".
struct SqlArg {
    SqlArg(int number) : isText(false), number(number) {}
    SqlArg(const QString& text) : isText(true), text(text) {}
    SqlArg(const char* text) : isText(true), text(QString::fromUtf8(text)) {}

    bool isText;
    int number = 0;
    QString text;
};

// Fills "%d" and "%s" of a statement pattern in one pass, in order. Every "%s" value is
// escaped with EscapeSqlText, so a caller's text can never end its quoted value early; the
// pattern itself supplies the quotes. Values are never scanned for further placeholders.
QString FormatSql(const char* pattern, std::initializer_list<SqlArg> args);
