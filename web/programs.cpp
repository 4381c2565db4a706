// SPDX-License-Identifier: MIT
// The page's one WebAssembly module: korvel, korvel-header and
// korvel-preview, each run by its name as the first argument, as their own
// programs run. The page instantiates the module afresh for every run, as
// each program closes its standard output at the end of one.
#include <cstring>

int korvelmain(int argc, char **argv);
int headermain(int argc, char **argv);
int previewmain(int argc, char **argv);

int main(int argc, char **argv)
{
    static const struct {
        const char *name;
        int (*main)(int, char **);
    } programs[] = {
        {"korvel", korvelmain},
        {"korvel-header", headermain},
        {"korvel-preview", previewmain},
    };
    // The program's name takes the place of the module's in argv[0].
    for (const auto &program : programs)
        if (argc >= 2 && strcmp(argv[1], program.name) == 0)
            return program.main(argc - 1, argv + 1);
    return 2;
}
