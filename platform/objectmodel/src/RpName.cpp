#include "objectmodel/RpName.h"

#include <unicode/uchar.h>

namespace RpName {

char32_t FoldChar(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

VXString Fold(const VXString& name) {
  VXString out(name);
  for (char32_t& c : out) c = FoldChar(c);
  return out;
}

bool EqualsNoCase(const VXString& a, const VXString& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

std::uint64_t FoldedHash(const VXString& name) {
  std::uint64_t h = 1469598103934665603ull;
  for (char32_t c : name) {
    h ^= FoldChar(c);
    h *= 1099511628211ull;
  }
  return h;
}

bool WildcardMatchNoCase(const VXString& name, const VXString& pattern) {
  // Greedy match with one backtrack point (the last '*'), linear in practice.
  std::size_t n = 0, p = 0, starP = VXString::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == U'?' || FoldChar(pattern[p]) == FoldChar(name[n]))) {
      ++p;
      ++n;
    } else if (starP != VXString::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace RpName
