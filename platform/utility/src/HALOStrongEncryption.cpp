#include "Utility/HALOStrongEncryption.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

#include "Utility/Base64.h"

namespace {
constexpr std::uint8_t kFormat = 1;
constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
constexpr unsigned char kServerSalt[] = "smutil/script-password/pbkdf2-salt/v1";

// A byte buffer that is wiped when it goes away.
struct SecretBytes {
  ByteVector bytes;
  ~SecretBytes() {
    if (!bytes.empty()) OPENSSL_cleanse(bytes.data(), bytes.size());
  }
};

struct SecretString {
  std::string text;
  ~SecretString() {
    if (!text.empty()) OPENSSL_cleanse(text.data(), text.size());
  }
};

struct CipherFree {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherPtr = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

std::atomic<std::uint64_t> g_derivations{0};
std::atomic<std::uint64_t> g_encryptions{0};
std::atomic<std::uint64_t> g_decryptions{0};

[[noreturn]] void Fail(const char* what) { throw std::runtime_error(std::string("HALOStrongEncryption: ") + what); }
}  // namespace

namespace HALOStrongEncryption {

void GetPKCS5PBKDF2HMACSHA1(const VXString& passPhrase, const ByteVector& salt, int iterations, ByteVector& key) {
  if (iterations < 1) throw std::invalid_argument("GetPKCS5PBKDF2HMACSHA1: the iteration count must be at least 1");
  g_derivations.fetch_add(1, std::memory_order_relaxed);
  SecretString phrase{ToNarrow(passPhrase)};
  SecretBytes derived{ByteVector(kKeySize)};
  if (PKCS5_PBKDF2_HMAC_SHA1(phrase.text.data(), static_cast<int>(phrase.text.size()), salt.data(),
                             static_cast<int>(salt.size()), iterations, static_cast<int>(kKeySize),
                             derived.bytes.data()) != 1) {
    Fail("key derivation failed");
  }
  key.swap(derived.bytes);  // the caller's old key bytes are wiped with `derived`
}

void GetPKCS5PBKDF2HMACSHA1(const VXString& passPhrase, ByteVector& key) {
  const ByteVector salt(kServerSalt, kServerSalt + sizeof kServerSalt - 1);
  GetPKCS5PBKDF2HMACSHA1(passPhrase, salt, kDefaultIterations, key);
}

VXString AESEncryptPasswordForScript(const ByteVector& key, const ByteVector& plain) {
  if (key.size() != kKeySize) {
    throw std::invalid_argument("AESEncryptPasswordForScript: the key must be " + std::to_string(kKeySize) +
                                " bytes, not " + std::to_string(key.size()));
  }
  g_encryptions.fetch_add(1, std::memory_order_relaxed);
  ByteVector sealed(1 + kNonceSize + plain.size() + kTagSize);
  sealed[0] = kFormat;
  std::uint8_t* nonce = sealed.data() + 1;
  std::uint8_t* body = nonce + kNonceSize;
  if (RAND_bytes(nonce, static_cast<int>(kNonceSize)) != 1) Fail("the random source failed");

  CipherPtr ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonceSize), nullptr) != 1 ||
      EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) != 1 ||
      EVP_EncryptUpdate(ctx.get(), nullptr, &len, sealed.data(), 1) != 1 ||
      EVP_EncryptUpdate(ctx.get(), body, &len, plain.data(), static_cast<int>(plain.size())) != 1 ||
      EVP_EncryptFinal_ex(ctx.get(), body + len, &len) != 1 ||
      EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), body + plain.size()) != 1) {
    Fail("encryption failed");
  }
  return ToVXString(Base64::Encode(sealed));
}

bool DecryptAESPasswordForScript(const VXString& aesString, const ByteVector& key, ByteVector& plain) {
  g_decryptions.fetch_add(1, std::memory_order_relaxed);
  if (key.size() != kKeySize) return false;
  // Base64 text is ASCII; anything else cannot be ours.
  std::string text;
  text.reserve(aesString.size());
  for (char32_t c : aesString) {
    if (c > 0x7F) return false;
    text.push_back(static_cast<char>(c));
  }
  ByteVector sealed;
  if (!Base64::Decode(text, sealed)) return false;
  if (sealed.size() < 1 + kNonceSize + kTagSize || sealed[0] != kFormat) return false;
  const std::uint8_t* nonce = sealed.data() + 1;
  const std::uint8_t* body = nonce + kNonceSize;
  const std::size_t bodySize = sealed.size() - 1 - kNonceSize - kTagSize;
  ByteVector tag(body + bodySize, body + bodySize + kTagSize);

  SecretBytes out{ByteVector(bodySize)};
  CipherPtr ctx(EVP_CIPHER_CTX_new());
  int len = 0, finalLen = 0;
  const bool ok = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonceSize), nullptr) == 1 &&
                  EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.data(), nonce) == 1 &&
                  EVP_DecryptUpdate(ctx.get(), nullptr, &len, sealed.data(), 1) == 1 &&
                  EVP_DecryptUpdate(ctx.get(), out.bytes.data(), &len, body, static_cast<int>(bodySize)) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag.data()) == 1 &&
                  EVP_DecryptFinal_ex(ctx.get(), out.bytes.data() + len, &finalLen) == 1;
  if (!ok) return false;  // `out` is wiped on the way out
  plain.swap(out.bytes);  // and so are the caller's previous bytes
  return true;
}

CallCounts GetCallCounts() {
  return CallCounts{g_derivations.load(std::memory_order_relaxed), g_encryptions.load(std::memory_order_relaxed),
                    g_decryptions.load(std::memory_order_relaxed)};
}

}  // namespace HALOStrongEncryption
