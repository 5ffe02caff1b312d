# bench_server_e2e: timed follows and a quiet guard pass of the real server against the
# sample forum (prints its figures). Run: build/bin/bench_server_e2e [runs] [follows]
if(TARGET quillmere_e2e_support)
    pkg_check_modules(BENCH_E2E_HTTPLIB IMPORTED_TARGET cpp-httplib)
    add_executable(bench_server_e2e ${CMAKE_CURRENT_LIST_DIR}/e2e/ServerTimingBench.cpp)
    target_link_libraries(bench_server_e2e PRIVATE quillmere_e2e_support quillmere_store
                                                   PkgConfig::BENCH_E2E_HTTPLIB)
    add_dependencies(bench_server_e2e QuillmereServer QuillmereDemoForum)
    add_dependencies(benchmarks bench_server_e2e)
endif()
