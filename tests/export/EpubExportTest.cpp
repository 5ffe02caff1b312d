#include "reader/export/ExportEpub.h"
#include "reader/export/ExportThreads.h"
#include "store/ThreadDatabase.h"
#include "tests/export/ExportTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray ImageBytes(const char* format, QColor colour) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

int Count(const QByteArray& text, const char* what) {
    return static_cast<int>(text.count(what));
}

// A thread of four pages with hostile text and pictures in every state: the starter writes on
// pages 1, 2 and 4, someone else on pages 1 and 3.
struct PictureThread {
    explicit PictureThread(ExportHome& home) {
        const QList<ThreadPost> posts = {
            MakePost(1, "楼主<甲>", "2020-03-01 08:00:00",
                     "开篇 <script>alert(1)</script> & \"引号\" 'single'\n第二行 ]]> \x01\x1f"),
            MakePost(1, "路人乙", "2020-03-01 09:00:00", "路过，看图"),
            MakePost(2, "楼主<甲>", "2020-03-02 10:00:00", "第二页的图"),
            MakePost(3, "路人乙", "2020-03-03 11:00:00", "第三页只有路人"),
            MakePost(4, "楼主<甲>", "2020-03-04 12:30:00", "最后一页")};
        number = home.Follow(U("带图的帖子 & <标题>"), U("楼主<甲>"), posts);
        db = home.Record(number).dbFileName;
        // Page 1 starter: a PNG and a JPEG; page 1 other: the same PNG again and a picture never
        // downloaded; page 2: a BMP (converted); page 4: bytes that are no picture (left out).
        const QList<ThreadPicture> pictures = {
            {1, U("楼主<甲>"), U("2020-03-01 08:00:00"), 1, U("http://img.test/b.jpg")},
            {1, U("楼主<甲>"), U("2020-03-01 08:00:00"), 0, U("http://img.test/a.png")},
            {1, U("路人乙"), U("2020-03-01 09:00:00"), 0, U("http://img.test/a.png")},
            {1, U("路人乙"), U("2020-03-01 09:00:00"), 1, U("http://img.test/missing.png")},
            {2, U("楼主<甲>"), U("2020-03-02 10:00:00"), 0, U("http://img.test/c.bmp")},
            {4, U("楼主<甲>"), U("2020-03-04 12:30:00"), 0, U("http://img.test/junk.png")}};
        EXPECT_TRUE(SaveImageInfo(db, pictures));
        EXPECT_TRUE(SaveImageData(db, pictures));
        EXPECT_TRUE(WriteImageData(db, U("http://img.test/a.png"), ImageBytes("PNG", Qt::red)));
        EXPECT_TRUE(WriteImageData(db, U("http://img.test/b.jpg"), ImageBytes("JPEG", Qt::blue)));
        EXPECT_TRUE(WriteImageData(db, U("http://img.test/c.bmp"), ImageBytes("BMP", Qt::green)));
        EXPECT_TRUE(WriteImageData(db, U("http://img.test/junk.png"), "<html>not found</html>"));
    }
    int number = 0;
    QString db;
};

const QStringList kEveryone = {U("楼主<甲>"), U("路人乙")};

} // namespace

TEST(EpubExportTest, ABookWithPicturesPassesEpubcheckWithAChapterPerPageAndEachPictureOnce) {
    ExportHome home;
    PictureThread thread(home);
    EXPECT_EQ(ExportEpub(kEveryone, thread.number, 1, 10000, home.Folder()), 5);
    const QString fileName = U("带图的帖子 & 标题.epub");
    ASSERT_EQ(home.ExportedFiles(), QStringList{fileName});
    const QString path = QDir(home.Folder()).filePath(fileName);
    EXPECT_EQ(EpubCheckProblems(path).toStdString(), "");

    const ZipEntries zip = ReadZip(path);
    ASSERT_FALSE(zip.names.isEmpty());
    EXPECT_EQ(zip.names.first(), U("mimetype"));
    EXPECT_TRUE(zip.stored.value(U("mimetype")));
    EXPECT_EQ(zip.data.value(U("mimetype")), "application/epub+zip");

    // Four pages, four chapters, in the spine and the table of contents in page order.
    const QStringList chapters =
        zip.names.filter(QRegularExpression(U("^OEBPS/page-\\d+\\.xhtml$")));
    EXPECT_EQ(chapters.size(), 4);
    const QByteArray nav = zip.data.value(U("OEBPS/nav.xhtml"));
    EXPECT_EQ(Count(nav, "<li>"), 4);
    EXPECT_LT(nav.indexOf("page-3.xhtml"), nav.indexOf("page-4.xhtml"));
    const QByteArray opf = zip.data.value(U("OEBPS/content.opf"));
    EXPECT_EQ(Count(opf, "<itemref idref=\"page-"), 4);

    // Three pictures could go in (PNG, JPEG, the BMP as PNG), each stored once.
    const QStringList images = zip.names.filter(U("OEBPS/images/"));
    EXPECT_EQ(images.size(), 3);
    for (const QString& image : images)
        EXPECT_FALSE(QImage::fromData(zip.data.value(image)).isNull()) << image.toStdString();
    EXPECT_EQ(Count(opf, "media-type=\"image/"), 3);

    // Under their posts, in the post's order: the starter's JPEG after its PNG; the PNG again
    // under the other post of page 1.
    const QByteArray page1 = zip.data.value(U("OEBPS/page-1.xhtml"));
    EXPECT_EQ(Count(page1, "<img "), 3);
    const qsizetype png = page1.indexOf("images/1.png");
    const qsizetype jpeg = page1.indexOf("images/2.jpg");
    const qsizetype secondPost = page1.indexOf("路人乙");
    EXPECT_TRUE(png > 0 && png < jpeg && jpeg < secondPost);
    EXPECT_GT(page1.lastIndexOf("images/1.png"), secondPost);
    EXPECT_EQ(Count(zip.data.value(U("OEBPS/page-2.xhtml")), "<img src=\"images/3.png\""), 1);
    EXPECT_EQ(Count(zip.data.value(U("OEBPS/page-4.xhtml")), "<img "), 0);

    // Markup and characters XML cannot carry never reach the book as such.
    EXPECT_TRUE(page1.contains("开篇 &lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;引号&quot; "
                               "&#39;single&#39;<br/>第二行 ]]&gt; </p>"));
    EXPECT_FALSE(page1.contains("<script>"));

    // The metadata: the title, the starter as creator, the address, the newest post's time.
    EXPECT_TRUE(
        opf.contains(QString(U("<dc:title>带图的帖子 &amp; &lt;标题&gt;</dc:title>")).toUtf8()));
    EXPECT_TRUE(opf.contains(QString(U("<dc:creator>楼主&lt;甲&gt;</dc:creator>")).toUtf8()));
    EXPECT_TRUE(
        opf.contains("<dc:identifier id=\"book-id\">http://www.forum.test/thread-1-1.shtml"));
    EXPECT_TRUE(opf.contains("<meta property=\"dcterms:modified\">2020-03-04T04:30:00Z</meta>"));
}

TEST(EpubExportTest, TheStarterOnlyAndARangeLeaveOutPagesWithoutKeptPosts) {
    ExportHome home;
    PictureThread thread(home);
    EXPECT_EQ(ExportEpub({U("楼主<甲>")}, thread.number, 1, 3, home.Folder()), 2);
    const QString path = QDir(home.Folder()).filePath(U("带图的帖子 & 标题.epub"));
    EXPECT_EQ(EpubCheckProblems(path).toStdString(), "");
    const ZipEntries zip = ReadZip(path);
    EXPECT_EQ(zip.names.filter(QRegularExpression(U("^OEBPS/page-\\d+\\.xhtml$"))),
              (QStringList{U("OEBPS/page-1.xhtml"), U("OEBPS/page-2.xhtml")}));
    EXPECT_EQ(zip.names.filter(U("OEBPS/images/")).size(), 3);
    EXPECT_FALSE(zip.data.value(U("OEBPS/page-1.xhtml")).contains("路人乙"));
}

TEST(EpubExportTest, TheSameChoiceGivesTheSameBytesAndNothingKeptWritesNoBook) {
    ExportHome home;
    PictureThread thread(home);
    const QString path = QDir(home.Folder()).filePath(U("带图的帖子 & 标题.epub"));
    ASSERT_EQ(ExportEpub(kEveryone, thread.number, 1, 10000, home.Folder()), 5);
    QFile first(path);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    first.close();
    ASSERT_EQ(ExportEpub(kEveryone, thread.number, 1, 10000, home.Folder()), 5);
    QFile second(path);
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), bytes);

    // Nobody of that name, or a range with no stored page: no book, and the earlier one stays.
    EXPECT_EQ(ExportEpub({U("无名氏")}, thread.number, 1, 10000, home.Folder()), 0);
    EXPECT_EQ(ExportEpub(kEveryone, thread.number, 50, 60, home.Folder()), 0);
    EXPECT_EQ(ExportEpub(kEveryone, thread.number + 99, 1, 10000, home.Folder()), 0);
    EXPECT_EQ(home.ExportedFiles().size(), 1);
    QFile third(path);
    ASSERT_TRUE(third.open(QIODevice::ReadOnly));
    EXPECT_EQ(third.readAll(), bytes);
}

TEST(EpubExportTest, AFullDiskLeavesTheEarlierBookAndNoPartialFile) {
    ExportHome home;
    PictureThread thread(home);
    const QString path = QDir(home.Folder()).filePath(U("带图的帖子 & 标题.epub"));
    ASSERT_EQ(ExportEpub(kEveryone, thread.number, 1, 10000, home.Folder()), 5);
    const QByteArray before = home.ReadExport(U("带图的帖子 & 标题.epub"));

    // A picture of 2 MB that does not compress, against a file size limit of 1 MB.
    QByteArray big("\x89PNG\r\n\x1a\n");
    QRandomGenerator random(7);
    while (big.size() < 2 * 1024 * 1024)
        big.append(static_cast<char>(random.bounded(256)));
    ASSERT_TRUE(WriteImageData(thread.db, U("http://img.test/junk.png"), big));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
    rlimit full = saved;
    full.rlim_cur = 1024 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const int written = ExportEpub(kEveryone, thread.number, 1, 10000, home.Folder());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(written, 0);
    EXPECT_EQ(home.ReadExport(U("带图的帖子 & 标题.epub")), before);
    EXPECT_EQ(QDir(home.Folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(path).fileName()});
}

TEST(EpubExportTest, TheCommandAsksLikeTheTextExportsAndReportsThePosts) {
    ExportHome home;
    PictureThread thread(home);
    QStringList notices;
    ExportSeams seams;
    seams.chooseFolder = [&home] { return home.Folder(); };
    seams.chooseRange = [](const FollowRecord&) -> std::optional<ExportRange> {
        return ExportRange{2, 4, true};
    };
    seams.notify = [&notices](const QString& text) { notices.append(text); };
    QList<std::pair<int, int>> progress;
    seams.progress = [&progress](const FollowRecord&, int done, int total) {
        progress.append({done, total});
    };
    ExportThreadEpub({home.Record(thread.number)}, seams);
    EXPECT_EQ(notices, QStringList{U("已导出2个帖！")});
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), std::make_pair(3, 3));
    EXPECT_EQ(home.ExportedFiles(), QStringList{U("带图的帖子 & 标题.epub")});
}

TEST(EscapeXmlTest, EntitiesAndCharactersXmlCannotCarry) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {U("a&b<c>d\"e'f"), U("a&amp;b&lt;c&gt;d&quot;e&#39;f")},
        {U("tab\tline\nend"), U("tab\tline\nend")},
        {QString(U("x")) + QChar(0x01) + QChar(0x0b) + QChar(0x1f) + U("y"), U("xy")},
        {QString(U("r")) + QChar(0xfffe) + QChar(0xffff) + U("s"), U("rs")},
        {QString(U("lone")) + QChar(0xd800) + U("high"), U("lonehigh")},
        {QString(U("lone")) + QChar(0xdc00) + U("low"), U("lonelow")},
        {U("😀 汉字"), U("😀 汉字")},
        {U("]]>"), U("]]&gt;")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeXml(c.in), c.out) << c.in.toStdString();
}
