// SPDX-License-Identifier: MIT
// Unit tests of the field readers, the bit utilities and the layout
// transforms.

#include "form.hpp"
#include "korvel.hpp"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A stream over the given bytes, as korvel reads files.
FILE *streamof(const std::string &bytes)
{
    FILE *f = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    return f;
}

TEST(Readers, AreLittleEndianAndPositionFirst)
{
    FILE *f = streamof(std::string("\x78\x56\x34\x12\xFE\xFF\xFF\xFF\x01\x80", 10));
    EXPECT_EQ(fgetint32(f), 0x12345678);
    EXPECT_EQ(fgetint32(f), -2);
    EXPECT_EQ(fgetint16(f), -32767);
    EXPECT_EQ(fread32(f, 1), static_cast<int32_t>(0xFE123456));
    EXPECT_EQ(fread16(f, 8), -32767);
    EXPECT_EQ(fread16(f, 0), 0x5678);
    EXPECT_FALSE(feof(f));
    fclose(f);
}

// The end of the file fills the missing bytes and everything above them with
// ones; korvel tells a cut-off field by the end-of-file indicator.
TEST(Readers, PastTheEndSetTheHighBitsAndTheIndicator)
{
    FILE *f = streamof("\x11\x22");
    EXPECT_EQ(fread32(f, 0), static_cast<int32_t>(0xFFFF2211));
    EXPECT_TRUE(feof(f));
    EXPECT_EQ(fread16(f, 1), static_cast<int16_t>(0xFF22));
    EXPECT_TRUE(feof(f));
    EXPECT_EQ(fread16(f, 0), 0x2211);
    EXPECT_FALSE(feof(f));
    fclose(f);
}

TEST(Bits, SwapbitsMirrorsTheByte)
{
    EXPECT_EQ(swapbits(0x01), 0x80);
    EXPECT_EQ(swapbits(0x12), 0x48);
    EXPECT_EQ(swapbits(0xF0), 0x0F);
    EXPECT_EQ(swapbits(0x81), 0x81);
    for (int byte = 0; byte < 256; byte++)
        EXPECT_EQ(swapbits(swapbits(byte)), byte);
}

TEST(Bits, PrintbinbyteWritesMostSignificantFirst)
{
    FILE *f = tmpfile();
    printbinbyte(0xA5, f);
    printbinbyte(0x01, f);
    rewind(f);
    char text[17] = {};
    EXPECT_EQ(fread(text, 1, 16, f), 16u);
    EXPECT_STREQ(text, "1010010100000001");
    fclose(f);
}

// A picture of 3 x 2 pixels, in korvel's bytes A0 60:
//   # . #
//   . # #
// stored as a BMP stores it: bottom row first, 0 for black, rows of 4 bytes.
const uint8_t stored[] = {0x9F, 0, 0, 0, 0x5F, 0, 0, 0};

arrayform formof(arraylayout layout, bool white, unsigned quarterturns)
{
    return {{layout, white, 0, quarterturns}};
}

struct makecase {
    const char *name;
    arrayform form;
    std::vector<uint8_t> made;  // korvel's bit order, a set bit black
};

// Turned clockwise: by 90 ". #", "# .", "# #"; by 180 "# # .", "# . #";
// by 270 "# #", ". #", "# .". In pages, a column's top row in bit 0.
TEST(Forms, MakeformTurnsAndPagesThePicture)
{
    const makecase cases[] = {
        {"korvel", formof(layoutkorvel, false, 0), {0xA0, 0x60}},
        {"korvel90", formof(layoutkorvel, false, 1), {0x40, 0x80, 0xC0}},
        {"korvel180", formof(layoutkorvel, false, 2), {0xC0, 0xA0}},
        {"korvel270", formof(layoutkorvel, false, 3), {0xC0, 0x40, 0x80}},
        {"pages", formof(layoutpages, false, 0), {0x01, 0x02, 0x03}},
        {"pages90", formof(layoutpages, false, 1), {0x06, 0x05}},
        {"pages180", formof(layoutpages, false, 2), {0x03, 0x01, 0x02}},
        {"pages270", formof(layoutpages, false, 3), {0x05, 0x03}},
    };
    for (const makecase &c : cases) {
        uint8_t pixels[sizeof stored];
        memcpy(pixels, stored, sizeof stored);
        bmppixels image = {3, 2, 4, false, pixels, sizeof pixels, false};
        uint8_t bytes[16] = {};
        formstrides strides = makeform(c.form, image, bytes);
        unsigned width, height;
        turnedsize(c.form, 3, 2, width, height);
        unsigned lines = c.form.layout() == layoutpages ? (height + 7) / 8 : height;
        std::vector<uint8_t> made;
        for (unsigned i = 0; i < lines; i++)
            for (unsigned k = 0; k < formline(c.form.layout(), width); k++)
                made.push_back(bytes[i * strides.line + k * strides.step]);
        EXPECT_EQ(made, c.made) << c.name;
    }
}

struct fromcase {
    const char *name;
    arrayform form;
    std::vector<uint8_t> array;  // as a header holds it
    unsigned bad;                // the first row or column with a wrong bit outside
};

// The way back to korvel's bytes, A0 60, from each layout and polarity;
// a bit outside the picture that the polarity does not ask for is named by
// its row (korvel, xbm) or column (pages), and dropped.
TEST(Forms, FromformReadsEachLayoutBack)
{
    const fromcase cases[] = {
        {"korvel", formof(layoutkorvel, false, 0), {0xA0, 0x60}, 0},
        {"xbm", formof(layoutxbm, false, 0), {0x05, 0x06}, 0},
        {"pages", formof(layoutpages, false, 0), {0x01, 0x02, 0x03}, 0},
        {"korvelwhite", formof(layoutkorvel, true, 0), {0x5F, 0x9F}, 0},
        {"xbmwhite", formof(layoutxbm, true, 0), {0xFA, 0xF9}, 0},
        {"pageswhite", formof(layoutpages, true, 0), {0xFE, 0xFD, 0xFC}, 0},
        {"korvelpastwidth", formof(layoutkorvel, false, 0), {0xA0, 0x61}, 2},
        {"xbmpastwidth", formof(layoutxbm, false, 0), {0x0D, 0x06}, 1},
        {"pagesbelowheight", formof(layoutpages, false, 0), {0x01, 0x02, 0x07}, 3},
        {"whitepastwidthclear", formof(layoutkorvel, true, 0), {0x5E, 0x9F}, 1},
        {"pageswhitebelowclear", formof(layoutpages, true, 0), {0xFE, 0xF9, 0xFC}, 2},
    };
    for (const fromcase &c : cases) {
        uint8_t rows[2] = {};
        EXPECT_EQ(fromform(c.form, 3, 2, c.array.data(), rows), c.bad) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(rows, rows + 2), (std::vector<uint8_t>{0xA0, 0x60})) << c.name;
    }
}

}  // namespace
