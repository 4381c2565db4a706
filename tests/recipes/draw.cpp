// SPDX-License-Identifier: MIT
// Draws korvel's pictures with every call the README names, modelled in
// libraries.hpp, on canvases of 264 x 264 pixels, and checks that
// each lights exactly korvel's pixels and nothing right of or below them.
// The headers come from korvel-header, one table of frames per layout
// (korvel/korvelpics.h, xbmpics.h, pagespics.h), the README's lines from its
// recipes (draw.inc, draw-*.inc). Prints one line per call and picture.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "korvel/korvelpics.h"
#include "korvel/pagespics.h"
#include "korvel/xbmpics.h"

namespace {

// Off AVR, flash is memory like any other.
uint8_t pgm_read_byte(const uint8_t *p)
{
    return *p;
}

const int side = 264;  // 33 tiles
const uint16_t SSD1306_WHITE = 1, TFT_WHITE = 0xFFFF;

struct canvas {
    bool lit[side][side] = {};
    void set(int x, int y, bool on) { lit[y][x] = on; }
    bool lights(uint16_t color) const { return color != 0; }
};

#include "libraries.hpp"

struct screens {
    Adafruit_GFX display;
    U8G2 u8g2;
    U8X8 u8x8;
    TFT_eSPI tft;
    SSD1306Wire oled;
    canvas arduboy;
};
screens *shown;

canvas &arduboy()
{
    return shown->arduboy;
}

int failures = 0;

// Whether the call lit exactly korvel's pixels of bmppic, at (0, 0), and
// nothing else.
void check(const char *call, const canvas &c, const uint8_t *bmppic)
{
    int width = bmppic[0], height = bmppic[1];
    bool right = true;
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            bool pixel = x < width && y < height &&
                         bmppic[2 + y * ((width + 7) / 8) + x / 8] & (0x80 >> (x % 8));
            right &= c.lit[y][x] == pixel;
        }
    printf("%s %u x %u: %s\n", call, bmppic[0], bmppic[1], right ? "korvel's pixels" : "WRONG");
    failures += !right;
}

}  // namespace

int main()
{
    static screens fresh, all;
    shown = &all;
    Adafruit_GFX &display = all.display;
    U8G2 &u8g2 = all.u8g2;
    U8X8 &u8x8 = all.u8x8;
    TFT_eSPI &tft = all.tft;
    SSD1306Wire &oled = all.oled;
    const int x = 0, y = 0;
    for (unsigned n = 0; n < sizeof korvelpics / sizeof korvelpics[0]; n++) {
        const uint8_t *bmppic = korvelpics[n];
        all = fresh;
        {
#include "draw.inc"
        }
        check("quick start: display.drawBitmap", display, bmppic);
        check("quick start: u8g2.drawBitmap", u8g2, bmppic);
        all = fresh;
        {
            const uint8_t *logo = korvelpics[n];
#include "draw-korvel-flash.inc"
#include "draw-korvel-ram.inc"
        }
        check("display.drawBitmap", display, bmppic);
        check("tft.drawBitmap", tft, bmppic);
        check("u8g2.drawBitmap", u8g2, bmppic);
        all = fresh;
        {
            const uint8_t *logo = xbmpics[n];
#include "draw-xbm-flash.inc"
        }
        check("display.drawXBitmap", display, bmppic);
        check("tft.drawXBitmap", tft, bmppic);
        check("u8g2.drawXBMP", u8g2, bmppic);
        check("oled.drawXbm", oled, bmppic);
        all = fresh;
        {
            const uint8_t *logo = xbmpics[n];
#include "draw-xbm-ram.inc"
        }
        check("u8g2.drawXBM", u8g2, bmppic);
        all = fresh;
        {
            const uint8_t *logo = pagespics[n];
#include "draw-pages-flash.inc"
#include "draw-pages-ram.inc"
        }
        check("Sprites::drawOverwrite", all.arduboy, bmppic);
        check("u8x8.drawTile", u8x8, bmppic);
        check("u8g2 frame buffer", u8g2, bmppic);
    }
    return failures == 0 ? 0 : 1;
}
