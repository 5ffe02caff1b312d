# cmake --install build --prefix PREFIX:
#   bin/                        the reader and the terminal tool
#   libexec/quillmere/          the programs the reader starts (server, crash notice, updater)
#   share/quillmere/            the delivered files the programs copy into a new home
#   share/applications/         the desktop entry
#   share/icons/hicolor/*/apps/ the program's icon
# The programs find their helpers and delivered files relative to their own folder
# (common/ProgramDirectory), so any prefix works.
include(GNUInstallDirs)

set(quillmere_helpers_dir ${CMAKE_INSTALL_LIBEXECDIR}/quillmere)
set(quillmere_data_dir ${CMAKE_INSTALL_DATADIR}/quillmere)

foreach(program Quillmere quillmere-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
foreach(program QuillmereServer QuillmereCrashNotice UpdateSoft)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${quillmere_helpers_dir})
    endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/common/files/Show.html
              ${CMAKE_BINARY_DIR}/store/catalogue/ForumData.db
              ${CMAKE_SOURCE_DIR}/tools/updater/UpdateSoft.ini
        DESTINATION ${quillmere_data_dir})

foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/skin/icons/${size}x${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quillmere.png)
endforeach()

# The desktop entry names the reader by its full path under the prefix given at install time.
install(CODE "
    set(QUILLMERE_READER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Quillmere\")
    configure_file(\"${CMAKE_SOURCE_DIR}/tools/install/quillmere.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/install/quillmere.desktop\" @ONLY)
    file(INSTALL DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
         TYPE FILE FILES \"${CMAKE_BINARY_DIR}/install/quillmere.desktop\")
")
