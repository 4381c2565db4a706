# SPDX-License-Identifier: MIT
# 32-bit x86 Linux, cross-built on an x86-64 host with Debian's i686 cross
# compiler (g++-i686-linux-gnu; gcc-multilib cannot be installed beside the
# other cross compilers). The programs run against the host's 32-bit C and
# C++ libraries (libc6-i386, lib32stdc++6): natively where the kernel runs
# 32-bit programs, else under qemu-i386. The cross compiler's own libraries
# are for linking only: under qemu 7.2 their fork() hangs.
# The built programs run under qemu-i386 (package qemu-user); give
# -DCMAKE_CROSSCOMPILING_EMULATOR=env where the kernel runs them itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386
    CACHE STRING "How the build machine runs the built programs")
