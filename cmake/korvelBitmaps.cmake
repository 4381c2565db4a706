# SPDX-License-Identifier: MIT
# korvel_add_bitmaps(<target> [PROGMEM] <picture>...)
# korvel_add_bitmaps(<target> FRAMES <name> [PROGMEM] <picture>...)
#
# Turns 1-bit BMP pictures into headers at build time, each remade when its
# picture or korvel changes, for the target's sources to include as
# "korvel/<name>.h":
# - Each picture gets its own header, its array named after the file's
#   stem made into a C identifier: wifi-strong.bmp gives
#   korvel/wifi_strong.h with static const unsigned char wifi_strong[].
# - FRAMES <name> puts all pictures, in the order given, into korvel/<name>.h
#   as <name>_0, <name>_1, ... and a table static const unsigned char
#   *const <name>[] of them. Each frame keeps its own width and height bytes.
# - PROGMEM places the arrays, and the table, in flash on AVR, as
#   <avr/pgmspace.h> defines it; read them with pgm_read_byte and
#   pgm_read_ptr.
# Call it where the target is defined, as the headers' rules belong to that
# folder; relative paths are taken from it. A picture korvel refuses fails
# the build with korvel's message, and keeps failing it until the picture
# is mended.
#
# The installed package runs korvel::korvel on the build machine, also in a
# cross build; in korvel's own build, or a project that adds korvel's
# source tree, it runs the korvel built there (under the cross build's
# emulator, if there is one).
include_guard(GLOBAL)

function(korvel_add_bitmaps target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PROGMEM" "FRAMES" "")
  set(pictures ${arg_UNPARSED_ARGUMENTS})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "korvel_add_bitmaps: ${target} is not a target")
  endif()
  if(NOT pictures)
    message(FATAL_ERROR "korvel_add_bitmaps: no picture given for ${target}")
  endif()
  if(DEFINED arg_FRAMES AND NOT arg_FRAMES MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "korvel_add_bitmaps: FRAMES needs a C identifier as its name, not '${arg_FRAMES}'")
  endif()

  # One folder per target, so that two targets may use the same names.
  set(include ${CMAKE_CURRENT_BINARY_DIR}/korvel_${target})
  set(paths)
  set(headers)
  set(index 0)
  foreach(picture IN LISTS pictures)
    get_filename_component(path "${picture}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND paths "${path}")
    if(DEFINED arg_FRAMES)
      set(name ${arg_FRAMES}_${index})
      math(EXPR index "${index} + 1")
    else()
      get_filename_component(stem "${path}" NAME_WLE)
      string(MAKE_C_IDENTIFIER "${stem}" name)
      list(APPEND headers ${name})
    endif()
    _korvel_claim_name(${target} ${name} "${path}")
  endforeach()
  if(DEFINED arg_FRAMES)
    _korvel_claim_name(${target} ${arg_FRAMES} "${paths}")
    set(headers ${arg_FRAMES})
  endif()

  # korvel's own build runs its korvel as it runs its tests: under the
  # emulator of a cross build. An installed korvel runs on the build machine.
  set(korvel $<TARGET_FILE:korvel::korvel>)
  get_target_property(imported korvel::korvel IMPORTED)
  if(NOT imported)
    get_target_property(emulator korvel::korvel CROSSCOMPILING_EMULATOR)
    if(emulator)
      set(korvel ${emulator} ${korvel})
    endif()
  endif()

  # A name such as "off" or "n" would read as false in a condition.
  set(frames OFF)
  if(DEFINED arg_FRAMES)
    set(frames ON)
  endif()
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/korvelHeader.cmake)
  set(outputs)
  foreach(name IN LISTS headers)
    set(header ${include}/korvel/${name}.h)
    if(frames)
      set(sources ${paths})
    else()
      list(POP_FRONT paths source)
      set(sources "${source}")
    endif()
    add_custom_command(OUTPUT ${header}
      COMMAND ${CMAKE_COMMAND} "-DKORVEL=${korvel}" -D HEADER=${header} -D NAME=${name}
              -D PROGMEM=${arg_PROGMEM} -D FRAMES=${frames}
              -P ${script} -- ${sources}
      DEPENDS ${sources} ${script} korvel::korvel
      COMMENT "korvel: making korvel/${name}.h"
      VERBATIM)
    list(APPEND outputs ${header})
  endforeach()
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PRIVATE ${include})
endfunction()

# Two pictures that would give one name for the same target cannot both be
# included: configuring fails, naming both.
function(_korvel_claim_name target name files)
  get_property(earlier GLOBAL PROPERTY _korvel_${target}_${name})
  if(earlier)
    message(FATAL_ERROR "korvel_add_bitmaps: ${files} and ${earlier} would both be "
                        "named ${name} for ${target}; rename one of them")
  endif()
  set_property(GLOBAL PROPERTY _korvel_${target}_${name} "${files}")
endfunction()
