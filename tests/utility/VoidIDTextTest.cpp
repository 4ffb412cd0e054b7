#include <gtest/gtest.h>

#include "Utility/VoidIDText.h"

TEST(VoidIDText, ReadsTypeColonNumberAndNothingElse) {
  const struct {
    std::string_view text;
    bool bOk;
    TypeID type;
    std::uint32_t num;
  } cases[] = {
      {"3001:42", true, 3001, 42},
      {"0:0", true, 0, 0},
      {"-7:1", true, -7, 1},
      {"007:010", true, 7, 10},
      {"2147483647:4294967295", true, 2147483647, 4294967295u},
      {"-2147483648:0", true, -2147483647 - 1, 0},
      {"2147483648:1", false, 0, 0},    // type past 32 bits signed
      {"1:4294967296", false, 0, 0},    // number past 32 bits unsigned
      {"000000000001:1", false, 0, 0},  // more than 11 digits
      {"1:000000000001", false, 0, 0},
      {"3001:", false, 0, 0},
      {":42", false, 0, 0},
      {"3001", false, 0, 0},
      {"", false, 0, 0},
      {"-:1", false, 0, 0},
      {"1:-1", false, 0, 0},
      {"+1:1", false, 0, 0},
      {" 1:1", false, 0, 0},
      {"1:1 ", false, 0, 0},
      {"1 :1", false, 0, 0},
      {"1:1:1", false, 0, 0},
      {"0x1:1", false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    VoidID id(99, 99);
    EXPECT_EQ(VoidIDText::Parse(c.text, id), c.bOk);
    if (c.bOk) {
      EXPECT_EQ(id, VoidID(c.type, c.num));
    } else {
      EXPECT_EQ(id, VoidID(99, 99));  // left alone
    }
  }
}

TEST(VoidIDText, WideTextAndNulTerminatedTextReadTheSame) {
  VoidID id;
  EXPECT_TRUE(VoidIDText::Parse(std::u32string_view(U"4010:8"), id));
  EXPECT_EQ(id, VoidID(4010, 8));
  // A character whose low byte is a digit is not a digit.
  EXPECT_FALSE(VoidIDText::Parse(std::u32string_view(U"4010:\u0138"), id));
  const char16_t attribute[] = u"3003:25";
  EXPECT_TRUE(VoidIDText::ParseFrom(
      attribute, [](const char16_t* p) { return *p == 0; }, id));
  EXPECT_EQ(id, VoidID(3003, 25));
  VoidID back;
  EXPECT_TRUE(VoidID::FromString(VoidID(-3, 17).ToString(), back));
  EXPECT_EQ(back, VoidID(-3, 17));
}
