// SPDX-License-Identifier: MIT
// Draws one picture with every e-paper line the README names, each call
// modelled in libraries.hpp, and checks that each inks exactly the
// picture's black pixels and nothing else: on a GFX canvas or in the
// panel's memory, at x as given or, for calls that write whole bytes,
// rounded down to 8.
//   epaper INK.txt ROTATE COLOUR.txt
// INK.txt is the picture as drawn, a line a row, '#' for black, COLOUR.txt
// its colour plane, '#' for colour; recipes.sh writes them beside the BMPs,
// apart from korvel. The headers are korvel-header's, all pixels-only:
// korvel/black.h in korvel's polarity, korvel/white.h with white paper,
// korvel/screen.h with white paper turned by ROTATE for the whole-screen
// lines, korvel/planes.h both planes with white paper; calls-*.inc hold a
// case a README line. Prints a line a case and position.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint8_t pgm_read_byte(const uint8_t *p)
{
    return *p;
}

const int epdside = 8 * 102;  // 800 pixels and a margin
const uint16_t GxEPD_BLACK = 0x0000, EPD_BLACK = 1;

// A GFX display's pixels; the colour that inks is the library's black.
struct canvas {
    uint16_t black;
    std::vector<bool> inked = std::vector<bool>(epdside * epdside);
    void set(int x, int y, bool on)
    {
        if (x >= 0 && x < epdside && y >= 0 && y < epdside)
            inked[y * epdside + x] = on;
    }
    bool lights(uint16_t color) const { return color == black; }
};

// An e-paper controller's memory, in the panel's own orientation: rows of
// (width + 7) / 8 bytes, the leftmost pixel in bit 7, a set bit white
// paper. Calls write it in whole bytes; what falls outside it is lost.
struct epdmemory {
    int width = 0, height = 0;
    uint8_t ram[epdside / 8 * epdside];
    int widthbytes() const { return (width + 7) / 8; }
    void put(int column, int y, uint8_t data)
    {
        if (column >= 0 && column < widthbytes() && y >= 0 && y < height)
            ram[y * widthbytes() + column] = data;
    }
    bool ink(int x, int y) const { return !(ram[y * widthbytes() + x / 8] & (0x80 >> x % 8)); }
};

#define KORVEL_EPAPER
#define KORVEL_NO_FRAME_BUFFER
#include "libraries.hpp"

epdmemory memory, colourmemory;
epdmemory &epaper()
{
    return memory;
}
epdmemory &epapercolour()
{
    return colourmemory;
}

GxEPD2_BW display{{{GxEPD_BLACK}}};
Adafruit_GFX epd{{EPD_BLACK}};

// No sprites on e-paper.
[[maybe_unused]] canvas &arduboy()
{
    return display;
}

struct drawcase {
    const char *line;
    void (*draw)(int x, int y);
};

// Each header names its array logo, in a namespace of its own.
namespace black {
#include "korvel/black.h"
const drawcase cases[] = {
#include "calls-black.inc"
};
}  // namespace black
#undef KORVEL_logo_PIXELS_ONLY_H
#undef logo_width
#undef logo_height

namespace white {
#include "korvel/white.h"
const drawcase cases[] = {
#include "calls-white.inc"
};
}  // namespace white
#undef KORVEL_logo_WHITE_PIXELS_ONLY_H
#undef logo_width
#undef logo_height

namespace screen {
#include "korvel/screen.h"
const int width = logo_width, height = logo_height;
const drawcase cases[] = {
#include "calls-screen.inc"
};
}  // namespace screen

// The picture's black plane and its colour plane, of one size.
namespace planes {
#include "korvel/planes.h"
const drawcase cases[] = {
#include "calls-planes.inc"
};
}  // namespace planes

std::vector<std::string> ink, colour;  // the picture as drawn, black and colour
int failures = 0;

bool drawnin(const std::vector<std::string> &plane, int x, int y)
{
    return y >= 0 && y < static_cast<int>(plane.size()) && x >= 0 && x < static_cast<int>(plane[y].size()) &&
           plane[y][x] == '#';
}

bool drawn(int x, int y)
{
    return drawnin(ink, x, y);
}

// Calls that write the memory in whole bytes put the picture at x rounded
// down to 8.
bool bytewise(const char *line)
{
    return strstr(line, "Bitmap(") == nullptr && strstr(line, "Paste(") == nullptr;
}

// Whether every surface is blank or holds the picture (expected(x, y)) and
// nothing else, and one of them holds it.
template <typename Expected>
bool inkedexactly(Expected expected)
{
    bool found = false, right = true;
    const canvas *canvases[] = {&display, &epd};
    for (const canvas *c : canvases) {
        bool blank = true, same = true;
        for (int y = 0; y < epdside; y++)
            for (int x = 0; x < epdside; x++) {
                blank &= !c->inked[y * epdside + x];
                same &= c->inked[y * epdside + x] == expected(x, y);
            }
        right &= blank || same;
        found |= !blank && same;
    }
    bool blank = true, same = true;
    for (int y = 0; y < memory.height; y++)
        for (int x = 0; x < memory.width; x++) {
            blank &= !memory.ink(x, y);
            same &= memory.ink(x, y) == expected(x, y);
        }
    return right && (blank || same) && (found || (!blank && same));
}

void clear(int width, int height)
{
    display.inked.assign(display.inked.size(), false);
    epd.inked.assign(epd.inked.size(), false);
    memory.width = colourmemory.width = width;
    memory.height = colourmemory.height = height;
    memset(memory.ram, 0xFF, sizeof memory.ram);
    memset(colourmemory.ram, 0x00, sizeof colourmemory.ram);
}

void report(const char *line, int x, bool right)
{
    printf("%s at x = %d: %s\n", line, x, right ? "the picture's pixels" : "WRONG");
    failures += !right;
}

// Each case at x positions that are and are not multiples of 8.
template <size_t n>
void drawat(const drawcase (&cases)[n], int width, int height)
{
    const int y = 5;
    for (const drawcase &c : cases) {
        for (int x : {0, 3, 8}) {
            clear(width + 16, height + 8);
            c.draw(x, y);
            int at = bytewise(c.line) ? x - x % 8 : x;
            report(c.line, x, inkedexactly([&](int px, int py) { return drawn(px - at, py - y); }));
        }
    }
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    for (auto [path, plane] : {std::pair{argv[1], &ink}, std::pair{argv[3], &colour}}) {
        FILE *in = fopen(path, "r");
        for (char line[1024]; in != nullptr && fgets(line, sizeof line, in) != nullptr;)
            plane->emplace_back(line, strcspn(line, "\n"));
    }
    int rotate = atoi(argv[2]), width = static_cast<int>(ink.at(0).size()), height = static_cast<int>(ink.size());
    drawat(black::cases, width, height);
    drawat(white::cases, width, height);
    // Turned as Paint_SetPixel and GxEPD2's rotation turn a drawing on the
    // panel: by 90 degrees, pixel (x, y) to (width - 1 - y, x) of memory
    // width wide.
    for (const drawcase &c : screen::cases) {
        clear(screen::width, screen::height);
        c.draw(0, 0);
        report(c.line, 0, inkedexactly([&](int x, int y) {
                   switch (rotate) {
                   case 90:
                       return drawn(y, screen::width - 1 - x);
                   case 270:
                       return drawn(screen::height - 1 - y, x);
                   case 180:
                       return drawn(screen::width - 1 - x, screen::height - 1 - y);
                   }
                   return drawn(x, y);
               }));
    }
    // Both planes whole: black ink in the one memory, colour in the other.
    for (const drawcase &c : planes::cases) {
        clear(width, height);
        c.draw(0, 0);
        bool right = inkedexactly(drawn);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                right &= colourmemory.ink(x, y) != drawnin(colour, x, y);
        report(c.line, 0, right);
    }
    return failures == 0 ? 0 : 1;
}
