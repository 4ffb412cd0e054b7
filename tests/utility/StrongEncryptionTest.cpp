#include <gtest/gtest.h>

#include <cstring>

#include "Utility/HALOStrongEncryption.h"

namespace {
ByteVector Bytes(const char* s) { return ByteVector(s, s + std::strlen(s)); }
}  // namespace

TEST(HALOStrongEncryption, KeysAreDeterministicAndSaltDependent) {
  ByteVector k1, k2, k3, k4;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"Pässword", k1);
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"Pässword", k2);
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"Password", k3);
  EXPECT_EQ(k1.size(), HALOStrongEncryption::kKeySize);
  EXPECT_EQ(k1, k2);
  EXPECT_NE(k1, k3);
  // RFC 6070 test vector 1 (first 20 bytes of the derived key).
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"password", Bytes("salt"), 1, k4);
  const ByteVector rfc{0x0c, 0x60, 0xc8, 0x0f, 0x96, 0x1f, 0x0e, 0x71, 0xf3, 0xa9,
                       0xb5, 0x24, 0xaf, 0x60, 0x12, 0x06, 0x2f, 0xe0, 0x37, 0xa6};
  EXPECT_EQ(ByteVector(k4.begin(), k4.begin() + 20), rfc);
  EXPECT_THROW(HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"x", Bytes("s"), 0, k4), std::invalid_argument);
}

TEST(HALOStrongEncryption, RoundTripWrongKeyAndCorruptText) {
  ByteVector key, other;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"right", key);
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"wrong", other);
  for (const char* secret : {"", "s3cret", "a much longer password with ünïcode bytes"}) {
    const VXString sealed = HALOStrongEncryption::AESEncryptPasswordForScript(key, Bytes(secret));
    EXPECT_NE(sealed, HALOStrongEncryption::AESEncryptPasswordForScript(key, Bytes(secret)));  // fresh nonce
    ByteVector plain{9, 9};
    ASSERT_TRUE(HALOStrongEncryption::DecryptAESPasswordForScript(sealed, key, plain));
    EXPECT_EQ(plain, Bytes(secret));

    ByteVector untouched{1, 2, 3};
    EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(sealed, other, untouched));
    EXPECT_EQ(untouched, (ByteVector{1, 2, 3}));
  }
  const VXString sealed = HALOStrongEncryption::AESEncryptPasswordForScript(key, Bytes("s3cret"));
  ByteVector out;
  // Every single-character change is caught by the tag or the decoder.
  for (std::size_t i = 0; i < sealed.size(); ++i) {
    VXString bad = sealed;
    bad[i] = bad[i] == U'A' ? U'B' : U'A';
    EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(bad, key, out)) << i;
  }
  EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(sealed.substr(0, sealed.size() - 4), key, out));
  EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(U"not base64 at all", key, out));
  EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(U"", key, out));
  EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(U"ЖЖЖЖ", key, out));
  EXPECT_FALSE(HALOStrongEncryption::DecryptAESPasswordForScript(sealed, ByteVector(16), out));
  EXPECT_TRUE(out.empty());
  EXPECT_THROW(HALOStrongEncryption::AESEncryptPasswordForScript(ByteVector(16), Bytes("x")), std::invalid_argument);
}
