#include <gtest/gtest.h>

#include "Utility/DataBlobUtil.h"
#include "Utility/VoidID.h"

namespace {
ByteVector Encode(const VXStringVector& names, const std::vector<int>& ints, bool flag) {
  ByteVector b;
  DataBlobUtil::ToByteVector(b, names);
  DataBlobUtil::ToByteVector(b, ints);
  DataBlobUtil::ToByteVector(b, flag);
  return b;
}
}  // namespace

TEST(DataBlobUtil, RoundTripsEveryFieldKind) {
  const VXStringVector names{U"Sales", U"", U"\u00C9t\u00E9 \U0001F600", VXString(1, U'\0')};
  const std::vector<int> ints{-1, 0, 2147483647, -2147483647 - 1};
  const ByteVector b = Encode(names, ints, true);
  VXStringVector outNames;
  std::vector<int> outInts;
  bool flag = false;
  const uint8* end = b.data() + b.size();
  const uint8* p = DataBlobUtil::FromByteVector(b.data(), end, outNames);
  p = DataBlobUtil::FromByteVector(p, end, outInts);
  p = DataBlobUtil::FromByteVector(p, end, flag);
  EXPECT_EQ(p, end);
  EXPECT_EQ(outNames, names);
  EXPECT_EQ(outInts, ints);
  EXPECT_TRUE(flag);
}

TEST(DataBlobUtil, EveryTruncationIsRefused) {
  const ByteVector b = Encode({U"Orders", U"Lines"}, {1, 2, 3}, false);
  for (std::size_t cut = 0; cut < b.size(); ++cut) {
    ByteVector part(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(cut));
    BlobCursor c(part);
    EXPECT_THROW(
        {
          c.ReadStringVector();
          c.ReadIntVector();
          c.ReadBool();
        },
        BlobDecodeError)
        << "cut at " << cut;
  }
}

TEST(DataBlobUtil, HugeCountsFailBeforeAllocating) {
  const ByteVector b{0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 1};
  VXStringVector names;
  std::vector<int> ints;
  EXPECT_THROW(DataBlobUtil::FromByteVector(b.data(), b.data() + b.size(), names), BlobDecodeError);
  EXPECT_THROW(DataBlobUtil::FromByteVector(b.data(), b.data() + b.size(), ints), BlobDecodeError);
}

TEST(DataBlobUtil, CorruptBooleanAndUtf8AreRefusedWithOffset) {
  const ByteVector badBool{0, 0, 0, 0, 7};
  BlobCursor c(badBool);
  c.ReadInt32();
  try {
    c.ReadBool();
    FAIL() << "a byte of 7 is not a boolean";
  } catch (const BlobDecodeError& e) {
    EXPECT_EQ(e.GetOffset(), 4u);
  }
  const ByteVector badUtf8{0, 0, 0, 2, 0xC0, 0x80};  // overlong NUL
  VXString s;
  EXPECT_THROW(DataBlobUtil::FromByteVector(badUtf8.data(), badUtf8.data() + badUtf8.size(), s), BlobDecodeError);
}

TEST(VoidID, OrdersTypeSignedThenNumberUnsigned) {
  EXPECT_LT(VoidID(-5, 7), VoidID(3, 0));
  EXPECT_LT(VoidID(3, 1), VoidID(3, 0x80000000u));
  EXPECT_TRUE(VoidID::NullID.IsNull());
  EXPECT_EQ(VoidID(3001, 42).ToString(), U"3001:42");
  VoidID back;
  ASSERT_TRUE(VoidID::FromString(U"3001:42", back));
  EXPECT_EQ(back, VoidID(3001, 42));
  EXPECT_FALSE(VoidID::FromString(U"3001:", back));
  EXPECT_FALSE(VoidID::FromString(U"x:1", back));
}

TEST(VoidID, StoredFormRoundTripsNegativeTypes) {
  for (const VoidID id : {VoidID(-1, 0xFFFFFFFFu), VoidID(4010, 1), VoidID::NullID}) {
    ByteVector b;
    SORpPortable::VoidIDToPStoredVoidIDFormat(id, b);
    ASSERT_EQ(b.size(), 8u);
    EXPECT_EQ(SORpPortable::PStoredVoidIDFormatToVoidID(b.data()), id);
  }
}

TEST(DataBlobUtil, TextThatUtf8CannotCarryIsRefusedWhole) {
  const VXString bad[] = {VXString(U"ab") + char32_t(0xDC00), VXString(U"x") + char32_t(0xD800) + U"y",
                          VXString(1, char32_t(0x110000))};
  for (const VXString& text : bad) {
    ByteVector b{9};
    EXPECT_THROW(DataBlobUtil::ToByteVector(b, text), UnencodableTextError);
    EXPECT_THROW(DataBlobUtil::ToByteVector(b, VXStringVector{U"ok", text}), UnencodableTextError);
    EXPECT_EQ(b, ByteVector{9});  // nothing half written
  }
  // The edges of the scalar values are stored and read back exactly.
  const VXString edges = VXString(U"\uD7FF\uE000\uFFFF\U00010000\U0010FFFF") + U'\0';
  ByteVector b;
  DataBlobUtil::ToByteVector(b, edges);
  VXString back;
  DataBlobUtil::FromByteVector(b.data(), b.data() + b.size(), back);
  EXPECT_EQ(back, edges);
}

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
  try {
    ToUtf16(VXString(U"ab") + char32_t(0x110000));
    ADD_FAILURE() << "a value beyond Unicode was accepted";
  } catch (const UnencodableTextError& e) {
    EXPECT_EQ(e.GetPosition(), 2u);
    EXPECT_EQ(e.GetValue(), char32_t(0x110000));
    EXPECT_NE(std::string(e.what()).find("U+110000 at position 2"), std::string::npos) << e.what();
  }
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
