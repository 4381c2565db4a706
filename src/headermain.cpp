// SPDX-License-Identifier: MIT
// korvel-header: writes one header of korvel_add_bitmaps() at build time,
// with korvel's own converter, so that it holds korvel's bytes exactly:
//
//   korvel-header [--progmem] [--frames] HEADER NAME PICTURE...
//
// korvel names every array bmppic; "#define bmppic NAME" before each of
// korvel's texts and "#undef bmppic" after it give the array its name.
// --frames names the arrays NAME_0, NAME_1, ... in the order given and adds
// a table NAME[] of them; --progmem places arrays and table in flash on AVR.
//
// The header is written whole or not at all: into HEADER.new, renamed when
// complete. A refused picture's message goes to standard error as korvel
// words it, and no header is left, so that no later build takes an old one.
//
// Exit status: 0 when the header is written, 1 when a picture is refused or
// the header cannot be written, -2 (254 to the shell) after the usage text.

#include "korvel.hpp"
#include "platform.hpp"

#include <cstring>

namespace {

struct headerjob {
    bool progmem = false;
    bool frames = false;
    const char *header = nullptr;
    const char *name = nullptr;
    char **pictures = nullptr;
    int count = 0;
};

bool readargs(int argc, char **argv, headerjob &job);
bool writeheader(FILE *out, const headerjob &job);
void usage();

// HEADER.new, for headers whose path the platform can take.
char temporary[4096 + sizeof ".new"];

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    headerjob job;
    if (!readargs(argc, argv, job)) {
        usage();
        return -2;
    }
    removefile(job.header);
    if (strlen(job.header) > sizeof temporary - sizeof ".new") {
        fprintf(stderr, "\n\nHeaderdatei %s: Pfad zu lang ... \n\n", job.header);
        return 1;
    }
    strcat(strcpy(temporary, job.header), ".new");
    FILE *out = fopenwrite(temporary);
    bool converted = true, written = false;
    if (out != nullptr) {
        converted = writeheader(out, job);
        written = !ferror(out);
        written &= fclose(out) == 0;
    }
    if (converted && written && replacefile(temporary, job.header))
        return 0;
    removefile(temporary);
    // A refusal has been reported, with korvel's words.
    if (converted)
        fprintf(stderr, "\n\nHeaderdatei %s konnte nicht geschrieben werden ... \n\n", job.header);
    return 1;
}

namespace {

bool readargs(int argc, char **argv, headerjob &job)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++) {
        if (strcmp(argv[i], "--progmem") == 0)
            job.progmem = true;
        else if (strcmp(argv[i], "--frames") == 0)
            job.frames = true;
        else
            return false;
    }
    if (argc - i < 3)
        return false;
    job.header = argv[i];
    job.name = argv[i + 1];
    job.pictures = argv + i + 2;
    job.count = argc - i - 2;
    return true;
}

// Each array is korvel's whole text, with the newline korvel ends its
// output with.
bool writeheader(FILE *out, const headerjob &job)
{
    const char *progmem = job.progmem ? "PROGMEM " : "";
    fputs("/* Made by korvel at build time; edits are lost when it is remade. */\n", out);
    fprintf(out, "#ifndef KORVEL_%s_H\n#define KORVEL_%s_H\n", job.name, job.name);
    if (job.progmem)
        fputs("#include <avr/pgmspace.h>\n", out);
    for (int k = 0; k < job.count; k++) {
        if (job.frames)
            fprintf(out, "#define bmppic %s%s_%d\n", progmem, job.name, k);
        else
            fprintf(out, "#define bmppic %s%s\n", progmem, job.name);
        if (!loadswbmp(job.pictures[k], out, stderr))
            return false;
        fputs("\n#undef bmppic\n", out);
    }
    if (job.frames) {
        fprintf(out, "static const unsigned char *const %s[] %s= {\n", job.name, progmem);
        for (int k = 0; k < job.count; k++)
            fprintf(out, "    %s_%d%s\n", job.name, k, k + 1 < job.count ? "," : "");
        fputs("};\n", out);
    }
    fputs("#endif\n", out);
    return true;
}

void usage()
{
    fputs("\n\nKORVEL-HEADER 0.01\n"
          "--------------------\n\n"
          "   Schreibt korvels Arrays als benannte Headerdatei, fuer korvel_add_bitmaps().\n"
          "   Syntax:   korvel-header [--progmem] [--frames] Headerdatei Name BMP-Datei...\n\n",
          stderr);
}

}  // namespace
