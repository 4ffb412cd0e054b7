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

TEST(VXString, Utf8ConversionReplacesMalformedBytes) {
  EXPECT_EQ(ToVXString("A\xC3\xA9"), U"A\u00E9");
  EXPECT_EQ(ToVXString("\xFF" "B"), U"\uFFFDB");
  EXPECT_EQ(ToVXString("\xE2\x82"), U"\uFFFD\uFFFD");
  EXPECT_EQ(ToNarrow(U"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ToNarrow(std::u32string(1, char32_t(0x110000))), "\xEF\xBF\xBD");
}
