// SPDX-License-Identifier: MIT
// korvel-preview: shows in the terminal what an array that korvel wrote
// will light on a display that lights set bits.
//
// It reads the text korvel writes, from the file named by its one argument
// or from standard input: the opening line, hexadecimal bytes separated by
// commas and white space, and the closing "};". Bytes 0 and 1 give width and
// height; exactly height rows of (width + 7) / 8 bytes must follow, with no
// bit set past the width. Only then is the picture drawn, two pixel rows to
// a text line in Unicode half blocks, inside a frame that shows its edges
// even where its border is unlit.
//
// Exit status: 0 after drawing, 1 when the text is refused or the output
// could not be written, -2 (254 to the shell) after the usage text.
// Messages go to standard error, so that nothing but a picture is ever on
// standard output.

#include "bmppic.hpp"
#include "bmppic.hpp"
#include "platform.hpp"

namespace {

// The longest array korvel writes: two size bytes and 255 rows of 32.
constexpr unsigned maxbytes = 2 + maxside * ((maxside + 7) / 8);

struct korvelarray {
    unsigned char bytes[maxbytes];
    unsigned long count;  // bytes in the text; those past maxbytes not kept
    unsigned badrow;      // the first row with a bit past the width, from 1
};

enum textverdict {
    textok,
    textunreadable,  // the file cannot be opened or read
    textnotarray,    // not an array as korvel writes it
    textoverff,      // a byte above 0xFF
    textbadcount,    // more or fewer bytes than width and height ask for
    textpastwidth,   // a bit set past the right edge
};

void usage();
textverdict readarray(FILE *in, korvelarray &array);
textverdict checkarray(korvelarray &array);
void report(textverdict verdict, const char *path, const korvelarray &array);
void drawbmppic(const unsigned char *bmppic);

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    if (argc > 2) {
        usage();
        outputwritten();
        return -2;
    }
    const char *path = argc == 2 ? argv[1] : nullptr;
    FILE *in = path != nullptr ? fopenread(path) : stdin;
    static korvelarray array;
    textverdict verdict = textunreadable;
    if (in != nullptr) {
        verdict = readarray(in, array);
        if (verdict == textok)
            verdict = checkarray(array);
        if (in != stdin)
            fclose(in);
    }
    if (verdict != textok) {
        report(verdict, path != nullptr ? path : "-", array);
        return 1;
    }
    drawbmppic(array.bytes);
    return outputwritten() ? 0 : 1;
}

namespace {

void usage()
{
    puts("\n\nKORVEL-PREVIEW 0.01");
    puts("---------------------\n");
    puts("   Zeigt, was ein von korvel erzeugtes Array auf einer Anzeige leuchten laesst.");
    puts("   Ohne Dateinamen wird der Text von der Standardeingabe gelesen.");
    puts("   Syntax:   korvel-preview [Headerdatei]");
    puts("\nBeispiel:  korvel mybmp.bmp | korvel-preview\n");
}

bool iswhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int nextnonblank(FILE *in)
{
    int c;
    do
        c = fgetc(in);
    while (iswhite(c));
    return c;
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

// Blanks (CR included, for a header that passed through Windows tools) may
// stand between all parts, as C allows; anything else makes it not an array.
textverdict readarray(FILE *in, korvelarray &array)
{
    static const char opening[] = "static const unsigned char bmppic [] = {";
    int c = nextnonblank(in);
    for (const char *p = opening; *p != '\0'; p++, c = fgetc(in))
        if (c != *p)
            return ferror(in) ? textunreadable : textnotarray;
    array.count = 0;
    for (c = iswhite(c) ? nextnonblank(in) : c; c != '}'; c = nextnonblank(in)) {
        unsigned value;
        textverdict verdict = readbyte(in, c, value);
        if (verdict != textok)
            return ferror(in) ? textunreadable : verdict;
        if (array.count < maxbytes)
            array.bytes[array.count] = static_cast<unsigned char>(value);
        array.count++;
        c = nextnonblank(in);
        if (c == '}')
            break;
        if (c != ',')
            return ferror(in) ? textunreadable : textnotarray;
    }
    if (nextnonblank(in) != ';' || nextnonblank(in) != EOF)
        return ferror(in) ? textunreadable : textnotarray;
    return ferror(in) ? textunreadable : textok;
}

textverdict checkarray(korvelarray &array)
{
    if (array.count < 2 || array.bytes[0] == 0 || array.bytes[1] == 0)
        return textnotarray;
    unsigned width = array.bytes[0], height = array.bytes[1];
    unsigned rowbytes = bmppicrowbytes(width);
    if (array.count != 2 + height * rowbytes)
        return textbadcount;
    unsigned char pastwidth = 0xFF >> (width % 8);
    for (unsigned y = 0; width % 8 != 0 && y < height; y++) {
        if (array.bytes[2 + y * rowbytes + rowbytes - 1] & pastwidth) {
            array.badrow = y + 1;
            return textpastwidth;
        }
    }
    return textok;
}

void report(textverdict verdict, const char *path, const korvelarray &array)
{
    switch (verdict) {
    case textok:
        break;
    case textunreadable:
        fprintf(stderr, "\n\nDatei %s wurde nicht gefunden ... \n\n", path);
        break;
    case textnotarray:
        fputs("\n\nText ist keine korvel-Ausgabe ... \n\n", stderr);
        break;
    case textoverff:
        fputs("\n\nText enthaelt einen Wert ueber 0xFF ... \n\n", stderr);
        break;
    case textbadcount:
        fprintf(stderr, "\n\nText enthaelt %lu Bildbytes, %u x %u Pixel brauchen %u ... \n\n",
                array.count - 2, array.bytes[0], array.bytes[1],
                array.bytes[1] * bmppicrowbytes(array.bytes[0]));
        break;
    case textpastwidth:
        fprintf(stderr, "\n\nText setzt in Bildzeile %u ein Bit rechts vom Bildrand ... \n\n",
                array.badrow);
        break;
    }
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

void drawrule(const char *start, unsigned width, const char *end)
{
    fputs(start, stdout);
    for (unsigned x = 0; x < width; x++)
        fputs(frameline, stdout);
    fputs(end, stdout);
    putchar('\n');
}

// An odd last row has an unlit lower half.
void drawbmppic(const unsigned char *bmppic)
{
    unsigned width = bmppic[0], height = bmppic[1];
    printf("%u x %u\n", width, height);
    drawrule(frametop, width, frametopend);
    for (unsigned y = 0; y < height; y += 2) {
        fputs(frameside, stdout);
        for (unsigned x = 0; x < width; x++) {
            bool upper = bmppicpixel(bmppic, x, y);
            bool lower = y + 1 < height && bmppicpixel(bmppic, x, y + 1);
            fputs(cells[upper << 1 | lower], stdout);
        }
        fputs(frameside, stdout);
        putchar('\n');
    }
    drawrule(framefoot, width, framefootend);
}

}  // namespace
