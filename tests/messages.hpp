// SPDX-License-Identifier: MIT
// Every text korvel and korvel-preview print besides pictures, exactly.
#ifndef KORVEL_MESSAGES_HPP
#define KORVEL_MESSAGES_HPP

#include <string>

inline std::string message(const std::string &text)
{
    return "\n\n" + text + " ... \n\n";
}

// korvel's refusals, on standard output, for path as given.
inline std::string notfound(const std::string &path)
{
    return message("Datei " + path + " wurde nicht gefunden");
}

inline std::string notswbmp(const std::string &path)
{
    return message("Datei " + path + " ist keine unkomprimierte s/w BMP-Datei");
}

inline std::string incomplete(const std::string &path)
{
    return message("Datei " + path + " ist unvollstaendig");
}

inline std::string badsize(const std::string &path, long long width, long long rows)
{
    return message("Datei " + path + ": Bildgroesse " + std::to_string(width) + " x " +
                   std::to_string(rows) + " wird nicht unterstuetzt (erlaubt: 1 bis 255 Pixel)");
}

// korvel-header's note, on standard error, for a palette with white first.
inline std::string notidentifier(const std::string &name)
{
    return "\n\nName " + name + " ist kein C-Bezeichner: Buchstaben, Ziffern und _, vorn keine Ziffer ... \n";
}

inline std::string compilers(const std::string &name)
{
    return "\n\nName " + name + " nehmen C- oder C++-Compiler fuer sich; bitte einen anderen ... \n";
}

inline std::string lighterfirst(const std::string &path)
{
    return message("Datei " + path + ": die Palette hat die hellere Farbe an Stelle 0, das Array ist das"
                   " Negativ des Bildes, das ein Malprogramm zeigt. Abhilfe: das Bild mit der"
                   " ImageMagick-Zeile der README neu schreiben, oder die andere Polaritaet waehlen"
                   " (--polarity white statt black oder umgekehrt)");
}

// Both programs', on standard error.
const std::string writefailed = message("Ausgabe konnte nicht geschrieben werden");

// korvel-preview's refusals, on standard error.
const std::string notarray = message("Text ist keine korvel-Ausgabe");
const std::string overff = message("Text enthaelt einen Wert ueber 0xFF");
const std::string manyarrays = message("Text enthaelt mehr als 256 Arrays, korvel-preview zeigt hoechstens 256");
const std::string planesunlike = message("Text nennt zwei Ebenen, aber nicht NAME_black und NAME_colour einer Groesse");

inline std::string badcount(int bytes, int width, int height, int needed)
{
    return message("Text enthaelt " + std::to_string(bytes) + " Bildbytes, " + std::to_string(width) +
                   " x " + std::to_string(height) + " Pixel brauchen " + std::to_string(needed));
}

inline std::string pastwidth(int row)
{
    return message("Text setzt in Bildzeile " + std::to_string(row) + " ein Bit rechts vom Bildrand");
}

inline std::string nosize(const std::string &name)
{
    return message("Text nennt fuer " + name + " keine Groesse von 1 bis 8192 Pixel (#define " + name +
                   "_width, " + name + "_height)");
}

inline std::string pastheight(int column)
{
    return message("Text setzt in Bildspalte " + std::to_string(column) + " ein Bit unter den Bildrand");
}

const char korvelusage[] =
    "\n\nKORVEL 0.01\n"
    "-------------\n\n"
    "Dateikonverter: \n"
    "   Konvertiert eine s/w BMP-Datei in ein C- Headerfile.\n"
    "   Hierfuer wird ein Array im Header generiert. Die Ausgabe des \n"
    "   Headerfiles geschieht auf dem Standard-Output-Stream. Soll eine Datei\n"
    "   geschrieben werden, so kann diese mittels Pipe Funktion in eine\n"
    "   Datei umgeleitet werden.\n"
    "   Syntax:   korvel BMP-Dateiname\n"
    "\nBeispiel:  korvel mybmp.bmp > myheader.h\n\n";

const char previewusage[] =
    "\n\nKORVEL-PREVIEW 0.01\n"
    "---------------------\n\n"
    "   Zeigt, was ein von korvel erzeugtes Array auf einer Anzeige leuchten laesst.\n"
    "   Ohne Dateinamen wird der Text von der Standardeingabe gelesen, etwa aus einer Pipe.\n"
    "   Syntax:   korvel-preview [Headerdatei]\n"
    "\nBeispiel:  korvel mybmp.bmp | korvel-preview\n\n";

#endif
