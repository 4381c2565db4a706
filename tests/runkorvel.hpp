// SPDX-License-Identifier: MIT
// Runs the built korvel as a user would and collects what it printed.
#ifndef KORVEL_RUNKORVEL_HPP
#define KORVEL_RUNKORVEL_HPP

#include <string>
#include <vector>

struct korvelrun {
    std::string out;
    std::string err;
    int status;  // exit status as the shell sees it; 128 + signal after a crash
};

// Where korvel's standard output goes: a file that is read back, or one of
// the ways writing fails. A hung-up terminal fails every write, but stdout
// is line-buffered there, so nothing is left for fclose to fail on.
enum class stdoutto { capture, devfull, closed, hungup };

// The binaries under test: $KORVEL, $KORVEL_PREVIEW and $KORVEL_HEADER,
// else the ones this build made.
std::string korvelbinary();
std::string previewbinary();
std::string headerbinary();

// How the build machine runs them: $KORVEL_EMULATOR, or empty.
std::string emulator();

// A Windows program, run under wine: it cannot read /dev/stdin, and wine
// stands between it and the descriptors it was given.
bool windowsprogram(const std::string &program);

// With input, the program's standard input is a pipe that carries it.
korvelrun runprogram(const std::string &binary, const std::vector<std::string> &args,
                     stdoutto where = stdoutto::capture, const std::string *input = nullptr);
korvelrun runkorvel(const std::vector<std::string> &args, stdoutto where = stdoutto::capture,
                    const std::string *input = nullptr);
korvelrun runpreview(const std::vector<std::string> &args, const std::string *input = nullptr);
korvelrun runheader(const std::vector<std::string> &args);

// With a terminal as standard input, where nobody types.
korvelrun runfromterminal(const std::string &binary, const std::vector<std::string> &args);

// A fresh directory for the calling test's files, removed at exit.
std::string scratchdir();
void writefile(const std::string &path, const std::string &content);
std::string readfile(const std::string &path);

#endif
