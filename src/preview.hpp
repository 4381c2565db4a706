// SPDX-License-Identifier: MIT
// korvel-preview's reader and drawing, apart from its command line, so that
// a fuzz target can run them on any text.
#ifndef KORVEL_PREVIEW_HPP
#define KORVEL_PREVIEW_HPP

#include "bmppic.hpp"
#include "form.hpp"

#include <cstdio>

// A header of korvel_add_bitmaps() holds up to maxframes arrays, each
// named by a #define of at most maxname characters.
constexpr unsigned maxframes = 256;
constexpr unsigned maxname = 255;

// An array as the text holds it: its bytes, the size bytes included where
// its form has them, in the text's bytes from first on.
struct korvelarray {
    unsigned long first;
    unsigned long count;  // bytes in the text; those past the text's room not kept
    unsigned width, height;
    char name[maxname + 1];
    arrayform form;
};

// The arrays of one text: korvel's own holds one; a header of
// korvel_add_bitmaps() one or, with a table of frames, several, which are
// drawn each under its name. All of them share room for one whole screen
// of bigside pixels a side.
struct korveltext {
    korvelarray arrays[maxframes];
    unsigned count;
    bool named;
    bool planes;  // two arrays, the black and the colour plane of one picture
    char message[4096 + 256];  // with textmessage, korvel's message; with textbadchoice, the value
    formchoice badchoice;      // with textbadchoice, the comment's choice
    unsigned long used;
    unsigned char bytes[bigbytes];
};

enum textverdict {
    textok,
    textunreadable,  // the file cannot be opened or read
    textnotarray,    // not an array as korvel writes it
    textoverff,      // a byte above 0xFF
    textbadcount,    // more or fewer bytes than width and height ask for
    textpastwidth,   // a bit set past the right edge
    textpastheight,  // a bit set below the bottom edge, in pages
    textmanyarrays,  // more arrays than maxframes
    textmessage,     // one of korvel's messages, not an array
    textnosize,      // a pixels-only array without its size, or one too large
    textmanybytes,   // more bytes than the text's room
    textplanes,      // planes not two of one size
    textbadchoice,   // a form comment with a value korvel-header never writes
};

// Reads korvel's text, or a header of korvel-header's in any layout, from
// in and checks every array. A refusal concerns arrays[bad] (unless the text
// is unreadable or no such text); with textpastwidth, badrow is its first
// row with a bit set past the width, with textpastheight its first column
// with a bit set below the height, counted from 1.
textverdict readkorveltext(FILE *in, korveltext &text, unsigned &bad, unsigned &badrow);

// korvel's bytes of a checked array, without size bytes: (width + 7) / 8
// to a row, rows from the top.
void korvelrows(const korveltext &text, const korvelarray &array, unsigned char *rows);

// Draws a checked text: each array, under its name if the text is named;
// the two planes of a picture as one, under the name they share, their
// colour in red where colours shows it, else in a third character.
void drawkorveltext(const korveltext &text, bool colours, FILE *out);

// Draws a checked picture (korvel's bytes of it, without the size bytes,
// and of its colour plane, if any): its size, then two pixel rows to a
// text line inside a frame. A picture over maxside pixels a side is drawn
// reduced, each cell's pixel lit if any of the pixels it stands for is,
// and its size line says by how much.
void drawpicture(unsigned width, unsigned height, const unsigned char *rows, const unsigned char *colour,
                 bool colours, FILE *out);

#endif
