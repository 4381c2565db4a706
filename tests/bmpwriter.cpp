// SPDX-License-Identifier: MIT
#include "bmpwriter.hpp"

#include <algorithm>
#include <cstdio>

void put16(std::string &file, size_t offset, uint16_t value)
{
    file[offset] = static_cast<char>(value);
    file[offset + 1] = static_cast<char>(value >> 8);
}

void put32(std::string &file, size_t offset, uint32_t value)
{
    put16(file, offset, static_cast<uint16_t>(value));
    put16(file, offset + 2, static_cast<uint16_t>(value >> 16));
}

static std::string headers(uint32_t width, uint32_t height, const bmplayout &layout,
                           uint32_t pixelbytes)
{
    bool os2 = layout.headersize == 12;
    uint32_t entry = os2 ? 3 : 4;  // OS/2 1.x palettes have no reserved byte
    uint32_t palette = layout.haspalette ? 2 * entry : 0;
    uint32_t offset = 14 + layout.headersize + palette + layout.gapbytes;
    std::string file(offset, static_cast<char>(0xA5));
    std::fill(file.begin(), file.begin() + 14 + layout.headersize + palette, '\0');
    put16(file, 0, 'B' | 'M' << 8);
    put32(file, 2, offset + pixelbytes);
    put32(file, 10, offset);
    put32(file, 14, layout.headersize);
    if (os2) {
        put16(file, 18, static_cast<uint16_t>(width));
        put16(file, 20, static_cast<uint16_t>(height));
        put16(file, 22, 1);
        put16(file, 24, 1);
    } else {
        put32(file, 18, width);
        put32(file, 22, layout.rowstopdown ? 0u - height : height);
        put16(file, 26, 1);
        put16(file, 28, 1);
        if (layout.headersize >= 40)
            put32(file, 34, pixelbytes);
    }
    if (layout.haspalette) {
        size_t white = 14 + layout.headersize + (layout.paletteinverted ? 0 : entry);
        file.replace(white, 3, 3, static_cast<char>(0xFF));
    }
    return file;
}

std::string bmpfile(const picture &pic, const bmplayout &layout)
{
    uint32_t stride = (pic.width + 31) / 32 * 4;
    std::string pixels(stride * pic.height, static_cast<char>(layout.junkbyte));
    for (uint32_t row = 0; row < pic.height; row++) {
        uint32_t y = layout.rowstopdown ? row : pic.height - 1 - row;
        for (uint32_t x = 0; x < pic.width; x++) {
            char &byte = pixels[row * stride + x / 8];
            char bit = static_cast<char>(0x80 >> (x % 8));
            byte = static_cast<char>(pic.ink(x, y) ? byte & ~bit : byte | bit);
        }
    }
    return headers(pic.width, pic.height, layout, static_cast<uint32_t>(pixels.size())) + pixels;
}

std::string rawbmp(uint32_t width, uint32_t height, const std::string &pixels)
{
    return headers(width, height, {}, static_cast<uint32_t>(pixels.size())) + pixels;
}

std::string expectedoutput(const picture &pic)
{
    char text[32];
    std::string out = "static const unsigned char bmppic [] = {\n";
    std::snprintf(text, sizeof text, "  0x%.2X, 0x%.2X,\n  ", pic.width, pic.height);
    out += text;
    uint32_t bytes = (pic.width + 7) / 8;
    for (uint32_t y = 0; y < pic.height; y++) {
        for (uint32_t b = 0; b < bytes; b++) {
            unsigned value = 0;
            for (uint32_t bit = 0; bit < 8; bit++) {
                uint32_t x = b * 8 + bit;
                if (x < pic.width && pic.ink(x, y))
                    value |= 0x80u >> bit;
            }
            bool last = y + 1 == pic.height && b + 1 == bytes;
            std::snprintf(text, sizeof text, last ? "0x%.2X };\n" : "0x%.2X, ", value);
            out += text;
        }
        out += "\n  ";
    }
    return out + "\n";
}

std::string expectedpreview(const picture &pic, const picture *colour)
{
    // Over 255 pixels a side, a cell stands for scale x scale pixels, lit if
    // any of them is.
    uint32_t scale = std::max(pic.width, pic.height) / 256 + 1;
    uint32_t width = (pic.width + scale - 1) / scale, height = (pic.height + scale - 1) / scale;
    auto lit = [&](const picture *plane, uint32_t cx, uint32_t cy) {
        for (uint32_t y = cy * scale; plane != nullptr && y < std::min((cy + 1) * scale, pic.height); y++)
            for (uint32_t x = cx * scale; x < std::min((cx + 1) * scale, pic.width); x++)
                if (plane->ink(x, y))
                    return true;
        return false;
    };
    std::string rule;
    for (uint32_t x = 0; x < width; x++)
        rule += "─";
    std::string out = std::to_string(pic.width) + " x " + std::to_string(pic.height) +
                      (scale > 1 ? ", verkleinert 1:" + std::to_string(scale) : "") + "\n";
    out += "┌" + rule + "┐\n";
    for (uint32_t y = 0; y < height; y += 2) {
        out += "│";
        for (uint32_t x = 0; x < width; x++) {
            bool upper = lit(&pic, x, y), lower = y + 1 < height && lit(&pic, x, y + 1);
            if (lit(colour, x, y) || (y + 1 < height && lit(colour, x, y + 1)))
                out += "▒";
            else
                out += upper ? (lower ? "█" : "▀") : (lower ? "▄" : " ");
        }
        out += "│\n";
    }
    return out + "└" + rule + "┘\n";
}

bool speckle(uint32_t x, uint32_t y)
{
    return ((x * 2654435761u) ^ (y * 40503u) ^ (x * y)) >> 11 & 1;
}

bool frame(uint32_t width, uint32_t height, uint32_t x, uint32_t y)
{
    return x == 0 || y == 0 || x + 1 == width || y + 1 == height || x == y;
}

std::vector<uint8_t> arraybytes(const std::string &text)
{
    std::vector<uint8_t> bytes;
    size_t at = text.find('{');
    for (size_t end = text.find('}', at); at < end; at += 4) {
        at = text.find("0x", at);
        if (at >= end)
            break;
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(at + 2, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<std::string> formoptions(const formcase &form)
{
    std::vector<std::string> options = {"--layout", form.layout, "--rotate", std::to_string(form.rotate)};
    if (form.white)
        options.insert(options.end(), {"--polarity", "white"});
    if (form.pixelsonly)
        options.push_back("--pixels-only");
    return options;
}

picture turned(const picture &pic, int degrees)
{
    uint32_t w = pic.width, h = pic.height;
    inkfn ink = pic.ink;
    switch (degrees) {
    case 90:
        return {h, w, [=](uint32_t x, uint32_t y) { return ink(y, h - 1 - x); }};
    case 180:
        return {w, h, [=](uint32_t x, uint32_t y) { return ink(w - 1 - x, h - 1 - y); }};
    case 270:
        return {h, w, [=](uint32_t x, uint32_t y) { return ink(w - 1 - y, x); }};
    }
    return pic;
}

std::string formdiffers(const formcase &form, const std::string &header, const picture &drawn)
{
    picture pic = turned(drawn, form.rotate);
    std::string layout = form.layout;
    std::vector<uint8_t> bytes = arraybytes(header);
    if (form.pixelsonly) {
        std::string size = "#define pic_width " + std::to_string(pic.width) + "\n#define pic_height " +
                           std::to_string(pic.height) + "\n";
        if (header.find(size) == std::string::npos)
            return "no defines of the size " + std::to_string(pic.width) + " x " + std::to_string(pic.height);
    } else if (bytes.size() < 2 || bytes[0] != pic.width || bytes[1] != pic.height) {
        return "size bytes";
    } else {
        bytes.erase(bytes.begin(), bytes.begin() + 2);
    }
    uint32_t rowbytes = (pic.width + 7) / 8, pages = (pic.height + 7) / 8;
    size_t size = layout == "pages" ? pages * pic.width : pic.height * rowbytes;
    if (bytes.size() != size)
        return "count: " + std::to_string(bytes.size()) + " bytes";
    // Every bit of the array, marked where a pixel of the picture lies.
    std::vector<bool> inside(8 * size);
    for (uint32_t y = 0; y < pic.height; y++) {
        for (uint32_t x = 0; x < pic.width; x++) {
            size_t byte = y * rowbytes + x / 8;
            unsigned bit = layout == "korvel" ? 7 - x % 8 : x % 8;
            if (layout == "pages")
                byte = y / 8 * pic.width + x, bit = y % 8;
            inside[8 * byte + bit] = true;
            if (((bytes[byte] >> bit) & 1) != (pic.ink(x, y) != form.white))
                return "pixel " + std::to_string(x) + ", " + std::to_string(y);
        }
    }
    for (size_t i = 0; i < 8 * size; i++)
        if (!inside[i] && ((bytes[i / 8] >> i % 8) & 1) != form.white)
            return "a bit outside the picture in byte " + std::to_string(i / 8);
    return "";
}
