// SPDX-License-Identifier: MIT
// What the fuzz targets check a text with: a failed check names what
// failed and aborts, which libFuzzer reports with the input.
#ifndef KORVEL_FUZZ_EXPECT_HPP
#define KORVEL_FUZZ_EXPECT_HPP

#include <cstdio>
#include <cstdlib>
#include <cstring>

inline void require(bool condition, const char *what)
{
    if (!condition) {
        fprintf(stderr, "fuzz check failed: %s\n", what);
        abort();
    }
}

// Consumes literal from the text, or fails.
inline void expect(const char *&p, const char *literal, const char *what)
{
    size_t length = strlen(literal);
    require(strncmp(p, literal, length) == 0, what);
    p += length;
}

#endif
