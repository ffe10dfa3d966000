# What `cmake --install` lays out under the prefix:
#   lib/tabloria/      the program folder: programs, skin (image/), help and home
#                      pages, printer scripts, add-in and the printer's backend
#   bin/               launchers: tabloria starts the program from its folder (the
#                      skin is read from ./image), tabloria-convert keeps the caller's
#   share/applications the desktop entry; share/icons/hicolor the icon
include(GNUInstallDirs)

set(TABLORIA_PROGRAM_FOLDER "lib/tabloria")

install(TARGETS tabloria tabloria-convert Kelvane pellucor
        RUNTIME DESTINATION ${TABLORIA_PROGRAM_FOLDER})
install(TARGETS QuirrelAddonExcel LIBRARY DESTINATION ${TABLORIA_PROGRAM_FOLDER})
install(PROGRAMS setup/PrinterXP.bat setup/PrinterVista.bat DESTINATION ${TABLORIA_PROGRAM_FOLDER})
install(DIRECTORY image DESTINATION ${TABLORIA_PROGRAM_FOLDER})
install(FILES "ui/pages/Tabloria 5.0 Help.html" "ui/pages/Tabloria Home.html"
        DESTINATION ${TABLORIA_PROGRAM_FOLDER})

configure_file(dist/tabloria.in ${CMAKE_BINARY_DIR}/dist/tabloria @ONLY)
configure_file(dist/tabloria-convert.in ${CMAKE_BINARY_DIR}/dist/tabloria-convert @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/dist/tabloria ${CMAKE_BINARY_DIR}/dist/tabloria-convert
        DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop entry names the program folder by its full path, known only at
# install time (cmake --install --prefix may move it).
install(CODE "
    set(TABLORIA_INSTALLED_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${TABLORIA_PROGRAM_FOLDER}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/dist/tabloria.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/dist/tabloria.desktop\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/dist/tabloria.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/icon128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME tabloria.png)
