#include <gtest/gtest.h>

#include "Utility/DataBlobUtil.h"
#include "Utility/VoidID.h"

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
