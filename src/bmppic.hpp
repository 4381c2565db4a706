// SPDX-License-Identifier: MIT
// The array korvel writes: byte 0 is the width, byte 1 the height, then the
// rows from the top, each (width + 7) / 8 bytes, the leftmost pixel in the
// most significant bit. Shared by korvel, korvel-preview and the preview
// example.
#ifndef KORVEL_BMPPIC_HPP
#define KORVEL_BMPPIC_HPP

// The largest picture: the array stores width and height in one byte each.
constexpr unsigned maxside = 255;

// The largest picture korvel-header writes without the size bytes, as
// whole e-paper screens need: 8192 pixels a side, 8 MiB of pixel bytes.
constexpr unsigned bigside = 8192;
constexpr unsigned long bigbytes = bigside / 8 * static_cast<unsigned long>(bigside);

constexpr unsigned bmppicrowbytes(unsigned width)
{
    return (width + 7) / 8;
}

// The text around its bytes: each byte is "0xHH, ", the last " };\n"
// after its "0xHH" instead; every line of bytes, the size line's included,
// ends with bmppicrowend.
inline constexpr char bmppicopening[] = "static const unsigned char bmppic [] = {\n  ";
inline constexpr char bmppicrowend[] = "\n  ";
inline constexpr char bmppicarrayend[] = " };\n";

// Whether pixel (x, y), y counted from the top, is set: lit on a display
// that lights set bits.
inline bool bmppicpixel(const unsigned char *bmppic, unsigned x, unsigned y)
{
    return bmppic[2 + y * bmppicrowbytes(bmppic[0]) + x / 8] & (0x80 >> (x % 8));
}

#endif
