// SPDX-License-Identifier: MIT
// libFuzzer target: korvel-preview's reader and drawing on any text, from
// memory to memory. Every input must either be refused or be drawn in
// exactly the shape its size lines promise, each array under its name in a
// header of frames.

#include "expect.hpp"
#include "preview.hpp"

#include <cstdint>

namespace {

// Consumes one of the four half-block cells, or the shade of colour.
void expectcell(const char *&p)
{
    static const char *const cells[] = {" ", "\xE2\x96\x84", "\xE2\x96\x80", "\xE2\x96\x88", "\xE2\x96\x92"};
    for (const char *cell : cells) {
        if (strncmp(p, cell, strlen(cell)) == 0) {
            p += strlen(cell);
            return;
        }
    }
    require(false, "cell");
}

void expectrule(const char *&p, const char *start, unsigned width, const char *end)
{
    expect(p, start, "rule start");
    for (unsigned x = 0; x < width; x++)
        expect(p, "\xE2\x94\x80", "rule");
    expect(p, end, "rule end");
    expect(p, "\n", "rule line end");
}

// The size line, the frame, and (height + 1) / 2 lines of width cells, of
// the picture reduced to at most maxside cells a side.
void checkshape(const char *&p, unsigned width, unsigned height)
{
    char sizeline[64];
    unsigned scale = (width > height ? width : height) / (maxside + 1) + 1;
    if (scale == 1)
        snprintf(sizeline, sizeof sizeline, "%u x %u\n", width, height);
    else
        snprintf(sizeline, sizeof sizeline, "%u x %u, verkleinert 1:%u\n", width, height, scale);
    expect(p, sizeline, "size line");
    width = (width + scale - 1) / scale;
    height = (height + scale - 1) / scale;
    expectrule(p, "\xE2\x94\x8C", width, "\xE2\x94\x90");
    for (unsigned y = 0; y < height; y += 2) {
        expect(p, "\xE2\x94\x82", "left side");
        for (unsigned x = 0; x < width; x++)
            expectcell(p);
        expect(p, "\xE2\x94\x82\n", "right side");
    }
    expectrule(p, "\xE2\x94\x94", width, "\xE2\x94\x98");
}

// One array after the other, each under its name if the text is named; a
// picture's two planes as one, under the name they share.
void checkdrawing(const char *drawing, size_t length, const korveltext &text)
{
    require(strlen(drawing) == length, "NUL in the drawing");
    require(text.count >= 1 && text.count <= maxframes, "array count");
    require(text.named || text.count == 1, "several arrays without names");
    const char *p = drawing;
    if (text.planes) {
        require(text.count == 2 && text.arrays[0].width == text.arrays[1].width &&
                    text.arrays[0].height == text.arrays[1].height, "planes of two sizes");
        p = strchr(p, '\n');
        require(p != nullptr, "no name line");
        p++;
        checkshape(p, text.arrays[0].width, text.arrays[0].height);
        require(p == drawing + length, "text after the drawing");
        return;
    }
    for (unsigned i = 0; i < text.count; i++) {
        const korvelarray &array = text.arrays[i];
        unsigned width = array.width, height = array.height;
        require(width >= 1 && height >= 1 && width <= bigside && height <= bigside, "size accepted");
        require(array.count == (array.form.pixelsonly() ? 0 : 2) + formbytes(array.form.layout(), width, height),
                "byte count");
        if (text.named) {
            require(array.name[0] != '\0', "no name");
            expect(p, array.name, "name");
            expect(p, "\n", "name line end");
        }
        checkshape(p, width, height);
    }
    require(p == drawing + length, "text after the drawing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fmemopen refuses an empty buffer.
    if (size == 0)
        return 0;
    FILE *in = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (in == nullptr)
        return 0;
    static korveltext text;
    unsigned bad = 0, badrow = 0;
    textverdict verdict = readkorveltext(in, text, bad, badrow);
    fclose(in);
    require(verdict != textunreadable, "a text in memory called unreadable");
    if (verdict == textpastwidth)
        require(bad < text.count && badrow >= 1 && badrow <= text.arrays[bad].height,
                "bad row outside the picture");
    if (verdict == textpastheight)
        require(bad < text.count && badrow >= 1 && badrow <= text.arrays[bad].width,
                "bad column outside the picture");
    if (verdict != textok)
        return 0;

    char *drawing = nullptr;
    size_t length = 0;
    FILE *out = open_memstream(&drawing, &length);
    drawkorveltext(text, false, out);
    fclose(out);
    checkdrawing(drawing, length, text);
    free(drawing);
    return 0;
}
