// SPDX-License-Identifier: MIT
// Black-box tests of the built korvel-preview: the exact picture it draws,
// every refusal and its exit status. korvel's own output fed to it is
// checked with korvel's geometry cases.

#include "bmpwriter.hpp"
#include "messages.hpp"
#include "runkorvel.hpp"

#include <gtest/gtest.h>

namespace {

const std::string dir = scratchdir();

// korvel's text for the given size and pixel bytes, as korvel lays it out.
std::string array(const std::string &bytes)
{
    return "static const unsigned char bmppic [] = {\n  " + bytes + " };\n\n  \n";
}

// A header as korvel_add_bitmaps() makes one, of the arrays' texts, each
// given with its name.
std::string header(const std::vector<std::pair<std::string, std::string>> &arrays, bool frames)
{
    std::string text = "/* Made by korvel at build time; edits are lost when it is remade. */\n"
                       "#ifndef KORVEL_f_H\n#define KORVEL_f_H\n#include <avr/pgmspace.h>\n";
    std::string table = "static const unsigned char *const f[] PROGMEM = {\n";
    for (const auto &[name, bytes] : arrays) {
        text += "#define bmppic PROGMEM " + name + "\n" + array(bytes) + "\n#undef bmppic\n";
        table += "    " + name + (&bytes == &arrays.back().second ? "\n" : ",\n");
    }
    return text + (frames ? table + "};\n" : "") + "#endif\n";
}

// The bundled logo, as decoded from its BMP file independently of korvel.
picture logo()
{
    static const std::string art = readfile(KORVEL_SOURCE_DIR "/examples/preview/logo.txt");
    return {128, 64, [](uint32_t x, uint32_t y) { return art[y * 129 + x] == '#'; }};
}

struct shapecase {
    const char *name;
    std::string input, expected;
};

void PrintTo(const shapecase &c, std::ostream *os)
{
    *os << c.name;
}

class Shape : public testing::TestWithParam<shapecase> {};

TEST_P(Shape, IsDrawnExactly)
{
    korvelrun run = runpreview({}, &GetParam().input);
    EXPECT_EQ(run.out, GetParam().expected);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Shape,
    testing::Values(
        shapecase{"one", array("0x01, 0x01,\n  0x80"), "1 x 1\n┌─┐\n│▀│\n└─┘\n"},
        // An odd row count: the last text line has an unlit lower half.
        shapecase{"w7h3", array("0x07, 0x03,\n  0xFE, \n  0xAA, \n  0x54"),
                  "7 x 3\n┌───────┐\n│█▀█▀█▀█│\n│ ▀ ▀ ▀ │\n└───────┘\n"},
        // The ninth pixel is the top bit of each row's second byte.
        shapecase{"w9h2", array("0x09, 0x02,\n  0x01, 0x80, \n  0x80, 0x80"),
                  "9 x 2\n┌─────────┐\n│▄      ▀█│\n└─────────┘\n"},
        // As C allows: other blanks, CR LF line ends, lower case, a final comma.
        shapecase{"loose", "static const unsigned char bmppic [] = {\r\n\t0x02,0x01,0xc0,\r\n};\r\n",
                  "2 x 1\n┌──┐\n│▀▀│\n└──┘\n"},
        // C's other spellings of hexadecimal: both ends of the lower-case
        // digits, and an upper-case X.
        shapecase{"lowercase", array("0x08, 0x02,\n  0xaf, \n  0xfa"),
                  "8 x 2\n┌────────┐\n│█▄█▄█▀█▀│\n└────────┘\n"},
        shapecase{"upperx", array("0X01, 0X01,\n  0X80"), "1 x 1\n┌─┐\n│▀│\n└─┘\n"},
        shapecase{"logo", expectedoutput(logo()), expectedpreview(logo())},
        // korvel_add_bitmaps()'s headers: one array as korvel's text, frames
        // each under its name.
        shapecase{"header", header({{"logo", "0x01, 0x01,\n  0x80"}}, false), "1 x 1\n┌─┐\n│▀│\n└─┘\n"},
        shapecase{"frames", header({{"f_0", "0x01, 0x01,\n  0x80"}, {"f_1", "0x02, 0x01,\n  0x40"}}, true),
                  "f_0\n1 x 1\n┌─┐\n│▀│\n└─┘\nf_1\n2 x 1\n┌──┐\n│ ▀│\n└──┘\n"}),
    [](const auto &info) { return std::string(info.param.name); });

struct previewrefusal {
    const char *name;
    std::string input;
    std::string message;
};

void PrintTo(const previewrefusal &c, std::ostream *os)
{
    *os << c.name;
}

class PreviewRefusal : public testing::TestWithParam<previewrefusal> {};

TEST_P(PreviewRefusal, PrintsOnlyItsMessage)
{
    korvelrun run = runpreview({}, &GetParam().input);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, GetParam().message);
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, PreviewRefusal,
    testing::Values(
        previewrefusal{"empty", "", notarray},
        previewrefusal{"korvelmessage", notfound("logo.bmp") + "\n", notarray},
        previewrefusal{"renamed", "static const unsigned char logo [] = {\n  0x01, 0x01,\n  0x80 };\n",
                       notarray},
        previewrefusal{"decimal", array("1, 1,\n  128"), notarray},
        previewrefusal{"nobrace", "static const unsigned char bmppic [] = {\n  0x01, 0x01,\n  0x80\n",
                       notarray},
        previewrefusal{"textafter", array("0x01, 0x01,\n  0x80") + "int x;\n", notarray},
        previewrefusal{"nosize", array("0x01"), notarray},
        previewrefusal{"width0", array("0x00, 0x01"), notarray},
        previewrefusal{"height0", array("0x01, 0x00"), notarray},
        previewrefusal{"lateopening", "static const unsigned char BMPPIC [] = {\n  0x01, 0x01,\n  0x80 };\n",
                       notarray},
        previewrefusal{"ynotx", array("0x01, 0x01,\n  0y80"), notarray},
        previewrefusal{"nozero", array("0x01, 0x01,\n  .x80"), notarray},
        previewrefusal{"twobraces", "static const unsigned char bmppic [] = {\n  0x01, 0x01,\n  0x80 }}\n",
                       notarray},
        previewrefusal{"over255", array("0x01, 0x01,\n  0x100"), overff},
        previewrefusal{"nopixels", array("0x01, 0x01"), badcount(0, 1, 1, 1)},
        previewrefusal{"toofew", array("0x0A, 0x02,\n  0xF0, 0xC0, \n  0x00"), badcount(3, 10, 2, 4)},
        previewrefusal{"toomany", array("0x08, 0x01,\n  0x7E, 0x00"), badcount(2, 8, 1, 1)},
        previewrefusal{"pastwidth", array("0x0A, 0x02,\n  0xF0, 0xC0, \n  0x00, 0x20"), pastwidth(2)},
        previewrefusal{"pastz", array("0x01, 0x01,\n  0x1z"), notarray},
        // The first pixel byte is no row count.
        previewrefusal{"laterrow", array("0x0A, 0x03,\n  0x01, 0x00, \n  0x00, 0x00, \n  0x00, 0x20"),
                       pastwidth(3)},
        previewrefusal{"unnamed", "/* */\n" + array("0x01, 0x01,\n  0x80"), notarray},
        previewrefusal{"opencomment", header({{"f", "0x01, 0x01,\n  0x80"}}, false) + "/*", notarray},
        previewrefusal{"headercode", header({{"f", "0x01, 0x01,\n  0x80"}}, false) + "int x;\n", notarray},
        previewrefusal{"badframe", header({{"f_0", "0x01, 0x01,\n  0x80"}, {"f_1", "0x01, 0x01"}}, true),
                       badcount(0, 1, 1, 1)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PreviewArguments, FileUnreadableOrTooManyArguments)
{
    std::string header = dir + "/логотип.h";
    writefile(header, expectedoutput(logo()));
    EXPECT_EQ(runpreview({header}).out, expectedpreview(logo()));

    for (const std::string &path : {dir + "/missing.h", dir}) {
        korvelrun run = runpreview({path});
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, notfound(path));
        EXPECT_EQ(run.status, 1);
    }

    korvelrun run = runpreview({header, header});
    EXPECT_EQ(run.out, previewusage);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 254);
}

}  // namespace
