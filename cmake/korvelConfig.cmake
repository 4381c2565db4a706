# SPDX-License-Identifier: MIT
# find_package(korvel) gives the programs as imported targets,
# korvel::korvel, korvel::korvel-preview and korvel::korvel-header, and
# korvel_add_bitmaps(). They run on the build machine: in a cross build
# whose toolchain file searches packages only below its sysroot, find
# korvel with find_package(korvel REQUIRED NO_CMAKE_FIND_ROOT_PATH), or
# give -Dkorvel_DIR=<this folder>.
include(${CMAKE_CURRENT_LIST_DIR}/korvelTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/korvelBitmaps.cmake)
