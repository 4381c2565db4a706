# SPDX-License-Identifier: MIT
# korvel_add_bitmaps(<target> [FRAMES <name> | PLANES <name>] [PROGMEM] [LAYOUT korvel|xbm|pages]
#                    [POLARITY black|white] [ROTATE 0|90|180|270] [PIXELS_ONLY]
#                    [PREFIX <prefix>] <picture>... [DELAYS <milliseconds>...])
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
# - PLANES <name> puts two pictures of one size, the black and the colour
#   plane of a three-colour panel, into korvel/<name>.h as <name>_black and
#   <name>_colour.
# - DELAYS, with FRAMES, adds a table static const unsigned int
#   <name>_delays[] of each frame's time in milliseconds (0 to 65535), one
#   number a picture in the same order, after the pictures.
# - PROGMEM places the arrays, and the table, in flash on AVR, as
#   <avr/pgmspace.h> defines it; read them with pgm_read_byte and
#   pgm_read_ptr.
# - LAYOUT writes the arrays in the layout the drawing call reads, made from
#   korvel's bytes: korvel's own (the default), xbm (the leftmost pixel in
#   bit 0) or pages (pages of 8 rows, a byte a column, the SSD1306's order).
# - POLARITY white sets the bits of white pixels and of every bit outside
#   the picture, as e-paper memory takes a set bit for paper; black, the
#   default, sets the bits of black ones.
# - ROTATE turns the pictures clockwise before they are written, as a
#   panel's memory in its own orientation takes a drawing made across it.
# - PIXELS_ONLY writes the pixel bytes alone, the size as <name>_width and
#   <name>_height before them (one for all frames, which must share it),
#   and takes pictures up to 8192 pixels a side: whole e-paper screens.
# - PREFIX puts <prefix> before every array's name, not the header's:
#   PREFIX icon_ clock.bmp gives icon_clock in korvel/clock.h, for names
#   that the C library declares too.
# The target may be defined in another folder, may be an ALIAS, and may be
# an INTERFACE library: every target that links it gets the headers. At the
# end of configuring, every name that reaches a target, through its own
# calls and the INTERFACE libraries it links, must be one picture. Relative
# paths are taken from the calling folder. A picture korvel refuses fails
# the build with korvel's message, and keeps failing it until the picture is
# mended.
#
# korvel-header, built from korvel's own converter, writes the headers. The
# installed package runs it on the build machine, also in a cross build; in
# korvel's own build it runs the one built there (under the cross build's
# emulator, if there is one).
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/korvelNames.cmake)

function(korvel_add_bitmaps target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PROGMEM;PIXELS_ONLY" "FRAMES;PLANES;LAYOUT;POLARITY;ROTATE;PREFIX"
                        "DELAYS")
  set(call "${ARGN}")
  if(NOT TARGET ${target})
    message(FATAL_ERROR "korvel_add_bitmaps: ${target} is not a target")
  endif()
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  # A variable of the caller's named group is not the call's.
  set(group "")
  _korvel_options(options group)
  _korvel_name_pictures(names paths)
  # One folder per target and calling folder, so that two targets may use
  # the same names.
  set(include ${CMAKE_CURRENT_BINARY_DIR}/korvel_${target})
  file(MAKE_DIRECTORY ${include}/korvel)
  set(outputs)
  if(NOT group STREQUAL "")
    _korvel_add_header(${group} "${paths}")
  else()
    foreach(name path IN ZIP_LISTS names paths)
      _korvel_add_header(${name} "${path}")
    endforeach()
  endif()

  # The headers' rules live in the calling folder; a target of their own
  # there makes them before the target, wherever it is defined, and before
  # every target that links an INTERFACE library.
  get_property(calls GLOBAL PROPERTY _korvel_calls)
  math(EXPR calls "${calls} + 1")
  set_property(GLOBAL PROPERTY _korvel_calls ${calls})
  add_custom_target(korvel_headers_${calls} DEPENDS ${outputs})
  add_dependencies(${target} korvel_headers_${calls})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${include})
  else()
    target_include_directories(${target} PRIVATE ${include})
  endif()
endfunction()

# The helpers below are korvel_add_bitmaps()'s steps, in call order; each
# reads the call's target, arguments (arg_...) and what the steps before it
# made.

# korvel-header's options for the call's choices, each checked, and the
# name of its FRAMES table or PLANES, if any. A keyword is in call, the
# call's arguments, even where no value follows it.
function(_korvel_options out group)
  set(options)
  set(kind)
  if("PREFIX" IN_LIST call AND NOT "${arg_PREFIX}" MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "korvel_add_bitmaps: PREFIX needs the start of a C identifier for "
                        "${target}, as in PREFIX icon_, not '${arg_PREFIX}'")
  endif()
  # FRAMES or PLANES followed by nothing, by another keyword, by an empty
  # value (an unset variable, say, which makes the first picture its name).
  foreach(given FRAMES:table:spinner PLANES:planes:sign)
    string(REPLACE ":" ";" given "${given}")
    list(POP_FRONT given keyword what example)
    if(keyword IN_LIST call AND NOT "${arg_${keyword}}" MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "korvel_add_bitmaps: ${keyword} needs the name of the ${what} for ${target}, "
                          "a C identifier as in ${keyword} ${example}, not '${arg_${keyword}}'")
    elseif(DEFINED arg_${keyword})
      _korvel_check_name(${arg_PREFIX}${arg_${keyword}} "${keyword} ${arg_${keyword}}")
      set(${group} ${arg_${keyword}} PARENT_SCOPE)
      string(TOLOWER --${keyword} kind)
    endif()
  endforeach()
  if(DEFINED arg_FRAMES AND DEFINED arg_PLANES)
    message(FATAL_ERROR "korvel_add_bitmaps: FRAMES and PLANES for ${target}: give one of them")
  endif()
  # The form's choices and their values, korvel's own first, as
  # korvel-header takes them.
  foreach(choice LAYOUT:korvel,xbm,pages POLARITY:black,white ROTATE:0,90,180,270)
    string(REGEX REPLACE ":.*" "" keyword ${choice})
    string(REGEX REPLACE ".*:" "" values ${choice})
    string(REPLACE "," ";" values "${values}")
    if(keyword IN_LIST call AND NOT "${arg_${keyword}}" IN_LIST values)
      list(POP_BACK values last)
      string(REPLACE ";" ", " values "${values}")
      message(FATAL_ERROR "korvel_add_bitmaps: unknown ${keyword} '${arg_${keyword}}' for ${target}; "
                          "use ${values} or ${last}")
    endif()
    list(GET values 0 default)
    if(DEFINED arg_${keyword} AND NOT arg_${keyword} STREQUAL default)
      string(TOLOWER ${keyword} option)
      list(APPEND options --${option} ${arg_${keyword}})
    endif()
  endforeach()
  foreach(flag PIXELS_ONLY:--pixels-only PROGMEM:--progmem)
    string(REPLACE ":" ";" flag "${flag}")
    list(POP_FRONT flag keyword option)
    if(arg_${keyword})
      list(APPEND options ${option})
    endif()
  endforeach()
  list(APPEND options ${kind})
  list(LENGTH arg_UNPARSED_ARGUMENTS count)
  if("DELAYS" IN_LIST call)
    _korvel_check_delays(${count} "${arg_FRAMES}" "${arg_DELAYS}")
    string(REPLACE ";" "," delays "${arg_DELAYS}")
    list(APPEND options --delays ${delays})
  endif()
  if(count EQUAL 0)
    message(FATAL_ERROR "korvel_add_bitmaps: no picture given for ${target}")
  elseif(DEFINED arg_PLANES AND NOT count EQUAL 2)
    message(FATAL_ERROR "korvel_add_bitmaps: PLANES ${arg_PLANES} has ${count} pictures for ${target}; "
                        "give two: the black plane, then the colour plane")
  elseif(DEFINED arg_FRAMES AND count GREATER 256)
    message(FATAL_ERROR "korvel_add_bitmaps: FRAMES ${arg_FRAMES} has ${count} pictures for "
                        "${target}; korvel-preview shows at most 256 of one header: split them "
                        "into several FRAMES")
  endif()
  set(${out} ${options} PARENT_SCOPE)
endfunction()

# The pictures' paths, from the calling folder, and their arrays' names,
# without the prefix: the stem made a C identifier, <table>_<index> of
# FRAMES, <name>_black and _colour of PLANES. Each name, and each header's
# <name>.h, is claimed for the target.
function(_korvel_name_pictures names paths)
  set(planes black colour)
  set(index 0)
  set(named)
  set(given)
  foreach(picture IN LISTS arg_UNPARSED_ARGUMENTS)
    get_filename_component(path "${picture}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(DEFINED arg_FRAMES)
      set(name ${arg_FRAMES}_${index})
    elseif(DEFINED arg_PLANES)
      list(GET planes ${index} plane)
      set(name ${arg_PLANES}_${plane})
    else()
      if(path IN_LIST given)
        message(FATAL_ERROR "korvel_add_bitmaps: ${path} is given twice for ${target}")
      endif()
      get_filename_component(stem "${path}" NAME_WLE)
      set(name)
      if(NOT stem STREQUAL "")
        string(MAKE_C_IDENTIFIER "${stem}" name)
      endif()
      _korvel_check_name("${arg_PREFIX}${name}" "${path}")
    endif()
    math(EXPR index "${index} + 1")
    list(APPEND named ${name})
    list(APPEND given "${path}")
    if(NOT group STREQUAL "")
      _korvel_claim("${path}" ${arg_PREFIX}${name})
    else()
      _korvel_sizes(sizes ${arg_PREFIX}${name})
      _korvel_claim("${path}" ${arg_PREFIX}${name} ${name}.h ${sizes})
    endif()
    # A picture another rule makes may be missing yet.
    get_source_file_property(generated "${path}" GENERATED)
    if(NOT EXISTS "${path}" AND NOT generated)
      message(FATAL_ERROR "korvel_add_bitmaps: ${path} for ${target} does not exist")
    endif()
  endforeach()
  # The table's name, or the planes' header's, and the delays' table.
  if(NOT group STREQUAL "")
    _korvel_sizes(sizes ${arg_PREFIX}${group})
    _korvel_claim("${given}" ${arg_PREFIX}${group} ${group}.h)
    if(DEFINED arg_DELAYS)
      _korvel_claim("${given}" ${arg_PREFIX}${arg_FRAMES}_delays)
    endif()
    _korvel_claim("${given}" ${sizes})
  endif()
  set(${names} ${named} PARENT_SCOPE)
  set(${paths} "${given}" PARENT_SCOPE)
endfunction()

# The names of a pixels-only array's size, <name>_width and <name>_height;
# none for other arrays.
function(_korvel_sizes out name)
  set(sizes)
  if(arg_PIXELS_ONLY)
    set(sizes ${name}_width ${name}_height)
  endif()
  set(${out} ${sizes} PARENT_SCOPE)
endfunction()

# The rule that makes korvel/<name>.h of the pictures, in outputs. korvel's
# own build runs its korvel-header as it runs its tests: under the emulator
# of a cross build.
function(_korvel_add_header name pictures)
  set(program $<TARGET_FILE:korvel::korvel-header>)
  get_target_property(imported korvel::korvel-header IMPORTED)
  if(NOT imported)
    get_target_property(emulator korvel::korvel-header CROSSCOMPILING_EMULATOR)
    if(emulator)
      set(program ${emulator} ${program})
    endif()
  endif()
  set(header ${include}/korvel/${name}.h)
  add_custom_command(OUTPUT ${header}
    COMMAND ${program} ${options} ${header} ${arg_PREFIX}${name} ${pictures}
    DEPENDS ${pictures} korvel::korvel-header
    COMMENT "korvel: making korvel/${name}.h"
    VERBATIM)
  set(outputs ${outputs} ${header} PARENT_SCOPE)
endfunction()

# DELAYS takes one number of milliseconds a frame, as an unsigned int holds
# it on every target, and ends at the next keyword or the end: the pictures
# stand before it.
function(_korvel_check_delays count frames delays)
  list(LENGTH delays given)
  if(frames STREQUAL "")
    message(FATAL_ERROR "korvel_add_bitmaps: DELAYS needs FRAMES for ${target}, as in "
                        "FRAMES spinner a.bmp b.bmp DELAYS 100 250")
  endif()
  foreach(delay IN LISTS delays)
    if(NOT delay MATCHES "^[0-9]+$" OR delay GREATER 65535)
      message(FATAL_ERROR "korvel_add_bitmaps: DELAYS of ${frames} for ${target} takes "
                          "milliseconds from 0 to 65535, not '${delay}'; the pictures stand "
                          "before DELAYS")
    endif()
  endforeach()
  if(NOT given EQUAL count)
    message(FATAL_ERROR "korvel_add_bitmaps: DELAYS of ${frames} for ${target} gives ${given} "
                        "delays for ${count} pictures; give one for each")
  endif()
endfunction()

# Refuses a name no compiler takes (see korvelNames.cmake): none at all, a
# reserved one, or one too long.
function(_korvel_check_name name what)
  if(name STREQUAL "")
    message(FATAL_ERROR "korvel_add_bitmaps: ${what} has no name before its extension; "
                        "rename it, as in logo.bmp")
  elseif(name IN_LIST KORVEL_RESERVED_NAMES OR name MATCHES "^(__|_[A-Z])")
    message(FATAL_ERROR "korvel_add_bitmaps: ${what} would name its array ${name}, "
                        "which C or C++ compilers take for their own; rename it, or give a "
                        "PREFIX")
  endif()
  string(LENGTH "${name}" length)
  if(length GREATER KORVEL_NAME_MAX)
    message(FATAL_ERROR "korvel_add_bitmaps: ${what} would name its array ${name}, "
                        "${length} characters; korvel takes at most ${KORVEL_NAME_MAX}")
  endif()
endfunction()

# Two pictures that would give one name for the same target cannot both be
# included: configuring fails, naming both. Arrays are claimed by their
# names, headers by <name>.h, as no C identifier holds a '.'; the key holds
# the target and the name apart, as neither holds a ':'.
function(_korvel_claim files)
  foreach(name IN LISTS ARGN)
    set(key _korvel_claim:${target}:${name})
    get_property(earlier GLOBAL PROPERTY ${key})
    if(earlier STREQUAL files)
      message(FATAL_ERROR "korvel_add_bitmaps: ${files} is given twice for ${target}")
    elseif(earlier)
      message(FATAL_ERROR "korvel_add_bitmaps: ${files} and ${earlier} would both be "
                          "named ${name} for ${target}; rename one of them")
    endif()
    set_property(GLOBAL PROPERTY ${key} "${files}")
    set_property(GLOBAL APPEND PROPERTY _korvel_names:${target} ${name})
  endforeach()
  # Once all targets and their links are known, the names that reach each.
  get_property(deferred GLOBAL PROPERTY _korvel_deferred)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY _korvel_deferred ON)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _korvel_check_reach)
  endif()
endfunction()

# A target sees the headers of its own calls and of every INTERFACE library
# it links, directly or through others; of two headers of one name it
# would include the first. So every name that reaches a target must be one
# picture, or configuring stops, naming both.
function(_korvel_check_reach)
  _korvel_targets(${CMAKE_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    _korvel_check_target(${target})
  endforeach()
endfunction()

# The names of one target, each seen once, in a scope of its own.
function(_korvel_check_target target)
  _korvel_reaching(${target} sources)
  foreach(source IN LISTS sources)
    get_property(names GLOBAL PROPERTY _korvel_names:${source})
    foreach(name IN LISTS names)
      get_property(files GLOBAL PROPERTY _korvel_claim:${source}:${name})
      if(DEFINED seen_${name} AND NOT seen_${name} STREQUAL files)
        message(FATAL_ERROR "korvel_add_bitmaps: ${files} (for ${source}) and ${seen_${name}} "
                            "(for ${from_${name}}) would both be named ${name} for ${target}; "
                            "rename one of them")
      endif()
      set(seen_${name} "${files}")
      set(from_${name} ${source})
    endforeach()
  endforeach()
endfunction()

# Every target of the folder and the folders below it.
function(_korvel_targets folder out)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS folders)
    _korvel_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The target and the INTERFACE libraries whose headers reach it.
function(_korvel_reaching target out)
  set(reached ${target})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(queue ${target} INTERFACE_LINK_LIBRARIES)
  else()
    get_target_property(queue ${target} LINK_LIBRARIES)
  endif()
  while(queue)
    list(POP_FRONT queue item)
    string(REGEX REPLACE "^\\$<(LINK_ONLY|BUILD_INTERFACE):(.*)>$" "\\2" item "${item}")
    if(NOT TARGET "${item}")
      continue()
    endif()
    get_target_property(aliased ${item} ALIASED_TARGET)
    if(aliased)
      set(item ${aliased})
    endif()
    get_target_property(type ${item} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY" AND NOT item IN_LIST reached)
      list(APPEND reached ${item})
      get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
      if(links)
        list(APPEND queue ${links})
      endif()
    endif()
  endwhile()
  set(${out} ${reached} PARENT_SCOPE)
endfunction()
