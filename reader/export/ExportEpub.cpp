#include "reader/export/ExportEpub.h"

#include "common/Log.h"
#include "common/Utilities.h"
#include "reader/export/PageSpans.h"
#include "reader/export/ZipWriter.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QTimeZone>

#include <algorithm>

namespace {

const QString kXhtmlHead = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
    "xml:lang=\"zh\" lang=\"zh\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>");
const QString kStyleLink =
    QStringLiteral("</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n"
                   "</head>\n<body>\n");
const QByteArray kStyle = QByteArrayLiteral(
    "body { line-height: 1.6; }\nh1 { text-align: center; font-size: 1.3em; }\n"
    ".post { margin: 0 0 1.5em 0; }\n.head { color: #080; font-size: 0.9em; margin: 0; }\n"
    ".content { margin: 0.3em 0; }\n.picture { text-align: center; margin: 0.5em 0; }\n"
    ".picture img { max-width: 100%; }\n");
const QByteArray kContainer = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
    "<rootfiles>\n<rootfile full-path=\"OEBPS/content.opf\" "
    "media-type=\"application/oebps-package+xml\"/>\n</rootfiles>\n</container>\n");

// The forum shows its times in China's time.
const QTimeZone kForumZone(8 * 3600);

struct BookPicture {
    QString href; // "images/<n>.<ext>", empty when the picture cannot go into the book
    QString mediaType;
};

struct Chapter {
    int pageNo;
    QString href;
};

// A stored post time, in the forum's time; invalid when it is not one.
QDateTime PostTime(const QString& text) {
    const QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return time.isValid() ? QDateTime(time.date(), time.time(), kForumZone) : QDateTime();
}

QString PostKey(int pageNo, const QString& author, const QString& time) {
    return QString::number(pageNo) + QChar(0x1f) + author + QChar(0x1f) + time;
}

// The media type of the picture bytes among the types every reading system shows; other
// readable formats are converted to PNG.
bool BookImage(QByteArray& bytes, QString& mediaType, QString& extension) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
        mediaType = QStringLiteral("image/png");
        extension = QStringLiteral("png");
        return true;
    }
    if (bytes.startsWith("\xff\xd8\xff")) {
        mediaType = QStringLiteral("image/jpeg");
        extension = QStringLiteral("jpg");
        return true;
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        mediaType = QStringLiteral("image/gif");
        extension = QStringLiteral("gif");
        return true;
    }
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    bytes = png;
    mediaType = QStringLiteral("image/png");
    extension = QStringLiteral("png");
    return true;
}

QByteArray Xhtml(const QString& title, const QString& body) {
    return (kXhtmlHead + EscapeXml(title) + kStyleLink + body +
            QStringLiteral("</body>\n</html>\n"))
        .toUtf8();
}

// The book's writer: chapters and pictures go into the archive as they are read; the package
// document and the table of contents, which list them all, come last.
class EpubWriter {
public:
    EpubWriter(const FollowRecord& follow, const QString& path) : follow_(follow), zip_(path) {}

    // `entryTime` dates the archive's entries.
    bool Begin(const QDateTime& entryTime) {
        if (!zip_.Open())
            return false;
        zip_.SetEntryTime(entryTime);
        // The first entry, stored, so that the file identifies itself.
        return zip_.Add(QStringLiteral("mimetype"), QByteArrayLiteral("application/epub+zip"),
                        true) &&
               zip_.Add(QStringLiteral("META-INF/container.xml"), kContainer) &&
               zip_.Add(QStringLiteral("OEBPS/style.css"), kStyle);
    }

    // One chapter of the posts of one page, each followed by its pictures.
    bool AddPage(int pageNo, const QList<const ThreadPost*>& posts,
                 const QHash<QString, QStringList>& picturesOfPost) {
        const QString heading = QStringLiteral("第%1页").arg(pageNo);
        QString body = QStringLiteral("<h1>") + heading + QStringLiteral("</h1>\n");
        for (const ThreadPost* post : posts) {
            // Stored times sort as text; only the newest one is parsed, at the end.
            if (post->time > newestTime_)
                newestTime_ = post->time;
            body += QStringLiteral("<div class=\"post\">\n<p class=\"head\">作者：");
            body += EscapeXml(post->author);
            body += QStringLiteral("　发表日期：");
            body += EscapeXml(post->time);
            body += QStringLiteral("</p>\n<p class=\"content\">");
            body += EscapeXml(post->content).replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
            body += QStringLiteral("</p>\n");
            const QString key = PostKey(post->pageNo, post->author, post->time);
            for (const QString& address : picturesOfPost.value(key)) {
                const QString href = Picture(address);
                if (href.isEmpty())
                    continue;
                body += QStringLiteral("<div class=\"picture\"><img src=\"") + href +
                        QStringLiteral("\" alt=\"图片\"/></div>\n");
            }
            body += QStringLiteral("</div>\n");
        }
        const QString href = QStringLiteral("page-%1.xhtml").arg(pageNo);
        chapters_.append(Chapter{pageNo, href});
        return !failed_ && zip_.Add(QStringLiteral("OEBPS/") + href, Xhtml(heading, body));
    }

    bool Finish() {
        if (failed_ || !zip_.Add(QStringLiteral("OEBPS/nav.xhtml"), Navigation()) ||
            !zip_.Add(QStringLiteral("OEBPS/content.opf"), Package()))
            return false;
        return zip_.Commit();
    }

    int Pictures() const { return static_cast<int>(pictureOrder_.size()); }

private:
    // The picture's place in the book, added on its first use; empty when it is not downloaded
    // or not a picture.
    QString Picture(const QString& address) {
        const auto known = pictures_.constFind(address);
        if (known != pictures_.constEnd())
            return known->href;
        BookPicture picture;
        QByteArray bytes;
        QString storedExt;
        if (!ReadImageBytes(follow_.dbFileName, address, bytes, storedExt))
            Log(QStringLiteral("epub: picture not read: ") + address, LogWarn);
        QString extension;
        if (!bytes.isEmpty() && BookImage(bytes, picture.mediaType, extension)) {
            picture.href =
                QStringLiteral("images/%1.%2").arg(pictureOrder_.size() + 1).arg(extension);
            if (zip_.Add(QStringLiteral("OEBPS/") + picture.href, bytes, false))
                pictureOrder_.append(address);
            else
                failed_ = true;
        }
        pictures_.insert(address, picture);
        return failed_ ? QString() : picture.href;
    }

    QByteArray Navigation() const {
        QString body = QStringLiteral("<nav epub:type=\"toc\" id=\"toc\">\n<h1>目录</h1>\n<ol>\n");
        for (const Chapter& chapter : chapters_)
            body += QStringLiteral("<li><a href=\"%1\">第%2页</a></li>\n")
                        .arg(chapter.href)
                        .arg(chapter.pageNo);
        body += QStringLiteral("</ol>\n</nav>\n");
        return Xhtml(QStringLiteral("目录"), body);
    }

    QByteArray Package() const {
        QString title = follow_.webpageName.trimmed();
        if (EscapeXml(title).isEmpty())
            title = QString::number(follow_.focusPageNo);
        QString identifier = follow_.webpageUrl.trimmed();
        if (EscapeXml(identifier).isEmpty())
            identifier = QStringLiteral("quillmere-follow-%1").arg(follow_.focusPageNo);
        QString out =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                           "unique-identifier=\"book-id\" xml:lang=\"zh\">\n"
                           "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n");
        out += QStringLiteral("<dc:identifier id=\"book-id\">") + EscapeXml(identifier) +
               QStringLiteral("</dc:identifier>\n");
        out += QStringLiteral("<dc:title>") + EscapeXml(title) + QStringLiteral("</dc:title>\n");
        if (!EscapeXml(follow_.webpageAuthor.trimmed()).isEmpty())
            out += QStringLiteral("<dc:creator>") + EscapeXml(follow_.webpageAuthor.trimmed()) +
                   QStringLiteral("</dc:creator>\n");
        out += QStringLiteral("<dc:language>zh</dc:language>\n");
        if (!EscapeXml(follow_.webpageUrl.trimmed()).isEmpty())
            out += QStringLiteral("<dc:source>") + EscapeXml(follow_.webpageUrl.trimmed()) +
                   QStringLiteral("</dc:source>\n");
        // The book changes when a newer post is kept, so the same posts give the same book.
        QDateTime modified = PostTime(newestTime_);
        if (!modified.isValid())
            modified = QDateTime(QDate(1980, 1, 1), QTime(0, 0), kForumZone);
        out += QStringLiteral("<meta property=\"dcterms:modified\">") +
               modified.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")) +
               QStringLiteral("</meta>\n</metadata>\n<manifest>\n");
        out += QStringLiteral("<item id=\"nav\" href=\"nav.xhtml\" "
                              "media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n"
                              "<item id=\"style\" href=\"style.css\" media-type=\"text/css\"/>\n");
        for (const Chapter& chapter : chapters_)
            out += QStringLiteral("<item id=\"page-%1\" href=\"%2\" "
                                  "media-type=\"application/xhtml+xml\"/>\n")
                       .arg(chapter.pageNo)
                       .arg(chapter.href);
        for (qsizetype i = 0; i < pictureOrder_.size(); ++i) {
            const BookPicture& picture = pictures_.value(pictureOrder_[i]);
            out += QStringLiteral("<item id=\"image-%1\" href=\"%2\" media-type=\"%3\"/>\n")
                       .arg(i + 1)
                       .arg(picture.href, picture.mediaType);
        }
        out += QStringLiteral("</manifest>\n<spine>\n<itemref idref=\"nav\"/>\n");
        for (const Chapter& chapter : chapters_)
            out += QStringLiteral("<itemref idref=\"page-%1\"/>\n").arg(chapter.pageNo);
        out += QStringLiteral("</spine>\n</package>\n");
        return out.toUtf8();
    }

    FollowRecord follow_;
    ZipWriter zip_;
    QString newestTime_;
    QList<Chapter> chapters_;
    QHash<QString, BookPicture> pictures_;
    QStringList pictureOrder_;
    bool failed_ = false;
};

} // namespace

QString EscapeXml(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8 + 16);
    const QChar* data = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        switch (c) {
        case '&':
            out += QLatin1String("&amp;");
            continue;
        case '<':
            out += QLatin1String("&lt;");
            continue;
        case '>':
            out += QLatin1String("&gt;");
            continue;
        case '"':
            out += QLatin1String("&quot;");
            continue;
        case '\'':
            out += QLatin1String("&#39;");
            continue;
        case '\t':
        case '\n':
            out += data[i];
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0xfffe || c == 0xffff)
            continue;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < size && data[i + 1].isLowSurrogate()) {
                out += data[i];
                out += data[++i];
            }
            continue;
        }
        if (QChar::isLowSurrogate(c))
            continue;
        out += data[i];
    }
    return out;
}

int ExportEpub(const QStringList& authors, int focusPageNo, int firstPage, int lastPage,
               const QString& folder, const ExportProgress& progress) {
    ThreadExportPlan plan;
    if (!PlanThreadExport(focusPageNo, firstPage, lastPage, plan))
        return 0;
    const FollowRecord& follow = plan.follow;
    const QList<PageSpan>& spans = plan.spans;
    const int totalPages = plan.totalPages;
    const QSet<QString> wanted(authors.begin(), authors.end());

    const QString path =
        JoinPath(folder, ExportFileName(follow.webpageName, focusPageNo, QStringLiteral(".epub")));
    // The entries are dated by the thread's newest stored post: the same stored thread and
    // choice give the same bytes.
    ThreadPost last;
    QDateTime entryTime;
    if (ReadLastPost(follow.dbFileName, last))
        entryTime = PostTime(last.time);
    EpubWriter book(follow, path);
    if (!book.Begin(entryTime))
        return 0;

    int kept = 0;
    int pagesDone = 0;
    QList<ThreadPost> posts;
    QList<ThreadPicture> pictures;
    for (const PageSpan& span : spans) {
        if (span.storedPages == 0)
            continue;
        if (!ReadWebpageFromDB(follow.dbFileName, span.from, span.to, posts) ||
            !ListPageImages(follow.dbFileName, span.from, span.to, pictures))
            return 0;
        // Each post's pictures in their order within the post, each address once.
        std::stable_sort(
            pictures.begin(), pictures.end(),
            [](const ThreadPicture& a, const ThreadPicture& b) { return a.imgIndex < b.imgIndex; });
        QHash<QString, QStringList> picturesOfPost;
        for (const ThreadPicture& picture : pictures) {
            QStringList& list =
                picturesOfPost[PostKey(picture.pageNo, picture.author, picture.time)];
            if (!list.contains(picture.imgUrl))
                list.append(picture.imgUrl);
        }
        QList<const ThreadPost*> page;
        for (qsizetype i = 0; i < posts.size(); ++i) {
            const ThreadPost& post = posts[i];
            if (wanted.contains(post.author))
                page.append(&post);
            const bool pageEnds = i + 1 == posts.size() || posts[i + 1].pageNo != post.pageNo;
            if (pageEnds && !page.isEmpty()) {
                if (!book.AddPage(post.pageNo, page, picturesOfPost))
                    return 0;
                kept += static_cast<int>(page.size());
                page.clear();
            }
        }
        pagesDone += span.storedPages;
        if (progress)
            progress(std::min(pagesDone, totalPages - 1), totalPages);
    }
    if (kept == 0 || !book.Finish()) {
        if (kept > 0)
            Log(QStringLiteral("export file not written: ") + path, LogError);
        return 0;
    }
    if (progress)
        progress(totalPages, totalPages);
    return kept;
}
