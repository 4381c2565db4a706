// SPDX-License-Identifier: MIT
// Draws an 800 x 480 panel from its tiles with the README's loop, the way
// Adafruit GFX's drawBitmap does, and prints it as text art ('#' for a lit
// pixel).

#include <cstdint>
#include <cstdio>

#include "korvel/panel.h"

namespace {

const int width = 800, height = 480;
const uint16_t GxEPD_BLACK = 1;

// Adafruit_GFX::drawBitmap(x, y, bitmap, w, h, color)
struct {
    bool lit[height][width] = {};

    void drawBitmap(int16_t x0, int16_t y0, const uint8_t bitmap[], int16_t w, int16_t h,
                    uint16_t color)
    {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (color == GxEPD_BLACK && bitmap[y * ((w + 7) / 8) + x / 8] & (0x80 >> (x % 8)))
                    lit[y0 + y][x0 + x] = true;
    }
} display;

}  // namespace

int main()
{
#include "tiles.inc"
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++)
            putchar(display.lit[y][x] ? '#' : '.');
        putchar('\n');
    }
    return 0;
}
