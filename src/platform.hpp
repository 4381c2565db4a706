// SPDX-License-Identifier: MIT
// What korvel and korvel-preview need of the platform and of standard
// output (platform.cpp).
#ifndef KORVEL_PLATFORM_HPP
#define KORVEL_PLATFORM_HPP

#include <cstdio>

#ifdef _WIN32
// A UTF-8 path as UTF-16, in one of two buffers (which), so that a rename
// has both; empty where the path is no UTF-8.
const wchar_t *widepath(const char *path, int which = 0);
#endif

// The arguments as UTF-8, with standard input and output switched to binary
// where the platform has text mode.
char **utf8args(int &argc, char **argv);

// A file opened for binary reading by its UTF-8 path.
FILE *fopenread(const char *path);

// A file created for binary writing by its UTF-8 path, where nothing had
// that name, not even a link: null with errno EEXIST otherwise.
FILE *fopennew(const char *path);

// What a path names: nothing, a file, or something else (a folder, a
// FIFO, a device). A path that cannot be looked at counts as a file, for
// opening it to say why.
enum pathkind { pathnothing, pathfile, pathother };
pathkind kindof(const char *path);

// Renames a file, replacing one that has the new name; removes a file.
bool replacefile(const char *from, const char *to);
void removefile(const char *path);

// Whether the stream is a terminal, where someone would have to type.
bool isterminal(FILE *stream);

// Whether c separates a path's folders.
bool ispathseparator(char c);

// The running process's number, unique among those running; whether the
// process of a number runs (where that cannot be told, it does).
unsigned long processid();
bool processruns(unsigned long id);

// Calls visit with the name of each entry of a folder, given with its
// trailing separator ("" for the current one), as UTF-8; on Windows, of
// each file that is no link.
void eachentry(const char *folder, void (*visit)(const char *name));

// Removes the file when an interrupt, a termination or a hang-up ends the
// program, which then ends as the signal would have ended it. The path is
// kept, not copied.
void removeonsignals(const char *path);

// Closes standard output; a failed write is reported on standard error.
bool outputwritten();

#endif
