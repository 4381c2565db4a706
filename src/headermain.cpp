// SPDX-License-Identifier: MIT
// korvel-header: writes korvel's arrays as one named header, for
// korvel_add_bitmaps() at build time and for any other build, with korvel's
// own converter, so that it holds korvel's bytes exactly:
//
//   korvel-header [--progmem] [--frames [--delays MS,MS,...] | --planes]
//                 [--layout korvel|xbm|pages]
//                 [--polarity black|white] [--rotate 0|90|180|270] [--pixels-only]
//                 HEADER NAME PICTURE...
//
// korvel names every array bmppic; "#define bmppic NAME" before each of
// korvel's texts and "#undef bmppic" after it give the array its name.
// --frames names the arrays NAME_0, NAME_1, ... in the order given and adds
// a table NAME[] of them; --planes names two pictures of one size, the
// black and the colour plane of a three-colour panel, NAME_black and
// NAME_colour; --delays adds a table NAME_delays[] of each
// frame's time in milliseconds, 0 to 65535, as an unsigned int holds them
// on every target; --progmem places arrays and tables in flash on AVR.
// --layout, --polarity, --rotate and --pixels-only (--shape pixels-only)
// choose the arrays' form (form.hpp), made from korvel's bytes; korvel's
// own, the default, is korvel's text as it is. Pixels-only arrays have no
// size bytes and take pictures up to 8192 pixels a side; their size is
// written as NAME_width and NAME_height before them, one size for all
// frames. headershape.hpp describes the header.
//
// The header is written whole or not at all: into a temporary file of the
// run's own beside it, renamed when complete; a header whose bytes would
// not change is left as it is. A refused picture's message goes to
// standard error as korvel words it, and no header is left, so that no
// later build takes an old one. korvel-header writes over nothing but a
// header it wrote.
//
// Exit status: 0 when the header is written, 1 when a picture is refused or
// the header cannot be written, -2 (254 to the shell) after the usage text,
// which follows the message for an unknown option or layout.

#include "headershape.hpp"
#include "bmppic.hpp"
#include "korvel.hpp"
#include "form.hpp"
#include "names.hpp"
#include "platform.hpp"
#include "preview.hpp"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct headerjob {
    bool progmem = false;
    bool frames = false;
    bool planes = false;
    arrayform form = {};
    const char *delays = nullptr;  // as given, checked
    const char *header = nullptr;
    const char *name = nullptr;
    char **pictures = nullptr;
    int count = 0;
};

bool readargs(int argc, char **argv, headerjob &job);
bool readoption(int argc, char **argv, int &i, headerjob &job);
bool readchoice(formchoice which, const char *value, headerjob &job);
bool checkname(const char *name);
bool checkdelays(const headerjob &job);
bool writeheader(FILE *out, const headerjob &job);
void makeguard(const headerjob &job, char *guard, size_t size);
bool readpicture(const char *picture, const headerjob &job, bmppixels &image);
bool samesize(const char *picture, const bmppixels &image, const uint32_t first[2], const headerjob &job);
void writearray(FILE *out, const bmppixels &image, const arrayform &form);
void usage(FILE *out);

bool ownheader(const char *path);
bool maketemporary(const char *header);
void removestale();
void removeifstale(const char *name);
FILE *createtemporary();
bool sameheader(const char *a, const char *b);
void writefailed(const char *header, int reason);

// The run's own temporary file: beside the header, so that the rename
// stays within one file system, named after the process, so that two runs
// for one header never share it, and short, so that any header name the
// file system takes works. Its folder is the first temporaryfolder bytes.
char temporary[4096 + 64];
size_t temporaryfolder;
const char temporaryname[] = ".korvel-header-%lu.tmp";

}  // namespace

int main(int argc, char **argv)
{
    argv = utf8args(argc, argv);
    headerjob job;
    // Asked for, the usage screen is the answer, on standard output.
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        usage(stdout);
        return outputwritten() ? 0 : 1;
    }
    if (!readargs(argc, argv, job)) {
        usage(stderr);
        return -2;
    }
    if (!ownheader(job.header))
        return 1;
    if (!maketemporary(job.header)) {
        fprintf(stderr, "\n\nHeaderdatei %s: Pfad zu lang ... \n\n", job.header);
        return 1;
    }
    removestale();
    FILE *out = createtemporary();
    int reason = out == nullptr ? errno : 0;
    bool converted = true;
    if (out != nullptr) {
        converted = writeheader(out, job);
        // A write that failed earlier fails again here, with its reason.
        errno = 0;
        if ((fflush(out) != 0 || ferror(out)) && reason == 0)
            reason = errno != 0 ? errno : EIO;
        if (fclose(out) != 0 && reason == 0)
            reason = errno != 0 ? errno : EIO;
    }
    if (converted && reason == 0) {
        // An unchanged header keeps its time, and what includes it is not
        // compiled again.
        if (sameheader(temporary, job.header)) {
            removefile(temporary);
            return 0;
        }
        errno = 0;
        if (replacefile(temporary, job.header))
            return 0;
        reason = errno != 0 ? errno : EIO;
    }
    removefile(temporary);
    // No header is left for a later build to take: a refusal has been
    // reported, with korvel's words; a failed write is reported here.
    removefile(job.header);
    if (converted)
        writefailed(job.header, reason);
    return 1;
}

namespace {

// An unknown option or value is named before the usage text.
bool readargs(int argc, char **argv, headerjob &job)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++)
        if (!readoption(argc, argv, i, job))
            return false;
    if (argc - i < 3)
        return false;
    job.header = argv[i];
    job.name = argv[i + 1];
    job.pictures = argv + i + 2;
    job.count = argc - i - 2;
    // Several arrays of one name would not compile.
    if (job.planes && (job.frames || job.count != 2)) {
        fputs(job.frames ? "\n\n--planes und --frames gehen nicht zusammen ... \n"
                         : "\n\n--planes braucht zwei Bilder: die schwarze Ebene, dann die farbige ... \n",
              stderr);
        return false;
    }
    if (job.count > 1 && !job.frames && !job.planes) {
        fputs("\n\nMehrere Bilder brauchen --frames ... \n", stderr);
        return false;
    }
    // korvel-preview and the page show at most maxframes of one header.
    if (job.count > static_cast<int>(maxframes)) {
        fprintf(stderr, "\n\n%d Bilder, korvel-preview zeigt hoechstens %u je Header;"
                        " bitte auf mehrere Header verteilen ... \n", job.count, maxframes);
        return false;
    }
    return checkname(job.name) && (job.delays == nullptr || checkdelays(job));
}

// The array's name is one that every C and C++ compiler takes as the
// array's own: an identifier, none of the names compilers keep for
// themselves, and short enough for a file name.
bool checkname(const char *name)
{
    size_t length = strlen(name);
    bool identifier = length > 0 && !(name[0] >= '0' && name[0] <= '9');
    for (size_t k = 0; k < length && identifier; k++) {
        char c = name[k];
        identifier = c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    if (!identifier) {
        fprintf(stderr, "\n\nName %s ist kein C-Bezeichner: Buchstaben, Ziffern und _, vorn keine Ziffer ... \n",
                name);
        return false;
    }
    bool reserved = name[0] == '_' && (name[1] == '_' || (name[1] >= 'A' && name[1] <= 'Z'));
    for (const char *word : reservednames)
        reserved = reserved || strcmp(word, name) == 0;
    if (reserved) {
        fprintf(stderr, "\n\nName %s nehmen C- oder C++-Compiler fuer sich; bitte einen anderen ... \n", name);
        return false;
    }
    if (length > maxarrayname) {
        fprintf(stderr, "\n\nName %s ist %u Zeichen lang, erlaubt sind hoechstens %u ... \n", name,
                static_cast<unsigned>(length), maxarrayname);
        return false;
    }
    return true;
}

// The option at argv[i], and its value, as --name value or --name=value.
bool readoption(int argc, char **argv, int &i, headerjob &job)
{
    const char *option = argv[i] + 2;
    if (strcmp(option, "progmem") == 0) {
        job.progmem = true;
        return true;
    }
    if (strcmp(option, "frames") == 0) {
        job.frames = true;
        return true;
    }
    if (strcmp(option, "planes") == 0) {
        job.planes = true;
        return true;
    }
    if (strcmp(option, "pixels-only") == 0)
        return readchoice(formshape, "pixels-only", job);
    char name[16];
    size_t length = strcspn(option, "=");
    const char *value = option[length] == '=' ? option + length + 1 : nullptr;
    formchoice which = formlayout;
    bool known = length < sizeof name;
    if (known) {
        memcpy(name, option, length);
        name[length] = '\0';
        known = strcmp(name, "delays") == 0 || findchoice(name, which);
    }
    if (!known) {
        fprintf(stderr, "\n\nUnbekannte Option %s ... \n", argv[i]);
        return false;
    }
    if (value == nullptr && i + 1 < argc)
        value = argv[++i];
    if (value == nullptr) {
        fprintf(stderr, "\n\nOption --%s braucht einen Wert ... \n", name);
        return false;
    }
    if (strcmp(name, "delays") == 0) {
        job.delays = value;
        return true;
    }
    return readchoice(which, value, job);
}

bool readchoice(formchoice which, const char *value, headerjob &job)
{
    if (findvalue(which, value, job.form.choice[which]))
        return true;
    const formoption &option = formoptions[which];
    fprintf(stderr, "\n\n%s %s (erlaubt: ", option.unknown, value);
    for (unsigned k = 0; k < option.count; k++)
        fprintf(stderr, "%s%s", option.values[k], k + 1 < option.count ? ", " : ") ... \n");
    return false;
}

// One delay per frame, each a decimal number that an unsigned int holds on
// every target, the 16 bits of AVR's included.
bool checkdelays(const headerjob &job)
{
    if (!job.frames) {
        fputs("\n\n--delays braucht --frames ... \n", stderr);
        return false;
    }
    int count = 0;
    for (const char *p = job.delays;; p++) {
        unsigned long value = 0;
        const char *start = p;
        for (; *p >= '0' && *p <= '9' && value <= 65535; p++)
            value = value * 10 + static_cast<unsigned long>(*p - '0');
        if (p == start || value > 65535 || (*p != ',' && *p != '\0')) {
            fprintf(stderr, "\n\nUngueltige Dauer in --delays %s (erlaubt: 0 bis 65535"
                            " Millisekunden, durch Kommas getrennt) ... \n", job.delays);
            return false;
        }
        count++;
        if (*p == '\0')
            break;
    }
    if (count != job.count) {
        fprintf(stderr, "\n\n--delays nennt %d Dauern fuer %d Bilder ... \n", count, job.count);
        return false;
    }
    return true;
}

// The include guard names what the header holds, its name's frames or
// planes in a form: two headers of one name that hold different things
// both reach the compiler, which then says that a name is defined twice,
// instead of one of them vanishing.
void makeguard(const headerjob &job, char *guard, size_t size)
{
    int length = snprintf(guard, size, "KORVEL_%s", job.name);
    char *kind = guard + length;
    for (unsigned i = 0; i < formchoices; i++) {
        const char *value = formoptions[i].values[job.form.choice[i]];
        if (job.form.choice[i] != 0)
            length += snprintf(guard + length, size - length, "_%s%s", i == formrotate ? "R" : "", value);
    }
    snprintf(guard + length, size - length, "%s_H", job.frames ? "_FRAMES" : job.planes ? "_PLANES" : "");
    // What follows the name, in capitals, as a macro's name is written.
    for (char *c = kind; *c != '\0'; c++)
        *c = *c == '-' ? '_' : static_cast<char>(toupper(static_cast<unsigned char>(*c)));
}

// Each array is korvel's whole text in the chosen form, with the newline
// korvel ends its output with. Every picture is read and checked before
// its array is written, the size of pixels-only arrays before the first.
bool writeheader(FILE *out, const headerjob &job)
{
    static uint8_t pixels[bigbytes];
    bmppixels image = {0, 0, 0, false, pixels, sizeof pixels, false};
    uint32_t firstsize[2] = {};
    const char *progmem = job.progmem ? headerprogmem : "";
    fputs(headermadeby, out);
    printformcomments(job.form, out);
    if (job.planes)
        fputs(headerplanescomment, out);
    char guard[maxarrayname + 64];
    makeguard(job, guard, sizeof guard);
    fprintf(out, "#ifndef %s\n#define %s\n", guard, guard);
    if (job.progmem)
        fputs("#include <avr/pgmspace.h>\n", out);
    for (int k = 0; k < job.count; k++) {
        if (!readpicture(job.pictures[k], job, image))
            return false;
        if (k == 0 && job.form.pixelsonly()) {
            unsigned width, height;
            turnedsize(job.form, image.width, image.height, width, height);
            fprintf(out, "#define %s%s %u\n#define %s%s %u\n", job.name, headerwidth, width, job.name,
                    headerheight, height);
        }
        if (k == 0)
            firstsize[0] = image.width, firstsize[1] = image.height;
        else if ((job.form.pixelsonly() || job.planes) && !samesize(job.pictures[k], image, firstsize, job))
            return false;
        fprintf(out, "#%s%s%s", headerdefine, progmem, job.name);
        if (job.frames)
            fprintf(out, "_%d", k);
        if (job.planes)
            fputs(headerplanes[k], out);
        putc('\n', out);
        writearray(out, image, job.form);
        // korvel's closing newline; an empty line has always followed the
        // arrays in the other layouts, and headers keep their bytes.
        fputs(job.form.layout() == layoutkorvel ? "\n" : "\n\n", out);
        fputs(headerundef, out);
    }
    if (job.frames) {
        fprintf(out, "%s%s[] %s= {\n", headertable, job.name, progmem);
        for (int k = 0; k < job.count; k++)
            fprintf(out, "    %s_%d%s\n", job.name, k, k + 1 < job.count ? "," : "");
        fputs("};\n", out);
    }
    if (job.delays != nullptr) {
        fprintf(out, "%s%s%s%s[] %s= {\n", headerconst, headerdelaystype, job.name, headerdelaysname,
                progmem);
        // Checked: one number a frame, each followed by a comma or the end.
        const char *p = job.delays;
        for (int k = 0; k < job.count; k++) {
            char *end;
            fprintf(out, "    %lu%s\n", strtoul(p, &end, 10), k + 1 < job.count ? "," : "");
            p = end + 1;
        }
        fputs("};\n", out);
    }
    fputs("#endif\n", out);
    return true;
}

// korvel's checks, with room for whole screens as pixels-only arrays; the
// size bytes hold no more than korvel's 255 pixels a side. A palette with
// its lighter colour first is said, and the header written all the same.
bool readpicture(const char *picture, const headerjob &job, bmppixels &image)
{
    static char more[64];
    snprintf(more, sizeof more, ", mit --pixels-only bis %u", bigside);
    bool pixelsonly = job.form.pixelsonly();
    if (!readbmpfile(picture, image, pixelsonly ? bigside : maxside, stderr, pixelsonly ? "" : more))
        return false;
    if (image.lighterfirst)
        fprintf(stderr, "\n\nDatei %s: die Palette hat die hellere Farbe an Stelle 0, das Array ist das"
                        " Negativ des Bildes, das ein Malprogramm zeigt. Abhilfe: das Bild mit der"
                        " ImageMagick-Zeile der README neu schreiben, oder die andere Polaritaet"
                        " waehlen (--polarity white statt black oder umgekehrt) ... \n\n",
                picture);
    return true;
}

// The frames of pixels-only arrays share one width and one height, and
// so do the two planes of a picture.
bool samesize(const char *picture, const bmppixels &image, const uint32_t first[2], const headerjob &job)
{
    if (image.width == first[0] && image.height == first[1])
        return true;
    fprintf(stderr, "\n\nDatei %s: Bildgroesse %u x %u, %s %s hat %u x %u; %s ... \n\n", picture,
            static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
            job.planes ? "die schwarze Ebene" : "das erste Bild", job.pictures[0],
            static_cast<unsigned>(first[0]), static_cast<unsigned>(first[1]),
            job.planes ? "beide Ebenen eines Bildes haben eine Groesse"
                       : "mit --pixels-only haben alle Bilder eine Groesse");
    return false;
}

void writearray(FILE *out, const bmppixels &image, const arrayform &form)
{
    static uint8_t bytes[bigbytes + 8];
    unsigned width, height;
    formstrides strides = makeform(form, image, bytes);
    turnedsize(form, image.width, image.height, width, height);
    printform(form, width, height, bytes, strides, out);
}

// Whether the header may be written: there is none yet, or it is one that
// korvel-header wrote. Anything else (a picture, a folder, a FIFO or a
// device, which are not opened, as opening one may wait for ever, a file
// of the user's) stays as it is, and is said.
bool ownheader(const char *path)
{
    pathkind kind = kindof(path);
    if (kind == pathnothing)
        return true;
    char start[sizeof headermadeby - 1];
    size_t length = 0;
    if (kind == pathfile) {
        errno = 0;
        FILE *in = fopenread(path);
        if (in == nullptr) {
            fprintf(stderr, "\n\nHeaderdatei %s konnte nicht gelesen werden (%s) ... \n\n", path,
                    strerror(errno != 0 ? errno : EIO));
            return false;
        }
        length = fread(start, 1, sizeof start, in);
        fclose(in);
    }
    if (length == sizeof start && memcmp(start, headermadeby, length) == 0)
        return true;
    fprintf(stderr, "\n\nHeaderdatei %s ist keine Headerdatei von korvel-header"
                    " und bleibt, wie sie ist ... \n\n", path);
    return false;
}

bool maketemporary(const char *header)
{
    size_t folder = strlen(header);
    while (folder > 0 && !ispathseparator(header[folder - 1]))
        folder--;
    if (folder > sizeof temporary - 40)
        return false;
    memcpy(temporary, header, folder);
    temporaryfolder = folder;
    snprintf(temporary + folder, sizeof temporary - folder, temporaryname, processid());
    return true;
}

// The temporary files of runs that ended without a word (killed, or on a
// machine that went down) are removed, so that none piles up beside the
// headers.
void removestale()
{
    static char folder[sizeof temporary];
    memcpy(folder, temporary, temporaryfolder);
    folder[temporaryfolder] = '\0';
    eachentry(folder, removeifstale);
}

void removeifstale(const char *name)
{
    static char expected[64], path[sizeof temporary];
    size_t prefix = static_cast<size_t>(strchr(temporaryname, '%') - temporaryname);
    if (strncmp(name, temporaryname, prefix) != 0)
        return;
    unsigned long id = strtoul(name + prefix, nullptr, 10);
    snprintf(expected, sizeof expected, temporaryname, id);
    if (strcmp(name, expected) != 0 || id == processid() || processruns(id) ||
        temporaryfolder + strlen(name) >= sizeof path)
        return;
    memcpy(path, temporary, temporaryfolder);
    strcpy(path + temporaryfolder, name);
    removefile(path);
}

// Created where nothing was, so that no link planted there redirects the
// write; removed by an interrupt. What has this run's name is a killed
// run's that had its number, and goes.
FILE *createtemporary()
{
    removeonsignals(temporary);
    errno = 0;
    FILE *out = fopennew(temporary);
    if (out == nullptr && errno == EEXIST) {
        removefile(temporary);
        out = fopennew(temporary);
    }
    return out;
}

// A block at a time: a whole screen's header is some 50 MB.
bool sameheader(const char *a, const char *b)
{
    FILE *first = fopenread(a), *second = fopenread(b);
    bool same = first != nullptr && second != nullptr;
    static char one[1 << 16], other[1 << 16];
    for (size_t length = sizeof one; same && length == sizeof one;) {
        length = fread(one, 1, sizeof one, first);
        same = fread(other, 1, sizeof other, second) == length && memcmp(one, other, length) == 0;
    }
    same &= first != nullptr && !ferror(first) && second != nullptr && !ferror(second);
    if (first != nullptr)
        fclose(first);
    if (second != nullptr)
        fclose(second);
    return same;
}

void writefailed(const char *header, int reason)
{
    fprintf(stderr, "\n\nHeaderdatei %s konnte nicht geschrieben werden (%s) ... \n\n", header,
            strerror(reason));
}

// The form's choices are listed from the table that the writer and the
// reader take them from.
void usage(FILE *out)
{
    fputs("\n\nKORVEL-HEADER 0.01\n"
          "--------------------\n\n"
          "   Schreibt korvels Arrays als benannte Headerdatei: das Array heisst Name,\n"
          "   mit --frames heissen sie Name_0, Name_1, ... mit einer Tabelle Name[].\n"
          "   --progmem legt sie auf AVR in den Flash. --layout ordnet die Bytes:\n"
          "   korvel  Zeilen, das linke Pixel im hoechsten Bit (wie korvel)\n"
          "   xbm     Zeilen, das linke Pixel im niedrigsten Bit\n"
          "   pages   Seiten zu 8 Zeilen, ein Byte je Spalte, die oberste Zeile im Bit 0\n"
          "   --delays gibt die Dauer jedes Bildes in Millisekunden als Tabelle Name_delays[].\n"
          "   --planes: zwei Bilder einer Groesse, die schwarze und die farbige Ebene einer\n"
          "   Anzeige mit drei Farben, als Name_black und Name_colour.\n"
          "   Fuer E-Paper: --polarity white setzt die Bits des Papiers (weiss und ausserhalb\n"
          "   des Bildes), --rotate dreht das Bild im Uhrzeigersinn, --pixels-only (--shape\n"
          "   pixels-only) laesst die Groessenbytes weg (Name_width, Name_height) und nimmt\n"
          "   Bilder bis 8192 Pixel.\n"
          "   Syntax:   korvel-header [--progmem] [--frames [--delays ms,ms,...] | --planes]\n",
          out);
    for (const formoption &option : formoptions) {
        fprintf(out, "                           [--%s ", option.name);
        for (unsigned k = 0; k < option.count; k++)
            fprintf(out, "%s%s", option.values[k], k + 1 < option.count ? "|" : "]\n");
    }
    fputs("                           Headerdatei Name BMP-Datei...\n"
          "\nBeispiel:  korvel-header --layout xbm logo.h logo logo.bmp\n\n",
          out);
}

}  // namespace
