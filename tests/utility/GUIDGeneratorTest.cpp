#include <gtest/gtest.h>

#include "Utility/TYSGUIDGenerator.h"

TEST(TYSGUIDGenerator, TextFormRoundTrip) {
  const ByteVector g{0x3F, 0x25, 0x04, 0xE0, 0x4F, 0x89, 0x41, 0xD3, 0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01};
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString(g), U"3F2504E0-4F89-41D3-9A0C-0305E82C3301");
  ByteVector back;
  ASSERT_TRUE(TYSGUIDGenerator::GUIDStringToByteVector(U"{3f2504e0-4f89-41d3-9a0c-0305e82c3301}", back));
  EXPECT_EQ(back, g);
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString({0xAB, 0x01}), U"AB01");
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString({}), U"");
  for (const char32_t* bad : {U"3F2504E0-4F89-41D3-9A0C-0305E82C330", U"3F2504E04F8941D39A0C0305E82C330100",
                              U"3F2504E0-4F89-41D3-9A0C-0305E82C33G1", U"3F2504E0+4F89-41D3-9A0C-0305E82C3301"}) {
    ByteVector keep{1};
    EXPECT_FALSE(TYSGUIDGenerator::GUIDStringToByteVector(bad, keep)) << ToNarrow(bad);
    EXPECT_EQ(keep, ByteVector{1});
  }
  const ByteVector a = TYSGUIDGenerator::GenerateGUID(), b = TYSGUIDGenerator::GenerateGUID();
  ASSERT_EQ(a.size(), 16u);
  EXPECT_NE(a, b);
  EXPECT_EQ(a[6] >> 4, 4);
}
