// SPDX-License-Identifier: MIT
// Draws korvel's pictures with every call the README names, each modelled on
// its library's reading loop as the library documents it, and checks that
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
#define PROGMEM
uint8_t pgm_read_byte(const uint8_t *p)
{
    return *p;
}

const int side = 264;  // 33 tiles
const uint16_t SSD1306_WHITE = 1, TFT_WHITE = 0xFFFF;

struct canvas {
    bool lit[side][side] = {};
    void set(int x, int y, bool on) { lit[y][x] = on; }
};

// Adafruit GFX: drawBitmap reads rows with the leftmost pixel in bit 7,
// drawXBitmap in bit 0; both skip clear bits.
struct Adafruit_GFX : canvas {
    void drawBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        uint8_t b = 0;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++) {
                b = i & 7 ? b << 1 : pgm_read_byte(&bitmap[j * byteWidth + i / 8]);
                if (b & 0x80 && color)
                    set(x + i, y + j, true);
            }
    }
    void drawXBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        uint8_t b = 0;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++) {
                b = i & 7 ? b >> 1 : pgm_read_byte(&bitmap[j * byteWidth + i / 8]);
                if (b & 0x01 && color)
                    set(x + i, y + j, true);
            }
    }
};

// TFT_eSPI reads as Adafruit GFX does, a mask per pixel.
struct TFT_eSPI : canvas {
    void drawBitmap(int16_t x, int16_t y, const uint8_t *bitmap, int16_t w, int16_t h, uint16_t color)
    {
        for (int32_t j = 0; j < h; j++)
            for (int32_t i = 0; i < w; i++)
                if (pgm_read_byte(bitmap + j * ((w + 7) / 8) + i / 8) & (128 >> (i & 7)) && color)
                    set(x + i, y + j, true);
    }
    void drawXBitmap(int16_t x, int16_t y, const uint8_t *bitmap, int16_t w, int16_t h, uint16_t color)
    {
        for (int32_t j = 0; j < h; j++)
            for (int32_t i = 0; i < w; i++)
                if (pgm_read_byte(bitmap + j * ((w + 7) / 8) + i / 8) & (1 << (i & 7)) && color)
                    set(x + i, y + j, true);
    }
};

// u8g2 in its default bitmap mode draws clear bits in the background
// colour: drawBitmap all 8 * cnt bits of a row, the leftmost in bit 7;
// drawXBM (RAM) and drawXBMP (flash) w pixels, the leftmost in bit 0. Its
// full frame buffer is pages of 8 rows, a byte a column, the top row in
// bit 0.
struct U8G2 : canvas {
    uint8_t buffer[side / 8 * side] = {};
    void drawBitmap(int x, int y, int cnt, int h, const uint8_t *bitmap)
    {
        for (int j = 0; j < h; j++)
            for (int i = 0; i < 8 * cnt; i++)
                set(x + i, y + j, bitmap[j * cnt + i / 8] & (0x80 >> (i % 8)));
    }
    void drawXBM(int x, int y, int w, int h, const uint8_t *bitmap)
    {
        xbm(x, y, w, h, bitmap, [](const uint8_t *p) { return *p; });
    }
    void drawXBMP(int x, int y, int w, int h, const uint8_t *bitmap)
    {
        xbm(x, y, w, h, bitmap, pgm_read_byte);
    }
    uint8_t *getBufferPtr() { return buffer; }
    int getBufferTileWidth() const { return side / 8; }
    void sendBuffer()
    {
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++)
                set(x, y, buffer[y / 8 * side + x] & (1 << (y % 8)));
    }

  private:
    template <typename Read>
    void xbm(int x, int y, int w, int h, const uint8_t *bitmap, Read read)
    {
        for (int j = 0; j < h; j++, bitmap += (w + 7) / 8) {
            const uint8_t *b = bitmap;
            uint8_t mask = 1;
            for (int i = 0; i < w; i++) {
                set(x + i, y + j, read(b) & mask);
                mask = static_cast<uint8_t>(mask << 1);
                if (mask == 0)
                    mask = 1, b++;
            }
        }
    }
};

// u8x8 writes whole tiles of 8 x 8 pixels: 8 bytes each, a byte a column,
// the top row in bit 0. x and y count tiles.
struct U8X8 : canvas {
    void drawTile(uint8_t x, uint8_t y, uint8_t cnt, uint8_t *tile_ptr)
    {
        for (int i = 0; i < 8 * cnt; i++)
            for (int bit = 0; bit < 8; bit++)
                set(8 * x + i, 8 * y + bit, tile_ptr[i] & (1 << bit));
    }
};

// ThingPulse's SSD1306 library: drawXbm reads the leftmost pixel from bit 0.
struct SSD1306Wire : canvas {
    void drawXbm(int16_t xMove, int16_t yMove, int16_t width, int16_t height, const uint8_t *xbm)
    {
        int16_t widthInXbm = (width + 7) / 8;
        uint8_t data = 0;
        for (int16_t y = 0; y < height; y++)
            for (int16_t x = 0; x < width; x++) {
                data = x & 7 ? data >> 1 : pgm_read_byte(xbm + (x / 8) + y * widthInXbm);
                if (data & 0x01)
                    set(xMove + x, yMove + y, true);
            }
    }
};

struct screens {
    Adafruit_GFX display;
    U8G2 u8g2;
    U8X8 u8x8;
    TFT_eSPI tft;
    SSD1306Wire oled;
    canvas arduboy;
};
screens *shown;

// Arduboy2's sprites: width, height, then pages; drawOverwrite writes
// whole pages, clear bits dark.
struct Sprites {
    static void drawOverwrite(int16_t x, int16_t y, const uint8_t *bitmap, uint8_t frame)
    {
        uint8_t w = pgm_read_byte(bitmap), h = pgm_read_byte(bitmap + 1);
        const uint8_t *data = bitmap + 2 + frame * w * ((h + 7) / 8);
        for (int page = 0; page < (h + 7) / 8; page++)
            for (int i = 0; i < w; i++)
                for (int bit = 0; bit < 8; bit++)
                    shown->arduboy.set(x + i, y + 8 * page + bit,
                                       pgm_read_byte(data + page * w + i) & (1 << bit));
    }
};

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
