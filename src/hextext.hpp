// SPDX-License-Identifier: MIT
// Tables that korvel's writers look bytes up in rather than compute them:
// a formatted print per byte costs more than all the rest of a run.
#ifndef KORVEL_HEXTEXT_HPP
#define KORVEL_HEXTEXT_HPP

#include <cstddef>
#include <cstdint>

// Entry b is "0xHH, " for HH = ~b, the inverted byte korvel prints for a
// stored byte b; a writer of bytes as they are looks up ~b. Each entry is
// padded to eight bytes so that one fixed-size copy writes it; the next
// byte's text overwrites the padding.
constexpr size_t hexlength = 6;
struct hextexts {
    char text[256][8];
};

constexpr hextexts makehextexts()
{
    constexpr char digits[] = "0123456789ABCDEF";
    hextexts table = {};
    for (int stored = 0; stored < 256; stored++) {
        int byte = ~stored & 0xFF;
        char *t = table.text[stored];
        t[0] = '0';
        t[1] = 'x';
        t[2] = digits[byte >> 4];
        t[3] = digits[byte & 15];
        t[4] = ',';
        t[5] = ' ';
    }
    return table;
}

inline constexpr hextexts hexbytes = makehextexts();

// Every byte with its bit order reversed.
struct swappedtable {
    uint8_t byte[256];
};

constexpr swappedtable makeswapped()
{
    swappedtable table = {};
    for (int byte = 0; byte < 256; byte++)
        for (int bit = 0; bit < 8; bit++)
            table.byte[byte] |= static_cast<uint8_t>(((byte >> bit) & 1) << (7 - bit));
    return table;
}

inline constexpr swappedtable swappedbytes = makeswapped();

#endif
