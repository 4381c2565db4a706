// SPDX-License-Identifier: MIT
// Test fixtures: 1-bit BMP files of any geometry and layout, and the array
// text korvel must print for them, worked out pixel by pixel.
#ifndef KORVEL_BMPWRITER_HPP
#define KORVEL_BMPWRITER_HPP

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ink(x, y), y counted from the top: the pixel is stored as palette index 0.
using inkfn = std::function<bool(uint32_t x, uint32_t y)>;

struct picture {
    uint32_t width;
    uint32_t height;
    inkfn ink;
};

// How a picture is stored: bmplayout() is the common 40-byte-header file,
// and each call changes one thing, as in bmplayout().header(16).whitefirst().
struct bmplayout {
    uint32_t headersize = 40;   // 12: OS/2 1.x header with 16-bit sizes
    bool rowstopdown = false;   // stored with a negative height, top row first
    bool paletteinverted = false;  // palette entry 0 is white
    uint8_t junkbyte = 0;       // fills row padding, bits past the width included
    uint32_t gapbytes = 0;      // junk bytes between palette and pixel data
    bool haspalette = true;     // false: the pixels follow the info header

    bmplayout header(uint32_t size) const { return with(&bmplayout::headersize, size); }
    bmplayout topdown() const { return with(&bmplayout::rowstopdown, true); }
    bmplayout whitefirst() const { return with(&bmplayout::paletteinverted, true); }
    bmplayout junk(uint8_t byte) const { return with(&bmplayout::junkbyte, byte); }
    bmplayout gap(uint32_t bytes) const { return with(&bmplayout::gapbytes, bytes); }
    bmplayout nopalette() const { return with(&bmplayout::haspalette, false); }

  private:
    template <typename T>
    bmplayout with(T bmplayout::*field, T value) const
    {
        bmplayout changed = *this;
        changed.*field = value;
        return changed;
    }
};

std::string bmpfile(const picture &pic, const bmplayout &layout = {});

// A 40-byte-header file whose pixel area is given as stored.
std::string rawbmp(uint32_t width, uint32_t height, const std::string &pixels);

// korvel's whole standard output for the picture, and korvel-preview's for
// that output, off a terminal; with a colour plane, its cells a shade.
std::string expectedoutput(const picture &pic);
std::string expectedpreview(const picture &pic, const picture *colour = nullptr);

// The bytes of the first array in a text, korvel's or a header's.
std::vector<uint8_t> arraybytes(const std::string &text);

// An array's form as korvel-header's options choose it.
struct formcase {
    const char *layout;  // korvel, xbm or pages
    bool white;          // --polarity white
    bool pixelsonly;
    int rotate;          // clockwise, in degrees
};
std::vector<std::string> formoptions(const formcase &form);

// The picture turned clockwise by 0, 90, 180 or 270 degrees.
picture turned(const picture &pic, int degrees);

// Empty when the header of korvel-header's, named pic, holds exactly the
// picture in the form, with no bit outside it but as the polarity sets it;
// else the first difference. Each form is read by its own definition, not
// by korvel's code.
std::string formdiffers(const formcase &form, const std::string &header, const picture &pic);

void put16(std::string &file, size_t offset, uint16_t value);
void put32(std::string &file, size_t offset, uint32_t value);

// Pixel patterns with something in every byte position.
bool speckle(uint32_t x, uint32_t y);
bool frame(uint32_t width, uint32_t height, uint32_t x, uint32_t y);

#endif
