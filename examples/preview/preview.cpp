// SPDX-License-Identifier: MIT
// Prints the bundled picture as text art, one line per row: '#' for a set
// bit, '.' for a clear one. Its header is made by korvel while building, so
// running it shows the whole way from BMP file to compiled program.

#include <cstdio>

#include "bmppic.hpp"
#include "korvel/logo.h"

int main()
{
    for (unsigned y = 0; y < logo[1]; y++) {
        for (unsigned x = 0; x < logo[0]; x++)
            putchar(bmppicpixel(logo, x, y) ? '#' : '.');
        putchar('\n');
    }
    return 0;
}
