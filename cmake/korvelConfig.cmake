# SPDX-License-Identifier: MIT
# find_package(korvel) gives the programs as imported targets,
# korvel::korvel and korvel::korvel-preview, and korvel_add_bitmaps().
# korvel runs on the build machine: in a cross build whose toolchain file
# searches packages only below its sysroot, give -Dkorvel_DIR=<this folder>.
include(${CMAKE_CURRENT_LIST_DIR}/korvelTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/korvelBitmaps.cmake)
