# SPDX-License-Identifier: MIT
# Writes one header of korvel_add_bitmaps() at build time:
#   cmake -D KORVEL=<korvel's command line, a list> -D HEADER=<file>
#         -D NAME=<identifier> -D PROGMEM=<bool> -D FRAMES=<bool>
#         -P korvelHeader.cmake -- <picture>...
# The pictures are absolute paths: cmake takes some arguments that start
# with "-" as its own options even after "--".
# korvel names every array bmppic; a #define around each of korvel's texts
# gives it its name, so that the header holds korvel's bytes exactly.
# korvel prints a refusal where the array would go, on standard output; it
# is shown here on standard error, as it stands, and the header is removed,
# so that no later build takes an old one.

set(pictures)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(DEFINED dashes)
    list(APPEND pictures "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(dashes ON)
  endif()
endforeach()

file(REMOVE "${HEADER}")
set(guard KORVEL_${NAME}_H)
set(text "/* Made by korvel at build time; edits are lost when it is remade. */\n")
string(APPEND text "#ifndef ${guard}\n#define ${guard}\n")
set(progmem)
if(PROGMEM)
  string(APPEND text "#include <avr/pgmspace.h>\n")
  # On AVR the mark must stand before the array's name.
  set(progmem "PROGMEM ")
endif()

set(frames)
foreach(picture IN LISTS pictures)
  execute_process(COMMAND ${KORVEL} ${picture}
    OUTPUT_VARIABLE array ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(STRIP "${array}${errors}" array)
    # A message of its own, not the error's text: message() rewraps that.
    message("${array}")
    message(FATAL_ERROR "korvel refused ${picture} (${status})")
  endif()
  set(id ${NAME})
  if(FRAMES)
    list(LENGTH frames index)
    set(id ${NAME}_${index})
    list(APPEND frames ${id})
  endif()
  string(APPEND text "#define bmppic ${progmem}${id}\n${array}#undef bmppic\n")
endforeach()

if(FRAMES)
  list(JOIN frames ",\n    " table)
  if(PROGMEM)
    string(APPEND text "static const unsigned char *const ${NAME}[] PROGMEM = {\n    ${table}\n};\n")
  else()
    string(APPEND text "static const unsigned char *const ${NAME}[] = {\n    ${table}\n};\n")
  endif()
endif()
string(APPEND text "#endif\n")
file(WRITE "${HEADER}.new" "${text}")
file(RENAME "${HEADER}.new" "${HEADER}")
