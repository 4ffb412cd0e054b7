#include <gtest/gtest.h>

#include "Utility/DataBlobUtil.h"
#include "common/Caught.h"

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
  const auto e = testutil::Caught<BlobDecodeError>([&] { c.ReadBool(); }, "a byte of 7");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetOffset(), 4u);
  const ByteVector badUtf8{0, 0, 0, 2, 0xC0, 0x80};  // overlong NUL
  VXString s;
  EXPECT_THROW(DataBlobUtil::FromByteVector(badUtf8.data(), badUtf8.data() + badUtf8.size(), s), BlobDecodeError);
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
