// quillmere-cli as a user runs it, against a home the real server filled from the sample forum.
#include "common/ProgramDirectory.h"
#include "common/Records.h"
#include "common/Settings.h"
#include "reader/export/ExportThreads.h"
#include "reader/model/ReadingModel.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"
#include "tests/e2e/StandInReader.h"
#include "tests/e2e/TestProcesses.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

CliRun RunCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(BinaryPath(QStringLiteral("quillmere-cli")), arguments);
    CliRun run;
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished(3000);
        ADD_FAILURE() << "quillmere-cli did not end: " << arguments.join(' ').toStdString();
        return run;
    }
    run.code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

// The home filled once for all tests: threads 1001 (12 pages, some pictures) and 1003 (6 pages,
// pictures in every post) followed through the real server from the sample forum, each with
// people and word lists of its own.
struct FilledHome {
    TempHome home;
    std::unique_ptr<DemoForumProcess> forum;
    std::unique_ptr<StandInReader> reader;
    std::unique_ptr<ServerProcess> server;
    QList<FollowRecord> follows;
    QString failure;
    CliRun listWhileStoring;

    // Fixed at the start: the tests make other homes current on the way.
    const QString path = [this] {
        QString p = home.Path();
        p.chop(1);
        return p;
    }();
    QString Path() const { return path; }

    // Follows a thread and waits until its pages are stored and its pictures settled.
    bool Follow(const QString& address, int pages) {
        const qsizetype from = reader->All().size();
        reader->Follow(address);
        const auto* answer = reader->WaitFor(CDTAddFocusWebpage, 60000, {}, from);
        if (!answer || FromLarge<AddFocusAnswer>(answer->record).result.Get() != 1)
            return Fail(QStringLiteral("not followed: ") + address);
        FollowRecord row;
        if (!ReadFollowedThread(FromLarge<AddFocusAnswer>(answer->record).focusPageNo.Get(), row))
            return Fail(QStringLiteral("no catalogue row for ") + address);
        if (listWhileStoring.code < 0)
            listWhileStoring = RunCli({QStringLiteral("--home"), Path(), QStringLiteral("--json"),
                                       QStringLiteral("list")});
        const bool complete = reader->WaitUntil(
            [&] {
                QList<int> stored;
                QList<PictureState> pictures;
                if (!ListStoredPages(row.dbFileName, stored) || stored.size() != pages ||
                    !ListImageStates(row.dbFileName, pictures))
                    return false;
                for (const PictureState& picture : pictures)
                    if (picture.getOK == 0 && picture.getNum > 0)
                        return false;
                return true;
            },
            180000);
        if (!complete)
            return Fail(QStringLiteral("pages or pictures not stored for ") + address);
        follows.append(row);
        return true;
    }

    bool Fail(const QString& why) {
        failure = why;
        return false;
    }

    bool Fill() {
        forum =
            std::make_unique<DemoForumProcess>(home.File(QStringLiteral("Quillmere.ini")),
                                               QStringList{QStringLiteral("--exit-on-stdin-eof")});
        if (!forum->Ready())
            return Fail(QStringLiteral("the sample forum did not start"));
        ReloadHosts();
        reader = std::make_unique<StandInReader>();
        server = std::make_unique<ServerProcess>(Path());
        if (!reader->Listening() || !server->Start() || !reader->WaitFor(CDTSvrRun, 30000))
            return Fail(QStringLiteral("the server did not start"));
        if (!Follow(forum->Url(QStringLiteral("ForumWwwHost"),
                               QStringLiteral("/publicforum/content/free/1/1001-1.shtml")),
                    12) ||
            !Follow(forum->Url(QStringLiteral("ForumBbsHost"),
                               QStringLiteral("/post-photo-1003-1.shtml")),
                    6))
            return false;
        // The server ends as the reader closes it; the home stays as it left it.
        reader->Send(MakeSmall(CDTAppExit));
        server->WaitForEnd(20000);
        server.reset();
        // Lists for the filtering modes, and a saved position on the second thread.
        for (const FollowRecord& follow : follows) {
            QList<ThreadPost> posts;
            if (!ReadWebpageFromDB(follow.dbFileName, 1, 3, posts) || posts.size() < 12)
                return Fail(QStringLiteral("too few posts in ") + follow.webpageName);
            const QStringList people{posts[1].author, posts[5].author};
            const QStringList words{posts[7].content.trimmed().left(2)};
            if (!SaveSomeBodyList(follow.dbFileName, people, 2) ||
                !SaveSomeBodyList(follow.dbFileName, {posts[2].author}, 4) ||
                !SaveSomeBodyList(follow.dbFileName, words, 5))
                return Fail(QStringLiteral("lists not saved"));
        }
        QList<ThreadPost> page3;
        ReadWebpageFromDB(follows[1].dbFileName, 3, 3, page3);
        if (page3.isEmpty() || !SaveViewPosition(follows[1].dbFileName, page3[0].author,
                                                 page3[0].time, HighlightStarter, 3))
            return Fail(QStringLiteral("position not saved"));
        return true;
    }
};

FilledHome* filled = nullptr;

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        filled = new FilledHome;
        filled->Fill();
    }
    static void TearDownTestSuite() {
        delete filled;
        filled = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(filled->failure.isEmpty()) << filled->failure.toStdString();
        ASSERT_EQ(filled->follows.size(), 2);
        // In-process reading and exports work on the filled home too.
        SetProgramDirectory(filled->Path());
        ReloadHosts();
    }
    static QStringList Home() { return {QStringLiteral("--home"), filled->Path()}; }
    static const FollowRecord& Follow(int i) { return filled->follows[i]; }
};

QJsonValue Parse(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << bytes.left(300).toStdString();
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// Every file of a folder but the locks and sockets, by name, with a hash of its bytes.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        if (name.startsWith(QLatin1String("lock/")) || name.startsWith(QLatin1String("run/")))
            continue;
        QFile file(path);
        files.insert(name, file.open(QIODevice::ReadOnly)
                               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                               : QByteArray("unreadable"));
    }
    return files;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

// A book of the starter's posts from a thread as the server stored it: valid, with a chapter
// for each page the starter wrote on and each downloaded picture of those posts once. Returns
// the number of pictures.
qsizetype ExpectBookOfStarter(const FollowRecord& follow, const QString& path) {
    EXPECT_EQ(EpubCheckProblems(path).toStdString(), "");
    QList<ThreadPost> posts;
    EXPECT_TRUE(ReadWebpageFromDB(follow.dbFileName, 1, 10000, posts));
    QSet<int> pages;
    QSet<QString> starterPosts;
    for (const ThreadPost& post : posts)
        if (post.author == follow.webpageAuthor) {
            pages.insert(post.pageNo);
            starterPosts.insert(QString::number(post.pageNo) + post.author + post.time);
        }
    QList<ThreadPicture> pictures;
    EXPECT_TRUE(ListPageImages(follow.dbFileName, 1, 10000, pictures));
    QSet<QString> shown;
    for (const ThreadPicture& picture : pictures) {
        QByteArray bytes;
        QString ext;
        if (starterPosts.contains(QString::number(picture.pageNo) + picture.author +
                                  picture.time) &&
            ReadImageBytes(follow.dbFileName, picture.imgUrl, bytes, ext) && !bytes.isEmpty())
            shown.insert(picture.imgUrl);
    }
    const ZipEntries zip = ReadZip(path);
    EXPECT_EQ(
        zip.names.filter(QRegularExpression(QStringLiteral("^OEBPS/page-\\d+\\.xhtml$"))).size(),
        pages.size())
        << follow.webpageName.toStdString();
    EXPECT_EQ(zip.names.filter(QStringLiteral("OEBPS/images/")).size(), shown.size())
        << follow.webpageName.toStdString();
    return shown.size();
}

} // namespace

TEST_F(CliTest, ListShowsEveryFollowAsTheStoreHasIt) {
    // While the server stored pages the tool already read the home.
    EXPECT_EQ(filled->listWhileStoring.code, 0) << filled->listWhileStoring.err.toStdString();
    EXPECT_FALSE(Parse(filled->listWhileStoring.out).toArray().isEmpty());

    const CliRun json =
        RunCli(Home() + QStringList{QStringLiteral("--json"), QStringLiteral("list")});
    ASSERT_EQ(json.code, 0) << json.err.toStdString();
    const QJsonArray rows = Parse(json.out).toArray();
    ASSERT_EQ(rows.size(), 2);
    const CliRun text = RunCli(Home() + QStringList{QStringLiteral("list")});
    ASSERT_EQ(text.code, 0);
    const QStringList lines =
        QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const FollowRecord& follow = Follow(i);
        const QJsonObject row = rows[i].toObject();
        QList<int> stored;
        ASSERT_TRUE(ListStoredPages(follow.dbFileName, stored));
        EXPECT_EQ(row.value(QStringLiteral("number")).toInt(), follow.focusPageNo);
        EXPECT_EQ(row.value(QStringLiteral("title")).toString(), follow.webpageName);
        EXPECT_EQ(row.value(QStringLiteral("starter")).toString(), follow.webpageAuthor);
        EXPECT_EQ(row.value(QStringLiteral("storedPages")).toInt(), stored.size());
        EXPECT_EQ(row.value(QStringLiteral("highestPage")).toInt(), stored.last());
        EXPECT_EQ(row.value(QStringLiteral("state")).toString(), QStringLiteral("临时阅读"));
        EXPECT_EQ(lines[i], QStringLiteral("%1\t%2\t%3\t%4/%5\t临时阅读")
                                .arg(follow.focusPageNo)
                                .arg(follow.webpageName, follow.webpageAuthor)
                                .arg(stored.size())
                                .arg(stored.last()));
    }
    // The home also comes from the environment.
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMERE_HOME"), filled->Path());
    cli.setProcessEnvironment(environment);
    cli.start(BinaryPath(QStringLiteral("quillmere-cli")), {QStringLiteral("list")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), text.out);
}

TEST_F(CliTest, ReadInEveryModeShowsTheReadingModelsScreensAndChangesNothing) {
    const QMap<QString, QByteArray> before = Snapshot(filled->Path());
    struct Start {
        QStringList arguments;
        int operation;
        int value;
    };
    const QList<Start> starts = {{{}, OpOpen, 0},
                                 {{QStringLiteral("--first")}, OpFirst, 0},
                                 {{QStringLiteral("--latest")}, OpLatest, 0},
                                 {{QStringLiteral("--page"), QStringLiteral("4")}, OpGotoPage, 4}};
    struct Further {
        QStringList arguments;
        int operation;
        int count;
    };
    const QList<Further> furthers = {
        {{QStringLiteral("--next"), QStringLiteral("3")}, OpNext, 3},
        {{QStringLiteral("--previous"), QStringLiteral("2")}, OpPrevious, 2}};
    int casesWithPosts = 0;
    for (int thread = 0; thread < 2; ++thread) {
        const int number = Follow(thread).focusPageNo;
        for (int mode = -1; mode <= OnlyWords; ++mode) {
            for (const Start& start : starts) {
                for (const Further& further : furthers) {
                    QStringList arguments =
                        Home() + QStringList{QStringLiteral("--json"), QStringLiteral("read"),
                                             QString::number(number)};
                    if (mode >= 0)
                        arguments << QStringLiteral("--mode") << QString::number(mode);
                    arguments += start.arguments + further.arguments;
                    const std::string label = arguments.mid(3).join(' ').toStdString();
                    const CliRun run = RunCli(arguments);

                    ReadingModel model(number);
                    ASSERT_TRUE(model.Load());
                    if (mode >= 0)
                        model.SetViewMode(mode);
                    QList<std::pair<int, int>> operations{{start.operation, start.value}};
                    for (int i = 0; i < further.count; ++i)
                        operations.append({further.operation, 0});
                    const QJsonObject answer = Parse(run.out).toObject();
                    EXPECT_EQ(answer.value(QStringLiteral("mode")).toInt(), model.GetViewMode())
                        << label;
                    const QJsonArray screens = answer.value(QStringLiteral("screens")).toArray();
                    ASSERT_EQ(screens.size(), operations.size()) << label;
                    int posts = 0;
                    for (qsizetype s = 0; s < operations.size(); ++s) {
                        const int result =
                            model.RunReadOperation(operations[s].first, operations[s].second);
                        ReadingScreen screen;
                        model.GetScreen(screen);
                        const QJsonObject shown = screens[s].toObject();
                        EXPECT_EQ(shown.value(QStringLiteral("result")).toInt(), result) << label;
                        EXPECT_EQ(shown.value(QStringLiteral("previousPage")).toInt(),
                                  screen.previousPage)
                            << label;
                        EXPECT_EQ(shown.value(QStringLiteral("nextPage")).toInt(), screen.nextPage)
                            << label;
                        EXPECT_EQ(shown.value(QStringLiteral("startPage")).toInt(),
                                  screen.startPage)
                            << label;
                        EXPECT_EQ(shown.value(QStringLiteral("endPage")).toInt(), screen.endPage)
                            << label;
                        const QJsonArray shownPosts =
                            shown.value(QStringLiteral("posts")).toArray();
                        ASSERT_EQ(shownPosts.size(), screen.posts.size())
                            << label << " screen " << s;
                        for (qsizetype p = 0; p < shownPosts.size(); ++p) {
                            const QJsonObject post = shownPosts[p].toObject();
                            const ReadingPost& want = screen.posts[p];
                            EXPECT_EQ(post.value(QStringLiteral("page")).toInt(), want.pageNo)
                                << label;
                            EXPECT_EQ(post.value(QStringLiteral("author")).toString(), want.author)
                                << label;
                            EXPECT_EQ(post.value(QStringLiteral("time")).toString(), want.time)
                                << label;
                            EXPECT_EQ(post.value(QStringLiteral("colour")).toString(), want.colour)
                                << label;
                            EXPECT_EQ(post.value(QStringLiteral("content")).toString(),
                                      want.content)
                                << label;
                        }
                        if (result == 1)
                            posts += static_cast<int>(screen.posts.size());
                    }
                    EXPECT_EQ(run.code, posts > 0 ? 0 : 1) << label << run.err.toStdString();
                    if (posts > 0)
                        ++casesWithPosts;
                }
            }
        }
    }
    // Nearly every case shows posts, so the comparison above is not of empty screens.
    EXPECT_GE(casesWithPosts, 80);

    // The plain text shows the same posts, one after another with page, author and time.
    const CliRun text =
        RunCli(Home() + QStringList{QStringLiteral("read"), QString::number(Follow(0).focusPageNo),
                                    QStringLiteral("--first")});
    ASSERT_EQ(text.code, 0);
    ReadingModel model(Follow(0).focusPageNo);
    ASSERT_TRUE(model.Load());
    ASSERT_EQ(model.RunReadOperation(OpFirst), 1);
    ReadingScreen screen;
    model.GetScreen(screen);
    const QString shown = QString::fromUtf8(text.out);
    qsizetype at = 0;
    for (const ReadingPost& post : screen.posts) {
        const QString head = QStringLiteral("第%1页  作者：%2  发表日期：%3")
                                 .arg(post.pageNo)
                                 .arg(post.author, post.time);
        at = shown.indexOf(head, at);
        ASSERT_GE(at, 0) << head.toStdString();
        EXPECT_EQ(shown.indexOf(post.content, at), shown.indexOf(QLatin1Char('\n'), at) + 1);
    }

    // Reading saved nothing: no position, no file touched.
    EXPECT_EQ(Snapshot(filled->Path()), before);
}

TEST_F(CliTest, ExportWritesTheReadersFilesByteForByte) {
    struct Case {
        QString kind;
        bool people;
        int first;
        int last;
    };
    const QList<Case> cases = {{QStringLiteral("txt"), false, 1, 10000},
                               {QStringLiteral("html"), true, 2, 5},
                               {QStringLiteral("epub"), false, 1, 10000},
                               {QStringLiteral("epub"), true, 3, 6},
                               {QStringLiteral("pictures"), false, 1, 10000}};
    for (int thread = 0; thread < 2; ++thread) {
        const FollowRecord& follow = Follow(thread);
        for (const Case& c : cases) {
            const std::string label =
                QStringLiteral("%1 %2 %3").arg(c.kind).arg(thread).arg(c.people).toStdString();
            QTemporaryDir byReader;
            QTemporaryDir byTool;
            ExportSeams seams;
            seams.chooseFolder = [&] { return byReader.path(); };
            seams.chooseRange = [&](const FollowRecord&) -> std::optional<ExportRange> {
                return ExportRange{c.first, c.last, !c.people};
            };
            QStringList notices;
            seams.notify = [&](const QString& text) { notices.append(text); };
            if (c.kind == QLatin1String("txt"))
                ExportThreadText(ExportKind::Text, {follow}, seams);
            else if (c.kind == QLatin1String("html"))
                ExportThreadText(ExportKind::Html, {follow}, seams);
            else if (c.kind == QLatin1String("epub"))
                ExportThreadEpub({follow}, seams);
            else
                ExportThreadPictures({follow}, seams);

            QStringList arguments = Home() + QStringList{QStringLiteral("export"), c.kind,
                                                         QString::number(follow.focusPageNo),
                                                         QStringLiteral("--out"), byTool.path()};
            if (c.people)
                arguments << QStringLiteral("--people");
            if (c.first != 1)
                arguments << QStringLiteral("--first") << QString::number(c.first);
            if (c.last != 10000)
                arguments << QStringLiteral("--last") << QString::number(c.last);
            const CliRun run = RunCli(arguments);

            const QStringList readerFiles =
                QDir(byReader.path()).entryList(QDir::Files, QDir::Name);
            const QStringList toolFiles = QDir(byTool.path()).entryList(QDir::Files, QDir::Name);
            ASSERT_FALSE(readerFiles.isEmpty()) << label;
            EXPECT_EQ(run.code, 0) << label << run.err.toStdString();
            if (c.kind == QLatin1String("pictures")) {
                // New names each time: the same pictures, by their bytes.
                QList<QByteArray> readerBytes;
                QList<QByteArray> toolBytes;
                for (const QString& name : readerFiles)
                    readerBytes.append(FileBytes(QDir(byReader.path()).filePath(name)));
                for (const QString& name : toolFiles)
                    toolBytes.append(FileBytes(QDir(byTool.path()).filePath(name)));
                std::sort(readerBytes.begin(), readerBytes.end());
                std::sort(toolBytes.begin(), toolBytes.end());
                EXPECT_EQ(toolBytes, readerBytes) << label;
                continue;
            }
            ASSERT_EQ(toolFiles, readerFiles) << label;
            EXPECT_EQ(FileBytes(QDir(byTool.path()).filePath(toolFiles[0])),
                      FileBytes(QDir(byReader.path()).filePath(readerFiles[0])))
                << label;
            EXPECT_TRUE(run.out.contains(QDir(byTool.path()).filePath(toolFiles[0]).toUtf8()))
                << label;
            // The thread of pictures (1003) has pictures in the starter's posts.
            if (c.kind == QLatin1String("epub") && !c.people) {
                EXPECT_GT(ExpectBookOfStarter(follow, QDir(byTool.path()).filePath(toolFiles[0])),
                          thread == 1 ? 0 : -1);
            }
            EXPECT_EQ(notices,
                      QStringList{
                          QStringLiteral("已导出%1个帖！").arg(run.out.split(' ').first().toInt())})
                << label;
        }
    }
}

// The first two Chinese characters in a row of a text; empty when there are none.
QString TwoChineseCharacters(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        const auto isHan = [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; };
        if (isHan(text[i]) && isHan(text[i + 1]))
            return text.mid(i, 2);
    }
    return {};
}

TEST_F(CliTest, SearchFindsThePostsOfTheStoredThreadsWithItsFilters) {
    for (int thread = 0; thread < 2; ++thread) {
        const FollowRecord& follow = Follow(thread);
        QList<ThreadPost> posts;
        ASSERT_TRUE(ReadWebpageFromDB(follow.dbFileName, 2, 2, posts));
        ASSERT_GT(posts.size(), 3);
        const ThreadPost& wanted = posts[3];
        const QString word = TwoChineseCharacters(wanted.content);
        ASSERT_FALSE(word.isEmpty()) << wanted.content.toStdString();
        const QString number = QString::number(follow.focusPageNo);
        const auto contains = [&](const QJsonArray& hits) {
            for (const QJsonValue& value : hits) {
                const QJsonObject hit = value.toObject();
                if (hit.value(QStringLiteral("page")).toInt() == wanted.pageNo &&
                    hit.value(QStringLiteral("author")).toString() == wanted.author &&
                    hit.value(QStringLiteral("time")).toString() == wanted.time)
                    return true;
            }
            return false;
        };

        const CliRun inThread =
            RunCli(Home() + QStringList{QStringLiteral("--json"), QStringLiteral("search"), word,
                                        QStringLiteral("--thread"), number});
        ASSERT_EQ(inThread.code, 0) << inThread.err.toStdString();
        const QJsonArray hits = Parse(inThread.out).toArray();
        EXPECT_TRUE(contains(hits)) << word.toStdString();
        QString previousTime = QStringLiteral("9999");
        for (const QJsonValue& value : hits) {
            const QJsonObject hit = value.toObject();
            EXPECT_EQ(hit.value(QStringLiteral("number")).toInt(), follow.focusPageNo);
            EXPECT_EQ(hit.value(QStringLiteral("title")).toString(), follow.webpageName);
            EXPECT_LE(hit.value(QStringLiteral("time")).toString(), previousTime); // newest first
            previousTime = hit.value(QStringLiteral("time")).toString();
            const QString excerpt = hit.value(QStringLiteral("excerpt")).toString();
            const QJsonArray marks = hit.value(QStringLiteral("marks")).toArray();
            ASSERT_FALSE(marks.isEmpty());
            const QJsonObject mark = marks[0].toObject();
            EXPECT_EQ(excerpt.mid(mark.value(QStringLiteral("start")).toInt(),
                                  mark.value(QStringLiteral("length")).toInt()),
                      word);
        }

        const CliRun byAuthor =
            RunCli(Home() + QStringList{QStringLiteral("--json"), QStringLiteral("search"), word,
                                        QStringLiteral("--author"), wanted.author});
        ASSERT_EQ(byAuthor.code, 0) << byAuthor.err.toStdString();
        const QJsonArray authorHits = Parse(byAuthor.out).toArray();
        EXPECT_TRUE(contains(authorHits));
        for (const QJsonValue& value : authorHits)
            EXPECT_EQ(value.toObject().value(QStringLiteral("author")).toString(), wanted.author);

        const CliRun text = RunCli(Home() + QStringList{QStringLiteral("search"), word,
                                                        QStringLiteral("--thread"), number});
        ASSERT_EQ(text.code, 0);
        const QStringList lines =
            QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), hits.size());
        for (const QString& line : lines) {
            EXPECT_TRUE(line.startsWith(number + QLatin1Char('\t'))) << line.toStdString();
            EXPECT_TRUE(line.contains(QStringLiteral("【") + word + QStringLiteral("】")))
                << line.toStdString();
        }
    }
    const CliRun none =
        RunCli(Home() + QStringList{QStringLiteral("search"), QStringLiteral("zqxjwvkplm")});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(none.err.count('\n'), 1);
    for (const QStringList& bad : {QStringList{QStringLiteral("search"), QStringLiteral("，。！")},
                                   QStringList{QStringLiteral("search"), QStringLiteral("天涯"),
                                               QStringLiteral("--thread"), QStringLiteral("99999")},
                                   QStringList{QStringLiteral("search"), QStringLiteral("天涯"),
                                               QStringLiteral("--author")}}) {
        const CliRun run = RunCli(Home() + bad);
        EXPECT_EQ(run.code, 2) << bad.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.count('\n'), 1);
    }
}

TEST_F(CliTest, BadArgumentsAndUnreadableHomesGiveCodeTwoAndOneLine) {
    QTemporaryDir out;
    QTemporaryDir empty;
    const QString number = QString::number(Follow(0).focusPageNo);
    const QStringList h = Home();
    const QList<QStringList> cases = {
        {},
        h + QStringList{QStringLiteral("fly")},
        h + QStringList{QStringLiteral("list"), QStringLiteral("extra")},
        h + QStringList{QStringLiteral("list"), QStringLiteral("--mode"), QStringLiteral("1")},
        h + QStringList{QStringLiteral("read")},
        h + QStringList{QStringLiteral("read"), QStringLiteral("abc")},
        h + QStringList{QStringLiteral("read"), QStringLiteral("0")},
        h + QStringList{QStringLiteral("read"), QStringLiteral("99999")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--mode"),
                        QStringLiteral("6")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--mode")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--first"),
                        QStringLiteral("--latest")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--page"),
                        QStringLiteral("0")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--next"),
                        QStringLiteral("-1")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--next"),
                        QStringLiteral("1"), QStringLiteral("--previous"), QStringLiteral("1")},
        h + QStringList{QStringLiteral("read"), number, QStringLiteral("--bogus\nsecond line")},
        h + QStringList{QStringLiteral("export"), QStringLiteral("doc"), number,
                        QStringLiteral("--out"), out.path()},
        h + QStringList{QStringLiteral("export"), QStringLiteral("txt"), number},
        h + QStringList{QStringLiteral("export"), QStringLiteral("txt"), number,
                        QStringLiteral("--out"), out.path() + QStringLiteral("/missing")},
        h + QStringList{QStringLiteral("export"), QStringLiteral("txt"), number,
                        QStringLiteral("--first"), QStringLiteral("5"), QStringLiteral("--last"),
                        QStringLiteral("2"), QStringLiteral("--out"), out.path()},
        h + QStringList{QStringLiteral("search")},
        {QStringLiteral("--home")},
        {QStringLiteral("--home"), empty.path() + QStringLiteral("/none"), QStringLiteral("list")},
        {QStringLiteral("--home"), empty.path(), QStringLiteral("list")},
        {QStringLiteral("--home"), empty.path(), QStringLiteral("read"), QStringLiteral("1")},
    };
    for (const QStringList& arguments : cases) {
        const CliRun run = RunCli(arguments);
        const std::string label = arguments.join(' ').toStdString();
        EXPECT_EQ(run.code, 2) << label;
        EXPECT_TRUE(run.out.isEmpty()) << label;
        EXPECT_TRUE(run.err.endsWith('\n') && run.err.count('\n') == 1)
            << label << ": " << run.err.toStdString();
    }
    // Nothing was made in a home that is not one, nor written by the failed exports.
    EXPECT_TRUE(QDir(empty.path()).isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(CliTest, NothingFoundGivesCodeOne) {
    TempHome bare;
    ASSERT_TRUE(EnsureCatalogueFile());
    QString path = bare.Path();
    path.chop(1);
    QTemporaryDir out;
    const QString number = QString::number(Follow(0).focusPageNo);
    const QList<QStringList> cases = {
        {QStringLiteral("--home"), path, QStringLiteral("list")},
        Home() + QStringList{QStringLiteral("export"), QStringLiteral("epub"), number,
                             QStringLiteral("--first"), QStringLiteral("500"),
                             QStringLiteral("--out"), out.path()},
    };
    for (const QStringList& arguments : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.code, 1) << arguments.join(QLatin1Char(' ')).toStdString()
                               << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}
