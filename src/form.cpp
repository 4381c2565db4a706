// SPDX-License-Identifier: MIT
// The forms of a picture's array (form.hpp).
//
// Turning a picture and laying it out in pages both read eight rows at a
// time as eight columns: the 8 x 8 pixels of one byte of each row are
// transposed in one 64-bit word, so that a whole screen costs no more than
// copying its bytes a few times.

#include "form.hpp"

#include "bmppic.hpp"
#include "hextext.hpp"
#include "korvel.hpp"

#include <cstring>

bool findchoice(const char *name, formchoice &which)
{
    for (unsigned i = 0; i < formchoices; i++) {
        if (strcmp(name, formoptions[i].name) == 0) {
            which = static_cast<formchoice>(i);
            return true;
        }
    }
    return false;
}

bool findvalue(formchoice which, const char *value, unsigned &index)
{
    for (unsigned i = 0; i < formoptions[which].count; i++) {
        if (strcmp(value, formoptions[which].values[i]) == 0) {
            index = i;
            return true;
        }
    }
    return false;
}

void turnedsize(const arrayform &form, unsigned width, unsigned height, unsigned &turnedwidth,
                unsigned &turnedheight)
{
    bool across = form.quarterturns() % 2 == 1;
    unsigned w = width, h = height;
    turnedwidth = across ? h : w;
    turnedheight = across ? w : h;
}

size_t formbytes(arraylayout layout, unsigned width, unsigned height)
{
    if (layout == layoutpages)
        return (height + 7) / 8 * static_cast<size_t>(width);
    return height * static_cast<size_t>(bmppicrowbytes(width));
}

unsigned formline(arraylayout layout, unsigned width)
{
    return layout == layoutpages ? width : bmppicrowbytes(width);
}

namespace {

inline uint8_t byteof(uint64_t word, int j)
{
    return static_cast<uint8_t>(word >> 8 * j);
}

// Transposes the 8 x 8 bits of a word: bit c of byte r becomes bit r of
// byte c. Given eight rows' bytes, byte 7 - i holds the column of pixel i
// (the pixel in bit 7 - i of each), the first row in bit 0; given such
// columns, it gives the rows back.
inline uint64_t transpose(uint64_t x)
{
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

// The mask of a row's last byte that keeps the pixels inside the width, in
// korvel's bit order.
uint8_t insidewidth(unsigned width)
{
    return width % 8 == 0 ? 0xFF : static_cast<uint8_t>(0xFF00u >> width % 8);
}

// The picture as read: rows from the top, a pixel stored 0 black; a row
// outside it reads as white.
struct paperrow {
    uint8_t byte[bigside / 8];
};

constexpr paperrow makepaper()
{
    paperrow row = {};
    for (uint8_t &b : row.byte)
        b = 0xFF;
    return row;
}

inline constexpr paperrow paper = makepaper();

struct storedrows {
    const bmppixels &image;
    const uint8_t *row(long y) const
    {
        if (y < 0 || y >= static_cast<long>(image.height))
            return paper.byte;
        long stored = image.topdown ? y : static_cast<long>(image.height) - 1 - y;
        return image.pixels + static_cast<size_t>(stored) * image.stride;
    }
};

// Every group of eight rows, which rows the caller chooses (row(g, j), the
// row of group g in bit j), read as columns, a set bit black: the column of
// group g and pixel x goes to origin[g * gstep + x * xstep], xstep 1 or -1:
// known when compiling, it lets the compiler store a byte's eight columns
// at once. Bits past the width are never read.
template <long xstep, typename Row>
void eachcolumn(const storedrows &source, unsigned groups, Row row, uint8_t *origin, long gstep)
{
    const uint8_t *r[8];
    unsigned width = source.image.width;
    for (unsigned g = 0; g < groups; g++) {
        for (int j = 0; j < 8; j++)
            r[j] = source.row(row(static_cast<long>(g), j));
        uint8_t *out = origin + g * gstep;
        for (unsigned k = 0, x = 0; x < width; k++, x += 8, out += 8 * xstep) {
            uint64_t word = uint64_t{r[0][k]} | uint64_t{r[1][k]} << 8 | uint64_t{r[2][k]} << 16 |
                            uint64_t{r[3][k]} << 24 | uint64_t{r[4][k]} << 32 | uint64_t{r[5][k]} << 40 |
                            uint64_t{r[6][k]} << 48 | uint64_t{r[7][k]} << 56;
            uint64_t columns = transpose(~word);
            // A whole byte's columns in eight steps the compiler unrolls.
            unsigned count = width - x < 8 ? width - x : 8;
            if (count == 8)
                for (int i = 0; i < 8; i++)
                    out[i * xstep] = byteof(columns, 7 - i);
            else
                for (unsigned i = 0; i < count; i++)
                    out[static_cast<long>(i) * xstep] = byteof(columns, 7 - static_cast<int>(i));
        }
    }
}

// Eight bytes as one word, the first in the high byte, and back: compilers
// make one load or store of each on any machine.
inline uint64_t load64(const uint8_t *p)
{
    return uint64_t{p[0]} << 56 | uint64_t{p[1]} << 48 | uint64_t{p[2]} << 40 | uint64_t{p[3]} << 32 |
           uint64_t{p[4]} << 24 | uint64_t{p[5]} << 16 | uint64_t{p[6]} << 8 | uint64_t{p[7]};
}

// Stores the word's bytes in reverse, the low byte first.
inline void storereversed64(uint8_t *p, uint64_t word)
{
    for (int i = 0; i < 8; i++)
        p[i] = byteof(word, i);
}

// Reverses the bits of every byte.
inline uint64_t swapbits64(uint64_t x)
{
    x = (x >> 1 & 0x5555555555555555ull) | (x & 0x5555555555555555ull) << 1;
    x = (x >> 2 & 0x3333333333333333ull) | (x & 0x3333333333333333ull) << 2;
    return (x >> 4 & 0x0F0F0F0F0F0F0F0Full) | (x & 0x0F0F0F0F0F0F0F0Full) << 4;
}

// korvel's bytes of row y into out, a set bit black and bits past the
// width clear; returns out.
uint8_t *inkrow(const storedrows &source, long y, uint8_t *out)
{
    unsigned width = source.image.width, rowbytes = bmppicrowbytes(width);
    const uint8_t *row = source.row(y);
    for (unsigned k = 0; k < rowbytes; k++)
        out[k] = static_cast<uint8_t>(~row[k]);
    out[rowbytes - 1] &= insidewidth(width);
    return out;
}

// The same with a blank word before and after it, to read 64 pixels from
// any pixel; pixel 0 is bit 7 of byte 8.
const uint8_t *paddedrow(const storedrows &source, long y)
{
    static uint8_t padded[8 + bigside / 8 + 8];
    unsigned rowbytes = bmppicrowbytes(source.image.width);
    memset(inkrow(source, y, padded + 8) + rowbytes, 0, 8);
    return padded;
}

// 64 pixels of a padded row from pixel at - 64, the first in bit 63.
inline uint64_t pixels64(const uint8_t *padded, unsigned at)
{
    unsigned shift = at % 8;
    const uint8_t *p = padded + at / 8;
    return load64(p) << shift | (shift != 0 ? p[8] >> (8 - shift) : 0);
}

// Row y mirrored into out, 64 pixels at a time from the right, reversed:
// each word's bytes are reversed as they are stored, each byte's bits
// before. out takes up to 7 bytes more.
void mirroredrow(const storedrows &source, long y, uint8_t *out)
{
    const uint8_t *padded = paddedrow(source, y);
    unsigned width = source.image.width;
    for (unsigned m = 0; 8 * m < bmppicrowbytes(width); m++)
        storereversed64(out + 8 * m, swapbits64(pixels64(padded, width - 64 * m)));
}

}  // namespace

formstrides makeform(const arrayform &form, const bmppixels &image, uint8_t *bytes)
{
    storedrows source = {image};
    long w = image.width, h = image.height;
    unsigned turned, height;
    turnedsize(form, image.width, image.height, turned, height);
    size_t rowbytes = bmppicrowbytes(turned), pages = (height + 7) / 8;
    // Each byte is made from a row of the picture, or from a column of eight
    // of its rows, and stored where that is quickest: the writer reads them
    // in their order.
    unsigned turns = form.quarterturns();
    if (form.layout() != layoutpages && turns % 2 == 0) {
        // Row y: row y, or turned by 180 degrees row height - 1 - y mirrored.
        for (long y = 0; y < h; y++) {
            if (turns == 2)
                mirroredrow(source, h - 1 - y, bytes + y * rowbytes);
            else
                inkrow(source, y, bytes + y * rowbytes);
        }
        return {rowbytes, 1};
    }
    if (form.layout() == layoutpages && turns % 2 == 1) {
        // Page p, column x: 8 pixels of a row, the first in bit 0. By 90
        // degrees clockwise, of row height - 1 - x, pixels 8p to 8p + 7,
        // read left to right and reversed; by 270, of row x, pixels
        // width - 8 - 8p to width - 1 - 8p, read right to left.
        for (long x = 0; x < h; x++) {
            uint8_t *column = bytes + x * pages;
            if (turns == 1) {
                const uint8_t *padded = paddedrow(source, h - 1 - x);
                for (unsigned p = 0; p < pages; p++)
                    column[p] = swappedbytes.byte[padded[8 + p]];
            } else {
                const uint8_t *padded = paddedrow(source, x);
                for (unsigned p = 0; p < pages; p += 8)
                    storereversed64(column + p, pixels64(padded, w - 8 * p));
            }
        }
        return {1, pages};
    }
    // Page g's column x is that of rows 8g to 8g + 7; turned by 180 degrees,
    // of the rows from the bottom, right to left. A row of a picture turned
    // by 90 degrees clockwise is a column read upwards, eight rows to a byte
    // from the bottom, its first pixel in bit 7; by 270, read downwards, the
    // columns right to left.
    bool pagelayout = form.layout() == layoutpages, clockwise = turns == 1 || turns == 0;
    auto row = [&](long g, int j) {
        if (pagelayout)
            return turns == 2 ? h - 1 - 8 * g - j : 8 * g + j;
        return clockwise ? h - 8 - 8 * g + j : 8 * g + 7 - j;
    };
    if (clockwise)
        eachcolumn<1>(source, pagelayout ? pages : rowbytes, row, bytes, w);
    else
        eachcolumn<-1>(source, pagelayout ? pages : rowbytes, row, bytes + w - 1, w);
    return pagelayout ? formstrides{static_cast<size_t>(w), 1} : formstrides{1, static_cast<size_t>(w)};
}

unsigned fromform(const arrayform &form, unsigned width, unsigned height, const uint8_t *bytes,
                  uint8_t *rows)
{
    uint8_t flip = form.white() ? 0xFF : 0x00;
    unsigned rowbytes = bmppicrowbytes(width), bad = 0;
    if (form.layout() == layoutpages) {
        // The columns of each page, eight at a time, give its eight rows.
        uint8_t below = height % 8 == 0 ? 0 : static_cast<uint8_t>(0xFF << height % 8);
        for (unsigned g = 0; g < (height + 7) / 8; g++) {
            const uint8_t *page = bytes + g * static_cast<size_t>(width);
            for (unsigned k = 0; k < rowbytes; k++) {
                uint64_t columns = 0;
                for (unsigned i = 0; i < 8 && 8 * k + i < width; i++) {
                    uint8_t column = page[8 * k + i] ^ flip;
                    if (8 * g + 8 > height && (column & below) != 0) {
                        bad = bad == 0 || 8 * k + i + 1 < bad ? 8 * k + i + 1 : bad;
                        column &= static_cast<uint8_t>(~below);
                    }
                    columns |= static_cast<uint64_t>(column) << 8 * (7 - i);
                }
                uint64_t eight = transpose(columns);
                for (unsigned j = 0; j < 8 && 8 * g + j < height; j++)
                    rows[(8 * g + j) * static_cast<size_t>(rowbytes) + k] = byteof(eight, static_cast<int>(j));
            }
        }
        return bad;
    }
    bool xbm = form.layout() == layoutxbm;
    uint8_t inside = insidewidth(width);
    for (unsigned y = 0; y < height; y++) {
        const uint8_t *in = bytes + y * static_cast<size_t>(rowbytes);
        uint8_t *out = rows + y * static_cast<size_t>(rowbytes);
        for (unsigned k = 0; k < rowbytes; k++)
            out[k] = xbm ? swappedbytes.byte[in[k] ^ flip] : in[k] ^ flip;
        if ((out[rowbytes - 1] & ~inside) != 0 && bad == 0)
            bad = y + 1;
        out[rowbytes - 1] &= inside;
    }
    return bad;
}

void printformcomments(const arrayform &form, FILE *out)
{
    for (unsigned i = 0; i < formchoices; i++) {
        unsigned value = form.choice[i];
        if (value != 0)
            fprintf(out, "/* %s%s: %s (%s) */\n", formcomment, formoptions[i].name,
                    formoptions[i].values[value], formoptions[i].descriptions[value]);
    }
}

namespace {

// The text is made in a buffer and written a buffer at a time: a whole
// screen's text is some 48 MB at most.
struct textbuffer {
    char text[1 << 16];
    char *p = text;
    FILE *out;

    void room(size_t length)
    {
        if (p + length > text + sizeof text) {
            fwrite(text, 1, static_cast<size_t>(p - text), out);
            p = text;
        }
    }
    void put(const char *literal, size_t length)
    {
        room(length);
        memcpy(p, literal, length);
        p += length;
    }
};

textbuffer printbuffer;

template <size_t n>
void putliteral(textbuffer &buffer, const char (&literal)[n])
{
    buffer.put(literal, n - 1);
}

}  // namespace

// The text of each byte as the form writes it: its bits reversed in xbm,
// inverted with white paper.
void maketexts(const arrayform &form, hextexts &texts)
{
    uint8_t flip = form.white() ? 0xFF : 0x00;
    for (int b = 0; b < 256; b++) {
        uint8_t byte = form.layout() == layoutxbm ? swappedbytes.byte[b] : static_cast<uint8_t>(b);
        memcpy(texts.text[b], hexbytes.text[static_cast<uint8_t>(~(byte ^ flip))], sizeof texts.text[b]);
    }
}

void printform(const arrayform &form, unsigned width, unsigned height, const uint8_t *bytes,
               formstrides strides, FILE *out)
{
    static hextexts texts;
    maketexts(form, texts);
    textbuffer &buffer = printbuffer;
    buffer.out = out;
    buffer.p = buffer.text;
    putliteral(buffer, bmppicopening);
    if (!form.pixelsonly()) {
        // The size bytes print as they are.
        buffer.put(hexbytes.text[~width & 0xFF], hexlength);
        buffer.put(hexbytes.text[~height & 0xFF], hexlength - 1);
        putliteral(buffer, bmppicrowend);
    }
    unsigned line = formline(form.layout(), width);
    size_t lines = formbytes(form.layout(), width, height) / line, step = strides.step;
    for (size_t i = 0; i < lines; i++) {
        buffer.room(line * hexlength + 8);
        const uint8_t *byte = bytes + i * strides.line;
        char *p = buffer.p, *end = p + line * hexlength;
        // Eight bytes a step, as korvel prints its own.
        for (; end - p >= 8 * static_cast<long>(hexlength); byte += 8 * step, p += 8 * hexlength)
            for (size_t k = 0; k < 8; k++)
                memcpy(p + k * hexlength, texts.text[byte[k * step]], sizeof texts.text[0]);
        for (; p < end; byte += step, p += hexlength)
            memcpy(p, texts.text[*byte], sizeof texts.text[0]);
        buffer.p = p;
        // The last byte's ", " gives way to the closing brace.
        if (i + 1 == lines) {
            buffer.p -= 2;
            putliteral(buffer, bmppicarrayend);
        }
        putliteral(buffer, bmppicrowend);
    }
    fwrite(buffer.text, 1, static_cast<size_t>(buffer.p - buffer.text), out);
}
