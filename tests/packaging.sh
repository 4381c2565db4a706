#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks korvel as it is installed and packaged, and its CMake package as a
# firmware project uses it (tests/consumer). Usage: packaging.sh NAME, with
# the environment that testenv.sh describes.
source "$(dirname "$0")/testenv.sh"

# The consumer project, its pictures, and the bytes its program must print:
# korvel's arrays of the same pictures, in the order it prints them.
consumerproject() {
  cp -r "$KORVEL_SOURCE/tests/consumer" project
  cp -r seeds project/pictures
  cp logo.bmp project/pictures/wifi-strong.bmp
  cp seeds/w33.bmp "project/pictures/2nd icon.bmp"
  cp broken.bmp project/pictures/broken.bmp
  mkdir project/pictures/sub
  cp seeds/w9.bmp project/pictures/sub/w1.bmp
  cp seeds/w1.bmp project/pictures/main.bmp
  cp seeds/w1.bmp project/pictures/clock.bmp
  echo 'int main(void) { return 0; }' >project/other.c
  for picture in logo.bmp seeds/w33.bmp seeds/w1.bmp seeds/w9.bmp seeds/w33.bmp; do
    korvel $picture
  done | grep -o '0x[0-9A-F]*' >expected
  echo "delays 40 80 1000" >>expected
}
configure() {  # build folder, cmake options...
  local dir=$1
  shift
  cmake -S project -B "$dir" "$@" >"$dir.log" 2>&1 || { cat "$dir.log"; fail "configuring $dir"; }
}
built() {  # build folder: the consumer built and run, its bytes korvel's
  cmake --build "$1" >/dev/null || fail "building $1"
  "$1/consumer" | cmp - expected || fail "$1 holds other bytes than korvel wrote"
}
arrays() {  # the consumer's arrays from lines "name size" (hexadecimal), sorted
  awk '$1 ~ /^(wifi_strong|_2nd_icon|spinner(_[0-9]|_delays)?)$/ { sub(/^0+/, "", $2); print $1, $2 }' | sort
}

case $name in
install)
  installed
  for program in korvel korvel-preview korvel-header; do
    [ -x prefix/bin/$program ] || fail "no bin/$program"
    page=prefix/share/man/man1/$program.1.gz
    [ -f $page ] || fail "no manual page for $program"
    warnings=$(zcat $page | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff: $warnings"
  done
  for doc in copyright changelog.gz; do
    [ -f prefix/share/doc/korvel/$doc ] || fail "no $doc"
  done
  for file in korvelConfig korvelConfigVersion korvelTargets korvelBitmaps; do
    [ -f prefix/share/cmake/korvel/$file.cmake ] || fail "no $file.cmake"
  done
  ;;
consumer)
  installed
  consumerproject
  configure build -DCMAKE_PREFIX_PATH="$work/prefix"
  built build
  headers=(build/korvel_consumer/korvel/wifi_strong.h build/assets/korvel_assets/korvel/_2nd_icon.h
           build/assets/korvel_consumer/korvel/spinner.h)
  [ "$(find build -path "*/korvel/*.h" | sort)" = "$(printf '%s\n' "${headers[@]}" | sort)" ] ||
    fail "headers: $(find build -path "*/korvel/*.h")"
  for std in c99 c11 c2x c++98 c++11 c++17 c++20; do
    language=$([ "${std#c++}" = "$std" ] && echo c || echo c++)
    c++ -x "$language" -std=$std "${strict[@]}" -Ibuild/korvel_consumer -Ibuild/assets/korvel_assets \
      -Ibuild/assets/korvel_consumer -c project/consumer.c -o /dev/null || fail "the headers do not compile as $std"
  done
  # A changed picture is converted again; its palette's white first is
  # said in the build's log.
  cp project/pictures/whitefirst.bmp project/pictures/wifi-strong.bmp
  touch -d "@$(($(date +%s) + 10))" project/pictures/wifi-strong.bmp
  korvel seeds/whitefirst.bmp | grep -o '0x[0-9A-F]*' >changed
  sed -n '1027,$p' expected >>changed
  mv changed expected
  cmake --build build >rebuilt.log 2>&1 || fail "building build again"
  grep -q 'wifi-strong.bmp: die Palette hat die hellere Farbe an Stelle 0' rebuilt.log ||
    fail "the build's log does not say that wifi-strong.bmp has white first"
  built build
  # A picture touched but not changed compiles nothing again.
  touch -r build/CMakeFiles/consumer.dir/consumer.c.o before.o
  touch project/pictures/wifi-strong.bmp
  built build
  [ ! build/CMakeFiles/consumer.dir/consumer.c.o -nt before.o ] || fail "an unchanged picture recompiled its includer"
  # A new korvel-header runs again for every header (and rewrites those
  # whose bytes change).
  mv prefix/bin/korvel-header prefix/bin/korvel-header.real
  printf '#!/bin/sh\necho "$3" >>%s/runs\nexec %s/prefix/bin/korvel-header.real "$@"\n' "$work" "$work" \
    >prefix/bin/korvel-header
  chmod +x prefix/bin/korvel-header
  cmake --build build >/dev/null 2>&1
  [ "$(wc -l <runs)" = 3 ] || fail "a new korvel did not remake the headers: $(cat runs)"
  mv prefix/bin/korvel-header.real prefix/bin/korvel-header
  # Calls and what configuring says of them; nothing: it configures.
  while IFS='|' read -r call says; do
    if cmake -S project -B try -DCMAKE_PREFIX_PATH="$work/prefix" -DTRY="$(printf "%b" "$call")" >try.log 2>&1; then
      [ -z "$says" ] || fail "configured: $call"
    else
      tr -s ' \n' ' ' <try.log | grep -qE "$says" || { cat try.log; fail "$call does not say: $says"; }
    fi
    rm -rf try
  done <<EOF
korvel_add_bitmaps(consumer pictures/wifi_strong.bmp)|pictures/wifi_strong.bmp and $work/project/pictures/wifi-strong.bmp would both be named wifi_strong for consumer; rename
add_library(consumer_test INTERFACE) \n korvel_add_bitmaps(consumer pictures/test_icon.bmp) \n korvel_add_bitmaps(consumer_test pictures/icon.bmp)|
korvel_add_bitmaps(consumer pictures/w1.bmp pictures/w1.bmp)|pictures/w1.bmp is given twice for consumer
korvel_add_bitmaps(consumer FRAMES "" pictures/w1.bmp)|FRAMES needs the name of the table for consumer
korvel_add_bitmaps(consumer FRAMES \${unset} pictures/w1.bmp)|FRAMES needs the name of the table for consumer
korvel_add_bitmaps(consumer FRAMES PROGMEM pictures/w1.bmp pictures/w9.bmp)|FRAMES needs the name of the table for consumer
korvel_add_bitmaps(consumer pictures/int.bmp)|pictures/int.bmp would name its array int, which C or C\+\+ compilers take
korvel_add_bitmaps(consumer pictures/static.bmp)|would name its array static,
korvel_add_bitmaps(consumer pictures/linux.bmp)|would name its array linux,
korvel_add_bitmaps(consumer FRAMES unix pictures/w1.bmp)|FRAMES unix would name its array unix,
korvel_add_bitmaps(consumer pictures/.bmp)|pictures/.bmp has no name before its extension
korvel_add_bitmaps(consumer LAYOUT pages PROGMEM pictures/w1.bmp)|
korvel_add_bitmaps(consumer LAYOUT vlsb pictures/w1.bmp)|unknown LAYOUT 'vlsb' for consumer; use korvel, xbm or pages
korvel_add_bitmaps(consumer FRAMES f LAYOUT pictures/w1.bmp)|unknown LAYOUT 'pictures/w1.bmp' for consumer
korvel_add_bitmaps(consumer POLARITY grey pictures/w1.bmp)|unknown POLARITY 'grey' for consumer; use black or white
korvel_add_bitmaps(consumer ROTATE 45 pictures/w1.bmp)|unknown ROTATE '45' for consumer; use 0, 90, 180 or 270
korvel_add_bitmaps(consumer PIXELS_ONLY POLARITY white ROTATE 90 LAYOUT pages pictures/w1.bmp)|
korvel_add_bitmaps(consumer PIXELS_ONLY pictures/w1.bmp pictures/w1_width.bmp)|would both be named w1_width for consumer
korvel_add_bitmaps(consumer PLANES sign pictures/w1.bmp)|PLANES sign has 1 pictures for consumer; give two: the black plane, then the colour plane
korvel_add_bitmaps(consumer PLANES sign FRAMES f pictures/w1.bmp pictures/sub/w1.bmp)|FRAMES and PLANES for consumer
korvel_add_bitmaps(consumer PLANES sign POLARITY white pictures/w1.bmp pictures/sub/w1.bmp) \n korvel_add_bitmaps(consumer pictures/sign_colour.bmp)|would both be named sign_colour for consumer
korvel_add_bitmaps(consumer PLANES sign PIXELS_ONLY pictures/main.bmp pictures/clock.bmp)|
add_library(lib1 INTERFACE) \n add_library(lib2 INTERFACE) \n korvel_add_bitmaps(lib1 pictures/w1.bmp) \n korvel_add_bitmaps(lib2 pictures/sub/w1.bmp) \n target_link_libraries(consumer PRIVATE lib1 lib2)|$work/project/pictures/sub/w1.bmp \\(for lib2\\) and $work/project/pictures/w1.bmp \\(for lib1\\) would both be named w1 for consumer
add_library(lib1 INTERFACE) \n korvel_add_bitmaps(lib1 pictures/sub/w1.bmp) \n korvel_add_bitmaps(consumer pictures/w1.bmp) \n target_link_libraries(consumer PRIVATE lib1)|would both be named w1 for consumer
add_library(lib1 INTERFACE) \n add_library(lib2 INTERFACE) \n korvel_add_bitmaps(lib2 pictures/sub/w1.bmp) \n target_link_libraries(lib1 INTERFACE lib2) \n add_executable(other other.c) \n korvel_add_bitmaps(other pictures/w1.bmp) \n target_link_libraries(other PRIVATE lib1)|would both be named w1 for other
add_library(lib1 INTERFACE) \n add_library(lib2 INTERFACE) \n korvel_add_bitmaps(lib1 pictures/w1.bmp) \n korvel_add_bitmaps(lib2 pictures/w1.bmp) \n target_link_libraries(consumer PRIVATE lib1 lib2)|
add_library(consumer::assets ALIAS assets) \n korvel_add_bitmaps(consumer::assets pictures/w1.bmp)|
korvel_add_bitmaps(consumer pictures/missing.bmp)|$work/project/pictures/missing.bmp for consumer does not exist
korvel_add_bitmaps(consumer pictures/main.bmp)|pictures/main.bmp would name its array main, which C or C\\+\\+ compilers take for their own; rename it, or give a PREFIX
korvel_add_bitmaps(consumer PREFIX icon_ pictures/main.bmp)|
korvel_add_bitmaps(consumer PREFIX 1x pictures/w1.bmp)|PREFIX needs the start of a C identifier for consumer
korvel_add_bitmaps(consumer pictures/w1.bmp DELAYS 100)|DELAYS needs FRAMES for consumer
korvel_add_bitmaps(consumer FRAMES f pictures/w1.bmp DELAYS 100 pictures/w9.bmp)|DELAYS of f for consumer takes milliseconds from 0 to 65535, not 'pictures/w9.bmp'; the pictures stand before DELAYS
korvel_add_bitmaps(consumer FRAMES f pictures/w1.bmp DELAYS 65536)|not '65536'
korvel_add_bitmaps(consumer FRAMES f pictures/w1.bmp pictures/w9.bmp DELAYS 100)|DELAYS of f for consumer gives 1 delays for 2 pictures
korvel_add_bitmaps(consumer pictures/spinner_delays.bmp)|would both be named spinner_delays for consumer
korvel_add_bitmaps(consumer PREFIX icon_ pictures/clock.bmp) \n korvel_add_bitmaps(consumer pictures/icon_clock.bmp)|would both be named icon_clock for consumer
korvel_add_bitmaps(consumer PREFIX p_ PIXELS_ONLY pictures/w1.bmp) \n korvel_add_bitmaps(consumer pictures/p_w1_width.bmp)|would both be named p_w1_width for consumer
korvel_add_bitmaps(consumer PREFIX p_ PLANES w1 pictures/w9.bmp pictures/w33.bmp) \n korvel_add_bitmaps(consumer pictures/w1.bmp)|would both be named w1.h for consumer
configure_file(pictures/w1.bmp \${CMAKE_CURRENT_SOURCE_DIR}/pictures/anim_0.bmp COPYONLY) \n korvel_add_bitmaps(consumer PREFIX p_ FRAMES anim pictures/w9.bmp) \n korvel_add_bitmaps(consumer pictures/anim_0.bmp)|
korvel_add_bitmaps(consumer FRAMES _Pragma pictures/w1.bmp)|FRAMES _Pragma would name its array _Pragma,
korvel_add_bitmaps(consumer FRAMES $(printf 'n%.0s' {1..201}) pictures/w1.bmp)|201 characters; korvel takes at most 200
foreach(i RANGE 256) \n list(APPEND many pictures/w1.bmp) \n endforeach() \n korvel_add_bitmaps(consumer FRAMES many \${many})|FRAMES many has 257 pictures for consumer; korvel-preview shows at most 256
EOF
  # Names the C library declares, with its headers included: the README's
  # PREFIX line.
  cp seeds/w1.bmp project/pictures/exit.bmp
  printf '%s\n' '#include <stdlib.h>' '#include <time.h>' '#include "korvel/clock.h"' '#include "korvel/exit.h"' \
    'int main(void) { return icon_clock[0] == 1 && icon_exit[0] == 1 ? 0 : 1; }' >project/firmware.c
  configure prefixed -DCMAKE_PREFIX_PATH="$work/prefix" -DTRY="$(printf 'add_executable(firmware firmware.c)\n%s' \
    "$(recipe prefix | sed 's| \([a-z]*\.bmp\)| pictures/\1|g')")"
  cmake --build prefixed --target firmware >/dev/null && prefixed/firmware || fail "PREFIX icon_ did not give icon_clock"
  configure refused -DCMAKE_PREFIX_PATH="$work/prefix" -DTRY="korvel_add_bitmaps(consumer pictures/broken.bmp)"
  failstwice refused/korvel_consumer/korvel/broken.h cmake --build refused
  ;;
subdirectory)
  consumerproject
  configure build -DKORVEL_SOURCE="$KORVEL_SOURCE"
  built build
  # Cross-built, korvel's tree would make programs for the target.
  if cmake -S project -B cross -DKORVEL_SOURCE="$KORVEL_SOURCE" -DCMAKE_TOOLCHAIN_FILE=cortex-m0.cmake >cross.log 2>&1; then
    fail "korvel's source tree configured in a cross build"
  fi
  tr -s ' \n' ' ' <cross.log | grep -q "find_package(korvel REQUIRED NO_CMAKE_FIND_ROOT_PATH)" ||
    { cat cross.log; fail "the cross build does not say to use the installed package"; }
  ;;
cortexm0)
  skipunless arm-none-eabi-gcc
  installed
  consumerproject
  grep -qF "$(recipe cross)" project/CMakeLists.txt || fail "the project does not find korvel as the README says"
  configure build -DCMAKE_TOOLCHAIN_FILE=cortex-m0.cmake -DCMAKE_PREFIX_PATH="$work/prefix"
  cmake --build build >/dev/null || fail "the Cortex-M0 build failed"
  arm-none-eabi-nm -P -S build/libconsumer.a | awk '{ print $1, $4 }' | arrays >arrays
  printf '%s\n' "_2nd_icon c" "spinner_0 3" "spinner_1 8" "spinner_2 c" "wifi_strong 402" |
    cmp - arrays || fail "arrays: $(cat arrays)"
  ;;
avr)
  skipunless avr-gcc
  installed
  consumerproject
  configure build -DCMAKE_TOOLCHAIN_FILE=avr.cmake -Dkorvel_DIR="$work/prefix/share/cmake/korvel"
  cmake --build build >/dev/null || fail "the AVR build failed"
  # All in flash: the arrays, the table of the frames' 16-bit addresses, and
  # their 16-bit delays.
  avr-objdump -t build/libconsumer.a | awk '/ \.progmem\.data/ { print $NF, $(NF - 1) }' | arrays >arrays
  printf '%s\n' "_2nd_icon c" "spinner 6" "spinner_0 3" "spinner_1 8" "spinner_2 c" "spinner_delays 6" "wifi_strong 402" |
    cmp - arrays || fail "in flash: $(cat arrays)"
  ;;
package)
  skipunless cpack
  skipunless dpkg-shlibdeps
  cpack -G DEB --config "$KORVEL_BUILD/CPackConfig.cmake" -B deb >/dev/null
  # Without the page, named apart from the release's package.
  [ -e "deb/korvel_0.01_$(dpkg --print-architecture)-ohne-seite.deb" ] || fail "the package is named $(ls deb/*.deb)"
  dpkg -c deb/*.deb | tee contents
  for file in bin/korvel bin/korvel-preview bin/korvel-header share/man/man1/korvel.1.gz \
              share/man/man1/korvel-preview.1.gz share/man/man1/korvel-header.1.gz \
              share/doc/korvel/copyright; do
    grep -q " \./usr/$file\$" contents || fail "the package lacks $file"
  done
  grep -q " \./usr/share/cmake/korvel/korvelConfig.cmake\$" contents || fail "the package lacks korvelConfig.cmake"
  # A project finds korvel in the unpacked package.
  consumerproject
  dpkg-deb -x deb/*.deb unpacked
  configure build -Dkorvel_DIR="$work/unpacked/usr/share/cmake/korvel"
  built build
  skipunless lintian
  lintian --fail-on error,warning deb/*.deb || fail "lintian"
  ;;
zip)
  skipunless cpack
  cpack -G ZIP --config "$KORVEL_BUILD/CPackConfig.cmake" -B zip >/dev/null
  cmake -E tar tf zip/*.zip | tee contents
  for file in korvel.exe korvel-preview.exe korvel-header.exe README.md LICENSE korvelConfig.cmake; do
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
  # What the README quotes of the rest, it reports.
  for check in "Stack clash protection" "Control flow integrity"; do
    said=$(sed -n "s/^ \($check: [a-z]*\).*/\1/p" report)
    grep -q "\`$said\`" "$readme" || fail "the README does not say $said"
  done
  ;;
*)
  fail "no packaging test $name"
  ;;
esac
echo "packaging $name: passed"
