// SPDX-License-Identifier: MIT
// The forms a picture's array can be written in, for the display libraries
// whose calls read otherwise than korvel's. A form is four choices, each
// independent of the others, the first value of each korvel's own:
// - layout: korvel, rows from the top, (width + 7) / 8 bytes each, the
//   leftmost pixel in the most significant bit, as korvel prints them; xbm,
//   the same rows with every byte's bit order reversed, as XBM files store
//   them; pages, (height + 7) / 8 pages of 8 rows from the top, each width
//   bytes from the left, each byte one column with its top row in bit 0, as
//   the SSD1306 stores its pixels;
// - polarity: black, a set bit is a pixel stored 0 (black in the customary
//   palette) and bits outside the picture are 0; white, every bit the
//   other way round, as e-paper memory takes a set bit for paper;
// - shape: sized, the width byte and the height byte first; pixels-only,
//   the pixel bytes alone, for pictures up to bigside pixels a side, the
//   size written beside the array;
// - rotate: 0, 90, 180 or 270 degrees clockwise, turned before it is
//   written, so that a landscape drawing fills a portrait panel's memory.
// Every form is made from korvel's bytes of the picture.
#ifndef KORVEL_FORM_HPP
#define KORVEL_FORM_HPP

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct bmppixels;

enum formchoice { formlayout, formpolarity, formshape, formrotate, formchoices };
enum arraylayout { layoutkorvel, layoutxbm, layoutpages };

// A choice's name is its option (--layout) and, in capitals, the keyword
// of korvel_add_bitmaps() (LAYOUT); a header names every value but the
// first in a comment "korvel <name>: <value> (<description>)".
struct formoption {
    const char *name;
    const char *unknown;  // korvel-header's words for a value it does not know
    unsigned count;
    const char *values[4];
    const char *descriptions[4];
};

inline constexpr formoption formoptions[formchoices] = {
    {"layout", "Unbekanntes Layout", 3, {"korvel", "xbm", "pages"},
     {"rows from the top, the leftmost pixel in the most significant bit",
      "rows from the top, the leftmost pixel in bit 0",
      "pages of 8 rows from the top, a byte a column, the top row in bit 0"}},
    {"polarity", "Unbekannte Polaritaet", 2, {"black", "white"},
     {"a set bit is a pixel stored 0, black in the customary palette",
      "a set bit is a pixel stored 1, and so is every bit outside the picture"}},
    {"shape", "Unbekannte Form", 2, {"sized", "pixels-only"},
     {"the width byte and the height byte first",
      "the pixel bytes alone, the size in the defines before them"}},
    {"rotate", "Unbekannte Drehung", 4, {"0", "90", "180", "270"},
     {"as drawn", "turned 90 degrees clockwise", "turned 180 degrees",
      "turned 270 degrees clockwise"}},
};

// The comment that names a choice starts with this and the choice's name.
inline constexpr char formcomment[] = "korvel ";

struct arrayform {
    unsigned choice[formchoices];

    arraylayout layout() const { return static_cast<arraylayout>(choice[formlayout]); }
    bool white() const { return choice[formpolarity] == 1; }
    bool pixelsonly() const { return choice[formshape] == 1; }
    unsigned quarterturns() const { return choice[formrotate]; }
};

// Finds a choice by its name, and one of its values.
bool findchoice(const char *name, formchoice &which);
bool findvalue(formchoice which, const char *value, unsigned &index);

// The size of the picture as the form writes it: turned by 90 or 270
// degrees, width and height change places.
void turnedsize(const arrayform &form, unsigned width, unsigned height, unsigned &turnedwidth,
                unsigned &turnedheight);

// The pixel bytes of a turned picture in the form's layout, and the bytes
// of one text line: a row, or a page.
size_t formbytes(arraylayout layout, unsigned width, unsigned height);
unsigned formline(arraylayout layout, unsigned width);

// Where the bytes of a form lie: byte k of line i (a row, or a page) at
// i * line + k * step.
struct formstrides {
    size_t line, step;
};

// Makes the form's bytes of a picture as korvel reads it: turned, in rows
// or pages, formbytes of them, stored where they are quickest to make.
// Each byte is still in korvel's bit order (pages: the top row in bit 0), a
// set bit black: printform writes it in the layout's bit order and the
// polarity. bytes holds 8 more than formbytes.
formstrides makeform(const arrayform &form, const bmppixels &image, uint8_t *bytes);

// The other way, for a turned picture as it is stored: korvel's bytes of
// what the array holds. Returns 0, or the first row (xbm, korvel) or column
// (pages), counted from 1, in which a bit outside the picture is not what
// the polarity asks for; its bits are then dropped.
unsigned fromform(const arrayform &form, unsigned width, unsigned height, const uint8_t *bytes,
                  uint8_t *rows);

// The header comments that name each choice other than korvel's own.
void printformcomments(const arrayform &form, FILE *out);

// Writes an array of makeform's in the shape of korvel's text, one line of
// bytes a row or a page, ending as printswbmp's does, before korvel's
// closing newline; the size bytes first unless the form has none.
void printform(const arrayform &form, unsigned width, unsigned height, const uint8_t *bytes,
               formstrides strides, FILE *out);

#endif
