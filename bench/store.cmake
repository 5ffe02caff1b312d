# bench_store: speed of the forum store on real files (pages stored, ranges read, and what
# the open/close per statement costs). Run: build/bin/bench_store
add_executable(bench_store ${CMAKE_CURRENT_LIST_DIR}/store/StoreBench.cpp)
target_link_libraries(bench_store PRIVATE quillmere_store benchmark::benchmark)
add_dependencies(benchmarks bench_store)
