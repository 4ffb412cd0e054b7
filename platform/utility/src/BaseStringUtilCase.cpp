// Case folding, case mapping and the case-insensitive matchers.
#include <unicode/uchar.h>

#include "Utility/BaseStringUtil.h"
#include "Utility/VXStringCaseInsensitive.h"

namespace {
constexpr char32_t kMaxCodePoint = 0x10FFFF;

char32_t LowerChar(char32_t c) noexcept { return BaseStringUtil::LowerCaseChar(c); }

char32_t UpperChar(char32_t c) noexcept {
  if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - 32 : c;
  if (c > kMaxCodePoint) return c;
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

template <char32_t (*Map)(char32_t)>
VXString MapEach(std::u32string_view text) {
  VXString out(text.size(), U'\0');
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = Map(text[i]);
  return out;
}

bool IsStar(char32_t c) { return c == U'*' || c == U'%'; }
}  // namespace

namespace VXCaseFold {
char32_t FoldCharBeyondAscii(char32_t c) noexcept {
  if (c > kMaxCodePoint) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

int Compare(std::u32string_view a, std::u32string_view b) noexcept {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t x = FoldChar(a[i]);
    const char32_t y = FoldChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool Equal(std::u32string_view a, std::u32string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

std::size_t Hash(std::u32string_view s) noexcept {
  // FNV-1a over the folded code points, finished with a multiplicative mix.
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (char32_t c : s) {
    h ^= FoldChar(c);
    h *= 0x100000001b3ull;
  }
  h ^= h >> 29;
  h *= 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h ^ (h >> 32));
}
}  // namespace VXCaseFold

namespace BaseStringUtil {

bool IsMatch(std::u32string_view a, std::u32string_view b) noexcept { return a == b; }

bool IsCaseInsensitiveMatch(std::u32string_view a, std::u32string_view b) noexcept { return VXCaseFold::Equal(a, b); }

bool IsWildcardCaseInsensitiveMatch(std::u32string_view name, std::u32string_view pattern) noexcept {
  // Greedy match with one backtracking point (the last star seen): linear in
  // practice, O(name * pattern) at worst, no recursion.
  std::size_t i = 0, p = 0;
  std::size_t starP = std::u32string_view::npos, starI = 0;
  while (i < name.size()) {
    if (p < pattern.size() && IsStar(pattern[p])) {
      starP = p++;
      starI = i;
      continue;
    }
    if (p < pattern.size()) {
      std::size_t step = 1;
      char32_t want = pattern[p];
      bool any = want == U'?';
      if (want == U'\\' && p + 1 < pattern.size()) {
        want = pattern[p + 1];
        step = 2;
        any = false;
      }
      if (any || VXCaseFold::FoldChar(want) == VXCaseFold::FoldChar(name[i])) {
        p += step;
        ++i;
        continue;
      }
    }
    if (starP == std::u32string_view::npos) return false;
    p = starP + 1;
    i = ++starI;
  }
  while (p < pattern.size() && IsStar(pattern[p])) ++p;
  return p == pattern.size();
}

bool CaseInsensitiveFindPatternAtStart(std::u32string_view text, std::u32string_view pattern) noexcept {
  return pattern.size() <= text.size() && VXCaseFold::Equal(text.substr(0, pattern.size()), pattern);
}

std::size_t CaseInsensitiveFind(std::u32string_view text, std::u32string_view pattern, std::size_t start) noexcept {
  if (start > text.size() || pattern.size() > text.size() - start) return VXString::npos;
  const std::size_t last = text.size() - pattern.size();
  for (std::size_t i = start; i <= last; ++i) {
    if (VXCaseFold::Equal(text.substr(i, pattern.size()), pattern)) return i;
  }
  return VXString::npos;
}

VXString ToLowerCase(std::u32string_view text) { return MapEach<LowerChar>(text); }
char32_t LowerCaseNonAsciiChar(char32_t c) noexcept {
  if (c > kMaxCodePoint) return c;
  return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}
VXString ToUpperCase(std::u32string_view text) { return MapEach<UpperChar>(text); }
VXString ToFoldedCase(std::u32string_view text) { return MapEach<VXCaseFold::FoldChar>(text); }

}  // namespace BaseStringUtil
