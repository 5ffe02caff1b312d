// Timed end-to-end runs of the fetch server against the sample forum on loopback, driven by
// the stand-in reader, each in a temporary home. Prints its figures; asserts nothing.
//   build/bin/bench_server_e2e [runs] [follows]
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"
#include "tests/e2e/StandInReader.h"
#include "tests/e2e/TestProcesses.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

struct ProcessUse {
    double cpuSeconds = 0; // user + system
    long peakKb = 0;       // VmHWM
};

ProcessUse UseOf(qint64 pid) {
    ProcessUse use;
    const QList<QByteArray> fields = ProcessStatFields(pid);
    if (fields.size() > 12)
        use.cpuSeconds = double(fields[11].toLongLong() + fields[12].toLongLong()) /
                         double(sysconf(_SC_CLK_TCK));
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                use.peakKb = line.mid(6).trimmed().split(' ').first().toLong();
    }
    return use;
}

// One server with its forum, home and stand-in reader.
class Run {
public:
    explicit Run(const QStringList& serverEnv = {}) {
        for (const QString& setting : serverEnv)
            qputenv(setting.section('=', 0, 0).toUtf8(), setting.section('=', 1).toUtf8());
        reader = std::make_unique<StandInReader>();
        server = std::make_unique<ServerProcess>(home.Path());
        ok = forum.Ready() && reader->Listening() && server->Start() &&
             reader->WaitFor(CDTSvrRun, 20000);
        for (const QString& setting : serverEnv)
            qunsetenv(setting.section('=', 0, 0).toUtf8());
        // Let the start-up work (version, front page, discounts) pass before anything is timed.
        if (ok)
            reader->WaitFor(CDTTianyaFocus, 40000);
    }

    QByteArray Control(const QString& path) {
        httplib::Client client("127.0.0.1", forum.Port());
        auto result = client.Get(path.toStdString());
        return result && result->status == 200 ? QByteArray::fromStdString(result->body)
                                               : QByteArray();
    }

    QString FirstPage(int thread) {
        const QJsonArray threads =
            QJsonDocument::fromJson(Control(QStringLiteral("/__control/threads"))).array();
        for (const auto& value : threads)
            if (value.toObject().value(QStringLiteral("thread")).toInt() == thread)
                return value.toObject().value(QStringLiteral("firstPage")).toString();
        return {};
    }

    // Follows a thread; milliseconds until every wanted page has been reported, or -1.
    qint64 TimeFollow(const QString& address, const QList<int>& wanted, int* focus) {
        const qsizetype from = reader->All().size();
        const qint64 start = reader->ElapsedMs();
        reader->Follow(address);
        const auto* answer = reader->WaitFor(CDTAddFocusWebpage, 30000, {}, from);
        if (!answer || FromLarge<AddFocusAnswer>(answer->record).result.Get() != 1)
            return -1;
        *focus = FromLarge<AddFocusAnswer>(answer->record).focusPageNo.Get();
        QSet<int> missing(wanted.begin(), wanted.end());
        qint64 lastAt = -1;
        const bool done = reader->WaitUntil(
            [&] {
                for (const auto* r : reader->OfCode(CDTNewGetWebpage)) {
                    if (r->Small().a == *focus && missing.remove(r->Small().b))
                        lastAt = r->atMs;
                }
                return missing.isEmpty();
            },
            120000);
        return done ? lastAt - start : -1;
    }

    TempHome home;
    DemoForumProcess forum{home.File(QStringLiteral("Quillmere.ini")),
                           {QStringLiteral("--exit-on-stdin-eof")}};
    std::unique_ptr<StandInReader> reader;
    std::unique_ptr<ServerProcess> server;
    bool ok = false;
};

QList<int> Range(int from, int to) {
    QList<int> pages;
    for (int p = from; p <= to; ++p)
        pages.append(p);
    return pages;
}

void PrintSeries(const char* what, QList<qint64> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-58s", what);
    for (qint64 v : values)
        std::printf(" %6lld", static_cast<long long>(v));
    if (!values.isEmpty())
        std::printf("   median %lld ms\n", static_cast<long long>(values[values.size() / 2]));
    else
        std::printf("   (no run)\n");
}

long PeakOfServerAndHelpers(const ServerProcess& server, long* helpersKb) {
    *helpersKb = 0;
    for (qint64 helper : DescendantProcesses(server.Pid()))
        *helpersKb += UseOf(helper).peakKb;
    return UseOf(server.Pid()).peakKb;
}

void FollowTimes(int runs) {
    QList<qint64> twenty, long150;
    long peakServer = 0, peakHelpers = 0;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!run.ok) {
            std::printf("the server or the forum did not start\n");
            return;
        }
        // The growing thread, grown from 3 to 20 pages.
        for (int g = 0; g < 17; ++g)
            run.Control(QStringLiteral("/__control/grow?thread=1004"));
        int focus = 0;
        const qint64 ms20 = run.TimeFollow(run.FirstPage(1004), Range(1, 20), &focus);
        if (ms20 >= 0)
            twenty.append(ms20);
        // The long thread of 160 pages: its newest 21 and its first 10 pages.
        const qint64 ms150 =
            run.TimeFollow(run.FirstPage(1002), Range(140, 160) + Range(1, 10), &focus);
        if (ms150 >= 0)
            long150.append(ms150);
        long helpers = 0;
        peakServer = std::max(peakServer, PeakOfServerAndHelpers(*run.server, &helpers));
        peakHelpers = std::max(peakHelpers, helpers);
    }
    PrintSeries("follow of a 20-page thread, ms to the last page stored:", twenty);
    PrintSeries("follow of a 160-page thread (31 pages taken), ms:", long150);
    std::printf("peak memory: server %ld MB, web engine helpers together %ld MB\n",
                peakServer / 1024, peakHelpers / 1024);
}

void QuietGuardPass(int follows) {
    constexpr int kGuardIntervalMs = 15000;
    Run run;
    if (!run.ok)
        return;
    // One real follow makes the thread file that the other follows copy.
    const QString address = run.FirstPage(1001);
    int focus = 0;
    if (run.TimeFollow(address, Range(1, 12), &focus) < 0) {
        std::printf("the seed follow did not complete\n");
        return;
    }
    FollowRecord seed;
    ReadFollowedThread(focus, seed);
    // The follows are in the catalogue before the server reads it, so the server is restarted.
    run.reader.reset();
    run.server->WaitForEnd(15000);
    for (int i = 1; i < follows; ++i) {
        const QString name = QStringLiteral("guard_%1.db").arg(i);
        QFile::copy(run.home.File(seed.dbFileName), run.home.File(name));
        AddFollowedThread(address, QStringLiteral("guard %1").arg(i), QStringLiteral("bench"), name,
                          12);
    }
    qputenv("QUILLMERE_GUARD_INTERVAL_MS", QByteArray::number(kGuardIntervalMs));
    run.reader = std::make_unique<StandInReader>();
    run.server = std::make_unique<ServerProcess>(run.home.Path());
    const qint64 started = run.reader->ElapsedMs();
    if (!run.server->Start() || !run.reader->WaitFor(CDTSvrRun, 20000)) {
        std::printf("the server did not start again\n");
        return;
    }
    qunsetenv("QUILLMERE_GUARD_INTERVAL_MS");
    // The start-up refresh reports every follow once; the guard's first pass does it again.
    auto reportsAfter = [&](qint64 fromMs) {
        int n = 0;
        for (const auto* r : run.reader->OfCode(CDTNewGetWebpage))
            n += r->atMs >= fromMs;
        return n;
    };
    run.reader->WaitUntil([&] { return reportsAfter(started) >= follows; }, 60000);
    const qint64 startupDoneAt = run.reader->ElapsedMs();

    // A quiet while of the same length as the pass measures what the idle server costs.
    run.reader->WaitUntil([] { return false; }, 2000);
    const ProcessUse quietStart = UseOf(run.server->Pid());
    run.reader->WaitUntil([] { return false; }, 2000);
    const ProcessUse quietEnd = UseOf(run.server->Pid());
    const ProcessUse beforePass = UseOf(run.server->Pid());
    const qint64 passFrom = run.reader->ElapsedMs();
    if (!run.reader->WaitUntil([&] { return reportsAfter(passFrom) >= follows; },
                               kGuardIntervalMs + 60000)) {
        std::printf("the guard pass did not report every follow\n");
        return;
    }
    qint64 first = -1, last = -1;
    for (const auto* r : run.reader->OfCode(CDTNewGetWebpage)) {
        if (r->atMs < passFrom)
            continue;
        if (first < 0)
            first = r->atMs;
        last = r->atMs;
    }
    run.reader->WaitUntil([] { return false; }, 300);
    const ProcessUse afterPass = UseOf(run.server->Pid());
    const double idlePerSecond = (quietEnd.cpuSeconds - quietStart.cpuSeconds) / 2.0;
    const double passSeconds = double(run.reader->ElapsedMs() - passFrom) / 1000.0;
    std::printf("start-up refresh of %d follows: %lld ms to the last report\n", follows,
                static_cast<long long>(startupDoneAt - started));
    std::printf(
        "quiet guard pass over %d follows: %lld ms from first to last report (+ one page ~5 ms)\n",
        follows, static_cast<long long>(last - first));
    const double windowCpu = afterPass.cpuSeconds - beforePass.cpuSeconds;
    std::printf("CPU of the server for the pass: %.2f s (%.2f s in a %.1f s window, less %.3f s/s "
                "of idle)\n",
                std::max(0.0, windowCpu - idlePerSecond * passSeconds), windowCpu, passSeconds,
                idlePerSecond);
    long helpers = 0;
    const long peak = PeakOfServerAndHelpers(*run.server, &helpers);
    std::printf("peak memory with %d follows: server %ld MB, web engine helpers together %ld MB\n",
                follows, peak / 1024, helpers / 1024);
}

} // namespace

int main(int argc, char** argv) {

    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (getuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int follows = argc > 2 ? std::max(1, atoi(argv[2])) : 200;
    FollowTimes(runs);
    QuietGuardPass(follows);
    return 0;
}
