# SPDX-License-Identifier: MIT
# 32-bit x86 Linux, built on an x86-64 host with gcc -m32 (g++-multilib).
# Give -DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386 where the kernel cannot run
# 32-bit programs, or =env where it can; CMake then runs the built korvel,
# the tests and the preview through it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
