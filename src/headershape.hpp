// SPDX-License-Identifier: MIT
// The shape of the headers korvel-header writes, for korvel_add_bitmaps()
// and for everyone, as korvel-preview reads them back:
//
//   /* Made by korvel at build time; edits are lost when it is remade. */
//   /* korvel layout: xbm (...) */        a comment for each choice of the
//   /* korvel polarity: white (...) */    form (form.hpp) other than korvel's
//   #ifndef KORVEL_<name>_H
//   #define KORVEL_<name>_H
//   #include <avr/pgmspace.h>             with --progmem
//   #define <name>_width <width>          for pixels-only arrays, their size
//   #define <name>_height <height>        as turned
//   #define bmppic [PROGMEM ]<name>       <name>_0, <name>_1, ... with --frames,
//                                         <name>_black, <name>_colour with --planes
//   <korvel's text, in the layout>
//   #undef bmppic                         and so on for every frame
//   static const unsigned char *const <name>[] [PROGMEM ]= {
//       <name>_0,                         the table, with --frames
//       ...
//   };
//   static const unsigned int <name>_delays[] [PROGMEM ]= {
//       <milliseconds>,                   each frame's time, with --delays
//       ...
//   };
//   #endif
#ifndef KORVEL_HEADERSHAPE_HPP
#define KORVEL_HEADERSHAPE_HPP

inline constexpr char headermadeby[] =
    "/* Made by korvel at build time; edits are lost when it is remade. */\n";

// The two planes of a three-colour picture, after the name, and the
// comment that says a header holds them.
inline constexpr const char *headerplanes[] = {"_black", "_colour"};
inline constexpr char headerplanescomment[] =
    "/* korvel planes: black and colour, the planes of one picture in three colours */\n";

// The size of pixels-only arrays, after the name: NAME_width.
inline constexpr char headerwidth[] = "_width";
inline constexpr char headerheight[] = "_height";

// The directive, after its '#', that names the next array.
inline constexpr char headerdefine[] = "define bmppic ";
inline constexpr char headerundef[] = "#undef bmppic\n";
inline constexpr char headerprogmem[] = "PROGMEM ";

// What a table of frames starts with and what an array does; the table of
// the frames' delays is named after the table and this.
inline constexpr char headertable[] = "static const unsigned char *const ";
inline constexpr char headerarray[] = "static const unsigned char ";
inline constexpr char headerdelaysname[] = "_delays";
// The arrays and the tables as a reader tells them apart: the same start,
// then the type; the table of delays is written so too.
inline constexpr char headerconst[] = "static const unsigned ";
inline constexpr char headerarraytype[] = "char ";
inline constexpr char headerdelaystype[] = "int ";

#endif
