# SPDX-License-Identifier: MIT
# Makes the one-file page at build time:
#   cmake -D PAGE=<template> -D STYLE=<css> -D MODULE=<korvel.js>
#         -D HEADER_MODULE=<korvel-header.js> -D SCRIPT=<page.js>
#         -D OUTPUT=<korvel.html> -P inline.cmake
# Each @KORVEL_...@ line of the template takes a file's whole text.
file(READ "${PAGE}" page)
file(READ "${STYLE}" style)
file(READ "${MODULE}" module)
file(READ "${HEADER_MODULE}" headermodule)
file(READ "${SCRIPT}" script)
foreach(part module headermodule script)
  # Inside <script>, this text would end the element early.
  string(TOLOWER "${${part}}" lower)
  string(FIND "${lower}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${part} holds </script at ${at}; it cannot be inlined")
  endif()
endforeach()
string(REPLACE "@KORVEL_STYLE@" "${style}" page "${page}")
string(REPLACE "@KORVEL_MODULE@" "${module}" page "${page}")
string(REPLACE "@KORVEL_HEADER_MODULE@" "${headermodule}" page "${page}")
string(REPLACE "@KORVEL_PAGE@" "${script}" page "${page}")
file(WRITE "${OUTPUT}.new" "${page}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
