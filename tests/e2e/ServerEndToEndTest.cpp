// The fetch server as a real process against the real sample forum, driven by a stand-in
// reader, each test in a temporary home of its own.
#include "common/IniFile.h"
#include "common/Settings.h"
#include "server/engine/FollowWorkflow.h"
#include "server/parse/CParseTianyaFocus.h"
#include "server/parse/PageDocumentBuilder.h"
#include "store/Catalogue.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"
#include "tests/e2e/StandInReader.h"
#include "tests/e2e/TestProcesses.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>
#include <httplib.h>

#include <iostream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// One thread of the sample forum as its control page lists it.
struct ForumThread {
    int id = 0;
    int layout = 0;
    int pages = 0;
    QString firstPage;
    QString title;
};

class ServerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        forum = std::make_unique<DemoForumProcess>(home.File(QStringLiteral("Quillmere.ini")),
                                                   forumFlags());
        ASSERT_TRUE(forum->Ready());
        ReloadHosts();
    }

    // Flags of the sample forum for the tests of a fixture.
    virtual QStringList forumFlags() const { return {}; }

    // A failed test shows the end of the server's log, which says what the server did.
    void TearDown() override {
        if (!HasFailure() || !reader || !server || !server->Running())
            return;
        const QStringList lines = serverLog().split(QLatin1Char('\n'));
        std::cerr << "--- end of the server's log\n";
        for (qsizetype i = std::max<qsizetype>(0, lines.size() - 60); i < lines.size(); ++i)
            std::cerr << lines[i].toStdString() << '\n';
    }

    // The server's log as it writes it on the reader's request.
    QString serverLog() {
        const QString file = home.File(QStringLiteral("SvrLog.txt"));
        QFile::remove(file);
        reader->Send(MakeSmall(CDTWriteLog));
        reader->WaitUntil([&] { return QFile::exists(file); }, 3000);
        reader->WaitUntil([] { return false; }, 100);
        QFile log(file);
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    // Starts the server once the stand-in reader listens, as the reader does it; a guard
    // interval other than 0 replaces the guard's five minutes.
    void startServer(const QStringList& iniLines = {}, int guardIntervalMs = 0) {
        for (const QString& line : iniLines) {
            const QStringList parts = line.split(QLatin1Char('/'));
            IniFile(home.File(QStringLiteral("Quillmere.ini")))
                .WriteText(parts[0], parts[1], parts[2]);
        }
        reader = std::make_unique<StandInReader>();
        ASSERT_TRUE(reader->Listening());
        if (guardIntervalMs > 0)
            qputenv("QUILLMERE_GUARD_INTERVAL_MS", QByteArray::number(guardIntervalMs));
        server = std::make_unique<ServerProcess>(home.Path());
        const bool started = server->Start();
        qunsetenv("QUILLMERE_GUARD_INTERVAL_MS");
        ASSERT_TRUE(started);
        ASSERT_NE(reader->WaitFor(CDTSvrRun, 20000), nullptr);
    }

    // The start-up thread reads the follow list once the version check is done, and refreshes
    // every follow it finds; a thread followed before that is walked a second time. Tests that
    // count reports wait for it first: the front page it queues arrives after the list is read.
    void waitForStartupRefresh() { ASSERT_NE(reader->WaitFor(CDTTianyaFocus, 40000), nullptr); }

    // Closes the server the way the reader closes it and starts it again on the same home.
    void restartServer() {
        reader->Send(MakeSmall(CDTAppExit));
        ASSERT_TRUE(server->WaitForEnd(20000));
        server = std::make_unique<ServerProcess>(home.Path());
        ASSERT_TRUE(server->Start());
        ASSERT_NE(reader->WaitFor(CDTSvrRun, 20000, {}, reader->All().size()), nullptr);
    }

    // A page of the forum fetched directly; pages other than control pages need their host.
    QByteArray control(const QString& pathAndQuery, const QString& hostKey = {}) const {
        httplib::Client client("127.0.0.1", forum->Port());
        client.set_read_timeout(10, 0);
        httplib::Headers headers;
        if (!hostKey.isEmpty())
            headers.emplace("Host", forum->HostOf(hostKey).toStdString());
        auto result = client.Get(pathAndQuery.toStdString(), headers);
        return result && result->status == 200 ? QByteArray::fromStdString(result->body)
                                               : QByteArray();
    }

    ForumThread thread(int id) const {
        const QJsonArray threads =
            QJsonDocument::fromJson(control(QStringLiteral("/__control/threads"))).array();
        for (const auto& value : threads) {
            const QJsonObject t = value.toObject();
            if (t.value(QStringLiteral("thread")).toInt() == id)
                return {id, t.value(QStringLiteral("layout")).toInt(),
                        t.value(QStringLiteral("pages")).toInt(),
                        t.value(QStringLiteral("firstPage")).toString(),
                        t.value(QStringLiteral("title")).toString()};
        }
        return {};
    }

    // The address of page `page` of a thread whose first page address ends in "-1.shtml".
    static QString pageAddress(const ForumThread& t, int page) {
        QString address = t.firstPage;
        address.replace(QStringLiteral("-1.shtml"), QStringLiteral("-%1.shtml").arg(page));
        return address;
    }

    // The follow answer for a follow request, its message and follow number.
    const StandInReader::Received* follow(const QString& address, const QString& label,
                                          qsizetype* from, int timeoutMs = 30000) {
        *from = reader->All().size();
        reader->Follow(address, label);
        return reader->WaitFor(CDTAddFocusWebpage, timeoutMs, {}, *from);
    }

    static QString answerText(const StandInReader::Received* r) {
        return FromLarge<AddFocusAnswer>(r->record).message.Get();
    }
    static int answerResult(const StandInReader::Received* r) {
        return FromLarge<AddFocusAnswer>(r->record).result.Get();
    }
    static int answerFollow(const StandInReader::Received* r) {
        return FromLarge<AddFocusAnswer>(r->record).focusPageNo.Get();
    }

    // Page numbers reported by CDTNewGetWebpage for a follow, with how often each came.
    QMap<int, int> reportedPages(int focusPageNo) const {
        QMap<int, int> pages;
        for (const auto* r : reader->OfCode(CDTNewGetWebpage))
            if (r->Small().a == focusPageNo)
                ++pages[r->Small().b];
        return pages;
    }

    // Waits until the thread file holds every wanted page; a failure names the missing ones.
    ::testing::AssertionResult waitForStoredPages(const QString& db, const QList<int>& wanted,
                                                  int timeoutMs) {
        QList<int> missing;
        const bool complete = reader->WaitUntil(
            [&] {
                missing = wanted;
                QList<int> stored;
                if (!ListStoredPages(db, stored))
                    return false;
                const QSet<int> have(stored.begin(), stored.end());
                missing.removeIf([&](int p) { return have.contains(p); });
                return missing.isEmpty();
            },
            timeoutMs);
        if (complete)
            return ::testing::AssertionSuccess();
        QStringList names;
        for (int p : missing)
            names.append(QString::number(p));
        return ::testing::AssertionFailure()
               << "pages missing: " << names.join(QLatin1Char(' ')).toStdString();
    }

    // Every post the thread file holds is the forum's post of that page, in the forum's order.
    void expectStoredPostsAreTheForums(const QString& db, const ForumThread& t) const {
        QList<ThreadPost> posts;
        ASSERT_TRUE(ReadWebpageFromDB(db, 1, t.pages, posts));
        const QJsonArray forumPosts =
            QJsonDocument::fromJson(control(QStringLiteral("/__control/posts?thread=%1").arg(t.id)))
                .object()
                .value(QStringLiteral("posts"))
                .toArray();
        ASSERT_EQ(posts.size(), forumPosts.size()) << t.id;
        for (qsizetype i = 0; i < posts.size(); ++i) {
            const QJsonObject want = forumPosts[i].toObject();
            EXPECT_EQ(posts[i].pageNo, want.value(QStringLiteral("page")).toInt())
                << t.id << " post " << i;
            EXPECT_EQ(posts[i].author, want.value(QStringLiteral("author")).toString())
                << t.id << " post " << i;
            EXPECT_EQ(posts[i].time, want.value(QStringLiteral("time")).toString())
                << t.id << " post " << i;
            EXPECT_EQ(posts[i].content.trimmed(), want.value(QStringLiteral("content")).toString())
                << t.id << " post " << i;
        }
    }

    // Follows a thread of the forum and answers its catalogue row.
    FollowRecord followThread(const ForumThread& t) {
        qsizetype from = 0;
        const auto* answer = follow(t.firstPage, {}, &from);
        EXPECT_NE(answer, nullptr);
        FollowRecord row;
        if (answer && answerResult(answer) == 1) {
            EXPECT_TRUE(ReadFollowedThread(answerFollow(answer), row));
        }
        return row;
    }

    static QList<int> range(int from, int to) {
        QList<int> pages;
        for (int p = from; p <= to; ++p)
            pages.append(p);
        return pages;
    }

    TempHome home;
    std::unique_ptr<DemoForumProcess> forum;
    std::unique_ptr<StandInReader> reader;
    std::unique_ptr<ServerProcess> server;
};

TEST_F(ServerEndToEnd, FollowsAShortThreadCompletely) {
    startServer();
    waitForStartupRefresh();
    const ForumThread t = thread(1001);
    ASSERT_GT(t.pages, 5);
    ASSERT_LE(t.pages, 20);
    qsizetype from = 0;
    // Following a middle page works from the first page.
    const auto* answer =
        follow(pageAddress(t, 3), QStringLiteral("\"") + t.title + QStringLiteral("\""), &from);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answerResult(answer), 1);
    EXPECT_EQ(answerText(answer),
              QStringLiteral("\"") + t.title + QStringLiteral("\"") + kFollowSucceeded);
    const int focus = answerFollow(answer);
    ASSERT_GT(focus, 0);
    EXPECT_EQ(reader->OfCode(CDTAddFocusWebpage).size(), 1);

    FollowRecord row;
    ASSERT_TRUE(ReadFollowedThread(focus, row));
    EXPECT_EQ(row.webpageUrl, t.firstPage);
    EXPECT_EQ(row.webpageName, t.title);
    EXPECT_EQ(row.deleteFocus, 1); // temporary until the reader keeps it
    EXPECT_EQ(row.pageCount, t.pages);
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));

    // Every page reported once, and the stored posts are the forum's.
    ASSERT_TRUE(reader->WaitUntil([&] { return reportedPages(focus).size() == t.pages; }, 10000));
    for (int p = 1; p <= t.pages; ++p)
        EXPECT_EQ(reportedPages(focus).value(p), 1) << "page " << p;
    expectStoredPostsAreTheForums(row.dbFileName, t);

    // The same thread again, and a page that is no thread page.
    answer = follow(t.firstPage, QStringLiteral("again"), &from);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answerResult(answer), 0);
    EXPECT_EQ(answerText(answer), QStringLiteral("again") + kFollowAlreadyFollowed);
    EXPECT_EQ(answerFollow(answer), focus);
    // A middle page of it, in other letter case, is the same thread.
    QString middle = pageAddress(t, 5);
    const qsizetype pathAt = middle.indexOf(QLatin1Char('/'), 7);
    middle = middle.left(pathAt) + middle.mid(pathAt).toUpper();
    answer = follow(middle, {}, &from);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answerResult(answer), 0);
    EXPECT_EQ(answerText(answer), kFollowAlreadyFollowed);
    answer = follow(forum->Url(QStringLiteral("ForumWwwHost"), QStringLiteral("/bbs/index.shtml")),
                    {}, &from);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answerResult(answer), 0);
    EXPECT_EQ(answerText(answer), kFollowParseFailed);
    QList<FollowRecord> follows;
    ASSERT_TRUE(ListFollowedThreads(follows));
    EXPECT_EQ(follows.size(), 1);
}

TEST_F(ServerEndToEnd, FollowingAMiddlePageStoresTheThreadFromItsFirstPage) {
    startServer();
    // The GBK thread without a UTF-8 declaration, followed by its third page.
    const ForumThread t = thread(1006);
    ASSERT_GT(t.pages, 3);
    qsizetype from = 0;
    const auto* answer = follow(pageAddress(t, 3), QStringLiteral("\"引号\"标题"), &from);
    ASSERT_NE(answer, nullptr);
    ASSERT_EQ(answerResult(answer), 1);
    EXPECT_EQ(answerText(answer), QStringLiteral("\"引号\"标题") + kFollowSucceeded);
    FollowRecord row;
    ASSERT_TRUE(ReadFollowedThread(answerFollow(answer), row));
    EXPECT_EQ(row.webpageUrl, t.firstPage);
    EXPECT_EQ(row.webpageName, t.title);
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));
    ASSERT_TRUE(
        reader->WaitUntil([&] { return reportedPages(row.focusPageNo).size() == t.pages; }, 10000));
    expectStoredPostsAreTheForums(row.dbFileName, t);
}

TEST_F(ServerEndToEnd, MiddlePageNamingItselfFirstIsRefusedOnce) {
    // A copy of a forum page 4 whose navigation lost its "首页" link.
    const ForumThread t = thread(1001);
    QByteArray page = control(pageAddress(t, 4).mid(pageAddress(t, 4).indexOf(QLatin1Char('/'), 7)),
                              QStringLiteral("ForumWwwHost"));
    ASSERT_FALSE(page.isEmpty());
    const QByteArray firstLink = QStringLiteral(">首页</a>").toUtf8();
    const qsizetype at = page.indexOf(firstLink);
    ASSERT_GT(at, 0);
    const qsizetype open = page.lastIndexOf("<a", at);
    page.remove(open, at + firstLink.size() - open);
    ASSERT_FALSE(page.contains(firstLink));

    httplib::Server copy;
    std::atomic<int> hits{0};
    copy.Get("/publicforum/content/free/1/9-4.shtml",
             [&](const httplib::Request&, httplib::Response& res) {
                 ++hits;
                 res.set_content(page.toStdString(), "text/html; charset=utf-8");
             });
    const int port = copy.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { copy.listen_after_bind(); });

    startServer();
    qsizetype from = 0;
    const auto* answer =
        follow(QStringLiteral("http://127.0.0.1:%1/publicforum/content/free/1/9-4.shtml").arg(port),
               {}, &from);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answerText(answer), kFollowParseFailed);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    reader->WaitUntil([] { return false; }, 100);
    EXPECT_EQ(reader->OfCode(CDTAddFocusWebpage).size(), 1);
    EXPECT_EQ(hits.load(), 1);
    copy.stop();
    serving.join();
}

TEST_F(ServerEndToEnd, LongThreadGetsItsNewestPagesThenItsFirstTenThenWhatTheReaderNeeds) {
    startServer();
    waitForStartupRefresh();
    const ForumThread t = thread(1002);
    ASSERT_GE(t.pages, 150);
    qsizetype from = 0;
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const int focus = row.focusPageNo;
    const QList<int> strategy = range(1, 10) + range(t.pages - 20, t.pages);
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, strategy, 60000));
    ASSERT_TRUE(
        reader->WaitUntil([&] { return reportedPages(focus).size() == strategy.size(); }, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    reader->WaitUntil([] { return false; }, 100);
    QList<int> stored;
    ASSERT_TRUE(ListStoredPages(row.dbFileName, stored));
    EXPECT_EQ(stored, strategy);
    EXPECT_EQ(reader->OfCode(CDTGetAllNewestWebpage).size(), 1);

    // Later pages after the first ten, earlier pages before the newest run.
    from = reader->All().size();
    reader->Send(MakeSmall(CDTReadNeedNext, focus, 10, 13));
    const auto* next = reader->WaitFor(CDTReadNeedNext, 30000, {}, from);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Small().b, 10);
    EXPECT_EQ(next->Small().c, 13);
    EXPECT_EQ(next->Small().d, 1);
    from = reader->All().size();
    reader->Send(MakeSmall(CDTReadNeedLast, focus, t.pages - 20, t.pages - 23));
    const auto* earlier = reader->WaitFor(CDTReadNeedLast, 30000, {}, from);
    ASSERT_NE(earlier, nullptr);
    EXPECT_EQ(earlier->Small().c, t.pages - 23);
    ASSERT_TRUE(waitForStoredPages(row.dbFileName,
                                   range(11, 13) + range(t.pages - 23, t.pages - 21), 5000));

    // A page chosen by number, through the navigating loader.
    from = reader->All().size();
    reader->Send(MakeSmall(CDTUserSet, focus, 60, 60));
    const auto* chosen = reader->WaitFor(CDTUserSet, 60000, {}, from);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->Small().b, 60);
    EXPECT_EQ(chosen->Small().d, 1);
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, {60}, 5000));
}

TEST_F(ServerEndToEnd, GuardStoresANewPageAndTheReaderRefreshAnswers) {
    startServer({}, 1500);
    const ForumThread t = thread(1004);
    qsizetype from = 0;
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const int focus = row.focusPageNo;
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));

    control(QStringLiteral("/__control/grow?thread=1004"));
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, {t.pages + 1}, 15000));
    ASSERT_TRUE(
        reader->WaitUntil([&] { return reportedPages(focus).contains(t.pages + 1); }, 5000));

    // The reader's own refresh with nothing new answers after one download.
    from = reader->All().size();
    reader->Send(MakeSmall(CDTRefresh, focus));
    const auto* refreshed = reader->WaitFor(CDTRefresh, 15000, {}, from);
    ASSERT_NE(refreshed, nullptr);
    EXPECT_EQ(refreshed->Small().a, focus);
}

TEST_F(ServerEndToEnd, PicturesAreStoredOnceAndReportedWithTheirPosts) {
    startServer();
    const ForumThread t = thread(1003);
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const int focus = row.focusPageNo;
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));

    QList<ThreadPicture> shown;
    ASSERT_TRUE(reader->WaitUntil(
        [&] {
            QList<PictureState> states;
            if (!ListImageStates(row.dbFileName, states) || states.isEmpty())
                return false;
            for (const auto& s : states)
                if (s.getOK != 1)
                    return false;
            return true;
        },
        30000));
    ASSERT_TRUE(ListPageImages(row.dbFileName, 1, t.pages, shown));
    QSet<QString> addresses;
    for (const auto& p : shown)
        addresses.insert(p.imgUrl);
    QList<PictureState> states;
    ASSERT_TRUE(ListImageStates(row.dbFileName, states));
    EXPECT_EQ(states.size(), addresses.size()); // one download row per address

    // Each picture is reported once, with the stored posts that showed it when it arrived: a
    // picture shown in several posts (the sticker) comes with several entries, each a real post.
    ASSERT_TRUE(reader->WaitUntil(
        [&] { return reader->OfCode(CDTGetImg).size() >= addresses.size(); }, 10000));
    QSet<QString> reported;
    int groupedReports = 0;
    for (const auto* r : reader->OfCode(CDTGetImg)) {
        const auto img = FromLarge<GetImgMessage>(r->record);
        const QString address = img.pictureAddress.Get();
        EXPECT_EQ(img.focusPageNo.Get(), focus);
        EXPECT_FALSE(reported.contains(address)) << address.toStdString();
        reported.insert(address);
        int showing = 0;
        for (const auto& p : shown)
            showing += p.imgUrl == address;
        EXPECT_GE(img.entryCount.Get(), 1) << address.toStdString();
        EXPECT_LE(img.entryCount.Get(), showing) << address.toStdString();
        groupedReports += img.entryCount.Get() > 1;
        for (int e = 0; e < img.entryCount.Get(); ++e) {
            const auto& entry = img.entries[e];
            const bool isShown =
                std::any_of(shown.begin(), shown.end(), [&](const ThreadPicture& p) {
                    return p.imgUrl == address && p.pageNo == entry.pageNo.Get() &&
                           p.author == entry.author.Get() && p.time == entry.time.Get();
                });
            EXPECT_TRUE(isShown) << address.toStdString() << " entry " << e;
        }
    }
    EXPECT_EQ(reported, addresses);
    EXPECT_GE(groupedReports, 1);
}

// Another SQLite client of the thread file (Python's sqlite3 module, as a backup tool or a
// script would be) keeps taking its read and write locks while the server stores the pages and
// pictures: the server waits for it instead of failing, so nothing is lost, and no picture is
// announced that is not stored.
TEST_F(ServerEndToEnd, ThreadFileHeldByAnotherClientLosesNothing) {
    startServer();
    QProcess holder;
    holder.start(QStringLiteral("python3"), {qEnvironmentVariable("QUILLMERE_SOURCE_DIR") +
                                                 QStringLiteral("/tests/e2e/hold_thread_files.py"),
                                             home.Path(), QStringLiteral("400")});
    ASSERT_TRUE(holder.waitForStarted());
    const ForumThread t = thread(1003);
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    EXPECT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 90000));
    QList<PictureState> states;
    EXPECT_TRUE(reader->WaitUntil(
        [&] {
            if (!ListImageStates(row.dbFileName, states) || states.isEmpty())
                return false;
            return std::all_of(states.begin(), states.end(),
                               [](const PictureState& s) { return s.getOK == 1; });
        },
        90000));
    // Give late reports a moment before the client lets go.
    reader->WaitUntil([] { return false; }, 500);
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    const QByteArray out = holder.readAllStandardOutput();
    ASSERT_TRUE(out.startsWith("holds ")) << out.toStdString();
    EXPECT_GT(out.mid(6).trimmed().toInt(), 10) << "the client never held the file";

    expectStoredPostsAreTheForums(row.dbFileName, t);
    ASSERT_TRUE(ListImageStates(row.dbFileName, states));
    QSet<QString> stored;
    for (const PictureState& s : states)
        if (s.getOK == 1)
            stored.insert(s.imgUrl);
    QSet<QString> reported;
    for (const auto* r : reader->OfCode(CDTGetImg))
        reported.insert(FromLarge<GetImgMessage>(r->record).pictureAddress.Get());
    EXPECT_EQ(stored.size(), states.size()) << "pictures left not downloaded";
    for (const QString& address : reported)
        EXPECT_TRUE(stored.contains(address)) << "reported, not stored: " << address.toStdString();
    EXPECT_EQ(reported, stored);
}

TEST_F(ServerEndToEnd, PictureSwitchOffStoresNoPictureRows) {
    startServer({QStringLiteral("ModuleValid/GetImg/0")});
    const ForumThread t = thread(1003);
    const FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));
    QList<PictureState> states;
    ASSERT_TRUE(ListImageStates(row.dbFileName, states));
    EXPECT_TRUE(states.isEmpty());
    EXPECT_TRUE(reader->OfCode(CDTGetImg).isEmpty());
}

TEST_F(ServerEndToEnd, FrontPageAndDiscountsArriveAtStart) {
    startServer();
    ASSERT_NE(reader->WaitFor(CDTTianyaFocus, 40000), nullptr);
    QList<FocusItem> items;
    ASSERT_TRUE(ListFrontPageItems(items));

    // Stored in the order the page shows them: the same list our parser reads from the page.
    const QString frontAddress = forum->Url(QStringLiteral("ForumFocusHost"), QStringLiteral("/"));
    QList<FocusItem> shown;
    CParseTianyaFocus(
        ParseSnapshotDocument(
            QString::fromUtf8(control(QStringLiteral("/"), QStringLiteral("ForumFocusHost"))),
            frontAddress),
        frontAddress)
        .Parse(&shown);
    ASSERT_FALSE(shown.isEmpty());
    ASSERT_EQ(items.size(), shown.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].focusType, shown[i].focusType) << i;
        EXPECT_EQ(items[i].focusTitle, shown[i].focusTitle) << i;
        EXPECT_EQ(items[i].focusUrl, shown[i].focusUrl) << i;
    }
    ASSERT_NE(reader->WaitFor(CDTHotRecommend, 10000), nullptr);
    int discounts = 0;
    for (const auto* r : reader->OfCode(CDTHotRecommend))
        discounts += static_cast<int>(HotRecommendItemsOf(r->record).size());
    EXPECT_GT(discounts, 0);
}

TEST_F(ServerEndToEnd, ThreadDeletedOnTheForumIsLoggedAndKeepsItsPages) {
    startServer({}, 1000);
    const ForumThread t = thread(1001);
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const int focus = row.focusPageNo;
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));
    // A page's posts are in once it has been reported.
    ASSERT_TRUE(reader->WaitUntil([&] { return reportedPages(focus).size() == t.pages; }, 10000));
    QList<ThreadPost> before;
    ASSERT_TRUE(ReadWebpageFromDB(row.dbFileName, 1, t.pages, before));

    control(QStringLiteral("/__control/delete?thread=1001"));
    const QString failure = QString::asprintf("FocusIndex=%d failed get webpage!", focus);
    ASSERT_TRUE(reader->WaitUntil([&] { return serverLog().contains(failure); }, 15000));

    QList<ThreadPost> after;
    ASSERT_TRUE(ReadWebpageFromDB(row.dbFileName, 1, t.pages, after));
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].content, before[i].content) << i;
    ASSERT_TRUE(ReadFollowedThread(focus, row));
    EXPECT_EQ(row.pageCount, t.pages);
}

// The answer to a login request, waited for after `from`.
const StandInReader::Received* LogIn(StandInReader& reader, const QString& user,
                                     const QString& password, const QString& code) {
    const qsizetype from = reader.All().size();
    auto request = MakeRecord<LoginRequest>(CDTLogin);
    request.userName.Set(user);
    request.password.Set(password);
    request.verifyCode.Set(code);
    reader.Send(ToLarge(request));
    return reader.WaitFor(CDTLogin, 60000, {}, from);
}

// The answer to a reply request, waited for after the request.
const StandInReader::Received* Reply(StandInReader& reader, int focusPageNo, const QString& text,
                                     int timeoutMs) {
    const qsizetype from = reader.All().size();
    auto request = MakeRecord<ReplyRequest>(CDTReply);
    request.focusPageNo.Set(focusPageNo);
    request.text.Set(text);
    reader.Send(ToLarge(request));
    return reader.WaitFor(CDTReply, timeoutMs, {}, from);
}

TEST_F(ServerEndToEnd, LoginRefusesAWrongCodeThenSucceedsAndAReplyReachesTheThread) {
    startServer({}, 600000);
    const ForumThread t = thread(1004);
    FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const int focus = row.focusPageNo;
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));

    // A wrong password makes the forum ask for a code; a wrong code is refused with a picture.
    const auto* login = LogIn(*reader, QStringLiteral("demo"), QStringLiteral("wrong"), {});
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(FromLarge<LoginAnswer>(login->record).result.Get(), 0);
    EXPECT_EQ(FromLarge<LoginAnswer>(login->record).message.Get(),
              QStringLiteral("用户名或密码错误"));
    login =
        LogIn(*reader, QStringLiteral("demo"), QStringLiteral("demo123"), QStringLiteral("0000"));
    ASSERT_NE(login, nullptr);
    const auto refused = FromLarge<LoginAnswer>(login->record);
    EXPECT_EQ(refused.result.Get(), 0);
    EXPECT_EQ(refused.message.Get(), QStringLiteral("验证码错误，请重新输入"));
    EXPECT_EQ(refused.pictureWidth.Get(), 100);
    EXPECT_EQ(refused.pictureHeight.Get(), 30);
    EXPECT_EQ(refused.pictureBytes.Get(), 100 * 30 * 4);

    const QString code = QString::fromUtf8(control(QStringLiteral("/__control/vcode"))).trimmed();
    ASSERT_EQ(code.size(), 4);
    login = LogIn(*reader, QStringLiteral("demo"), QStringLiteral("demo123"), code);
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(FromLarge<LoginAnswer>(login->record).result.Get(), 1);
    EXPECT_EQ(FromLarge<LoginAnswer>(login->record).message.Get(), QStringLiteral("登录成功！"));

    // The reply is posted in the forum; the reader's refresh then stores it.
    const QString text = QStringLiteral("测试回复：\"引号\" & 'apostrophe' -- 完");
    const auto* replied = Reply(*reader, focus, text, 60000);
    ASSERT_NE(replied, nullptr);
    EXPECT_EQ(FromLarge<ReplyAnswer>(replied->record).result.Get(), 1);
    EXPECT_EQ(FromLarge<ReplyAnswer>(replied->record).message.Get(), QStringLiteral("回复成功！"));
    EXPECT_EQ(FromLarge<ReplyAnswer>(replied->record).focusPageNo.Get(), focus);

    // The answer comes as the form is sent; the forum has the post a moment later.
    int pages = 0;
    ASSERT_TRUE(reader->WaitUntil(
        [&] {
            pages = thread(1004).pages;
            return pages > t.pages;
        },
        10000));
    const qsizetype from = reader->All().size();
    reader->Send(MakeSmall(CDTRefresh, focus));
    ASSERT_NE(reader->WaitFor(CDTRefresh, 30000, {}, from), nullptr);
    QList<ThreadPost> posts;
    ASSERT_TRUE(ReadWebpageFromDB(row.dbFileName, 1, pages, posts));
    ASSERT_FALSE(posts.isEmpty());
    EXPECT_EQ(posts.last().author, QStringLiteral("demo"));
    EXPECT_EQ(posts.last().content.trimmed(), text);
}

TEST_F(ServerEndToEnd, LoginSurvivesARestartOfTheServer) {
    startServer();
    const auto* login = LogIn(*reader, QStringLiteral("demo"), QStringLiteral("demo123"), {});
    ASSERT_NE(login, nullptr);
    ASSERT_EQ(FromLarge<LoginAnswer>(login->record).result.Get(), 1);

    // Closed the way the reader closes it, then started again on the same home.
    restartServer();

    // Only a logged-in session gets the reply form.
    const ForumThread t = thread(1004);
    const FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    const auto* replied = Reply(*reader, row.focusPageNo, QStringLiteral("重启之后的回复"), 60000);
    ASSERT_NE(replied, nullptr);
    EXPECT_EQ(FromLarge<ReplyAnswer>(replied->record).result.Get(), 1);
}

TEST_F(ServerEndToEnd, ReplyToAnUnknownFollowGetsNoAnswer) {
    startServer();
    EXPECT_EQ(Reply(*reader, 999, QStringLiteral("无人回复"), 3000), nullptr);
}

TEST_F(ServerEndToEnd, ServerEndsWhenTheReaderGoesAndLeavesNoProcessBehind) {
    startServer();
    // The web engine's helper processes are up once the navigating loader runs.
    QList<qint64> helpers;
    reader->WaitUntil(
        [&] {
            helpers = ChildProcesses(server->Pid());
            return !helpers.isEmpty();
        },
        10000);
    reader.reset();
    EXPECT_TRUE(server->WaitForEnd(10000));
    QElapsedTimer timer;
    timer.start();
    for (qint64 helper : helpers) {
        while (ProcessExists(helper) && timer.elapsed() < 5000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(ProcessExists(helper)) << "helper process " << helper;
    }
}

TEST_F(ServerEndToEnd, KilledMidWalkRestartsWithIntactFilesAndCompletesTheWalk) {
    startServer();
    const ForumThread shortThread = thread(1001);
    const ForumThread longThread = thread(1002);
    const FollowRecord done = followThread(shortThread);
    ASSERT_TRUE(waitForStoredPages(done.dbFileName, range(1, shortThread.pages), 30000));
    const FollowRecord walking = followThread(longThread);
    ASSERT_FALSE(walking.dbFileName.isEmpty());
    // Killed while the newest pages come in.
    ASSERT_TRUE(reader->WaitUntil(
        [&] {
            QList<int> stored;
            return ListStoredPages(walking.dbFileName, stored) && stored.size() >= 3;
        },
        30000));
    server->Kill();

    for (const QString& db : {done.dbFileName, walking.dbFileName}) {
        DbRowList rows;
        DbError error;
        ASSERT_TRUE(QueryRows(QStringLiteral("PRAGMA integrity_check"), rows, error, db))
            << db.toStdString();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].columns[0], QStringLiteral("ok")) << db.toStdString();
    }
    expectStoredPostsAreTheForums(done.dbFileName, shortThread);

    // Started again, the server refreshes its follows and the long walk gets what it lacked.
    server = std::make_unique<ServerProcess>(home.Path());
    ASSERT_TRUE(server->Start());
    QList<int> wanted = range(longThread.pages - 20, longThread.pages);
    wanted += range(1, 10);
    EXPECT_TRUE(waitForStoredPages(walking.dbFileName, wanted, 60000));
    EXPECT_TRUE(server->Running());
}

// The forum misbehaves on a share of its addresses, once per address: slow answers, 500s,
// connections dropped after the headers and bodies cut in half.
class ServerWithFaultyForum : public ServerEndToEnd {
protected:
    QStringList forumFlags() const override {
        return {QStringLiteral("--faults"),         QStringLiteral("slow,500,drop,truncate"),
                QStringLiteral("--fault-share"),    QStringLiteral("50"),
                QStringLiteral("--fault-first"),    QStringLiteral("1"),
                QStringLiteral("--fault-delay-ms"), QStringLiteral("300")};
    }
};

TEST_F(ServerWithFaultyForum, StoresNothingWrongAndCompletesTheThreads) {
    startServer();
    const ForumThread threads[] = {thread(1001), thread(1007), thread(1003)};
    QList<FollowRecord> rows;
    for (const ForumThread& t : threads) {
        ASSERT_GT(t.pages, 0);
        rows.append(followThread(t));
        ASSERT_FALSE(rows.last().dbFileName.isEmpty()) << t.id;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        ASSERT_TRUE(waitForStoredPages(rows[i].dbFileName, range(1, threads[i].pages), 60000))
            << threads[i].id;
        ASSERT_TRUE(reader->WaitUntil(
            [&] { return reportedPages(rows[i].focusPageNo).size() == threads[i].pages; }, 10000));
        expectStoredPostsAreTheForums(rows[i].dbFileName, threads[i]);
    }
    // The faults did happen, and every picture that arrived is a picture.
    const QString log = serverLog();
    EXPECT_TRUE(log.contains(QStringLiteral("download error"))) << "no fault was met";
    QList<PictureState> states;
    ASSERT_TRUE(ListImageStates(rows[2].dbFileName, states));
    ASSERT_TRUE(reader->WaitUntil(
        [&] {
            ListImageStates(rows[2].dbFileName, states);
            return std::all_of(states.begin(), states.end(),
                               [](const PictureState& s) { return s.getOK == 1; });
        },
        60000));
    EXPECT_TRUE(server->Running());
}

// The maker's version page marks the update for this version as mandatory.
class ServerWithMandatoryUpdate : public ServerEndToEnd {
protected:
    QStringList forumFlags() const override {
        return {QStringLiteral("--version-offer"), QStringLiteral("mandatory")};
    }
};

TEST_F(ServerWithMandatoryUpdate, HoldsBackBackgroundWorkButServesTheReader) {
    startServer();
    const auto* update = reader->WaitFor(CDTSoftVerUpdate, 20000);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(FromLarge<SoftVerUpdateMessage>(update->record).updateKind.Get(),
              QStringLiteral("必须"));

    // A reader command is still served; the start-up thread fetched nothing of its own.
    const ForumThread t = thread(1001);
    const FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));
    reader->WaitUntil([] { return false; }, 2000);
    EXPECT_TRUE(reader->OfCode(CDTTianyaFocus).isEmpty());
    EXPECT_TRUE(reader->OfCode(CDTHotRecommend).isEmpty());
    const QString log = serverLog();
    EXPECT_FALSE(log.contains(QStringLiteral("focus.forum.localhost")))
        << "the front page was requested";
    EXPECT_FALSE(log.contains(QStringLiteral("RenovateGuardThread")))
        << "the refresh guard was started";
}

// Every hit address fails twice, so both attempts of the first walk fail and only a later
// request gets through.
class ServerWithPersistentFaults : public ServerEndToEnd {
protected:
    QStringList forumFlags() const override {
        return {QStringLiteral("--faults"),      QStringLiteral("500,drop,truncate"),
                QStringLiteral("--fault-share"), QStringLiteral("30"),
                QStringLiteral("--fault-first"), QStringLiteral("2")};
    }
};

TEST_F(ServerWithPersistentFaults, TheNextStartCompletesWhatTheFirstWalkMissed) {
    startServer();
    const ForumThread t = thread(1007);
    ASSERT_EQ(t.pages, 25);
    // A first page that fails both attempts gets no answer; the reader asks again.
    qsizetype from = 0;
    const StandInReader::Received* answer = nullptr;
    for (int attempt = 0; attempt < 2 && !answer; ++attempt)
        answer = follow(t.firstPage, {}, &from, 5000);
    ASSERT_NE(answer, nullptr);
    ASSERT_EQ(answerResult(answer), 1);
    FollowRecord row;
    ASSERT_TRUE(ReadFollowedThread(answerFollow(answer), row));
    // The first walk is over when no page has been reported for a while.
    qint64 lastReport = reader->ElapsedMs();
    qsizetype seen = 0;
    reader->WaitUntil(
        [&] {
            const qsizetype now = reader->OfCode(CDTNewGetWebpage).size();
            if (now != seen) {
                seen = now;
                lastReport = reader->ElapsedMs();
            }
            return reader->ElapsedMs() - lastReport > 3000;
        },
        60000);
    EXPECT_TRUE(serverLog().contains(QStringLiteral("download error"))) << "no fault was met";
    // The forum's seed always breaks the same addresses: this walk misses pages.
    QList<int> stored;
    ASSERT_TRUE(ListStoredPages(row.dbFileName, stored));
    EXPECT_LT(stored.size(), t.pages) << "the faults left nothing to complete";

    restartServer();
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 60000));
    ASSERT_TRUE(
        reader->WaitUntil([&] { return reportedPages(row.focusPageNo).size() == t.pages; }, 10000));
    expectStoredPostsAreTheForums(row.dbFileName, t);
}

// A page chosen past the last page of a thread ends with the failed answer (page 0) instead of
// reloading the last page for ever, and the navigating loader is free again afterwards.
TEST_F(ServerEndToEnd, AChosenPagePastTheLastEndsWithTheFailedAnswer) {
    startServer();
    for (int id : {1001, 1003}) { // layouts 1 and 4
        SCOPED_TRACE(id);
        const ForumThread t = thread(id);
        ASSERT_GT(t.pages, 1);
        const FollowRecord row = followThread(t);
        ASSERT_FALSE(row.dbFileName.isEmpty());
        ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));

        qsizetype from = reader->All().size();
        reader->Send(MakeSmall(CDTUserSet, row.focusPageNo, t.pages + 1, t.pages + 1));
        const auto* failed = reader->WaitFor(CDTUserSet, 60000, {}, from);
        ASSERT_NE(failed, nullptr) << "no answer: the last page is reloaded for ever";
        EXPECT_EQ(failed->Small().b, 0);
        EXPECT_EQ(failed->Small().d, 0);

        from = reader->All().size();
        reader->Send(MakeSmall(CDTUserSet, row.focusPageNo, 2, 2));
        const auto* chosen = reader->WaitFor(CDTUserSet, 60000, {}, from);
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chosen->Small().b, 2);
        EXPECT_EQ(chosen->Small().d, 1);
    }
}

// A thousand idle connections on the server's channel under a descriptor limit of a few
// hundred: the server keeps listening, holds few of them, and still answers the reader.
TEST_F(ServerEndToEnd, AFloodOfIdleConnectionsLeavesTheChannelWorking) {
    startServer();
    rlimit low{256, 256};
    ASSERT_EQ(::prlimit(static_cast<pid_t>(server->Pid()), RLIMIT_NOFILE, &low, nullptr), 0);
    const QString path = home.File(QStringLiteral("run/QuillmereServerMainDlg"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    std::vector<int> flood;
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            break;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            flood.push_back(fd);
            continue;
        }
        ::close(fd);
        reader->WaitUntil([] { return false; }, 2); // the backlog is full: let it drain
    }
    std::cout << "flood connections opened: " << flood.size() << '\n';
    reader->WaitUntil([] { return false; }, 2000); // the listener check has run
    EXPECT_TRUE(QFile::exists(path)) << "the server's socket file is gone";
    int held = 0;
    for (const QString& fd :
         QDir(QStringLiteral("/proc/%1/fd").arg(server->Pid()))
             .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target =
            QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/%2").arg(server->Pid()).arg(fd));
        if (target.contains(QStringLiteral("socket:")))
            ++held;
    }
    std::cout << "sockets the server holds after the flood: " << held << '\n';
    EXPECT_LT(held, 200);

    const QString file = home.File(QStringLiteral("SvrLog.txt"));
    QFile::remove(file);
    reader->Send(MakeSmall(CDTWriteLog));
    EXPECT_TRUE(reader->WaitUntil([&] { return QFile::exists(file); }, 15000))
        << "the server no longer hears the reader";
    for (int fd : flood)
        ::close(fd);
}

// A thread file that cannot grow (as on a full disk) while a thread is followed: no page
// counts as stored without its posts, and once there is room again, the next start stores
// every page completely.
TEST_F(ServerEndToEnd, PagesThatCouldNotBeWrittenAreFetchedAgainLater) {
    startServer();
    const ForumThread t = thread(1001);
    ASSERT_GT(t.pages, 5);
    rlimit full{64 * 1024, RLIM_INFINITY};
    ASSERT_EQ(::prlimit(static_cast<pid_t>(server->Pid()), RLIMIT_FSIZE, &full, nullptr), 0);
    const FollowRecord row = followThread(t);
    ASSERT_FALSE(row.dbFileName.isEmpty());
    // The walk ends at the first page that cannot be written.
    ASSERT_TRUE(reader->WaitUntil(
        [&] { return serverLog().contains(QStringLiteral("Store webpage failed")); }, 30000));
    QList<int> stored;
    ASSERT_TRUE(ListStoredPages(row.dbFileName, stored));
    std::cout << "pages stored on the full disk: " << stored.size() << " of " << t.pages << '\n';
    EXPECT_LT(stored.size(), t.pages);
    for (int page : stored) {
        QList<ThreadPost> posts;
        ASSERT_TRUE(ReadWebpageFromDB(row.dbFileName, page, page, posts));
        EXPECT_FALSE(posts.isEmpty()) << "page " << page << " stored without its posts";
    }

    rlimit room{RLIM_INFINITY, RLIM_INFINITY};
    ASSERT_EQ(::prlimit(static_cast<pid_t>(server->Pid()), RLIMIT_FSIZE, &room, nullptr), 0);
    restartServer();
    ASSERT_TRUE(waitForStoredPages(row.dbFileName, range(1, t.pages), 30000));
    expectStoredPostsAreTheForums(row.dbFileName, t);
}

} // namespace
