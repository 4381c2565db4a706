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

// Eight bytes as one word, byte j in bits 8j to 8j + 7, and back.
inline uint64_t gather(const uint8_t *const bytes[8], size_t offset)
{
    uint64_t word = 0;
    for (int j = 0; j < 8; j++)
        word |= static_cast<uint64_t>(bytes[j] != nullptr ? bytes[j][offset] : 0) << 8 * j;
    return word;
}

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

// The rows of a picture, a row outside it none.
struct rowsof {
    const uint8_t *bytes;
    unsigned width, height;
    const uint8_t *row(long y) const
    {
        return y >= 0 && y < static_cast<long>(height) ? bytes + y * static_cast<size_t>(bmppicrowbytes(width))
                                                       : nullptr;
    }
};

// Every group of eight rows, which rows the caller chooses (row(g, j), the
// row of group g in bit j; one outside the picture is none), read as
// columns: put(g, x, byte) for the column of pixel x of every row.
template <typename Row, typename Put>
void eachcolumn(const rowsof &source, unsigned groups, Row row, Put put)
{
    const uint8_t *group[8];
    for (unsigned g = 0; g < groups; g++) {
        for (int j = 0; j < 8; j++)
            group[j] = source.row(row(static_cast<long>(g), j));
        for (unsigned k = 0; k < bmppicrowbytes(source.width); k++) {
            uint64_t columns = transpose(gather(group, k));
            for (unsigned i = 0; i < 8 && 8 * k + i < source.width; i++)
                put(g, 8 * k + i, byteof(columns, 7 - static_cast<int>(i)));
        }
    }
}

// A byte of a turned row holds, from its bit 7, eight rows of one column
// of the picture. Turned by 90 degrees clockwise, pixel (x, y) is pixel
// (y, height - 1 - x) of the picture: row y is the picture's column y read
// upwards. By 270 degrees, pixel (x, y) is (width - 1 - y, x): row y is
// column width - 1 - y read downwards.
void turnquarter(bool clockwise, const rowsof &source, uint8_t *turned)
{
    long width = source.width, height = source.height;
    unsigned turnedbytes = bmppicrowbytes(source.height);
    if (clockwise)
        eachcolumn(
            source, turnedbytes, [&](long g, int j) { return height - 8 - 8 * g + j; },
            [&](unsigned g, unsigned x, uint8_t byte) { turned[x * static_cast<size_t>(turnedbytes) + g] = byte; });
    else
        eachcolumn(
            source, turnedbytes, [](long g, int j) { return 8 * g + 7 - j; },
            [&](unsigned g, unsigned x, uint8_t byte) {
                turned[(width - 1 - x) * static_cast<size_t>(turnedbytes) + g] = byte;
            });
}

// Turned by 180 degrees, each row is a row from the bottom mirrored: its
// bytes in reverse, each reversed, then moved left by the bits the last
// byte has past the width.
void turnhalf(const rowsof &source, uint8_t *turned)
{
    unsigned rowbytes = bmppicrowbytes(source.width), shift = 8 * rowbytes - source.width;
    for (unsigned y = 0; y < source.height; y++) {
        const uint8_t *row = source.row(source.height - 1 - y);
        uint8_t *out = turned + y * static_cast<size_t>(rowbytes);
        for (unsigned k = 0; k < rowbytes; k++) {
            unsigned here = swappedbytes.byte[row[rowbytes - 1 - k]];
            unsigned next = k + 1 < rowbytes ? swappedbytes.byte[row[rowbytes - 2 - k]] : 0;
            out[k] = static_cast<uint8_t>(here << shift | next >> (8 - shift));
        }
    }
}

// korvel's rows as pages: page g's column x is the column of rows 8g to
// 8g + 7.
void topages(const rowsof &source, uint8_t *pages)
{
    unsigned width = source.width;
    eachcolumn(
        source, (source.height + 7) / 8, [](long g, int j) { return 8 * g + j; },
        [&](unsigned g, unsigned x, uint8_t byte) { pages[g * static_cast<size_t>(width) + x] = byte; });
}

// The mask of a row's last byte that keeps the pixels inside the width, in
// korvel's bit order.
uint8_t insidewidth(unsigned width)
{
    return width % 8 == 0 ? 0xFF : static_cast<uint8_t>(0xFF00u >> width % 8);
}

}  // namespace

const uint8_t *makeform(const arrayform &form, unsigned width, unsigned height, uint8_t *rows,
                        uint8_t *spare)
{
    uint8_t *bytes = rows, *other = spare;
    if (form.quarterturns() != 0) {
        rowsof source = {bytes, width, height};
        if (form.quarterturns() == 2)
            turnhalf(source, other);
        else
            turnquarter(form.quarterturns() == 1, source, other);
        turnedsize(form, width, height, width, height);
        uint8_t *swap = bytes;
        bytes = other, other = swap;
    }
    size_t count = formbytes(form.layout(), width, height);
    if (form.layout() == layoutpages) {
        topages({bytes, width, height}, other);
        bytes = other;
    } else if (form.layout() == layoutxbm) {
        for (size_t i = 0; i < count; i++)
            bytes[i] = swappedbytes.byte[bytes[i]];
    }
    if (form.white())
        for (size_t i = 0; i < count; i++)
            bytes[i] = static_cast<uint8_t>(~bytes[i]);
    return bytes;
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

void printform(const arrayform &form, unsigned width, unsigned height, const uint8_t *bytes,
               FILE *out)
{
    textbuffer &buffer = printbuffer;
    buffer.out = out;
    buffer.p = buffer.text;
    putliteral(buffer, bmppicopening);
    if (!form.pixelsonly()) {
        // The table's entries are those of the inverted bytes.
        buffer.put(hexbytes.text[~width & 0xFF], hexlength);
        buffer.put(hexbytes.text[~height & 0xFF], hexlength - 1);
        putliteral(buffer, bmppicrowend);
    }
    size_t count = formbytes(form.layout(), width, height);
    unsigned line = formline(form.layout(), width);
    for (size_t i = 0; i < count; i += line) {
        buffer.room(line * hexlength + 8);
        for (unsigned k = 0; k < line; k++, buffer.p += hexlength)
            memcpy(buffer.p, hexbytes.text[static_cast<uint8_t>(~bytes[i + k])], sizeof hexbytes.text[0]);
        // The last byte's ", " gives way to the closing brace.
        if (i + line == count) {
            buffer.p -= 2;
            putliteral(buffer, bmppicarrayend);
        }
        putliteral(buffer, bmppicrowend);
    }
    fwrite(buffer.text, 1, static_cast<size_t>(buffer.p - buffer.text), out);
}
