// SPDX-License-Identifier: MIT
// korvel-preview: shows in the terminal what an array that korvel wrote
// will light on a display that lights set bits. It reads the text korvel
// writes from the file named by its one argument or from standard input.
//
// Exit status: 0 after drawing, 1 when the text is refused or the output
// could not be written, -2 (254 to the shell) after the usage text: for
// more than one argument, -h or --help (unless a file has that name), and
// a terminal as standard input, where nobody would type a header.
// Messages go to standard error, so that nothing but a picture is ever on
// standard output.

#include "platform.hpp"
#include "preview.hpp"

#include <cstring>

namespace {

void usage();
void report(textverdict verdict, const char *path, const korveltext &text, unsigned bad,
            unsigned badrow);

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    const char *path = argc == 2 ? argv[1] : nullptr;
    FILE *in = path != nullptr ? fopenread(path) : stdin;
    // A file of that name is read, even if it is called -h.
    bool help = in == nullptr && (strcmp(path, "-h") == 0 || strcmp(path, "--help") == 0);
    if (argc > 2 || help || (in == stdin && isterminal(stdin))) {
        usage();
        outputwritten();
        return -2;
    }
    static korveltext text;
    unsigned bad = 0, badrow = 0;
    textverdict verdict = textunreadable;
    if (in != nullptr) {
        verdict = readkorveltext(in, text, bad, badrow);
        if (in != stdin)
            fclose(in);
    }
    if (verdict != textok) {
        report(verdict, path != nullptr ? path : "-", text, bad, badrow);
        return 1;
    }
    drawkorveltext(text, isterminal(stdout), stdout);
    return outputwritten() ? 0 : 1;
}

namespace {

void usage()
{
    puts("\n\nKORVEL-PREVIEW 0.01");
    puts("---------------------\n");
    puts("   Zeigt, was ein von korvel erzeugtes Array auf einer Anzeige leuchten laesst.");
    puts("   Ohne Dateinamen wird der Text von der Standardeingabe gelesen, etwa aus einer Pipe.");
    puts("   Syntax:   korvel-preview [Headerdatei]");
    puts("\nBeispiel:  korvel mybmp.bmp | korvel-preview\n");
}

void report(textverdict verdict, const char *path, const korveltext &text, unsigned bad,
            unsigned badrow)
{
    const korvelarray &array = text.arrays[bad];
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
        fprintf(stderr, "\n\nText enthaelt %lu Bildbytes, %u x %u Pixel brauchen %lu ... \n\n",
                array.count - (array.form.pixelsonly() ? 0 : 2), array.width, array.height,
                static_cast<unsigned long>(formbytes(array.form.layout(), array.width, array.height)));
        break;
    case textpastwidth:
        fprintf(stderr, "\n\nText setzt in Bildzeile %u ein Bit rechts vom Bildrand ... \n\n",
                badrow);
        break;
    case textmanyarrays:
        fprintf(stderr, "\n\nText enthaelt mehr als %u Arrays, korvel-preview zeigt hoechstens %u ... \n\n",
                maxframes, maxframes);
        break;
    case textmessage:
        // What korvel said instead of an array, as korvel said it.
        fprintf(stderr, "\n\n%s\n\n", text.message);
        break;
    case textnosize:
        fprintf(stderr, "\n\nText nennt fuer %s keine Groesse von 1 bis %u Pixel"
                        " (#define %s_width, %s_height) ... \n\n",
                array.name, bigside, array.name, array.name);
        break;
    case textmanybytes:
        fprintf(stderr, "\n\nText enthaelt mehr als %lu Bildbytes, korvel-preview zeigt"
                        " hoechstens %lu ... \n\n", bigbytes, bigbytes);
        break;
    case textplanes:
        fputs("\n\nText nennt zwei Ebenen, aber nicht NAME_black und NAME_colour einer Groesse ... \n\n",
              stderr);
        break;
    case textpastheight:
        fprintf(stderr, "\n\nText setzt in Bildspalte %u ein Bit unter den Bildrand ... \n\n",
                badrow);
        break;
    case textbadchoice: {
        const formoption &option = formoptions[text.badchoice];
        fprintf(stderr, "\n\nText nennt im Kommentar \"%s%s:\" den unbekannten Wert \"%s\" (erlaubt: ",
                formcomment, option.name, text.message);
        for (unsigned k = 0; k < option.count; k++)
            fprintf(stderr, "%s%s", option.values[k], k + 1 < option.count ? ", " : ") ... \n\n");
        break;
    }
    }
}

}  // namespace
