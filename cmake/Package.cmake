# The Debian package, made from the install rules by `cpack` in a build folder:
#   cpack --config build/ci/CPackConfig.cmake -B build/ci/package
# gives tabloria_<version>_<arch>.deb. On top of what `cmake --install` lays out it
# holds what only a system-wide package may put in place: the printer's backend in
# CUPS's backend folder, the Debian documents (copyright, changelog, lintian's
# notes) and the maintainer scripts that set the printer up and take it away.

# Manual pages. tabloria-convert's is made from its own --help at build time, so it
# cannot fall behind the options; the window's is written by hand.
set(TABLORIA_MAN_FOLDER ${CMAKE_BINARY_DIR}/dist/man)
find_program(TABLORIA_HELP2MAN help2man)
find_program(TABLORIA_GZIP gzip)
if(TABLORIA_HELP2MAN AND TABLORIA_GZIP)
    set(convert_page ${TABLORIA_MAN_FOLDER}/tabloria-convert.1)
    set(window_page ${TABLORIA_MAN_FOLDER}/tabloria.1)
    # gzip -n leaves out the time and name, so the same sources give the same page.
    add_custom_command(OUTPUT ${convert_page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TABLORIA_MAN_FOLDER}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                ${TABLORIA_HELP2MAN} --no-info --section=1
                --include=${PROJECT_SOURCE_DIR}/dist/tabloria-convert.h2m
                --output=${convert_page} $<TARGET_FILE:tabloria-convert>
        COMMAND ${TABLORIA_GZIP} -9nf ${convert_page}
        DEPENDS tabloria-convert ${PROJECT_SOURCE_DIR}/dist/tabloria-convert.h2m
        COMMENT "Making the manual page of tabloria-convert from its --help"
        VERBATIM)
    configure_file(dist/tabloria.1.in ${CMAKE_BINARY_DIR}/dist/tabloria.1 @ONLY)
    add_custom_command(OUTPUT ${window_page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TABLORIA_MAN_FOLDER}
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/dist/tabloria.1 ${window_page}
        COMMAND ${TABLORIA_GZIP} -9nf ${window_page}
        DEPENDS ${CMAKE_BINARY_DIR}/dist/tabloria.1
        VERBATIM)
    add_custom_target(manual_pages ALL DEPENDS ${convert_page}.gz ${window_page}.gz)
    install(FILES ${convert_page}.gz ${window_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man or gzip is missing: no manual pages (scripts/install-deps.sh installs help2man)")
endif()

# Only the package puts the backend into CUPS's folder, with the mode CUPS needs to
# run it as root: owner only, not readable or executable by others (see
# setup/PrinterXP.bat, which does the same for an install by hand). A plain
# `cmake --install` leaves this to Kelvane.
set(debian_parts debian)
install(TARGETS pellucor RUNTIME DESTINATION lib/cups/backend
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
        COMPONENT ${debian_parts} EXCLUDE_FROM_ALL)
configure_file(dist/deb/changelog.in ${CMAKE_BINARY_DIR}/dist/deb/changelog.txt @ONLY)
set(changelog ${CMAKE_BINARY_DIR}/dist/deb/doc/changelog)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/dist/deb/changelog.txt ${changelog}
    COMMAND ${TABLORIA_GZIP} -9nf ${changelog}
    DEPENDS ${CMAKE_BINARY_DIR}/dist/deb/changelog.txt
    VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
install(FILES dist/deb/copyright ${changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tabloria COMPONENT ${debian_parts} EXCLUDE_FROM_ALL)
install(FILES dist/deb/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tabloria
        COMPONENT ${debian_parts} EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabloria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tabloria developers")
set(CPACK_PACKAGE_CONTACT "Tabloria developers <tabloria@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Everything `cmake --install` lays out, then the parts only the package has.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${debian_parts};/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert spreadsheet workbooks into PDF files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Tabloria turns spreadsheet workbooks (.xls and .xlsx) into PDF files, one
PDF per workbook holding all of its sheets. A window lists the workbooks,
the folder the PDFs go to and the options: document information, user and
owner passwords with their permissions, compression and PDF version. The
command tabloria-convert does the same from a terminal and also takes text
documents, presentations and pictures.

Each file is printed by LibreOffice to the PostScript printer Pellucor,
a CUPS queue this package sets up with its own backend, and Ghostscript
turns the printed PostScript into the PDF.]=])

# The libraries come from the programs themselves. Libraries of the office found
# through a run path into its program folder belong to the office's packages;
# where those carry no dependency information, the office packages named below
# stand for them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /usr/lib/libreoffice/program)
# The programs the converter starts or prints through: the office (workbooks,
# documents, presentations), Ghostscript, and CUPS with its filters for the queue.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-calc, libreoffice-writer, libreoffice-impress, ghostscript, cups, cups-filters")
# Opening the help page and the finished PDFs from the window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/dist/deb/postinst
    ${PROJECT_SOURCE_DIR}/dist/deb/prerm
    ${PROJECT_SOURCE_DIR}/dist/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
