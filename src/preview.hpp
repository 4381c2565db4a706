// SPDX-License-Identifier: MIT
// korvel-preview's reader and drawing, apart from its command line, so that
// a fuzz target can run them on any text.
#ifndef KORVEL_PREVIEW_HPP
#define KORVEL_PREVIEW_HPP

#include "bmppic.hpp"

#include <cstdio>

// The longest array korvel writes: two size bytes and 255 rows of 32.
constexpr unsigned maxbytes = 2 + maxside * ((maxside + 7) / 8);

struct korvelarray {
    unsigned char bytes[maxbytes];
    unsigned long count;  // bytes in the text; those past maxbytes not kept
};

enum textverdict {
    textok,
    textunreadable,  // the file cannot be opened or read
    textnotarray,    // not an array as korvel writes it
    textoverff,      // a byte above 0xFF
    textbadcount,    // more or fewer bytes than width and height ask for
    textpastwidth,   // a bit set past the right edge
};

// Reads korvel's text from in and checks it; with textpastwidth, badrow is
// the first row with a bit set past the width, counted from 1.
textverdict readkorvelarray(FILE *in, korvelarray &array, unsigned &badrow);

// Draws a checked array: its size, then two pixel rows to a text line
// inside a frame.
void drawbmppic(const unsigned char *bmppic, FILE *out);

#endif
