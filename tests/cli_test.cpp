// SPDX-License-Identifier: MIT
// Black-box tests of the built korvel: exact standard output, standard error
// and exit status.

#include "bmpwriter.hpp"
#include "korvel.hpp"
#include "messages.hpp"
#include "runkorvel.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

const std::string dir = scratchdir();

std::string fixture(const std::string &name, const std::string &content)
{
    std::string path = dir + "/" + name;
    writefile(path, content);
    return path;
}

// Every picture is given to korvel both ways users do: by its path, and
// through a pipe as /dev/stdin, which cannot be positioned; and as bytes in
// memory to the converter itself, as the page and the fuzz target give them.
// The way is the second parameter of the geometry and refusal tables.
enum class via { file, pipe, memory };

template <typename Case>
class EachWay : public testing::TestWithParam<std::tuple<Case, via>> {
  protected:
    void SetUp() override
    {
        if (std::get<via>(this->GetParam()) == via::pipe && windowsprogram(korvelbinary()))
            GTEST_SKIP() << "a Windows program cannot open /dev/stdin";
    }
};

template <typename Case>
std::string casename(const testing::TestParamInfo<std::tuple<Case, via>> &info)
{
    static const char *const ways[] = {"_file", "_pipe", "_memory"};
    return std::string(std::get<Case>(info.param).name) + ways[static_cast<int>(std::get<via>(info.param))];
}

struct conversion {
    std::string path;  // as korvel was given it
    korvelrun run;
};

conversion convert(const std::string &name, const std::string &content, via how)
{
    if (how == via::pipe)
        return {"/dev/stdin", runkorvel({"/dev/stdin"}, stdoutto::capture, &content)};
    if (how == via::memory) {
        // korvel's main ends its output with a line feed.
        FILE *out = tmpfile();
        bool converted = convertswbmp(name.c_str(), reinterpret_cast<const uint8_t *>(content.data()),
                                      content.size(), out);
        fputc('\n', out);
        std::string text(static_cast<size_t>(ftell(out)), '\0');
        rewind(out);
        text.resize(fread(&text[0], 1, text.size(), out));
        fclose(out);
        return {name, {text, "", converted ? 0 : 1}};
    }
    std::string path = fixture(name, content);
    return {path, runkorvel({path})};
}

TEST(Usage, AnyArgumentCountButOneShowsTheUsageScreen)
{
    std::string bitmap = fixture("usage.bmp", bmpfile({8, 1, speckle}));
    for (const auto &args : std::vector<std::vector<std::string>>{
             {}, {bitmap, bitmap}, {"a", "b", "c"}}) {
        korvelrun run = runkorvel(args);
        EXPECT_EQ(run.out, korvelusage) << args.size() << " arguments";
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 254);
    }
}

// Asked for with --help, korvel-header's usage screen is its answer: on
// standard output, with status 0.
TEST(Usage, KorvelHeaderHelpIsItsUsageScreen)
{
    korvelrun help = runheader({"--help"}), wrong = runheader({});
    EXPECT_EQ(help.out, wrong.err);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.status, 0);
}

TEST(NotFound, MissingOrUnreadablePathsAreReportedWithStatusOne)
{
    for (const std::string &path : {dir + "/missing.bmp", std::string("-h"), dir}) {
        korvelrun run = runkorvel({path});
        EXPECT_EQ(run.out, notfound(path) + "\n");
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 1);
    }
}

// korvel-header names what it does not know before its usage text, and
// writes no header.
std::string baddelays(const std::string &given)
{
    return "\n\nUngueltige Dauer in --delays " + given +
           " (erlaubt: 0 bis 65535 Millisekunden, durch Kommas getrennt) ... \n";
}

TEST(HeaderUsage, UnknownOptionsAndLayoutsAreNamed)
{
    std::string bitmap = fixture("header.bmp", bmpfile({8, 1, speckle}));
    std::string header = dir + "/usage.h";
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--layout", "vlsb", header, "h", bitmap}, "\n\nUnbekanntes Layout vlsb (erlaubt: korvel, xbm, pages) ... \n"},
        {{"--layout=", header, "h", bitmap}, "\n\nUnbekanntes Layout  (erlaubt: korvel, xbm, pages) ... \n"},
        {{"--progmen", header, "h", bitmap}, "\n\nUnbekannte Option --progmen ... \n"},
        {{"--layout"}, "\n\nOption --layout braucht einen Wert ... \n"},
        {{"--polarity", "grey", header, "h", bitmap}, "\n\nUnbekannte Polaritaet grey (erlaubt: black, white) ... \n"},
        {{"--rotate=45", header, "h", bitmap}, "\n\nUnbekannte Drehung 45 (erlaubt: 0, 90, 180, 270) ... \n"},
        {{"--shape", "round", header, "h", bitmap}, "\n\nUnbekannte Form round (erlaubt: sized, pixels-only) ... \n"},
        {{"--pixels", header, "h", bitmap}, "\n\nUnbekannte Option --pixels ... \n"},
        {{"--planes", header, "h", bitmap}, "\n\n--planes braucht zwei Bilder: die schwarze Ebene, dann die farbige ... \n"},
        {{"--planes", "--frames", header, "h", bitmap, bitmap}, "\n\n--planes und --frames gehen nicht zusammen ... \n"},
        {{header, "h", bitmap, bitmap}, "\n\nMehrere Bilder brauchen --frames ... \n"},
        {{header, "h"}, ""},
        {{"--delays", "40", header, "h", bitmap}, "\n\n--delays braucht --frames ... \n"},
        {{"--frames", "--delays", "40,1000", header, "h", bitmap}, "\n\n--delays nennt 2 Dauern fuer 1 Bilder ... \n"},
        {{"--frames", "--delays", "65536", header, "h", bitmap}, baddelays("65536")},
        {{"--frames", "--delays", "40,", header, "h", bitmap, bitmap}, baddelays("40,")},
        {{"--frames", "--delays", "-1", header, "h", bitmap}, baddelays("-1")},
        {{"--frames", "--delays", "40;50", header, "h", bitmap, bitmap}, baddelays("40;50")},
        // One dash is no option: here the header's path, and two pictures.
        {{"-frames", header, "h", bitmap}, "\n\nMehrere Bilder brauchen --frames ... \n"},
        {{header, "wifi-strong", bitmap}, notidentifier("wifi-strong")},
        {{header, "", bitmap}, notidentifier("")},
        {{header, "0x", bitmap}, notidentifier("0x")},
        {{header, "-x", bitmap}, notidentifier("-x")},
        {{header, "int", bitmap}, compilers("int")},
        {{header, "unix", bitmap}, compilers("unix")},
        {{header, "_Pragma", bitmap}, compilers("_Pragma")},
        {{header, "__x", bitmap}, compilers("__x")},
        {{header, "_Z", bitmap}, compilers("_Z")},
        {{header, std::string(201, 'n'), bitmap}, "\n\nName " + std::string(201, 'n') + " ist 201 Zeichen lang, erlaubt sind hoechstens 200 ... \n"},
        {[&] {
             std::vector<std::string> args{"--frames", header, "h"};
             args.resize(args.size() + 257, bitmap);
             return args;
         }(),
         "\n\n257 Bilder, korvel-preview zeigt hoechstens 256 je Header; bitte auf mehrere Header verteilen ... \n"},
    };
    for (const auto &c : cases) {
        korvelrun run = runheader(c.args);
        // The message, and nothing more, before the usage screen.
        EXPECT_EQ(run.err.substr(0, run.err.find("\n\nKORVEL-HEADER 0.01")), c.says) << c.args[0];
        EXPECT_NE(run.err.find("Syntax:   korvel-header [--progmem] [--frames [--delays ms,ms,...] | --planes]"),
                  std::string::npos) << c.args[0];
        EXPECT_EQ(run.status, 254) << c.args[0];
        EXPECT_EQ(readfile(header), "") << c.args[0];
    }
}

// The function offers the choices of the form that korvel-header lists,
// in the same order.
TEST(HeaderUsage, TheFunctionTakesTheChoicesKorvelHeaderLists)
{
    std::string usage = runheader({}).err, function = readfile(KORVEL_SOURCE_DIR "/cmake/korvelBitmaps.cmake");
    int found = 0;
    for (size_t at = usage.find("[--"); at != std::string::npos; at = usage.find("[--", at + 1)) {
        std::string listed = usage.substr(at + 3, usage.find(']', at) - at - 3);
        size_t blank = listed.find(' ');
        std::string name = listed.substr(0, blank), values = listed.substr(blank + 1);
        if (name == "frames" || name == "delays" || name == "shape" || blank == std::string::npos)
            continue;
        for (char &c : name)
            c = static_cast<char>(toupper(c));
        for (char &c : values)
            c = c == '|' ? ',' : c;
        std::string entry = " " + name + ":" + values;
        EXPECT_TRUE(function.find(entry + " ") != std::string::npos || function.find(entry + ")") != std::string::npos)
            << entry;
        found++;
    }
    EXPECT_EQ(found, 3);
}

// korvel-header writes over nothing but a header of its own and says why a
// write failed.
TEST(HeaderFiles, OnlyItsOwnHeaderIsWrittenOver)
{
    std::string bitmap = fixture("own.bmp", bmpfile({8, 1, speckle}));
    std::string users = fixture("users.h", "int x;\n");
    // korvel-header's own header, copied with CR LF line ends: no longer its.
    std::string crlf = dir + "/crlf.h";
    runheader({crlf, "v", bitmap});
    std::string text = readfile(crlf);
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, "\r");
    writefile(crlf, text);
    std::string folder = dir + "/folder";
    std::filesystem::create_directory(folder);
    const std::string notours = " ist keine Headerdatei von korvel-header und bleibt, wie sie ist";
    struct headercase {
        std::string header, says;
    };
    std::vector<headercase> cases = {
        {bitmap, message("Headerdatei " + bitmap + notours)},
        {users, message("Headerdatei " + users + notours)},
        {crlf, message("Headerdatei " + crlf + notours)},
        {folder, message("Headerdatei " + folder + notours)},
        {dir + "/fehlt/x.h",
         message("Headerdatei " + dir + "/fehlt/x.h konnte nicht geschrieben werden (No such file or directory)")},
    };
    // A header that cannot be read (a permission, here a file as its
    // folder, as tests run as root) is said with the system's reason.
    if (!windowsprogram(headerbinary()))
        cases.push_back({users + "/x.h", message("Headerdatei " + users + "/x.h konnte nicht gelesen werden (Not a directory)")});
    // A header its file system will not let go: immutable, where root can
    // make it so.
    std::string fixed = dir + "/fixed.h";
    runheader({fixed, "u", bitmap});
    bool immutable = !windowsprogram(headerbinary()) && std::system(("chattr +i " + fixed + " 2>/dev/null").c_str()) == 0;
    if (immutable)
        cases.push_back({fixed, message("Headerdatei " + fixed + " konnte nicht geschrieben werden (Operation not permitted)")});
    for (const auto &c : cases) {
        korvelrun run = runheader({c.header, "v", bitmap});
        EXPECT_EQ(run.err, c.says);
        EXPECT_EQ(run.status, 1);
    }
    EXPECT_TRUE(!immutable || std::system(("chattr -i " + fixed).c_str()) == 0);
    EXPECT_EQ(readfile(bitmap), bmpfile({8, 1, speckle}));
    EXPECT_EQ(readfile(users), "int x;\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::directory_iterator(dir + "/folder"), std::filesystem::directory_iterator());
}

// Pictures past korvel's 255 pixels a side are pixels-only arrays, up to
// 8192, and frames of them share one size, as the two planes of a picture
// always do; anything else is refused with its reason, and no header is
// left.
TEST(HeaderSizes, WholeScreensArePixelsOnly)
{
    std::string panel = fixture("panel.bmp", bmpfile({296, 128, speckle}));
    std::string small = fixture("small.bmp", bmpfile({9, 3, speckle}));
    std::string huge = fixture("huge.bmp", bmpfile({8193, 1, speckle}));
    std::string wider = fixture("wider.bmp", bmpfile({10, 3, speckle}));
    std::string widest = fixture("widest.bmp", bmpfile({8192, 2, speckle}));
    std::string header = dir + "/sizes.h";
    const std::string only = ", mit --pixels-only bis 8192";
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{header, "p", panel}, message("Datei " + panel + ": Bildgroesse 296 x 128 wird nicht unterstuetzt"
                                       " (erlaubt: 1 bis 255 Pixel" + only + ")")},
        {{"--pixels-only", header, "p", huge},
         message("Datei " + huge + ": Bildgroesse 8193 x 1 wird nicht unterstuetzt (erlaubt: 1 bis 8192 Pixel)")},
        {{"--pixels-only", "--frames", header, "p", panel, small},
         message("Datei " + small + ": Bildgroesse 9 x 3, das erste Bild " + panel + " hat 296 x 128; mit"
                 " --pixels-only haben alle Bilder eine Groesse")},
        {{"--planes", header, "p", small, wider},
         message("Datei " + wider + ": Bildgroesse 10 x 3, die schwarze Ebene " + small + " hat 9 x 3; beide"
                 " Ebenen eines Bildes haben eine Groesse")},
        {{"--pixels-only", "--rotate", "180", header, "p", widest}, ""},
        {{"--pixels-only", "--rotate", "90", header, "p", panel}, ""},
    };
    for (const auto &c : cases) {
        std::filesystem::remove(header);
        korvelrun run = runheader(c.args);
        EXPECT_EQ(run.err, c.says) << c.args[0];
        EXPECT_EQ(run.status, c.says.empty() ? 0 : 1) << c.args[0];
        EXPECT_EQ(std::filesystem::exists(header), c.says.empty()) << c.args[0];
    }
    EXPECT_EQ(runpreview({header}).out, expectedpreview(turned({296, 128, speckle}, 90)));
}

// Any name the file system takes, and a header that would not change keeps
// its time: a whole screen's, over 64 KB, is compared block by block. The
// array's name has the first and last of each kind of character.
TEST(HeaderFiles, LongNamesAndUnchangedHeaders)
{
    std::string bitmap = fixture("same.bmp", bmpfile({800, 480, speckle}));
    std::string header = dir + "/" + std::string(250, 'h') + ".h";
    korvelrun run = runheader({"--pixels-only", header, "azAZ_09", bitmap});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(header, old);
    EXPECT_EQ(runheader({"--pixels-only", header, "azAZ_09", bitmap}).status, 0);
    EXPECT_EQ(std::filesystem::last_write_time(header), old);
    EXPECT_EQ(runheader({"--pixels-only", "--layout", "xbm", header, "azAZ_09", bitmap}).status, 0);
    EXPECT_NE(std::filesystem::last_write_time(header), old);
}

// A header and a picture named without a folder are in the current one,
// as users type them.
TEST(HeaderFiles, NamesWithoutAFolderAreInTheCurrentOne)
{
    std::string bitmap = fixture("bare.bmp", bmpfile({8, 1, speckle}));
    EXPECT_EQ(runheader({dir + "/full.h", "bare", bitmap}).status, 0);
    auto back = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    korvelrun run = runheader({"bare.h", "bare", "bare.bmp"});
    std::filesystem::current_path(back);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readfile(dir + "/bare.h"), readfile(dir + "/full.h"));
}

// Headers of one name that hold different things have guards of their
// own, so that including two of them fails loudly instead of dropping one;
// every form keeps korvel's lines (a row a line, a page a line), and the
// delays are a line each.
TEST(HeaderFiles, EachKindAndFormHasItsGuardAndLines)
{
    std::string bitmap = fixture("guard.bmp", bmpfile({9, 3, speckle})), header = dir + "/guard.h";
    const std::string array = "static const unsigned char bmppic [] = {\n  0x09, 0x03,\n";
    const struct {
        std::vector<std::string> options;
        int pictures;
        std::string guard, holds;
    } cases[] = {
        {{}, 1, "KORVEL_bilder_H", ""},
        {{"--frames", "--delays", "0,65535"}, 2, "KORVEL_bilder_FRAMES_H",
         "static const unsigned char *const bilder[] = {\n    bilder_0,\n    bilder_1\n};\n"
         "static const unsigned int bilder_delays[] = {\n    0,\n    65535\n};\n#endif\n"},
        {{"--planes"}, 2, "KORVEL_bilder_PLANES_H", ""},
        {{"--layout", "xbm"}, 1, "KORVEL_bilder_XBM_H",
         array + "  0x4A, 0x01, \n  0xB5, 0x00, \n  0xB5, 0x00 };\n\n  \n\n#undef bmppic\n#endif\n"},
        {{"--layout", "pages"}, 1, "KORVEL_bilder_PAGES_H",
         array + "  0x06, 0x01, 0x06, 0x01, 0x06, 0x06, 0x01, 0x06, 0x01 };\n\n  \n\n#undef bmppic\n#endif\n"},
        {{"--pixels-only", "--polarity", "white", "--rotate", "270", "--frames"}, 1,
         "KORVEL_bilder_WHITE_PIXELS_ONLY_R270_FRAMES_H", ""},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {header, "bilder"});
        args.resize(args.size() + c.pictures, bitmap);
        EXPECT_EQ(runheader(args).status, 0) << c.guard;
        std::string text = readfile(header);
        EXPECT_NE(text.find("#ifndef " + c.guard + "\n#define " + c.guard + "\n"), std::string::npos) << c.guard;
        EXPECT_NE(text.find(c.holds), std::string::npos) << c.guard << "\n" << text;
    }
}

#ifndef _WIN32
// No temporary file outlives its run: a dead run's goes, a link planted
// as one is removed and not followed, and a run ended by a signal takes
// its own along; a FIFO as the header is refused, not opened.
TEST(HeaderFiles, NoTemporaryFileOutlivesItsRun)
{
    std::string bitmap = fixture("temp.bmp", bmpfile({8, 1, speckle})), folder = dir + "/temporary";
    std::string target = fixture("target.txt", "keep\n");
    std::filesystem::create_directory(folder);
    // wine removes a link's target with the link, as Windows has none.
    bool windows = windowsprogram(headerbinary());
    if (!windows)
        std::filesystem::create_symlink(target, folder + "/.korvel-header-2147483646.tmp");
    writefile(folder + "/.korvel-header-2147483645.tmp", "stale");
    writefile(folder + "/.korvel-header-1x.tmp", "not korvel-header's");
    ASSERT_EQ(mkfifo((folder + "/fifo.h").c_str(), 0600), 0);
    EXPECT_EQ(runheader({folder + "/fifo.h", "f", bitmap}).status, 1);
    EXPECT_EQ(runheader({folder + "/a.h", "a", bitmap}).status, 0);
    std::vector<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".korvel-header-1x.tmp", "a.h", "fifo.h"}));
    EXPECT_EQ(readfile(target), "keep\n");

    // Waiting for its picture from a FIFO nobody writes, with its
    // temporary file made, the run is terminated (a POSIX signal).
    if (windows)
        return;
    // A run whose number is known, as it is in its temporary file's name;
    // a killed run's file with that name is there first, if asked for.
    auto start = [&](const std::string &picture, bool killedrun) {
        pid_t pid = fork();
        if (pid == 0) {
            std::string command = "exec " + emulator() + " \"$0\" \"$@\"";
            if (killedrun)
                writefile(folder + "/.korvel-header-" + std::to_string(getpid()) + ".tmp", "killed run's");
            execl("/bin/sh", "sh", "-c", command.c_str(), headerbinary().c_str(), (folder + "/b.h").c_str(), "b",
                  picture.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        return pid;
    };
    pid_t pid = start(folder + "/fifo.h", false);
    std::string temporary = folder + "/.korvel-header-" + std::to_string(pid) + ".tmp";
    for (int k = 0; k < 1000 && !std::filesystem::exists(temporary); k++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(temporary));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_FALSE(std::filesystem::exists(temporary));

    // Its number is this run's now: the killed run's file is its own to
    // replace.
    pid = start(bitmap, true);
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(runpreview({folder + "/b.h"}).out, expectedpreview({8, 1, speckle}));
    EXPECT_FALSE(std::filesystem::exists(folder + "/.korvel-header-" + std::to_string(pid) + ".tmp"));
}
#endif

// Two runs for one header at once each write a file of their own: both
// succeed, and the header is one of them, whole.
TEST(HeaderFiles, RunsAtOnceLeaveOneWholeHeader)
{
    if (windowsprogram(headerbinary()))
        GTEST_SKIP() << "wine starts too slowly for runs at once";
    std::string bitmap = fixture("once.bmp", bmpfile({33, 9, speckle}));
    std::string header = dir + "/once.h", korvelh = dir + "/korvel.h", xbm = dir + "/xbm.h";
    runheader({korvelh, "v", bitmap});
    runheader({"--layout", "xbm", xbm, "v", bitmap});
    std::string program = emulator() + " " + headerbinary();
    std::string both = program + " " + header + " v " + bitmap + " & one=$!; " + program +
                       " --layout xbm " + header + " v " + bitmap + " & two=$!; wait $one && wait $two";
    for (int i = 0; i < 20; i++) {
        std::filesystem::remove(header);
        EXPECT_EQ(std::system(("sh -c '" + both + "'").c_str()), 0) << i;
        std::string text = readfile(header);
        EXPECT_TRUE(text == readfile(korvelh) || text == readfile(xbm)) << i;
    }
}

// Names outside ASCII open, and messages echo them as the same bytes, on
// Windows as on Linux.
TEST(Paths, NamesOutsideAsciiOpenAndAreEchoedAsGiven)
{
    picture pic{8, 1, speckle};
    for (const std::string name : {"Übersicht.bmp", "логотип.bmp"}) {
        korvelrun run = runkorvel({fixture(name, bmpfile(pic))});
        EXPECT_EQ(run.out, expectedoutput(pic)) << name;
        EXPECT_EQ(run.status, 0);
        std::string missing = dir + "/fehlt-" + name;
        EXPECT_EQ(runkorvel({missing}).out, notfound(missing) + "\n");
    }
}

// Exact output: the documented examples, literally.
TEST(Output, DocumentedExamples)
{
    korvelrun run = runkorvel({fixture("10x2.bmp", rawbmp(10, 2, std::string("\xFF\xC0\0\0\x0F\x3F\0\0", 8)))});
    EXPECT_EQ(run.out,
              "static const unsigned char bmppic [] = {\n"
              "  0x0A, 0x02,\n"
              "  0xF0, 0xC0, \n"
              "  0x00, 0x00 };\n"
              "\n"
              "  \n");
    EXPECT_EQ(run.status, 0);

    run = runkorvel({fixture("8x1.bmp", rawbmp(8, 1, std::string("\x81\0\0\0", 4)))});
    EXPECT_EQ(run.out,
              "static const unsigned char bmppic [] = {\n"
              "  0x08, 0x01,\n"
              "  0x7E };\n"
              "\n"
              "  \n");
    EXPECT_EQ(run.status, 0);
}

struct geometrycase {
    const char *name;
    uint32_t width, height;
    bmplayout layout;
};

void PrintTo(const geometrycase &c, std::ostream *os)
{
    *os << c.name;
}

class Geometry : public EachWay<geometrycase> {};

// The forms korvel-header writes every geometry case in: each layout, and
// each other choice at least once, with the others; korvel-preview reads
// the first four back (its own tests read every form).
const formcase forms[] = {
    {"korvel", false, false, 0}, {"xbm", false, false, 0},  {"pages", false, false, 0},
    {"korvel", true, true, 90},  {"xbm", true, false, 180}, {"pages", true, true, 270},
    {"pages", false, true, 90},  {"korvel", false, true, 270},
};

std::string describe(const formcase &form)
{
    std::string options;
    for (const std::string &option : formoptions(form))
        options += option + " ";
    return options;
}

// What korvel writes from a file is also drawn by korvel-preview; and
// korvel-header's array of it in every form, read by that form's rule,
// holds the same pixels and is drawn alike, as turned.
TEST_P(Geometry, OutputMatchesThePixels)
{
    auto [c, how] = GetParam();
    for (inkfn ink : {inkfn(speckle), inkfn([&](uint32_t x, uint32_t y) {
                          return frame(c.width, c.height, x, y);
                      })}) {
        picture pic{c.width, c.height, ink};
        conversion given = convert(std::string(c.name) + ".bmp", bmpfile(pic, c.layout), how);
        const korvelrun &run = given.run;
        EXPECT_EQ(run.out, expectedoutput(pic));
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 0);
        if (how != via::file)
            continue;
        korvelrun preview = runpreview({}, &run.out);
        EXPECT_EQ(preview.out, expectedpreview(pic)) << "korvel | korvel-preview";
        EXPECT_EQ(preview.status, 0) << preview.err;
        // The speckle has a pixel in every bit of every byte; the frame adds
        // no layout case.
        if (ink.target<bool (*)(uint32_t, uint32_t)>() == nullptr)
            continue;
        // Emulated, the first four: CI compares every build's forms with
        // the native one's byte for byte.
        bool emulated = !emulator().empty() || windowsprogram(headerbinary());
        for (const formcase &form : forms) {
            if (emulated && &form - forms >= 4)
                break;
            std::vector<std::string> args = formoptions(form);
            std::string header = given.path + "." + std::to_string(&form - forms) + ".h";
            args.insert(args.end(), {header, "pic", given.path});
            korvelrun made = runheader(args);
            EXPECT_EQ(made.err, c.layout.paletteinverted ? lighterfirst(given.path) : "") << describe(form);
            EXPECT_EQ(made.status, 0) << describe(form);
            EXPECT_EQ(formdiffers(form, readfile(header), pic), "") << describe(form);
            if (&form - forms < 4) {
                EXPECT_EQ(runpreview({header}).out, expectedpreview(turned(pic, form.rotate))) << describe(form);
            }
        }
    }
}

const auto everyway = testing::Values(via::file, via::pipe, via::memory);

INSTANTIATE_TEST_SUITE_P(
    Widths, Geometry,
    testing::Combine(
        testing::Values(geometrycase{"w1", 1, 3, {}}, geometrycase{"w7", 7, 3, {}},
                        geometrycase{"w8", 8, 3, {}}, geometrycase{"w9", 9, 3, {}},
                        geometrycase{"w31", 31, 3, {}}, geometrycase{"w32", 32, 3, {}},
                        geometrycase{"w33", 33, 3, {}}, geometrycase{"w128h64", 128, 64, {}},
                        geometrycase{"w255", 255, 2, {}}, geometrycase{"h255", 3, 255, {}},
                        geometrycase{"largest", 255, 255, {}}, geometrycase{"one", 1, 1, {}}),
        everyway),
    casename<geometrycase>);

INSTANTIATE_TEST_SUITE_P(
    Layouts, Geometry,
    testing::Combine(
        testing::Values(
            geometrycase{"topdown", 13, 5, bmplayout().topdown()},
            geometrycase{"topdown255", 255, 255, bmplayout().topdown()},
            geometrycase{"os2v1", 13, 5, bmplayout().header(12)},
            geometrycase{"os2v2", 13, 5, bmplayout().header(16)},
            // Its palette starts where larger headers keep the compression.
            geometrycase{"os2v2whitefirst", 13, 5, bmplayout().header(16).whitefirst()},
            geometrycase{"v2", 13, 5, bmplayout().header(52)},
            geometrycase{"v3", 13, 5, bmplayout().header(56)},
            geometrycase{"os2v2long", 13, 5, bmplayout().header(64)},
            geometrycase{"v4", 13, 5, bmplayout().header(108)},
            geometrycase{"v5topdown", 13, 5, bmplayout().header(124).topdown()},
            geometrycase{"whitefirst", 13, 5, bmplayout().whitefirst()},
            geometrycase{"junkones", 13, 5, bmplayout().junk(0xFF)},
            geometrycase{"junkmixed", 33, 5, bmplayout().junk(0x5A)},
            geometrycase{"gap", 13, 5, bmplayout().gap(1000)},
            // The pixels start at the first offset outside the headers.
            geometrycase{"nopalette", 13, 5, bmplayout().nopalette()},
            geometrycase{"os2nopalette", 13, 5, bmplayout().header(12).nopalette()}),
        everyway),
    casename<geometrycase>);

// Refusals: a valid 10 x 2 picture, spoilt in one place.
struct refusalcase {
    const char *name;
    std::function<void(std::string &)> spoil;
    std::function<std::string(const std::string &)> message;
};

void PrintTo(const refusalcase &c, std::ostream *os)
{
    *os << c.name;
}

class Refusal : public EachWay<refusalcase> {};

TEST_P(Refusal, PrintsOnlyItsMessage)
{
    auto [c, how] = GetParam();
    std::string file = bmpfile({10, 2, speckle});
    c.spoil(file);
    conversion given = convert(std::string(c.name) + ".bmp", file, how);
    EXPECT_EQ(given.run.out, c.message(given.path) + "\n");
    EXPECT_EQ(given.run.err, "");
    EXPECT_EQ(given.run.status, 1);
}

auto cut(size_t length)
{
    return [=](std::string &file) { file.resize(length); };
}

auto at32(size_t offset, uint32_t value)
{
    return [=](std::string &file) { put32(file, offset, value); };
}

auto at16(size_t offset, uint16_t value)
{
    return [=](std::string &file) { put16(file, offset, value); };
}

auto sized(long long width, long long rows)
{
    return [=](const std::string &path) { return badsize(path, width, rows); };
}

// An OS/2 1.x header, for the checks that read 16-bit fields.
void os2(std::string &file)
{
    file = bmpfile({10, 2, speckle}, bmplayout().header(12));
}

INSTANTIATE_TEST_SUITE_P(
    Checks, Refusal,
    testing::Combine(testing::Values(
        refusalcase{"empty", cut(0), notswbmp}, refusalcase{"onebyte", cut(1), notswbmp},
        refusalcase{"png", at32(0, 0x474E5089), notswbmp},
        refusalcase{"bitmaparray", at16(0, 'B' | 'A' << 8), notswbmp},
        refusalcase{"inoffset", cut(12), incomplete},
        refusalcase{"inheadersize", cut(17), incomplete},
        refusalcase{"headersize66", at32(14, 66), notswbmp},
        refusalcase{"headersize0", at32(14, 0), notswbmp},
        refusalcase{"inwidth", cut(20), incomplete}, refusalcase{"inbitcount", cut(29), incomplete},
        refusalcase{"incompression", cut(33), incomplete},
        refusalcase{"os2inbitcount", [](std::string &f) { os2(f), f.resize(25); }, incomplete},
        refusalcase{"bitcount4", at16(28, 4), notswbmp},
        refusalcase{"bitcount24", at16(28, 24), notswbmp},
        refusalcase{"os2bitcount8", [](std::string &f) { os2(f), put16(f, 24, 8); }, notswbmp},
        refusalcase{"rle", at32(30, 1), notswbmp}, refusalcase{"bitfields", at32(30, 3), notswbmp},
        refusalcase{"compressiontopbyte", at32(30, 0x01000000), notswbmp},
        refusalcase{"width0", at32(18, 0), sized(0, 2)},
        refusalcase{"width256", at32(18, 256), sized(256, 2)},
        refusalcase{"widthnegative", at32(18, -127), sized(-127, 2)},
        // More pixel data than korvel's buffer holds, all of it in the file.
        refusalcase{"largerthanbuffer", [](std::string &f) { f = bmpfile({1100, 255, speckle}); },
                    sized(1100, 255)},
        refusalcase{"height0", at32(22, 0), sized(10, 0)},
        refusalcase{"height256", at32(22, 256), sized(10, 256)},
        refusalcase{"topdown300", at32(22, -300), sized(10, 300)},
        refusalcase{"heightmin", at32(22, 0x80000000u), sized(10, 2147483648LL)},
        refusalcase{"os2width65535", [](std::string &f) { os2(f), put16(f, 18, 65535); },
                    sized(65535, 2)},
        refusalcase{"offset0", at32(10, 0), notswbmp},
        refusalcase{"offsetinheader", at32(10, 14 + 40 - 1), notswbmp},
        refusalcase{"offsetpastend", at32(10, 0xFFFFFFF0u), incomplete},
        refusalcase{"offset2g", at32(10, 0x80000000u), incomplete},
        refusalcase{"inpixels", [](std::string &f) { f.pop_back(); }, incomplete}),
        everyway),
    casename<refusalcase>);

// A full disk or a closed descriptor must never pass for a written header,
// nor for a shown picture.
TEST(WriteFailure, IsReportedOnStandardErrorWithStatusOne)
{
    picture pic{255, 255, speckle};
    std::string bitmap = fixture("write.bmp", bmpfile(pic));
    std::string header = fixture("write.h", expectedoutput(pic));
    std::string korvel = korvelbinary(), preview = previewbinary();
    struct {
        const std::string &program;
        std::vector<std::string> args;
        stdoutto where;
        int status;
    } cases[] = {
        {korvel, {bitmap}, stdoutto::devfull, 1},
        {korvel, {bitmap}, stdoutto::closed, 1},
        {korvel, {bitmap}, stdoutto::hungup, 1},
        {korvel, {dir + "/missing.bmp"}, stdoutto::devfull, 1},
        {korvel, {}, stdoutto::devfull, 254},
        {preview, {header}, stdoutto::devfull, 1},
        {preview, {header}, stdoutto::closed, 1},
        {preview, {header}, stdoutto::hungup, 1},
        {preview, {header, header}, stdoutto::devfull, 254},
    };
    for (const auto &c : cases) {
        korvelrun run = runprogram(c.program, c.args, c.where);
        EXPECT_EQ(run.err, writefailed) << c.program;
        EXPECT_EQ(run.status, c.status) << c.program;
    }
}

}  // namespace
