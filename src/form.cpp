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
// group g and pixel x goes to origin[g * gstep + x * xstep]. Bits past the
// width are never read.
template <typename Row>
void eachcolumn(const storedrows &source, unsigned groups, Row row, uint8_t *origin, long gstep, long xstep)
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

// korvel's bytes of row y into out, a set bit black and bits past the
// width clear, or of the row mirrored: its bytes in reverse, each reversed,
// then moved left by the bits past the width.
void inkrow(const storedrows &source, long y, bool mirrored, uint8_t *out)
{
    unsigned width = source.image.width, rowbytes = bmppicrowbytes(width), last = rowbytes - 1;
    const uint8_t *row = source.row(y);
    if (!mirrored) {
        for (unsigned k = 0; k < rowbytes; k++)
            out[k] = static_cast<uint8_t>(~row[k]);
        out[last] &= insidewidth(width);
        return;
    }
    unsigned shift = 8 * rowbytes - width;
    static uint8_t reversed[bigside / 8 + 1];
    for (unsigned k = 0; k < rowbytes; k++)
        reversed[k] = swappedbytes.byte[static_cast<uint8_t>(~row[last - k])];
    reversed[0] &= swappedbytes.byte[insidewidth(width)];
    reversed[rowbytes] = 0;
    if (shift == 0) {
        memcpy(out, reversed, rowbytes);
        return;
    }
    for (unsigned k = 0; k < rowbytes; k++)
        out[k] = static_cast<uint8_t>(reversed[k] << shift | reversed[k + 1] >> (8 - shift));
}


}  // namespace

void makeform(const arrayform &form, const bmppixels &image, uint8_t *bytes)
{
    storedrows source = {image};
    long w = image.width, h = image.height;
    unsigned turned, height;
    turnedsize(form, image.width, image.height, turned, height);
    size_t rowbytes = bmppicrowbytes(turned), pages = turned;
    // Rows put row by row, pages column by column from the picture's rows
    // when turned by 90 or 270 degrees, and everything else from its columns.
    unsigned turns = form.quarterturns();
    if (form.layout() != layoutpages && turns % 2 == 0) {
        for (long y = 0; y < h; y++)
            inkrow(source, turns == 2 ? h - 1 - y : y, turns == 2, bytes + y * rowbytes);
    } else if (form.layout() == layoutpages && turns % 2 == 1) {
        // Page p, column x: pixels 8p to 8p + 7 of a row, top pixel in bit 0.
        static uint8_t row[bigside / 8];
        for (long x = 0; x < h; x++) {
            inkrow(source, turns == 1 ? h - 1 - x : x, turns == 3, row);
            for (unsigned p = 0; p < (height + 7) / 8; p++)
                bytes[p * pages + x] = swappedbytes.byte[row[p]];
        }
    } else if (form.layout() == layoutpages) {
        // Page g's column x is that of its rows; turned by 180 degrees, of
        // the rows from the bottom, right to left.
        bool half = turns == 2;
        eachcolumn(
            source, (height + 7) / 8, [&](long g, int j) { return half ? h - 1 - 8 * g - j : 8 * g + j; },
            half ? bytes + w - 1 : bytes, static_cast<long>(pages), half ? -1 : 1);
    } else {
        // A row of the turned picture is a column, eight rows to a byte, the
        // first pixel in bit 7: by 90 degrees clockwise from the bottom.
        bool clockwise = turns == 1;
        long step = static_cast<long>(rowbytes);
        eachcolumn(
            source, rowbytes, [&](long g, int j) { return clockwise ? h - 8 - 8 * g + j : 8 * g + 7 - j; },
            clockwise ? bytes : bytes + (w - 1) * step, 1, clockwise ? step : -step);
    }
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
               FILE *out)
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
    size_t count = formbytes(form.layout(), width, height);
    unsigned line = formline(form.layout(), width);
    for (size_t i = 0; i < count; i += line) {
        buffer.room(line * hexlength + 8);
        const uint8_t *byte = bytes + i, *end = byte + line;
        char *p = buffer.p;
        // Eight bytes a step, as korvel prints its own.
        for (; end - byte >= 8; byte += 8, p += 8 * hexlength)
            for (int k = 0; k < 8; k++)
                memcpy(p + k * hexlength, texts.text[byte[k]], sizeof texts.text[0]);
        for (; byte < end; byte++, p += hexlength)
            memcpy(p, texts.text[*byte], sizeof texts.text[0]);
        buffer.p = p;
        // The last byte's ", " gives way to the closing brace.
        if (i + line == count) {
            buffer.p -= 2;
            putliteral(buffer, bmppicarrayend);
        }
        putliteral(buffer, bmppicrowend);
    }
    fwrite(buffer.text, 1, static_cast<size_t>(buffer.p - buffer.text), out);
}
