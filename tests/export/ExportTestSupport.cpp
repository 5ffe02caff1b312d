#include "tests/export/ExportTestSupport.h"

#include "common/Settings.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>
#include <unzip.h>

ExportHome::ExportHome() {
    home.WriteFile(QStringLiteral("Quillmere.ini"), "[Hosts]\nMakerSiteHost=www.maker.test\n");
    ReloadHosts();
    EXPECT_TRUE(EnsureCatalogueFile());
}

int ExportHome::Follow(const QString& title, const QString& author, const QList<ThreadPost>& posts,
                       const QString& url) {
    QString db;
    EXPECT_TRUE(CreateThreadDatabase(db));
    QMap<int, QList<ThreadPost>> pages;
    for (const ThreadPost& post : posts)
        pages[post.pageNo].append(post);
    for (auto it = pages.begin(); it != pages.end(); ++it)
        EXPECT_TRUE(SavePage(db, it.value(), it.key(),
                             QStringLiteral("http://www.forum.test/p-%1.shtml").arg(it.key())));
    const QString address =
        url.isEmpty() ? QStringLiteral("http://www.forum.test/thread-%1-1.shtml").arg(++count_)
                      : url;
    EXPECT_TRUE(AddFollowedThread(address, title, author, db, static_cast<int>(pages.size())));
    const int number = FindFollowNumber(address);
    EXPECT_GT(number, 0);
    return number;
}

FollowRecord ExportHome::Record(int focusPageNo) const {
    FollowRecord follow;
    EXPECT_TRUE(ReadFollowedThread(focusPageNo, follow));
    return follow;
}

QByteArray ExportHome::ReadExport(const QString& fileName) const {
    QFile file(QDir(folder_.path()).filePath(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no export file " << fileName.toStdString();
        return {};
    }
    return file.readAll();
}

QStringList ExportHome::ExportedFiles() const {
    return QDir(folder_.path()).entryList(QDir::Files, QDir::Name);
}

ThreadPost MakePost(int page, const char* author, const char* time, const char* content) {
    return ThreadPost{page, QString::fromUtf8(author), QString::fromUtf8(time),
                      QString::fromUtf8(content)};
}

ZipEntries ReadZip(const QString& path) {
    ZipEntries entries;
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip) {
        ADD_FAILURE() << "not a zip archive: " << path.toStdString();
        return entries;
    }
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[512];
        EXPECT_EQ(unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0),
                  UNZ_OK);
        EXPECT_EQ(unzOpenCurrentFile(zip), UNZ_OK);
        QByteArray bytes(static_cast<qsizetype>(info.uncompressed_size), '\0');
        EXPECT_EQ(unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size())),
                  static_cast<int>(bytes.size()));
        EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK) << name; // checks the CRC
        const QString entry = QString::fromUtf8(name);
        entries.names.append(entry);
        entries.data.insert(entry, bytes);
        entries.stored.insert(entry, info.compression_method == 0 && info.size_file_extra == 0);
    }
    unzClose(zip);
    return entries;
}

// epubcheck's verdict: empty when the book passes without errors or warnings.
QString EpubCheckProblems(const QString& path) {
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    // The Debian package's command is the jar itself, which runs directly only where binfmt
    // support for jars is set up; java runs it everywhere.
    const QString jar = QStringLiteral("/usr/share/java/epubcheck.jar");
    if (QFile::exists(jar))
        check.start(QStringLiteral("java"), {QStringLiteral("-jar"), jar, path});
    else
        check.start(QStringLiteral("epubcheck"), {path});
    if (!check.waitForStarted(30000) || !check.waitForFinished(120000))
        return QStringLiteral("epubcheck did not run: ") + check.errorString();
    const QString output = QString::fromUtf8(check.readAll());
    const bool clean = output.contains(QStringLiteral("No errors or warnings detected"));
    return check.exitCode() == 0 && clean ? QString() : output;
}
