#include "common/AllocatorTuning.h"

#include <malloc.h>

void KeepFreedMemoryForReuse() {
    // glibc's own ceiling for the mapping threshold; blocks above it (never a page of ours,
    // which the fetcher bounds at 2 MB) are still mapped.
    constexpr int kMapAbove = 32 * 1024 * 1024;
    // Give memory back to the system only when this much lies free at the top of a heap.
    constexpr int kTrimAbove = 128 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kMapAbove);
    mallopt(M_TRIM_THRESHOLD, kTrimAbove);
}
