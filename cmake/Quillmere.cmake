# Folders to leave out of this build tree (a list of paths as given below), for building
# one part while another is being reworked.
set(QUILLMERE_SKIP_FOLDERS "" CACHE STRING "Folders left out of the build")

# Adds every listed folder that has a CMakeLists.txt of its own.
macro(quillmere_add_folders)
    foreach(folder ${ARGN})
        file(RELATIVE_PATH _qm_rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
        if(_qm_rel IN_LIST QUILLMERE_SKIP_FOLDERS)
            continue()
        endif()
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
            add_subdirectory(${folder})
        endif()
    endforeach()
endmacro()

# quillmere_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV K=V ...] [TIMEOUT s] [NO_MAIN])
# One GoogleTest executable run as one CTest test, headless, with the build's bin folder known.
# Without NO_MAIN the test gets a main that creates a QCoreApplication.
function(quillmere_add_test name)
    cmake_parse_arguments(T "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} quillmere_test_support GTest::gtest GTest::gmock)
    if(NOT T_NO_MAIN)
        target_link_libraries(${name} PRIVATE quillmere_test_main)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QUILLMERE_BIN_DIR=${CMAKE_BINARY_DIR}/bin;QUILLMERE_SOURCE_DIR=${CMAKE_SOURCE_DIR};QUILLMERE_CRASH_NOTICE=/bin/true;${T_ENV}")
endfunction()
