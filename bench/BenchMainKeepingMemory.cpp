// The main of the benchmarks that measure page work: they run with the allocator set up as
// both programs set it. QUILLMERE_BENCH_PLAIN_MALLOC=1 measures with glibc's defaults instead.
#include "common/AllocatorTuning.h"

#include <QtGlobal>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIntValue("QUILLMERE_BENCH_PLAIN_MALLOC") != 1)
        KeepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
