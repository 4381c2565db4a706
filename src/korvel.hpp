// SPDX-License-Identifier: MIT
// korvel: turns a black-and-white BMP file into the text of a C array.
// "sw" in the names is schwarz/weiss: black and white, one bit per pixel.
#ifndef KORVEL_HPP
#define KORVEL_HPP

#include <cstdint>
#include <cstdio>

// A picture as loaded from the file. Rows lie in the buffer as they are
// stored, with their padding.
struct swbmp {
    uint32_t width;      // pixels per row
    uint32_t height;     // rows
    uint32_t stride;     // bytes per stored row, a multiple of 4
    uint8_t rowbytes;    // bytes per output row
    uint32_t size;       // bytes of pixel data: stride * height
    bool topdown;        // first stored row is the top row
    uint8_t pixels[32767];
};

// Why a file is not converted.
enum bmpverdict {
    bmpok,
    bmpunreadable,  // opened, but reading fails (a directory)
    bmpnotswbmp,    // not an uncompressed 1-bit BMP
    bmpincomplete,  // the file ends too early
    bmpbadsize,     // width or height outside 1..255
};

// The header fields korvel reads, as stored; 16-bit fields widened.
struct bmpheader {
    uint32_t offset;       // where the pixel data starts
    uint32_t headersize;   // size of the info header
    // 64 bits, so that the smallest 32-bit height, -2^31, can be negated
    // into a row count and reported as it is.
    int64_t width;         // signed, except in 12-byte headers
    int64_t height;        // negative: rows stored top row first
    uint32_t bitcount;
    uint32_t compression;  // 0 where the header has no such field
    uint32_t fieldsend;    // file offset just past the last field read
};

bmpverdict readswbmp(FILE *in, bmpheader &header, swbmp &image);
// Writes the array to out, a refusal to messages; korvel writes both to
// standard output, where the array would go.
bool loadswbmp(const char *path, FILE *out = stdout, FILE *messages = stdout);
void printswbmp(const swbmp &image, FILE *out = stdout);
bool readswbmpfile(const char *path, swbmp &image, FILE *messages);
// The same for a file's bytes in memory, named as korvel was given it: the
// array or the refusal to out, as loadswbmp writes them for that file.
bool convertswbmp(const char *name, const uint8_t *data, size_t size, FILE *out = stdout);

// A picture of up to limit pixels a side, its rows as stored read into a
// buffer of the caller's: korvel-header's arrays without size bytes take
// pictures larger than korvel's. Checked as korvel checks; a refusal is
// reported to messages as korvel words it, with the limit and what more
// the caller has to say of it.
struct bmppixels {
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    bool topdown;
    uint8_t *pixels;
    size_t capacity;
    // The palette's colour 0 is the lighter of its two: the array, which
    // sets the bits of pixels stored 0, is the negative of the picture a
    // paint program shows.
    bool lighterfirst;
};
bmpverdict readbmppixels(FILE *in, bmpheader &header, bmppixels &image, uint32_t limit);
bmpverdict readbmpmemory(const uint8_t *data, size_t size, bmpheader &header, bmppixels &image,
                         uint32_t limit);
bool readbmpfile(const char *path, bmppixels &image, uint32_t limit, FILE *messages,
                 const char *more = "");

// Kept as part of the module's interface, though korvel's own conversion
// uses none of them: the little-endian field readers at the stream's
// position, readers that position the stream first (korvel itself reads
// front to back, so that pipes work), and the bit helpers for arrays of
// the other bit order (the xbm layout's) and for printing a byte's bits.
int32_t fgetint32(FILE *in);
int16_t fgetint16(FILE *in);
int32_t fread32(FILE *in, long offset);
int16_t fread16(FILE *in, long offset);
uint8_t swapbits(uint8_t byte);
void printbinbyte(uint8_t byte, FILE *out = stdout);

#endif
