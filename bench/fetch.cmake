# Throughput and latency of the download chain (fetch threads, loaded queue, page loaders).
# Run: build/bin/bench_fetch
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_FETCH_HTTPLIB IMPORTED_TARGET cpp-httplib)
if(TARGET quillmere_fetch AND BENCH_FETCH_HTTPLIB_FOUND)
    add_executable(bench_fetch ${CMAKE_CURRENT_LIST_DIR}/fetch/FetchChainBench.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/parse/TypicalPages.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/BenchMainKeepingMemory.cpp)
    target_link_libraries(bench_fetch PRIVATE quillmere_fetch PkgConfig::BENCH_FETCH_HTTPLIB
                                              benchmark::benchmark)
    add_dependencies(benchmarks bench_fetch)
endif()
