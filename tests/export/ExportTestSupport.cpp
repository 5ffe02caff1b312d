#include "tests/export/ExportTestSupport.h"

#include "common/Settings.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

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
