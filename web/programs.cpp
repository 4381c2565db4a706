// SPDX-License-Identifier: MIT
// The page's one WebAssembly module: korvel, korvel-header and
// korvel-preview, each run by its name as the first argument, as their own
// programs run. Each program closes its standard output at the end of a
// run, so the page runs them in a fresh instance each time.
//
// Two calls serve the page in one instance that lives as long as the page:
// korvel's converter on a file's bytes in memory, which is what most of the
// page's runs are, and korvel-preview's reader on a text, giving the page
// the bytes of its arrays to draw. Neither closes standard output.
#include "korvel.hpp"
#include "headershape.hpp"
#include "preview.hpp"

#include <cstdlib>
#include <cstring>
#include <emscripten/emscripten.h>

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

// What `korvel <name>` prints and its exit status, for a file of that name
// holding the bytes.
extern "C" EMSCRIPTEN_KEEPALIVE int korvelconvert(const char *name, const uint8_t *data, size_t size)
{
    bool converted = convertswbmp(name, data, size, stdout);
    putchar('\n');
    fflush(stdout);
    return converted ? 0 : 1;
}

// The pictures of a text that korvel-preview draws, in korvel's layout
// without size bytes, each as its name (empty in an unnamed text) ended by
// a NUL, width and height as 32-bit little-endian numbers, whether it has a
// colour plane (one byte), then its rows and those of its colour plane.
// Returns the bytes, or null where korvel-preview refuses the text; the
// caller frees them. size receives their count.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t *korvelarrays(const char *textbytes, size_t length, size_t *size)
{
    static korveltext text;
    static uint8_t rows[bigbytes];
    FILE *in = fmemopen(const_cast<char *>(textbytes), length, "rb");
    unsigned bad = 0, badrow = 0;
    bool read = in != nullptr && readkorveltext(in, text, bad, badrow) == textok;
    if (in != nullptr)
        fclose(in);
    char *bytes = nullptr;
    FILE *out = read ? open_memstream(&bytes, size) : nullptr;
    if (out == nullptr)
        return nullptr;
    for (unsigned i = 0; i < text.count; i += text.planes ? 2 : 1) {
        const korvelarray &array = text.arrays[i];
        size_t namelength = text.planes ? strlen(array.name) - strlen(headerplanes[0]) : strlen(array.name);
        uint8_t fields[9] = {};
        for (int k = 0; k < 4; k++) {
            fields[k] = static_cast<uint8_t>(array.width >> 8 * k);
            fields[4 + k] = static_cast<uint8_t>(array.height >> 8 * k);
        }
        fields[8] = text.planes;
        fwrite(text.named ? array.name : "", 1, text.named ? namelength : 0, out);
        fputc('\0', out);
        fwrite(fields, 1, sizeof fields, out);
        for (unsigned plane = 0; plane < (text.planes ? 2u : 1u); plane++) {
            const korvelarray &each = text.arrays[i + plane];
            korvelrows(text, each, rows);
            fwrite(rows, 1, (each.width + 7) / 8 * size_t{each.height}, out);
        }
    }
    fclose(out);
    return reinterpret_cast<uint8_t *>(bytes);
}
