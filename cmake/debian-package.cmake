# The Debian package of the Linux tools, built by CPack from the install tree
# (cmake/install.cmake): vexmarl_VERSION_ARCH.deb in VEXMARL_PACKAGE_DIR (packages/ of the
# build folder), with `cpack` in the build folder (scripts/package).
find_program(VEXMARL_GZIP gzip REQUIRED)
string(TIMESTAMP VEXMARL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog
               @ONLY)
execute_process(COMMAND ${VEXMARL_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
                COMMAND_ERROR_IS_FATAL ANY)

# cpack packs what is built; it does not build every target (the tests) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexmarl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexmarl Software")
set(CPACK_PACKAGE_CONTACT "Vexmarl Software <packages@vexmarl.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "anti-spyware scanner for Windows machine images")
set(CPACK_PACKAGE_DESCRIPTION
    "Vexmarl scans Windows machines for the traces of known spyware, quarantines\n"
    "and removes them. This package holds the tools that make Windows machines\n"
    "out of folders (machine images) and operate on them, the definitions tool,\n"
    "the update server, the program that is installed into images, and a demo\n"
    "infection with its definitions.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.vexmarl.example/product/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(VEXMARL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages CACHE PATH "Where cpack writes the package")
set(CPACK_OUTPUT_FILE_PREFIX ${VEXMARL_PACKAGE_DIR})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vexmarl_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
