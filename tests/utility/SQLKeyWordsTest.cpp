#include <gtest/gtest.h>

#include "Utility/SQLKeyWords.h"

TEST(SQLKeyWords, ReservedWordsIgnoreCase) {
  for (const char32_t* w : {U"SELECT", U"select", U"Year", U"end-exec", U"valueof", U"Evaluate_Aggr", U"XSA"}) {
    EXPECT_TRUE(SQLKeyWords::IsKeyword(w)) << ToNarrow(w);
  }
  for (const char32_t* w : {U"Revenue", U"Orders", U"", U"SELECTS", U"ÿear"}) {
    EXPECT_FALSE(SQLKeyWords::IsKeyword(w)) << ToNarrow(w);
  }
  EXPECT_GT(SQLKeyWords::Count(), 350u);
}
