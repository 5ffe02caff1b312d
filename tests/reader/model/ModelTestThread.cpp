#include "tests/reader/model/ModelTestThread.h"

#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QTimeZone>

#include <gtest/gtest.h>

ModelTestThread::ModelTestThread(const QString& starter, int pageCount) : starter_(starter) {
    EXPECT_TRUE(EnsureCatalogueFile());
    EXPECT_TRUE(CreateThreadDatabase(dbFile_));
    const QString address = QStringLiteral("http://bbs.example.test/thread/") + dbFile_;
    EXPECT_TRUE(
        AddFollowedThread(address, QStringLiteral("测试帖子"), starter_, dbFile_, pageCount));
    followNo_ = FindFollowNumber(address);
    EXPECT_GT(followNo_, 0);
}

QString ModelTestThread::TimeOf(int pageNo, int index) {
    static const QDateTime base(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    return base.addSecs(qint64(pageNo) * 1000 + index)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void ModelTestThread::StorePage(int pageNo, const QStringList& authors,
                                const std::function<QString(int, int)>& words) {
    QList<ThreadPost> posts;
    for (int i = 0; i < authors.size(); ++i) {
        QString content = QStringLiteral("p%1-%2").arg(pageNo).arg(i);
        if (words)
            content += words(pageNo, i);
        posts.append(ThreadPost{pageNo, authors[i], TimeOf(pageNo, i), content});
    }
    ASSERT_TRUE(SavePage(dbFile_, posts, pageNo,
                         QStringLiteral("http://bbs.example.test/page/%1").arg(pageNo)));
}

void ModelTestThread::StorePages(int first, int last,
                                 const std::function<QStringList(int)>& authorsOf,
                                 const std::function<QString(int, int)>& words) {
    DbRowList pageRows;
    DbRowList postRows;
    for (int page = first; page <= last; ++page) {
        pageRows.append(DbRow{QString::number(page),
                              QStringLiteral("http://bbs.example.test/page/%1").arg(page)});
        const QStringList authors = authorsOf(page);
        for (int i = 0; i < authors.size(); ++i) {
            QString content = QStringLiteral("p%1-%2").arg(page).arg(i);
            if (words)
                content += words(page, i);
            postRows.append(DbRow{QString::number(page), TimeOf(page, i), authors[i], content});
        }
    }
    DbError error;
    ASSERT_TRUE(InsertRows(pageRows, dbFile_, QStringLiteral("PageInfo"), false, 2, 60, error));
    ASSERT_TRUE(InsertRows(postRows, dbFile_, QStringLiteral("TieInfo"), false, 4, 60, error));
}

QList<ThreadPost> ModelTestThread::AllPosts() const {
    QList<ThreadPost> posts;
    EXPECT_TRUE(ReadWebpageFromDB(dbFile_, 1, LatestSentinelPage, posts));
    return posts;
}

ThreadPost ModelTestThread::PostAt(int pageNo, int i) const {
    QList<ThreadPost> posts;
    EXPECT_TRUE(ReadWebpageFromDB(dbFile_, pageNo, pageNo, posts));
    return i >= 0 && i < posts.size() ? posts[i] : ThreadPost();
}

PostKey KeyOf(const ReadingPost& post) {
    return {post.pageNo, post.author, post.time};
}

PostKey KeyOf(const ThreadPost& post) {
    return {post.pageNo, post.author, post.time};
}

QList<PostKey> KeysOf(const QList<ReadingPost>& posts) {
    QList<PostKey> keys;
    for (const ReadingPost& post : posts)
        keys.append(KeyOf(post));
    return keys;
}

void RecordingObserver::OnReadingEvent(const ReadingEvent& event) {
    notes.append(Note{event.Message(), event.WParam(), event.LParam()});
    if (onEvent)
        onEvent(event);
}

bool RecordingObserver::WaitFor(int message, int count, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (Count(message) < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return true;
}

int RecordingObserver::Count(int message) const {
    int n = 0;
    for (const Note& note : notes)
        n += note.message == message;
    return n;
}
