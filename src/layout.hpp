// SPDX-License-Identifier: MIT
// The layouts a picture's array can be written in, for the display
// libraries whose calls read another order than korvel's. Every layout is
// made from korvel's bytes, and keeps the width byte and the height byte
// first:
// - korvel: rows from the top, (width + 7) / 8 bytes each, the leftmost
//   pixel in the most significant bit, as korvel prints them;
// - xbm: the same rows with every byte's bit order reversed, the leftmost
//   pixel in the least significant bit, as XBM files store them;
// - pages: (height + 7) / 8 pages of 8 rows from the top, each width bytes
//   from the left, each byte one column with its top row in bit 0, as the
//   SSD1306 stores its pixels.
// Bits past the width, and below the height in the last page, are 0.
#ifndef KORVEL_LAYOUT_HPP
#define KORVEL_LAYOUT_HPP

#include <cstdio>

enum arraylayout { layoutkorvel, layoutxbm, layoutpages };

// The layouts' names, in the order of arraylayout.
constexpr const char *layoutnames[] = {"korvel", "xbm", "pages"};
constexpr const char *layoutdescriptions[] = {
    "rows from the top, the leftmost pixel in the most significant bit",
    "rows from the top, the leftmost pixel in bit 0",
    "pages of 8 rows from the top, a byte a column, the top row in bit 0",
};

// Finds a layout by its name.
bool findlayout(const char *name, arraylayout &layout);

// The pixel bytes that follow the two size bytes.
unsigned layoutbytes(arraylayout layout, unsigned width, unsigned height);

// The bytes of one text line: a row, or a page.
unsigned layoutline(arraylayout layout, unsigned width);

// Between korvel's array and the array in another layout, size bytes
// included. from drops bits outside the picture, so that an array holds
// such a bit exactly when from then to does not give it back.
void tolayout(arraylayout layout, const unsigned char *bmppic, unsigned char *array);
void fromlayout(arraylayout layout, const unsigned char *array, unsigned char *bmppic);

// Writes an array in the shape of korvel's text, one line of bytes a row
// or a page, ending with the newline that ends korvel's output.
void printarray(arraylayout layout, const unsigned char *array, FILE *out);

#endif
