# SPDX-License-Identifier: MIT
# Makes the one-file page at build time:
#   cmake -D PAGE=<template> -D STYLE=<css> -D MODULE=<korvel-programs.js>
#         -D WASM=<korvel-programs.wasm> -D NAMES=<korvelNames.cmake>
#         -D SCRIPT=<page.js> -D OUTPUT=<korvel.html> -P inline.cmake
# Each @KORVEL_...@ line of the template takes a file's whole text, the
# WebAssembly's as base64. The
# Content-Security-Policy lets exactly these scripts run, by their SHA-256
# hashes (@KORVEL_SCRIPT_HASHES@), and no other inline script.
# The policies of korvel's build: "@KORVEL_...@" is text here, not a
# variable.
cmake_minimum_required(VERSION 3.20)
file(READ "${PAGE}" page)
file(READ "${STYLE}" style)
file(READ "${MODULE}" module)
file(READ "${SCRIPT}" script)

# Base64 of hexadecimal text (a digest, or a whole file read as HEX): every
# 3 bytes give 4 characters; the last 1 or 2 bytes are padded with '='.
function(base64ofhex hex out)
  set(alphabet A B C D E F G H I J K L M N O P Q R S T U V W X Y Z a b c d e f g h i j k l m n o p q r s t u v w x y z
               0 1 2 3 4 5 6 7 8 9 + /)
  string(LENGTH "${hex}" length)
  math(EXPR whole "${length} / 6 * 6")
  string(SUBSTRING "${hex}" ${whole} -1 tail)
  string(REGEX MATCHALL "[0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F]" groups "${hex}")
  if(NOT tail STREQUAL "")
    # The tail, filled with zero bits to a group, of which 2 or 3
    # characters count.
    string(LENGTH "${tail}" digits)
    math(EXPR keep "${digits} / 2 + 1")
    string(SUBSTRING "${tail}000000" 0 6 last)
    list(APPEND groups ${last})
  endif()
  set(text "")
  foreach(group IN LISTS groups)
    math(EXPR value "0x${group}")
    math(EXPR a "(${value} >> 18) & 63")
    math(EXPR b "(${value} >> 12) & 63")
    math(EXPR c "(${value} >> 6) & 63")
    math(EXPR d "${value} & 63")
    list(GET alphabet ${a} ${b} ${c} ${d} chars)
    string(REPLACE ";" "" chars "${chars}")
    string(APPEND text "${chars}")
  endforeach()
  if(NOT tail STREQUAL "")
    string(LENGTH "${text}" all)
    math(EXPR all "${all} - 4 + ${keep}")
    string(SUBSTRING "${text}" 0 ${all} text)
    if(keep EQUAL 2)
      string(APPEND text "==")
    else()
      string(APPEND text "=")
    endif()
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The page's module, without the file its glue would fetch: the page
# compiles the inlined WebAssembly itself.
file(READ "${WASM}" wasm HEX)
base64ofhex("${wasm}" wasm)

# The names korvel-header and korvel_add_bitmaps() refuse, which the page
# refuses alike.
include("${NAMES}")
list(JOIN KORVEL_RESERVED_NAMES " " reserved)
string(REPLACE "@KORVEL_RESERVED_NAMES@" "${reserved}" script "${script}")
string(REPLACE "@KORVEL_NAME_MAX@" "${KORVEL_NAME_MAX}" script "${script}")

set(hashes "")
foreach(part module script)
  # Inside <script>, this text would end the element early.
  string(TOLOWER "${${part}}" lower)
  string(FIND "${lower}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${part} holds </script at ${at}; it cannot be inlined")
  endif()
  # The element's text: the part between the newlines around its line.
  string(SHA256 digest "\n${${part}}\n")
  base64ofhex(${digest} hash)
  string(APPEND hashes " 'sha256-${hash}'")
endforeach()
string(STRIP "${hashes}" hashes)
string(REPLACE "@KORVEL_SCRIPT_HASHES@" "${hashes}" page "${page}")
string(REPLACE "@KORVEL_STYLE@" "${style}" page "${page}")
string(REPLACE "@KORVEL_MODULE@" "${module}" page "${page}")
string(REPLACE "@KORVEL_WASM@" "${wasm}" page "${page}")
string(REPLACE "@KORVEL_PAGE@" "${script}" page "${page}")
file(WRITE "${OUTPUT}.new" "${page}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
