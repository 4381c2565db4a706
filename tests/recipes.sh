#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one of the README's recipes as it stands there, on headers made by the
# korvel under test. Usage: recipes.sh NAME, with the environment
#   KORVEL           the korvel binary      KORVEL_EMULATOR  how to run both, or empty
#   KORVEL_PREVIEW   the korvel-preview binary
#   KORVEL_SEEDS     the fixture writer     KORVEL_SOURCE    the source tree
#   KORVEL_BUILD     the build folder (for "install")
# Exit status 77: a tool the recipe needs is missing here, the test is skipped.
set -euo pipefail
name=$1
readme=$KORVEL_SOURCE/README.md
recipes=$KORVEL_SOURCE/tests/recipes
work=$(mktemp -d /tmp/korvel-recipe-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

# korvel on the PATH, as users have it.
mkdir bin
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${KORVEL_EMULATOR:-}" "$KORVEL" >bin/korvel
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${KORVEL_EMULATOR:-}" "$KORVEL_PREVIEW" >bin/korvel-preview
chmod +x bin/korvel bin/korvel-preview
PATH=$work/bin:$PATH

recipe() {  # the fenced block that follows <!-- recipe: $1 --> in the README
  awk -v tag="<!-- recipe: $1 -->" '
    $0 == tag { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$readme"
}
skipunless() {  # command: skip the test where it is missing
  command -v "$1" >/dev/null || { echo "skipped: no $1"; exit 77; }
}
skipunlessimagemagick() {  # /usr/local/bin/convert may be a stand-in
  convert -version 2>/dev/null | grep -q '^Version: ImageMagick' || { echo "skipped: no ImageMagick"; exit 77; }
}
fail() { echo "FAILED: $*"; exit 1; }
strict=(-Wall -Wextra -pedantic -Werror)

cp "$KORVEL_SOURCE/examples/logo.bmp" .
korvel logo.bmp >logo.h
mkdir seeds && ${KORVEL_EMULATOR:-} "$KORVEL_SEEDS" seeds
korvel seeds/w33.bmp >icon.h  # 33 wide: a row ends inside a byte

case $name in
draw)
  recipe draw >draw.inc
  [ -s draw.inc ] || fail "no draw recipe"
  c++ -std=c++17 "${strict[@]}" -I. "$recipes/draw.cpp" -o draw
  ./draw >drawn || fail "pixels lit past the width"
  cat "$KORVEL_SOURCE/examples/preview/logo.txt" "$KORVEL_SOURCE/examples/preview/logo.txt" >expected
  cmp drawn expected || fail "the drawn picture differs from the source"
  ;;
several)
  recipe several >several.inc
  grep -oh '0x[0-9A-F]*' logo.h icon.h >expected
  for std in c99 c11 c2x; do
    cc -std=$std "${strict[@]}" -I. -x c "$recipes/several.c" -o several
    ./several | cmp - expected || fail "bytes differ as $std"
    echo "$std: $(wc -l <expected) bytes as korvel wrote them"
  done
  for std in c++98 c++11 c++17 c++20; do
    c++ -std=$std "${strict[@]}" -I. -x c++ "$recipes/several.c" -o several
    ./several | cmp - expected || fail "bytes differ as $std"
    echo "$std: $(wc -l <expected) bytes as korvel wrote them"
  done
  ;;
progmem)
  skipunless avr-gcc
  avr=(avr-gcc -mmcu=atmega328p -Os -std=c11 "${strict[@]}" -I.)
  recipe progmem >progmem.inc
  "${avr[@]}" -c "$recipes/progmem.c" -o progmem.o
  avr-objdump -t progmem.o | grep -E '\.progmem\.data.*00000402 logo$' ||
    fail "logo is not a 1026-byte array in .progmem.data"
  sed 's/PROGMEM logo/logo PROGMEM/' progmem.inc >late.inc
  cp late.inc progmem.inc
  if "${avr[@]}" -c "$recipes/progmem.c" -o late.o 2>/dev/null; then
    fail "PROGMEM after the name compiled"
  fi
  ;;
arm)
  skipunless arm-none-eabi-gcc
  arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb -Os -std=c11 "${strict[@]}" -I. \
    -c "$recipes/firmware.c" -o firmware.o
  arm-none-eabi-nm -S firmware.o | grep -E '00000402 [rR] bmppic$' ||
    fail "bmppic is not a 1026-byte read-only array"
  ;;
imagemagick)
  skipunlessimagemagick
  mkdir png && convert logo.bmp png/logo.png
  (cd png && eval "$(recipe imagemagick)")
  korvel png/logo.bmp | cmp - <(korvel logo.bmp) || fail "the picture changed on its way through PNG"
  ;;
pipe)
  skipunlessimagemagick
  mkdir png && convert logo.bmp png/logo.png && cd png
  eval "$(recipe pipe)" || fail "the recipe failed"
  cmp logo.h ../logo.h || fail "the pipe gave another array"
  korvel <(convert logo.png -monochrome BMP3:-) | cmp - ../logo.h || fail "process substitution"
  mkfifo fifo
  convert logo.png -monochrome BMP3:- >fifo &
  korvel fifo | cmp - ../logo.h || fail "the FIFO gave another array"
  wait $! || fail "convert into the FIFO failed"
  ;;
preview)
  recipe preview >shown
  command=$(sed -n '1s/^\$ //p' shown)
  [ -n "$command" ] || fail "no command in the preview recipe"
  eval "$command" >drawn || fail "$command failed"
  [ "$(wc -l <drawn)" -gt 8 ] || fail "fewer lines drawn than shown"
  sed 1d shown | cmp - <(head -n "$(($(wc -l <shown) - 1))" drawn) || fail "the README shows other lines"
  ;;
make)
  skipunless make
  recipe make >Makefile
  printf 'BM' >broken.bmp
  rm logo.h
  make -s logo.h && korvel logo.bmp | cmp - logo.h || fail "logo.h not made"
  if make -s broken.h >/dev/null 2>&1; then fail "a refused picture passed"; fi
  [ ! -e broken.h ] || fail "a refused picture left broken.h"
  make -q logo.h || fail "logo.h remade although the picture is unchanged"
  touch -d "@$(($(date +%s) + 10))" logo.bmp
  if make -q logo.h; then fail "a changed picture did not remake logo.h"; fi
  ;;
cmake)
  recipe cmake >readme.txt
  sed -n '/^# recipe: cmake/,/^# end of recipe/p' "$KORVEL_SOURCE/examples/preview/CMakeLists.txt" |
    sed '1d;$d' >preview.txt
  [ -s readme.txt ] && cmp readme.txt preview.txt || fail "README and preview rules differ"
  ;;
install)
  cmake --install "$KORVEL_BUILD" --prefix prefix >/dev/null
  for program in korvel korvel-preview; do
    [ -x prefix/bin/$program ] || fail "no bin/$program"
    page=prefix/share/man/man1/$program.1.gz
    [ -f $page ] || fail "no manual page for $program"
    warnings=$(zcat $page | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff: $warnings"
  done
  for doc in copyright changelog.gz; do
    [ -f prefix/share/doc/korvel/$doc ] || fail "no $doc"
  done
  ;;
package)
  skipunless cpack
  skipunless dpkg-shlibdeps
  cpack -G DEB --config "$KORVEL_BUILD/CPackConfig.cmake" -B deb >/dev/null
  dpkg -c deb/*.deb | tee contents
  for file in bin/korvel bin/korvel-preview share/man/man1/korvel.1.gz \
              share/man/man1/korvel-preview.1.gz share/doc/korvel/copyright; do
    grep -q " \./usr/$file\$" contents || fail "the package lacks $file"
  done
  skipunless lintian
  lintian --fail-on error,warning deb/*.deb || fail "lintian"
  ;;
zip)
  skipunless cpack
  cpack -G ZIP --config "$KORVEL_BUILD/CPackConfig.cmake" -B zip >/dev/null
  cmake -E tar tf zip/*.zip | tee contents
  for file in korvel.exe korvel-preview.exe README.md LICENSE; do
    grep -q "/$file\$" contents || fail "the ZIP lacks $file"
  done
  ;;
hardening)
  skipunless hardening-check
  hardening-check "$KORVEL" | tee report || true
  for check in "Position Independent Executable" "Stack protected" \
               "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
    grep -q "^ $check: yes" report || fail "$check"
  done
  ;;
*)
  fail "no recipe test $name"
  ;;
esac
echo "recipe $name: passed"
