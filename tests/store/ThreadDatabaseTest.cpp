#include "store/ThreadDatabase.h"
#include "common/Utilities.h"
#include "store/DbAccess.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class ThreadDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateThreadDatabase(db));
        ClearLog();
    }

    DbRowList Select(const QString& statement) {
        DbRowList rows;
        DbError error;
        EXPECT_TRUE(QueryRows(statement, rows, error, db)) << error.message.toStdString();
        return rows;
    }

    int Count(const QString& table) {
        const DbRowList rows = Select(QStringLiteral("select count(*) from ") + table + ';');
        return rows.isEmpty() ? -1 : rows.first().Int(0);
    }

    static ThreadPost Post(int page, const char* author, const char* time, const char* content) {
        return ThreadPost{page, QString::fromUtf8(author), QString::fromUtf8(time),
                          QString::fromUtf8(content)};
    }

    static ThreadPicture Picture(int page, const char* author, int index, const QString& url) {
        return ThreadPicture{page, QString::fromUtf8(author), QStringLiteral("2020-01-01 10:00:00"),
                             index, url};
    }

    TempHome home;
    QString db;
};

TEST(CreateThreadDatabaseTest, NamesCountUpAndTheSixTablesAreCreatedVerbatim) {
    TempHome home;
    QString first, second;
    ASSERT_TRUE(CreateThreadDatabase(first));
    ASSERT_TRUE(CreateThreadDatabase(second));
    const QRegularExpression pattern(QStringLiteral("^(\\d+)-(\\d{8})-(\\d{6})\\.db$"));
    const auto a = pattern.match(first), b = pattern.match(second);
    ASSERT_TRUE(a.hasMatch()) << first.toStdString();
    ASSERT_TRUE(b.hasMatch()) << second.toStdString();
    EXPECT_EQ(b.captured(1).toInt(), a.captured(1).toInt() + 1);
    EXPECT_TRUE(QFile::exists(home.File(first)));
    EXPECT_TRUE(QFile::exists(home.File(second)));

    DbRowList rows;
    DbError error;
    ASSERT_TRUE(QueryRows(
        QStringLiteral("select sql from sqlite_master where type='table' order by rowid;"), rows,
        error, first));
    const QStringList expected = {
        "create Table PageInfo( PageNo Integer primary key not null, PageUrl TEXT )",
        "create Table TieInfo( PageNo Integer not null, Time TIMESTAMP not null, Author TEXT not "
        "null, Content TEXT, primary key (PageNo, Time, Author) )",
        "create table ImgInfo( PageNo Integer not null, Author TEXT not null, Time TIMESTAMP not "
        "null, ImgIndex Integer not null, ImgUrl TEXT not null, primary key (PageNo, Author, Time, "
        "ImgIndex) )",
        "create table ImgData( ImgUrl TEXT not null, GetOK Integer not null, GetNum Integer not "
        "null, FileExt TEXT not null, DATA blob, primary key (ImgUrl) )",
        "create Table ViewInfo( Renovate Integer not null, ViewMode Integer not null, PageNo "
        "Integer not null, Author TEXT not null, Time TIMESTAMP not null )",
        "create Table SomeBody( SomeBody TEXT not null, nStyle Integer not null )"};
    ASSERT_EQ(rows.size(), expected.size());
    // SQLite keeps the text after its own normalised "CREATE TABLE".
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rows[i][0].mid(12), expected[i].mid(12));
}

TEST_F(ThreadDatabaseTest, StoringAPageAgainAddsOnlyTheMissingPosts) {
    const QList<ThreadPost> firstFetch = {
        Post(1, "b", "2020-01-01 10:00:00", "b first"),
        Post(1, "a", "2020-01-01 10:00:00", "a first"),
        Post(1, "a", "2020-01-01 10:00:00", "same second"),
    };
    ASSERT_TRUE(SavePage(db, firstFetch, 1, QStringLiteral("http://f/p-1.shtml")));
    const QList<ThreadPost> secondFetch = {
        Post(1, "a", "2020-01-01 10:00:00", "shorter: kept"),
        Post(1, "c", "2020-01-01 09:00:00", "c earlier"),
    };
    ASSERT_TRUE(SavePage(db, secondFetch, 1, QStringLiteral("http://f/p-1.shtml")));
    ASSERT_TRUE(SavePage(db, {Post(2, "z", "2019-01-01 00:00:00", "page two")}, 2,
                         QStringLiteral("http://f/p-2.shtml")));

    QList<ThreadPost> posts;
    ASSERT_TRUE(ReadWebpageFromDB(db, 1, 2, posts));
    QStringList contents;
    for (const ThreadPost& p : posts)
        contents << p.content;
    // Page order, then time, then author within a page.
    EXPECT_EQ(contents, (QStringList{"c earlier", "a first\nsame second", "b first", "page two"}));
    EXPECT_EQ(posts[1].author, QStringLiteral("a"));
    EXPECT_EQ(posts[1].time, QStringLiteral("2020-01-01 10:00:00"));
    EXPECT_EQ(posts[3].pageNo, 2);
    EXPECT_EQ(Count("PageInfo"), 2);
    EXPECT_FALSE(
        LogLinesContaining(QStringLiteral("ReadWebpageFromDB ulBegin=1 ulEnd=2 ")).isEmpty());

    ASSERT_TRUE(ReadWebpageFromDB(db, 3, 9, posts));
    EXPECT_TRUE(posts.isEmpty());

    ThreadPost first, last;
    ASSERT_TRUE(ReadFirstPost(db, first));
    ASSERT_TRUE(ReadLastPost(db, last));
    EXPECT_EQ(first.content, QStringLiteral("c earlier"));
    EXPECT_EQ(last.content, QStringLiteral("page two"));
}

TEST_F(ThreadDatabaseTest, PagesAndTheirAddresses) {
    QString url = QStringLiteral("unchanged");
    EXPECT_TRUE(GetLastPageUrl(db, url));
    EXPECT_EQ(url, QStringLiteral("unchanged"));
    QList<int> pages = {7};
    EXPECT_TRUE(ListStoredPages(db, pages));
    EXPECT_TRUE(pages.isEmpty());
    ThreadPost post;
    EXPECT_FALSE(ReadFirstPost(db, post));
    EXPECT_FALSE(ReadLastPost(db, post));

    for (int page : {3, 1, 12})
        ASSERT_TRUE(SavePage(db, {}, page, QStringLiteral("http://f/p-%1.shtml").arg(page)));
    EXPECT_TRUE(GetLastPageUrl(db, url));
    EXPECT_EQ(url, QStringLiteral("http://f/p-12.shtml"));
    EXPECT_TRUE(ListStoredPages(db, pages));
    EXPECT_EQ(pages, (QList<int>{1, 3, 12}));
    EXPECT_TRUE(GetPageUrl(db, 3, url));
    EXPECT_EQ(url, QStringLiteral("http://f/p-3.shtml"));
    EXPECT_FALSE(GetPageUrl(db, 2, url));
    // Pages without posts have no first post.
    EXPECT_FALSE(ReadFirstPost(db, post));
}

TEST_F(ThreadDatabaseTest, NoPostIsWrittenWhenThePageRowFails) {
    DbError error;
    ASSERT_TRUE(ExecuteSql(QStringLiteral("drop table PageInfo;"), db, error));
    EXPECT_FALSE(SavePage(db, {Post(1, "a", "2020-01-01 10:00:00", "x")}, 1, QStringLiteral("u")));
    EXPECT_EQ(Count("TieInfo"), 0);
    EXPECT_TRUE(LoggedErrorStartingWith(QStringLiteral("插入数据失败：")));
}

// One header over two bodies (layout 1), or a date-only header with two posts of one author:
// both posts reach the file as one row, their pictures numbered on, and storing the page again
// adds nothing; a page that later shows a third such post grows the row.
TEST_F(ThreadDatabaseTest, PostsSharingPageTimeAndAuthorAreMergedNotDropped) {
    const QString url = QStringLiteral("http://f/p-1.shtml");
    const char* day = "2020-01-01 00:00:00";
    auto pic = [&](const char* author, int index, const char* name) {
        return ThreadPicture{1, QString::fromUtf8(author), QString::fromUtf8(day), index,
                             QStringLiteral("http://img/") + QString::fromUtf8(name)};
    };
    const QList<ThreadPost> posts = {Post(1, "a", day, "first"), Post(1, "b", day, "other"),
                                     Post(1, "a", day, "second")};
    const QList<ThreadPicture> pictures = {pic("a", 0, "1"), pic("a", 1, "2"), pic("b", 0, "3"),
                                           pic("a", 0, "4")};
    QStringList fresh;
    ASSERT_TRUE(SavePage(db, posts, pictures, 1, url, &fresh));
    EXPECT_EQ(fresh, (QStringList{"http://img/1", "http://img/2", "http://img/3", "http://img/4"}));

    QList<ThreadPost> stored;
    ASSERT_TRUE(ReadWebpageFromDB(db, 1, 1, stored));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].content, QStringLiteral("first\nsecond"));
    EXPECT_EQ(stored[1].content, QStringLiteral("other"));
    QList<ThreadPicture> shown;
    ASSERT_TRUE(ListPageImages(db, 1, 1, shown));
    QStringList numbered;
    for (const ThreadPicture& p : shown)
        numbered << p.author + QString::number(p.imgIndex) + QLatin1Char('=') + p.imgUrl.mid(11);
    numbered.sort();
    EXPECT_EQ(numbered, (QStringList{"a0=1", "a1=2", "a2=4", "b0=3"}));

    // The same page again: nothing new, nothing twice.
    ASSERT_TRUE(SavePage(db, posts, pictures, 1, url, &fresh));
    EXPECT_TRUE(fresh.isEmpty());
    EXPECT_EQ(Count("TieInfo"), 2);
    EXPECT_EQ(Count("ImgInfo"), 4);
    EXPECT_EQ(Count("ImgData"), 4);

    // The page grew by a third post under the same key, with a picture of its own.
    QList<ThreadPost> grown = posts;
    grown.append(Post(1, "a", day, "third"));
    QList<ThreadPicture> grownPictures = pictures;
    grownPictures.append(pic("a", 0, "5"));
    ASSERT_TRUE(SavePage(db, grown, grownPictures, 1, url, &fresh));
    EXPECT_EQ(fresh, QStringList{"http://img/5"});
    ASSERT_TRUE(ReadWebpageFromDB(db, 1, 1, stored));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].content, QStringLiteral("first\nsecond\nthird"));
    DbRowList rows =
        Select(QStringLiteral("select ImgIndex from ImgInfo where ImgUrl='http://img/5';"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().Int(0), 3);
}

// A file that cannot grow (a full disk) fails the whole page: it is not stored, so the next
// pass fetches it again, and then it is stored completely.
TEST_F(ThreadDatabaseTest, APageThatCannotBeWrittenIsNotStoredAndIsStoredLater) {
    const QString big(200000, QLatin1Char('x'));
    const QList<ThreadPost> posts = {Post(1, "a", "2020-01-01 10:00:00", "short"),
                                     ThreadPost{1, "b", "2020-01-01 11:00:00", big}};
    const QFileInfo file(home.File(db));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(file.size()) + 8192; // room for a journal, not the post
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool saved1 = SavePage(db, posts, 1, QStringLiteral("http://f/p-1.shtml"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved1);

    QList<int> pages;
    ASSERT_TRUE(ListStoredPages(db, pages));
    EXPECT_TRUE(pages.isEmpty()) << "a page without its posts counts as stored";
    EXPECT_EQ(Count("TieInfo"), 0);

    ASSERT_TRUE(SavePage(db, posts, 1, QStringLiteral("http://f/p-1.shtml")));
    ASSERT_TRUE(ListStoredPages(db, pages));
    EXPECT_EQ(pages, QList<int>{1});
    EXPECT_EQ(Count("TieInfo"), 2);
}

TEST_F(ThreadDatabaseTest, RemovingAThreadFileTakesItsLockFileAlong) {
    ASSERT_TRUE(SavePage(db, {Post(1, "a", "2020-01-01 10:00:00", "x")}, 1, QStringLiteral("u")));
    const QString lockFile = home.File(QStringLiteral("lock/") + db);
    ASSERT_TRUE(QFile::exists(lockFile));
    EXPECT_TRUE(RemoveThreadDatabase(db));
    EXPECT_FALSE(QFile::exists(home.File(db)));
    EXPECT_FALSE(QFile::exists(lockFile));
    EXPECT_TRUE(
        QDir(home.File(QStringLiteral("lock"))).entryList(QDir::Files).filter(db).isEmpty());
}

TEST_F(ThreadDatabaseTest, PicturesSharedByPostsAndTheirTwoAttempts) {
    const QString shared = QStringLiteral("http://img/shared.png");
    const QString once = QStringLiteral("http://img/once");
    const QList<ThreadPicture> page1 = {Picture(1, "a", 0, shared), Picture(1, "b", 0, shared),
                                        Picture(1, "b", 1, once)};
    const QList<ThreadPicture> page5 = {Picture(5, "c", 0, QStringLiteral("http://img/far.gif"))};
    for (const auto& pictures : {page1, page5}) {
        ASSERT_TRUE(SaveImageInfo(db, pictures));
        ASSERT_TRUE(SaveImageData(db, pictures));
    }
    EXPECT_EQ(Count("ImgInfo"), 4);
    EXPECT_EQ(Count("ImgData"), 3);

    QStringList missing;
    ASSERT_TRUE(ListMissingImages(db, 1, 4, missing));
    missing.sort();
    EXPECT_EQ(missing, (QStringList{"http://img/once", "http://img/shared.png"}));

    // Two failed downloads give a picture up; a third changes nothing.
    for (int attemptsLeft : {1, 0, 0}) {
        ASSERT_TRUE(RecordImageDownload(db, once, false, {}));
        PictureState state;
        ASSERT_TRUE(ReadImageState(db, once, state));
        EXPECT_EQ(state.getNum, attemptsLeft);
        EXPECT_EQ(state.getOK, 0);
    }
    const QByteArray bytes("\x89PNG\0\r\n\x1a\0binary", 16);
    bool stored = false;
    ASSERT_TRUE(RecordImageDownload(db, shared, true, bytes, &stored));
    EXPECT_TRUE(stored);
    ASSERT_TRUE(ListMissingImages(db, 1, 9, missing));
    EXPECT_EQ(missing, QStringList{"http://img/far.gif"});

    // A later success of a stored picture keeps the first bytes and stores nothing, so it is
    // not announced a second time.
    ASSERT_TRUE(RecordImageDownload(db, shared, true, QByteArray("other"), &stored));
    EXPECT_FALSE(stored);
    const DbRowList row =
        Select(QStringLiteral("select GetOK, FileExt, hex(DATA) from ImgData where ImgUrl='") +
               shared + "';");
    ASSERT_EQ(row.size(), 1);
    EXPECT_EQ(row[0][0], QStringLiteral("1"));
    EXPECT_EQ(row[0][1], QStringLiteral("png"));
    EXPECT_EQ(row[0][2], QString::fromLatin1(bytes.toHex().toUpper()));

    // An address this thread does not know is left alone.
    EXPECT_TRUE(RecordImageDownload(db, QStringLiteral("http://img/unknown.jpg"), false, {}));
    EXPECT_TRUE(RecordImageDownload(db, QStringLiteral("http://img/unknown.jpg"), true, bytes));
    EXPECT_EQ(Count("ImgData"), 3);

    QList<PictureState> states;
    ASSERT_TRUE(ListImageStates(db, states));
    EXPECT_EQ(states.size(), 3);
    QList<ThreadPicture> shown;
    ASSERT_TRUE(ListPageImages(db, 1, 1, shown));
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2].imgIndex, 1);
    EXPECT_EQ(shown[2].imgUrl, once);
}

TEST_F(ThreadDatabaseTest, TheExtensionComesFromTheAddress) {
    const struct {
        const char* address;
        const char* fileExt;
    } cases[] = {
        {"http://img/a.jpeg", "jpeg"},
        {"http://img/a.png?size=2", "png?size=2"},
        {"noextension", "jpg"},
        {".hidden", "jpg"},
    };
    for (const auto& c : cases) {
        const QString address = QString::fromUtf8(c.address);
        ASSERT_TRUE(SaveImageData(db, {Picture(1, "a", 0, address)}));
        ASSERT_TRUE(WriteImageData(db, address, QByteArray("x")));
        const DbRowList row =
            Select(QStringLiteral("select FileExt from ImgData where ImgUrl='%1';").arg(address));
        ASSERT_EQ(row.size(), 1) << c.address;
        EXPECT_EQ(row[0][0], QString::fromUtf8(c.fileExt)) << c.address;
    }
}

TEST_F(ThreadDatabaseTest, AnAddressWithAQuoteFindsItsPostsAndCannotWidenTheQuery) {
    const QString quoted = QStringLiteral("http://img/it's.jpg");
    ASSERT_TRUE(SaveImageInfo(db, {Picture(2, "a", 0, quoted), Picture(3, "b", 0, quoted),
                                   Picture(3, "c", 0, QStringLiteral("http://img/other.jpg"))}));
    QList<PicturePost> posts;
    ASSERT_TRUE(FindImagePosts(db, quoted, posts));
    ASSERT_EQ(posts.size(), 2);
    EXPECT_EQ(posts[0].pageNo, 2);
    EXPECT_EQ(posts[1].author, QStringLiteral("b"));
    EXPECT_TRUE(ErrorMessages().isEmpty());

    ASSERT_TRUE(FindImagePosts(db, QStringLiteral("x' or '1'='1"), posts));
    EXPECT_TRUE(posts.isEmpty());
}

TEST_F(ThreadDatabaseTest, APicturesPostsComeInPageOrderWhateverOrderThePagesWereStoredIn) {
    // Walks store the newest pages first; the reader stops at the first post off its screen.
    const QString sticker = QStringLiteral("http://img/sticker.png");
    for (int page : {6, 2, 5, 1}) {
        ASSERT_TRUE(
            SaveImageInfo(db, {Picture(page, "b", 0, sticker), Picture(page, "a", 1, sticker)}));
    }
    QList<PicturePost> posts;
    ASSERT_TRUE(FindImagePosts(db, sticker, posts));
    QStringList order;
    for (const PicturePost& post : posts)
        order.append(QStringLiteral("%1%2").arg(post.pageNo).arg(post.author));
    EXPECT_EQ(order, (QStringList{"1a", "1b", "2a", "2b", "5a", "5b", "6a", "6b"}));
}

TEST_F(ThreadDatabaseTest, PicturesAreWrittenIntoTheFolderAndNeverReplaceAFile) {
    const QByteArray png("\x89PNG\0\0data", 10);
    const QByteArray gif("GIF89a\0", 7);
    const QString escaping = QStringLiteral("http://img/a.b/../../escaped");
    const QList<ThreadPicture> pictures = {
        Picture(1, "a", 0, QStringLiteral("http://img/p.png")),
        Picture(1, "a", 1, QStringLiteral("http://img/g.gif")),
        Picture(1, "a", 2, QStringLiteral("http://img/never.jpg")), Picture(1, "a", 3, escaping)};
    ASSERT_TRUE(SaveImageData(db, pictures));
    ASSERT_TRUE(RecordImageDownload(db, QStringLiteral("http://img/p.png"), true, png));
    ASSERT_TRUE(RecordImageDownload(db, QStringLiteral("http://img/g.gif"), true, gif));
    ASSERT_TRUE(RecordImageDownload(db, escaping, true, gif));

    const QString folder = home.File(QStringLiteral("Img"));
    const QString path = ExtractImage(db, QStringLiteral("http://img/p.png"), folder);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(folder).absolutePath());
    EXPECT_TRUE(path.endsWith(QStringLiteral(".png")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), png);
    EXPECT_TRUE(ExtractImage(db, QStringLiteral("http://img/never.jpg"), folder).isEmpty());

    // A file name built from an address never leaves the folder.
    const QString escaped = ExtractImage(db, escaping, folder);
    ASSERT_FALSE(escaped.isEmpty());
    EXPECT_EQ(QFileInfo(escaped).absolutePath(), QDir(folder).absolutePath());

    const QString exportFolder = home.File(QStringLiteral("export"));
    EXPECT_EQ(ExportAllImages(db, exportFolder), 3);
    EXPECT_EQ(ExportAllImages(db, exportFolder), 3);
    const QFileInfoList files = QDir(exportFolder).entryInfoList(QDir::Files);
    ASSERT_EQ(files.size(), 6); // the second export added files, it replaced none
    QMultiMap<QByteArray, QString> byContent;
    for (const QFileInfo& info : files) {
        QFile f(info.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        byContent.insert(f.readAll(), info.suffix());
    }
    EXPECT_EQ(byContent.values(png), (QList<QString>{"png", "png"}));
    EXPECT_EQ(byContent.count(gif), 4);
}

TEST_F(ThreadDatabaseTest, ReadingPositionIsOneRowAndIsNeverSavedForThePlaceholders) {
    ViewPosition position;
    EXPECT_FALSE(ReadViewPosition(db, position));
    const struct {
        const char* author;
        const char* time;
        int page;
    } skipped[] = {
        {"a", "2020-01-01 10:00:00", LatestSentinelPage},
        {"a", "2020-01-01 10:00:00", 0},
        {"", "2020-01-01 10:00:00", 4},
        {"a", "", 4},
    };
    for (const auto& c : skipped)
        EXPECT_FALSE(
            SaveViewPosition(db, QString::fromUtf8(c.author), QString::fromUtf8(c.time), 1, c.page))
            << c.page;
    EXPECT_EQ(Count("ViewInfo"), 0);

    ASSERT_TRUE(SaveViewPosition(db, "O'Neil", "2020-01-01 10:00:00", 2, 4));
    ASSERT_TRUE(SaveViewPosition(db, "张三", "2021-05-06 07:08:09", 3, 9));
    EXPECT_EQ(Count("ViewInfo"), 1);
    ASSERT_TRUE(ReadViewPosition(db, position));
    EXPECT_EQ(position.renovate, 300);
    EXPECT_EQ(position.viewMode, 3);
    EXPECT_EQ(position.pageNo, 9);
    EXPECT_EQ(position.author, QStringLiteral("张三"));
    EXPECT_EQ(position.time, QStringLiteral("2021-05-06 07:08:09"));
}

TEST_F(ThreadDatabaseTest, TheHighlightListIsTheShowOnlyList) {
    ASSERT_TRUE(SaveSomeBodyList(db, {"shown", "also shown"}, 2));
    ASSERT_TRUE(SaveSomeBodyList(db, {"hidden'one"}, 4));
    ASSERT_TRUE(SaveSomeBodyList(db, {"highlighted", "second"}, 3));
    QStringList entries;
    ASSERT_TRUE(ReadSomeBodyList(db, 2, entries));
    EXPECT_EQ(entries, (QStringList{"highlighted", "second"}));
    ASSERT_TRUE(ReadSomeBodyList(db, 3, entries));
    EXPECT_EQ(entries, (QStringList{"highlighted", "second"}));
    ASSERT_TRUE(ReadSomeBodyList(db, 4, entries));
    EXPECT_EQ(entries, QStringList{"hidden'one"});
    ASSERT_TRUE(SaveSomeBodyList(db, {}, 4));
    ASSERT_TRUE(ReadSomeBodyList(db, 4, entries));
    EXPECT_TRUE(entries.isEmpty());
    const DbRowList styles = Select(QStringLiteral("select distinct nStyle from SomeBody;"));
    ASSERT_EQ(styles.size(), 1);
    EXPECT_EQ(styles[0][0], QStringLiteral("2"));
}

// Texts from the web, each stored as a title, an author, a post and a filter entry.
TEST_F(ThreadDatabaseTest, TextFromTheWebSurvivesByteForByteAndAddsNoStatement) {
    QString controls;
    for (char16_t c = 1; c < 32; ++c)
        controls += QChar(c);
    const QStringList texts = {
        QStringLiteral("it's"),
        QStringLiteral("''"),
        QStringLiteral("a'); drop table TieInfo; --"),
        QStringLiteral("x'; insert into SomeBody values('evil', 4); --"),
        QStringLiteral("semi;colon;;"),
        QStringLiteral("-- comment /* block"),
        controls,
        QStringLiteral("😀🇨🇳 emoji"),
        QStringLiteral("天涯社区 「引号」 ‘单’ “双”"),
        QStringLiteral("%s %d %% \\ \\' \""),
    };
    QList<ThreadPost> posts;
    for (int i = 0; i < texts.size(); ++i)
        posts.append(ThreadPost{
            1, texts[i], QStringLiteral("2020-01-01 10:00:%1").arg(i, 2, 10, QLatin1Char('0')),
            texts[i]});
    ASSERT_TRUE(SavePage(db, posts, 1, texts[2]));
    ASSERT_TRUE(SaveSomeBodyList(db, texts, 5));
    for (const QString& text : texts)
        ASSERT_TRUE(SaveViewPosition(db, text, text, 1, 1));

    QList<ThreadPost> read;
    ASSERT_TRUE(ReadWebpageFromDB(db, 1, 1, read));
    ASSERT_EQ(read.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(read[i].author, texts[i]);
        EXPECT_EQ(read[i].content, texts[i]);
    }
    // Stored as UTF-8 bytes exactly.
    const DbRowList hex = Select(QStringLiteral("select hex(Content) from TieInfo order by Time;"));
    ASSERT_EQ(hex.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(hex[i][0], QString::fromLatin1(texts[i].toUtf8().toHex().toUpper()));

    QStringList entries;
    ASSERT_TRUE(ReadSomeBodyList(db, 5, entries));
    EXPECT_EQ(entries, texts);
    ASSERT_TRUE(ReadSomeBodyList(db, 4, entries));
    EXPECT_TRUE(entries.isEmpty());
    ViewPosition position;
    ASSERT_TRUE(ReadViewPosition(db, position));
    EXPECT_EQ(position.author, texts.last());
    QString url;
    ASSERT_TRUE(GetPageUrl(db, 1, url));
    EXPECT_EQ(url, texts[2]);
    EXPECT_EQ(Select(QStringLiteral("select name from sqlite_master where type='table';")).size(),
              6);
    EXPECT_TRUE(ErrorMessages().isEmpty());
}

} // namespace
