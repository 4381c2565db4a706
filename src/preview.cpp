// SPDX-License-Identifier: MIT
// korvel-preview's reader and drawing.
//
// The text is the one korvel writes: the opening line, hexadecimal bytes
// separated by commas and white space, and the closing "};". Bytes 0 and 1
// give width and height; exactly height rows of (width + 7) / 8 bytes must
// follow, with no bit set past the width. Only then is the picture drawn,
// two pixel rows to a text line in Unicode half blocks, inside a frame that
// shows its edges even where its border is unlit.

#include "preview.hpp"

namespace {

textverdict readarray(FILE *in, korvelarray &array);
textverdict readbyte(FILE *in, int c, unsigned &value);
int nextnonblank(FILE *in);
bool iswhite(int c);
int hexdigit(int c);
textverdict checkarray(const korvelarray &array);
unsigned pastwidthrow(const korvelarray &array);

}  // namespace

textverdict readkorvelarray(FILE *in, korvelarray &array, unsigned &badrow)
{
    textverdict verdict = readarray(in, array);
    // A failed read ends the text early; whatever that looked like, the
    // file could not be read.
    if (ferror(in))
        return textunreadable;
    if (verdict == textok)
        verdict = checkarray(array);
    if (verdict == textpastwidth)
        badrow = pastwidthrow(array);
    return verdict;
}

namespace {

// Blanks (CR included, for a header that passed through Windows tools) may
// stand between all parts, as C allows; anything else makes it not an array.
textverdict readarray(FILE *in, korvelarray &array)
{
    static const char opening[] = "static const unsigned char bmppic [] = {";
    int c = nextnonblank(in);
    for (const char *p = opening; *p != '\0'; p++, c = fgetc(in))
        if (c != *p)
            return textnotarray;
    array.count = 0;
    for (c = iswhite(c) ? nextnonblank(in) : c; c != '}'; c = nextnonblank(in)) {
        unsigned value;
        textverdict verdict = readbyte(in, c, value);
        if (verdict != textok)
            return verdict;
        if (array.count < maxbytes)
            array.bytes[array.count] = static_cast<unsigned char>(value);
        array.count++;
        c = nextnonblank(in);
        if (c == '}')
            break;
        if (c != ',')
            return textnotarray;
    }
    if (nextnonblank(in) != ';' || nextnonblank(in) != EOF)
        return textnotarray;
    return textok;
}

// Reads "0x" and at least one hexadecimal digit; c is the character before
// it. Larger values stop at 0x100, so that no digit count overflows.
textverdict readbyte(FILE *in, int c, unsigned &value)
{
    if (c != '0' || ((c = fgetc(in)) != 'x' && c != 'X'))
        return textnotarray;
    int digit = hexdigit(c = fgetc(in));
    if (digit < 0)
        return textnotarray;
    value = 0;
    for (; digit >= 0; digit = hexdigit(c = fgetc(in)))
        value = value > 0xFF ? value : value * 16 + digit;
    ungetc(c, in);
    return value > 0xFF ? textoverff : textok;
}

int nextnonblank(FILE *in)
{
    int c;
    do
        c = fgetc(in);
    while (iswhite(c));
    return c;
}

bool iswhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int hexdigit(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

textverdict checkarray(const korvelarray &array)
{
    if (array.count < 2 || array.bytes[0] == 0 || array.bytes[1] == 0)
        return textnotarray;
    unsigned width = array.bytes[0], height = array.bytes[1];
    if (array.count != 2 + height * bmppicrowbytes(width))
        return textbadcount;
    return pastwidthrow(array) != 0 ? textpastwidth : textok;
}

// The first row, from 1, with a bit set past the width; 0 for none.
unsigned pastwidthrow(const korvelarray &array)
{
    unsigned width = array.bytes[0], height = array.bytes[1];
    unsigned rowbytes = bmppicrowbytes(width);
    unsigned char pastwidth = 0xFF >> (width % 8);
    for (unsigned y = 0; width % 8 != 0 && y < height; y++)
        if (array.bytes[2 + y * rowbytes + rowbytes - 1] & pastwidth)
            return y + 1;
    return 0;
}

// Each text cell shows two pixels, the upper and the lower, as UTF-8 half
// blocks; written as bytes so that no compiler's source charset matters.
const char *const frametop = "\xE2\x94\x8C";     // ┌
const char *const frameline = "\xE2\x94\x80";    // ─
const char *const frametopend = "\xE2\x94\x90";  // ┐
const char *const frameside = "\xE2\x94\x82";    // │
const char *const framefoot = "\xE2\x94\x94";    // └
const char *const framefootend = "\xE2\x94\x98"; // ┘
const char *const cells[4] = {
    " ",             // neither lit
    "\xE2\x96\x84",  // ▄ lower lit
    "\xE2\x96\x80",  // ▀ upper lit
    "\xE2\x96\x88",  // █ both lit
};

void drawrule(const char *start, unsigned width, const char *end, FILE *out)
{
    fputs(start, out);
    for (unsigned x = 0; x < width; x++)
        fputs(frameline, out);
    fputs(end, out);
    putc('\n', out);
}

}  // namespace

// An odd last row has an unlit lower half.
void drawbmppic(const unsigned char *bmppic, FILE *out)
{
    unsigned width = bmppic[0], height = bmppic[1];
    fprintf(out, "%u x %u\n", width, height);
    drawrule(frametop, width, frametopend, out);
    for (unsigned y = 0; y < height; y += 2) {
        fputs(frameside, out);
        for (unsigned x = 0; x < width; x++) {
            bool upper = bmppicpixel(bmppic, x, y);
            bool lower = y + 1 < height && bmppicpixel(bmppic, x, y + 1);
            fputs(cells[upper << 1 | lower], out);
        }
        fputs(frameside, out);
        putc('\n', out);
    }
    drawrule(framefoot, width, framefootend, out);
}
