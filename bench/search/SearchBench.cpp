// Speed and size of the search index over 1,000,000 posts: 200 threads of 5,000 posts,
// 100 posts a page, about 100 characters a post drawn from 3,500 Chinese characters with the
// skewed frequencies of real text, a Latin word now and then. The index is built once in
// $QUILLMERE_BENCH_DIR (default: the temp folder) under "search-bench" and reused.
#include "common/ProgramDirectory.h"
#include "search/SearchIndex.h"
#include "search/SearchIndexer.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace {

constexpr int kThreads = 200;
constexpr int kPostsPerThread = 5000;
constexpr int kPostsPerPage = 100;
constexpr int kAlphabet = 3500;

QString BenchHome() {
    const QString base = qEnvironmentVariable("QUILLMERE_BENCH_DIR", QDir::tempPath());
    return base + QStringLiteral("/search-bench/");
}

// Characters by rank: rank r is U+4E00 + a fixed scatter of r, so common characters are
// spread over the block as in real text.
QChar CharOfRank(int rank) {
    return QChar(0x4E00 + (rank * 7919) % 20000);
}

class TextSource {
public:
    TextSource() : engine_(20261210) {
        double total = 0;
        for (int r = 0; r < kAlphabet; ++r)
            total += 1.0 / (r + 1);
        double sum = 0;
        cumulative_.reserve(kAlphabet);
        for (int r = 0; r < kAlphabet; ++r) {
            sum += 1.0 / (r + 1) / total;
            cumulative_.push_back(sum);
        }
    }

    QString Post(int serial) {
        std::uniform_int_distribution<int> length(20, 180);
        const int n = length(engine_);
        QString text;
        text.reserve(n + 16);
        for (int i = 0; i < n; ++i) {
            std::uniform_real_distribution<double> u(0, 1);
            const double x = u(engine_);
            const int rank = static_cast<int>(
                std::lower_bound(cumulative_.begin(), cumulative_.end(), x) - cumulative_.begin());
            text.append(CharOfRank(std::min(rank, kAlphabet - 1)));
            if (i % 37 == 36)
                text.append(QStringLiteral("，"));
            if (i % 61 == 60)
                text.append(QLatin1Char('\n'));
        }
        if (serial % 50 == 7)
            text.append(QStringLiteral(" iPhone Forum"));
        // The rare word: in 20 posts of the million.
        if (serial % 50000 == 123)
            text.append(QStringLiteral(" Quillmere"));
        return text;
    }

private:
    std::mt19937 engine_;
    std::vector<double> cumulative_;
};

QString PostTime(int thread, int post) {
    const qint64 seconds = qint64(post) * 900 + thread * 7;
    const QDateTime t = QDateTime(QDate(2008, 1, 1), QTime(0, 0), Qt::UTC).addSecs(seconds);
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QList<ThreadPost> PagePosts(TextSource& source, int thread, int page, qint64& textBytes) {
    QList<ThreadPost> posts;
    for (int i = 0; i < kPostsPerPage; ++i) {
        const int post = (page - 1) * kPostsPerPage + i;
        ThreadPost p{page, QStringLiteral("作者%1").arg((post * 31 + thread) % 997),
                     PostTime(thread, post), source.Post(thread * kPostsPerThread + post)};
        textBytes += p.content.toUtf8().size();
        posts.append(p);
    }
    return posts;
}

struct Corpus {
    qint64 textBytes = 0;
    qint64 indexBytes = 0;
    double buildSeconds = 0;
};

Corpus& TheCorpus() {
    static Corpus corpus = [] {
        Corpus c;
        QDir().mkpath(BenchHome());
        SetProgramDirectory(BenchHome());
        const QString done = BenchHome() + QStringLiteral("built");
        QFile marker(done);
        if (marker.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> parts = marker.readAll().split(' ');
            c.textBytes = parts.value(0).toLongLong();
            c.buildSeconds = parts.value(1).toDouble();
        } else {
            for (const char* name : {"ForumData.db", "SearchIndex.db"})
                QFile::remove(BenchHome() + QString::fromLatin1(name));
            EnsureCatalogueFile();
            std::fprintf(stderr, "building the index of %d posts...\n", kThreads * kPostsPerThread);
            TextSource source;
            QElapsedTimer clock;
            clock.start();
            for (int t = 0; t < kThreads; ++t) {
                const QString file = QStringLiteral("bench-%1.db").arg(t);
                AddFollowedThread(QStringLiteral("http://forum/%1").arg(t),
                                  QStringLiteral("长帖%1").arg(t), QStringLiteral("楼主"), file,
                                  50);
            }
            QList<FollowRecord> follows;
            ListFollowedThreads(follows);
            // Pages arrive thread after thread, as the server fetches them.
            for (int t = 0; t < kThreads; ++t) {
                for (int page = 1; page <= kPostsPerThread / kPostsPerPage; ++page)
                    IndexPagePosts(follows[t].focusPageNo, follows[t].dbFileName, page,
                                   PagePosts(source, t, page, c.textBytes));
                if (t % 20 == 19)
                    std::fprintf(stderr, "  %d threads, %.0f s\n", t + 1, clock.elapsed() / 1000.0);
            }
            SynchroniseSearchIndex(); // marks the index complete; the thread files are absent
            c.buildSeconds = clock.elapsed() / 1000.0;
            if (marker.open(QIODevice::WriteOnly))
                marker.write(QByteArray::number(c.textBytes) + ' ' +
                             QByteArray::number(c.buildSeconds));
        }
        c.indexBytes = QFileInfo(BenchHome() + kSearchIndexName).size();
        std::fprintf(stderr,
                     "index %.1f MB for %.1f MB of post text (%.2f x; the index keeps a copy of "
                     "the text), built in %.0f s\n",
                     c.indexBytes / 1e6, c.textBytes / 1e6,
                     static_cast<double>(c.indexBytes) / static_cast<double>(c.textBytes),
                     c.buildSeconds);
        return c;
    }();
    return corpus;
}

void Search(benchmark::State& state, const QString& words, int thread) {
    TheCorpus();
    SearchRequest request;
    request.words = words;
    request.focusPageNo = thread;
    qsizetype hits = 0;
    for (auto _ : state) {
        const SearchAnswer answer = SearchPosts(request);
        hits = answer.hits.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

const QString kCommonPair = QString(CharOfRank(0)) + CharOfRank(1);
const QString kMediumPair = QString(CharOfRank(30)) + CharOfRank(40);
const QString kRarePair = QString(CharOfRank(3000)) + CharOfRank(3400);

void BM_Search(benchmark::State& state, int which) {
    switch (which) {
    case 0:
        Search(state, kCommonPair, 0);
        break;
    case 1:
        Search(state, kMediumPair, 0);
        break;
    case 2:
        Search(state, kRarePair, 0);
        break;
    case 3:
        Search(state, QString(CharOfRank(5)), 0);
        break;
    case 4:
        Search(state, QStringLiteral("quillmere"), 0);
        break;
    case 5:
        Search(state, QStringLiteral("\"iphone forum\""), 0);
        break;
    case 6:
        Search(state, kCommonPair + CharOfRank(2) + CharOfRank(3), 0);
        break;
    case 7:
        Search(state, kMediumPair, 57);
        break;
    default:
        break;
    }
}
BENCHMARK_CAPTURE(BM_Search, two_chars_common, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, two_chars_medium, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, two_chars_rare, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, one_char, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, rare_word, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, latin_phrase, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, four_chars, 6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, two_chars_one_thread, 7)->Unit(benchmark::kMillisecond);

// What indexing adds to storing a 100-post page, beside storing the page alone:
// - with_indexer: what the server does, handing the page to its indexer thread (the
//   indexing itself runs beside the next pages, as in the server);
// - indexed_at_once: reading the page back and indexing it into the full index on the
//   storing thread, which is the indexer's work per page.
enum class Indexing { None, Indexer, AtOnce };

void BM_StorePage(benchmark::State& state, Indexing indexing) {
    TheCorpus();
    QString file;
    CreateThreadDatabase(file);
    AddFollowedThread(QStringLiteral("http://forum/new-") + file, QStringLiteral("新帖"),
                      QStringLiteral("楼主"), file, 1);
    const int follow = FindFollowNumber(QStringLiteral("http://forum/new-") + file);
    TextSource source;
    qint64 bytes = 0;
    int page = 0;
    {
        std::unique_ptr<SearchIndexer> indexer;
        if (indexing == Indexing::Indexer)
            indexer = std::make_unique<SearchIndexer>();
        for (auto _ : state) {
            state.PauseTiming();
            ++page;
            QList<ThreadPost> posts = PagePosts(source, 500, page, bytes);
            state.ResumeTiming();
            SavePage(file, posts, page, QStringLiteral("http://forum/p%1").arg(page));
            if (indexing == Indexing::Indexer)
                SearchIndexer::PageStored(follow, file, page);
            else if (indexing == Indexing::AtOnce)
                IndexStoredPage(follow, file, page);
        }
        if (indexer)
            indexer->Flush();
    }
    // Leave the index as it was for the next run.
    RemoveThreadFromIndex(follow);
    DeleteFollowedThread(follow);
    QFile::remove(BenchHome() + file);
}
BENCHMARK_CAPTURE(BM_StorePage, without_index, Indexing::None)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK_CAPTURE(BM_StorePage, with_indexer, Indexing::Indexer)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK_CAPTURE(BM_StorePage, indexed_at_once, Indexing::AtOnce)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

// What the reader's synchronisation at start costs when the index is up to date: 200
// follows of 50 stored pages each (in a home of its own).
void BM_SynchroniseUpToDate(benchmark::State& state) {
    TheCorpus();
    QTemporaryDir dir(BenchHome() + QStringLiteral("../sync-XXXXXX"));
    SetProgramDirectory(dir.path());
    EnsureCatalogueFile();
    for (int t = 0; t < kThreads; ++t) {
        QString file;
        CreateThreadDatabase(file);
        DbRowList pages;
        for (int p = 1; p <= 50; ++p)
            pages.append(DbRow{QString::number(p), QStringLiteral("http://forum/%1").arg(p)});
        DbError error;
        InsertRows(pages, file, QStringLiteral("PageInfo"), false, 2, kDbLockWaitSeconds, error);
        AddFollowedThread(QStringLiteral("http://forum/t%1").arg(t), QStringLiteral("帖%1").arg(t),
                          QStringLiteral("楼主"), file, 50);
    }
    SearchSyncReport report;
    SynchroniseSearchIndex(&report); // indexes the 10,000 pages once
    for (auto _ : state) {
        SynchroniseSearchIndex(&report);
        benchmark::DoNotOptimize(report.pagesIndexed);
    }
    state.counters["pagesIndexed"] = report.pagesIndexed;
    SetProgramDirectory(BenchHome());
}
BENCHMARK(BM_SynchroniseUpToDate)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
