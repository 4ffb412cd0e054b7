// Utility/Utf16Widen.h - UTF-16 widened to code points, written in place.
//
// The one loop behind every bulk UTF-16 read (repository files, names):
//   out.resize(start + utf16.size());
//   out.resize(start + WidenUtf16(utf16, out.data() + start));
#pragma once

#include <unicode/utf16.h>

#include <cstddef>
#include <string_view>

// Writes utf16 as code points to out, which has room for utf16.size(), and
// returns how many were written. Each unit is first widened in one loop that
// also notes surrogates without a branch, so the compiler vectorizes it; only
// text with a surrogate (rare) is written again, a pair making one character
// and a lone surrogate kept as it is.
inline std::size_t WidenUtf16(std::u16string_view utf16, char32_t* out) {
  const char16_t* s = utf16.data();
  const std::size_t length = utf16.size();
  unsigned surrogates = 0;
  for (std::size_t i = 0; i < length; ++i) {
    out[i] = s[i];
    surrogates |= U16_IS_SURROGATE(s[i]);
  }
  if (!surrogates) return length;
  char32_t* w = out;
  for (std::size_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(s, i, length, c);
    *w++ = static_cast<char32_t>(c);
  }
  return static_cast<std::size_t>(w - out);
}
