// SPDX-License-Identifier: MIT
// What korvel's programs need of the platform beyond ISO C: their
// arguments as UTF-8, files opened, renamed and removed by UTF-8 paths, and
// output written byte for byte, and what POSIX and Windows each call a
// terminal and a process number (korvel-header's further needs are in
// platformfiles.cpp). Everywhere but Windows the C library
// does the rest already. Last, the one step korvel and korvel-preview end with
// on every platform: closing standard output, where a failed write shows.

#include "platform.hpp"

#ifdef _WIN32

// Windows hands programs their arguments, and takes file names, as UTF-16;
// its narrow argv is in the ANSI code page, which cannot hold every name.
// korvel works in UTF-8 as on Linux, so that a message echoes a path as the
// same bytes. Standard output, error and input are switched to binary mode:
// lines end in LF, and a header regenerated on Windows shows no diff.

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

namespace {

// A command line holds at most 32767 UTF-16 units, each at most three
// UTF-8 bytes, and so at most 16384 arguments (each a character and a
// blank); their terminating zeros fit in the rest.
char argtext[3 * 32768 + 32768];
char *argpointers[32768 / 2 + 1];

// The console keeps its code page after the program ends; it is put back.
UINT consolecodepage;

void restoreconsole()
{
    SetConsoleOutputCP(consolecodepage);
}

}  // namespace

char **utf8args(int &argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    consolecodepage = GetConsoleOutputCP();
    if (consolecodepage != 0 && SetConsoleOutputCP(CP_UTF8))
        atexit(restoreconsole);

    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return argv;
    char *text = argtext;
    char *end = argtext + sizeof argtext;
    for (int i = 0; i < count; i++) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text,
                                         static_cast<int>(end - text), nullptr, nullptr);
        if (length == 0)
            return argv;
        argpointers[i] = text;
        text += length;
    }
    argpointers[count] = nullptr;
    argc = count;
    LocalFree(wide);
    return argpointers;
}

// A path as UTF-16, in one of two buffers, so that a rename has both; an
// empty string where the path is no UTF-8.
const wchar_t *widepath(const char *path, int which)
{
    static wchar_t wide[2][32768];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide[which], 32768) == 0)
        wide[which][0] = L'\0';
    return wide[which];
}

FILE *fopenread(const char *path)
{
    return _wfopen(widepath(path), L"rb");
}

// Windows' rename does not replace an existing file.
bool replacefile(const char *from, const char *to)
{
    if (MoveFileExW(widepath(from, 0), widepath(to, 1), MOVEFILE_REPLACE_EXISTING) != 0)
        return true;
    errno = EACCES;
    return false;
}

void removefile(const char *path)
{
    _wremove(widepath(path));
}

bool isterminal(FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

bool ispathseparator(char c)
{
    return c == '/' || c == '\\';
}

unsigned long processid()
{
    return GetCurrentProcessId();
}

#else

#include <unistd.h>

char **utf8args(int &, char **argv)
{
    return argv;
}

FILE *fopenread(const char *path)
{
    return fopen(path, "rb");
}

bool replacefile(const char *from, const char *to)
{
    return rename(from, to) == 0;
}

void removefile(const char *path)
{
    remove(path);
}

bool isterminal(FILE *stream)
{
    return isatty(fileno(stream)) != 0;
}

bool ispathseparator(char c)
{
    return c == '/';
}

unsigned long processid()
{
    return static_cast<unsigned long>(getpid());
}

#endif

// A full disk or a closed descriptor must not pass for a written header:
// stdio reports such failures only through the error indicator and close.
bool outputwritten()
{
    bool failed = ferror(stdout) != 0;
    failed |= fclose(stdout) != 0;
    if (failed)
        fputs("\n\nAusgabe konnte nicht geschrieben werden ... \n\n", stderr);
    return !failed;
}
