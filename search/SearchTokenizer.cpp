#include "search/SearchTokenizer.h"

#include <QChar>

#include <cstring>
#include <vector>

namespace {

enum class Kind { Separator, Space, LineBreak, Cjk, Word };

// A longer word is cut; document and query are cut alike, so it is still found.
constexpr int kMaxWordBytes = 64;

struct Decoded {
    char32_t cp = 0;
    int size = 1;
};

Decoded Decode(const unsigned char* p, int left) {
    const unsigned char c = p[0];
    if (c < 0x80)
        return {c, 1};
    int size = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        size = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        size = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        size = 4;
        cp = c & 0x07;
    } else {
        return {0xFFFD, 1};
    }
    if (size > left)
        return {0xFFFD, 1};
    for (int i = 1; i < size; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return {0xFFFD, 1};
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    return {cp, size};
}

// Full-width ASCII forms and the ideographic space as their plain forms.
char32_t Fold(char32_t cp) {
    if (cp >= 0xFF01 && cp <= 0xFF5E)
        return cp - 0xFEE0;
    if (cp == 0x3000)
        return U' ';
    return cp;
}

bool IsCjk(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x2FDF) || (cp >= 0x3005 && cp <= 0x3007) ||
           (cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x3100 && cp <= 0x312F) ||
           (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0x4E00 && cp <= 0x9FFF) ||
           (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFF);
}

Kind KindOf(char32_t cp) {
    if (cp < 0x80) {
        if ((cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9'))
            return Kind::Word;
        if (cp == '\n' || cp == '\r')
            return Kind::LineBreak;
        if (cp == ' ' || cp == '\t' || cp == '\v' || cp == '\f')
            return Kind::Space;
        return Kind::Separator;
    }
    if (IsCjk(cp))
        return Kind::Cjk;
    if (cp == 0x2028 || cp == 0x2029 || cp == 0x85)
        return Kind::LineBreak;
    if (QChar::isSpace(cp))
        return Kind::Space;
    if (QChar::isLetterOrNumber(cp) || QChar::isMark(cp))
        return Kind::Word;
    return Kind::Separator;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

struct RunChar {
    int start;
    int end;
};

class Splitter {
public:
    Splitter(const char* text, int size, TermMode mode, SearchTermSink& sink)
        : text_(reinterpret_cast<const unsigned char*>(text)), size_(size), mode_(mode),
          sink_(sink) {}

    int Run() {
        if (size_ > 0 && text_[0] == static_cast<unsigned char>(kRawTermMark))
            return RawTerms();
        int i = 0;
        while (i < size_) {
            const Decoded d = Decode(text_ + i, size_ - i);
            const Kind kind = KindOf(Fold(d.cp));
            int rc = 0;
            if (kind == Kind::Cjk)
                rc = CjkRun(i);
            else if (kind == Kind::Word)
                rc = Word(i);
            else
                i += d.size;
            if (rc != 0)
                return rc;
            if (kind == Kind::Cjk || kind == Kind::Word)
                i = next_;
        }
        return 0;
    }

private:
    int RawTerms() {
        int start = 1;
        for (int i = 1; i <= size_; ++i) {
            if (i < size_ && text_[i] != static_cast<unsigned char>(kRawTermMark))
                continue;
            if (i > start) {
                const int rc =
                    Emit(reinterpret_cast<const char*>(text_ + start), i - start, start, i, false);
                if (rc != 0)
                    return rc;
            }
            start = i + 1;
        }
        return 0;
    }

    // A run of CJK characters from `i`; sets next_ behind its last character.
    int CjkRun(int i) {
        run_.clear();
        int at = i;
        for (;;) {
            const Decoded d = Decode(text_ + at, size_ - at);
            run_.push_back({at, at + d.size});
            at += d.size;
            next_ = at;
            // The next character, past white space that holds a line break.
            bool lineBreak = false;
            int look = at;
            while (look < size_) {
                const Decoded n = Decode(text_ + look, size_ - look);
                const Kind k = KindOf(Fold(n.cp));
                if (k == Kind::LineBreak)
                    lineBreak = true;
                else if (k != Kind::Space)
                    break;
                look += n.size;
            }
            if (look >= size_)
                break;
            if (look > at && !lineBreak)
                break;
            const Decoded n = Decode(text_ + look, size_ - look);
            if (KindOf(Fold(n.cp)) != Kind::Cjk)
                break;
            at = look;
        }
        const int count = static_cast<int>(run_.size());
        if (mode_ == TermMode::Document) {
            for (int k = 0; k < count; ++k) {
                int rc = Unigram(k, false);
                if (rc == 0 && k + 1 < count)
                    rc = Bigram(k, true);
                if (rc != 0)
                    return rc;
            }
            return 0;
        }
        if (count == 1)
            return Unigram(0, false);
        for (int k = 0; k + 1 < count; ++k)
            if (const int rc = Bigram(k, false); rc != 0)
                return rc;
        // Before further terms of a phrase the last character keeps its own position.
        return MoreTermsFrom(next_) ? Unigram(count - 1, false) : 0;
    }

    bool MoreTermsFrom(int i) const {
        while (i < size_) {
            const Decoded d = Decode(text_ + i, size_ - i);
            const Kind k = KindOf(Fold(d.cp));
            if (k == Kind::Cjk || k == Kind::Word)
                return true;
            i += d.size;
        }
        return false;
    }

    int Unigram(int k, bool colocated) {
        const RunChar& c = run_[static_cast<size_t>(k)];
        return Emit(reinterpret_cast<const char*>(text_ + c.start), c.end - c.start, c.start, c.end,
                    colocated);
    }

    int Bigram(int k, bool colocated) {
        const RunChar& a = run_[static_cast<size_t>(k)];
        const RunChar& b = run_[static_cast<size_t>(k) + 1];
        if (a.end == b.start)
            return Emit(reinterpret_cast<const char*>(text_ + a.start), b.end - a.start, a.start,
                        b.end, colocated);
        word_.assign(reinterpret_cast<const char*>(text_ + a.start),
                     static_cast<size_t>(a.end - a.start));
        word_.append(reinterpret_cast<const char*>(text_ + b.start),
                     static_cast<size_t>(b.end - b.start));
        return Emit(word_.data(), static_cast<int>(word_.size()), a.start, b.end, colocated);
    }

    int Word(int i) {
        word_.clear();
        int at = i;
        bool plain = true; // the source bytes are already the term
        while (at < size_) {
            const Decoded d = Decode(text_ + at, size_ - at);
            const char32_t folded = Fold(d.cp);
            if (KindOf(folded) != Kind::Word)
                break;
            char32_t lower = folded;
            if (folded < 0x80) {
                if (folded >= 'A' && folded <= 'Z')
                    lower = folded + 32;
            } else {
                lower = QChar::toLower(folded);
            }
            if (lower != d.cp)
                plain = false;
            AppendUtf8(word_, lower);
            at += d.size;
        }
        next_ = at;
        if (word_.size() > kMaxWordBytes) {
            // Cut at a character boundary.
            size_t cut = kMaxWordBytes;
            while (cut > 0 && (static_cast<unsigned char>(word_[cut]) & 0xC0) == 0x80)
                --cut;
            word_.resize(cut);
            plain = false;
        }
        if (plain)
            return Emit(reinterpret_cast<const char*>(text_ + i), at - i, i, at, false);
        return Emit(word_.data(), static_cast<int>(word_.size()), i, at, false);
    }

    int Emit(const char* bytes, int size, int start, int end, bool colocated) {
        return sink_.Term(SearchTerm{bytes, size, start, end, colocated});
    }

    const unsigned char* text_;
    int size_;
    TermMode mode_;
    SearchTermSink& sink_;
    std::vector<RunChar> run_;
    std::string word_;
    int next_ = 0;
};

// --- the SQLite full-text tokenizer ---

class CallbackSink final : public SearchTermSink {
public:
    CallbackSink(void* context, int (*token)(void*, int, const char*, int, int, int))
        : context_(context), token_(token) {}
    int Term(const SearchTerm& t) override {
        return token_(context_, t.colocated ? FTS5_TOKEN_COLOCATED : 0, t.bytes, t.size, t.start,
                      t.end);
    }

private:
    void* context_;
    int (*token_)(void*, int, const char*, int, int, int);
};

int TokenizerCreate(void*, const char**, int, Fts5Tokenizer** out) {
    // Stateless: any non-null handle serves.
    static char handle;
    *out = reinterpret_cast<Fts5Tokenizer*>(&handle);
    return SQLITE_OK;
}

void TokenizerDelete(Fts5Tokenizer*) {}

int TokenizerTokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
                      int (*token)(void*, int, const char*, int, int, int)) {
    CallbackSink sink(context, token);
    const TermMode mode = (flags & FTS5_TOKENIZE_QUERY) ? TermMode::Query : TermMode::Document;
    return SplitSearchTerms(text, size, mode, sink);
}

} // namespace

int SplitSearchTerms(const char* text, int size, TermMode mode, SearchTermSink& sink) {
    if (!text || size <= 0)
        return 0;
    Splitter splitter(text, size, mode, sink);
    return splitter.Run();
}

bool RegisterSearchTokenizer(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "select fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (!api)
        return false;
    static fts5_tokenizer tokenizer{TokenizerCreate, TokenizerDelete, TokenizerTokenize};
    return api->xCreateTokenizer(api, "quillmere", nullptr, &tokenizer, nullptr) == SQLITE_OK;
}
