// SPDX-License-Identifier: MIT
// Unit tests of the field readers and the bit utilities.

#include "korvel.hpp"

#include <gtest/gtest.h>
#include <string>

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

}  // namespace
