// SPDX-License-Identifier: MIT
// Black-box tests of the built korvel-preview: the exact picture it draws,
// every refusal and its exit status. korvel's own output fed to it is
// checked with korvel's geometry cases.

#include "bmpwriter.hpp"
#include "messages.hpp"
#include "runkorvel.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace {

const std::string dir = scratchdir();

// text with its first from replaced by to.
std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// korvel's text for the given size and pixel bytes, as korvel lays it out.
std::string array(const std::string &bytes)
{
    return "static const unsigned char bmppic [] = {\n  " + bytes + " };\n\n  \n";
}

// A header that korvel-header makes of pictures when the test runs, with
// its options, as korvel_add_bitmaps() and users call it; edit then
// changes its text as a hand would.
struct madeheader {
    std::vector<std::string> options;
    std::vector<picture> pictures;
    std::function<std::string(const std::string &)> edit = [](const std::string &text) { return text; };
};

std::string make(const madeheader &made)
{
    static int count = 0;
    std::string path = dir + "/made" + std::to_string(count++) + ".h";
    std::vector<std::string> args = made.options;
    args.insert(args.end(), {path, "f"});
    for (const picture &pic : made.pictures) {
        args.push_back(path + std::to_string(args.size()) + ".bmp");
        writefile(args.back(), bmpfile(pic));
    }
    korvelrun run = runheader(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return made.edit(readfile(path));
}

// The text a case gives korvel-preview: a header made first, if any, then
// the text of the case.
template <typename Case>
std::string given(const Case &c)
{
    return (c.header ? make(*c.header) : "") + c.input;
}

// Pictures for the headers: a lit pixel; two pixels, the right one lit; a
// picture one byte and one page high and wide, and more.
const picture dot{1, 1, [](uint32_t, uint32_t) { return true; }};
const picture right{2, 1, [](uint32_t x, uint32_t) { return x == 1; }};
const picture speckled{9, 10, speckle};
const picture framed{9, 10, [](uint32_t x, uint32_t y) { return frame(9, 10, x, y); }};
const picture screen{800, 480, [](uint32_t x, uint32_t y) { return frame(800, 480, x, y) || speckle(x, y); }};

// korvel's text of a lit pixel, and its drawing.
const std::string dottext = array("0x01, 0x01,\n  0x80");
const std::string dotdrawn = "1 x 1\n┌─┐\n│▀│\n└─┘\n";
const std::string rightdrawn = "2 x 1\n┌──┐\n│ ▀│\n└──┘\n";

// The bundled logo, as decoded from its BMP file independently of korvel.
picture logo()
{
    static const std::string art = readfile(KORVEL_SOURCE_DIR "/examples/preview/logo.txt");
    return {128, 64, [](uint32_t x, uint32_t y) { return art[y * 129 + x] == '#'; }};
}

struct shapecase {
    const char *name;
    std::string input, expected;
    std::optional<madeheader> header = {};
};

void PrintTo(const shapecase &c, std::ostream *os)
{
    *os << c.name;
}

class Shape : public testing::TestWithParam<shapecase> {};

TEST_P(Shape, IsDrawnExactly)
{
    std::string input = given(GetParam());
    korvelrun run = runpreview({}, &input);
    EXPECT_EQ(run.out, GetParam().expected);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Shape,
    testing::Values(
        shapecase{"one", dottext, "1 x 1\n┌─┐\n│▀│\n└─┘\n"},
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
        // korvel-header's headers in every layout: one array as korvel's
        // text, frames each under its name.
        shapecase{"header", "", dotdrawn, madeheader{{"--progmem"}, {dot}}},
        shapecase{"frames", "", "f_0\n" + dotdrawn + "f_1\n" + rightdrawn,
                  madeheader{{"--progmem", "--frames"}, {dot, right}}},
        shapecase{"delays", "", "f_0\n" + dotdrawn + "f_1\n" + rightdrawn,
                  madeheader{{"--progmem", "--frames", "--delays", "40,1000"}, {dot, right}}},
        shapecase{"xbm", "", expectedpreview(speckled), madeheader{{"--layout", "xbm"}, {speckled}}},
        shapecase{"pages", "", expectedpreview(speckled), madeheader{{"--layout=pages"}, {speckled}}},
        shapecase{"pagesframes", "", "f_0\n" + dotdrawn + "f_1\n" + expectedpreview(speckled),
                  madeheader{{"--frames", "--layout", "pages"}, {dot, speckled}}},
        shapecase{"whiteframes", "", "f_0\n" + expectedpreview(speckled) + "f_1\n" + expectedpreview(speckled),
                  madeheader{{"--frames", "--polarity", "white", "--pixels-only"}, {speckled, speckled}}},
        // A whole screen, drawn at a quarter of its size; 256 pixels, at half.
        shapecase{"screen", "", expectedpreview(screen), madeheader{{"--pixels-only", "--layout", "pages"}, {screen}}},
        shapecase{"w256", "", expectedpreview({256, 3, speckle}), madeheader{{"--pixels-only"}, {{256, 3, speckle}}}},
        shapecase{"planes", "", "f\n" + expectedpreview(speckled, &framed),
                  madeheader{{"--planes", "--polarity", "white"}, {speckled, framed}}},
        // Hand edits that C accepts: a byte order mark, line comments, tabs
        // and blanks in directives; the name is the one the compiler reads.
        shapecase{"handedits", "\xEF\xBB\xBF// edited\n#\tdefine\tbmppic PROGMEM Zz_0 // frame\n" +
                                   dottext + "#define OTHER 1\n# define bmppic zZ_9 /* frame */\n" +
                                   array("0x02, 0x01,\n  0x40") + "#undef bmppic // done\n",
                  "Zz_0\n" + dotdrawn + "zZ_9\n" + rightdrawn},
        shapecase{"onecharnames", "#define bmppic a\n" + dottext + "#undef bmppic\n#define bmppic b\n" +
                                      array("0x02, 0x01,\n  0x40"), "a\n" + dotdrawn + "b\n" + rightdrawn},
        // Blanks and a comment past any name's length in a directive.
        shapecase{"longdirective", "#define bmppic x" + std::string(600, ' ') + "// " + std::string(600, '-') + "\n" +
                                       dottext, dotdrawn},
        // korvel's text with what is added most often after korvel x.bmp >
        // x.h, and comments among the bytes.
        shapecase{"commented", "// logo\n#pragma once\n" + array("0x02, /* w */ 0x01, // h\n  0x40 // row 1\n") +
                                   "// end\n", rightdrawn},
        // Named korvel's own, as a hand may write it.
        shapecase{"korvelnamed", "/* korvel layout: korvel */\n#define bmppic f\n" + dottext, dotdrawn}),
    [](const auto &info) { return std::string(info.param.name); });

struct previewrefusal {
    const char *name;
    std::string input;
    std::string message;
    std::optional<madeheader> header = {};
};

void PrintTo(const previewrefusal &c, std::ostream *os)
{
    *os << c.name;
}

class PreviewRefusal : public testing::TestWithParam<previewrefusal> {};

TEST_P(PreviewRefusal, PrintsOnlyItsMessage)
{
    std::string input = given(GetParam());
    korvelrun run = runpreview({}, &input);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, GetParam().message);
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, PreviewRefusal,
    testing::Values(
        previewrefusal{"empty", "", notarray},
        // korvel's own reason, when a pipe brings it instead of an array.
        previewrefusal{"korvelmessage", notfound("logo.bmp") + "\n", notfound("logo.bmp")},
        previewrefusal{"korvelsize", badsize("breit.bmp", 300, 2) + "\n", badsize("breit.bmp", 300, 2)},
        previewrefusal{"notquitemessage", "\n\nDatei logo.bmp wurde nicht gefunden\n\n", notarray},
        previewrefusal{"messagethenarray", notfound("a.bmp") + dottext, notarray},
        previewrefusal{"manyarrays", [] {
                           std::string text;
                           for (int k = 0; k < 257; k++)
                               text += "#define bmppic f_" + std::to_string(k) + "\n" + dottext + "#undef bmppic\n";
                           return text;
                       }(), manyarrays},
        previewrefusal{"rotatenone", "/* korvel rotate: */\n#define bmppic x\n" + dottext,
                       message("Text nennt im Kommentar \"korvel rotate:\" den unbekannten Wert \"\" (erlaubt: 0, 90, 180, 270)")},
        previewrefusal{"rotateone", "/* korvel rotate: 9 */\n#define bmppic x\n" + dottext,
                       message("Text nennt im Kommentar \"korvel rotate:\" den unbekannten Wert \"9\" (erlaubt: 0, 90, 180, 270)")},
        previewrefusal{"rotatelong", "/* korvel rotate: 1234567890123456 */\n#define bmppic x\n" + dottext,
                       message("Text nennt im Kommentar \"korvel rotate:\" den unbekannten Wert \"1234567890123456\" (erlaubt: 0, 90, 180, 270)")},
        previewrefusal{"longdefine", "#define OTHER " + std::string(600, '1') + "\n" + dottext, notarray},
        previewrefusal{"plainintable", "// x\n" + dottext +
                                           "static const unsigned char *const f[] = {\n    f_0\n};\n", notarray},
        // korvel's own text has the only array without a name.
        previewrefusal{"namedthenplain", "#define bmppic a\n" + dottext + "#undef bmppic\n" + dottext, notarray},
        previewrefusal{"plainthennamed", "// a\n" + dottext + "#define bmppic b\n" + dottext, notarray},
        previewrefusal{"definenoname", "#define bmppic\n" + dottext, notarray},
        previewrefusal{"twoplain", "// a\n" + dottext + dottext, notarray},
        previewrefusal{"nocomment", array("0x01, / 0x01,\n  0x80"), notarray},
        previewrefusal{"unclosed", array("0x01, 0x01, /* 0x80"), notarray},
        previewrefusal{"renamed", "static const unsigned char logo [] = {\n  0x01, 0x01,\n  0x80 };\n",
                       notarray},
        previewrefusal{"decimal", array("1, 1,\n  128"), notarray},
        previewrefusal{"nobrace", "static const unsigned char bmppic [] = {\n  0x01, 0x01,\n  0x80\n",
                       notarray},
        previewrefusal{"textafter", dottext + "int x;\n", notarray},
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
        previewrefusal{"overFFF", array("0x01, 0x01,\n  0xFFF"), overff},
        previewrefusal{"nopixels", array("0x01, 0x01"), badcount(0, 1, 1, 1)},
        previewrefusal{"toofew", array("0x0A, 0x02,\n  0xF0, 0xC0, \n  0x00"), badcount(3, 10, 2, 4)},
        previewrefusal{"toomany", array("0x08, 0x01,\n  0x7E, 0x00"), badcount(2, 8, 1, 1)},
        previewrefusal{"pastwidth", array("0x0A, 0x02,\n  0xF0, 0xC0, \n  0x00, 0x20"), pastwidth(2)},
        previewrefusal{"pastz", array("0x01, 0x01,\n  0x1z"), notarray},
        // The first pixel byte is no row count.
        previewrefusal{"laterrow", array("0x0A, 0x03,\n  0x01, 0x00, \n  0x00, 0x00, \n  0x00, 0x20"),
                       pastwidth(3)},
        previewrefusal{"opencomment", "/*", notarray, madeheader{{}, {dot}}},
        previewrefusal{"headercode", "int x;\n", notarray, madeheader{{}, {dot}}},
        previewrefusal{"tablecode", "", notarray,
                       madeheader{{"--frames"}, {right, dot}, [](const std::string &text) {
                                      return replaced(text, "    f_0,", "    f_0 + 1,");
                                  }}},
        previewrefusal{"badframe", "", badcount(0, 1, 1, 1),
                       madeheader{{"--frames"}, {right, dot}, [](const std::string &text) {
                                      return replaced(text, "0x01, 0x01,\n  0x80 };", "0x01, 0x01 };");
                                  }}},
        // In the other layouts, bits outside the picture are those their
        // rules leave out: past the width in xbm's high bits, below the
        // height in the last page's.
        previewrefusal{"xbmpastwidth", "", pastwidth(1),
                       madeheader{{"--layout", "xbm"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0x02 }", "0x06 }");
                                  }}},
        previewrefusal{"xbmtoomany", "", badcount(2, 2, 1, 1),
                       madeheader{{"--layout", "xbm"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0x02 }", "0x02, 0x00 }");
                                  }}},
        previewrefusal{"pagesbelow", "", pastheight(2),
                       madeheader{{"--layout", "pages"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0x00, 0x01 }", "0x00, 0x03 }");
                                  }}},
        previewrefusal{"pagestoofew", "", badcount(16, 9, 10, 18),
                       madeheader{{"--layout", "pages"}, {speckled}, [](const std::string &text) {
                                      // Without its last two bytes.
                                      size_t end = text.rfind(" };");
                                      size_t cut = text.rfind(", ", text.rfind(", ", end) - 1);
                                      return text.substr(0, cut) + text.substr(end);
                                  }}},
        // White paper sets the bits outside the picture; pixels-only arrays
        // need their size, up to 8192 pixels a side.
        previewrefusal{"whitepastwidth", "", pastwidth(1),
                       madeheader{{"--polarity", "white"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0xBF }", "0xBE }");
                                  }}},
        previewrefusal{"whitebelow", "", pastheight(1),
                       madeheader{{"--polarity", "white", "--layout", "pages"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0xFF, 0xFE }", "0x7F, 0xFE }");
                                  }}},
        previewrefusal{"nowidth", "", nosize("f"),
                       madeheader{{"--pixels-only"}, {right}, [](const std::string &text) {
                                      return replaced(text, "#define f_width 2\n", "");
                                  }}},
        previewrefusal{"widthnotnumber", "", nosize("f"),
                       madeheader{{"--pixels-only"}, {right}, [](const std::string &text) {
                                      return replaced(text, "#define f_width 2\n", "#define f_width 2x\n");
                                  }}},
        previewrefusal{"widthnoname", "", nosize("f"),
                       madeheader{{"--pixels-only"}, {right}, [](const std::string &text) {
                                      return replaced(text, "#define f_width", "#define _width");
                                  }}},
        previewrefusal{"width8193", "", nosize("f"),
                       madeheader{{"--pixels-only"}, {right}, [](const std::string &text) {
                                      return replaced(text, "f_width 2", "f_width 8193");
                                  }}},
        previewrefusal{"pixelstoomany", "", badcount(2, 2, 1, 1),
                       madeheader{{"--pixels-only"}, {right}, [](const std::string &text) {
                                      return replaced(text, "0x40 }", "0x40, 0x00 }");
                                  }}},
        previewrefusal{"planesrenamed", "", planesunlike,
                       madeheader{{"--planes"}, {right, right}, [](const std::string &text) {
                                      return replaced(text, "f_colour", "g_colour");
                                  }}},
        previewrefusal{"planesnoname", "", planesunlike,
                       madeheader{{"--planes"}, {right, right}, [](const std::string &text) {
                                      return replaced(replaced(text, "f_colour", "_colour"), "f_black", "_black");
                                  }}},
        previewrefusal{"unknownlayout", "",
                       message("Text nennt im Kommentar \"korvel layout:\" den unbekannten Wert \"vlsb\" (erlaubt: korvel, xbm, pages)"),
                       madeheader{{"--layout", "xbm"}, {right}, [](const std::string &text) {
                                      return replaced(text, "layout: xbm", "layout: vlsb");
                                  }}}),
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

    // With too many arguments, a call for help, or nothing to read at a
    // terminal, the usage text.
    for (const korvelrun &run : {runpreview({header, header}), runpreview({"-h"}), runpreview({"--help"}),
                                 runfromterminal(previewbinary(), {})}) {
        EXPECT_EQ(run.out, previewusage);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 254);
    }
}

}  // namespace
