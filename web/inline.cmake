# SPDX-License-Identifier: MIT
# Makes the one-file page at build time:
#   cmake -D PAGE=<template> -D STYLE=<css> -D MODULE=<korvel.js>
#         -D HEADER_MODULE=<korvel-header.js> -D SCRIPT=<page.js>
#         -D OUTPUT=<korvel.html> -P inline.cmake
# Each @KORVEL_...@ line of the template takes a file's whole text. The
# Content-Security-Policy lets exactly these scripts run, by their SHA-256
# hashes (@KORVEL_SCRIPT_HASHES@), and no other inline script.
file(READ "${PAGE}" page)
file(READ "${STYLE}" style)
file(READ "${MODULE}" module)
file(READ "${HEADER_MODULE}" headermodule)
file(READ "${SCRIPT}" script)

# Base64 of a hexadecimal digest, as CSP hashes are written.
function(base64ofhex hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" length)
  set(text "")
  foreach(at RANGE 0 ${length} 6)
    math(EXPR left "${length} - ${at}")
    if(left LESS_EQUAL 0)
      break()
    endif()
    string(SUBSTRING "${hex}" ${at} 6 group)
    string(LENGTH "${group}" digits)
    math(EXPR chars "${digits} * 2 / 3 + 1")
    math(EXPR value "0x${group} << (4 * (6 - ${digits}))")
    foreach(shift 18 12 6 0)
      if(chars GREATER 0)
        math(EXPR index "(${value} >> ${shift}) & 63")
        string(SUBSTRING "${alphabet}" ${index} 1 char)
        string(APPEND text "${char}")
        math(EXPR chars "${chars} - 1")
      else()
        string(APPEND text "=")
      endif()
    endforeach()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(hashes "")
foreach(part module headermodule script)
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
string(REPLACE "@KORVEL_HEADER_MODULE@" "${headermodule}" page "${page}")
string(REPLACE "@KORVEL_PAGE@" "${script}" page "${page}")
file(WRITE "${OUTPUT}.new" "${page}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
