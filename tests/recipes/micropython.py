# SPDX-License-Identifier: MIT
# Runs the README's MicroPython lines on the arrays of korvel-header's
# headers in each layout, with the format the README names for it, onto a
# display's frame buffer, and checks that exactly korvel's pixels are lit.
#   python3 micropython.py RECIPE KORVEL.h XBM.h PAGES.h
import re
import sys

import framebuf

recipe, headers = open(sys.argv[1]).read(), sys.argv[2:]
formats = {"korvel": "MONO_HLSB", "xbm": "MONO_HMSB", "pages": "MONO_VLSB"}


def arrays(path):
    text = open(path).read()
    return [bytes(int(b, 16) for b in re.findall(r"0x([0-9A-F]{2})", body))
            for body in re.findall(r"\{([^}]*)\}", text) if "0x" in body]


korvel = arrays(headers[0])
failed = 0
for layout, path in zip(formats, headers):
    lines = recipe.replace("MONO_HLSB", formats[layout])
    for bmppic, logo in zip(korvel, arrays(path)):
        display = framebuf.FrameBuffer(bytearray(264 * 33), 264, 264, framebuf.MONO_VLSB)
        exec(lines, {"logo": logo, "display": display, "x": 0, "y": 0})
        width, height = bmppic[0], bmppic[1]
        right = all(display.pixel(x, y) == (x < width and y < height and
                    bmppic[2 + y * ((width + 7) // 8) + x // 8] >> (7 - x % 8) & 1)
                    for y in range(264) for x in range(264))
        print(f"{formats[layout]} {width} x {height}: {'korvel' if right else 'WRONG'}")
        failed += not right
sys.exit(1 if failed else 0)
