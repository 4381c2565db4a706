// SPDX-License-Identifier: MIT
// Prints the bundled picture as text art, one line per row: '#' for a set
// bit, '.' for a clear one. Its header is made by korvel while building, so
// running it shows the whole way from BMP file to compiled program.

#include <cstdio>

#include "logo.h"

int main()
{
    const unsigned width = bmppic[0], height = bmppic[1];
    const unsigned char *pixels = bmppic + 2;
    for (unsigned y = 0; y < height; y++) {
        for (unsigned x = 0; x < width; x++) {
            bool set = pixels[y * ((width + 7) / 8) + x / 8] & (0x80 >> (x % 8));
            putchar(set ? '#' : '.');
        }
        putchar('\n');
    }
    return 0;
}
