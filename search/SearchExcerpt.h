#pragma once

#include <QList>
#include <QString>

#include <string>
#include <vector>

// A marked range of an excerpt, in UTF-16 code units.
struct SearchMark {
    int start = 0;
    int length = 0;
};

// One word or quoted phrase of a search, with the index terms that find it in order.
struct SearchPhrase {
    QString text;
    std::vector<std::string> terms;
};

// The user's words: white space separates words, text between double quotes ("..." or
// “...”) is one phrase; control characters count as white space. Parts without any term
// (punctuation only) are dropped, and a part that repeats an earlier one.
QList<SearchPhrase> ParseSearchPhrases(const QString& words);

struct SearchExcerpt {
    QString text;
    QList<SearchMark> marks;
};

// About `width` characters of `content` around its first hit of any phrase, with every hit
// inside marked; runs of white space (line breaks too) become one space, and "…" shows where
// the content was cut. Without a hit, the beginning of the content.
SearchExcerpt MakeSearchExcerpt(const QString& content, const QList<SearchPhrase>& phrases,
                                int width = 100);
