// Speed of the forum store on real files in a temporary home (or $QUILLMERE_BENCH_DIR).
#include "common/AllocatorTuning.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "store/DbAccess.h"
#include "store/DbSession.h"
#include "store/SqliteHandles.h"
#include "store/ThreadDatabase.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr int kPostsPerPage = 100;
constexpr int kPicturesPerPage = 5;
constexpr int kBigThreadPages = 2000;

QTemporaryDir& BenchHome() {
    static QTemporaryDir dir = [] {
        const QString base = qEnvironmentVariable("QUILLMERE_BENCH_DIR", QDir::tempPath());
        QDir().mkpath(base);
        return QTemporaryDir(base + QStringLiteral("/bench_store-XXXXXX"));
    }();
    static bool once = [] { return SetProgramDirectory(dir.path()); }();
    (void)once;
    return dir;
}

// About 1 KB of mixed CJK and ASCII text, different per post.
QString PostText(int page, int index) {
    QString text = QStringLiteral("第%1页第%2楼 ").arg(page).arg(index);
    while (text.toUtf8().size() < 1000)
        text += QStringLiteral("天涯社区的长帖子 it's a long thread; -- reply ");
    return text;
}

QList<ThreadPost> PagePosts(int page) {
    QList<ThreadPost> posts;
    posts.reserve(kPostsPerPage);
    for (int i = 0; i < kPostsPerPage; ++i)
        posts.append(ThreadPost{page, QStringLiteral("作者%1").arg(i % 37),
                                QStringLiteral("2020-%1-%2 %3:%4:00")
                                    .arg(1 + page % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + page % 28, 2, 10, QLatin1Char('0'))
                                    .arg(i / 60, 2, 10, QLatin1Char('0'))
                                    .arg(i % 60, 2, 10, QLatin1Char('0')),
                                PostText(page, i)});
    return posts;
}

QList<ThreadPicture> PagePictures(int page) {
    QList<ThreadPicture> pictures;
    for (int i = 0; i < kPicturesPerPage; ++i)
        pictures.append(ThreadPicture{
            page, QStringLiteral("作者%1").arg(i), QStringLiteral("2020-01-01 00:00:00"), 0,
            QStringLiteral("http://img.example/%1/%2.jpg").arg(page).arg(i)});
    return pictures;
}

void StorePage(const QString& db, int page) {
    SavePage(db, PagePosts(page), page,
             QStringLiteral("http://forum.example/post-%1.shtml").arg(page));
    SaveImageInfo(db, PagePictures(page));
    SaveImageData(db, PagePictures(page));
}

QString NewThread(const char* pragma = nullptr) {
    BenchHome();
    QString db;
    if (!CreateThreadDatabase(db))
        std::fprintf(stderr, "cannot create a thread database\n");
    if (pragma) {
        DbError error;
        ExecuteSql(QString::fromUtf8(pragma), db, error);
    }
    return db;
}

void BM_SavePage(benchmark::State& state, const char* pragma) {
    const QString db = NewThread(pragma);
    int page = 0;
    for (auto _ : state)
        StorePage(db, ++page);
    state.SetItemsProcessed(page);
}
BENCHMARK_CAPTURE(BM_SavePage, as_described, nullptr)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2)
    ->UseRealTime();
// WAL is kept in the file, but with a connection per statement every close checkpoints.
BENCHMARK_CAPTURE(BM_SavePage, wal_journal, "pragma journal_mode=WAL;")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2)
    ->UseRealTime();

// A 2000-page, 200 000-post thread, written once through one connection.
const QString& BigThread() {
    static const QString db = [] {
        const QString name = NewThread();
        SqliteConnection connection;
        sqlite3_open(DatabasePath(name).toUtf8().constData(), connection.out());
        sqlite3_exec(connection.get(), "BEGIN;", nullptr, nullptr, nullptr);
        SqliteStatement insert;
        sqlite3_prepare_v2(connection.get(), "insert into TieInfo values( ?, ?, ?, ? );", -1,
                           insert.out(), nullptr);
        SqliteStatement pageRow;
        sqlite3_prepare_v2(connection.get(), "insert into PageInfo values( ?, ? );", -1,
                           pageRow.out(), nullptr);
        for (int page = 1; page <= kBigThreadPages; ++page) {
            const QByteArray url =
                QStringLiteral("http://forum.example/post-%1.shtml").arg(page).toUtf8();
            sqlite3_bind_int(pageRow.get(), 1, page);
            sqlite3_bind_text(pageRow.get(), 2, url.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(pageRow.get());
            sqlite3_reset(pageRow.get());
            for (const ThreadPost& post : PagePosts(page)) {
                const QByteArray time = post.time.toUtf8(), author = post.author.toUtf8(),
                                 content = post.content.toUtf8();
                sqlite3_bind_int(insert.get(), 1, page);
                sqlite3_bind_text(insert.get(), 2, time.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(insert.get(), 3, author.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(insert.get(), 4, content.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_step(insert.get());
                sqlite3_reset(insert.get());
            }
        }
        insert.Finalize();
        pageRow.Finalize();
        sqlite3_exec(connection.get(), "COMMIT;", nullptr, nullptr, nullptr);
        return name;
    }();
    return db;
}

void BM_ReadTenPages(benchmark::State& state) {
    const QString& db = BigThread();
    const int first = static_cast<int>(state.range(0));
    qsizetype posts = 0;
    for (auto _ : state) {
        QList<ThreadPost> read;
        ReadWebpageFromDB(db, first, first + 9, read);
        posts = read.size();
        benchmark::DoNotOptimize(read);
    }
    state.counters["posts"] = static_cast<double>(posts);
}
BENCHMARK(BM_ReadTenPages)
    ->Arg(1000)
    ->Arg(kBigThreadPages - 9)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same work through the per-statement cycle and through one kept connection, timed in
// one run so the ratio is comparable.
template <typename Cycle, typename Kept>
void CompareWithKeptConnection(benchmark::State& state, Cycle cycle, Kept kept) {
    double cycleSeconds = 0, keptSeconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        cycle();
        auto t1 = std::chrono::steady_clock::now();
        kept();
        auto t2 = std::chrono::steady_clock::now();
        cycleSeconds += std::chrono::duration<double>(t1 - t0).count();
        keptSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cycle_us"] = cycleSeconds / n * 1e6;
    state.counters["kept_us"] = keptSeconds / n * 1e6;
    state.counters["ratio"] = keptSeconds > 0 ? cycleSeconds / keptSeconds : 0;
}

void BM_CycleVsKept_Query(benchmark::State& state) {
    const QString& db = BigThread();
    SqliteConnection connection;
    sqlite3_open(DatabasePath(db).toUtf8().constData(), connection.out());
    const QString statement = QStringLiteral("select * from PageInfo where PageNo=1234;");
    const QByteArray utf8 = statement.toUtf8();
    CompareWithKeptConnection(
        state,
        [&] {
            DbRowList rows;
            DbError error;
            QueryRows(statement, rows, error, db);
        },
        [&] {
            SqliteStatement query;
            sqlite3_prepare(connection.get(), utf8.constData(), -1, query.out(), nullptr);
            DbRowList rows;
            while (sqlite3_step(query.get()) == SQLITE_ROW) {
                DbRow row;
                row[0] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0)));
                row[1] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 1)));
                rows.append(row);
            }
            benchmark::DoNotOptimize(rows);
        });
}
BENCHMARK(BM_CycleVsKept_Query)->Unit(benchmark::kMicrosecond);

void BM_CycleVsKept_SavePage(benchmark::State& state) {
    const QString cycled = NewThread();
    const QString keptDb = NewThread();
    SqliteConnection connection;
    sqlite3_open(DatabasePath(keptDb).toUtf8().constData(), connection.out());
    int page = 0;
    CompareWithKeptConnection(
        state, [&] { StorePage(cycled, page + 1); },
        [&] {
            ++page;
            // The statements SavePage, SaveImageInfo and SaveImageData send, on one connection.
            const QString pageRow =
                QStringLiteral(
                    "insert into PageInfo values( %1, 'http://forum.example/post-%1.shtml');")
                    .arg(page);
            sqlite3_exec(connection.get(), pageRow.toUtf8().constData(), nullptr, nullptr, nullptr);
            const auto batch = [&](const QStringList& statements) {
                sqlite3_exec(connection.get(), "BEGIN;", nullptr, nullptr, nullptr);
                for (const QString& s : statements)
                    sqlite3_exec(connection.get(), s.toUtf8().constData(), nullptr, nullptr,
                                 nullptr);
                sqlite3_exec(connection.get(), "COMMIT;", nullptr, nullptr, nullptr);
            };
            QStringList posts, info, data;
            for (const ThreadPost& p : PagePosts(page))
                posts << QStringLiteral("insert into TieInfo values( '%1','%2','%3','%4' );")
                             .arg(p.pageNo)
                             .arg(p.time, p.author, QString(p.content).replace("'", "''"));
            for (const ThreadPicture& p : PagePictures(page)) {
                info << QStringLiteral("insert into ImgInfo values( '%1','%2','%3','0','%4' );")
                            .arg(p.pageNo)
                            .arg(p.author, p.time, p.imgUrl);
                data << QStringLiteral("insert into ImgData values( '%1','0','2','','' );")
                            .arg(p.imgUrl);
            }
            batch(posts);
            batch(info);
            batch(data);
        });
}
BENCHMARK(BM_CycleVsKept_SavePage)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

// Each access cycle frees its connection's memory and the C library hands it back to the
// system, to fault it in again on the next statement. The same reads with the heap kept as
// both programs keep it (a setting of the process, not of the store); registered last
// because it stays in force.
void BM_ReadTenPages_HeapKept(benchmark::State& state) {
    static const bool once = [] {
        KeepFreedMemoryForReuse();
        return true;
    }();
    (void)once;
    BM_ReadTenPages(state);
}
BENCHMARK(BM_ReadTenPages_HeapKept)
    ->Arg(1000)
    ->Arg(kBigThreadPages - 9)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
