// SPDX-License-Identifier: MIT
// libFuzzer target: the whole conversion of one file, from memory to memory.
// Every input must either be refused or give an array whose text has the
// exact shape its size line promises.

#include "expect.hpp"
#include "korvel.hpp"

namespace {

// Consumes "0x" and exactly two upper-case hexadecimal digits.
unsigned hexbyte(const char *&p, const char *what)
{
    static const char digits[] = "0123456789ABCDEF";
    expect(p, "0x", what);
    const char *high = p[0] ? strchr(digits, p[0]) : nullptr;
    const char *low = high && p[1] ? strchr(digits, p[1]) : nullptr;
    require(high != nullptr && low != nullptr, what);
    p += 2;
    return (high - digits) << 4 | (low - digits);
}

// Walks the text as a C compiler would see it: opening line, size line, then
// per row (width + 7) / 8 bytes, the last of the array followed by " };".
void checkshape(const char *text, size_t length, const bmppixels &image)
{
    require(strlen(text) == length, "NUL in the text");
    const char *p = text;
    expect(p, "static const unsigned char bmppic [] = {\n  ", "opening line");
    unsigned width = hexbyte(p, "width");
    expect(p, ", ", "size line");
    unsigned height = hexbyte(p, "height");
    expect(p, ",\n  ", "size line");
    require(width == image.width && height == image.height, "size line values");
    require(width >= 1 && height >= 1, "empty picture accepted");
    unsigned rowbytes = (width + 7) / 8;
    for (unsigned y = 0; y < height; y++) {
        for (unsigned k = 0; k < rowbytes; k++) {
            unsigned byte = hexbyte(p, "pixel byte");
            if (k + 1 == rowbytes && width % 8 != 0)
                require((byte & (0xFFu >> (width % 8))) == 0, "bits past the width");
            bool last = y + 1 == height && k + 1 == rowbytes;
            expect(p, last ? " };\n" : ", ", "separator");
        }
        expect(p, "\n  ", "end of row");
    }
    require(p == text + length, "text after the array");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static uint8_t pixels[sizeof swbmp::pixels];
    bmppixels image = {0, 0, 0, false, pixels, sizeof pixels, false};
    bmpheader header;
    bmpverdict verdict = readbmpmemory(data, size, header, image, 255);

    char *text = nullptr;
    size_t length = 0;
    FILE *out = open_memstream(&text, &length);
    bool converted = convertswbmp("fuzz.bmp", data, size, out);
    fclose(out);
    require(converted == (verdict == bmpok), "converted and refused at once");
    if (converted)
        checkshape(text, length, image);
    free(text);
    return 0;
}
