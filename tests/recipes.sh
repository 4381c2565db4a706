#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one of the README's recipes as it stands there, on headers made by the
# korvel under test. Usage: recipes.sh NAME, with the environment that
# testenv.sh describes.
source "$(dirname "$0")/testenv.sh"

# The README's e-paper lines as a table of calls, calls-<block>.inc; the
# flash lines read the arrays with white paper too.
epapercalls() {
  for block in black white screen flash planes; do
    recipe epaper-$block | awk '{ printf "{\"%s\", [](int x, int y) { (void)x, (void)y; %s }},\n", $0, $0 }' >calls-$block.inc
    [ -s calls-$block.inc ] || fail "no recipe epaper-$block"
  done
  cat calls-flash.inc >>calls-white.inc
  mkdir -p korvel
}

# Draws $1.bmp (ink in $1.txt) and its colour plane $1-colour.bmp through
# every e-paper line, the whole-screen lines turned by $2.
drawepaper() {
  korvel-header --pixels-only korvel/black.h logo $1.bmp &&
    korvel-header --pixels-only --polarity white korvel/white.h logo $1.bmp &&
    korvel-header --pixels-only --polarity white --rotate $2 korvel/screen.h logo $1.bmp &&
    korvel-header --planes --pixels-only --polarity white korvel/planes.h sign $1.bmp $1-colour.bmp ||
    fail "korvel-header on $1.bmp"
  c++ -std=c++17 -O2 "${strict[@]}" -I. -I"$recipes" "$recipes/epaper.cpp" -o epaper
  ./epaper $1.txt $2 $1-colour.txt >drawn || { grep WRONG drawn; fail "a call inked other pixels than $1's"; }
  echo "$1: $(grep -c "the picture's pixels$" drawn) calls and positions"
  [ "$(grep -c "the picture's pixels$" drawn)" = $((3 * ($(wc -l <calls-black.inc) + $(wc -l <calls-white.inc)) + $(wc -l <calls-screen.inc) + $(wc -l <calls-planes.inc))) ] ||
    fail "not every line drew $1"
}

case $name in
draw)
  # Every layout's arrays of pictures 1 x 1 to 255 x 255, drawn by each call
  # the README names for the layout with its lines.
  pictures=(logo.bmp seeds/{w1,w9,w33,w128h64,w255,os2,gap}.bmp)
  mkdir korvel
  for layout in korvel xbm pages; do
    korvel-header --frames --layout $layout korvel/${layout}pics.h ${layout}pics "${pictures[@]}" ||
      fail "korvel-header --layout $layout"
  done
  recipe draw >draw.inc
  for block in draw draw-{korvel,xbm,pages}-{flash,ram}; do
    recipe $block >$block.inc
    [ -s $block.inc ] || fail "no recipe $block"
  done
  c++ -std=c++17 "${strict[@]}" -I. "$recipes/draw.cpp" -o draw
  ./draw >drawn || { grep WRONG drawn; fail "a call lit other pixels than korvel's"; }
  [ "$(grep -c "korvel's pixels$" drawn)" = $((${#pictures[@]} * 13)) ] || fail "not every call drew"
  ;;
epaper)
  # Pictures from 1 x 1 to 800 x 480, written here apart from korvel with
  # their ink as text ('#' black) beside them, each drawn by every e-paper
  # line of the README, the whole-screen lines turned as listed; and each
  # picture's colour plane, for the three-colour lines.
  skipunless python3
  pictures=(1x1:0 9x3:90 33x17:270 122x250:180 250x122:90 296x128:90 800x480:90)
  python3 - "${pictures[@]%:*}" <<'PY'
import struct, sys
def write(name, w, h, ink):
    stride = (w + 31) // 32 * 4
    # Stored 0 is black; everything past the width is junk that must not show.
    rows = [bytes(sum(0x80 >> i for i in range(8) if 8 * k + i >= w or not ink[y][8 * k + i])
                  for k in range(stride)) for y in reversed(range(h))]
    offset = 14 + 40 + 8
    pixels = b"".join(rows)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    open(f"{name}.bmp", "wb").write(header + info + b"\0\0\0\0\xff\xff\xff\0" + pixels)
    open(f"{name}.txt", "w").write("".join("".join("#" if p else "." for p in row) + "\n" for row in ink))
for size in sys.argv[1:]:
    w, h = map(int, size.split("x"))
    ink = [[x in (0, w - 1) or y in (0, h - 1) or x == y or (x * 7 + y * 13) % 11 == 0 for x in range(w)]
           for y in range(h)]
    write(f"pic-{size}", w, h, ink)
    write(f"pic-{size}-colour", w, h, [[not ink[y][x] and (x + 2 * y) % 5 == 0 for x in range(w)] for y in range(h)])
PY
  epapercalls
  for picture in "${pictures[@]}"; do
    drawepaper pic-${picture%:*} ${picture#*:}
  done
  ;;
epaper-colours)
  # A drawing in black, red and white, hard and anti-aliased, made into
  # planes by the README's line; the planes drawn by every e-paper line
  # ink where the drawing's nearest colour is black, and red.
  skipunless python3
  skipunlessimagemagick
  convert -size 61x23 xc:none -fill red -draw 'circle 30,11 30,2' -fill black -draw 'line 0,22 60,0' \
    +antialias -draw 'rectangle 2,2 9,9' -fill red -draw 'rectangle 50,15 58,21' -fill '#ff8080' -draw 'point 40,3' sign.png
  eval "$(recipe epaper-colours)" || fail "the recipe failed"
  convert sign.png -background white -alpha remove -alpha off -depth 8 rgb:- | python3 -c '
import sys
rgb = sys.stdin.buffer.read()
# The nearest of white, red and black, the lighter where two are as near.
inks = [(255, 255, 255), (255, 0, 0), (0, 0, 0)]
near = [min(range(3), key=lambda k: (sum((rgb[i + c] - inks[k][c]) ** 2 for c in range(3)), k))
        for i in range(0, len(rgb), 3)]
for plane, name in ((2, "pic-sign.txt"), (1, "pic-sign-colour.txt")):
    open(name, "w").write("".join("".join("#" if near[y * 61 + x] == plane else "." for x in range(61)) + "\n"
                                  for y in range(23)))
'
  mv sign-black.bmp pic-sign.bmp
  mv sign-colour.bmp pic-sign-colour.bmp
  grep -q '#' pic-sign-colour.txt && grep -q '#' pic-sign.txt || fail "the drawing has no black or no red"
  epapercalls
  drawepaper pic-sign 0
  # The MicroPython drivers' three-colour lines on the same planes.
  recipe micropython-planes >planes.py
  PYTHONPATH=$recipes python3 "$recipes/micropython.py" --planes planes.py korvel/planes.h pic-sign.txt pic-sign-colour.txt >shown ||
    { grep WRONG shown; fail "the MicroPython lines inked other pixels than the drawing's"; }
  [ "$(grep -c ': drawn$' shown)" = 4 ] || fail "not every plane was drawn"
  ;;
micropython)
  skipunless python3
  pictures=(logo.bmp seeds/{w1,w9,w33,w255,os2}.bmp)
  for layout in korvel xbm pages; do
    korvel-header --frames --layout $layout $layout.h pics "${pictures[@]}" || fail "korvel-header --layout $layout"
  done
  recipe micropython >recipe.py
  grep -q MONO_HLSB recipe.py || fail "no MONO_HLSB in the recipe"
  PYTHONPATH=$recipes python3 "$recipes/micropython.py" recipe.py korvel.h xbm.h pages.h >shown ||
    { grep WRONG shown; fail "a format lit other pixels than korvel's"; }
  [ "$(grep -c ': korvel$' shown)" = $((3 * ${#pictures[@]})) ] || fail "not every array was drawn"
  # On e-paper: pixels-only arrays with white paper, a header each.
  recipe micropython-epaper >epaper.py
  white=()
  for picture in "${pictures[@]}"; do
    white+=("$picture.white.h")
    korvel-header --pixels-only --polarity white "${white[-1]}" logo "$picture" || fail "korvel-header $picture"
  done
  PYTHONPATH=$recipes python3 "$recipes/micropython.py" --epaper epaper.py korvel.h "${white[@]}" >shown ||
    { grep WRONG shown; fail "the e-paper lines inked other pixels than korvel's"; }
  [ "$(grep -c ': korvel$' shown)" = $((2 * ${#pictures[@]})) ] || fail "not every e-paper array was drawn"
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
avrdraw)
  skipunless avr-g++
  skipunless simavr
  # Up to 128 x 64 pixels, in every layout: what 32 KB of flash hold.
  pictures=(logo.bmp seeds/{w1,w9,w33,os2,gap}.bmp)
  mkdir korvel
  for layout in korvel xbm pages; do
    korvel-header --progmem --frames --layout $layout korvel/${layout}pics.h ${layout}pics "${pictures[@]}" ||
      fail "korvel-header --layout $layout"
  done
  for block in draw draw-{korvel,xbm,pages}-flash; do
    recipe $block >$block.inc
  done
  # The e-paper flash lines, on pixels-only arrays with white paper, a
  # header a picture, each in a namespace of its own.
  n=0
  for picture in "${pictures[@]}"; do
    korvel-header --progmem --pixels-only --polarity white korvel/white$n.h logo "$picture" ||
      fail "korvel-header --pixels-only $picture"
    echo "namespace white$n {"
    echo "#include \"korvel/white$n.h\""
    echo "void draw() { const int x = 0, y = 0; GxEPD2_BW display; display.paper = true; memory = epdmemory();"
    recipe epaper-flash
    echo "report($n, \"display.drawInvertedBitmap\", display); report($n, \"display.writeImage\", memory); }"
    echo "}"
    echo "#undef KORVEL_logo_WHITE_PIXELS_ONLY_H"
    echo "#undef logo_width"
    echo "#undef logo_height"
    n=$((n + 1))
  done >epaper-flash.inc
  for ((i = 0; i < n; i++)); do echo "white$i::draw();"; done >epaper-flash-calls.inc
  avr-g++ -mmcu=atmega328p -Os -std=c++11 "${strict[@]}" -I. "$recipes/avrdraw.cpp" -o avrdraw.elf
  # The UART's lines come on standard error, coloured, a newline shown as '.'.
  simavr -m atmega328p -f 16000000 avrdraw.elf 2>&1 >/dev/null | sed 's/\x1b\[[0-9]*m//g; s/\.$//' >drawn
  cat drawn
  # Each line must give the count and hash sum of korvel's own pixels.
  for picture in "${pictures[@]}"; do korvel "$picture" >"$picture.txt"; done
  python3 - drawn "${pictures[@]/%/.txt}" <<'PY' || fail "a call lit other pixels than korvel's on the ATmega328p"
import re, sys
expected = []
for path in sys.argv[2:]:
    b = [int(h, 16) for h in re.findall(r"0x([0-9A-F]+)", open(path).read())]
    lit = [(x, y) for y in range(b[1]) for x in range(b[0])
           if b[2 + y * ((b[0] + 7) // 8) + x // 8] >> (7 - x % 8) & 1]
    hashes = (((x + 1) * 73856093 ^ (y + 1) * 19349663) * 2654435761 % 2**32 for x, y in lit)
    expected.append(f"{len(lit)} {sum(hashes) % 2**32}")
lines = [line.split(": ") for line in open(sys.argv[1]).read().splitlines() if ": " in line]
wrong = [l for l in lines if l[1] != expected[int(l[0].split()[0])]]
print("\n".join(f"WRONG {l[0]}: {l[1]}" for l in wrong))
sys.exit(1 if wrong or len(lines) != 9 * len(expected) + 2 else 0)
PY
  ;;
u8g2avr)
  # The README's line for u8g2 on AVR: the array in flash, in xbm.
  skipunless avr-gcc
  installed
  mkdir project && cd project
  { echo 'cmake_minimum_required(VERSION 3.20)'
    echo 'project(firmware C)'
    recipe cross
    echo 'add_library(firmware STATIC firmware.c)'
    recipe u8g2-avr; } >CMakeLists.txt
  printf '#include "korvel/logo.h"\nconst unsigned char *picture(void) { return logo; }\n' >firmware.c
  cp ../logo.bmp .
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE="$KORVEL_SOURCE/tests/consumer/avr.cmake" \
    -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null && cmake --build build >/dev/null || fail "the recipe did not build"
  avr-objdump -t build/libfirmware.a | grep -E '\.progmem\.data.*00000402 logo$' ||
    fail "logo is not a 1026-byte array in flash"
  korvel-header --progmem --layout xbm expected.h logo logo.bmp
  cmp expected.h build/korvel_firmware/korvel/logo.h || fail "the header is not korvel-header's in xbm"
  ;;
arm)
  skipunless arm-none-eabi-gcc
  arm-none-eabi-gcc -mcpu=cortex-m0 -mthumb -Os -std=c11 "${strict[@]}" -I. \
    -c "$recipes/firmware.c" -o firmware.o
  arm-none-eabi-nm -S firmware.o | grep -E '00000402 [rR] bmppic$' ||
    fail "bmppic is not a 1026-byte read-only array"
  ;;
quickstart)
  skipunlessimagemagick
  mkdir drawing && convert logo.bmp drawing/drawing.png && cd drawing
  eval "$(recipe quickstart)" >shown || fail "the quick start failed"
  cmp logo.h ../logo.h || fail "the quick start made another array"
  korvel-preview ../logo.h | cmp - shown || fail "the quick start showed another picture"
  ;;
imagemagick)
  skipunlessimagemagick
  mkdir png && convert logo.bmp png/logo.png
  (cd png && eval "$(recipe imagemagick)")
  korvel png/logo.bmp | cmp - <(korvel logo.bmp) || fail "the picture changed on its way through PNG"
  # Dark on white in shades of grey, as drawn pictures often are:
  # -monochrome alone puts white first in such a palette, and korvel would
  # print a negative.
  mkdir white && convert -size 16x2 xc:white -fill gray40 -draw 'point 0,1' \
    -fill gray90 -draw 'point 9,0' white/logo.png
  (cd white && eval "$(recipe imagemagick)")
  printf 'static const unsigned char bmppic [] = {\n  0x10, 0x02,\n  0x00, 0x00, \n  0x80, 0x00 };\n\n  \n' |
    cmp - <(korvel white/logo.bmp) || fail "a picture on white came out as a negative"
  # A drawing on a transparent background: the background stays dark, in
  # black ink as in red.
  for ink in black red; do
    mkdir $ink && convert -size 16x2 xc:none -fill $ink -draw 'rectangle 2,0 4,1' $ink/logo.png
    (cd $ink && eval "$(recipe imagemagick)")
    printf 'static const unsigned char bmppic [] = {\n  0x10, 0x02,\n  0x38, 0x00, \n  0x38, 0x00 };\n\n  \n' |
      cmp - <(korvel $ink/logo.bmp) || fail "$ink ink on transparent came out otherwise"
  done
  # A blank picture stays dark.
  mkdir blank && convert -size 16x2 xc:white blank/logo.png
  (cd blank && eval "$(recipe imagemagick)")
  printf 'static const unsigned char bmppic [] = {\n  0x10, 0x02,\n  0x00, 0x00, \n  0x00, 0x00 };\n\n  \n' |
    cmp - <(korvel blank/logo.bmp) || fail "a blank picture came out lit"
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
  grep -q "(the first $(($(wc -l <shown) - 1)) of its $(wc -l <drawn) lines)" "$readme" ||
    fail "the README counts the lines otherwise"
  ;;
make)
  skipunless make
  recipe make >Makefile
  rm logo.h
  make -s logo.h && korvel logo.bmp | cmp - logo.h || fail "logo.h not made"
  make -q logo.h || fail "logo.h remade although the picture is unchanged"
  touch -d "@$(($(date +%s) + 10))" logo.bmp
  if make -q logo.h; then fail "a changed picture did not remake logo.h"; fi
  cp broken.bmp logo.bmp
  failstwice logo.h make logo.h
  # korvel-header's rule: the array named logo, in the xbm layout.
  cp "$KORVEL_SOURCE/examples/logo.bmp" logo.bmp
  recipe make-header >Makefile
  make -s logo.h || fail "korvel-header's rule failed"
  grep -q '^#define bmppic logo$' logo.h || fail "the array is not named logo"
  korvel-header --layout xbm expected.h logo logo.bmp && cmp expected.h logo.h || fail "another header"
  # Named as the function names them.
  mkdir icons
  cp logo.bmp icons/wifi-strong.bmp
  cp logo.bmp icons/2nd.bmp
  make -s icons/wifi-strong.h icons/2nd.h || fail "korvel-header's rule failed on icons/"
  grep -q '^#define bmppic wifi_strong$' icons/wifi-strong.h || fail "icons/wifi-strong.bmp is not named wifi_strong"
  grep -q '^#define bmppic _2nd$' icons/2nd.h || fail "icons/2nd.bmp is not named _2nd"
  cp broken.bmp logo.bmp
  failstwice logo.h make logo.h
  ;;
cmake)
  mkdir project && cd project
  recipe cmake-script >korvel.cmake
  { echo 'cmake_minimum_required(VERSION 3.20)'
    echo 'project(firmware C)'
    echo 'add_executable(firmware firmware.c)'
    recipe cmake; } >CMakeLists.txt
  printf '#include "logo.h"\nint main(void) { return bmppic[0] == 128 ? 0 : 1; }\n' >firmware.c
  cp ../logo.bmp .
  cmake -S . -B build >/dev/null && cmake --build build >/dev/null || fail "the recipe did not build"
  build/firmware || fail "the array is not the logo"
  cmp build/logo.h ../logo.h || fail "logo.h is not korvel's array"
  cp ../broken.bmp logo.bmp
  failstwice build/logo.h cmake --build build
  # Without korvel, the log says so. The build runs its tools by their
  # paths; none is found on the PATH, korvel included.
  rm -rf build && cmake -S . -B build >/dev/null
  if PATH=/nonexistent "$(command -v cmake)" --build build >build.log 2>&1; then fail "built without korvel"; fi
  grep -q "korvel was not found" build.log || { cat build.log; fail "the log does not say korvel is missing"; }
  ;;
meson)
  skipunless meson
  skipunless ninja
  mkdir project && cd project
  { echo "project('firmware', 'c')"; recipe meson; } >meson.build
  echo '#include "logo.h"' >firmware.c
  echo 'int main(void) { return logo[0] == 128 ? 0 : 1; }' >>firmware.c
  cp ../logo.bmp .
  meson setup build >/dev/null && meson compile -C build >/dev/null || fail "the recipe did not build"
  build/firmware || fail "the array is not the logo"
  cmp ../logo.h build/logo.h || fail "logo.h is not korvel's array"
  cp ../broken.bmp logo.bmp
  failstwice build/logo.h meson compile -C build
  ;;
tiles)
  skipunlessimagemagick
  installed
  mkdir project && cd project
  # 800 x 480, past korvel's limit both ways.
  convert -size 800x480 xc:white -fill black -draw 'rectangle 10,10 250,300' \
    -draw 'circle 600,240 700,400' -draw 'line 0,479 799,0' panel.png
  eval "$(recipe tiles)" || fail "cutting the panel failed"
  { echo 'cmake_minimum_required(VERSION 3.20)'
    echo 'project(firmware CXX)'
    echo 'find_package(korvel REQUIRED)'
    echo 'add_executable(firmware tiles.cpp)'
    recipe tiles-cmake; } >CMakeLists.txt
  recipe tiles-draw >tiles.inc
  cp "$recipes/tiles.cpp" .
  cmake -S . -B build -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_CXX_FLAGS="-std=c++17 ${strict[*]}" >/dev/null &&
    cmake --build build >/dev/null || fail "the tiles did not build"
  build/firmware >drawn
  convert panel.png -grayscale Rec709Luma -threshold 50% txt:- |
    awk -F'[ ,:]+' 'NR > 1 { row[$2] = row[$2] ($0 ~ /#000000/ ? "#" : ".") }
                    END { for (y = 0; y < 480; y++) print row[y] }' >expected
  cmp drawn expected || fail "the tiles put together differ from the panel"
  ;;
package)
  skipunless make
  installed
  mkdir project && cd project
  recipe package >CMakeLists.txt
  recipe package-main >main.c
  mkdir icons spinner
  cp ../logo.bmp .
  cp ../seeds/w9.bmp icons/wifi-strong.bmp
  for i in 1 2 3; do cp ../seeds/w33.bmp spinner/$i.bmp; done
  cmake -S . -B build -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null && cmake --build build >/dev/null ||
    fail "the example did not build"
  build/firmware | tee shown
  printf '%s\n' "logo: 128 x 64" "wifi_strong: 9 x 3" "spinner 0: 33 x 2" \
    "spinner 1: 33 x 2" "spinner 2: 33 x 2" | cmp - shown || fail "the example shows other sizes"
  ;;
*)
  fail "no recipe test $name"
  ;;
esac
echo "recipe $name: passed"
