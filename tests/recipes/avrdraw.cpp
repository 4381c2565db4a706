// SPDX-License-Identifier: MIT
// The README's lines for calls that read flash, run on an ATmega328p that
// simavr simulates: korvel-header's arrays in flash (--progmem), read by the
// calls' models (libraries.hpp) through avr-libc's pgm_read_byte. RAM holds
// no canvas: what each call lit goes out over the UART as a count and a sum
// of the lit pixels' hashes, a line a call and picture, and the build
// machine checks them against korvel's own text of the picture. The
// e-paper lines read arrays without size bytes, with white paper.

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <avr/sleep.h>
#include <stdint.h>

#include "korvel/korvelpics.h"
#include "korvel/pagespics.h"
#include "korvel/xbmpics.h"

namespace {

const uint16_t SSD1306_WHITE = 1, TFT_WHITE = 0xFFFF, GxEPD_BLACK = 0;

// The same on the build machine, which sums korvel's own pixels.
uint32_t pixelhash(uint32_t x, uint32_t y)
{
    uint32_t h = (x + 1) * 73856093u ^ (y + 1) * 19349663u;
    return h * 2654435761u;
}

// What a call lit: how many pixels, and a sum of their hashes that does not
// depend on the order the call draws in. On paper, black inks.
struct canvas {
    bool paper = false;
    unsigned long lit = 0;
    uint32_t sum = 0;
    void set(int x, int y, bool on)
    {
        if (on) {
            lit++;
            sum += pixelhash(x, y);
        }
    }
    bool lights(uint16_t color) const { return paper ? color == GxEPD_BLACK : color != 0; }
};

// An e-paper panel's memory, which no RAM here holds: each byte a call
// writes counts its ink, a clear bit.
struct epdmemory : canvas {
    void put(int column, int y, uint8_t data)
    {
        for (int bit = 0; bit < 8; bit++)
            if (!(data & (0x80 >> bit)))
                set(8 * column + bit, y, true);
    }
};

epdmemory memory;

#define KORVEL_NO_FRAME_BUFFER
#define KORVEL_EPAPER
#define KORVEL_NO_PAINT
#include "libraries.hpp"

epdmemory colourmemory;

epdmemory &epaper()
{
    return memory;
}

epdmemory &epapercolour()
{
    return colourmemory;
}

canvas sprites;

canvas &arduboy()
{
    return sprites;
}

void put(char c)
{
    while (!(UCSR0A & (1 << UDRE0)))
        ;
    UDR0 = c;
}

void print(const char *text)
{
    while (*text)
        put(*text++);
}

void printnumber(uint32_t n)
{
    if (n >= 10)
        printnumber(n / 10);
    put(static_cast<char>('0' + n % 10));
}

// "picture call: lit sum", for the build machine to compare.
void report(unsigned picture, const char *call, const canvas &c)
{
    printnumber(picture);
    put(' ');
    print(call);
    print(": ");
    printnumber(c.lit);
    put(' ');
    printnumber(c.sum);
    put('\n');
}

// The README's e-paper flash lines on each picture (recipes.sh).
#include "epaper-flash.inc"

// The quick start's lines as copied, on korvel's own text of the first
// picture, which the array keeps in RAM.
namespace quickstart {
#include "logo.h"
void draw()
{
    const int x = 0, y = 0;
    Adafruit_GFX display;
    U8G2 u8g2;
#include "draw.inc"
    report(0, "quick start display.drawBitmap", display);
    report(0, "quick start u8g2.drawBitmap", u8g2);
}
}  // namespace quickstart

}  // namespace

int main()
{
    // 2 Mbaud at 16 MHz: simavr takes the bytes as fast as they come.
    UBRR0 = 0;
    UCSR0A = 1 << U2X0;
    UCSR0B = 1 << TXEN0;
    UCSR0C = 3 << UCSZ00;
    const int x = 0, y = 0;
    for (unsigned n = 0; n < sizeof korvelpics / sizeof korvelpics[0]; n++) {
        {
            Adafruit_GFX display;
            TFT_eSPI tft;
            const uint8_t *logo = static_cast<const uint8_t *>(pgm_read_ptr(&korvelpics[n]));
#include "draw-korvel-flash.inc"
            report(n, "display.drawBitmap", display);
            report(n, "tft.drawBitmap", tft);
        }
        {
            Adafruit_GFX display;
            TFT_eSPI tft;
            U8G2 u8g2;
            SSD1306Wire oled;
            const uint8_t *logo = static_cast<const uint8_t *>(pgm_read_ptr(&xbmpics[n]));
#include "draw-xbm-flash.inc"
            report(n, "display.drawXBitmap", display);
            report(n, "tft.drawXBitmap", tft);
            report(n, "u8g2.drawXBMP", u8g2);
            report(n, "oled.drawXbm", oled);
        }
        {
            sprites = canvas();
            const uint8_t *logo = static_cast<const uint8_t *>(pgm_read_ptr(&pagespics[n]));
#include "draw-pages-flash.inc"
            report(n, "Sprites::drawOverwrite", sprites);
        }
    }
#include "epaper-flash-calls.inc"
    quickstart::draw();

    while (!(UCSR0A & (1 << TXC0)))
        ;
    // simavr ends the simulation here.
    cli();
    sleep_enable();
    sleep_cpu();
    return 0;
}
