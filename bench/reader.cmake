# bench_reading_window: from a click on "下一页" to the next screen of 30 posts with pictures
# from a 200,000-post thread, how fast new posts are appended, and the memory of the reader
# and its web engine helpers with 1 and 10 windows. Run: build/bin/bench_reading_window [runs]
if(TARGET quillmere_reader_view)
    add_executable(bench_reading_window ${CMAKE_CURRENT_LIST_DIR}/reader/ReadingWindowBench.cpp)
    target_link_libraries(bench_reading_window PRIVATE quillmere_reader_view quillmere_reader_model quillmere_store)
    add_dependencies(benchmarks bench_reading_window)
endif()
