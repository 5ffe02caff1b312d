// The search index on threads stored through the store's API, indexed the way the server
// indexes a page it stored.
#include "search/SearchIndex.h"
#include "search/SearchIndexer.h"
#include "search/SearchTokenizer.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/SqliteHandles.h"
#include "store/ThreadDatabase.h"
#include "tests/support/TempHome.h"

#include <QFile>

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

struct Post {
    int page;
    const char* author;
    const char* time;
    const char* content;
};

// Two threads; times are chosen so that newest-first interleaves the threads.
const Post kThreadA[] = {
    {1, "山野客", "2020-01-01 10:00:00", "我们在天涯社区认识的。\n后来一起去了县城。"},
    {1, "江南书生", "2020-01-02 09:30:00", "The Quick brown FOX jumps over the lazy dog."},
    {2, "山野客", "2020-01-03 08:00:00", "这是一个很长的故事，讲到中\n　　国的北方工厂。"},
    {2, "明月", "2021-06-01 12:00:00", "hello\nworld, 你好"},
};
const Post kThreadB[] = {
    {1, "清风", "2021-05-01 07:00:00", "县城里的老街，天涯海角。"},
    {1, "山野客", "2021-05-02 07:00:00", "ｆｕｌｌ ｗｉｄｔｈ ＡＢＣ 全角字母"},
};

class SearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureCatalogueFile());
        a = Follow("长帖甲", kThreadA);
        b = Follow("长帖乙", kThreadB);
        ASSERT_GT(a.focusPageNo, 0);
        ASSERT_GT(b.focusPageNo, 0);
    }

    // A followed thread whose pages are stored, each indexed as the server does after storing.
    template <size_t N> FollowRecord Follow(const char* title, const Post (&posts)[N]) {
        QString file;
        EXPECT_TRUE(CreateThreadDatabase(file));
        EXPECT_TRUE(AddFollowedThread(QStringLiteral("http://forum/") + file,
                                      QString::fromUtf8(title), QStringLiteral("楼主"), file, 2));
        FollowRecord row;
        EXPECT_TRUE(
            ReadFollowedThread(FindFollowNumber(QStringLiteral("http://forum/") + file), row));
        for (int page = 1; page <= 2; ++page) {
            QList<ThreadPost> stored;
            for (const Post& p : posts)
                if (p.page == page)
                    stored.append({p.page, QString::fromUtf8(p.author), QString::fromUtf8(p.time),
                                   QString::fromUtf8(p.content)});
            if (stored.isEmpty())
                continue;
            EXPECT_TRUE(SavePage(file, stored, page, QStringLiteral("http://forum/%1").arg(page)));
            EXPECT_TRUE(IndexStoredPage(row.focusPageNo, file, page));
        }
        return row;
    }

    // Hits as "thread/page/author", in the order found.
    QStringList Find(const QString& words, int thread = 0, const QString& author = {}) {
        SearchRequest request;
        request.words = words;
        request.focusPageNo = thread;
        request.author = author;
        const SearchAnswer answer = SearchPosts(request);
        EXPECT_TRUE(answer.ok) << words.toStdString();
        QStringList hits;
        for (const SearchHit& hit : answer.hits)
            hits.append(QStringLiteral("%1/%2/%3")
                            .arg(hit.focusPageNo == a.focusPageNo   ? QStringLiteral("A")
                                 : hit.focusPageNo == b.focusPageNo ? QStringLiteral("B")
                                                                    : QStringLiteral("?"))
                            .arg(hit.pageNo)
                            .arg(hit.author));
        return hits;
    }

    // Number of posts of a follow left in the index file.
    int IndexedPosts(int focusPageNo) {
        SqliteConnection db;
        EXPECT_EQ(sqlite3_open(home.File(kSearchIndexName).toUtf8().constData(), db.out()),
                  SQLITE_OK);
        SqliteStatement count;
        const QByteArray sql = QStringLiteral("select count(*) from Post where FocusPageNo=%1;")
                                   .arg(focusPageNo)
                                   .toUtf8();
        if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, count.out(), nullptr) != SQLITE_OK)
            return -1;
        return sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int(count.get(), 0) : -1;
    }

    TempHome home;
    FollowRecord a;
    FollowRecord b;
};

TEST_F(SearchIndexTest, QueriesFindTheirPostsNewestFirst) {
    const struct {
        const char* words;
        QStringList hits;
    } cases[] = {
        // One and two Chinese characters, newest post first across threads.
        {"县", {"B/1/清风", "A/1/山野客"}},
        {"天涯", {"B/1/清风", "A/1/山野客"}},
        // A phrase, and two words that must both occur.
        {"\"天涯社区\"", {"A/1/山野客"}},
        {"“天涯社区”", {"A/1/山野客"}},
        {"天涯 县城", {"B/1/清风", "A/1/山野客"}},
        {"天涯 工厂", {}},
        // Latin words in other letter case; a phrase keeps word order.
        {"quick FOX", {"A/1/江南书生"}},
        {"QUICK", {"A/1/江南书生"}},
        {"\"Brown Fox\"", {"A/1/江南书生"}},
        {"\"quick fox\"", {}},
        // Whole words only.
        {"qui", {}},
        // Full-width letters are their plain forms.
        {"abc", {"B/1/山野客"}},
        {"ＦＵＬＬ", {"B/1/山野客"}},
        // A word broken by a line break (and the indent of the next line), and a phrase.
        {"中国", {"A/2/山野客"}},
        {"讲到中国的北方", {"A/2/山野客"}},
        {"\"hello world\"", {"A/2/明月"}},
        // Latin followed by Chinese in one phrase, across a comma.
        {"\"world 你好\"", {"A/2/明月"}},
        // No hit.
        {"北京", {}},
        {"县城老街天涯", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find(QString::fromUtf8(c.words)), c.hits) << c.words;
}

TEST_F(SearchIndexTest, FiltersByThreadAndAuthor) {
    EXPECT_EQ(Find(QStringLiteral("县"), b.focusPageNo), QStringList{QStringLiteral("B/1/清风")});
    EXPECT_EQ(Find(QStringLiteral("天涯"), 0, QStringLiteral("山野客")),
              QStringList{QStringLiteral("A/1/山野客")});
    EXPECT_EQ(Find(QStringLiteral("天涯"), b.focusPageNo, QStringLiteral("山野客")), QStringList{});
    // The author name is matched exactly, not as search words.
    EXPECT_EQ(Find(QStringLiteral("天涯"), 0, QStringLiteral("山野")), QStringList{});
}

TEST_F(SearchIndexTest, PunctuationAloneIsNoSearch) {
    SearchRequest request;
    request.words = QStringLiteral("，。！ \"\" --");
    const SearchAnswer answer = SearchPosts(request);
    EXPECT_TRUE(answer.ok);
    EXPECT_TRUE(answer.noWords);
    EXPECT_TRUE(answer.hits.isEmpty());
}

TEST_F(SearchIndexTest, HitsCarryTitleTimeAndAMarkedExcerpt) {
    SearchRequest request;
    request.words = QStringLiteral("中国 工厂");
    const SearchAnswer answer = SearchPosts(request);
    ASSERT_TRUE(answer.ok);
    ASSERT_EQ(answer.hits.size(), 1);
    const SearchHit& hit = answer.hits.first();
    EXPECT_EQ(hit.threadTitle, QStringLiteral("长帖甲"));
    EXPECT_EQ(hit.time, QStringLiteral("2020-01-03 08:00:00"));
    // The line break and the indent become one space; both words are marked.
    EXPECT_EQ(hit.excerpt, QStringLiteral("这是一个很长的故事，讲到中 国的北方工厂。"));
    QStringList marked;
    for (const SearchMark& mark : hit.marks)
        marked.append(hit.excerpt.mid(mark.start, mark.length));
    EXPECT_EQ(marked, (QStringList{QStringLiteral("中 国"), QStringLiteral("工厂")}));
}

TEST_F(SearchIndexTest, PagingContinuesWhereTheLastPageEnded) {
    SearchRequest request;
    request.words = QStringLiteral("的");
    request.limit = 1;
    QStringList seen;
    for (request.offset = 0; request.offset < 5; ++request.offset) {
        const SearchAnswer answer = SearchPosts(request);
        ASSERT_TRUE(answer.ok);
        for (const SearchHit& hit : answer.hits)
            seen.append(hit.time);
    }
    // 的 occurs in three posts: each page shows the next older one.
    EXPECT_EQ(seen, (QStringList{QStringLiteral("2021-05-01 07:00:00"),
                                 QStringLiteral("2020-01-03 08:00:00"),
                                 QStringLiteral("2020-01-01 10:00:00")}));
}

TEST_F(SearchIndexTest, ThePageStoredAgainWithLongerPostsIsFoundByItsNewText) {
    QList<ThreadPost> grown{{1, QStringLiteral("清风"), QStringLiteral("2021-05-01 07:00:00"),
                             QStringLiteral("县城里的老街，天涯海角。再补一句：桂花开了。")}};
    ASSERT_TRUE(IndexPagePosts(b.focusPageNo, b.dbFileName, 1, grown));
    EXPECT_EQ(Find(QStringLiteral("桂花")), QStringList{QStringLiteral("B/1/清风")});
    EXPECT_EQ(Find(QStringLiteral("老街")), QStringList{QStringLiteral("B/1/清风")});
}

TEST_F(SearchIndexTest, APurgedFollowIsNoLongerFoundAndItsPostsLeaveTheIndex) {
    ASSERT_GT(IndexedPosts(a.focusPageNo), 0);
    // What the reader's purge at start does: the row and the thread file go.
    ASSERT_TRUE(DeleteFollowedThread(a.focusPageNo));
    ASSERT_TRUE(QFile::remove(home.File(a.dbFileName)));
    EXPECT_EQ(Find(QStringLiteral("天涯")), QStringList{QStringLiteral("B/1/清风")});

    SearchSyncReport report;
    ASSERT_TRUE(SynchroniseSearchIndex(&report));
    EXPECT_EQ(report.threadsRemoved, 1);
    EXPECT_FALSE(report.reset);
    EXPECT_EQ(IndexedPosts(a.focusPageNo), 0);
    EXPECT_EQ(IndexedPosts(b.focusPageNo), 2);
    EXPECT_EQ(Find(QStringLiteral("天涯")), QStringList{QStringLiteral("B/1/清风")});
}

TEST_F(SearchIndexTest, PostsIndexedFromAnotherFileUnderTheSameNumberGoFirst) {
    // A catalogue without "autoincrement" gives a removed follow's number out again.
    QString other;
    ASSERT_TRUE(CreateThreadDatabase(other));
    const QList<ThreadPost> fresh{{1, QStringLiteral("白露"), QStringLiteral("2022-01-01 00:00:00"),
                                   QStringLiteral("新的帖子，没有旧话。")}};
    ASSERT_TRUE(IndexPagePosts(b.focusPageNo, other, 1, fresh));
    EXPECT_EQ(IndexedPosts(b.focusPageNo), 1);
    EXPECT_EQ(Find(QStringLiteral("老街")), QStringList{});
    // The catalogue still names the old file, so the new posts are not shown under it either.
    EXPECT_EQ(Find(QStringLiteral("旧话")), QStringList{});
}

TEST_F(SearchIndexTest, SynchronisingIndexesStoredPagesTheServerDidNotIndex) {
    const Post late[] = {{2, "孤城", "2022-02-02 02:02:02", "补上的一页：火车站。"}};
    QList<ThreadPost> posts{{2, QString::fromUtf8(late[0].author), QString::fromUtf8(late[0].time),
                             QString::fromUtf8(late[0].content)}};
    // Stored while no index hook ran (a server that stopped in between).
    ASSERT_TRUE(SavePage(b.dbFileName, posts, 2, QStringLiteral("http://forum/2")));
    EXPECT_EQ(Find(QStringLiteral("火车站")), QStringList{});
    SearchSyncReport report;
    ASSERT_TRUE(SynchroniseSearchIndex(&report));
    EXPECT_EQ(report.pagesIndexed, 1);
    EXPECT_EQ(Find(QStringLiteral("火车站")), QStringList{QStringLiteral("B/2/孤城")});
    // Nothing left to do the second time.
    ASSERT_TRUE(SynchroniseSearchIndex(&report));
    EXPECT_EQ(report.pagesIndexed, 0);
    EXPECT_EQ(report.threadsRemoved, 0);
    // A follow whose thread file is gone keeps its posts until it is purged, and no empty
    // file is made in its place.
    ASSERT_TRUE(QFile::remove(home.File(b.dbFileName)));
    ASSERT_TRUE(SynchroniseSearchIndex(&report));
    EXPECT_FALSE(QFile::exists(home.File(b.dbFileName)));
    EXPECT_EQ(Find(QStringLiteral("火车站")), QStringList{QStringLiteral("B/2/孤城")});
}

TEST_F(SearchIndexTest, AMissingOrDamagedIndexIsMadeAnewFromTheThreadFiles) {
    const QString file = home.File(kSearchIndexName);
    const struct {
        const char* name;
        std::function<void()> spoil;
    } cases[] = {
        {"deleted", [&] { QFile::remove(file); }},
        {"garbage",
         [&] {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write(QByteArray(8192, 'x'));
         }},
        {"cut short",
         [&] {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_TRUE(f.resize(f.size() / 3));
         }},
        {"another format",
         [&] {
             SqliteConnection db;
             ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), db.out()), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(db.get(), "pragma user_version=99;", nullptr, nullptr, nullptr),
                       SQLITE_OK);
         }},
    };
    const QStringList all{QStringLiteral("B/1/清风"), QStringLiteral("A/1/山野客")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Find(QStringLiteral("天涯")), all);
        c.spoil();
        SearchRequest request;
        request.words = QStringLiteral("天涯");
        const SearchAnswer before = SearchPosts(request);
        EXPECT_TRUE(before.ok);
        EXPECT_TRUE(before.incomplete);
        SearchSyncReport report;
        ASSERT_TRUE(SynchroniseSearchIndex(&report));
        EXPECT_EQ(report.pagesIndexed, 3);
        const SearchAnswer after = SearchPosts(request);
        EXPECT_TRUE(after.ok);
        EXPECT_FALSE(after.incomplete);
        EXPECT_EQ(Find(QStringLiteral("天涯")), all);
    }
}

TEST_F(SearchIndexTest, TheServersIndexerIndexesStoredPagesOnItsThread) {
    const QList<ThreadPost> posts{{2, QStringLiteral("孤城"), QStringLiteral("2022-02-02 02:02:02"),
                                   QStringLiteral("补上的一页：火车站。")},
                                  {3, QStringLiteral("孤城"), QStringLiteral("2022-02-03 02:02:02"),
                                   QStringLiteral("又一页：火车站的钟。")}};
    {
        SearchIndexer indexer;
        ASSERT_TRUE(SavePage(b.dbFileName, {posts[0]}, 2, QStringLiteral("http://forum/2")));
        SearchIndexer::PageStored(b.focusPageNo, b.dbFileName, 2);
        indexer.Flush();
        EXPECT_EQ(Find(QStringLiteral("火车站")), QStringList{QStringLiteral("B/2/孤城")});
        // A page handed over just before the server ends is still indexed.
        ASSERT_TRUE(SavePage(b.dbFileName, {posts[1]}, 3, QStringLiteral("http://forum/3")));
        SearchIndexer::PageStored(b.focusPageNo, b.dbFileName, 3);
    }
    EXPECT_EQ(Find(QStringLiteral("火车站")),
              (QStringList{QStringLiteral("B/3/孤城"), QStringLiteral("B/2/孤城")}));
    // Without an indexer the page is indexed at once.
    const QList<ThreadPost> late{{4, QStringLiteral("孤城"), QStringLiteral("2022-02-04 02:02:02"),
                                  QStringLiteral("火车站关了。")}};
    ASSERT_TRUE(SavePage(b.dbFileName, late, 4, QStringLiteral("http://forum/4")));
    SearchIndexer::PageStored(b.focusPageNo, b.dbFileName, 4);
    EXPECT_EQ(Find(QStringLiteral("火车站")).size(), 3);
}

// The terms themselves, for the rules the table above relies on.
class Terms final : public SearchTermSink {
public:
    int Term(const SearchTerm& t) override {
        list.append((t.colocated ? QStringLiteral("+") : QString()) +
                    QString::fromUtf8(t.bytes, t.size));
        return 0;
    }
    QStringList list;
};

QStringList TermsOf(const char* text, TermMode mode) {
    Terms terms;
    SplitSearchTerms(text, static_cast<int>(strlen(text)), mode, terms);
    return terms.list;
}

TEST(SearchTermsTest, DocumentsAndQueriesSplitAlike) {
    const struct {
        const char* text;
        TermMode mode;
        QStringList terms;
    } cases[] = {
        {"天涯社", TermMode::Document, {"天", "+天涯", "涯", "+涯社", "社"}},
        {"天涯社", TermMode::Query, {"天涯", "涯社"}},
        {"天", TermMode::Query, {"天"}},
        {"天涯 Ab", TermMode::Query, {"天涯", "涯", "ab"}},
        {"县\r\n  城", TermMode::Document, {"县", "+县城", "城"}},
        {"县 城", TermMode::Document, {"县", "城"}},
        {"Ｑuill-MERE 2008", TermMode::Document, {"quill", "mere", "2008"}},
        {"Ärger", TermMode::Document, {"ärger"}},
        {"\x01T12\x01"
         "A山野客",
         TermMode::Query,
         {"T12", "A山野客"}},
        {"\xff\xfe 好", TermMode::Document, {"好"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TermsOf(c.text, c.mode), c.terms) << c.text;
}

} // namespace
