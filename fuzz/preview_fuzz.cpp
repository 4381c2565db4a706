// SPDX-License-Identifier: MIT
// libFuzzer target: korvel-preview's reader and drawing on any text, from
// memory to memory. Every input must either be refused or be drawn in
// exactly the shape its size line promises.

#include "expect.hpp"
#include "preview.hpp"

#include <cstdint>

namespace {

// Consumes one of the four half-block cells.
void expectcell(const char *&p)
{
    static const char *const cells[] = {" ", "\xE2\x96\x84", "\xE2\x96\x80", "\xE2\x96\x88"};
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

// The size line, the frame, and (height + 1) / 2 lines of width cells.
void checkshape(const char *text, size_t length, unsigned width, unsigned height)
{
    require(strlen(text) == length, "NUL in the drawing");
    char sizeline[32];
    snprintf(sizeline, sizeof sizeline, "%u x %u\n", width, height);
    const char *p = text;
    expect(p, sizeline, "size line");
    expectrule(p, "\xE2\x94\x8C", width, "\xE2\x94\x90");
    for (unsigned y = 0; y < height; y += 2) {
        expect(p, "\xE2\x94\x82", "left side");
        for (unsigned x = 0; x < width; x++)
            expectcell(p);
        expect(p, "\xE2\x94\x82\n", "right side");
    }
    expectrule(p, "\xE2\x94\x94", width, "\xE2\x94\x98");
    require(p == text + length, "text after the drawing");
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
    static korvelarray array;
    unsigned badrow = 0;
    textverdict verdict = readkorvelarray(in, array, badrow);
    fclose(in);
    require(verdict != textunreadable, "a text in memory called unreadable");
    if (verdict == textpastwidth)
        require(badrow >= 1 && badrow <= array.bytes[1], "bad row outside the picture");
    if (verdict != textok)
        return 0;
    unsigned width = array.bytes[0], height = array.bytes[1];
    require(width >= 1 && height >= 1, "empty picture accepted");
    require(array.count == 2 + height * bmppicrowbytes(width), "byte count");

    char *text = nullptr;
    size_t length = 0;
    FILE *out = open_memstream(&text, &length);
    drawbmppic(array.bytes, out);
    fclose(out);
    checkshape(text, length, width, height);
    free(text);
    return 0;
}
