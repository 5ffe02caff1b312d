add_executable(bench_channel ${CMAKE_CURRENT_LIST_DIR}/channel/ChannelBench.cpp)
target_link_libraries(bench_channel PRIVATE quillmere_common benchmark::benchmark)
add_dependencies(bench_channel channel_peer)
add_dependencies(benchmarks bench_channel)
