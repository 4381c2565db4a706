// SPDX-License-Identifier: MIT
// The display libraries' drawing calls that the README names, each modelled
// on its library's reading loop as the library documents it, for the
// recipe tests on the build machine (draw.cpp) and on a simulated ATmega328p
// (avrdraw.cpp), and the e-paper calls (epaper.cpp). The includer defines
// canvas, with set(x, y, on) for a pixel a call lights (on: inks) or
// darkens and lights(color) for whether a colour does, pgm_read_byte, and
// KORVEL_NO_FRAME_BUFFER where RAM is too small for u8g2's frame buffer.
// For the e-paper calls (KORVEL_EPAPER) it defines epdmemory and epaper(),
// the panel's memory, with put(column, y, byte) for a byte of it, and
// KORVEL_NO_PAINT where RAM is too small for an image of it, which
// Waveshare's Paint draws into (width, height, widthbytes() and ram).
#ifndef KORVEL_LIBRARIES_HPP
#define KORVEL_LIBRARIES_HPP

// Adafruit GFX: drawBitmap reads rows with the leftmost pixel in bit 7,
// drawXBitmap in bit 0; both skip clear bits. A const array is read as
// flash (pgm_read_byte), a uint8_t * from RAM.
struct Adafruit_GFX : canvas {
    void drawBitmap(int16_t x, int16_t y, uint8_t *bitmap, int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++)
                if (bitmap[j * byteWidth + i / 8] & (0x80 >> (i & 7)))
                    set(x + i, y + j, lights(color));
    }
    void drawBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        uint8_t b = 0;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++) {
                b = i & 7 ? b << 1 : pgm_read_byte(&bitmap[j * byteWidth + i / 8]);
                if (b & 0x80)
                    set(x + i, y + j, lights(color));
            }
    }
    void drawXBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        uint8_t b = 0;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++) {
                b = i & 7 ? b >> 1 : pgm_read_byte(&bitmap[j * byteWidth + i / 8]);
                if (b & 0x01)
                    set(x + i, y + j, lights(color));
            }
    }
};

// TFT_eSPI reads as Adafruit GFX does, a mask per pixel.
struct TFT_eSPI : canvas {
    void drawBitmap(int16_t x, int16_t y, const uint8_t *bitmap, int16_t w, int16_t h, uint16_t color)
    {
        for (int32_t j = 0; j < h; j++)
            for (int32_t i = 0; i < w; i++)
                if (pgm_read_byte(bitmap + j * ((w + 7) / 8) + i / 8) & (128 >> (i & 7)))
                    set(x + i, y + j, lights(color));
    }
    void drawXBitmap(int16_t x, int16_t y, const uint8_t *bitmap, int16_t w, int16_t h, uint16_t color)
    {
        for (int32_t j = 0; j < h; j++)
            for (int32_t i = 0; i < w; i++)
                if (pgm_read_byte(bitmap + j * ((w + 7) / 8) + i / 8) & (1 << (i & 7)))
                    set(x + i, y + j, lights(color));
    }
};

// u8g2 in its default bitmap mode draws clear bits in the background
// colour: drawBitmap all 8 * cnt bits of a row, the leftmost in bit 7;
// drawXBM (RAM) and drawXBMP (flash) w pixels, the leftmost in bit 0. Its
// full frame buffer is pages of 8 rows, a byte a column, the top row in
// bit 0.
struct U8G2 : canvas {
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
        xbm(x, y, w, h, bitmap, [](const uint8_t *p) { return pgm_read_byte(p); });
    }
#ifndef KORVEL_NO_FRAME_BUFFER
    uint8_t buffer[side / 8 * side] = {};
    uint8_t *getBufferPtr() { return buffer; }
    int getBufferTileWidth() const { return side / 8; }
    void sendBuffer()
    {
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++)
                set(x, y, buffer[y / 8 * side + x] & (1 << (y % 8)));
    }
#endif

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

// Arduboy2's sprites: width, height, then pages; drawOverwrite writes
// whole pages, clear bits dark, on the screen arduboy() that the includer
// gives.
canvas &arduboy();
struct Sprites {
    static void drawOverwrite(int16_t x, int16_t y, const uint8_t *bitmap, uint8_t frame)
    {
        uint8_t w = pgm_read_byte(bitmap), h = pgm_read_byte(bitmap + 1);
        const uint8_t *data = bitmap + 2 + frame * w * ((h + 7) / 8);
        for (int page = 0; page < (h + 7) / 8; page++)
            for (int i = 0; i < w; i++)
                for (int bit = 0; bit < 8; bit++)
                    arduboy().set(x + i, y + 8 * page + bit,
                                       pgm_read_byte(data + page * w + i) & (1 << bit));
    }
};

#ifdef KORVEL_EPAPER
epdmemory &epaper();
epdmemory &epapercolour();  // a three-colour panel's other memory, a set bit colour

// GxEPD2: drawBitmap is Adafruit GFX's; drawInvertedBitmap inks the clear
// bits. writeImage (drawImage too) copies whole bytes of rows of
// (w + 7) / 8 into the memory from x rounded down to 8, inverted if asked;
// writeImagePart copies such a window of a larger bitmap, from x_part
// rounded down to 8. pgm reads flash where there is one. A three-colour
// panel's writeImage takes a black and a colour plane, a clear bit ink in
// both, and writes the colour plane's bytes inverted.
struct GxEPD2_BW : Adafruit_GFX {
    void drawInvertedBitmap(int16_t x, int16_t y, const uint8_t bitmap[], int16_t w, int16_t h, uint16_t color)
    {
        int16_t byteWidth = (w + 7) / 8;
        for (int16_t j = 0; j < h; j++)
            for (int16_t i = 0; i < w; i++)
                if (!(pgm_read_byte(&bitmap[j * byteWidth + i / 8]) & (128 >> (i & 7))))
                    set(x + i, y + j, lights(color));
    }
    void writeImage(const uint8_t bitmap[], int16_t x, int16_t y, int16_t w, int16_t h, bool invert = false,
                    bool mirror_y = false, bool pgm = false)
    {
        writeImagePart(bitmap, 0, 0, w, h, x, y, w, h, invert, mirror_y, pgm);
    }
    void writeImage(const uint8_t *black, const uint8_t *color, int16_t x, int16_t y, int16_t w, int16_t h,
                    bool invert = false, bool mirror_y = false, bool pgm = false)
    {
        writeImage(black, x, y, w, h, invert, mirror_y, pgm);
        for (int16_t i = 0, wb = (w + 7) / 8; i < h; i++)
            for (int16_t j = 0; j < wb; j++) {
                uint8_t data = pgm ? pgm_read_byte(&color[i * wb + j]) : color[i * wb + j];
                epapercolour().put((x - x % 8) / 8 + j, y + i, invert ? data : ~data);
            }
    }
    void drawImage(const uint8_t bitmap[], int16_t x, int16_t y, int16_t w, int16_t h, bool invert = false,
                   bool mirror_y = false, bool pgm = false)
    {
        writeImage(bitmap, x, y, w, h, invert, mirror_y, pgm);
    }
    void writeImagePart(const uint8_t bitmap[], int16_t x_part, int16_t y_part, int16_t w_bitmap,
                        int16_t h_bitmap, int16_t x, int16_t y, int16_t w, int16_t h, bool invert = false,
                        bool = false, bool pgm = false)
    {
        int16_t wb = (w_bitmap + 7) / 8;
        x_part -= x_part % 8;
        w = w_bitmap - x_part < w ? w_bitmap - x_part : w;
        h = h_bitmap - y_part < h ? h_bitmap - y_part : h;
        x -= x % 8;
        for (int16_t i = 0; i < h; i++)
            for (int16_t j = 0; j < (w + 7) / 8; j++) {
                const uint8_t *at = &bitmap[x_part / 8 + j + (y_part + i) * wb];
                uint8_t data = pgm ? pgm_read_byte(at) : *at;
                epaper().put(x / 8 + j, y + i, invert ? ~data : data);
            }
    }
};

#ifndef KORVEL_NO_PAINT
// Waveshare's C library: Paint draws into an image of the panel's memory
// (here the memory itself, unturned). Paint_DrawBitMap copies a whole
// image; Paint_DrawImage copies rows of (W_Image + 7) / 8 bytes from
// xStart rounded down to 8; Paint_DrawBitMap_Paste sets pixel by pixel,
// a set bit white unless flipColor. EPD_xxx_Display sends a whole image.
inline void Paint_DrawBitMap(const unsigned char *image_buffer)
{
    for (int y = 0; y < epaper().height; y++)
        for (int x = 0; x < epaper().widthbytes(); x++)
            epaper().put(x, y, image_buffer[x + y * epaper().widthbytes()]);
}
inline void Paint_DrawImage(const unsigned char *image_buffer, uint16_t xStart, uint16_t yStart,
                            uint16_t W_Image, uint16_t H_Image)
{
    int w_byte = (W_Image + 7) / 8;
    for (int y = 0; y < H_Image; y++)
        for (int x = 0; x < w_byte; x++)
            epaper().put(x + xStart / 8, y + yStart, image_buffer[x + y * w_byte]);
}
inline void Paint_DrawBitMap_Paste(const unsigned char *image_buffer, uint16_t xStart, uint16_t yStart,
                                   uint16_t imageWidth, uint16_t imageHeight, uint8_t flipColor)
{
    int width = (imageWidth + 7) / 8;
    for (int y = 0; y < imageHeight; y++)
        for (int x = 0; x < imageWidth; x++) {
            bool white = (image_buffer[y * width + x / 8] << (x % 8) & 0x80) != flipColor * 0x80;
            int X = x + xStart, Y = y + yStart, at = Y * epaper().widthbytes() + X / 8;
            if (X < epaper().width && Y < epaper().height)
                epaper().put(X / 8, Y, white ? epaper().ram[at] | 0x80 >> X % 8
                                             : epaper().ram[at] & ~(0x80 >> X % 8));
        }
}
inline void EPD_2IN9_V2_Display(const uint8_t *Image)
{
    Paint_DrawBitMap(Image);
}
// A three-colour panel's: the black image, then the red one, 0 red.
inline void EPD_2IN9B_V3_Display(const uint8_t *blackimage, const uint8_t *ryimage)
{
    Paint_DrawBitMap(blackimage);
    for (int y = 0; y < epaper().height; y++)
        for (int x = 0; x < epaper().widthbytes(); x++)
            epapercolour().put(x, y, static_cast<uint8_t>(~ryimage[x + y * epaper().widthbytes()]));
}
#endif
#endif

#endif
