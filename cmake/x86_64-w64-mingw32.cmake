# SPDX-License-Identifier: MIT
# 64-bit Windows, cross-built with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix). The built programs and unit tests run under
# wine (package wine64). korvel's black-box tests start processes the POSIX
# way, so they run from a native build's test binary against korvel.exe:
# give its path as -DKORVEL_HOST_TESTS=.../build/tests/korvel_tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# wine's diagnostics would land on the programs' standard error.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all wine
    CACHE STRING "How the build machine runs the built programs")
