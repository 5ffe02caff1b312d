#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

// How search text becomes index terms, shared by the index (as the SQLite full-text tokenizer
// "quillmere") and by the excerpt marker, so both agree on what a hit is.
//
// - Chinese, Japanese and Korean characters are indexed one by one (unigrams) and, at the same
//   position, each together with the next character of its run (bigrams). A query of one
//   character looks up the unigram, two characters the bigram, longer runs a phrase of
//   bigrams, so words of any length are found without a dictionary.
// - A run of such characters continues across white space that holds a line break, since
//   posts are often broken in the middle of a word.
// - Letters and digits of other scripts form words, folded to lower case; full-width Latin
//   letters and digits count as their ASCII forms.
// - Everything else separates terms.
// - A text that starts with U+0001 is a list of raw terms separated by U+0001 (the thread and
//   author terms of a post); user input never contains that character.

// One term: its bytes, and the byte range of the source text it came from. `colocated` marks
// a term at the same position as the previous one (a bigram beside its unigram).
struct SearchTerm {
    const char* bytes = nullptr;
    int size = 0;
    int start = 0;
    int end = 0;
    bool colocated = false;
};

enum class TermMode {
    Document, // unigrams with colocated bigrams
    Query,    // the terms that find the text as a phrase: bigrams of runs, unigrams alone
};

// Calls `sink(const SearchTerm&)` for each term of the UTF-8 text; a non-zero result of the
// sink stops the walk and is returned.
class SearchTermSink {
public:
    virtual ~SearchTermSink() = default;
    virtual int Term(const SearchTerm& term) = 0;
};
int SplitSearchTerms(const char* text, int size, TermMode mode, SearchTermSink& sink);

// Registers the tokenizer "quillmere" on a connection; false when the full-text module is
// missing.
bool RegisterSearchTokenizer(sqlite3* db);

// The leading character of raw term lists (see above).
inline constexpr char kRawTermMark = '\x01';
