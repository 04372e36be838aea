# What `cmake --install` puts beside the programs, and the Debian package that cpack makes of it.

# pagewright_man_page(NAME.1): the page res/man/NAME.1.in with the project's version filled in,
# installed into section 1 of the manual.
function(pagewright_man_page name)
    configure_file(${PROJECT_SOURCE_DIR}/res/man/${name}.in ${PROJECT_BINARY_DIR}/man/${name} @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${name} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# `cpack -G DEB` in a build folder: pagewright_VERSION_ARCH.deb, installing under /usr. The
# libraries it needs (Qt 6 Core, Gui, Widgets and Svg with its image and icon plugins, the X11
# platform plugin that comes with Qt Gui, zlib, libdeflate when the build uses it, the C++ runtime)
# are found by dpkg-shlibdeps from the programs themselves.
set(CPACK_PACKAGE_NAME pagewright)
set(CPACK_PACKAGE_VENDOR "Pagewright")
set(CPACK_PACKAGE_CONTACT "Pagewright developers <dev@pagewright.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.pagewright.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter that pulls the plain text out of PDF files")
set(CPACK_PACKAGE_DESCRIPTION
    "Pagewright collects PDF files in a job list and turns each into a text file of the same \
name. The extraction is shallow and byte-exact: the string literals of the text objects of every \
zlib-compressed stream are copied unchanged; text drawn as images, hexadecimal strings and font \
encodings give nothing. The package holds the window (pagewright) and the command-line tool \
(pagewright-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries of the programs, so shlibdeps cannot see them: the Wayland platform plugin (X11 is
# in Qt Gui itself), the opener of folders and web pages, and a font for a bare system.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils, fonts-dejavu-core")
include(CPack)
