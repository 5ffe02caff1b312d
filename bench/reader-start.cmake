# The reader's start to its main window shown, with 0 and with 200 follows, and the memory of
# the reader and its web engine helpers on each tab.
# Run: build/bin/bench_reader_start
add_executable(bench_reader_start ${CMAKE_CURRENT_LIST_DIR}/reader/ReaderStartBench.cpp)
target_link_libraries(bench_reader_start PRIVATE quillmere_store quillmere_common Qt6::Core)
add_dependencies(bench_reader_start Quillmere ReaderShots)
add_dependencies(benchmarks bench_reader_start)
