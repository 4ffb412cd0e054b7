// SQLKeyWords: the reserved words of logical SQL: the SQL-92 reserved words
// and the names of the logical SQL functions. A name that is one of them must
// be quoted when it is written as an identifier.
//
//   SQLKeyWords::IsKeyword(U"select");   // true (case is ignored)
//   SQLKeyWords::IsKeyword(U"Revenue");  // false
#pragma once

#include <cstddef>
#include <string_view>

#include "Utility/VXString.h"

namespace SQLKeyWords {
bool IsKeyword(std::u32string_view word);
// Number of distinct reserved words (for tests and diagnostics).
std::size_t Count();
}  // namespace SQLKeyWords
