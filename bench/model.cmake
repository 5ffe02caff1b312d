# The reading model on a 2000-page, 200 000-post thread: each reading operation from its
# request to its result, the starter-only worst case, and the memory a model holds.
# Run: build/bin/bench_model
add_executable(bench_model ${CMAKE_CURRENT_LIST_DIR}/model/ModelBench.cpp)
target_link_libraries(bench_model PRIVATE quillmere_reader_model benchmark::benchmark)
add_dependencies(benchmarks bench_model)
