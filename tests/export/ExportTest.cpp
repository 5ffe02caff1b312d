#include "reader/export/ExportThreads.h"
#include "store/ThreadDatabase.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray Fixture(const QString& name) {
    QFile file(FixturePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// The small thread of the hand-written fixtures: two posts of the starter, one of someone else.
QList<ThreadPost> SmallThread() {
    return {MakePost(1, "楼主甲", "2020-03-01 08:00:00", "第一段\n第二段"),
            MakePost(1, "路人乙", "2020-03-01 09:00:00", "路过"),
            MakePost(2, "楼主甲", "2020-03-02 10:00:00", "a < b && c > \"d\"")};
}

// Runs a text command with scripted answers and records what the user would see.
struct ScriptedExport {
    explicit ScriptedExport(ExportHome& home) : folder(home.Folder()) {}

    ExportSeams Seams() {
        ExportSeams seams;
        seams.chooseFolder = [this] {
            ++folderQuestions;
            return folder;
        };
        seams.chooseRange = [this](const FollowRecord& follow) -> std::optional<ExportRange> {
            rangeQuestions.append(follow.focusPageNo);
            if (ranges.isEmpty())
                return ExportRange{};
            return ranges.takeFirst();
        };
        seams.notify = [this](const QString& text) { notices.append(text); };
        seams.progress = [this](const FollowRecord&, int done, int total) {
            progress.append({done, total});
        };
        return seams;
    }

    QString folder;
    QList<std::optional<ExportRange>> ranges; // answers in turn; default range when used up
    int folderQuestions = 0;
    QList<int> rangeQuestions;
    QStringList notices;
    QList<std::pair<int, int>> progress;
};

TEST(ExportFormatTest, TextAndHtmlExportsMatchTheHandWrittenFilesByteForByte) {
    ExportHome home;
    const int n = home.Follow(U("春天的故事 & <续>"), U("楼主甲"), SmallThread(),
                              U("http://www.forum.test/post-free-42-1.shtml?a=1&b=\"2\""));
    const QStringList starter{U("楼主甲")};
    EXPECT_EQ(ExportPosts(ExportKind::Text, starter, n, 1, 10000, home.Folder()), 2);
    EXPECT_EQ(ExportPosts(ExportKind::Html, starter, n, 1, 10000, home.Folder()), 2);
    EXPECT_EQ(home.ExportedFiles(),
              (QStringList{U("春天的故事 & 续.html"), U("春天的故事 & 续.txt")}));
    EXPECT_EQ(home.ReadExport(U("春天的故事 & 续.txt")),
              Fixture(QStringLiteral("export-small.txt")));
    EXPECT_EQ(home.ReadExport(U("春天的故事 & 续.html")),
              Fixture(QStringLiteral("export-small.html")));
}

TEST(ExportFormatTest, MarkupInAPostIsWrittenAsTextNeverAsMarkup) {
    ExportHome home;
    const int n =
        home.Follow(U("<script>document.title=1</script>"), U("甲"),
                    {MakePost(1, "甲", "2020-01-01 00:00:00",
                              "<script>alert(\"x\")</script><img src=x onerror=alert(1)>"),
                     MakePost(1, "甲\"><b>", "2020-01-01 00:00:01", "b")},
                    U("http://x.test/\"><script>alert(2)</script>"));
    EXPECT_EQ(ExportPosts(ExportKind::Html, {U("甲"), U("甲\"><b>")}, n, 1, 1, home.Folder()), 2);
    const QString html = QString::fromUtf8(home.ReadExport(U("scriptdocument.title=1script.html")));
    EXPECT_FALSE(html.contains(QLatin1String("<script"))) << html.toStdString();
    EXPECT_FALSE(html.contains(QLatin1String("<img"))) << html.toStdString();
    EXPECT_FALSE(html.contains(QLatin1String("<b>"))) << html.toStdString();
    EXPECT_TRUE(
        html.contains(QLatin1String("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&lt;img "
                                    "src=x onerror=alert(1)&gt;<br><div class=\"sign\">")));
    EXPECT_TRUE(
        html.contains(U("<h2 class=\"name\">&lt;script&gt;document.title=1&lt;/script&gt;</h2>")));
    EXPECT_TRUE(html.contains(U("作者：甲&quot;&gt;&lt;b&gt;&nbsp;")));
    // The text file keeps the post exactly as stored.
    EXPECT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, n, 1, 1, home.Folder()), 1);
    EXPECT_TRUE(home.ReadExport(U("scriptdocument.title=1script.txt"))
                    .contains("\n<script>alert(\"x\")</script><img src=x onerror=alert(1)>\n"));
}

TEST(ExportFileNameTest, ForbiddenCharactersEmptyAndOverlongTitles) {
    struct Case {
        const char* title;
        ExportKind kind;
        const char* expected;
    } cases[] = {
        {"问题?答案:是", ExportKind::Text, "问题答案是.txt"},
        {"a\\b/c:d*e?f\"g<h>i|j", ExportKind::Html, "abcdefghij.html"},
        {"?:*", ExportKind::Text, "77.txt"},
        {"", ExportKind::Html, "77.html"},
        {" 空格 ", ExportKind::Text, " 空格 .txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportFileName(U(c.title), 77, c.kind), U(c.expected)) << c.title;

    // 100 Chinese characters are 300 bytes: cut to the 255 a file name may have, whole
    // characters only, also for characters outside the basic plane.
    const QString longTitle = QString(100, QChar(0x4e2d));
    const QString name = ExportFileName(longTitle, 1, ExportKind::Html);
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_GT(name.toUtf8().size(), 245);
    EXPECT_TRUE(name.endsWith(QLatin1String(".html")));
    QString wide;
    for (int i = 0; i < 70; ++i)
        wide += QString::fromUcs4(U"\U0001F600");
    const QString cut = ExportFileName(wide, 1, ExportKind::Text);
    EXPECT_LE(cut.toUtf8().size(), 255);
    EXPECT_FALSE(cut.contains(QChar(0xFFFD)));
    EXPECT_EQ(cut.toUcs4().size(), 62 + 4);
}

// The export command's cases, each on a fresh home.
TEST(ExportThreadTextTest, EdgeCases) {
    struct Case {
        const char* name;
        ExportKind kind;
        std::optional<ExportRange> range;
        QStringList chosenPeople; // stored as list 2 before the export
        const char* title;
        const char* file;
        const char* notice;
        QByteArray mustContain; // in the file
        QByteArray mustNotContain;
    };
    const QList<ThreadPost> posts = {
        MakePost(0, "楼主甲", "2020-01-01 00:00:00", "零页"),
        MakePost(1, "楼主甲", "2020-01-01 01:00:00", "第一页"),
        MakePost(1, "乙", "2020-01-01 01:30:00", "乙的帖"),
        MakePost(1, "丙", "2020-01-01 01:40:00", "丙的帖"),
        MakePost(10000, "楼主甲", "2020-02-01 00:00:00", "第一万页"),
        MakePost(10001, "楼主甲", "2020-02-02 00:00:00", "超出范围"),
    };
    const Case cases[] = {
        {"defaults are pages 1 to 10000",
         ExportKind::Text,
         ExportRange{},
         {},
         "默认",
         "默认.txt",
         "已导出2个帖！",
         "第一万页",
         "超出范围"},
        {"page 0 to 0 holds the page-0 post only",
         ExportKind::Text,
         ExportRange{0, 0, true},
         {},
         "零",
         "零.txt",
         "已导出1个帖！",
         "零页",
         "第一页"},
        {"a range without stored pages gives an empty text file",
         ExportKind::Text,
         ExportRange{20, 30, true},
         {},
         "空",
         "空.txt",
         "已导出0个帖！",
         "",
         "楼主甲"},
        {"an empty HTML export is head and tail only",
         ExportKind::Html,
         ExportRange{20, 30, true},
         {},
         "空",
         "空.html",
         "已导出0个帖！",
         "</h2>",
         "class=\"title\""},
        {"question mark and colon leave the name",
         ExportKind::Text,
         ExportRange{1, 1, true},
         {},
         "问?题:",
         "问题.txt",
         "已导出1个帖！",
         "第一页",
         "乙的帖"},
        {"the chosen people, not the starter",
         ExportKind::Text,
         ExportRange{1, 1, false},
         {U("丙"), U("乙")},
         "人",
         "人.txt",
         "已导出2个帖！",
         "乙的帖",
         "第一页"},
        {"an empty chosen-people list writes no post",
         ExportKind::Text,
         ExportRange{1, 10000, false},
         {},
         "无人",
         "无人.txt",
         "已导出0个帖！",
         "",
         "作者"},
        {"two-line content joined by <br> in HTML",
         ExportKind::Html,
         ExportRange{1, 1, true},
         {},
         "两行",
         "两行.html",
         "已导出1个帖！",
         "",
         ""},
        {"a title empty after the removal takes the follow number",
         ExportKind::Text,
         ExportRange{1, 1, true},
         {},
         "?*",
         nullptr,
         "已导出1个帖！",
         "第一页",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportHome home;
        QList<ThreadPost> threadPosts = posts;
        if (QByteArray(c.title) == "两行")
            threadPosts[1].content = U("上一行\n下一行");
        const int n = home.Follow(U(c.title), U("楼主甲"), threadPosts);
        if (!c.chosenPeople.isEmpty()) {
            ASSERT_TRUE(SaveSomeBodyList(home.Record(n).dbFileName, c.chosenPeople, 2));
        }
        ScriptedExport run(home);
        run.ranges = {c.range};
        ExportThreadText(c.kind, {home.Record(n)}, run.Seams());
        EXPECT_EQ(run.notices, QStringList{U(c.notice)});
        const QString file = c.file ? U(c.file) : QString::number(n) + QStringLiteral(".txt");
        ASSERT_EQ(home.ExportedFiles(), QStringList{file});
        const QByteArray bytes = home.ReadExport(file);
        if (!QByteArray(c.mustContain).isEmpty()) {
            EXPECT_TRUE(bytes.contains(c.mustContain)) << bytes.toStdString();
        }
        if (!QByteArray(c.mustNotContain).isEmpty()) {
            EXPECT_FALSE(bytes.contains(c.mustNotContain)) << bytes.toStdString();
        }
        if (QByteArray(c.title) == "空" && c.kind == ExportKind::Text) {
            EXPECT_TRUE(bytes.isEmpty());
        }
        if (QByteArray(c.title) == "两行") {
            EXPECT_TRUE(
                bytes.contains("<div class=\"content\">上一行<br>下一行<br><div class=\"sign\">"))
                << bytes.toStdString();
        }
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
        EXPECT_FALSE(bytes.contains('\r'));
    }
}

TEST(ExportThreadTextTest, OneFolderQuestionPerCommandAndARangeQuestionPerThread) {
    ExportHome home;
    const int a =
        home.Follow(U("同名"), U("楼主甲"), {MakePost(1, "楼主甲", "2020-01-01 00:00:00", "甲一")});
    const int b =
        home.Follow(U("跳过"), U("楼主甲"), {MakePost(1, "楼主甲", "2020-01-01 00:00:00", "跳")});
    const int c = home.Follow(U("同名"), U("楼主乙"),
                              {MakePost(1, "楼主乙", "2020-01-01 00:00:00", "乙一"),
                               MakePost(2, "楼主乙", "2020-01-02 00:00:00", "乙二")});
    ScriptedExport run(home);
    run.ranges = {ExportRange{}, std::nullopt, ExportRange{}};
    ExportThreadText(ExportKind::Text, {home.Record(a), home.Record(b), home.Record(c)},
                     run.Seams());
    EXPECT_EQ(run.folderQuestions, 1);
    EXPECT_EQ(run.rangeQuestions, (QList<int>{a, b, c}));
    // The cancelled range skips its thread only; the second thread of one title replaces the first.
    EXPECT_EQ(run.notices, (QStringList{U("已导出1个帖！"), U("已导出2个帖！")}));
    EXPECT_EQ(home.ExportedFiles(), QStringList{U("同名.txt")});
    const QByteArray bytes = home.ReadExport(U("同名.txt"));
    EXPECT_TRUE(bytes.contains("乙二"));
    EXPECT_FALSE(bytes.contains("甲一"));
}

TEST(ExportThreadTextTest, CancelledFolderAndUnreadableRowEndTheCommand) {
    ExportHome home;
    const int a = home.Follow(U("一"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "x")});
    const int b = home.Follow(U("二"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "y")});
    {
        ScriptedExport run(home);
        run.folder.clear();
        ExportThreadText(ExportKind::Text, {home.Record(a), home.Record(b)}, run.Seams());
        EXPECT_EQ(run.folderQuestions, 1);
        EXPECT_TRUE(run.rangeQuestions.isEmpty());
        EXPECT_TRUE(run.notices.isEmpty());
    }
    {
        FollowRecord gone = home.Record(a);
        gone.focusPageNo = 9999; // no such catalogue row
        ScriptedExport run(home);
        ExportThreadText(ExportKind::Html, {gone, home.Record(b)}, run.Seams());
        EXPECT_EQ(run.notices, QStringList{U("读参数失败！")});
        EXPECT_TRUE(run.rangeQuestions.isEmpty());
    }
    EXPECT_TRUE(home.ExportedFiles().isEmpty());
}

TEST(ExportPostsTest, AFailedExportLeavesTheEarlierFileAndReportsNothing) {
    ExportHome home;
    const int good =
        home.Follow(U("同题"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "旧内容")});
    ASSERT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, good, 1, 10, home.Folder()), 1);
    const QByteArray before = home.ReadExport(U("同题.txt"));

    // A thread whose database file is damaged cannot be read.
    const int broken =
        home.Follow(U("同题"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "新")});
    QFile db(home.home.File(home.Record(broken).dbFileName));
    ASSERT_TRUE(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
    db.write(QByteArray(4096, 'x'));
    db.close();
    EXPECT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, broken, 1, 10, home.Folder()), 0);
    EXPECT_EQ(home.ReadExport(U("同题.txt")), before);
    EXPECT_EQ(home.ExportedFiles(), QStringList{U("同题.txt")});

    // An unknown follow and a folder that cannot take files report 0 as well.
    EXPECT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, 4242, 1, 10, home.Folder()), 0);
    EXPECT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, good, 1, 10,
                          home.Folder() + QStringLiteral("/missing/folder")),
              0);
}

TEST(ExportPostsTest, ProgressClimbsPerStepAndEndsOnlyWhenTheFileIsComplete) {
    ExportHome home;
    QList<ThreadPost> posts;
    for (int page = 1; page <= 45; ++page)
        posts.append(MakePost(page, "甲", "2020-01-01 00:00:00", "p"));
    posts.append(MakePost(100, "甲", "2020-01-01 00:00:00", "outside"));
    const int n = home.Follow(U("进度"), U("甲"), posts);
    QList<std::pair<int, int>> seen;
    EXPECT_EQ(ExportPosts(ExportKind::Text, {U("甲")}, n, 1, 50, home.Folder(),
                          [&seen](int done, int total) {
                              seen.append({done, total});
                          }),
              45);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last(), (std::pair<int, int>{45, 45}));
    for (qsizetype i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_LT(seen[i].first, 45);
        EXPECT_LE(seen[i].first, seen[i + 1].first);
    }
    EXPECT_GE(seen.size(), 3);
    // Every page of the range is there once, in order.
    const QByteArray bytes = home.ReadExport(U("进度.txt"));
    int last = 0;
    for (int page = 1; page <= 45; ++page) {
        const int at = static_cast<int>(bytes.indexOf(U("第%1页 ").arg(page).toUtf8()));
        EXPECT_GT(at, last - 1) << page;
        last = at;
    }
    EXPECT_EQ(bytes.count("【Fenwold整理"), 45);
}

TEST(ExportThreadPicturesTest, OneFolderQuestionAndANoticePerThread) {
    ExportHome home;
    const int a = home.Follow(U("图一"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "x")});
    const int b = home.Follow(U("图二"), U("甲"), {MakePost(1, "甲", "2020-01-01 00:00:00", "y")});
    const QString db = home.Record(a).dbFileName;
    const QList<ThreadPicture> pictures = {
        {1, U("甲"), U("2020-01-01 00:00:00"), 0, U("http://img.test/a.png")},
        {1, U("甲"), U("2020-01-01 00:00:00"), 1, U("http://img.test/b.jpg")},
        {1, U("甲"), U("2020-01-01 00:00:00"), 2, U("http://img.test/c.gif")}};
    ASSERT_TRUE(SaveImageData(db, pictures));
    ASSERT_TRUE(WriteImageData(db, U("http://img.test/a.png"), QByteArray("PNGDATA")));
    ASSERT_TRUE(WriteImageData(db, U("http://img.test/b.jpg"), QByteArray("JPGDATA")));
    FollowRecord gone = home.Record(b);
    gone.focusPageNo = 5555;

    ScriptedExport run(home);
    ExportThreadPictures({home.Record(a), gone, home.Record(b)}, run.Seams());
    EXPECT_EQ(run.folderQuestions, 1);
    EXPECT_EQ(run.notices,
              (QStringList{U("已导出2张图片！"), U("已导出0张图片！"), U("已导出0张图片！")}));
    EXPECT_EQ(home.ExportedFiles().size(), 2);

    ScriptedExport cancelled(home);
    cancelled.folder.clear();
    ExportThreadPictures({home.Record(a), home.Record(b)}, cancelled.Seams());
    EXPECT_TRUE(cancelled.notices.isEmpty());
}

} // namespace
