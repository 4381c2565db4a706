// SPDX-License-Identifier: MIT
// korvel-preview: shows in the terminal what an array that korvel wrote
// will light on a display that lights set bits. It reads the text korvel
// writes from the file named by its one argument or from standard input.
//
// Exit status: 0 after drawing, 1 when the text is refused or the output
// could not be written, -2 (254 to the shell) after the usage text.
// Messages go to standard error, so that nothing but a picture is ever on
// standard output.

#include "platform.hpp"
#include "preview.hpp"

namespace {

void usage();
void report(textverdict verdict, const char *path, const korvelarray &array, unsigned badrow);

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    if (argc > 2) {
        usage();
        outputwritten();
        return -2;
    }
    const char *path = argc == 2 ? argv[1] : nullptr;
    FILE *in = path != nullptr ? fopenread(path) : stdin;
    static korveltext text;
    unsigned bad = 0, badrow = 0;
    textverdict verdict = textunreadable;
    if (in != nullptr) {
        verdict = readkorveltext(in, text, bad, badrow);
        if (in != stdin)
            fclose(in);
    }
    if (verdict != textok) {
        report(verdict, path != nullptr ? path : "-", text.arrays[bad], badrow);
        return 1;
    }
    drawkorveltext(text, stdout);
    return outputwritten() ? 0 : 1;
}

namespace {

void usage()
{
    puts("\n\nKORVEL-PREVIEW 0.01");
    puts("---------------------\n");
    puts("   Zeigt, was ein von korvel erzeugtes Array auf einer Anzeige leuchten laesst.");
    puts("   Ohne Dateinamen wird der Text von der Standardeingabe gelesen.");
    puts("   Syntax:   korvel-preview [Headerdatei]");
    puts("\nBeispiel:  korvel mybmp.bmp | korvel-preview\n");
}

void report(textverdict verdict, const char *path, const korvelarray &array, unsigned badrow)
{
    switch (verdict) {
    case textok:
        break;
    case textunreadable:
        fprintf(stderr, "\n\nDatei %s wurde nicht gefunden ... \n\n", path);
        break;
    case textnotarray:
        fputs("\n\nText ist keine korvel-Ausgabe ... \n\n", stderr);
        break;
    case textoverff:
        fputs("\n\nText enthaelt einen Wert ueber 0xFF ... \n\n", stderr);
        break;
    case textbadcount:
        fprintf(stderr, "\n\nText enthaelt %lu Bildbytes, %u x %u Pixel brauchen %u ... \n\n",
                array.count - 2, array.bytes[0], array.bytes[1],
                layoutbytes(array.layout, array.bytes[0], array.bytes[1]));
        break;
    case textpastwidth:
        fprintf(stderr, "\n\nText setzt in Bildzeile %u ein Bit rechts vom Bildrand ... \n\n",
                badrow);
        break;
    case textpastheight:
        fprintf(stderr, "\n\nText setzt in Bildspalte %u ein Bit unter den Bildrand ... \n\n",
                badrow);
        break;
    }
}

}  // namespace
