#include <gtest/gtest.h>

#include <cstring>

#include "Utility/Base64.h"

namespace {
ByteVector Bytes(const char* s) { return ByteVector(s, s + std::strlen(s)); }
}  // namespace

TEST(Base64, StrictRoundTrip) {
  for (const char* s : {"", "f", "fo", "foo", "foob", "fooba", "foobar"}) {
    ByteVector back;
    ASSERT_TRUE(Base64::Decode(Base64::Encode(Bytes(s)), back)) << s;
    EXPECT_EQ(back, Bytes(s));
  }
  EXPECT_EQ(Base64::Encode(Bytes("foobar")), "Zm9vYmFy");
  ByteVector keep{7};
  for (const char* bad : {"Zm9", "Zm9v!mFy", "Zg=a", "Zh==", "=Zg=", "Zg==Zg==", "Zm9vY===", "Zm 9v", "Zm9\n", " Zm9",
                          "Zm9vYmF=", "Zm9=Zm9v", "===="}) {
    EXPECT_FALSE(Base64::Decode(bad, keep)) << bad;
  }
  EXPECT_EQ(keep, ByteVector{7});
}

TEST(Base64, LongInputsRoundTripAcrossPieces) {
  // Longer than one piece of work for the encoder and for the decoder.
  ByteVector bytes((5u << 20) + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8>(i * 7 + (i >> 12));
  const std::string text = Base64::Encode(bytes);
  ASSERT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
  EXPECT_EQ(text.substr(text.size() - 2), "==");  // one byte in the last group
  ByteVector back;
  ASSERT_TRUE(Base64::Decode(text, back));
  EXPECT_EQ(back, bytes);
}
