// SPDX-License-Identifier: MIT
// What korvel-header needs of the platform beyond what platform.cpp gives
// every program: files created anew, the kind of a path, a folder's
// entries, whether a process runs, and a file removed by a signal. Apart
// from platform.cpp, so that korvel, which needs none of it, neither links
// it nor resolves its calls into the C library when it starts.

// A 32-bit program lists a folder of a file system with 64-bit inode
// numbers only with 64-bit file offsets: else readdir fails (EOVERFLOW).
#ifndef _WIN32
#define _FILE_OFFSET_BITS 64
#endif

#include "platform.hpp"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32

#include <cstring>
#include <cwchar>
#include <io.h>
#include <windows.h>

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

// The path is turned into UTF-16 at once: the handler only removes.
wchar_t doomed[32768];
const int endings[] = {SIGINT, SIGTERM, SIGBREAK};

void keepdoomed(const char *path)
{
    wcscpy(doomed, widepath(path));
}

void removedoomed()
{
    _wremove(doomed);
}

}  // namespace

#else

#include <dirent.h>
#include <unistd.h>

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
const int endings[] = {SIGINT, SIGTERM, SIGHUP};

void keepdoomed(const char *path)
{
    doomed = path;
}

// unlink, like signal and raise, is safe in a signal handler.
void removedoomed()
{
    unlink(doomed);
}

}  // namespace

#endif

namespace {

void removeandend(int signal)
{
    removedoomed();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void removeonsignals(const char *path)
{
    keepdoomed(path);
    for (int signal : endings)
        std::signal(signal, removeandend);
}
