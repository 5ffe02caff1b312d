#include "search/SearchExcerpt.h"

#include "search/SearchTokenizer.h"

#include <algorithm>
#include <utility>

namespace {

class CollectTerms final : public SearchTermSink {
public:
    int Term(const SearchTerm& term) override {
        terms.emplace_back(term.bytes, static_cast<size_t>(term.size));
        return 0;
    }
    std::vector<std::string> terms;
};

// The terms of a document by position: a position holds a unigram and its bigram, or a word.
struct PositionTerm {
    std::string text;
    int start;
    int end;
};

class CollectPositions final : public SearchTermSink {
public:
    int Term(const SearchTerm& term) override {
        if (!term.colocated || positions.empty())
            positions.emplace_back();
        positions.back().push_back(PositionTerm{
            std::string(term.bytes, static_cast<size_t>(term.size)), term.start, term.end});
        return 0;
    }
    std::vector<std::vector<PositionTerm>> positions;
};

// UTF-8 of a text with, for each byte offset that starts a character, its UTF-16 offset.
struct MappedUtf8 {
    std::string bytes;
    std::vector<int> utf16; // size bytes + 1
};

MappedUtf8 MapUtf8(const QString& text) {
    MappedUtf8 out;
    out.bytes.reserve(static_cast<size_t>(text.size()) * 3);
    out.utf16.reserve(static_cast<size_t>(text.size()) * 3 + 1);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        char32_t cp = text[i].unicode();
        int units = 1;
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD;
        }
        char buffer[4];
        int size = 0;
        if (cp < 0x80) {
            buffer[size++] = static_cast<char>(cp);
        } else if (cp < 0x800) {
            buffer[size++] = static_cast<char>(0xC0 | (cp >> 6));
            buffer[size++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            buffer[size++] = static_cast<char>(0xE0 | (cp >> 12));
            buffer[size++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buffer[size++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            buffer[size++] = static_cast<char>(0xF0 | (cp >> 18));
            buffer[size++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buffer[size++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buffer[size++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        for (int b = 0; b < size; ++b)
            out.utf16.push_back(static_cast<int>(i));
        out.bytes.append(buffer, static_cast<size_t>(size));
        i += units;
    }
    out.utf16.push_back(static_cast<int>(n));
    return out;
}

bool IsBlank(QChar c) {
    return c.isSpace() || c.unicode() < 0x20;
}

} // namespace

QList<SearchPhrase> ParseSearchPhrases(const QString& words) {
    QStringList parts;
    QString current;
    QChar closing; // set inside quotes
    auto finish = [&] {
        if (!current.isEmpty())
            parts.append(current);
        current.clear();
    };
    for (QChar c : words) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
        if (!closing.isNull()) {
            if (c == closing || (closing == QChar(0x201D) && c == QLatin1Char('"'))) {
                closing = QChar();
                finish();
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char('"') || c == QChar(0x201C)) {
            finish();
            closing = c == QLatin1Char('"') ? QLatin1Char('"') : QChar(0x201D);
        } else if (c.isSpace()) {
            finish();
        } else {
            current.append(c);
        }
    }
    finish();

    QList<SearchPhrase> phrases;
    for (const QString& part : parts) {
        const QByteArray bytes = part.toUtf8();
        CollectTerms collect;
        SplitSearchTerms(bytes.constData(), static_cast<int>(bytes.size()), TermMode::Query,
                         collect);
        if (collect.terms.empty())
            continue;
        const bool repeated = std::any_of(phrases.begin(), phrases.end(),
                                          [&](const auto& p) { return p.terms == collect.terms; });
        if (!repeated)
            phrases.append(SearchPhrase{part.simplified(), std::move(collect.terms)});
    }
    return phrases;
}

SearchExcerpt MakeSearchExcerpt(const QString& content, const QList<SearchPhrase>& phrases,
                                int width) {
    const MappedUtf8 mapped = MapUtf8(content);
    CollectPositions collect;
    SplitSearchTerms(mapped.bytes.data(), static_cast<int>(mapped.bytes.size()), TermMode::Document,
                     collect);
    const auto& positions = collect.positions;

    // Hits as UTF-16 ranges of the content.
    std::vector<std::pair<int, int>> hits;
    for (const SearchPhrase& phrase : phrases) {
        const size_t n = phrase.terms.size();
        if (n == 0 || n > positions.size())
            continue;
        for (size_t p = 0; p + n <= positions.size(); ++p) {
            int end = -1;
            for (size_t k = 0; k < n; ++k) {
                const auto& at = positions[p + k];
                const auto term = std::find_if(at.begin(), at.end(), [&](const PositionTerm& t) {
                    return t.text == phrase.terms[k];
                });
                if (term == at.end()) {
                    end = -1;
                    break;
                }
                end = term->end;
            }
            if (end >= 0)
                hits.emplace_back(mapped.utf16[static_cast<size_t>(positions[p].front().start)],
                                  mapped.utf16[static_cast<size_t>(end)]);
        }
    }
    std::sort(hits.begin(), hits.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& hit : hits) {
        if (!merged.empty() && hit.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, hit.second);
        else
            merged.push_back(hit);
    }

    const int length = static_cast<int>(content.size());
    width = std::max(width, 10);
    int begin = 0;
    if (!merged.empty())
        begin = std::max(0, merged.front().first - width / 3);
    int end = std::min(length, begin + width);
    begin = std::max(0, std::min(begin, end - width));
    if (begin > 0 && content[begin].isLowSurrogate())
        --begin;
    if (end < length && end > 0 && content[end].isLowSurrogate())
        ++end;

    SearchExcerpt excerpt;
    // Output offset of each content offset in [begin, end].
    std::vector<int> at(static_cast<size_t>(end - begin + 1), 0);
    if (begin > 0)
        excerpt.text.append(QChar(0x2026));
    bool blank = false;
    for (int i = begin; i < end; ++i) {
        const QChar c = content[i];
        if (IsBlank(c)) {
            at[static_cast<size_t>(i - begin)] = static_cast<int>(excerpt.text.size());
            blank = true;
            continue;
        }
        if (blank && !excerpt.text.isEmpty() && excerpt.text.back() != QChar(0x2026))
            excerpt.text.append(QLatin1Char(' '));
        blank = false;
        at[static_cast<size_t>(i - begin)] = static_cast<int>(excerpt.text.size());
        excerpt.text.append(c);
    }
    at[static_cast<size_t>(end - begin)] = static_cast<int>(excerpt.text.size());
    for (const auto& [from, to] : merged) {
        const int a = std::clamp(from, begin, end);
        const int b = std::clamp(to, begin, end);
        if (b <= a)
            continue;
        const int start = at[static_cast<size_t>(a - begin)];
        // A hit ends at its last character, not at the blank behind it.
        int stop = at[static_cast<size_t>(b - begin)];
        while (stop > start && excerpt.text[stop - 1] == QLatin1Char(' '))
            --stop;
        if (stop > start)
            excerpt.marks.append(SearchMark{start, stop - start});
    }
    if (end < length)
        excerpt.text.append(QChar(0x2026));
    return excerpt;
}
