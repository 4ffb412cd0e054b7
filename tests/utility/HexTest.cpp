#include <gtest/gtest.h>

#include <array>

#include "Utility/Hex.h"

TEST(Hex, DigitValueReadsBothCasesAndRefusesTheRest) {
  const struct {
    char32_t c;
    int value;
  } cases[] = {{U'0', 0},  {U'9', 9},  {U'A', 10}, {U'F', 15}, {U'a', 10}, {U'f', 15}, {U'G', -1},
               {U'g', -1}, {U'/', -1}, {U':', -1}, {U'@', -1}, {U'`', -1}, {U' ', -1}, {U'\uFF10', -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<std::uint32_t>(c.c));
    EXPECT_EQ(Hex::DigitValue(c.c), c.value);
  }
}

TEST(Hex, BytesAreWrittenHighNibbleFirstInTheCaseAskedFor) {
  const std::uint8_t bytes[] = {0x00, 0x0A, 0x1B, 0xF0, 0xFF};
  EXPECT_EQ(Hex::EncodeBytes(bytes), "000A1BF0FF");
  EXPECT_EQ(Hex::EncodeBytes(bytes, Hex::Letters::kLower), "000a1bf0ff");
  EXPECT_EQ(Hex::EncodeBytes({}), "");
  std::u32string wide = U"x";
  Hex::AppendBytes(wide, bytes);
  EXPECT_EQ(wide, U"x000A1BF0FF");
}

TEST(Hex, NumbersTakeTheDigitsTheyNeedOrTheLeastAskedFor) {
  const struct {
    std::uint64_t value;
    int minDigits;
    std::string text;
  } cases[] = {{0, 1, "0"},
               {0xF, 1, "F"},
               {0x10, 1, "10"},
               {0x10FFFF, 1, "10FFFF"},
               {0x2A, 4, "002A"},
               {0xFFFFFFFFFFFFFFFF, 1, "FFFFFFFFFFFFFFFF"},
               {0x8000000000000000, 16, "8000000000000000"},
               {1, 16, "0000000000000001"},
               {1, 20, "0000000000000001"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out;
    Hex::AppendNumber(out, c.value, Hex::Letters::kUpper, c.minDigits);
    EXPECT_EQ(out, c.text);
  }
}

TEST(Hex, DecodingTakesPairsOfDigitsAndRefusesAnythingElseWhole) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(Hex::DecodeBytes(std::string_view("0a1BfF"), bytes));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x0A, 0x1B, 0xFF}));
  EXPECT_TRUE(Hex::DecodeBytes(std::u32string_view(U""), bytes));
  EXPECT_TRUE(bytes.empty());
  for (std::string_view bad : {"0", "0A1", "0G", "G0", " 0A", "0A ", "0x0A", "-1"}) {
    SCOPED_TRACE(bad);
    bytes = {1, 2};
    EXPECT_FALSE(Hex::DecodeBytes(bad, bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(Hex, DecodingExactlyWantsTwiceTheBytesInDigits) {
  std::array<std::uint8_t, 2> out{};
  EXPECT_TRUE(Hex::DecodeExactly(std::string_view("beEF"), std::span<std::uint8_t>(out)));
  EXPECT_EQ(out[0], 0xBE);
  EXPECT_EQ(out[1], 0xEF);
  EXPECT_FALSE(Hex::DecodeExactly(std::string_view("beE"), std::span<std::uint8_t>(out)));
  EXPECT_FALSE(Hex::DecodeExactly(std::string_view("beEF00"), std::span<std::uint8_t>(out)));
  EXPECT_FALSE(Hex::DecodeExactly(std::string_view("beEZ"), std::span<std::uint8_t>(out)));
}
