// SPDX-License-Identifier: MIT
// What korvel's programs need of the platform beyond ISO C: their
// arguments as UTF-8, files opened, created anew, renamed and removed by
// UTF-8 paths, and output written byte for byte, and what POSIX and
// Windows each call a terminal, a kind of file, a folder's entries, a
// process and a signal. Everywhere but Windows the C library
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
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <cwchar>
#include <sys/stat.h>
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

namespace {

// A path as UTF-16, in one of two buffers, so that a rename has both; an
// empty string where the path is no UTF-8.
const wchar_t *widepath(const char *path, int which = 0)
{
    static wchar_t wide[2][32768];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide[which], 32768) == 0)
        wide[which][0] = L'\0';
    return wide[which];
}

}  // namespace

FILE *fopenread(const char *path)
{
    return _wfopen(widepath(path), L"rb");
}

FILE *fopennew(const char *path)
{
    int fd = _wopen(widepath(path), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    FILE *file = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (fd >= 0 && file == nullptr)
        _close(fd);
    return file;
}

pathkind kindof(const char *path)
{
    struct _stat64 status;
    if (_wstat64(widepath(path), &status) != 0)
        return errno == ENOENT ? pathnothing : pathfile;
    return (status.st_mode & _S_IFMT) == _S_IFREG ? pathfile : pathother;
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

bool processruns(unsigned long id)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool runs = GetExitCodeProcess(process, &code) == 0 || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

void eachentry(const char *folder, void (*visit)(const char *name))
{
    static char pattern[32768 + 8], name[3 * MAX_PATH + 1];
    snprintf(pattern, sizeof pattern, "%s*", folder);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(widepath(pattern), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        bool plain = (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        if (plain && WideCharToMultiByte(CP_UTF8, 0, entry.cFileName, -1, name, sizeof name, nullptr, nullptr) != 0)
            visit(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

namespace {

wchar_t doomed[32768];

void removeandend(int signal)
{
    _wremove(doomed);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void removeonsignals(const char *path)
{
    wcscpy(doomed, widepath(path));
    const int endings[] = {SIGINT, SIGTERM, SIGBREAK};
    for (int signal : endings)
        std::signal(signal, removeandend);
}

#else

#include <csignal>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

char **utf8args(int &, char **argv)
{
    return argv;
}

FILE *fopenread(const char *path)
{
    return fopen(path, "rb");
}

FILE *fopennew(const char *path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    FILE *file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (fd >= 0 && file == nullptr)
        close(fd);
    return file;
}

pathkind kindof(const char *path)
{
    struct stat status;
    if (stat(path, &status) != 0)
        return errno == ENOENT ? pathnothing : pathfile;
    return S_ISREG(status.st_mode) ? pathfile : pathother;
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

bool processruns(unsigned long id)
{
    pid_t pid = static_cast<pid_t>(id);
    return pid <= 0 || static_cast<unsigned long>(pid) != id || kill(pid, 0) == 0 || errno != ESRCH;
}

void eachentry(const char *folder, void (*visit)(const char *name))
{
    DIR *entries = opendir(*folder == '\0' ? "." : folder);
    if (entries == nullptr)
        return;
    while (const dirent *entry = readdir(entries))
        visit(entry->d_name);
    closedir(entries);
}

namespace {

const char *doomed;

// unlink, signal and raise are safe in a signal handler.
void removeandend(int signal)
{
    unlink(doomed);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void removeonsignals(const char *path)
{
    doomed = path;
    const int endings[] = {SIGINT, SIGTERM, SIGHUP};
    for (int signal : endings)
        std::signal(signal, removeandend);
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
