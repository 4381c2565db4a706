# SPDX-License-Identifier: MIT
# 64-bit ARM Linux (Raspberry Pi OS, ARM build runners), cross-built with
# Debian's g++-aarch64-linux-gnu. The built programs, tests included, run
# under qemu-aarch64 (package qemu-user) with the cross compiler's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu
    CACHE STRING "How the build machine runs the built programs")
