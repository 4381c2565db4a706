// SPDX-License-Identifier: MIT
// korvel: the bitmap converter.
//
// A BMP file starts with a 14-byte file header: the signature "BM" and, at
// offset 10, where the pixel data starts. An info header follows at offset
// 14; its first four bytes give its size, which tells its layout. The
// 12-byte OS/2 1.x header holds width and height as unsigned 16-bit values
// at offsets 18 and 20 and the bit count at 24; all larger headers hold a
// signed 32-bit width and height at 18 and 22, the bit count at 28 and, from
// 20 bytes on, the compression at 30. All integers are little-endian.
//
// korvel converts uncompressed pictures of one bit per pixel. Their rows are
// padded to a multiple of four bytes and stored bottom row first, or top row
// first when the stored height is negative. Within a row the leftmost pixel
// is the most significant bit of the first byte. The palette is not read: a
// pixel stored as 0 (black in the customary palette) becomes a set bit;
// korvel-header only looks at its first two colours, to say when the
// lighter comes first. The palette follows the info header, each colour
// blue, green, red and, but in the 12-byte header, a fourth byte.
//
// The reader works on bytes taken in file order from a source: a file's
// bytes in memory, or a stream read once, front to back, and never
// positioned, so that a pipe or a FIFO serves as well as a file. The stream
// is a thin layer: it only supplies the next bytes. Everything is checked
// and every pixel read before the first byte of the array is printed, so a
// refused file never leaves half an array behind.

#include "korvel.hpp"

#include "bmppic.hpp"
#include "hextext.hpp"
#include "platform.hpp"

#include <cstring>

namespace {

constexpr uint32_t bmpmagic = 'B' | 'M' << 8;
constexpr uint32_t fileheadersize = 14;
constexpr uint32_t os2header = 12;

// Where the bytes come from: the rest of a file in memory, or a stream.
struct bmpsource {
    const uint8_t *data;
    size_t left;
    FILE *stream;
};

// Where the fields korvel reads end: the file header, the info header's
// size, then width, height, planes and bit count, 16 bits each in the OS/2
// 1.x header and 32, 32, 16, 16 in all others, which from 20 bytes on go on
// with the 32-bit compression.
constexpr uint32_t sizefield = 4;
constexpr uint32_t os2fieldsend = fileheadersize + sizefield + 2 + 2 + 2 + 2;
constexpr uint32_t corefieldsend = fileheadersize + sizefield + 4 + 4 + 2 + 2;
constexpr uint32_t compressionfieldsend = corefieldsend + 4;
constexpr uint32_t firstcompressedheader = 20;

// Rows are padded to whole 32-bit words, so the largest picture needs
// 32 * 255 bytes: far inside the buffer.
constexpr uint32_t maxstride = (maxside + 31) / 32 * 4;
static_assert(maxstride * maxside <= sizeof swbmp::pixels,
              "the largest picture must fit the pixel buffer");

bmppixels viewof(swbmp &image);
void setgeometry(swbmp &image, const bmppixels &view);
void report(bmpverdict verdict, const char *path, const bmpheader &header, uint32_t limit,
            const char *more, FILE *out);
bmpverdict readbmp(bmpsource &in, bmpheader &header, bmppixels &image, uint32_t limit);
bmpverdict readheader(bmpsource &in, bmpheader &header);
uint32_t get32(const uint8_t *p);
uint32_t get16(const uint8_t *p);
bool knownheadersize(uint32_t size);
int64_t rows(const bmpheader &header);
bmpverdict checkheader(const bmpheader &header, uint32_t limit);
bmpverdict readpixels(bmpsource &in, const bmpheader &header, bmppixels &image);
bool readpalette(bmpsource &in, const bmpheader &header, bmppixels &image, uint32_t &at);
bool take(bmpsource &in, void *to, size_t count);
bool skip(bmpsource &in, uint32_t count, bmppixels &image);

}  // namespace

// Returns whether the picture was converted; every refusal has been
// reported.
bool loadswbmp(const char *path, FILE *out, FILE *messages)
{
    static swbmp image;
    if (!readswbmpfile(path, image, messages))
        return false;
    printswbmp(image, out);
    return true;
}

// korvel's picture is one of at most maxside pixels a side, in its fixed
// buffer.
bool readswbmpfile(const char *path, swbmp &image, FILE *messages)
{
    bmppixels view = viewof(image);
    if (!readbmpfile(path, view, maxside, messages))
        return false;
    setgeometry(image, view);
    return true;
}

bmpverdict readswbmp(FILE *in, bmpheader &header, swbmp &image)
{
    bmppixels view = viewof(image);
    bmpverdict verdict = readbmppixels(in, header, view, maxside);
    setgeometry(image, view);
    return verdict;
}

bool readbmpfile(const char *path, bmppixels &image, uint32_t limit, FILE *messages,
                 const char *more)
{
    bmpheader header = {};
    bmpverdict verdict = bmpunreadable;
    FILE *in = fopenread(path);
    if (in != nullptr) {
        verdict = readbmppixels(in, header, image, limit);
        fclose(in);
    }
    if (verdict != bmpok) {
        report(verdict, path, header, limit, more, messages);
        return false;
    }
    return true;
}

bmpverdict readbmppixels(FILE *in, bmpheader &header, bmppixels &image, uint32_t limit)
{
    bmpsource source = {nullptr, 0, in};
    return readbmp(source, header, image, limit);
}

bmpverdict readbmpmemory(const uint8_t *data, size_t size, bmpheader &header, bmppixels &image,
                         uint32_t limit)
{
    bmpsource source = {data, size, nullptr};
    return readbmp(source, header, image, limit);
}

// korvel's run on a file of that name whose bytes are in memory: the array,
// or the refusal, word for word as for the file.
bool convertswbmp(const char *name, const uint8_t *data, size_t size, FILE *out)
{
    static swbmp image;
    bmpheader header = {};
    bmppixels view = viewof(image);
    bmpverdict verdict = readbmpmemory(data, size, header, view, maxside);
    if (verdict != bmpok) {
        report(verdict, name, header, maxside, "", out);
        return false;
    }
    setgeometry(image, view);
    printswbmp(image, out);
    return true;
}

namespace {

bmppixels viewof(swbmp &image)
{
    return {0, 0, 0, false, image.pixels, sizeof image.pixels, false};
}

// korvel's picture takes the size and row order of what was read into it.
void setgeometry(swbmp &image, const bmppixels &view)
{
    uint32_t width = view.width;
    image.width = width;
    image.height = view.height;
    image.topdown = view.topdown;
    uint32_t words = (width >> 5) + ((width & 31) != 0);
    image.stride = words << 2;
    image.rowbytes = static_cast<uint8_t>((width >> 3) + ((width & 7) != 0));
    image.size = image.stride * view.height;
}

void report(bmpverdict verdict, const char *path, const bmpheader &header, uint32_t limit,
            const char *more, FILE *out)
{
    switch (verdict) {
    case bmpok:
        break;
    case bmpunreadable:
        // Also for a directory, which opens on Linux but cannot be read: to
        // the user it is as good as missing.
        fprintf(out, "\n\nDatei %s wurde nicht gefunden ... \n\n", path);
        break;
    case bmpnotswbmp:
        fprintf(out, "\n\nDatei %s ist keine unkomprimierte s/w BMP-Datei ... \n\n", path);
        break;
    case bmpincomplete:
        fprintf(out, "\n\nDatei %s ist unvollstaendig ... \n\n", path);
        break;
    case bmpbadsize:
        fprintf(out, "\n\nDatei %s: Bildgroesse %lld x %lld wird nicht unterstuetzt"
                     " (erlaubt: 1 bis %u Pixel%s) ... \n\n",
                path, static_cast<long long>(header.width),
                static_cast<long long>(rows(header)), static_cast<unsigned>(limit), more);
        break;
    }
}

bmpverdict readbmp(bmpsource &in, bmpheader &header, bmppixels &image, uint32_t limit)
{
    bmpverdict verdict = readheader(in, header);
    if (verdict == bmpok)
        verdict = checkheader(header, limit);
    if (verdict == bmpok)
        verdict = readpixels(in, header, image);
    return verdict;
}

// The fields, in file order: the file header and the info header's size,
// then what that size says follows.
bmpverdict readheader(bmpsource &in, bmpheader &header)
{
    uint8_t bytes[compressionfieldsend];
    if (!take(in, bytes, 2))
        return in.stream != nullptr && ferror(in.stream) ? bmpunreadable : bmpnotswbmp;
    if (get16(bytes) != bmpmagic)
        return bmpnotswbmp;
    // Skipped: the file size, often wrong, and two reserved fields.
    if (!take(in, bytes + 2, fileheadersize + sizefield - 2))
        return bmpincomplete;
    header.offset = get32(bytes + 10);
    header.headersize = get32(bytes + 14);
    if (!knownheadersize(header.headersize))
        return bmpnotswbmp;

    // The planes are skipped, and so is everything after the compression
    // (image size, resolution, palette size): korvel needs none of them, and
    // files with nonsense there convert. The 16-byte OS/2 2.x header ends
    // before the compression field.
    bool os2 = header.headersize == os2header;
    bool compressed = header.headersize >= firstcompressedheader;
    header.fieldsend = os2 ? os2fieldsend : compressed ? compressionfieldsend : corefieldsend;
    uint8_t *fields = bytes + fileheadersize + sizefield;
    if (!take(in, fields, header.fieldsend - fileheadersize - sizefield))
        return bmpincomplete;
    if (os2) {
        header.width = get16(fields);
        header.height = get16(fields + 2);
        header.bitcount = get16(fields + 6);
    } else {
        header.width = static_cast<int32_t>(get32(fields));
        header.height = static_cast<int32_t>(get32(fields + 4));
        header.bitcount = get16(fields + 10);
    }
    header.compression = compressed ? get32(fields + 12) : 0;
    return bmpok;
}

uint32_t get32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t get16(const uint8_t *p)
{
    return p[0] | p[1] << 8;
}

// Every info header size that some BMP version defines.
bool knownheadersize(uint32_t size)
{
    static constexpr uint32_t sizes[] = {12, 16, 40, 52, 56, 64, 108, 124};
    for (uint32_t known : sizes)
        if (size == known)
            return true;
    return false;
}

// A negative height marks a picture stored top row first.
int64_t rows(const bmpheader &header)
{
    return header.height < 0 ? -header.height : header.height;
}

bmpverdict checkheader(const bmpheader &header, uint32_t limit)
{
    if (header.bitcount != 1 || header.compression != 0)
        return bmpnotswbmp;
    if (header.width < 1 || header.width > limit)
        return bmpbadsize;
    if (rows(header) < 1 || rows(header) > limit)
        return bmpbadsize;
    if (header.offset < fileheadersize + header.headersize)
        return bmpnotswbmp;
    return bmpok;
}

// Takes a header that passed checkheader: the pixels lie after the fields
// read. A buffer too small for the limit's largest picture refuses the
// picture as too large rather than writing past its end.
bmpverdict readpixels(bmpsource &in, const bmpheader &header, bmppixels &image)
{
    uint32_t at = header.fieldsend;
    if (!readpalette(in, header, image, at) || !skip(in, header.offset - at, image))
        return bmpincomplete;
    image.width = static_cast<uint32_t>(header.width);
    image.height = static_cast<uint32_t>(rows(header));
    image.stride = ((image.width >> 5) + ((image.width & 31) != 0)) << 2;
    image.topdown = header.height < 0;
    size_t size = static_cast<size_t>(image.stride) * image.height;
    if (size > image.capacity)
        return bmpbadsize;
    if (!take(in, image.pixels, size))
        return bmpincomplete;
    return bmpok;
}

// The palette's first two colours, where the pixels leave room for them
// after the info header; at is where the stream is, and is left there.
bool readpalette(bmpsource &in, const bmpheader &header, bmppixels &image, uint32_t &at)
{
    uint32_t palette = fileheadersize + header.headersize;
    uint32_t entry = header.headersize == os2header ? 3 : 4;
    image.lighterfirst = false;
    if (header.offset < palette + 2 * entry)
        return true;
    uint8_t colours[8];
    if (!skip(in, palette - at, image) || !take(in, colours, 2 * entry))
        return false;
    at = palette + 2 * entry;
    // Rec. 709 luminance, in whole numbers.
    auto luminance = [](const uint8_t *bgr) { return 722 * bgr[0] + 7152 * bgr[1] + 2126 * bgr[2]; };
    image.lighterfirst = luminance(colours) > luminance(colours + entry);
    return true;
}

// The next count bytes of the source; false where it has fewer.
bool take(bmpsource &in, void *to, size_t count)
{
    if (in.stream != nullptr)
        return fread(to, 1, count, in.stream) == count;
    if (count > in.left)
        return false;
    memcpy(to, in.data, count);
    in.data += count;
    in.left -= count;
    return true;
}

// Drops count bytes: what lies between the fields and the pixels (the rest
// of the info header, the palette, any gap) is never needed. A stream's are
// read through the pixel buffer, as a pipe cannot be positioned; an offset
// far past the end of a file costs no more than the file's length.
bool skip(bmpsource &in, uint32_t count, bmppixels &image)
{
    if (in.stream == nullptr) {
        if (count > in.left)
            return false;
        in.data += count;
        in.left -= count;
        return true;
    }
    while (count > 0) {
        size_t chunk = count < image.capacity ? count : image.capacity;
        if (!take(in, image.pixels, chunk))
            return false;
        count -= static_cast<uint32_t>(chunk);
    }
    return true;
}

constexpr auto &opening = bmppicopening;
constexpr auto &rowend = bmppicrowend;
constexpr auto &arrayend = bmppicarrayend;

// The whole array's text, some 50 KB at most, built before it is written
// in one call: the opening line, the size line ("0xWW, 0xHH,"), then per
// row its bytes, each followed by ", " except the last of the array, which
// ends the array. The spare 8 bytes take the padding that the last byte's
// fixed-size copy writes past its text.
constexpr size_t rowtext = (maxside + 7) / 8 * hexlength + sizeof rowend - 1;
char arraytext[sizeof opening - 1 + 2 * hexlength + sizeof rowend - 1 + maxside * rowtext + 8];

// The text of stored byte b as the k-th byte from p.
inline void puthex(char *p, uint8_t b, int k)
{
    memcpy(p + k * hexlength, hexbytes.text[b], sizeof hexbytes.text[0]);
}

char *puttext(char *p, const char *text, size_t length)
{
    memcpy(p, text, length);
    return p + length;
}

}  // namespace

// Takes a picture that readswbmp accepted, 1 to 255 pixels each way.
void printswbmp(const swbmp &image, FILE *out)
{
    char *p = puttext(arraytext, opening, sizeof opening - 1);
    // The size bytes print as they are: their table entries are those of
    // the inverted values.
    p = puttext(p, hexbytes.text[~image.width & 0xFF], hexlength);
    p = puttext(p, hexbytes.text[~image.height & 0xFF], hexlength - 1);
    p = puttext(p, rowend, sizeof rowend - 1);

    // The file's bits past the width are noise; they print as 0. Setting
    // them in the stored byte does that, as it is printed inverted.
    uint8_t pastwidth = image.width % 8 != 0 ? 0xFF >> image.width % 8 : 0;
    const uint32_t last = image.rowbytes - 1u;
    for (uint32_t i = 0; i < image.height; i++) {
        uint32_t stored = image.topdown ? i : image.height - 1 - i;
        const uint8_t *first = image.pixels + stored * image.stride;
        const uint8_t *row = first, *end = first + image.rowbytes;
        char *rowtext = p;
        // Eight bytes a step: counting byte by byte costs more than the
        // copies.
        for (; end - row >= 8; row += 8, p += 8 * hexlength) {
            puthex(p, row[0], 0), puthex(p, row[1], 1), puthex(p, row[2], 2), puthex(p, row[3], 3);
            puthex(p, row[4], 4), puthex(p, row[5], 5), puthex(p, row[6], 6), puthex(p, row[7], 7);
        }
        for (; row < end; row++, p += hexlength)
            puthex(p, *row, 0);
        // The last byte once more, without its bits past the width; the row
        // end overwrites the padding its copy writes.
        puthex(rowtext, first[last] | pastwidth, last);
        p = puttext(p, rowend, sizeof rowend - 1);
    }
    // The closing brace hangs on the last byte of the array, in place of
    // its ", ".
    p -= 2 + sizeof rowend - 1;
    p = puttext(p, arrayend, sizeof arrayend - 1);
    p = puttext(p, rowend, sizeof rowend - 1);
    fwrite(arraytext, 1, static_cast<size_t>(p - arraytext), out);
}

// Part of the module's interface, unused by the conversion (which takes its
// fields from bytes), and kept on purpose: the little-endian readers at the
// stream's position, readers that position the stream first (korvel itself
// reads front to back, never positioning, so that pipes work), and the bit
// helpers for arrays of the other bit order and for printing a byte's bits.
//
// A read past the end yields EOF (-1), whose set bits fill every place from
// that byte upward; callers test feof() instead of the value.
int32_t fgetint32(FILE *in)
{
    uint32_t b0 = fgetc(in);
    uint32_t b1 = fgetc(in);
    uint32_t b2 = fgetc(in);
    uint32_t b3 = fgetc(in);
    return static_cast<int32_t>(b0 | b1 << 8 | b2 << 16 | b3 << 24);
}

int16_t fgetint16(FILE *in)
{
    uint32_t b0 = fgetc(in);
    uint32_t b1 = fgetc(in);
    return static_cast<int16_t>(b0 | b1 << 8);
}

int32_t fread32(FILE *in, long offset)
{
    fseek(in, offset, SEEK_SET);
    return fgetint32(in);
}

int16_t fread16(FILE *in, long offset)
{
    fseek(in, offset, SEEK_SET);
    return fgetint16(in);
}

// Looked up: the xbm layout swaps every byte of an array.
uint8_t swapbits(uint8_t byte)
{
    return swappedbytes.byte[byte];
}

void printbinbyte(uint8_t byte, FILE *out)
{
    for (int bit = 7; bit >= 0; bit--)
        fputc((byte >> bit) & 1 ? '1' : '0', out);
}
