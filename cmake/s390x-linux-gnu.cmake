# SPDX-License-Identifier: MIT
# IBM Z Linux, cross-built with Debian's g++-s390x-linux-gnu: korvel's one
# big-endian target, where a reader that depends on byte order would show.
# The built programs, tests included, run under qemu-s390x (package
# qemu-user) with the cross compiler's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu
    CACHE STRING "How the build machine runs the built programs")
