// SPDX-License-Identifier: MIT
// korvel-preview's reader and drawing, apart from its command line, so that
// a fuzz target can run them on any text.
#ifndef KORVEL_PREVIEW_HPP
#define KORVEL_PREVIEW_HPP

#include "bmppic.hpp"
#include "layout.hpp"

#include <cstdio>

// A header of korvel_add_bitmaps() holds up to maxframes arrays, each
// named by a #define of at most maxname characters.
constexpr unsigned maxframes = 256;
constexpr unsigned maxname = 255;

// Read in its layout; once checked, bytes holds korvel's layout.
struct korvelarray {
    unsigned char bytes[maxbytes];
    unsigned long count;  // bytes in the text; those past maxbytes not kept
    char name[maxname + 1];
    arraylayout layout;
};

// The arrays of one text: korvel's own holds one; a header of
// korvel_add_bitmaps() one or, with a table of frames, several, which are
// drawn each under its name.
struct korveltext {
    korvelarray arrays[maxframes];
    unsigned count;
    bool named;
    char message[4096 + 256];  // with textmessage, korvel's message
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
};

// Reads korvel's text, or a header of korvel-header's in any layout, from
// in and checks every array. A refusal concerns arrays[bad] (unless the text
// is unreadable or no such text); with textpastwidth, badrow is its first
// row with a bit set past the width, with textpastheight its first column
// with a bit set below the height, counted from 1.
textverdict readkorveltext(FILE *in, korveltext &text, unsigned &bad, unsigned &badrow);

// Draws a checked text: each array, under its name if the text is named.
void drawkorveltext(const korveltext &text, FILE *out);

// Draws a checked array: its size, then two pixel rows to a text line
// inside a frame.
void drawbmppic(const unsigned char *bmppic, FILE *out);

#endif
