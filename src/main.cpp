// SPDX-License-Identifier: MIT
// korvel: command line, usage screen and exit status.
//
// Exit status: 0 after a conversion, 1 when the file was not converted or
// the output could not be written, -2 (254 to the shell) after the usage
// screen.

#include "korvel.hpp"
#include "platform.hpp"

namespace {

void usage()
{
    puts("\n\nKORVEL 0.01");
    puts("-------------\n");
    puts("Dateikonverter: ");
    puts("   Konvertiert eine s/w BMP-Datei in ein C- Headerfile.");
    puts("   Hierfuer wird ein Array im Header generiert. Die Ausgabe des ");
    puts("   Headerfiles geschieht auf dem Standard-Output-Stream. Soll eine Datei");
    puts("   geschrieben werden, so kann diese mittels Pipe Funktion in eine");
    puts("   Datei umgeleitet werden.");
    puts("   Syntax:   korvel BMP-Dateiname");
    puts("\nBeispiel:  korvel mybmp.bmp > myheader.h\n");
}

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    if (argc != 2) {
        usage();
        outputwritten();
        return -2;
    }
    bool converted = loadswbmp(argv[1]);
    putchar('\n');
    return outputwritten() && converted ? 0 : 1;
}
