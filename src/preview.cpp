// SPDX-License-Identifier: MIT
// korvel-preview's reader and drawing.
//
// The text is the one korvel writes: the opening line, hexadecimal bytes
// separated by commas and white space, and the closing "};". Bytes 0 and 1
// give width and height; exactly height rows of (width + 7) / 8 bytes must
// follow, with no bit set past the width. Only then is the picture drawn,
// two pixel rows to a text line in Unicode half blocks, inside a frame that
// shows its edges even where its border is unlit.
//
// A header of korvel-header's (headershape.hpp) holds such texts between
// comments and preprocessor lines: "#define bmppic NAME" before each names
// it, comments may give the form of the arrays after them (form.hpp), the
// size of pixels-only arrays stands in "#define NAME_width" and
// "#define NAME_height" before them, and a table of pointers may follow the
// arrays of an animation's frames. An array in another form is checked in
// its own and drawn from korvel's bytes, as it is stored: a turned picture
// as the panel's memory holds it.

#include "preview.hpp"

#include "bmppic.hpp"
#include "headershape.hpp"

#include <cstring>

namespace {

textverdict readtext(FILE *in, korveltext &text);
textverdict readmessage(FILE *in, int c, korveltext &text);
textverdict readheader(FILE *in, int c, korveltext &text);
textverdict readcomment(FILE *in, arrayform &form, korveltext &text);
bool skipcomment(FILE *in, int c);
bool readword(FILE *in, int &c, char *word, size_t size);
bool skipline(FILE *in);
bool readdirective(FILE *in, char *name, unsigned long size[2]);
bool readsize(const char *line, size_t start, size_t after, unsigned long size[2]);
bool skiptable(FILE *in);
bool matches(FILE *in, int &c, const char *literal);
textverdict readarray(FILE *in, int c, korveltext &text, korvelarray &array);
textverdict readbody(FILE *in, int c, korveltext &text, korvelarray &array);
textverdict readbyte(FILE *in, int c, unsigned &value);
int nextnonblank(FILE *in);
int nextcode(FILE *in);
int nextcode(FILE *in, int c);
bool iswhite(int c);
bool isidentifier(int c);
int hexdigit(int c);
textverdict checkarray(const korveltext &text, korvelarray &array, unsigned &badrow);
bool sameplanes(const korveltext &text);
const unsigned char *pixelsof(const korveltext &text, const korvelarray &array);

}  // namespace

textverdict readkorveltext(FILE *in, korveltext &text, unsigned &bad, unsigned &badrow)
{
    textverdict verdict = readtext(in, text);
    // A failed read ends the text early; whatever that looked like, the
    // file could not be read.
    if (ferror(in))
        return textunreadable;
    for (bad = 0; verdict == textok && bad < text.count; bad++)
        verdict = checkarray(text, text.arrays[bad], badrow);
    if (verdict == textok && text.planes && !sameplanes(text))
        return textplanes;
    if (verdict == textok)
        return textok;
    bad -= bad > 0;
    return verdict;
}

// korvel's bytes of one array at a time, for its check and its drawing,
// and of a picture's colour plane.
static unsigned char rows[bigbytes], colourrows[bigbytes];

void korvelrows(const korveltext &text, const korvelarray &array, unsigned char *rows)
{
    fromform(array.form, array.width, array.height, pixelsof(text, array), rows);
}

void drawkorveltext(const korveltext &text, bool colours, FILE *out)
{
    if (text.planes) {
        const korvelarray &black = text.arrays[0], &colour = text.arrays[1];
        fprintf(out, "%.*s\n", static_cast<int>(strlen(black.name) - strlen(headerplanes[0])), black.name);
        korvelrows(text, black, rows);
        korvelrows(text, colour, colourrows);
        drawpicture(black.width, black.height, rows, colourrows, colours, out);
        return;
    }
    for (unsigned i = 0; i < text.count; i++) {
        const korvelarray &array = text.arrays[i];
        if (text.named)
            fprintf(out, "%s\n", array.name);
        korvelrows(text, array, rows);
        drawpicture(array.width, array.height, rows, nullptr, colours, out);
    }
}

namespace {

// korvel's own text is one array and nothing else; a header starts with a
// comment or a preprocessor line.
textverdict readtext(FILE *in, korveltext &text)
{
    text.count = 0;
    text.named = false;
    text.message[0] = '\0';
    text.used = 0;
    text.planes = false;
    int c = fgetc(in);
    // A UTF-8 byte order mark, as some editors write one.
    if (c == 0xEF && fgetc(in) == 0xBB && fgetc(in) == 0xBF)
        c = fgetc(in);
    if (iswhite(c))
        c = nextnonblank(in);
    if (c == 'D')
        return readmessage(in, c, text);
    if (c == '/' || c == '#')
        return readheader(in, c, text);
    text.count = 1;
    text.arrays[0].name[0] = '\0';
    text.arrays[0].form = arrayform();
    textverdict verdict = readarray(in, c, text, text.arrays[0]);
    if (verdict == textok && nextcode(in) != EOF)
        return textnotarray;
    return verdict;
}

// One of korvel's messages, which a pipe brings instead of an array:
// "Datei PATH ... ", between blank lines; c is its first character.
textverdict readmessage(FILE *in, int c, korveltext &text)
{
    static const char start[] = "Datei ", end[] = " ... ";
    size_t length = 0;
    for (; c != EOF && c != '\n'; c = fgetc(in)) {
        if (length + 1 == sizeof text.message)
            return textnotarray;
        text.message[length++] = static_cast<char>(c);
    }
    text.message[length] = '\0';
    bool message = strncmp(text.message, start, sizeof start - 1) == 0 && length >= sizeof end - 1 &&
                   strcmp(text.message + length - (sizeof end - 1), end) == 0;
    if (!message || nextnonblank(in) != EOF) {
        text.message[0] = '\0';
        return textnotarray;
    }
    return textmessage;
}

// Comments, preprocessor lines, named arrays, tables of frames and of their
// delays, in any order; a header with more than one array, or a table, is named.
// korvel's own text, with comments or lines such as "#pragma once" added,
// is its array alone.
textverdict readheader(FILE *in, int c, korveltext &text)
{
    char name[maxname + 1] = "";
    unsigned long size[2] = {};  // from the last NAME_width and NAME_height
    arrayform form = {};
    for (; c != EOF; c = nextnonblank(in)) {
        if (c == '/') {
            textverdict verdict = readcomment(in, form, text);
            if (verdict != textok)
                return verdict;
        } else if (c == '#') {
            if (!readdirective(in, name, size))
                return textnotarray;
        } else if (!matches(in, c, headerconst)) {
            return textnotarray;
        } else if (matches(in, c, headerdelaystype)) {
            if (!skiptable(in))
                return textnotarray;
        } else if (!matches(in, c, headerarraytype)) {
            return textnotarray;
        } else if (c == '*') {
            if (!skiptable(in))
                return textnotarray;
            text.named = true;
        } else {
            // Only korvel's own text, the first and only array, has no name.
            if (name[0] == '\0' && text.count > 0)
                return textnotarray;
            if (text.count == maxframes)
                return textmanyarrays;
            korvelarray &array = text.arrays[text.count++];
            strcpy(array.name, name);
            array.form = form;
            // Checked with the array: 0 is no size.
            array.width = size[0] <= bigside ? static_cast<unsigned>(size[0]) : 0;
            array.height = size[1] <= bigside ? static_cast<unsigned>(size[1]) : 0;
            name[0] = '\0';
            textverdict verdict = readbody(in, c, text, array);
            if (verdict != textok)
                return verdict;
        }
    }
    if (text.count == 0)
        return textnotarray;
    text.named |= text.count > 1;
    // korvel's own text has no other array, nor a table of frames.
    if (text.named && text.arrays[0].name[0] == '\0')
        return textnotarray;
    return textok;
}

// A comment, from its first '/': to the line's end, or to its "*/"; one
// that starts with formcomment and a choice's name sets that choice for
// the arrays after it, one that says so makes the text a picture's planes.
// A choice with a value korvel-header never writes is said: the arrays'
// bytes cannot be read without it.
textverdict readcomment(FILE *in, arrayform &form, korveltext &text)
{
    int c = fgetc(in);
    if (c == '/')
        return skipline(in) ? textok : textnotarray;
    if (c != '*')
        return textnotarray;
    c = nextnonblank(in);
    char name[16];
    formchoice which;
    if (matches(in, c, formcomment) && readword(in, c, name, sizeof name) && c == ':') {
        if (findchoice(name, which)) {
            // The value is read where its refusal names it, whole.
            c = nextnonblank(in);
            char *value = text.message;
            if (!readword(in, c, value, sizeof text.message) || !findvalue(which, value, form.choice[which])) {
                text.badchoice = which;
                return textbadchoice;
            }
        }
        text.planes |= strcmp(name, "planes") == 0;
    }
    return skipcomment(in, c) ? textok : textnotarray;
}

// The rest of a block comment, from c on, to its "*/".
bool skipcomment(FILE *in, int c)
{
    for (int last = 0; c != EOF; last = c, c = fgetc(in))
        if (last == '*' && c == '/')
            return true;
    return false;
}

// A word of a form comment: letters, digits and '-', from c on; c is left
// at the character after it. A word too long for size is false, its start
// in word.
bool readword(FILE *in, int &c, char *word, size_t size)
{
    size_t length = 0;
    for (; (isidentifier(c) || c == '-') && length + 1 < size; c = fgetc(in))
        word[length++] = static_cast<char>(c);
    word[length] = '\0';
    return length > 0 && !isidentifier(c) && c != '-';
}

bool skipline(FILE *in)
{
    int c;
    while ((c = fgetc(in)) != EOF && c != '\n')
        ;
    return true;
}

// A preprocessor line, from its '#'. "#define bmppic [PROGMEM ]NAME" sets
// the name of the next array: the last word before a comment, the one the
// compiler reads, with blanks or tabs wherever C allows them;
// "#define NAME_width N" and "#define NAME_height N" the size of the next
// pixels-only arrays.
bool readdirective(FILE *in, char *name, unsigned long size[2])
{
    // Blanks in a row are kept as one and a comment not at all: padding
    // and remarks never make a directive too long to read.
    char line[2 * maxname + 64];
    size_t length = 0;
    bool comment = false;
    int c;
    while ((c = fgetc(in)) != EOF && c != '\n') {
        if (length > 0 && line[length - 1] == '/' && (c == '/' || c == '*')) {
            comment = true;
            length--;
        }
        if (comment || (iswhite(c) && length > 0 && iswhite(line[length - 1])))
            continue;
        if (length + 1 == sizeof line)
            return false;
        line[length++] = static_cast<char>(c);
    }
    line[length] = '\0';
    const char *p = line;
    auto word = [&p](const char *expected) {
        while (iswhite(*p))
            p++;
        size_t n = strlen(expected);
        if (strncmp(p, expected, n) != 0 || isidentifier(p[n]))
            return false;
        p += n;
        return true;
    };
    static const char define[] = "define";
    if (!word(define) || !iswhite(*p))
        return true;
    while (length > 0 && iswhite(line[length - 1]))
        line[--length] = '\0';
    size_t start = length;
    while (start > 0 && isidentifier(line[start - 1]))
        start--;
    if (!word("bmppic"))
        return readsize(line, start, static_cast<size_t>(p - line), size);
    size_t after = static_cast<size_t>(p - line);
    if (start < after || start == length || length - start > maxname ||
        (start > after && !iswhite(line[start - 1])))
        return false;
    strcpy(name, line + start);
    return true;
}

// "NAME_width N" or "NAME_height N" from after; the last word, the number,
// from start. Any other define is none of korvel's.
bool readsize(const char *line, size_t start, size_t after, unsigned long size[2])
{
    while (iswhite(line[after]))
        after++;
    size_t end = after;
    while (isidentifier(line[end]))
        end++;
    auto endswith = [&](const char *suffix) {
        size_t n = strlen(suffix);
        return end - after > n && strncmp(line + end - n, suffix, n) == 0;
    };
    int which = endswith(headerwidth) ? 0 : endswith(headerheight) ? 1 : -1;
    if (which < 0 || start <= end || !iswhite(line[start - 1]))
        return true;
    unsigned long value = 0;
    for (const char *digit = line + start; *digit != '\0'; digit++) {
        if (*digit < '0' || *digit > '9')
            return true;
        value = value > bigside ? value : value * 10 + static_cast<unsigned long>(*digit - '0');
    }
    size[which] = value;
    return true;
}

// The table of an animation's frames, from its '*', or of their delays,
// from its name: names, numbers, commas and blanks up to the closing "};".
bool skiptable(FILE *in)
{
    int c;
    while ((c = fgetc(in)) != '}')
        if (c == EOF || !(isidentifier(c) || iswhite(c) || strchr("*[]={,", c) != nullptr))
            return false;
    return nextnonblank(in) == ';';
}

// Consumes literal; c is its first character as read, and is left at the
// first one that differs, or the one after the literal.
bool matches(FILE *in, int &c, const char *literal)
{
    for (; *literal != '\0'; literal++, c = fgetc(in))
        if (c != *literal)
            return false;
    return true;
}

// Blanks (CR included, for a header that passed through Windows tools) may
// stand between all parts, as C allows; anything else makes it not an array.
// c is the array's first character.
textverdict readarray(FILE *in, int c, korveltext &text, korvelarray &array)
{
    return matches(in, c, headerarray) ? readbody(in, c, text, array) : textnotarray;
}

// The rest of an array, from "bmppic" to the closing "};".
textverdict readbody(FILE *in, int c, korveltext &text, korvelarray &array)
{
    if (!matches(in, c, "bmppic [] = {"))
        return textnotarray;
    array.first = text.used;
    array.count = 0;
    for (c = iswhite(c) || c == '/' ? nextcode(in, c) : c; c != '}'; c = nextcode(in)) {
        unsigned value;
        textverdict verdict = readbyte(in, c, value);
        if (verdict != textok)
            return verdict;
        if (text.used < sizeof text.bytes)
            text.bytes[text.used++] = static_cast<unsigned char>(value);
        array.count++;
        c = nextcode(in);
        if (c == '}')
            break;
        if (c != ',')
            return textnotarray;
    }
    return nextcode(in) == ';' ? textok : textnotarray;
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

// The next character that is neither blank nor in a comment, from c on
// (by default, the one after what was read): comments are read as the
// compiler reads them. A '/' that starts none is itself.
int nextcode(FILE *in, int c)
{
    for (c = iswhite(c) ? nextnonblank(in) : c; c == '/'; c = nextnonblank(in)) {
        int next = fgetc(in);
        if (next == '/') {
            skipline(in);
        } else if (next == '*') {
            if (!skipcomment(in, fgetc(in)))
                return EOF;
        } else {
            ungetc(next, in);
            return '/';
        }
    }
    return c;
}

int nextcode(FILE *in)
{
    return nextcode(in, nextnonblank(in));
}

bool iswhite(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isidentifier(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
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

// The size, from the size bytes or the defines; the byte count the form
// asks for, all of them kept; no bit outside the picture but as the
// polarity sets it.
textverdict checkarray(const korveltext &text, korvelarray &array, unsigned &badrow)
{
    if (!array.form.pixelsonly()) {
        if (array.count < 2 || array.first + 2 > text.used)
            return textnotarray;
        array.width = text.bytes[array.first];
        array.height = text.bytes[array.first + 1];
        if (array.width == 0 || array.height == 0)
            return textnotarray;
    } else if (array.width == 0 || array.height == 0) {
        return textnosize;
    }
    unsigned sizebytes = array.form.pixelsonly() ? 0 : 2;
    if (array.count != sizebytes + formbytes(array.form.layout(), array.width, array.height))
        return textbadcount;
    if (array.first + array.count > text.used)
        return textmanybytes;
    badrow = fromform(array.form, array.width, array.height, pixelsof(text, array), rows);
    if (badrow == 0)
        return textok;
    return array.form.layout() == layoutpages ? textpastheight : textpastwidth;
}

// The planes of a picture: its black one, then its colour one, named so,
// of one size.
bool sameplanes(const korveltext &text)
{
    auto named = [](const korvelarray &array, const char *plane) {
        size_t length = strlen(array.name), suffix = strlen(plane);
        return length > suffix && strcmp(array.name + length - suffix, plane) == 0;
    };
    const korvelarray &black = text.arrays[0], &colour = text.arrays[1];
    return text.count == 2 && named(black, headerplanes[0]) && named(colour, headerplanes[1]) &&
           strlen(black.name) - strlen(headerplanes[0]) == strlen(colour.name) - strlen(headerplanes[1]) &&
           strncmp(black.name, colour.name, strlen(black.name) - strlen(headerplanes[0])) == 0 &&
           black.width == colour.width && black.height == colour.height;
}

const unsigned char *pixelsof(const korveltext &text, const korvelarray &array)
{
    return text.bytes + array.first + (array.form.pixelsonly() ? 0 : 2);
}

// Each text cell shows two pixels, the upper and the lower, as UTF-8 half
// blocks; written as bytes so that no compiler's source charset matters.
const char *const frametop = "\xE2\x94\x8C";     // ┌
const char *const frameline = "\xE2\x94\x80";    // ─
const char *const frametopend = "\xE2\x94\x90";  // ┐
const char *const frameside = "\xE2\x94\x82";    // │
const char *const framefoot = "\xE2\x94\x94";    // └
const char *const framefootend = "\xE2\x94\x98"; // ┘
// A cell with colour where the output shows none, and the terminal's
// codes for red, red behind, and plain again.
const char *const shade = "\xE2\x96\x92";  // ▒
const char *const red = "\x1b[31m", *const redbehind = "\x1b[41m", *const plain = "\x1b[0m";
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

// An odd last row has an unlit lower half. A reduced picture's cell
// stands for scale x scale pixels. A cell with colour in it is red where
// colours shows it, the colour over black; else a shade.
void drawpicture(unsigned width, unsigned height, const unsigned char *rows, const unsigned char *colour,
                 bool colours, FILE *out)
{
    unsigned scale = (width > height ? width : height) / (maxside + 1) + 1;
    unsigned columns = (width + scale - 1) / scale, lines = (height + scale - 1) / scale;
    if (scale == 1)
        fprintf(out, "%u x %u\n", width, height);
    else
        fprintf(out, "%u x %u, verkleinert 1:%u\n", width, height, scale);
    auto lit = [&](const unsigned char *plane, unsigned cx, unsigned cy) {
        if (plane == nullptr || cy >= lines)
            return false;
        for (unsigned y = cy * scale; y < (cy + 1) * scale && y < height; y++)
            for (unsigned x = cx * scale; x < (cx + 1) * scale && x < width; x++)
                if (plane[y * static_cast<size_t>(bmppicrowbytes(width)) + x / 8] & (0x80 >> (x % 8)))
                    return true;
        return false;
    };
    drawrule(frametop, columns, frametopend, out);
    for (unsigned y = 0; y < lines; y += 2) {
        fputs(frameside, out);
        for (unsigned x = 0; x < columns; x++) {
            bool uppercolour = lit(colour, x, y), lowercolour = lit(colour, x, y + 1);
            bool upper = !uppercolour && lit(rows, x, y), lower = !lowercolour && lit(rows, x, y + 1);
            if (!uppercolour && !lowercolour)
                fputs(cells[upper << 1 | lower], out);
            else if (!colours)
                fputs(shade, out);
            else if (upper || lower)  // red behind the black half
                fprintf(out, "%s%s%s", redbehind, cells[upper << 1 | lower], plain);
            else
                fprintf(out, "%s%s%s", red, cells[uppercolour << 1 | lowercolour], plain);
        }
        fputs(frameside, out);
        putc('\n', out);
    }
    drawrule(framefoot, columns, framefootend, out);
}
