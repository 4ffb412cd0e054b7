// Helpers for the ToPrettyStringVisitor tests: expressions from the text form
// of the expression model, rendered in the plain mode without a repository.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Utility/VXString.h"

namespace pretty_test {

inline Expr Parse(const VXString& text) { return ToStringVisitor::ExprFrom(text); }

// Plain mode, no gateway: references come out as bare ids.
inline VXString Render(const VXString& text) { return ToPrettyStringVisitor::SimpleStringFrom(Parse(text), nullptr); }

// Shows blanks and tabs in failure messages.
inline std::string Show(const VXString& text) { return "[" + ToNarrow(text) + "]"; }

struct Row {
  const char32_t* expr;      // text form
  const char32_t* expected;  // logical SQL, blanks included
};

inline void CheckRows(const Row* rows, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    VXString got;
    try {
      got = Render(rows[i].expr);
    } catch (const std::exception& e) {
      ADD_FAILURE() << ToNarrow(rows[i].expr) << " threw " << e.what();
      continue;
    }
    EXPECT_EQ(Show(got), Show(rows[i].expected)) << "for " << ToNarrow(rows[i].expr);
  }
}

template <std::size_t N>
void CheckRows(const Row (&rows)[N]) {
  CheckRows(rows, N);
}

// The blank-separated words of text, for long lists of names.
inline std::vector<VXString> Words(const VXString& text) {
  std::vector<VXString> words;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find(U' ', from), text.size());
    if (end > from) words.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return words;
}

inline VXString Number(long long n) { return ToVXString(std::to_string(n)); }

}  // namespace pretty_test
