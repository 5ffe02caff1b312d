# bench_export: a thread of 2000 pages and 200,000 posts (about 1 KB each) written to TXT, HTML and
# EPUB. Run: build/bin/bench_export (set-up stores the thread first, about 220 MB).
add_executable(bench_export ${CMAKE_CURRENT_LIST_DIR}/export/ExportBench.cpp)
target_link_libraries(bench_export PRIVATE quillmere_reader_export benchmark::benchmark)
add_dependencies(benchmarks bench_export)
