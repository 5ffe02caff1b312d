# Document building and thread-page parsing speed on generated 150 KB pages.
if(TARGET quillmere_parse)
    add_executable(bench_parse ${CMAKE_CURRENT_LIST_DIR}/parse/ParseBench.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/parse/TypicalPages.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/BenchMainKeepingMemory.cpp)
    target_link_libraries(bench_parse PRIVATE quillmere_parse benchmark::benchmark)
    add_dependencies(benchmarks bench_parse)
endif()
