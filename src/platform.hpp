// SPDX-License-Identifier: MIT
// What korvel and korvel-preview need of the platform and of standard
// output (platform.cpp).
#ifndef KORVEL_PLATFORM_HPP
#define KORVEL_PLATFORM_HPP

#include <cstdio>

// The arguments as UTF-8, with standard input and output switched to binary
// where the platform has text mode.
char **utf8args(int &argc, char **argv);

// A file opened for binary reading by its UTF-8 path.
FILE *fopenread(const char *path);

// A file created, or emptied, for binary writing by its UTF-8 path.
FILE *fopenwrite(const char *path);

// Renames a file, replacing one that has the new name; removes a file.
bool replacefile(const char *from, const char *to);
void removefile(const char *path);

// Whether the stream is a terminal, where someone would have to type.
bool isterminal(FILE *stream);

// Whether c separates a path's folders.
bool ispathseparator(char c);

// The running process's number, unique among those running.
unsigned long processid();

// Closes standard output; a failed write is reported on standard error.
bool outputwritten();

#endif
