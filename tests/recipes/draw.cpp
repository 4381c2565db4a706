// SPDX-License-Identifier: MIT
// Draws a korvel array the way Adafruit GFX and u8g2 do, with the calls the
// README shows, and prints each result as text art ('#' for a lit pixel).

#include <cstdint>
#include <cstdio>

#include "logo.h"

namespace {

const int side = 256;
const uint16_t SSD1306_WHITE = 1;

struct canvas {
    bool lit[side][side] = {};

    // Rows of (w + 7) / 8 bytes, the leftmost pixel in the top bit.
    void rows(int x0, int y0, const uint8_t *bitmap, int w, int h)
    {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (bitmap[y * ((w + 7) / 8) + x / 8] & (0x80 >> (x % 8)))
                    lit[y0 + y][x0 + x] = true;
    }

    void print(int w, int h) const
    {
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++)
                putchar(lit[y][x] ? '#' : '.');
            putchar('\n');
        }
    }
};

// Adafruit_GFX::drawBitmap(x, y, bitmap, w, h, color)
struct gfx : canvas {
    void drawBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h,
                    uint16_t color)
    {
        if (color == SSD1306_WHITE)
            rows(x, y, bitmap, w, h);
    }
};

// U8G2::drawBitmap(x, y, cnt, h, bitmap): cnt bytes, all 8 * cnt bits drawn
struct u8g2lib : canvas {
    void drawBitmap(int x, int y, int cnt, int h, const uint8_t *bitmap)
    {
        rows(x, y, bitmap, 8 * cnt, h);
    }
};

}  // namespace

int main()
{
    gfx display;
    u8g2lib u8g2;
    const int x = 0, y = 0;
#include "draw.inc"
    display.print(bmppic[0], bmppic[1]);
    u8g2.print(bmppic[0], bmppic[1]);
    // Bits past the width are clear, so u8g2, which draws whole bytes,
    // lights nothing to the right of the picture.
    for (int row = 0; row < side; row++)
        for (int column = bmppic[0]; column < side; column++)
            if (u8g2.lit[row][column])
                return 1;
    return 0;
}
