// The one case-insensitive name policy of the server: every case-insensitive
// map, set, index and comparison uses these functors, so that two names that
// are "the same ignoring case" are the same everywhere.
//
//   std::unordered_map<VXString, int, VXStringCaseInsensitiveHash, VXStringCaseInsensitiveEqual> byName;
//   std::map<VXString, VXString, VXStringCaseInsensitiveLessThan> renames;
//   byName[U"Orders"] = 1;  byName.count(U"ORDERS");   // 1
//
// Folding is ICU's simple case folding, one code point at a time (so
// U+00DF sharp s stays one character and U+1E9E capital sharp s folds to it,
// Greek final sigma folds with sigma). It never depends on the process locale.
#pragma once

#include <cstddef>
#include <string_view>

#include "Utility/VXString.h"

namespace VXCaseFold {
// The simple case fold of a code point beyond ASCII.
char32_t FoldCharBeyondAscii(char32_t c) noexcept;
// The simple case fold of one code point. ASCII folds here, inline: name
// hashes fold every character of a million names.
inline char32_t FoldChar(char32_t c) noexcept {
  if (c < 0x80) return c - U'A' < 26u ? c + 32 : c;
  return FoldCharBeyondAscii(c);
}
// Three-way comparison of the folded texts (negative, 0, positive).
int Compare(std::u32string_view a, std::u32string_view b) noexcept;
bool Equal(std::u32string_view a, std::u32string_view b) noexcept;
std::size_t Hash(std::u32string_view s) noexcept;
}  // namespace VXCaseFold

struct VXStringCaseInsensitiveHash {
  using is_transparent = void;
  std::size_t operator()(std::u32string_view s) const noexcept { return VXCaseFold::Hash(s); }
};

struct VXStringCaseInsensitiveEqual {
  using is_transparent = void;
  bool operator()(std::u32string_view a, std::u32string_view b) const noexcept { return VXCaseFold::Equal(a, b); }
};

struct VXStringCaseInsensitiveLessThan {
  using is_transparent = void;
  bool operator()(std::u32string_view a, std::u32string_view b) const noexcept { return VXCaseFold::Compare(a, b) < 0; }
};
