# bench_search: the search index over 1,000,000 posts (200 threads of 5,000): first hits of
# common and rare queries, the index size against the text, and the cost of indexing a
# stored page. Run: build/bin/bench_search (the index is built once, about 1 GB, in
# $QUILLMERE_BENCH_DIR or the temp folder, and kept for later runs).
add_executable(bench_search ${CMAKE_CURRENT_LIST_DIR}/search/SearchBench.cpp)
target_link_libraries(bench_search PRIVATE quillmere_search benchmark::benchmark)
add_dependencies(benchmarks bench_search)
