// SPDX-License-Identifier: MIT
// korvel-header: writes korvel's arrays as one named header, for
// korvel_add_bitmaps() at build time and for any other build, with korvel's
// own converter, so that it holds korvel's bytes exactly:
//
//   korvel-header [--progmem] [--frames] [--layout korvel|xbm|pages] HEADER NAME PICTURE...
//
// korvel names every array bmppic; "#define bmppic NAME" before each of
// korvel's texts and "#undef bmppic" after it give the array its name.
// --frames names the arrays NAME_0, NAME_1, ... in the order given and adds
// a table NAME[] of them; --progmem places arrays and table in flash on AVR.
// --layout writes the arrays in another layout (layout.hpp), made from
// korvel's bytes; korvel's own, the default, is korvel's text as it is.
// headershape.hpp describes the header.
//
// The header is written whole or not at all: into HEADER.new, renamed when
// complete. A refused picture's message goes to standard error as korvel
// words it, and no header is left, so that no later build takes an old one.
//
// Exit status: 0 when the header is written, 1 when a picture is refused or
// the header cannot be written, -2 (254 to the shell) after the usage text,
// which follows the message for an unknown option or layout.

#include "headershape.hpp"
#include "bmppic.hpp"
#include "korvel.hpp"
#include "layout.hpp"
#include "platform.hpp"

#include <cstring>

namespace {

struct headerjob {
    bool progmem = false;
    bool frames = false;
    arraylayout layout = layoutkorvel;
    const char *header = nullptr;
    const char *name = nullptr;
    char **pictures = nullptr;
    int count = 0;
};

bool readargs(int argc, char **argv, headerjob &job);
bool readlayout(const char *name, headerjob &job);
bool writeheader(FILE *out, const headerjob &job);
bool writearray(FILE *out, const char *picture, arraylayout layout);
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

// An unknown option or layout is named before the usage text.
bool readargs(int argc, char **argv, headerjob &job)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++) {
        static const char layoutis[] = "--layout=";
        if (strcmp(argv[i], "--progmem") == 0) {
            job.progmem = true;
        } else if (strcmp(argv[i], "--frames") == 0) {
            job.frames = true;
        } else if (strcmp(argv[i], "--layout") == 0 && i + 1 < argc) {
            if (!readlayout(argv[++i], job))
                return false;
        } else if (strncmp(argv[i], layoutis, sizeof layoutis - 1) == 0) {
            if (!readlayout(argv[i] + sizeof layoutis - 1, job))
                return false;
        } else {
            fprintf(stderr, "\n\nUnbekannte Option %s ... \n", argv[i]);
            return false;
        }
    }
    if (argc - i < 3)
        return false;
    job.header = argv[i];
    job.name = argv[i + 1];
    job.pictures = argv + i + 2;
    job.count = argc - i - 2;
    // Several arrays of one name would not compile.
    if (job.count > 1 && !job.frames) {
        fputs("\n\nMehrere Bilder brauchen --frames ... \n", stderr);
        return false;
    }
    return true;
}

bool readlayout(const char *name, headerjob &job)
{
    if (findlayout(name, job.layout))
        return true;
    fprintf(stderr, "\n\nUnbekanntes Layout %s (erlaubt: korvel, xbm, pages) ... \n", name);
    return false;
}

// Each array is korvel's whole text, with the newline korvel ends its
// output with.
bool writeheader(FILE *out, const headerjob &job)
{
    const char *progmem = job.progmem ? headerprogmem : "";
    fputs(headermadeby, out);
    if (job.layout != layoutkorvel)
        fprintf(out, "/* %s %s (%s) */\n", headerlayout, layoutnames[job.layout],
                layoutdescriptions[job.layout]);
    fprintf(out, "#ifndef KORVEL_%s_H\n#define KORVEL_%s_H\n", job.name, job.name);
    if (job.progmem)
        fputs("#include <avr/pgmspace.h>\n", out);
    for (int k = 0; k < job.count; k++) {
        fprintf(out, "#%s%s%s", headerdefine, progmem, job.name);
        if (job.frames)
            fprintf(out, "_%d", k);
        putc('\n', out);
        if (!writearray(out, job.pictures[k], job.layout))
            return false;
        fprintf(out, "\n%s", headerundef);
    }
    if (job.frames) {
        fprintf(out, "%s%s[] %s= {\n", headertable, job.name, progmem);
        for (int k = 0; k < job.count; k++)
            fprintf(out, "    %s_%d%s\n", job.name, k, k + 1 < job.count ? "," : "");
        fputs("};\n", out);
    }
    fputs("#endif\n", out);
    return true;
}

// korvel's own layout is korvel's text as korvel prints it; the others are
// made from its bytes.
bool writearray(FILE *out, const char *picture, arraylayout layout)
{
    if (layout == layoutkorvel)
        return loadswbmp(picture, out, stderr);
    static swbmp image;
    static unsigned char bmppic[maxbytes], array[maxbytes];
    if (!readswbmpfile(picture, image, stderr))
        return false;
    swbmpbytes(image, bmppic);
    tolayout(layout, bmppic, array);
    printarray(layout, array, out);
    return true;
}

void usage()
{
    fputs("\n\nKORVEL-HEADER 0.01\n"
          "--------------------\n\n"
          "   Schreibt korvels Arrays als benannte Headerdatei: das Array heisst Name,\n"
          "   mit --frames heissen sie Name_0, Name_1, ... mit einer Tabelle Name[].\n"
          "   --progmem legt sie auf AVR in den Flash. --layout ordnet die Bytes:\n"
          "   korvel  Zeilen, das linke Pixel im hoechsten Bit (wie korvel)\n"
          "   xbm     Zeilen, das linke Pixel im niedrigsten Bit\n"
          "   pages   Seiten zu 8 Zeilen, ein Byte je Spalte, die oberste Zeile im Bit 0\n"
          "   Syntax:   korvel-header [--progmem] [--frames] [--layout korvel|xbm|pages]\n"
          "                           Headerdatei Name BMP-Datei...\n"
          "\nBeispiel:  korvel-header --layout xbm logo.h logo logo.bmp\n\n",
          stderr);
}

}  // namespace
