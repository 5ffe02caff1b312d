// Speed and memory of the reading model on real files in a temporary home (or
// $QUILLMERE_BENCH_DIR). The thread: 2000 pages of 100 posts of about 1 KB; the starter
// "作者0" writes every 37th post, "稀客" one post in 1000 (post 50 of every tenth page).
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "reader/model/ReadingModelRegistry.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <malloc.h>

namespace {

constexpr int kPages = 2000;
constexpr int kPostsPerPage = 100;
const QString kStarter = QStringLiteral("作者0");
const QString kRareStarter = QStringLiteral("稀客");

QString PostText(int page, int index) {
    QString text = QStringLiteral("第%1页第%2楼 ").arg(page).arg(index);
    while (text.toUtf8().size() < 1000)
        text += QStringLiteral("天涯社区的长帖子 it's a long thread; -- reply ");
    return text;
}

QString Author(int page, int index) {
    if (index == 50 && page % 10 == 0)
        return kRareStarter;
    return QStringLiteral("作者%1").arg(index % 37);
}

QString TimeOf(int page, int index) {
    return QStringLiteral("2020-%1-%2 %3:%4:%5")
        .arg(1 + page / 200 % 12, 2, 10, QLatin1Char('0'))
        .arg(1 + page % 28, 2, 10, QLatin1Char('0'))
        .arg(page % 24, 2, 10, QLatin1Char('0'))
        .arg(index / 60, 2, 10, QLatin1Char('0'))
        .arg(index % 60, 2, 10, QLatin1Char('0'));
}

struct BenchThread {
    int follow = 0;     // starter "作者0"
    int rareFollow = 0; // the same file, starter "稀客"
};

// Made once: the home, the catalogue, the thread file (written in batches of 100 pages
// through the store's insert) and two follows of it.
const BenchThread& Thread() {
    static QTemporaryDir dir(qEnvironmentVariable("QUILLMERE_BENCH_DIR", QDir::tempPath()) +
                             QStringLiteral("/bench_model-XXXXXX"));
    static const BenchThread thread = [] {
        BenchThread made;
        SetProgramDirectory(dir.path());
        QString db;
        if (!EnsureCatalogueFile() || !CreateThreadDatabase(db)) {
            std::fprintf(stderr, "cannot make the thread\n");
            return made;
        }
        DbError error;
        for (int first = 1; first <= kPages; first += 100) {
            DbRowList pages, posts;
            for (int page = first; page < first + 100; ++page) {
                pages.append(DbRow{QString::number(page),
                                   QStringLiteral("http://forum.example/p-%1.shtml").arg(page)});
                for (int i = 0; i < kPostsPerPage; ++i)
                    posts.append(DbRow{QString::number(page), TimeOf(page, i), Author(page, i),
                                       PostText(page, i)});
            }
            InsertRows(pages, db, QStringLiteral("PageInfo"), false, 2, 60, error);
            InsertRows(posts, db, QStringLiteral("TieInfo"), false, 4, 60, error);
        }
        AddFollowedThread(QStringLiteral("http://forum.example/a.shtml"), QStringLiteral("t"),
                          kStarter, db, kPages);
        AddFollowedThread(QStringLiteral("http://forum.example/b.shtml"), QStringLiteral("t"),
                          kRareStarter, db, kPages);
        made.follow = FindFollowNumber(QStringLiteral("http://forum.example/a.shtml"));
        made.rareFollow = FindFollowNumber(QStringLiteral("http://forum.example/b.shtml"));
        return made;
    }();
    return thread;
}

// Quits a local event loop when the operation's result arrives.
class WaitingWindow : public ReadingObserver {
public:
    void OnReadingEvent(const ReadingEvent& event) override {
        if (event.Message() != UM_READ_OP_DONE)
            return;
        arrived = std::chrono::steady_clock::now();
        result = event.LParam();
        loop.quit();
    }
    QEventLoop loop;
    std::chrono::steady_clock::time_point arrived;
    int result = -1;
};

int ReadsLogged() {
    return static_cast<int>(LogLinesContaining(QStringLiteral("ReadWebpageFromDB")).size());
}

// From `RequestReadOperation` to `UM_READ_OP_DONE` in the requester, for one operation
// from a screen in the middle of the thread (page 1000).
void BM_Operation(benchmark::State& state, int operation, bool rare) {
    const BenchThread& thread = Thread();
    const int follow = rare ? thread.rareFollow : thread.follow;
    const int mode = static_cast<int>(state.range(0));
    ReadingModelRegistry models;
    models.OpenReadingModel(follow);
    const auto model = models.FindReadingModel(follow);
    if (!model) {
        state.SkipWithError("no model");
        return;
    }
    model->SetViewMode(mode);
    WaitingWindow window;
    models.AddModelObserver(follow, &window);
    int runs = 0;
    qsizetype posts = 0;
    for (auto _ : state) {
        model->RunReadOperation(OpGotoPage, 1000);
        ClearLog();
        const auto requested = std::chrono::steady_clock::now();
        models.RequestReadOperation(follow, &window, operation, 1000);
        window.loop.exec();
        state.SetIterationTime(std::chrono::duration<double>(window.arrived - requested).count());
        runs = ReadsLogged();
        ReadingScreen screen;
        model->GetScreen(screen);
        posts = screen.posts.size();
        if (window.result != 1)
            state.SkipWithError("the operation showed nothing");
    }
    state.counters["runs_read"] = runs;
    state.counters["posts"] = static_cast<double>(posts);
}

void Register() {
    const std::pair<const char*, int> operations[] = {
        {"OpFirst", OpFirst}, {"OpPrevious", OpPrevious}, {"OpOpen", OpOpen},
        {"OpNext", OpNext},   {"OpLatest", OpLatest},     {"OpGotoPage", OpGotoPage}};
    for (const auto& [name, op] : operations)
        benchmark::RegisterBenchmark(name, BM_Operation, op, false)
            ->Arg(HighlightStarter)
            ->Arg(OnlyStarter)
            ->ArgName("mode")
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    // The starter wrote one post in 1000: a screen of 12 needs about 120 pages.
    for (const auto& [name, op] : {std::pair{"OnlyStarterRare_OpNext", OpNext},
                                   std::pair{"OnlyStarterRare_OpPrevious", OpPrevious}})
        benchmark::RegisterBenchmark(name, BM_Operation, op, true)
            ->Arg(OnlyStarter)
            ->ArgName("mode")
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
}

// The store's own cost of one run: ten pages, 1000 posts, for comparison with the above.
void BM_ReadTenPages(benchmark::State& state) {
    const BenchThread& thread = Thread();
    FollowRecord follow;
    ReadFollowedThread(thread.follow, follow);
    for (auto _ : state) {
        QList<ThreadPost> posts;
        ReadWebpageFromDB(follow.dbFileName, 1000, 1009, posts);
        benchmark::DoNotOptimize(posts);
    }
    ClearLog();
}
BENCHMARK(BM_ReadTenPages)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap in use with a model loaded and showing a screen of 30 posts, against without it.
void BM_ModelMemory(benchmark::State& state) {
    const BenchThread& thread = Thread();
    double held = 0;
    double screenText = 0;
    for (auto _ : state) {
        ClearLog();
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        {
            ReadingModelRegistry models;
            models.OpenReadingModel(thread.follow);
            const auto model = models.FindReadingModel(thread.follow);
            model->SetViewMode(HighlightStarter);
            for (int page : {1, 700, 1400, 1991})
                model->RunReadOperation(OpGotoPage, page);
            model->RunReadOperation(OpNext);
            ClearLog();
            const size_t after = mallinfo2().uordblks;
            held = static_cast<double>(after) - static_cast<double>(before);
            ReadingScreen screen;
            model->GetScreen(screen);
            screenText = 0;
            for (const ReadingPost& post : screen.posts)
                screenText += 2.0 * (post.content.size() + post.author.size() + post.time.size());
        }
    }
    state.counters["model_heap_bytes"] = held;
    state.counters["screen_text_bytes"] = screenText;
}
BENCHMARK(BM_ModelMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
