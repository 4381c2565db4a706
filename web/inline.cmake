# SPDX-License-Identifier: MIT
# Makes the one-file page at build time:
#   cmake -D PAGE=<template> -D STYLE=<css> -D MODULE=<korvel-programs.js>
#         -D WASM=<korvel-programs.wasm> -D NAMES=<korvelNames.cmake>
#         -D SCRIPT=<page.js> -D WORKER=<worker.js> -D NODE=<node>
#         -D OUTPUT=<korvel.html> -P inline.cmake
# Each @KORVEL_...@ of the template takes a file's whole text, the
# WebAssembly's as base64. The Content-Security-Policy lets exactly the
# page's inline scripts run, by their SHA-256 hashes
# (@KORVEL_SCRIPT_HASHES@), and no other; the module and the worker's
# script are text that the page makes its worker of.
# The policies of korvel's build: "@KORVEL_...@" is text here, not a
# variable.
cmake_minimum_required(VERSION 3.20)
file(READ "${PAGE}" page)
file(READ "${STYLE}" style)
file(READ "${MODULE}" module)
file(READ "${SCRIPT}" script)
file(READ "${WORKER}" worker)

# Base64 by node, which the web build runs anyway (emscripten's own tools
# and the build's emulator): of a file, or of a text's SHA-256 digest.
function(base64 out code file)
  execute_process(COMMAND "${NODE}" -e "${code}" "${file}" OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "node (${NODE}) gave no base64: ${failed}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The page's module, without the file its glue would fetch: the page
# compiles the inlined WebAssembly itself.
base64(wasm "process.stdout.write(require('fs').readFileSync(process.argv[1]).toString('base64'))" "${WASM}")

# The names korvel-header and korvel_add_bitmaps() refuse, which the page
# refuses alike.
include("${NAMES}")
list(JOIN KORVEL_RESERVED_NAMES " " reserved)
string(REPLACE "@KORVEL_RESERVED_NAMES@" "${reserved}" script "${script}")
string(REPLACE "@KORVEL_NAME_MAX@" "${KORVEL_NAME_MAX}" script "${script}")

foreach(part module script worker)
  # Inside <script>, this text would end the element early.
  string(TOLOWER "${${part}}" lower)
  string(FIND "${lower}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${part} holds </script at ${at}; it cannot be inlined")
  endif()
endforeach()
string(REPLACE "@KORVEL_STYLE@" "${style}" page "${page}")
string(REPLACE "@KORVEL_MODULE@" "${module}" page "${page}")
string(REPLACE "@KORVEL_WORKER@" "${worker}" page "${page}")
string(REPLACE "@KORVEL_WASM@" "${wasm}" page "${page}")
string(REPLACE "@KORVEL_PAGE@" "${script}" page "${page}")

# The Content-Security-Policy lets each inline script of the finished page
# run by the SHA-256 of its text exactly as it stands between <script> and
# </script>, whatever blanks the template puts around it.
set(hashes "")
set(rest "${page}")
string(FIND "${rest}" "<script>" at)
while(NOT at EQUAL -1)
  math(EXPR at "${at} + 8")
  string(SUBSTRING "${rest}" ${at} -1 rest)
  string(FIND "${rest}" "</script>" end)
  string(SUBSTRING "${rest}" 0 ${end} text)
  file(WRITE "${OUTPUT}.script" "${text}")
  base64(hash "process.stdout.write(require('crypto').createHash('sha256').update(require('fs').readFileSync(process.argv[1])).digest('base64'))"
         "${OUTPUT}.script")
  string(APPEND hashes " 'sha256-${hash}'")
  string(SUBSTRING "${rest}" ${end} -1 rest)
  string(FIND "${rest}" "<script>" at)
endwhile()
file(REMOVE "${OUTPUT}.script")
string(STRIP "${hashes}" hashes)
string(REPLACE "@KORVEL_SCRIPT_HASHES@" "${hashes}" page "${page}")
file(WRITE "${OUTPUT}.new" "${page}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
