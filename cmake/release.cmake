# SPDX-License-Identifier: MIT
# The parts of the packages that other compilers make, each in a build of
# its own below this one (ExternalProject), from this source tree:
# - KORVEL_PAGE=ON makes korvel.html with emscripten (as the web preset
#   does) for the package to carry; KORVEL_PAGE_FILE=<korvel.html> takes a
#   page made elsewhere instead. Linux packages put it into
#   share/korvel/korvel.html, with a desktop entry that opens it in the
#   browser; Windows ZIPs put it beside the programs.
# - KORVEL_WINDOWS_ZIP=ON makes korvel's Windows ZIP with MinGW-w64, the
#   page beside the programs, into packages/ of this build; AUTO makes it
#   where MinGW-w64 is installed and says so where it is not.
# The release preset sets all three: cmake --workflow --preset release.
include(ExternalProject)

option(KORVEL_PAGE "Make korvel.html with emscripten, for the packages" OFF)
set(KORVEL_PAGE_FILE "" CACHE FILEPATH "A korvel.html made elsewhere, for the packages")
set(KORVEL_WINDOWS_ZIP OFF CACHE STRING "Make the Windows ZIP with MinGW-w64: ON, OFF or AUTO")
set_property(CACHE KORVEL_WINDOWS_ZIP PROPERTY STRINGS ON OFF AUTO)
set(KORVEL_EMSCRIPTEN_TOOLCHAIN /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
  CACHE FILEPATH "emscripten's CMake toolchain file")

if(KORVEL_PAGE)
  if(NOT EXISTS ${KORVEL_EMSCRIPTEN_TOOLCHAIN})
    message(FATAL_ERROR "KORVEL_PAGE: korvel.html needs emscripten, and its toolchain file "
      "${KORVEL_EMSCRIPTEN_TOOLCHAIN} does not exist. Install emscripten (Debian package "
      "emscripten), give its file as -DKORVEL_EMSCRIPTEN_TOOLCHAIN=..., or configure with "
      "-DKORVEL_PAGE=OFF for packages without the page.")
  endif()
  set(KORVEL_PAGE_FILE ${PROJECT_BINARY_DIR}/korvel-web/korvel.html)
  ExternalProject_Add(korvel_web
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/korvel-web
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${KORVEL_EMSCRIPTEN_TOOLCHAIN} -DBUILD_TESTING=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target korvel_page
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${KORVEL_PAGE_FILE})
endif()

set(mingw x86_64-w64-mingw32-g++-posix)
find_program(KORVEL_MINGW ${mingw})
if(KORVEL_WINDOWS_ZIP STREQUAL "AUTO")
  if(KORVEL_MINGW)
    set(KORVEL_WINDOWS_ZIP ON)
  else()
    message(STATUS "korvel: no ${mingw} (Debian package g++-mingw-w64-x86-64-posix), so no Windows ZIP")
    set(KORVEL_WINDOWS_ZIP OFF)
  endif()
elseif(KORVEL_WINDOWS_ZIP AND NOT KORVEL_MINGW)
  message(FATAL_ERROR "KORVEL_WINDOWS_ZIP: the Windows ZIP needs ${mingw} (Debian package "
    "g++-mingw-w64-x86-64-posix); install it, or configure with -DKORVEL_WINDOWS_ZIP=AUTO")
endif()
if(KORVEL_WINDOWS_ZIP)
  # The programs alone: nothing that runs a Windows program at build time.
  ExternalProject_Add(korvel_windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/korvel-windows
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/x86_64-w64-mingw32.cmake
               -DBUILD_TESTING=OFF -DKORVEL_PAGE_FILE=${KORVEL_PAGE_FILE}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target korvel korvel-preview korvel-header
    INSTALL_COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config <BINARY_DIR>/CPackConfig.cmake
                    -B ${PROJECT_BINARY_DIR}/packages
    BUILD_ALWAYS ON)
  if(TARGET korvel_web)
    add_dependencies(korvel_windows korvel_web)
  endif()
endif()
