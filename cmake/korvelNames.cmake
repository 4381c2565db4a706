# SPDX-License-Identifier: MIT
# The names korvel's arrays may not take, one list for korvel_add_bitmaps(),
# korvel-header (src/names.hpp.in) and the page: the keywords of C and C++,
# the macros that GCC's GNU modes or common targets predefine, and main.
# Names that begin with __ or _ and a capital letter are the compiler's
# too. Names that the C library declares (clock, exit, signal, index)
# compile until their header is included: a prefix is the way out there.
#
# A name has at most KORVEL_NAME_MAX characters, so that its header
# <name>.h, its longest array <name>_delays and the page's header names
# stay within the 255 bytes a file name and korvel-preview's names take.
include_guard(GLOBAL)
set(KORVEL_RESERVED_NAMES
  auto break case char const continue default do double else enum extern float for
  goto if inline int long register restrict return short signed sizeof static struct
  switch typedef union unsigned void volatile while _Alignas _Alignof _Atomic _BitInt
  _Bool _Complex _Decimal128 _Decimal32 _Decimal64 _Generic _Imaginary _Noreturn
  _Static_assert _Thread_local alignas alignof and and_eq asm bitand bitor bool catch
  char8_t char16_t char32_t class compl concept consteval constexpr constinit
  const_cast co_await co_return co_yield decltype delete dynamic_cast explicit export
  false friend mutable namespace new noexcept not not_eq nullptr operator or or_eq
  private protected public reinterpret_cast requires static_assert static_cast
  template this thread_local throw true try typeid typename typeof typeof_unqual using
  virtual wchar_t xor xor_eq
  linux unix i386 AVR WIN32 WIN64 WINNT
  main)
set(KORVEL_NAME_MAX 200)
