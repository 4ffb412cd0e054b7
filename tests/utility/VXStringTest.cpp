// Text between code points and UTF-8/UTF-16: ill-formed bytes, exact forms
// and the values they cannot carry.
#include <gtest/gtest.h>

#include "Utility/VXString.h"
#include "common/Caught.h"

TEST(VXString, Utf8ReplacesEachIllFormedPartOnce) {
  struct Case {
    std::string bytes;
    VXString text;
  } cases[] = {
      {"A\xC3\xA9", U"A\u00E9"},
      {"\xF0\x9F\x98\x80", U"\U0001F600"},
      {"\xFF"
       "B",
       U"\uFFFDB"},             // a byte that never starts a sequence
      {"\xE2\x82", U"\uFFFD"},  // a cut-off sequence is one part
      {"\xE2\x82"
       "A",
       U"\uFFFDA"},
      {"\xF0\x9F\x98", U"\uFFFD"},
      {"\xC0\xAF", U"\uFFFD\uFFFD"},                      // overlong: no valid lead at all
      {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\x80"
       "a\xBF",
       U"\uFFFDa\uFFFD"},  // stray continuation bytes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToVXString(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(IsValidUtf8(c.bytes), c.text.find(U'\uFFFD') == VXString::npos) << c.bytes;
  }
  // The lenient way back shows what UTF-8 cannot carry as U+FFFD.
  EXPECT_EQ(ToNarrow(U"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ToNarrow(VXString(1, char32_t(0x110000)) + char32_t(0xD800)), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(VXString, ExactFormsRoundTripOrNameWhatTheyRefuse) {
  const VXString texts[] = {U"", U"Orders", VXString(U"a") + U'\0' + U"b", U"\u00E9\uFFFD\uFFFF",
                            U"\U0001F600\U0010FFFF"};
  for (const VXString& t : texts) {
    EXPECT_EQ(ToVXString(ToUtf8Exact(t)), t);
    EXPECT_EQ(FromUtf16(ToUtf16(t)), t);
  }
  EXPECT_EQ(ToUtf16(U"a\U0001F600"), std::u16string(u"a\xD83D\xDE00"));
  const auto e = testutil::Caught<UnencodableTextError>([&] { ToUtf16(VXString(U"ab") + char32_t(0x110000)); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetPosition(), 2u);
  EXPECT_EQ(e->GetValue(), char32_t(0x110000));
  EXPECT_NE(std::string(e->what()).find("U+110000 at position 2"), std::string::npos) << e->what();
  // A surrogate code point would pair up with its neighbour in UTF-16.
  EXPECT_THROW(ToUtf16(VXString{char32_t(0xD800), char32_t(0xDC00)}), UnencodableTextError);
  EXPECT_THROW(ToUtf8Exact(VXString(1, char32_t(0xDFFF))), UnencodableTextError);
  // UTF-16 read back: an unpaired surrogate keeps its value.
  EXPECT_EQ(FromUtf16(u"\xD83D\xDE00"), U"\U0001F600");
  EXPECT_EQ(FromUtf16(std::u16string{char16_t(0xD83D), u'x', char16_t(0xDE00)}),
            (VXString{char32_t(0xD83D), U'x', char32_t(0xDE00)}));
  // Appended to what is there; a lead surrogate at the very end stays.
  VXString appended = U"x";
  AppendFromUtf16(appended,
                  std::u16string{u'a', char16_t(0xDE00), char16_t(0xD83D), char16_t(0xDE00), char16_t(0xD83D)});
  EXPECT_EQ(appended, (VXString{U'x', U'a', char32_t(0xDE00), U'\U0001F600', char32_t(0xD83D)}));
  EXPECT_EQ(FindNonScalarValue(VXString(U"ab") + char32_t(0xDC00)), 2u);
  EXPECT_EQ(FindNonScalarValue(U"\U0010FFFF"), VXString::npos);
}
