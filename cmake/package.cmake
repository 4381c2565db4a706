# SPDX-License-Identifier: MIT
# What `cmake --install` puts where, and what cpack packs: on Linux a Debian
# package that lintian accepts without an error or a warning, on Windows a
# ZIP with the programs, the README and the license. Both carry korvel's
# CMake package, for find_package(korvel).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS korvel korvel-preview korvel-header EXPORT korvelTargets)
# The package holds programs for the build machine alone, so it lies with
# the architecture-independent files, and its version check ignores the
# pointer size of the (often 8- or 32-bit) project that looks for it.
set(KORVEL_CMAKE_DIR ${CMAKE_INSTALL_DATADIR}/cmake/korvel)
install(EXPORT korvelTargets NAMESPACE korvel:: DESTINATION ${KORVEL_CMAKE_DIR})
write_basic_package_version_file(korvelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES cmake/korvelConfig.cmake cmake/korvelBitmaps.cmake cmake/korvelNames.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/korvelConfigVersion.cmake DESTINATION ${KORVEL_CMAKE_DIR})

set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR korvel)
set(CPACK_PACKAGE_CONTACT "korvel maintainers <maintainers@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts black-and-white BMP files into C arrays")
set(CPACK_PACKAGE_DESCRIPTION [[
korvel turns a BMP file with one bit per pixel into the text of a C array
definition on standard output: width byte, height byte, then the pixels
packed eight to a byte, most significant bit leftmost, rows top to bottom.
The header it writes is compiled into firmware for small OLED, LCD and
e-paper displays. Its user interface (usage screen and messages) is in
German.]])
if(WIN32)
  install(FILES README.md LICENSE DESTINATION .)
  if(KORVEL_PAGE_FILE)
    install(FILES ${KORVEL_PAGE_FILE} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  set(CPACK_GENERATOR ZIP)
  include(CPack)
  return()
endif()

set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian's machine-readable copyright file, its license text taken from
# LICENSE: indented by one blank, empty lines written as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX REPLACE "^.*\n(Permission)" "\\1" license "${license}")
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license " ${license}")
configure_file(cmake/copyright.in copyright @ONLY)

# Manual pages and the changelog go in gzip-compressed, without a time
# stamp, so that a package comes out the same from every build.
set(gzipped)
foreach(file doc/korvel.1 doc/korvel-preview.1 doc/korvel-header.1 doc/changelog)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${name}.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${file} > ${name}.gz
    DEPENDS ${file}
    VERBATIM)
  list(APPEND gzipped ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(korvel_docs ALL DEPENDS ${gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/korvel.1.gz ${CMAKE_CURRENT_BINARY_DIR}/korvel-preview.1.gz
  ${CMAKE_CURRENT_BINARY_DIR}/korvel-header.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_BINARY_DIR}/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The page, and a desktop entry that opens it in the browser: written as it
# is installed, so that it names the page where this install puts it,
# under --prefix or in the package alike.
if(KORVEL_PAGE_FILE)
  install(FILES ${KORVEL_PAGE_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/korvel)
  install(FILES doc/korvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  file(READ doc/korvel.desktop.in desktop)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS doc/korvel.desktop.in)
  install(CODE "
    set(page \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/korvel/korvel.html\")
    set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/korvel.desktop\")
    message(STATUS \"Installing: \${entry}\")
    file(CONFIGURE OUTPUT \"\${entry}\" CONTENT [[${desktop}]] @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry}\")")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS sensible-utils)
else()
  # A package without the page is not the release's korvel_<version>_<arch>.deb.
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed)
    set(CPACK_DEBIAN_FILE_NAME korvel_${PROJECT_VERSION}_${arch}-ohne-seite.deb)
  endif()
endif()

include(CPack)
