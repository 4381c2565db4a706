# SPDX-License-Identifier: MIT
# Runs the README's MicroPython lines on the arrays of korvel-header's
# headers in each layout, with the format the README names for it, onto a
# display's frame buffer, and checks that exactly korvel's pixels are lit;
# with --epaper, the e-paper lines on pixels-only arrays with white paper,
# one header a picture, onto a panel driver's frame buffer, white 1, and
# checks that exactly korvel's pixels are ink; with --planes, the
# three-colour lines on a header's two planes onto a three-colour driver's
# two frame buffers, and checks that each inks exactly the drawing's
# black or coloured pixels ('#' in BLACK.txt, COLOUR.txt).
#   python3 micropython.py RECIPE KORVEL.h XBM.h PAGES.h
#   python3 micropython.py --epaper RECIPE KORVEL.h WHITE.h...
#   python3 micropython.py --planes RECIPE PLANES.h BLACK.txt COLOUR.txt
import re
import sys

import framebuf

epaper = sys.argv[1] in ("--epaper", "--planes")
planes = sys.argv[1] == "--planes"
recipe, headers = open(sys.argv[1 + epaper]).read(), sys.argv[2 + epaper:]
formats = {"korvel": "MONO_HLSB", "xbm": "MONO_HMSB", "pages": "MONO_VLSB"}


def arrays(path):
    text = open(path).read()
    return [bytes(int(b, 16) for b in re.findall(r"0x([0-9A-F]{2})", body))
            for body in re.findall(r"\{([^}]*)\}", text) if "0x" in body]


def korvels(bmppic, x0, y0, x, y):
    x, y, width, height = x - x0, y - y0, bmppic[0], bmppic[1]
    return (0 <= x < width and 0 <= y < height and
            bmppic[2 + y * ((width + 7) // 8) + x // 8] >> (7 - x % 8) & 1)


class Panel(framebuf.FrameBuffer):
    """A panel driver: a MONO_HLSB frame buffer of the panel, all white."""
    def __init__(self, width, height):
        self.buffer = bytearray(b"\xff" * ((width + 7) // 8 * height))
        super().__init__(self.buffer, width, height, framebuf.MONO_HLSB)

    def display(self, image):
        self.shown = bytes(image)


class ThreeColours:
    """A three-colour panel driver: a frame buffer for black and one for
    the colour, each MONO_HLSB, 0 ink, sent as they are."""
    def __init__(self, width, height):
        self.imageblack, self.imagered = Panel(width, height), Panel(width, height)

    def display(self):
        self.shown = (bytes(self.imageblack.buffer), bytes(self.imagered.buffer))


failed = 0
if planes:
    text = open(headers[0]).read()
    size = {name: int(value) for name, value in re.findall(r"#define sign_(width|height) (\d+)", text)}
    drawn = [open(path).read().split() for path in headers[1:]]
    for x in (0, 3):
        epd = ThreeColours(264, 264)
        black, colour = arrays(headers[0])
        exec(recipe, {"sign_black": black, "sign_colour": colour, "sign_width": size["width"],
                      "sign_height": size["height"], "epd": epd, "x": x, "y": 5})
        for plane, shown in zip(drawn, epd.shown):
            panel = Panel(264, 264)
            panel.buffer[:] = shown
            right = all((panel.pixel(px, py) == 0) ==
                        (0 <= px - x < size["width"] and 0 <= py - 5 < size["height"] and plane[py - 5][px - x] == "#")
                        for py in range(264) for px in range(264))
            print(f"planes {size['width']} x {size['height']} at x = {x}: {'drawn' if right else 'WRONG'}")
            failed += not right
korvel = [] if planes else arrays(headers[0])
for bmppic, path in zip(korvel, headers[1:] if epaper else []):
    text = open(path).read()
    size = {name: int(value) for name, value in re.findall(r"#define logo_(width|height) (\d+)", text)}
    for x in (0, 3):
        epd = Panel(264, 264)
        exec(recipe, {"logo": arrays(path)[0], "logo_width": size["width"], "logo_height": size["height"],
                      "epd": epd, "x": x, "y": 5})
        shown = Panel(264, 264)
        shown.buffer[:] = epd.shown
        right = all((shown.pixel(px, py) == 0) == bool(korvels(bmppic, x, 5, px, py))
                    for py in range(264) for px in range(264))
        print(f"e-paper {bmppic[0]} x {bmppic[1]} at x = {x}: {'korvel' if right else 'WRONG'}")
        failed += not right
for layout, path in zip(formats, [] if epaper else headers):
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
