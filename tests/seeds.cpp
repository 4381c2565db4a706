// SPDX-License-Identifier: MIT
// Writes pictures made by the test BMP writer into the given directory:
// valid ones of assorted geometry and layout, and broken ones. They seed the
// fuzz target and serve the recipe tests.

#include "bmpwriter.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

void seed(const std::string &dir, const std::string &name, const std::string &content)
{
    std::string path = dir + "/" + name + ".bmp";
    if (!(std::ofstream(path, std::ios::binary) << content)) {
        fprintf(stderr, "korvel_seeds: cannot write %s\n", path.c_str());
        exit(1);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fputs("usage: korvel_seeds DIRECTORY\n", stderr);
        return 2;
    }
    std::string dir = argv[1];
    const struct {
        const char *name;
        picture pic;
        bmplayout layout;
    } valid[] = {
        {"w1", {1, 1, speckle}, {}},
        {"w9", {9, 3, speckle}, bmplayout().junk(0x5A)},
        {"w33", {33, 2, speckle}, bmplayout().topdown()},
        {"w128h64", {128, 64, speckle}, {}},
        {"w255", {255, 255, speckle}, bmplayout().junk(0x5A)},
        {"os2", {13, 5, speckle}, bmplayout().header(12)},
        {"gap", {17, 4, speckle}, bmplayout().gap(40)},
        {"whitefirst", {12, 3, speckle}, bmplayout().whitefirst()},
    };
    for (const auto &v : valid)
        seed(dir, v.name, bmpfile(v.pic, v.layout));

    std::string base = bmpfile({10, 2, speckle});
    std::string spoilt = base;
    put16(spoilt, 28, 24);
    seed(dir, "bitcount24", spoilt);
    spoilt = base;
    put32(spoilt, 22, -300);
    seed(dir, "topdown300", spoilt);
    spoilt = base;
    put32(spoilt, 10, 0xFFFFFFF0u);
    seed(dir, "offsetpastend", spoilt);
    seed(dir, "cut", base.substr(0, base.size() - 1));
    seed(dir, "header", base.substr(0, 30));
    // Holds more pixel data than korvel's buffer: only the size check keeps
    // it out.
    seed(dir, "largerthanbuffer", bmpfile({1100, 255, speckle}));
    return 0;
}
