# bench_skin: what a window resize costs the skin (the frame nine-sliced and its shape found
# from the colour key) and what a paint of a skinned dialog or list costs.
# Run: QT_QPA_PLATFORM=offscreen build/bin/bench_skin
add_executable(bench_skin ${CMAKE_CURRENT_LIST_DIR}/skin/SkinBench.cpp)
target_link_libraries(bench_skin PRIVATE quillmere_skin benchmark::benchmark)
add_dependencies(benchmarks bench_skin)
