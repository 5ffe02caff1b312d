// The search index as the real server keeps it, following threads of the sample forum: what
// the server stores is found without any synchronisation or rebuild, and the hits are exactly
// the forum's posts that hold the words.
#include "common/Records.h"
#include "search/SearchIndex.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"
#include "tests/e2e/StandInReader.h"
#include "tests/e2e/TestProcesses.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>
#include <httplib.h>

namespace {

struct ForumPost {
    int page = 0;
    QString author;
    QString time;
    QString content;
};

class SearchServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        forum = std::make_unique<DemoForumProcess>(home.File(QStringLiteral("Quillmere.ini")),
                                                   QStringList{});
        ASSERT_TRUE(forum->Ready());
        reader = std::make_unique<StandInReader>();
        ASSERT_TRUE(reader->Listening());
        server = std::make_unique<ServerProcess>(home.Path());
        ASSERT_TRUE(server->Start());
        ASSERT_NE(reader->WaitFor(CDTSvrRun, 20000), nullptr);
    }

    void TearDown() override {
        if (reader && server && server->Running()) {
            reader->Send(MakeSmall(CDTAppExit));
            server->WaitForEnd(20000);
        }
    }

    QByteArray control(const QString& pathAndQuery) const {
        httplib::Client client("127.0.0.1", forum->Port());
        client.set_read_timeout(10, 0);
        auto result = client.Get(pathAndQuery.toStdString());
        return result && result->status == 200 ? QByteArray::fromStdString(result->body)
                                               : QByteArray();
    }

    QJsonObject threadInfo(int id) const {
        return QJsonDocument::fromJson(
                   control(QStringLiteral("/__control/posts?thread=%1").arg(id)))
            .object();
    }

    QList<ForumPost> forumPosts(int id) const {
        QList<ForumPost> posts;
        for (const auto& value : threadInfo(id).value(QStringLiteral("posts")).toArray()) {
            const QJsonObject p = value.toObject();
            posts.append({p.value(QStringLiteral("page")).toInt(),
                          p.value(QStringLiteral("author")).toString(),
                          p.value(QStringLiteral("time")).toString(),
                          p.value(QStringLiteral("content")).toString()});
        }
        return posts;
    }

    // Follows a thread and waits until every page is stored.
    FollowRecord followAll(int id) {
        const QJsonObject info = threadInfo(id);
        const int pages = info.value(QStringLiteral("pages")).toInt();
        const qsizetype from = reader->All().size();
        reader->Follow(info.value(QStringLiteral("firstPage")).toString());
        const auto* answer = reader->WaitFor(CDTAddFocusWebpage, 30000, {}, from);
        FollowRecord row;
        if (!answer)
            return row;
        EXPECT_TRUE(
            ReadFollowedThread(FromLarge<AddFocusAnswer>(answer->record).focusPageNo.Get(), row));
        EXPECT_TRUE(waitForPages(row, pages));
        return row;
    }

    bool waitForPages(const FollowRecord& row, int pages) {
        return reader->WaitUntil(
            [&] {
                QList<int> stored;
                return ListStoredPages(row.dbFileName, stored) && stored.size() >= pages;
            },
            60000);
    }

    // "page|time|author" of every hit (all of them), checking they come newest first.
    QStringList hitsOf(const QString& words, int thread) {
        SearchRequest request;
        request.words = words;
        request.focusPageNo = thread;
        request.limit = 100000;
        const SearchAnswer answer = SearchPosts(request);
        EXPECT_TRUE(answer.ok);
        QStringList hits;
        QString previous;
        for (const SearchHit& hit : answer.hits) {
            EXPECT_EQ(hit.focusPageNo, thread);
            if (!previous.isEmpty()) {
                EXPECT_LE(hit.time, previous) << words.toStdString();
            }
            previous = hit.time;
            hits.append(QStringLiteral("%1|%2|%3").arg(hit.pageNo).arg(hit.time, hit.author));
        }
        hits.sort();
        return hits;
    }

    // The same from the forum's own posts: every post whose text holds the words (each word
    // a run of Chinese characters, which the index also finds across a line break).
    static QStringList expectedHits(const QList<ForumPost>& posts, const QStringList& words) {
        QSet<QString> hits;
        for (const ForumPost& post : posts) {
            QString text = post.content;
            text.remove(QLatin1Char('\n'));
            if (std::all_of(words.begin(), words.end(),
                            [&](const QString& w) { return text.contains(w); }))
                hits.insert(QStringLiteral("%1|%2|%3").arg(post.page).arg(post.time, post.author));
        }
        QStringList list(hits.begin(), hits.end());
        list.sort();
        return list;
    }

    TempHome home;
    std::unique_ptr<DemoForumProcess> forum;
    std::unique_ptr<StandInReader> reader;
    std::unique_ptr<ServerProcess> server;
};

TEST_F(SearchServerTest, PagesTheServerStoresAreFoundAtOnce) {
    const FollowRecord shortThread = followAll(1001);
    ASSERT_GT(shortThread.focusPageNo, 0);
    const QList<ForumPost> posts = forumPosts(1001);
    ASSERT_FALSE(posts.isEmpty());
    // No synchronisation has run: only the server has written the index.
    const struct {
        const char* words;
        bool mustHit;
    } cases[] = {
        {"县", true},             // one character
        {"橘子", true},           // two characters
        {"把信放进了抽屉", true}, // a phrase
        {"老板 县城", false},     // two words, both in a post
        {"那天晚上 终于明白", false},
        {"外星人", false}, // no hit
    };
    for (const auto& c : cases) {
        const QString words = QString::fromUtf8(c.words);
        const QStringList expected =
            expectedHits(posts, words.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        if (c.mustHit) {
            ASSERT_FALSE(expected.isEmpty()) << c.words;
        }
        // The server indexes stored pages moments after storing them.
        reader->WaitUntil([&] { return hitsOf(words, shortThread.focusPageNo) == expected; },
                          20000);
        EXPECT_EQ(hitsOf(words, shortThread.focusPageNo), expected) << c.words;
    }

    // A page the forum gains later is found as soon as the server has stored it.
    const FollowRecord growing = followAll(1004);
    ASSERT_GT(growing.focusPageNo, 0);
    QList<int> before;
    ASSERT_TRUE(ListStoredPages(growing.dbFileName, before));
    control(QStringLiteral("/__control/grow?thread=1004"));
    reader->Send(MakeSmall(CDTRefresh, growing.focusPageNo));
    ASSERT_TRUE(waitForPages(growing, static_cast<int>(before.size()) + 1));
    const QList<ForumPost> grown = forumPosts(1004);
    const ForumPost& newest = grown.last();
    ASSERT_GT(newest.page, before.last());
    // The newest post's first line as a phrase (its own quotation marks left out).
    QString line = newest.content.section(QLatin1Char('\n'), 0, 0);
    line.remove(QLatin1Char('"'));
    const QString phrase = QLatin1Char('"') + line + QLatin1Char('"');
    SearchRequest request;
    request.words = phrase;
    request.focusPageNo = growing.focusPageNo;
    SearchAnswer answer;
    reader->WaitUntil(
        [&] {
            answer = SearchPosts(request);
            return !answer.hits.isEmpty();
        },
        20000);
    ASSERT_TRUE(answer.ok);
    ASSERT_FALSE(answer.hits.isEmpty()) << phrase.toStdString();
    EXPECT_EQ(answer.hits.first().pageNo, newest.page);
    EXPECT_EQ(answer.hits.first().time, newest.time);
}

} // namespace
