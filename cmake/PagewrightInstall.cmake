# What `cmake --install` puts beside the programs, and the Debian packages that cpack makes of it.
# Two components: `cli` (pagewright-cli, without Qt) and `gui` (the window, with its desktop entry and
# icon); each brings its manual page, the copyright file and the changelog.

find_program(PAGEWRIGHT_GZIP gzip)
mark_as_advanced(PAGEWRIGHT_GZIP)

# pagewright_man_page(NAME.1 COMPONENT): the page res/man/NAME.1.in with the project's version filled
# in, installed into section 1 of the manual; compressed where the manual reads compressed pages
# (gzip -9n: no name and no time stamp in it, so the same page compresses to the same bytes).
function(pagewright_man_page name component)
    set(page ${PROJECT_BINARY_DIR}/man/${name})
    configure_file(${PROJECT_SOURCE_DIR}/res/man/${name}.in ${page} @ONLY)
    if(UNIX AND PAGEWRIGHT_GZIP)
        execute_process(COMMAND ${PAGEWRIGHT_GZIP} -9nf --keep ${page} COMMAND_ERROR_IS_FATAL ANY)
        set(page ${page}.gz)
    endif()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

# pagewright_package_docs(PACKAGE COMPONENT): the copyright file (Debian's machine-readable format)
# and the changelog (Debian's format, compressed like the manual pages) in the package's
# documentation folder.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/changelog PAGEWRIGHT_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT PAGEWRIGHT_CHANGELOG_TOP MATCHES "^pagewright \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "res/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()
set(PAGEWRIGHT_CHANGELOG ${PROJECT_SOURCE_DIR}/res/changelog)
if(UNIX AND PAGEWRIGHT_GZIP)
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/doc)
    execute_process(COMMAND ${PAGEWRIGHT_GZIP} -9n -c ${PAGEWRIGHT_CHANGELOG}
                    OUTPUT_FILE ${PROJECT_BINARY_DIR}/doc/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
    set(PAGEWRIGHT_CHANGELOG ${PROJECT_BINARY_DIR}/doc/changelog.gz)
endif()
function(pagewright_package_docs package component)
    install(FILES ${PROJECT_SOURCE_DIR}/res/copyright ${PAGEWRIGHT_CHANGELOG}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

# `cpack -G DEB` in a build folder: pagewright-cli_VERSION_ARCH.deb and pagewright_VERSION_ARCH.deb,
# installing under /usr. The libraries they need (for the window: Qt 6 Core, Gui, Widgets and Svg
# with its image and icon plugins, the X11 platform plugin that comes with Qt Gui; for both: zlib,
# libdeflate when the build uses it, the C++ runtime) are found by dpkg-shlibdeps from the programs
# themselves, so the tool's package needs no Qt.
set(CPACK_PACKAGE_NAME pagewright)
set(CPACK_PACKAGE_VENDOR "Pagewright")
set(CPACK_PACKAGE_CONTACT "Pagewright developers <dev@pagewright.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PAGEWRIGHT_HOME_PAGE}")
# Each package's description: its synopsis, then the lines of the extended description as the
# control file shows them (no summary of the project's is put in front).
set(PAGEWRIGHT_PACKAGE_ABOUT "Pagewright turns PDF files into text files of the same name. The extraction
is shallow and byte-exact: the string literals of the text objects of every
zlib-compressed stream are copied unchanged; text drawn as images, hexadecimal
strings and font encodings give nothing.")
set(CPACK_COMPONENT_CLI_DESCRIPTION "command-line tool that pulls the plain text out of PDF files
${PAGEWRIGHT_PACKAGE_ABOUT}
This package holds the command-line tool, pagewright-cli, which converts on
every core and needs no graphical toolkit.")
set(CPACK_COMPONENT_GUI_DESCRIPTION "batch converter that pulls the plain text out of PDF files
${PAGEWRIGHT_PACKAGE_ABOUT}
This package holds the window, pagewright, which collects PDF files in a job
list and converts them into a chosen folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli gui)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME pagewright-cli)
set(CPACK_DEBIAN_GUI_PACKAGE_NAME pagewright)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's package depends on the tool's of the same version: installing the window installs
# the whole product, both programs.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Not libraries of the window, so shlibdeps cannot see them: the Wayland platform plugin (X11 is in
# Qt Gui itself), the opener of folders and web pages, and a font for a bare system.
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils, fonts-dejavu-core")
include(CPack)
cpack_add_component(cli DISPLAY_NAME "pagewright-cli")
cpack_add_component(gui DISPLAY_NAME "pagewright" DEPENDS cli)
