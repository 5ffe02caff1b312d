// Records per second through the channel to a peer process on this machine.
#include "common/CommandChannel.h"
#include "common/ProgramDirectory.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct PeerFixture {
    QTemporaryDir home;
    QProcess peer;
    CommandChannel channel;

    PeerFixture() {
        SetProgramDirectory(home.path());
        peer.start(ExecutableDirectory() + QStringLiteral("channel_peer"),
                   {QStringLiteral("--home"), home.path(), QStringLiteral("--title"),
                    QStringLiteral("Peer"), QStringLiteral("--out"), QStringLiteral("/dev/null")});
        peer.waitForStarted();
        peer.waitForReadyRead(5000);
        channel.StartChannel(QStringLiteral("Peer"));
    }
    ~PeerFixture() {
        peer.kill();
        peer.waitForFinished();
    }
};

PeerFixture& fixture() {
    static PeerFixture f;
    return f;
}

void BM_SmallRecords(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            f.channel.QueueSmall(MakeSmall(CDTRefresh, i));
        f.channel.WaitUntilIdle(60000);
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_SmallRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LargeRecords(benchmark::State& state) {
    auto& f = fixture();
    auto record = MakeRecord<AddFocusRequest>(CDTAddFocusWebpage);
    record.address.Set(QStringLiteral("http://bbs.tianya.cn/post-free-1-1.shtml"));
    const LargeMessage large = ToLarge(record);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            f.channel.QueueLarge(large);
        f.channel.WaitUntilIdle(60000);
    }
    state.SetItemsProcessed(state.iterations() * 100);
    state.SetBytesProcessed(state.iterations() * 100 * kLargeMessageSize);
}
BENCHMARK(BM_LargeRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
