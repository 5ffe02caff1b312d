// A second process for the store's tests: holds a database file's lock, writes or reads a
// thread file in a loop, creates thread files, or runs operations in a read-only home.
// Usage: store_test_helper <command> <home> [arguments]
#include "common/FileLock.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"

#include <QMap>

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <unistd.h>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QList<ThreadPost> PagePosts(int page, int count) {
    QList<ThreadPost> posts;
    for (int i = 0; i < count; ++i)
        posts.append(ThreadPost{
            page, QStringLiteral("作者%1").arg(i),
            QStringLiteral("2020-01-01 10:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')) + QString(),
            QStringLiteral("post %1 of page %2 '; --").arg(i).arg(page)});
    return posts;
}

int HoldLock(const QString& name) {
    FileLock lock;
    if (!lock.Lock(LockDirectory() + name, 5000))
        return 1;
    Say(QStringLiteral("locked"));
    for (;;)
        pause(); // until the test kills us
}

int Writer(const QString& dbFile, int pages, int perPage) {
    for (int page = 1; page <= pages; ++page)
        if (!SavePage(dbFile, PagePosts(page, perPage), page,
                      QStringLiteral("http://x/%1").arg(page))) {
            Say(QStringLiteral("SavePage failed at page %1").arg(page));
            return 1;
        }
    return 0;
}

int Reader(const QString& dbFile, int rounds, int perPage) {
    int sawPosts = 0;
    for (int round = 0; round < rounds; ++round) {
        QList<ThreadPost> posts;
        if (!ReadWebpageFromDB(dbFile, 1, LatestSentinelPage, posts)) {
            Say(QStringLiteral("ReadWebpageFromDB failed in round %1").arg(round));
            return 1;
        }
        QMap<int, int> perPageSeen;
        for (const ThreadPost& post : posts)
            ++perPageSeen[post.pageNo];
        for (auto it = perPageSeen.cbegin(); it != perPageSeen.cend(); ++it)
            if (it.value() != perPage) {
                Say(QStringLiteral("page %1 had %2 posts").arg(it.key()).arg(it.value()));
                return 1;
            }
        // The reader writes its own rows into the same file meanwhile.
        if (!SaveViewPosition(dbFile, QStringLiteral("作者0"),
                              QStringLiteral("2020-01-01 10:00:00"), 1, std::max(1, round))) {
            Say(QStringLiteral("SaveViewPosition failed in round %1").arg(round));
            return 1;
        }
        sawPosts = std::max(sawPosts, static_cast<int>(posts.size()));
    }
    Say(QStringLiteral("max posts seen %1").arg(sawPosts));
    return 0;
}

int Create() {
    QString name;
    if (!CreateThreadDatabase(name))
        return 1;
    Say(name);
    return 0;
}

void Report(const QString& operation, bool result) {
    Say(operation + QLatin1Char('=') + (result ? QStringLiteral("1") : QStringLiteral("0")));
}

// Runs every kind of operation once against a home this process may only read.
int ReadOnly(const QString& dbFile) {
    if (geteuid() == 0) {
        // Root writes anywhere; become an ordinary user so the home really is read-only.
        const gid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) {
            Say(QStringLiteral("cannot drop privileges"));
            return 2;
        }
    }
    QList<int> pages;
    Report(QStringLiteral("ListStoredPages"), ListStoredPages(dbFile, pages) && pages.size() == 1);
    QList<ThreadPost> posts;
    Report(QStringLiteral("ReadWebpageFromDB"),
           ReadWebpageFromDB(dbFile, 1, 1, posts) && posts.size() == 1);
    Report(QStringLiteral("SavePage"),
           SavePage(dbFile, PagePosts(2, 3), 2, QStringLiteral("http://x/2")));
    Report(QStringLiteral("SaveSomeBodyList"),
           SaveSomeBodyList(dbFile, {QStringLiteral("someone")}, 4));
    QString created;
    Report(QStringLiteral("CreateThreadDatabase"), CreateThreadDatabase(created));
    Report(QStringLiteral("ExtractImage"),
           !ExtractImage(dbFile, QStringLiteral("http://x/a.png"), PictureDirectory()).isEmpty());
    for (const LogEntry& entry : LogEntries())
        if (entry.level == LogError)
            Say(QStringLiteral("LOG:") + entry.message);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const QString command = QString::fromLocal8Bit(argv[1]);
    SetProgramDirectory(QString::fromLocal8Bit(argv[2]));
    const auto arg = [&](int i) { return i < argc ? QString::fromLocal8Bit(argv[i]) : QString(); };
    if (command == QLatin1String("hold-lock"))
        return HoldLock(arg(3));
    if (command == QLatin1String("writer"))
        return Writer(arg(3), arg(4).toInt(), arg(5).toInt());
    if (command == QLatin1String("reader"))
        return Reader(arg(3), arg(4).toInt(), arg(5).toInt());
    if (command == QLatin1String("create"))
        return Create();
    if (command == QLatin1String("read-only"))
        return ReadOnly(arg(3));
    return 2;
}
