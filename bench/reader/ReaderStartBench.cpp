// Starts the reader with --quit-when-shown on homes of 0 and 200 follows (each thread file
// holding 20 pages) and reports the time from the process start to the first frame of the
// main window, as the reader measures it and as seen from outside. Offscreen; no server.
//   bench_reader_start [runs]
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// A home with `follows` permanent follows; one thread file is made and copied for the rest.
bool MakeHome(const QString& home, int follows) {
    SetProgramDirectory(home);
    if (!EnsureCatalogueFile())
        return false;
    if (follows == 0)
        return true;
    QString first;
    if (!CreateThreadDatabase(first))
        return false;
    for (int page = 1; page <= 20; ++page) {
        QList<ThreadPost> posts;
        for (int i = 0; i < 10; ++i)
            posts.append({page, QStringLiteral("作者%1").arg(i),
                          TimeText(1700000000 + page * 100 + i),
                          QStringLiteral("内容").repeated(40)});
        SavePage(first, posts, page, QStringLiteral("http://x/%1").arg(page));
    }
    for (int n = 1; n <= follows; ++n) {
        const QString file = n == 1 ? first : QStringLiteral("copy-%1.db").arg(n);
        if (n > 1 && !QFile::copy(JoinPath(home, first), JoinPath(home, file)))
            return false;
        const QString address = QStringLiteral("http://www.forum.localhost/t/%1-1.shtml").arg(n);
        if (!AddFollowedThread(address, QStringLiteral("第%1个关注的帖子").arg(n),
                               QStringLiteral("楼主"), file, 20))
            return false;
        MarkFollowPermanent(FindFollowNumber(address));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString reader = QCoreApplication::applicationDirPath() + QStringLiteral("/Quillmere");
    for (int follows : {0, 200}) {
        QTemporaryDir home;
        if (!MakeHome(home.path(), follows)) {
            std::printf("could not make a home with %d follows\n", follows);
            return 1;
        }
        QList<qint64> inside, outside;
        for (int run = 0; run < runs; ++run) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
            process.setProcessEnvironment(env);
            QElapsedTimer timer;
            timer.start();
            process.start(reader, {QStringLiteral("--home"), home.path(),
                                   QStringLiteral("--quit-when-shown")});
            if (!process.waitForFinished(60000)) {
                process.kill();
                std::printf("the reader did not finish\n");
                return 1;
            }
            const qint64 wall = timer.elapsed();
            const QByteArray out = process.readAllStandardOutput();
            const int at = out.indexOf("shown ");
            if (at < 0) {
                std::printf("no measurement: %s\n", out.constData());
                return 1;
            }
            inside.append(out.mid(at + 6).split(' ').first().toLongLong());
            outside.append(wall);
        }
        std::sort(inside.begin(), inside.end());
        std::sort(outside.begin(), outside.end());
        std::printf(
            "%3d follows: main window shown after %lld ms (median of %d; min %lld, max %lld); "
            "process start to exit %lld ms\n",
            follows, inside[runs / 2], runs, inside.first(), inside.last(), outside[runs / 2]);
    }
    return 0;
}
