// Export speed: a 2000-page thread of 200,000 posts to TXT, to HTML and to EPUB, in a temporary
// home (or under $QUILLMERE_BENCH_DIR). MB/s counts the bytes of the file written.
#include "common/ProgramDirectory.h"
#include "reader/export/ExportEpub.h"
#include "reader/export/ExportPosts.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <optional>

namespace {

constexpr int kPages = 2000;
constexpr int kPostsPerPage = 100;
constexpr int kAuthors = 37;

// About 1 KB of mixed CJK and ASCII text in two lines, different per post, with the characters
// the HTML export escapes.
QString PostText(int page, int index) {
    QString text = QStringLiteral("第%1页第%2楼 ").arg(page).arg(index);
    while (text.toUtf8().size() < 500)
        text += QStringLiteral("天涯社区的长帖子 it's a \"long\" thread; <reply> & ");
    text += QLatin1Char('\n');
    while (text.toUtf8().size() < 1000)
        text += QStringLiteral("第二行的内容，继续写下去。 ");
    return text;
}

struct BenchThread {
    QTemporaryDir dir;
    QString exportFolder;
    int focusPageNo = 0;
    QStringList authors;
};

BenchThread& Thread() {
    static BenchThread* thread = [] {
        const QString base = qEnvironmentVariable("QUILLMERE_BENCH_DIR", QDir::tempPath());
        QDir().mkpath(base);
        auto* t = new BenchThread{
            QTemporaryDir(base + QStringLiteral("/bench_export-XXXXXX")), {}, 0, {}};
        SetProgramDirectory(t->dir.path());
        EnsureCatalogueFile();
        t->exportFolder = t->dir.filePath(QStringLiteral("out"));
        QDir().mkpath(t->exportFolder);
        const auto start = std::chrono::steady_clock::now();
        QString db;
        CreateThreadDatabase(db);
        for (int page = 1; page <= kPages; ++page) {
            QList<ThreadPost> posts;
            posts.reserve(kPostsPerPage);
            for (int i = 0; i < kPostsPerPage; ++i)
                posts.append(ThreadPost{page, QStringLiteral("作者%1").arg(i % kAuthors),
                                        QStringLiteral("2020-%1-%2 %3:%4:00")
                                            .arg(1 + page % 12, 2, 10, QLatin1Char('0'))
                                            .arg(1 + page % 28, 2, 10, QLatin1Char('0'))
                                            .arg(i / 60, 2, 10, QLatin1Char('0'))
                                            .arg(i % 60, 2, 10, QLatin1Char('0')),
                                        PostText(page, i)});
            SavePage(db, posts, page,
                     QStringLiteral("http://forum.example/post-%1.shtml").arg(page));
        }
        const QString address = QStringLiteral("http://forum.example/post-1.shtml");
        AddFollowedThread(address, QStringLiteral("两千页的长帖"), QStringLiteral("作者0"), db,
                          kPages);
        t->focusPageNo = FindFollowNumber(address);
        for (int i = 0; i < kAuthors; ++i)
            t->authors.append(QStringLiteral("作者%1").arg(i));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "set-up: %d pages, %d posts stored in %.1f s, database %.0f MB\n",
                     kPages, kPages * kPostsPerPage, seconds,
                     QFileInfo(t->dir.filePath(db)).size() / 1e6);
        return t;
    }();
    return *thread;
}

// `kind` empty: the EPUB book.
void Export(benchmark::State& state, std::optional<ExportKind> kind) {
    BenchThread& t = Thread();
    int posts = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        posts = kind ? ExportPosts(*kind, t.authors, t.focusPageNo, 1, 10000, t.exportFolder)
                     : ExportEpub(t.authors, t.focusPageNo, 1, 10000, t.exportFolder);
        state.PauseTiming();
        const QString name = !kind ? QStringLiteral("/两千页的长帖.epub")
                             : *kind == ExportKind::Text ? QStringLiteral("/两千页的长帖.txt")
                                                         : QStringLiteral("/两千页的长帖.html");
        bytes += QFileInfo(t.exportFolder + name).size();
        state.ResumeTiming();
    }
    if (posts != kPages * kPostsPerPage)
        state.SkipWithError("not every post was exported");
    state.SetBytesProcessed(bytes);
    state.counters["posts"] = posts;
    state.counters["file_MB"] = state.iterations() ? bytes / 1e6 / state.iterations() : 0;
}

void BM_ExportText(benchmark::State& state) {
    Export(state, ExportKind::Text);
}
void BM_ExportHtml(benchmark::State& state) {
    Export(state, ExportKind::Html);
}

void BM_ExportEpub(benchmark::State& state) {
    Export(state, std::nullopt);
}

BENCHMARK(BM_ExportText)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ExportEpub)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
