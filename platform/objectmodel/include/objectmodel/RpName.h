// RpName: how the repository compares object names. Names are compared
// without regard to case through the simple, length-preserving case folding
// of each code point, never the process locale, so the indexes, the
// name-or-alias tests and the lookup conditions all agree.
//
//   RpName::EqualsNoCase(U"Orders", U"ORDERS");          // true
//   RpName::WildcardMatchNoCase(U"Order Lines", U"ord*"); // true
#pragma once

#include <cstdint>

#include "Utility/VXString.h"

namespace RpName {
// The case-folded form of one code point and of a whole name.
char32_t FoldChar(char32_t c);
VXString Fold(const VXString& name);
bool EqualsNoCase(const VXString& a, const VXString& b);
// Hash of the folded name; equal for names that EqualsNoCase.
std::uint64_t FoldedHash(const VXString& name);
// Wildcard match without regard to case: '*' stands for any run of
// characters (also none), '?' for exactly one. Every other character stands
// for itself. Runs in O(name * pattern) at worst, without recursion.
bool WildcardMatchNoCase(const VXString& name, const VXString& pattern);
}  // namespace RpName
