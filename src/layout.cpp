// SPDX-License-Identifier: MIT
// The layouts of a picture's array (layout.hpp).

#include "layout.hpp"

#include "bmppic.hpp"
#include "korvel.hpp"

#include <cstring>

bool findlayout(const char *name, arraylayout &layout)
{
    for (unsigned i = 0; i < sizeof layoutnames / sizeof layoutnames[0]; i++) {
        if (strcmp(name, layoutnames[i]) == 0) {
            layout = static_cast<arraylayout>(i);
            return true;
        }
    }
    return false;
}

unsigned layoutbytes(arraylayout layout, unsigned width, unsigned height)
{
    if (layout == layoutpages)
        return (height + 7) / 8 * width;
    return height * bmppicrowbytes(width);
}

unsigned layoutline(arraylayout layout, unsigned width)
{
    return layout == layoutpages ? width : bmppicrowbytes(width);
}

namespace {

// Where pixel (x, y) of a picture in pages lies: its byte, after the size
// bytes, and its bit.
inline unsigned pagebyte(unsigned width, unsigned x, unsigned y)
{
    return 2 + y / 8 * width + x;
}

inline unsigned char pagebit(unsigned y)
{
    return static_cast<unsigned char>(1u << y % 8);
}

// The mask of a row's last byte that keeps the pixels inside the width, in
// korvel's bit order.
unsigned char insidewidth(unsigned width)
{
    return width % 8 == 0 ? 0xFF : static_cast<unsigned char>(0xFF00u >> width % 8);
}

}  // namespace

void tolayout(arraylayout layout, const unsigned char *bmppic, unsigned char *array)
{
    unsigned width = bmppic[0], height = bmppic[1];
    unsigned count = layoutbytes(layout, width, height);
    array[0] = bmppic[0];
    array[1] = bmppic[1];
    switch (layout) {
    case layoutkorvel:
        memcpy(array + 2, bmppic + 2, count);
        break;
    case layoutxbm:
        for (unsigned i = 2; i < 2 + count; i++)
            array[i] = swapbits(bmppic[i]);
        break;
    case layoutpages:
        memset(array + 2, 0, count);
        for (unsigned y = 0; y < height; y++)
            for (unsigned x = 0; x < width; x++)
                if (bmppicpixel(bmppic, x, y))
                    array[pagebyte(width, x, y)] |= pagebit(y);
        break;
    }
}

void fromlayout(arraylayout layout, const unsigned char *array, unsigned char *bmppic)
{
    unsigned width = array[0], height = array[1];
    unsigned rowbytes = bmppicrowbytes(width);
    unsigned count = height * rowbytes;
    bmppic[0] = array[0];
    bmppic[1] = array[1];
    switch (layout) {
    case layoutkorvel:
        memcpy(bmppic + 2, array + 2, count);
        break;
    case layoutxbm:
        for (unsigned i = 2; i < 2 + count; i++)
            bmppic[i] = swapbits(array[i]);
        break;
    case layoutpages:
        memset(bmppic + 2, 0, count);
        for (unsigned y = 0; y < height; y++)
            for (unsigned x = 0; x < width; x++)
                if (array[pagebyte(width, x, y)] & pagebit(y))
                    bmppic[2 + y * rowbytes + x / 8] |= 0x80 >> x % 8;
        break;
    }
    for (unsigned y = 0; y < height; y++)
        bmppic[2 + y * rowbytes + rowbytes - 1] &= insidewidth(width);
}

void printarray(arraylayout layout, const unsigned char *array, FILE *out)
{
    unsigned count = layoutbytes(layout, array[0], array[1]);
    unsigned line = layoutline(layout, array[0]);
    fprintf(out, "%s0x%.2X, 0x%.2X,%s", bmppicopening, array[0], array[1], bmppicrowend);
    for (unsigned i = 0; i < count; i++) {
        fprintf(out, "0x%.2X%s", array[2 + i], i + 1 < count ? ", " : bmppicarrayend);
        if ((i + 1) % line == 0)
            fputs(bmppicrowend, out);
    }
    putc('\n', out);
}
